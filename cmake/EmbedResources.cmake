# qor_embed_resources(TARGET <name> DIR <folder> OUTPUT <file.cpp>)
# Turns every file below DIR (but CMakeLists.txt) into bytes compiled into a static library,
# found at run time by its path relative to DIR (see platform/rtl/Resources.h).
function(qor_embed_resources)
  cmake_parse_arguments(ARG "" "TARGET;DIR;OUTPUT" "" ${ARGN})
  file(GLOB_RECURSE _files CONFIGURE_DEPENDS LIST_DIRECTORIES false ${ARG_DIR}/*)
  list(FILTER _files EXCLUDE REGEX "/CMakeLists\\.txt$")
  list(SORT _files)
  add_custom_command(
    OUTPUT ${ARG_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DDIR=${ARG_DIR} -DOUTPUT=${ARG_OUTPUT}
            -P ${PROJECT_SOURCE_DIR}/cmake/GenerateResources.cmake
    DEPENDS ${_files} ${PROJECT_SOURCE_DIR}/cmake/GenerateResources.cmake
    COMMENT "Embedding resources from ${ARG_DIR}"
    VERBATIM)
  add_library(${ARG_TARGET} STATIC ${ARG_OUTPUT})
  set_target_properties(${ARG_TARGET} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()
