# Cross toolchain of the 64-bit program: x86_64 MinGW-w64, run by Wine's 64-bit
# loader itself (/usr/bin/wine picks the 32-bit loader, which hosts without 32-bit
# support cannot start).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZENVRIX_TRIPLE x86_64-w64-mingw32)
set(ZENVRIX_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
