# `cmake --install BUILD --prefix P`: the libraries, the qor tool, the public headers under
# include/qor (so includes keep their form: "runtime/engine/...", "platform/..."), a CMake
# package (find_package(qor) gives qor::qorplatform and qor::qorrun) and a pkg-config file
# (pkg-config --cflags --libs qor).
include(CMakePackageConfigHelpers)

# Versioned libraries: libqorrun.so.1 (the SONAME) -> libqorrun.so.1.0.0.
set_target_properties(qorplatform qorrun PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})

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

# qor.pc, relocatable: its prefix is found from where the file lies.
set(QOR_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH QOR_PC_TO_PREFIX /prefix/${QOR_INSTALL_PKGCONFIGDIR} /prefix)
string(REGEX REPLACE "/$" "" QOR_PC_TO_PREFIX "${QOR_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/qor.pc.in ${PROJECT_BINARY_DIR}/qor.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/qor.pc DESTINATION ${QOR_INSTALL_PKGCONFIGDIR})
