# Installs one or more builds of the library into one scratch prefix (a Qt 5
# and a Qt 6 build side by side, say), then, for each build, builds and runs
# a consumer that finds it only through find_package(VelkData), and checks
# that the consumer loaded that build and its Qt.
#   BUILD_DIRS   build directories to install, separated by ";"
#   SOURCE_DIR   the consumer's sources
#   WORK_DIR     scratch directory (emptied first)
#   GENERATOR    CMake generator for the consumer
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run_step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "step failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

set(majors)
foreach(build_dir IN LISTS BUILD_DIRS)
  file(STRINGS ${build_dir}/CMakeCache.txt major_line REGEX "^VELKDATA_QT_MAJOR:")
  string(REGEX REPLACE "^[^=]*=" "" major "${major_line}")
  if(NOT major MATCHES "^[56]$")
    message(FATAL_ERROR "no Qt major in ${build_dir}/CMakeCache.txt")
  endif()
  list(APPEND majors ${major})
  run_step(${CMAKE_COMMAND} --install ${build_dir} --prefix ${prefix})
endforeach()
list(LENGTH majors build_count)
set(ENV{LD_LIBRARY_PATH} "${prefix}/lib:${prefix}/lib64:$ENV{LD_LIBRARY_PATH}")

foreach(major IN LISTS majors)
  if(major EQUAL 5)
    set(library libvelkdata.so)
    set(other 6)
  else()
    set(library libvelkdata-qt${major}.so)
    set(other 5)
  endif()
  # Alone, the one build is found without a hint. Side by side, the Qt 5
  # host names the major it wants; the Qt 6 host finds its Qt first.
  set(hints)
  if(build_count GREATER 1)
    if(major EQUAL 5)
      set(hints -DVelkData_QT_MAJOR=5)
    else()
      set(hints -DCONSUMER_QT_MAJOR=${major})
    endif()
  endif()
  set(consumer_build ${WORK_DIR}/build-qt${major})
  run_step(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${consumer_build} -G ${GENERATOR}
           -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_RPATH=${prefix}/lib ${hints})
  if(NOT step_output MATCHES "consumer: VelkData for Qt ${major}\n")
    message(FATAL_ERROR "consumer found the wrong build:\n${step_output}")
  endif()
  run_step(${CMAKE_COMMAND} --build ${consumer_build})
  run_step(readelf -d ${consumer_build}/consumer)
  if(NOT step_output MATCHES "\\[${library}\\.[0-9]+\\]"
     OR step_output MATCHES "libQt${other}Core")
    message(FATAL_ERROR "consumer for Qt ${major} links the wrong libraries:\n${step_output}")
  endif()
  run_step(${consumer_build}/consumer)
  if(NOT step_output MATCHES "^consumer ok: 6 \\(Qt ${major}\\.[0-9]+\\.[0-9]+\\)\n$")
    message(FATAL_ERROR "unexpected consumer output: ${step_output}")
  endif()
endforeach()

# Side by side, a host that already uses one Qt is refused the other build
# with a message, instead of linking two Qt majors into one process.
if(build_count GREATER 1)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build-mixed
                  -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix}
                  -DCONSUMER_QT_MAJOR=5 -DVelkData_QT_MAJOR=6
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc EQUAL 0 OR NOT err MATCHES "cannot be used by a project that uses Qt 5")
    message(FATAL_ERROR "a Qt 5 host was not refused the Qt 6 build (${rc}):\n${out}\n${err}")
  endif()
endif()
