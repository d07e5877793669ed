# Runs sfxgen into a scratch folder and fails if any effect of resources/resource_list.cmake
# differs from its file in resources/.
include("${RESOURCE_DIR}/resource_list.cmake")
file(REMOVE_RECURSE "${OUT_DIR}")
file(MAKE_DIRECTORY "${OUT_DIR}")
execute_process(COMMAND "${SFXGEN}" "${OUT_DIR}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "sfxgen failed: ${status}")
endif()
foreach(name ${KF_SOUND_EFFECTS})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                    "${OUT_DIR}/${name}.wav" "${RESOURCE_DIR}/${name}.wav"
                    RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
        message(FATAL_ERROR "resources/${name}.wav is not what sfxgen makes; rerun sfxgen")
    endif()
endforeach()
