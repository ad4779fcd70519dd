# Generates the icon from its picture into SCRATCH and compares it with COMMITTED.
execute_process(COMMAND ${GENERATOR} ${PICTURE} ${SCRATCH} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "icongen failed on ${PICTURE}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SCRATCH} ${COMMITTED}
    RESULT_VARIABLE different)
if(NOT different EQUAL 0)
    message(FATAL_ERROR "${COMMITTED} is out of date: build the target `icon` and commit it")
endif()
