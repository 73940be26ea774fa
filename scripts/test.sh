#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native core tests under
# the sanitizers, a bounded fuzz run, and the whole Windows suite under Wine (private
# Wine prefix, private virtual display, private CUPS server with a PDF printer) once
# for every build this host can run: the 32-bit and the 64-bit program where 32-bit
# code runs, the 64-bit one alone elsewhere.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" || exit 1
"$top/scripts/build.sh" native || exit 1

source "$top/scripts/wine-env.sh"
find_arches
cups_dir="$top/build-native/cups"
cleanup() {
  stop_wine_and_display
  "$top/scripts/cups-private.sh" stop "$cups_dir"
}
trap cleanup EXIT
unset DISPLAY   # the tests never draw on a person's screen
start_display || exit 1
CUPS_SERVER=$("$top/scripts/cups-private.sh" start "$cups_dir") || exit 1
export CUPS_SERVER

status=0
echo "== native core tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
(cd "$top/build-native" && ctest --output-on-failure) || status=1
if [ -x "$top/scripts/fuzz.sh" ]; then
  echo "== bounded fuzz run"
  "$top/scripts/fuzz.sh" "${ZENVRIX_FUZZ_SECONDS:-60}" || status=1
fi
case " $ZENVRIX_ARCHES " in
  *" win32 "*) ;;
  *) echo "== the 32-bit Windows suite was not run: this host runs no 32-bit code" ;;
esac
for arch in $ZENVRIX_ARCHES; do
  echo "== Windows tests under Wine: $arch build"
  use_arch "$arch"
  make_prefix
  (cd "$build" && ctest --output-on-failure --timeout 900) || status=1
  stop_wine
done
exit $status
