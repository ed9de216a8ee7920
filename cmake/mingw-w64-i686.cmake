# Cross-compiles for 32-bit Windows with MinGW-w64: the build that 32-bit hosts load.
# Wine runs what it builds in a 64-bit prefix that has 32-bit Wine beside it.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
