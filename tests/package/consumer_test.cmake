# Installs the build into a fresh prefix, then builds the consumer project
# against it and meshes a model with it, with the installed command and with
# the installed Python module.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK=... -DMODEL=... -DCHECKER=...
#         -DPYTHON=... [-DPRELOAD=libasan.so] -P consumer_test.cmake
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/run)
set(prefix ${WORK}/prefix)
run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(installed include/korvex/korvex.h bin/korvex lib/cmake/korvex/korvexConfig.cmake
                  lib/cmake/korvex/korvexConfigVersion.cmake lib/cmake/korvex/korvexTargets.cmake
                  lib/python3/dist-packages/korvex/__init__.py)
  if(NOT EXISTS ${prefix}/${installed})
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

run("configure the consumer" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/package/consumer -B ${WORK}/consumer
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run("build the consumer" ${CMAKE_COMMAND} --build ${WORK}/consumer)

foreach(host consumer command python)
  file(MAKE_DIRECTORY ${WORK}/run/${host})
  configure_file(${MODEL} ${WORK}/run/${host}/model.sur COPYONLY)
endforeach()
execute_process(COMMAND ${WORK}/consumer/consumer model.sur WORKING_DIRECTORY ${WORK}/run/consumer
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "consumer: result 0 after [1-9][0-9]* messages")
  message(FATAL_ERROR "the consumer did not mesh the model (${rc}):\n${out}")
endif()
execute_process(COMMAND ${prefix}/bin/korvex -q model.sur WORKING_DIRECTORY ${WORK}/run/command RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the installed command did not mesh the model (${rc})")
endif()
# The installed module finds the installed library by itself.
set(ENV{PYTHONPATH} ${prefix}/lib/python3/dist-packages)
unset(ENV{KORVEX_LIBRARY})
set(preload)
if(PRELOAD)
  set(preload ${CMAKE_COMMAND} -E env LD_PRELOAD=${PRELOAD})
endif()
execute_process(COMMAND ${preload} ${PYTHON} -c "import korvex; print(korvex.library_path()); korvex.mesh('model.sur')"
                WORKING_DIRECTORY ${WORK}/run/python RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^${prefix}/lib/libkorvex")
  message(FATAL_ERROR "the installed Python module did not mesh the model (${rc}):\n${out}\n${err}")
endif()

foreach(host consumer command python)
  run("the mesh checker on the ${host}'s mesh" ${CHECKER} ${WORK}/run/${host}/model.m3d)
endforeach()
file(READ ${WORK}/run/consumer/model.m3d by_consumer)
file(READ ${WORK}/run/command/model.m3d by_command)
if(NOT by_consumer STREQUAL by_command)
  message(FATAL_ERROR "the consumer and the installed command wrote different meshes")
endif()
file(REMOVE_RECURSE ${WORK})
