#!/usr/bin/env bash
# Runs the oracle: zenvrix-info.exe (under Wine) against the independent fontTools
# reader over every .ttf, .otf, .ttc and .otc under /usr/share/fonts.  Called by CTest with the path of
# zenvrix-info.exe; WINEPREFIX, WINEDEBUG and DISPLAY come from the test run.
set -euo pipefail
info=${1:?path of zenvrix-info.exe}
root=${2:-/usr/share/fonts}
exec /usr/bin/python3 "$(dirname "$0")/ttf_oracle.py" --info "$info" --root "$root"
