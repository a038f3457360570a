# Installing the program with the Linux board library, and its Debian
# package: `cmake --install` and `cpack -G DEB` in a linux-board build.
include(GNUInstallDirs)

# The program finds the library beside it in the installed tree too, also
# under a prefix the loader does not search.
set_target_properties(qzhaltest PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
install(TARGETS qzhaltest RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS QZHalLib LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/maps/example.conf
  DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples RENAME board.conf)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qzhaltest)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "qzhaltest maintainers <qzhaltest@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Console test program for the board's peripherals over Linux's interfaces")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
