# Installing the program with the Linux board library, and its Debian
# package: `cmake --install` and `cpack -G DEB` in a linux-board build.
include(GNUInstallDirs)

set(QZHAL_PACKAGE_VERSION ${PROJECT_VERSION})
# The package's maintainer: the project's own address, the one its history
# is recorded under. A team that publishes the package sets its list here.
set(QZHAL_PACKAGE_MAINTAINER "qzhaltest maintainers <maintainers@users.noreply.c-seed-c2f87d24.example>"
  CACHE STRING "Maintainer field of the Debian package")

# The library is the program's own: it lives in a private folder under the
# architecture's library folder, which no one but the program searches
# (no ldconfig, no soname to keep). The program names it in its run path
# relative to its own place, so an unpacked package runs as installed.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(QZHAL_PRIVATE_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/qzhaltest)
else()
  set(QZHAL_PRIVATE_LIBDIR lib/qzhaltest)
endif()
set_target_properties(qzhaltest PROPERTIES INSTALL_RPATH "$ORIGIN/../${QZHAL_PRIVATE_LIBDIR}")
install(TARGETS qzhaltest qzhal-probe RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS QZHalLib LIBRARY DESTINATION ${QZHAL_PRIVATE_LIBDIR})
# Runs a plan inside a LAVA test shell and reports its steps there (lava/).
install(PROGRAMS ${PROJECT_SOURCE_DIR}/lava/qzhal-lava-plan DESTINATION ${CMAKE_INSTALL_BINDIR})

# Where the board map goes: the folder is the package's, the map the board's.
install(DIRECTORY DESTINATION /etc/qzhal)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/maps/example.conf
  DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples RENAME board.conf)

# The Debian files: copyright, the changelog and the manual pages, the last
# two compressed as Debian's policy wants them (gzip -9n: no name, no time).
set(QZHAL_PACKAGE_FILES ${CMAKE_CURRENT_BINARY_DIR}/package)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/package/copyright.in ${QZHAL_PACKAGE_FILES}/copyright @ONLY)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/package/changelog.in ${QZHAL_PACKAGE_FILES}/changelog @ONLY)

# qzhal_gzip(source output): output is source compressed, made by the build.
set(QZHAL_GZIPPED)
function(qzhal_gzip source output)
  add_custom_command(OUTPUT ${output} DEPENDS ${source}
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${source} ${output} VERBATIM)
  set(QZHAL_GZIPPED ${QZHAL_GZIPPED} ${output} PARENT_SCOPE)
endfunction()

qzhal_gzip(${QZHAL_PACKAGE_FILES}/changelog ${QZHAL_PACKAGE_FILES}/changelog.gz)
# The pages' footer names the package, "qzhaltest"; the installed pages add
# its version.
file(GLOB QZHAL_MAN_PAGES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/man/*.[1-9])
foreach(page ${QZHAL_MAN_PAGES})
  get_filename_component(name ${page} NAME)
  string(REGEX REPLACE ".*\\.([1-9])$" "\\1" section ${name})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${page})
  file(READ ${page} text)
  string(REGEX REPLACE "^(\\.TH [^\n]*) qzhaltest " "\\1 \"qzhaltest ${QZHAL_PACKAGE_VERSION}\" " text "${text}")
  file(WRITE ${QZHAL_PACKAGE_FILES}/${name}.new "${text}")
  configure_file(${QZHAL_PACKAGE_FILES}/${name}.new ${QZHAL_PACKAGE_FILES}/${name} COPYONLY)
  qzhal_gzip(${QZHAL_PACKAGE_FILES}/${name} ${QZHAL_PACKAGE_FILES}/${name}.gz)
  install(FILES ${QZHAL_PACKAGE_FILES}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
add_custom_target(qzhal_package_files ALL DEPENDS ${QZHAL_GZIPPED})

install(FILES ${QZHAL_PACKAGE_FILES}/copyright ${QZHAL_PACKAGE_FILES}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qzhaltest)
set(CPACK_PACKAGE_VERSION ${QZHAL_PACKAGE_VERSION})
set(CPACK_PACKAGE_CONTACT "${QZHAL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console test program for a board's peripherals over Linux")
set(CPACK_PACKAGE_DESCRIPTION "qzhaltest exercises the peripherals of an ARM board through its support
library, QZHalLib: backlight, reboot, GPIO pins, LEDs, buttons and
interrupts, I2C, physical registers, versions, SPI (with a 25AA010A
EEPROM), UART and CAN. A technician picks the tests from numbered menus
and reads a result line for each; a script can drive it through its
standard input.

This package holds the program with the library for Linux boards, which
drives the kernel's own interfaces (GPIO character devices, i2c-dev,
spidev, serial ports, SocketCAN, the backlight class, /dev/mem) as the
board map in /etc/qzhal/board.conf names them, qzhal-probe, which
prints a draft of that map for the running system, and qzhal-lava-plan,
which runs a test plan in a LAVA board farm and reports every step there
as a test case.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
if(CMAKE_CROSSCOMPILING)
  # The target's libraries are not installed here for dpkg-shlibdeps to
  # read: the package needs what the native one needs, for its architecture.
  execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
    OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
else()
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/package/packaging-tools.cmake)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
