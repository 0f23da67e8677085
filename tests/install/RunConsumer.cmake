# Installs the built tree into a fresh prefix, builds tests/install/consumer against it with
# find_package(qor), runs the consumer and reads its page file back with the installed qor tool;
# then builds the sales example again with only what pkg-config says.
# Run as: cmake -DBINARY_DIR=... -DSOURCE_DIR=... -DGENERATOR=... -DCXX=... [-DSANITIZE=ON]
#         -P RunConsumer.cmake
# A sanitized tree's libraries need the sanitizer runtime first in the programs that use them, so
# the consumer is built with the same sanitizers.
set(_flags "")
if(SANITIZE)
  set(_flags "-fsanitize=address,undefined -fno-omit-frame-pointer")
endif()
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
     "-DCMAKE_CXX_FLAGS=${_flags}" "-DCMAKE_EXE_LINKER_FLAGS=${_flags}"
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
# The same example built with the compiler alone, from pkg-config's flags.
file(GLOB_RECURSE _pc ${WORK}/prefix/qor.pc)
if(NOT _pc)
  file(REMOVE_RECURSE ${WORK})
  message(FATAL_ERROR "no qor.pc was installed")
endif()
get_filename_component(_pcdir ${_pc} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${_pcdir})
step(pkg-config --cflags --libs qor)
string(STRIP "${STEP_OUTPUT}" _pcflags)
separate_arguments(_pcflags UNIX_COMMAND "${_pcflags} ${_flags}")
step(${CXX} ${SOURCE_DIR}/examples/SalesReport.cpp ${_pcflags} -o ${WORK}/sales_pkgconfig)
step(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${_pcdir}/.. ${WORK}/sales_pkgconfig ${WORK}/sales/sales.qfm
     ${WORK}/sales/sales-pc.qor)
step(${WORK}/prefix/bin/qor dump ${WORK}/sales/sales-pc.qor)
if(NOT STEP_OUTPUT MATCHES "Grand total")
  file(REMOVE_RECURSE ${WORK})
  message(FATAL_ERROR "the sales example built through pkg-config made no report")
endif()
# The libraries carry their version and SONAME.
file(GLOB _libs ${_pcdir}/../libqorrun.so.1.*)
if(NOT _libs OR NOT EXISTS ${_pcdir}/../libqorrun.so.1)
  file(REMOVE_RECURSE ${WORK})
  message(FATAL_ERROR "libqorrun is not installed with its version")
endif()
step(objdump -p ${_pcdir}/../libqorrun.so)
if(NOT STEP_OUTPUT MATCHES "SONAME +libqorrun\\.so\\.1")
  file(REMOVE_RECURSE ${WORK})
  message(FATAL_ERROR "libqorrun has no SONAME libqorrun.so.1:\n${STEP_OUTPUT}")
endif()
# No private header was installed, and the headers keep their include paths.
if(EXISTS ${WORK}/prefix/include/qor/platform/db/internal OR
   NOT EXISTS ${WORK}/prefix/include/qor/runtime/engine/KivPageIntf.h)
  file(REMOVE_RECURSE ${WORK})
  message(FATAL_ERROR "the installed headers are not as expected")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "consumer and the sales example built (CMake package, pkg-config) and ran against the installed package")
