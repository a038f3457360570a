# 32-bit ARM Linux (armhf) with Debian's cross compilers. Programs built here
# run on this machine through qemu-user: ctest starts the test programs with
# the emulator, and the transcript harness starts the program under test with
# QZHAL_PROGRAM_LAUNCHER (there is no binfmt hand-over to qemu).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
# Everything here is built by this one compiler: its notes on how GCC 7.1
# changed the passing of some arguments concern mixing older builds only.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")

set(QZHAL_ARMHF_SYSROOT /usr/arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH ${QZHAL_ARMHF_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The loader and the libraries both come from the cross sysroot. qemu-arm
# looks a guest path up in the sysroot first and on the host after, so an
# armhf C library installed on the host (multiarch libc6:armhf, which
# armhf -dev packages pull in) would otherwise be paired with the sysroot's
# loader, and a forked child crashes: the library path keeps them together.
set(QZHAL_ARMHF_RUN qemu-arm -L ${QZHAL_ARMHF_SYSROOT} -E LD_LIBRARY_PATH=/lib)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QZHAL_ARMHF_RUN})
set(QZHAL_PROGRAM_LAUNCHER "${QZHAL_ARMHF_RUN}" CACHE STRING
    "Command prefixed to the program when the tests start it")
