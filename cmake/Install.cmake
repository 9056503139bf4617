# What `cmake --install` lays out for host integrators, and the Debian packages
# made from it (cpack -G DEB), one per install component: Runtime (the shared
# libraries), Development (headers, link names, CMake and pkg-config files)
# and Programs (taxhost and hostcall). The install tree is relocatable: the
# CMake and pkg-config files find the prefix from where they lie.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(COMPANYMGR_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/companymgr)
set(COMPANYMGR_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/CompanyMgr)
# Debian names a library package after the soname it holds.
set(COMPANYMGR_DEB_RUNTIME libcompanymgr${PROJECT_VERSION_MAJOR})
set(COMPANYMGR_DEB_DEVELOPMENT libcompanymgr-dev)
set(COMPANYMGR_DEB_PROGRAMS companymgr-tools)

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
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime NAMELINK_COMPONENT Development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
install(TARGETS hostcall taxhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Programs)

file(GLOB COMPANYMGR_SHARED_HEADERS ${CMAKE_SOURCE_DIR}/src/common/shared/*.h)
install(FILES include/companymgr/companymgr.h ${COMPANYMGR_SHARED_HEADERS}
              host/lib/HostSetup.h
        DESTINATION ${COMPANYMGR_INCLUDEDIR} COMPONENT Development)

install(EXPORT CompanyMgrTargets NAMESPACE CompanyMgr:: DESTINATION ${COMPANYMGR_CMAKEDIR}
        COMPONENT Development)
configure_package_config_file(cmake/CompanyMgrConfig.cmake.in
  ${CMAKE_BINARY_DIR}/CompanyMgrConfig.cmake INSTALL_DESTINATION ${COMPANYMGR_CMAKEDIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/CompanyMgrConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/CompanyMgrConfig.cmake
              ${CMAKE_BINARY_DIR}/CompanyMgrConfigVersion.cmake
        DESTINATION ${COMPANYMGR_CMAKEDIR} COMPONENT Development)

# pkg-config: prefix relative to the .pc file, so a tree unpacked anywhere works.
file(RELATIVE_PATH COMPANYMGR_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" COMPANYMGR_PC_TO_PREFIX "${COMPANYMGR_PC_TO_PREFIX}")
configure_file(cmake/companymgr.pc.in ${CMAKE_BINARY_DIR}/companymgr.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/companymgr.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT Development)

# Manual pages of the programs, from their --help, compressed as Debian wants.
if(COMPANYMGR_MAN)
  find_program(HELP2MAN help2man REQUIRED)
  set(COMPANYMGR_MAN_taxhost "demo host of the company-management module")
  set(COMPANYMGR_MAN_hostcall "call one entry point of the company-management module")
  set(pages)
  foreach(program taxhost hostcall)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    # --help needs no screen; the version comes from here, the programs have
    # no --version.
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${HELP2MAN} --no-info --section=1 --name=${COMPANYMGR_MAN_${program}}
              --version-string=${PROJECT_VERSION} --output=${page} $<TARGET_FILE:${program}>
      COMMAND gzip -9 -n -f ${page}
      DEPENDS ${program}
      VERBATIM)
    list(APPEND pages ${page}.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${pages})
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Programs)
endif()

# The API reference, in the -dev package. Debian ships jQuery once
# (libjs-jquery): the pages use that copy, linked relative to /usr.
if(COMPANYMGR_DOCS)
  set(COMPANYMGR_DOCS_DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${COMPANYMGR_DEB_DEVELOPMENT}/html)
  install(DIRECTORY ${COMPANYMGR_DOCS_HTML}/ DESTINATION ${COMPANYMGR_DOCS_DESTINATION}
          COMPONENT Development PATTERN jquery.js EXCLUDE)
  file(RELATIVE_PATH COMPANYMGR_DOCS_JQUERY
       ${CMAKE_INSTALL_PREFIX}/${COMPANYMGR_DOCS_DESTINATION}
       ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/javascript/jquery/jquery.js)
  install(CODE "file(CREATE_LINK ${COMPANYMGR_DOCS_JQUERY}
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${COMPANYMGR_DOCS_DESTINATION}/jquery.js\"
                SYMBOLIC)"
          COMPONENT Development)
endif()

# Debian wants a copyright file and a compressed changelog in each package's
# documentation folder, named after the package.
configure_file(cmake/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
execute_process(COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/changelog
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
foreach(component Runtime Development Programs)
  string(TOUPPER ${component} upper)
  install(FILES cmake/copyright ${CMAKE_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${COMPANYMGR_DEB_${upper}} COMPONENT ${component})
endforeach()

# --- Debian packages ------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME companymgr)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "CompanyMgr developers <companymgr@tax-client.example.com>")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Development Programs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE companymgr)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The programs' libraries are in no installed package yet: dpkg-shlibdeps
# finds them in the build tree, and the dependency on them is written below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/host/lib)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# Earlier builds made one package of everything, named companymgr; each of
# these takes over a part of its files.
set(CPACK_DEBIAN_PACKAGE_CONFLICTS companymgr)
set(CPACK_DEBIAN_PACKAGE_REPLACES companymgr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${COMPANYMGR_DEB_RUNTIME})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# Loaded by Qt, not linked: the database driver of the embedded database.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libqt6sql6-sqlite")
# Libraries in the linker's folders have ldconfig run once they are unpacked.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION [[
company-management module of a tax-filing client
A shared library that a tax-filing client loads to list, add, delete and
choose the companies it files for and to edit their data, with the reference
host library it needs and the interface both share.]])

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${COMPANYMGR_DEB_DEVELOPMENT})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The CMake package and the pkg-config file ask for Qt's.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "qt6-base-dev")
if(COMPANYMGR_DOCS)
  string(APPEND CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS ", libjs-jquery")
endif()
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS Runtime)
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION [[
company-management module of a tax-filing client (development files)
The headers, link names, CMake package and pkg-config file to write a host
for the company-management module of a tax-filing client, and the API
reference when it was built.]])

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME ${COMPANYMGR_DEB_PROGRAMS})
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_PROGRAMS_DEPENDS Runtime)
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION [[
host programs of the company-management module of a tax-filing client
Two hosts for the company-management module of a tax-filing client:
taxhost, a demo host, and hostcall, which makes one call of one entry
point.]])

# CPack adds postinst and postrm scripts that run ldconfig to a package with
# libraries; the trigger above does that already.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/debian/DropLdconfigScripts.cmake)
include(CPack)
