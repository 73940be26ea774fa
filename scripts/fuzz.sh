#!/usr/bin/env bash
# Runs every fuzz target of the native build for the given number of seconds
# (default 60), each starting from a corpus of real fonts copied into the build tree.
# Builds nothing: expects build-native from "scripts/build.sh native" (or the
# folder named by ZENVRIX_NATIVE_BUILD).
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
native=${ZENVRIX_NATIVE_BUILD:-$top/build-native}
seconds=${1:-60}
shopt -s nullglob
targets=("$native"/*_fuzz)
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no fuzz targets in $native (run scripts/build.sh native with clang)" >&2
  exit 1
fi

# The corpus: real fonts as they are, and the same fonts cut down to their offset
# table, directory, name and OS/2 tables (small inputs run much faster).
corpus="$native/fuzz-corpus/ttf"
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  n=0
  for font in $(find /usr/share/fonts -name '*.ttf' -size -300k | sort | awk 'NR % 40 == 1'); do
    cp "$font" "$corpus/$(basename "$font")"
    n=$((n + 1))
  done
  /usr/bin/python3 - "$corpus" <<'PY'
import os, struct, sys, glob
corpus = sys.argv[1]
fonts = sorted(glob.glob('/usr/share/fonts/**/*.ttf', recursive=True))[::10]
for path in fonts:
    data = open(path, 'rb').read()
    if len(data) < 12:
        continue
    count = struct.unpack('>H', data[4:6])[0]
    tables = {}
    for i in range(count):
        tag, _, offset, length = struct.unpack('>4sIII', data[12 + 16 * i:28 + 16 * i])
        tables[tag] = (offset, length)
    keep = [t for t in sorted(tables) if t in (b'OS/2', b'head', b'name')]
    out = bytearray(data[:4] + struct.pack('>HHHH', len(keep), 0, 0, 0))
    body = bytearray()
    start = 12 + 16 * len(keep)
    for tag in keep:
        offset, length = tables[tag]
        out += tag + struct.pack('>III', 0, start + len(body), length)
        body += data[offset:offset + length]
        while len(body) % 4:
            body += b'\0'
    name = os.path.basename(path)[:-4] + '-tables.ttf'
    open(os.path.join(corpus, name), 'wb').write(bytes(out + body))
PY
fi

status=0
for target in "${targets[@]}"; do
  name=$(basename "$target")
  work="$native/fuzz-work/$name"      # inputs found new, kept for the next run
  log="$native/fuzz-work/$name.log"
  mkdir -p "$work"
  echo "fuzz: $name for ${seconds}s"
  if ! (cd "$native/fuzz-work" && "$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
          "$work" "$corpus" > "$log" 2>&1); then
    echo "fuzz: $name found a problem; see $log" >&2
    tail -40 "$log" >&2
    status=1
  fi
  grep -E "stat::number_of_executed_units|stat::average_exec_per_sec" "$log" || true
done
exit $status
