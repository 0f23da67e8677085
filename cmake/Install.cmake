# `cmake --install BUILD --prefix P`: the libraries, the qor tool, the public headers under
# include/qor (so includes keep their form: "runtime/engine/...", "platform/..."), and a CMake
# package: find_package(qor) gives qor::qorplatform and qor::qorrun.
include(CMakePackageConfigHelpers)

set(QOR_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/qor)

# Installed programs and libraries find the libraries beside them.
set_target_properties(qorplatform qorrun qordsgn PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(qor PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

install(TARGETS qorplatform qorrun EXPORT qorTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${QOR_INSTALL_INCLUDEDIR})
install(TARGETS qordsgn LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS qor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Headers under internal/ are private to their library: no public header includes them.
foreach(_dir platform runtime)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${_dir}/ DESTINATION ${QOR_INSTALL_INCLUDEDIR}/${_dir}
          FILES_MATCHING PATTERN "*.h" PATTERN "internal" EXCLUDE)
endforeach()

install(EXPORT qorTargets NAMESPACE qor:: DESTINATION ${QOR_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/qorConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/qorConfig.cmake
                              INSTALL_DESTINATION ${QOR_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/qorConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/qorConfig.cmake ${PROJECT_BINARY_DIR}/qorConfigVersion.cmake
        DESTINATION ${QOR_INSTALL_CMAKEDIR})
