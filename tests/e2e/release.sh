#!/usr/bin/env bash
# The release archive of this build as a user gets it: unpacked into a fresh folder
# outside the build tree it holds the two programs and Readme.txt in one folder
# named after it; Windows reports their version (release_test.exe); zenvrix.exe
# starts there from another current folder, and Info > View Readme.txt opens in
# Notepad the Readme.txt beside the unpacked program.
# Run by CTest in the build tree; needs DISPLAY, WINEPREFIX and a printer (CUPS_SERVER).
set -u
bits=${ZENVRIX_BITS:-32} wine=${WINE:-wine}
archive=$(ls -t zenvrix-*-win"$bits".zip 2>/dev/null | head -1)
name=${archive%.zip} unpacked=$(mktemp -d) program=""
cleanup() {
  "$wine" taskkill /im notepad.exe >/dev/null 2>&1
  [ -n "$program" ] && { "$wine" taskkill /im zenvrix.exe >/dev/null 2>&1; sleep 1; kill "$program" 2>/dev/null; }
  rm -rf "$unpacked"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
find_window() { timeout 15 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1 | grep .; }

python3 -m zipfile -e "$archive" "$unpacked" || fail "no archive zenvrix-*-win$bits.zip that unpacks"
files=$(cd "$unpacked" && find . -type f | sort | tr '\n' ' ')
[ "$files" = "./$name/Readme.txt ./$name/zenvrix-info.exe ./$name/zenvrix.exe " ] || fail "$archive holds $files"
folder="Z:$(printf '%s' "$unpacked/$name" | tr / '\\')"
ZENVRIX_RELEASE_DIR="$folder" "$wine" ./release_test.exe || fail "the unpacked programs' version"

(cd "$unpacked" && exec "$wine" "$name/zenvrix.exe") &
program=$!
main=$(find_window "^Zenvrix - $bits bit ver.$") || fail "the unpacked zenvrix.exe did not start"
sleep 1
xdotool windowfocus "$main" key alt+i Down Return
notepad=$(find_window "^Readme.txt - Notepad$") || fail "View Readme.txt opened no Readme.txt in Notepad"
# Notepad's command line names the file it opened.
opened=$(tr '\0' ' ' < "/proc/$(xdotool getwindowpid "$notepad")/cmdline")
[[ "$opened" == *"$folder\\Readme.txt"* ]] || fail "Notepad opened $opened, not $folder\\Readme.txt"
echo "1 passed, 0 failed"
