# Cross toolchain of the 32-bit program (the product): i686 MinGW-w64, run by Wine's
# usual loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZENVRIX_TRIPLE i686-w64-mingw32)
set(ZENVRIX_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
