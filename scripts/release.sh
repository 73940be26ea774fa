#!/usr/bin/env bash
# Makes the release of Zenvrix that a Windows user downloads: builds zenvrix.exe and
# zenvrix-info.exe in Release for both word sizes (build-release-win32/ and
# build-release-win64/, only those two programs) and writes
#   dist/zenvrix-VERSION-win32.zip  dist/zenvrix-VERSION-win64.zip  dist/SHA256SUMS
# Each archive holds the two programs and Readme.txt in a folder named after it.
# The same commit gives the same bytes: the linker stamps no time into the programs
# and the archives have fixed dates, order and permissions (scripts/archive.py).
#   scripts/release.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dist="$top/dist"
rm -rf "$dist"
mkdir -p "$dist"
for arch in win32 win64; do
  toolchain=mingw-i686
  [ "$arch" = win64 ] && toolchain=mingw-x86_64
  build="$top/build-release-$arch"
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain.cmake" >/dev/null
  rm -f "$build"/zenvrix-*.zip     # an archive of another version is not this one
  cmake --build "$build" -j "$(nproc)" --target release_archive
  cp "$build"/zenvrix-*-"$arch".zip "$dist/"
done
(cd "$dist" && sha256sum zenvrix-*.zip > SHA256SUMS)
echo "release archives in $dist:"
cat "$dist/SHA256SUMS"
