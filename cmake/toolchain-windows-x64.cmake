# 64-bit Windows (x86-64): the same Win32 sources as the 32-bit build, for
# machines that cannot run 32-bit x86 programs (a kernel without 32-bit
# emulation cannot start 32-bit Wine). Run here under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QZHAL_MINGW_TRIPLE x86_64-w64-mingw32)
set(QZHAL_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
