# Runs sfxgen into a scratch folder and fails if any effect differs from resources/.
file(REMOVE_RECURSE "${OUT_DIR}")
file(MAKE_DIRECTORY "${OUT_DIR}")
execute_process(COMMAND "${SFXGEN}" "${OUT_DIR}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "sfxgen failed: ${status}")
endif()
foreach(name fart1 fart2 fart3 rel klatschen flush)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                    "${OUT_DIR}/${name}.wav" "${RESOURCE_DIR}/${name}.wav"
                    RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
        message(FATAL_ERROR "resources/${name}.wav is not what sfxgen makes; rerun sfxgen")
    endif()
endforeach()
