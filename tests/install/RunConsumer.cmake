# Installs the built tree into a fresh prefix, builds tests/install/consumer against it with
# find_package(qor), runs the consumer and reads its page file back with the installed qor tool.
# Run as: cmake -DBINARY_DIR=... -DSOURCE_DIR=... -DGENERATOR=... -DCXX=... -P RunConsumer.cmake
set(_tmp "$ENV{TMPDIR}")
if(NOT _tmp)
  set(_tmp /tmp)
endif()
string(RANDOM LENGTH 8 _id)
set(WORK ${_tmp}/qor-install-${_id})

function(step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
  if(NOT _rc EQUAL 0)
    file(REMOVE_RECURSE ${WORK})
    list(JOIN ARGN " " _cmd)
    message(FATAL_ERROR "failed (${_rc}): ${_cmd}\n${_out}")
  endif()
  set(STEP_OUTPUT "${_out}" PARENT_SCOPE)
endfunction()

step(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${WORK}/prefix)
step(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer -B ${WORK}/build -G ${GENERATOR}
     -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${WORK}/prefix -DCMAKE_BUILD_TYPE=Release
     -DQOR_EXAMPLES_DIR=${SOURCE_DIR}/examples)
step(${CMAKE_COMMAND} --build ${WORK}/build)
step(${WORK}/build/consumer ${WORK}/out.qor)
step(${WORK}/prefix/bin/qor dump ${WORK}/out.qor)
if(NOT STEP_OUTPUT MATCHES "Hello from qor")
  file(REMOVE_RECURSE ${WORK})
  message(FATAL_ERROR "the page file does not hold the consumer's text:\n${STEP_OUTPUT}")
endif()
# The sales example, built against the installed package, runs its form over a small database.
file(MAKE_DIRECTORY ${WORK}/sales)
file(COPY ${SOURCE_DIR}/examples/sales/sales.qfm DESTINATION ${WORK}/sales)
step(sqlite3 -cmd "CREATE TEMP TABLE sales_rows AS SELECT 300 AS n" ${WORK}/sales/sales.db
     ".read ${SOURCE_DIR}/examples/sales/sales.sql")
step(${WORK}/build/sales_report ${WORK}/sales/sales.qfm ${WORK}/sales/sales.qor)
step(${WORK}/prefix/bin/qor dump ${WORK}/sales/sales.qor)
if(NOT STEP_OUTPUT MATCHES "Page 1 of [0-9]+" OR NOT STEP_OUTPUT MATCHES "Grand total")
  file(REMOVE_RECURSE ${WORK})
  message(FATAL_ERROR "the sales example's page file is not as expected")
endif()
# No private header was installed, and the headers keep their include paths.
if(EXISTS ${WORK}/prefix/include/qor/platform/db/internal OR
   NOT EXISTS ${WORK}/prefix/include/qor/runtime/engine/KivPageIntf.h)
  file(REMOVE_RECURSE ${WORK})
  message(FATAL_ERROR "the installed headers are not as expected")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "consumer and the sales example built and ran against the installed package")
