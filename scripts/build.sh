#!/usr/bin/env bash
# Builds Zenvrix from one tree: the 32-bit program (the product) in build-win32/ and
# the same sources as a 64-bit program in build-win64/, each with zenvrix-info.exe,
# the test programs and the benchmarks; with "native" also the sanitizer and fuzzing
# build of the core in build-native/.  Both cross builds are made on every host:
# which of them can run here is for the run and test scripts to find out.
#   scripts/build.sh [native]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
for arch in win32 win64; do
  toolchain=mingw-i686
  [ "$arch" = win64 ] && toolchain=mingw-x86_64
  cmake -S "$top" -B "$top/build-$arch" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain.cmake" >/dev/null
  cmake --build "$top/build-$arch" -j "$jobs"
done
if [ "${1:-}" = native ]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-native" >/dev/null
  cmake --build "$top/build-native" -j "$jobs"
fi
