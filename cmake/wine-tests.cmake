# Test and benchmark programs of the cross build.
#
# Every tests/*_test.cpp and tests/native/*_test.cpp is one GoogleTest program,
# linked with the application library, the resources and the harness; CTest runs
# each under Wine (the toolchain's emulator) in the build tree's own Wine prefix.
# Every bench/*.cpp is one benchmark program (not run by CTest).
enable_testing()
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(ZENVRIX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
# What every test run under Wine gets: the loader that runs this build's programs
# (the 64-bit loader serves Wine's own tools too) and the program's word size.
math(EXPR ZENVRIX_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
set(ZENVRIX_WINE_ENV "WINE=${CMAKE_CROSSCOMPILING_EMULATOR};ZENVRIX_BITS=${ZENVRIX_BITS};WINEDEBUG=-all")
if(ZENVRIX_BITS EQUAL 64)
  string(APPEND ZENVRIX_WINE_ENV ";WINELOADER=${CMAKE_CROSSCOMPILING_EMULATOR}")
endif()

add_library(zenvrix_harness STATIC tests/harness.cpp)
target_link_libraries(zenvrix_harness PUBLIC zenvrix_lib gtest)
target_include_directories(zenvrix_harness PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)

file(GLOB ZENVRIX_TESTS CONFIGURE_DEPENDS tests/*_test.cpp tests/native/*_test.cpp)
foreach(test_source ${ZENVRIX_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source} $<TARGET_OBJECTS:zenvrix_res>)
  target_link_libraries(${test_name} PRIVATE zenvrix_harness gtest_main)
  add_test(NAME ${test_name} COMMAND ${test_name})
  set_tests_properties(${test_name} PROPERTIES
    TIMEOUT 900
    ENVIRONMENT "WINEPREFIX=${ZENVRIX_WINEPREFIX};${ZENVRIX_WINE_ENV};ZENVRIX_SOURCE_DIR=${CMAKE_SOURCE_DIR};ZENVRIX_BINARY_DIR=${CMAKE_BINARY_DIR}")
endforeach()

# The print test once more in a world without printers: CUPS is asked at a socket
# where nothing listens, and the Wine prefix is one of its own, since Wine keeps the
# printers it has seen in the prefix's registry.
add_test(NAME print_test_without_printer COMMAND print_test --gtest_filter=WithoutPrinter.*)
set_tests_properties(print_test_without_printer PROPERTIES
  TIMEOUT 900
  ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-noprinter;${ZENVRIX_WINE_ENV};CUPS_SERVER=${CMAKE_BINARY_DIR}/no-printer.sock;ZENVRIX_WITHOUT_PRINTER=1;ZENVRIX_SOURCE_DIR=${CMAKE_SOURCE_DIR};ZENVRIX_BINARY_DIR=${CMAKE_BINARY_DIR}")

# The shell test once more on a screen of 144 dpi (a display scaled to 150 %), in a
# Wine prefix of its own, so that its LogPixels reaches no other test; without a
# printer, so that the printed-page figures are taken from the screen as well.
set(ZENVRIX_144DPI_PREFIX ${CMAKE_BINARY_DIR}/wineprefix-144dpi)
add_test(NAME prefix_at_144_dpi COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} reg add
         "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d 144 /f)
set_tests_properties(prefix_at_144_dpi PROPERTIES FIXTURES_SETUP at_144_dpi TIMEOUT 300
  ENVIRONMENT "WINEPREFIX=${ZENVRIX_144DPI_PREFIX};${ZENVRIX_WINE_ENV}")
add_test(NAME shell_test_at_144_dpi COMMAND shell_test --gtest_filter=At144Dpi.*)
set_tests_properties(shell_test_at_144_dpi PROPERTIES FIXTURES_REQUIRED at_144_dpi
  TIMEOUT 900
  ENVIRONMENT "WINEPREFIX=${ZENVRIX_144DPI_PREFIX};${ZENVRIX_WINE_ENV};CUPS_SERVER=${CMAKE_BINARY_DIR}/no-printer.sock;ZENVRIX_WITHOUT_PRINTER=1;ZENVRIX_AT_144_DPI=1;ZENVRIX_SOURCE_DIR=${CMAKE_SOURCE_DIR};ZENVRIX_BINARY_DIR=${CMAKE_BINARY_DIR}")

# The names of a CJK font in Chinese: Wine takes the system's locale from LANG, here a
# Chinese one compiled into the build tree (glibc's LOCPATH), in a prefix of its own.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/locale)
execute_process(COMMAND localedef -i zh_CN -f UTF-8 ${CMAKE_BINARY_DIR}/locale/zh_CN.UTF-8
                RESULT_VARIABLE ZENVRIX_LOCALEDEF OUTPUT_QUIET ERROR_QUIET)
add_test(NAME opentype_test_in_chinese COMMAND opentype_test --gtest_filter=*SystemsLanguage*)
set_tests_properties(opentype_test_in_chinese PROPERTIES
  TIMEOUT 900
  ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-zh;${ZENVRIX_WINE_ENV};LANG=zh_CN.UTF-8;LC_MESSAGES=C;LOCPATH=${CMAKE_BINARY_DIR}/locale;ZENVRIX_SOURCE_DIR=${CMAKE_SOURCE_DIR};ZENVRIX_BINARY_DIR=${CMAKE_BINARY_DIR}")

file(GLOB ZENVRIX_BENCHES CONFIGURE_DEPENDS bench/*.cpp)
foreach(bench_source ${ZENVRIX_BENCHES})
  get_filename_component(bench_name ${bench_source} NAME_WE)
  add_executable(bench_${bench_name} ${bench_source} $<TARGET_OBJECTS:zenvrix_res>)
  target_link_libraries(bench_${bench_name} PRIVATE zenvrix_harness)
endforeach()

# Sessions driven like a user would, with real X input: every tests/e2e/*.sh.
file(GLOB ZENVRIX_E2E_TESTS CONFIGURE_DEPENDS tests/e2e/*.sh)
foreach(e2e_script ${ZENVRIX_E2E_TESTS})
  get_filename_component(e2e_name ${e2e_script} NAME_WE)
  add_test(NAME e2e_${e2e_name} COMMAND bash ${e2e_script} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e_${e2e_name} PROPERTIES TIMEOUT 300
    ENVIRONMENT "WINEPREFIX=${ZENVRIX_WINEPREFIX};${ZENVRIX_WINE_ENV}")
endforeach()

# The TrueType oracle: zenvrix-info.exe under Wine against an independent reader
# built on fontTools, over every .ttf, .otf, .ttc and .otc under /usr/share/fonts.
# Debian's python3, which sees python3-fonttools (python3 on PATH may be another).
add_test(NAME ttf_oracle
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/oracle/ttf_oracle.py
                 --info $<TARGET_FILE:zenvrix-info>)
# Once more as on a Windows that does not know the manifest's UTF-8 entry: the system
# code page (1252, Wine's under LANG=C).
add_test(NAME ttf_oracle_system_codepage
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/oracle/ttf_oracle.py
                 --info $<TARGET_FILE:zenvrix-info> --system)
set_tests_properties(ttf_oracle ttf_oracle_system_codepage PROPERTIES
  TIMEOUT 900
  ENVIRONMENT "WINEPREFIX=${ZENVRIX_WINEPREFIX};${ZENVRIX_WINE_ENV};LANG=C")
