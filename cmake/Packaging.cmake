# CPack: a Debian package and a .tar.gz of the installation.
#   cpack --config build/CPackConfig.cmake        (in build/, makes both)
# The .deb installs below /opt/gkbrisel (the installation folder is
# /opt/gkbrisel/<GK_INSTALL_APPDIR>); its dependencies come from
# dpkg-shlibdeps. The .tar.gz holds the same tree below one top folder.
# updata.ini is a conffile of the .deb: dpkg keeps a user's changed settings
# on reinstall and upgrade.
set(CPACK_PACKAGE_NAME "gkbrisel")
set(CPACK_PACKAGE_VENDOR "GkBrisel")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "PCB design audit suite: Carrack launcher, GKBriselUpdate updater, Engine geometry library")
set(CPACK_PACKAGE_CONTACT "GkBrisel maintainers <maintainers@gkbrisel.invalid>")
set(CPACK_GENERATOR "DEB;TGZ")
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_STRIP_FILES OFF)

set(GK_DEB_PREFIX "/opt/gkbrisel" CACHE STRING "Installation prefix of the Debian package")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(GK_DEB_CONFFILES "${CMAKE_CURRENT_BINARY_DIR}/cpack/conffiles")
file(WRITE "${GK_DEB_CONFFILES}" "${GK_DEB_PREFIX}/${GK_INSTALL_APPDIR}/updata.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${GK_DEB_CONFFILES}")

# The prefix differs per generator, so it is set when CPack runs.
set(GK_CPACK_PROJECT_CONFIG "${CMAKE_CURRENT_BINARY_DIR}/cpack/ProjectConfig.cmake")
file(WRITE "${GK_CPACK_PROJECT_CONFIG}" "
if(CPACK_GENERATOR STREQUAL \"DEB\")
  set(CPACK_PACKAGING_INSTALL_PREFIX \"${GK_DEB_PREFIX}\")
else()
  set(CPACK_PACKAGING_INSTALL_PREFIX \"/\")
endif()
")
set(CPACK_PROJECT_CONFIG_FILE "${GK_CPACK_PROJECT_CONFIG}")

include(CPack)
