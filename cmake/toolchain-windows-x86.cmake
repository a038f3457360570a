# 32-bit Windows (i686), the target's platform family, run here under 32-bit
# Wine.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QZHAL_MINGW_TRIPLE i686-w64-mingw32)
set(QZHAL_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
