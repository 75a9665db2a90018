file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${WRITER} ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "stored-archive writer failed: ${result}")
endif()
file(GLOB expected_files RELATIVE ${EXPECTED} ${EXPECTED}/stored-*.vdb)
if(NOT expected_files)
  message(FATAL_ERROR "no checked-in archives under ${EXPECTED}")
endif()
foreach(name ${expected_files})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                          ${OUT}/${name} ${EXPECTED}/${name}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${name} differs from the checked-in archive")
  endif()
endforeach()
# The archive fuzzer's seeds include some of these archives; they must not
# drift from what the writer makes either.
file(GLOB seed_files RELATIVE ${SEEDS} ${SEEDS}/stored-*.vdb)
foreach(name ${seed_files})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                          ${OUT}/${name} ${SEEDS}/${name}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "fuzz seed ${name} differs from the writer's archive")
  endif()
endforeach()
