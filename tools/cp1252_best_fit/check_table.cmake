# Runs the generator (through the emulator that runs Windows programs here) and fails when its
# output differs from the table checked in under platform/.
#   -DEMULATOR=<command, its words joined by '|'> -DGENERATOR=<exe> -DTABLE=<checked-in file>
#   -DOUTPUT=<scratch file>
# Runs under several locales at once, so each keeps its own scratch file.
string(MAKE_C_IDENTIFIER "$ENV{LC_ALL}" locale)
set(OUTPUT ${OUTPUT}.${locale})
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
execute_process(COMMAND ${EMULATOR} ${GENERATOR}
                OUTPUT_FILE ${OUTPUT}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the generator failed: ${result}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files --ignore-eol ${OUTPUT} ${TABLE}
                RESULT_VARIABLE different)
if(NOT different EQUAL 0)
    message(FATAL_ERROR "${TABLE} is not what the platform answers now; see ${OUTPUT}")
endif()
