# What `cmake --install` lays out for host integrators, and the Debian package
# made from it (cpack -G DEB). The install tree is relocatable: the CMake and
# pkg-config files find the prefix from where they lie.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(COMPANYMGR_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/companymgr)
set(COMPANYMGR_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/CompanyMgr)
# Debian names the documentation folder after the package.
set(COMPANYMGR_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/companymgr)

# The public header alone, for hosts that only load the module.
add_library(CompanyMgrHeaders INTERFACE)
target_include_directories(CompanyMgrHeaders INTERFACE
  $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
set_target_properties(CompanyMgrHeaders PROPERTIES EXPORT_NAME Headers)

# Installed code includes the shared headers by their own names, as the
# sources do, or as <companymgr/NAME.h>.
foreach(target ParamString DataVO ModuleLib)
  target_include_directories(${target} INTERFACE
    $<INSTALL_INTERFACE:${COMPANYMGR_INCLUDEDIR}> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
endforeach()

# Programs find the libraries beside them in the build tree and in lib/ once
# installed; libraries find each other in their own folder.
file(RELATIVE_PATH COMPANYMGR_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
# The shared interface calls libc only through Qt and the C++ runtime, so an
# --as-needed link would drop it; a library names the C library it runs on.
target_link_options(DataVO PRIVATE "LINKER:--no-as-needed")
foreach(target DataVO ModuleLib CompanyMgr)
  set_target_properties(${target} PROPERTIES
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN")
endforeach()
# Checked against the public header by src/entry/PublicHeader.cpp.
target_compile_definitions(CompanyMgr PRIVATE
  COMPANYMGR_BUILT_SONAME="$<TARGET_SONAME_FILE_NAME:CompanyMgr>"
  COMPANYMGR_BUILT_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  COMPANYMGR_BUILT_VERSION_MINOR=${PROJECT_VERSION_MINOR})
set_target_properties(hostcall taxhost PROPERTIES INSTALL_RPATH "$ORIGIN/${COMPANYMGR_BIN_TO_LIB}")
# The host programs open the module by path: the installed one is in lib/.
target_compile_definitions(HostPrograms PRIVATE
  COMPANYMGR_INSTALLED_MODULE="${COMPANYMGR_BIN_TO_LIB}/$<TARGET_SONAME_FILE_NAME:CompanyMgr>")

install(TARGETS ParamString DataVO ModuleLib CompanyMgr CompanyMgrHeaders
  EXPORT CompanyMgrTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS hostcall taxhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

file(GLOB COMPANYMGR_SHARED_HEADERS ${CMAKE_SOURCE_DIR}/src/common/shared/*.h)
install(FILES include/companymgr/companymgr.h ${COMPANYMGR_SHARED_HEADERS}
              host/lib/HostSetup.h
        DESTINATION ${COMPANYMGR_INCLUDEDIR})

install(EXPORT CompanyMgrTargets NAMESPACE CompanyMgr:: DESTINATION ${COMPANYMGR_CMAKEDIR})
configure_package_config_file(cmake/CompanyMgrConfig.cmake.in
  ${CMAKE_BINARY_DIR}/CompanyMgrConfig.cmake INSTALL_DESTINATION ${COMPANYMGR_CMAKEDIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/CompanyMgrConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/CompanyMgrConfig.cmake
              ${CMAKE_BINARY_DIR}/CompanyMgrConfigVersion.cmake
        DESTINATION ${COMPANYMGR_CMAKEDIR})

# pkg-config: prefix relative to the .pc file, so a tree unpacked anywhere works.
file(RELATIVE_PATH COMPANYMGR_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" COMPANYMGR_PC_TO_PREFIX "${COMPANYMGR_PC_TO_PREFIX}")
configure_file(cmake/companymgr.pc.in ${CMAKE_BINARY_DIR}/companymgr.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/companymgr.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Debian wants a copyright file and a compressed changelog beside the docs.
configure_file(cmake/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
execute_process(COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/changelog
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES cmake/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${COMPANYMGR_DOCDIR})

# --- Debian package -------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME companymgr)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "CompanyMgr developers <companymgr@tax-client.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "company-management module of a tax-filing client")
set(CPACK_PACKAGE_DESCRIPTION [[
A shared library that a tax-filing client loads to list, add, delete and
choose the companies it files for and to edit their data. With it come the
reference host library it needs, the headers and the CMake and pkg-config
files to write a host, and two host programs: taxhost, a demo host, and
hostcall, which makes one call of one entry point.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# Loaded by Qt, not linked: the database driver of the embedded database.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
# Libraries in the linker's folders have ldconfig run once they are unpacked.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_STRIP_FILES ON)
include(CPack)
