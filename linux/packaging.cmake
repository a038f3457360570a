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
if(CMAKE_CROSSCOMPILING)
  # The target's libraries are not installed here for dpkg-shlibdeps to
  # read: the package needs what the native one needs, for its architecture.
  execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
    OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
else()
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
