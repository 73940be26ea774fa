#!/usr/bin/env bash
# Runs bench_scale.exe on generated corpora of several sizes in every build this
# host runs (build-win32/ and build-win64/, built beforehand with scripts/build.sh):
# the corpora are written once by bench/gen_corpus.py into CORPUS_ROOT (default
# /tmp/zenvrix-corpus, never the source tree), each build runs in its own Wine
# prefix on a display (a private Xvfb when there is none) with its private CUPS
# queue, and each run's output goes to the terminal and to CORPUS_ROOT/<bench>-<build>-<n>.txt.
# ZENVRIX_BENCH=rescan runs bench_rescan.exe (rescans of remembered files) instead,
# ROUNDS sets the rounds (default 3).
#   bench/scale.sh [SIZE ...]            (default 1000 10000 100000)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=$(realpath -m "${CORPUS_ROOT:-/tmp/zenvrix-corpus}")
sizes=("$@")
bench=${ZENVRIX_BENCH:-scale}
rounds=${ROUNDS:-3}
[ ${#sizes[@]} -eq 0 ] && sizes=(1000 10000 100000)
source "$top/scripts/wine-env.sh"

for n in "${sizes[@]}"; do
  if [ ! -f "$root/c$n/.complete" ]; then
    rm -rf "$root/c$n"
    /usr/bin/python3 "$top/bench/gen_corpus.py" "$root/c$n" "$n"
    touch "$root/c$n/.complete"
  fi
done

find_arches
start_display
cups=""
cleanup() {
  [ -n "$cups" ] && "$top/scripts/cups-private.sh" stop "$cups" >/dev/null 2>&1 || true
  stop_wine_and_display
}
trap cleanup EXIT
for arch in $ZENVRIX_ARCHES; do
  use_arch "$arch"
  make_prefix
  cups="$build/cups"
  CUPS_SERVER=$("$top/scripts/cups-private.sh" start "$cups")
  export CUPS_SERVER
  for n in "${sizes[@]}"; do
    echo "== $arch, $n files"
    folder="Z:${root//\//\\}\\c$n"
    (cd "$build" && "$WINE" "bench_$bench.exe" "$folder" "$rounds") 2>&1 |
      tee "$root/$bench-$arch-$n.txt"
  done
  "$top/scripts/cups-private.sh" stop "$cups" >/dev/null 2>&1 || true
  cups=""
  stop_wine
done
