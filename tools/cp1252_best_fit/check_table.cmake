# Runs the generator (through the emulator that runs Windows programs here) and fails when its
# output differs from the table checked in under platform/.
#   -DEMULATOR=<list> -DGENERATOR=<exe> -DTABLE=<checked-in file> -DOUTPUT=<scratch file>
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
