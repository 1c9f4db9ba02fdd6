# What `cmake --install` puts on a machine and how `cpack -G DEB` packs it. The program itself is
# installed where it is defined (src/ui); tests, benchmarks and the developer tools have no
# install rules. The package's version is the project's VERSION.
#
# Installing takes what is built and builds nothing more: scripts/package builds only the
# program, so a package does not wait for benchmarks and developer tools.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/tieba-signin-launcher DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tieba-signin.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/tieba-signin-64.png
  DESTINATION share/icons/hicolor/64x64/apps RENAME tieba-signin.png)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/tieba-signin.svg DESTINATION share/icons/hicolor/scalable/apps)

add_subdirectory(${PROJECT_SOURCE_DIR}/packaging/icon ${CMAKE_BINARY_DIR}/packaging/icon)

set(CPACK_PACKAGE_NAME tieba-signin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "tieba-signin maintainers <maintainers@tieba-signin.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Daily sign-in helper for the Tieba forum service")
set(CPACK_PACKAGE_DESCRIPTION
  "Keeps up to three forum accounts, logs them in and signs in every forum they follow, with a\n"
  "grab-first sign-in at midnight, a reply bumper and a work log. Its data file lives in\n"
  "~/.local/share/tieba-signin when started from the desktop menu.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tieba-signin.sourceforge.io/")
# Libraries the program links come from dpkg-shlibdeps; the platform plugin and the CJK font are
# loaded at run time, so they are named here, and so is the D-Bus library the power-off uses.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6dbus6, fonts-wqy-microhei")

include(CPack)
