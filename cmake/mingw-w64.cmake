# What both Windows toolchains share: mingw-w64's POSIX-thread compilers for
# QZHAL_MINGW_TRIPLE (their C++ runtime has std::thread and std::mutex),
# libgcc, libstdc++ and winpthread linked statically so that the .exe and the
# .dll need nothing beside them, and Wine (cmake/wine-run, WINEARCH
# QZHAL_WINE_ARCH) to run the programs here, with a prefix in the build tree.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QZHAL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QZHAL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QZHAL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QZHAL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR env WINEARCH=${QZHAL_WINE_ARCH} ${CMAKE_CURRENT_LIST_DIR}/wine-run)
