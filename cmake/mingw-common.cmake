# Shared part of the two cross toolchains: Windows executables built with MinGW-w64
# (posix thread model, needed by GoogleTest's std::mutex) and run under Wine by CTest.
# The including file sets ZENVRIX_TRIPLE, the processor and ZENVRIX_WINE_LOADER.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZENVRIX_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZENVRIX_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZENVRIX_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZENVRIX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZENVRIX_WINE_LOADER})
