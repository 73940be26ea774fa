#!/usr/bin/env bash
# Builds Zenvrix: the cross build (zenvrix.exe, tools, tests, benchmarks) in build/,
# and with "native" also the sanitizer and fuzzing build of the core in build-native/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
cmake -S "$top" -B "$top/build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$top/build" -j "$jobs"
if [ "${1:-}" = native ]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-native" >/dev/null
  cmake --build "$top/build-native" -j "$jobs"
fi
