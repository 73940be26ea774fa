# Native build of the parts that compile without <windows.h> (files named *core.cpp:
# the TrueType reading core and the layout arithmetic), with their unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the libFuzzer targets when
# the compiler is clang.  Configure with CC=clang CXX=clang++ for the fuzzers.
option(ZENVRIX_SANITIZE "build the native core with ASan and UBSan" ON)
enable_testing()

set(ZENVRIX_SANITIZER_FLAGS "")
if(ZENVRIX_SANITIZE)
  set(ZENVRIX_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
                              -fno-omit-frame-pointer)
endif()
add_compile_options(${ZENVRIX_SANITIZER_FLAGS} -Wall -Wextra)
add_link_options(${ZENVRIX_SANITIZER_FLAGS})

add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB ZENVRIX_CORE_SOURCES CONFIGURE_DEPENDS catalogue/*core.cpp render/*core.cpp)
add_library(zenvrix_core STATIC ${ZENVRIX_CORE_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
target_include_directories(zenvrix_core PUBLIC ${CMAKE_SOURCE_DIR})

file(GLOB ZENVRIX_NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*_test.cpp)
foreach(test_source ${ZENVRIX_NATIVE_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(native_${test_name} ${test_source})
  target_link_libraries(native_${test_name} PRIVATE zenvrix_core gtest_main)
  target_compile_definitions(native_${test_name} PRIVATE ZENVRIX_NATIVE_TEST=1)
  add_test(NAME native_${test_name} COMMAND native_${test_name})
  set_tests_properties(native_${test_name} PROPERTIES
    ENVIRONMENT "ZENVRIX_SOURCE_DIR=${CMAKE_SOURCE_DIR};ZENVRIX_BINARY_DIR=${CMAKE_BINARY_DIR}")
endforeach()

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  file(GLOB ZENVRIX_FUZZERS CONFIGURE_DEPENDS tests/fuzz/*_fuzz.cpp)
  foreach(fuzz_source ${ZENVRIX_FUZZERS})
    get_filename_component(fuzz_name ${fuzz_source} NAME_WE)
    add_executable(${fuzz_name} ${fuzz_source} ${ZENVRIX_CORE_SOURCES})
    target_include_directories(${fuzz_name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${fuzz_name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${fuzz_name} PRIVATE -fsanitize=fuzzer)
  endforeach()
endif()
