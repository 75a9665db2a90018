file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${WRITER} ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "legacy writer failed: ${result}")
endif()
foreach(name component-v0.vdb component-v1.vdb component-v2.vdb)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                          ${OUT}/${name} ${EXPECTED}/${name}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${name} differs from the checked-in archive")
  endif()
endforeach()
