# qor_embed_resources(TARGET <name> DIR <folder> OUTPUT <file.cpp> [REGISTER])
# Turns every file below DIR (but CMakeLists.txt) into bytes compiled into a library, found at run
# time by its path relative to DIR (see platform/rtl/Resources.h). Without REGISTER the table is the
# library's own (a static library linked into qorplatform); with REGISTER it is an object library
# that adds its table at start-up (for programs such as tests that bring resources of their own).
function(qor_embed_resources)
  cmake_parse_arguments(ARG "REGISTER" "TARGET;DIR;OUTPUT" "" ${ARGN})
  file(GLOB_RECURSE _files CONFIGURE_DEPENDS LIST_DIRECTORIES false ${ARG_DIR}/*)
  list(FILTER _files EXCLUDE REGEX "/CMakeLists\\.txt$")
  list(SORT _files)
  if(ARG_REGISTER)
    set(_register ON)
    set(_kind OBJECT)
  else()
    set(_register OFF)
    set(_kind STATIC)
  endif()
  add_custom_command(
    OUTPUT ${ARG_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DDIR=${ARG_DIR} -DOUTPUT=${ARG_OUTPUT} -DREGISTER=${_register}
            -P ${PROJECT_SOURCE_DIR}/cmake/GenerateResources.cmake
    DEPENDS ${_files} ${PROJECT_SOURCE_DIR}/cmake/GenerateResources.cmake
    COMMENT "Embedding resources from ${ARG_DIR}"
    VERBATIM)
  add_library(${ARG_TARGET} ${_kind} ${ARG_OUTPUT})
  target_include_directories(${ARG_TARGET} PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${ARG_TARGET} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()
