# Runs every example through the Linux host and through triggerhost.exe under Wine, with the
# trigger database in memory and in a file, and fails on any difference in what they print or
# how they end. Everything the Windows host touches (its own folder with the DLLs, the example,
# the database) lies in a folder whose name no ANSI code page holds, so that nothing is reached
# through a name the ANSI calls would have garbled.
#   -DLINUX_HOST=<triggerhost> -DWINDOWS_HOST=<triggerhost.exe> -DWINE=<command, words joined by |>
#   -DEXAMPLES=<folder> -DWORK=<scratch folder>
#   [-DPLATFORM_DOM=ON: the Windows host runs with --dom platform, and the outputs are compared
#    once carriage returns and white space between tags are set aside, which the platform's XML
#    DOM writes as it pleases]
if(NOT EXISTS "${LINUX_HOST}")
    message(FATAL_ERROR "no Linux host at ${LINUX_HOST}: build the release preset first "
                        "(or set TB_LINUX_HOST)")
endif()
string(REPLACE "|" ";" WINE "${WINE}")
file(GLOB examples "${EXAMPLES}/*.xml")
if(NOT examples)
    message(FATAL_ERROR "no examples in ${EXAMPLES}")
endif()
# A folder per locale: the code-page runs of this test may run at once.
set(WORK "${WORK}/$ENV{LC_ALL}")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(FOLDER "${WORK}/宿主-é")
get_filename_component(bin "${WINDOWS_HOST}" DIRECTORY)
file(GLOB libraries "${bin}/*.dll")
file(COPY "${WINDOWS_HOST}" ${libraries} "${bin}/platform-dom" DESTINATION "${FOLDER}")
get_filename_component(host_name "${WINDOWS_HOST}" NAME)
set(WINDOWS_HOST "${FOLDER}/${host_name}")
file(COPY ${examples} DESTINATION "${FOLDER}")
file(GLOB examples "${FOLDER}/*.xml")
# Wine names a Unix file outside ASCII only under a UTF-8 locale; C.UTF-8 keeps code page 1252.
if("$ENV{LC_ALL}" STREQUAL "C")
    list(PREPEND WINE ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8)
endif()

# Text as the comparison sees it: for the platform DOM without CR and without white space
# between a tag's end and the next tag's start.
function(comparable text out)
    if(PLATFORM_DOM)
        string(REPLACE "\r" "" text "${text}")
        string(REGEX REPLACE ">[ \t\n]+<" "><" text "${text}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(failures "")
foreach(example IN LISTS examples)
    get_filename_component(name "${example}" NAME_WE)
    foreach(database IN ITEMS memory file)
        set(linux_options "")
        set(windows_options "")
        if(PLATFORM_DOM)
            set(windows_options --dom platform)
        endif()
        if(database STREQUAL "file")
            list(APPEND linux_options --database "${WORK}/${name}.linux.db")
            list(APPEND windows_options --database "${FOLDER}/${name}-é.db")
        endif()
        execute_process(COMMAND "${LINUX_HOST}" ${linux_options} "${example}"
            OUTPUT_VARIABLE linux_out ERROR_VARIABLE linux_err RESULT_VARIABLE linux_status)
        execute_process(COMMAND ${WINE} "${WINDOWS_HOST}" ${windows_options} "${example}"
            OUTPUT_VARIABLE windows_out ERROR_VARIABLE windows_err RESULT_VARIABLE windows_status)
        comparable("${windows_out}" windows_out)
        comparable("${linux_out}" linux_out)
        set(run "${name} (database in ${database})")
        if(NOT linux_status STREQUAL "0")
            string(APPEND failures "${run}: the Linux host ended with ${linux_status}: ${linux_err}\n")
        endif()
        if(NOT windows_status STREQUAL linux_status)
            string(APPEND failures
                   "${run}: exit status ${windows_status} on Windows, ${linux_status} on Linux\n")
        endif()
        if(NOT windows_err STREQUAL linux_err)
            string(APPEND failures "${run}: standard error differs:\n${windows_err}\n---\n${linux_err}\n")
        endif()
        if(NOT windows_out STREQUAL linux_out)
            file(WRITE "${WORK}/${name}.${database}.linux.txt" "${linux_out}")
            file(WRITE "${WORK}/${name}.${database}.windows.txt" "${windows_out}")
            execute_process(COMMAND diff -u "${WORK}/${name}.${database}.linux.txt"
                                    "${WORK}/${name}.${database}.windows.txt"
                OUTPUT_VARIABLE difference)
            string(APPEND failures "${run}: standard output differs:\n${difference}\n")
        elseif(linux_out STREQUAL "")
            string(APPEND failures "${run}: neither host printed anything\n")
        endif()
    endforeach()
endforeach()
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
list(LENGTH examples count)
message(STATUS "${count} examples, each with the database in memory and in a file: the same output")
