#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Windows tests under
# Wine (private Wine prefix, private virtual display, private CUPS server with a
# PDF printer), the native core tests under the sanitizers, and a bounded fuzz run.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
"$top/scripts/setup.sh" || exit 1
"$top/scripts/build.sh" native || exit 1

source "$top/scripts/wine-env.sh"
cups_dir="$build/cups"
cleanup() {
  stop_wine_and_display
  "$top/scripts/cups-private.sh" stop "$cups_dir"
}
trap cleanup EXIT
unset DISPLAY   # the tests never draw on a person's screen
start_display || exit 1
CUPS_SERVER=$("$top/scripts/cups-private.sh" start "$cups_dir") || exit 1
export CUPS_SERVER
make_prefix

status=0
echo "== native core tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
(cd "$top/build-native" && ctest --output-on-failure) || status=1
if [ -x "$top/scripts/fuzz.sh" ]; then
  echo "== bounded fuzz run"
  "$top/scripts/fuzz.sh" "${ZENVRIX_FUZZ_SECONDS:-60}" || status=1
fi
echo "== Windows tests under Wine"
(cd "$build" && ctest --output-on-failure --timeout 900) || status=1
exit $status
