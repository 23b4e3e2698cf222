# What the Windows build needs beyond the toolchain: libxml2 and SQLite cross-built from the
# distribution's source packages, GoogleTest built with the same toolchain, import libraries for the host
# libraries this build does not make, and Wine to run the tests.

set(TB_DEPS_DIR ${CMAKE_BINARY_DIR}/deps)
execute_process(
    COMMAND bash ${PROJECT_SOURCE_DIR}/tools/build-windows-deps.sh ${CMAKE_TOOLCHAIN_FILE}
            ${TB_DEPS_DIR} libxml2 sqlite3
    RESULT_VARIABLE tb_deps_result)
if(NOT tb_deps_result EQUAL 0)
    message(FATAL_ERROR "the cross-built libraries could not be made (see above)")
endif()
find_package(LibXml2 REQUIRED CONFIG
    PATHS ${TB_DEPS_DIR}/libxml2/install NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
# Under the name the distribution's own CMake module gives it on Linux.
add_library(SQLite::SQLite3 STATIC IMPORTED)
set_target_properties(SQLite::SQLite3 PROPERTIES
    IMPORTED_LOCATION ${TB_DEPS_DIR}/sqlite3/install/lib/libsqlite3.a
    INTERFACE_INCLUDE_DIRECTORIES ${TB_DEPS_DIR}/sqlite3/install/include)

find_program(TB_DLLTOOL ${TB_MINGW_TARGET}-dlltool REQUIRED)
find_program(TB_OBJDUMP ${TB_MINGW_TARGET}-objdump REQUIRED)

# `target` as a DLL of the host's: its exports are those of `def_file`, by plain name (--kill-at)
# and by the ordinals given there, and no "lib" before its name. ld writes its import library with
# the plain names too, which __stdcall callers, asking for Name@size, do not find; so that library
# is made again from the .def file, as for the host libraries below.
function(tb_windows_dll target def_file)
    target_sources(${target} PRIVATE ${def_file})
    target_link_options(${target} PRIVATE "LINKER:--kill-at")
    set_target_properties(${target} PROPERTIES PREFIX "")
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${TB_DLLTOOL} --kill-at --input-def ${def_file}
                --dllname $<TARGET_FILE_NAME:${target}> --output-lib $<TARGET_LINKER_FILE:${target}>
        VERBATIM)
endfunction()

# An import library for `name`.dll from its .def file, for a host library this build does not
# make: the module links against it as against the host's own. Gives the target `name`_imports.
function(tb_import_library name def_file)
    set(library ${CMAKE_BINARY_DIR}/imports/lib${name}.dll.a)
    add_custom_command(OUTPUT ${library}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/imports
        COMMAND ${TB_DLLTOOL} --kill-at --input-def ${def_file} --dllname ${name}.dll
                --output-lib ${library}
        DEPENDS ${def_file}
        VERBATIM)
    add_custom_target(${name}_import_library DEPENDS ${library})
    add_library(${name}_imports INTERFACE)
    target_link_libraries(${name}_imports INTERFACE ${library})
    add_dependencies(${name}_imports ${name}_import_library)
endfunction()

if(TB_BUILD_TESTS)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    # Its targets come with the GTest:: names the tests link.
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

    # Every test program runs under Wine, in a prefix of this build tree, without a display and
    # without the .NET and HTML engines a fresh prefix would offer to install.
    find_program(TB_WINE wine REQUIRED)
    find_program(TB_WINESERVER wineserver REQUIRED)
    find_program(TB_WINEBOOT wineboot REQUIRED)
    set(TB_WINE_ENVIRONMENT
        WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
        WINEDEBUG=-all
        WINEDLLOVERRIDES=mscoree,mshtml=)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_COMMAND} -E env --unset=DISPLAY ${TB_WINE_ENVIRONMENT} ${TB_WINE})

    # One Wine server for the whole run, started first and stopped last: without it each program
    # starts a server of its own and waits for it.
    set(tb_wine_server ${CMAKE_COMMAND} -E env --unset=DISPLAY ${TB_WINE_ENVIRONMENT}
                       bash ${PROJECT_SOURCE_DIR}/tools/wine-server.sh)
    add_test(NAME wine_server_start COMMAND ${tb_wine_server} start)
    add_test(NAME wine_server_stop COMMAND ${tb_wine_server} stop)
    set_tests_properties(wine_server_start PROPERTIES FIXTURES_SETUP wine LABELS wine)
    set_tests_properties(wine_server_stop PROPERTIES FIXTURES_CLEANUP wine LABELS wine)
endif()

# tb_add_wine_runs(name labels command...): the command as <name>.cp1252 and <name>.cp932, both
# labelled wine as well, inside the fixture above. Wine takes the system ANSI code page from the
# locale: C gives 1252, ja_JP.UTF-8 gives 932, a double-byte one.
function(tb_add_wine_runs name labels)
    foreach(run IN ITEMS "cp1252=C" "cp932=ja_JP.UTF-8")
        string(REPLACE "=" ";" run "${run}")
        list(GET run 0 suffix)
        list(GET run 1 locale)
        add_test(NAME ${name}.${suffix} COMMAND ${ARGN})
        set_tests_properties(${name}.${suffix} PROPERTIES
            LABELS "${labels};wine" TIMEOUT 300 ENVIRONMENT LC_ALL=${locale}
            FIXTURES_REQUIRED wine)
    endforeach()
endfunction()
