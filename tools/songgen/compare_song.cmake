# Runs the song generator into OUTPUT and fails unless the result equals EXPECTED byte for byte.
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "songgen failed: ${result}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED}
                RESULT_VARIABLE different)
if(different)
    message(FATAL_ERROR "${EXPECTED} is not what songgen writes; run songgen to renew it")
endif()
