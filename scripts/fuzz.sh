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

# The corpus: real fonts as they are, and the same fonts (.ttf and .otf) cut down
# to their offset table, directory, name, OS/2 and cmap tables (small inputs run much
# faster), and collections (versions 1 and 2) of three such fonts each.
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
fonts += sorted(glob.glob('/usr/share/fonts/**/*.otf', recursive=True))[::5]

def tables_of(data, base):
    count = struct.unpack('>H', data[base + 4:base + 6])[0]
    tables = {}
    for i in range(count):
        at = base + 12 + 16 * i
        tag, _, offset, length = struct.unpack('>4sIII', data[at:at + 16])
        tables[tag] = data[offset:offset + length]
    return data[base:base + 4], {t: tables[t] for t in tables if t in (b'OS/2', b'head', b'name', b'cmap')}

def layout(faces, start):
    """Directories and tables of the faces from file offset start on."""
    directories, body = [], bytearray()
    at = start + sum(12 + 16 * len(t) for _, t in faces)
    for version, tables in faces:
        d = bytearray(version + struct.pack('>HHHH', len(tables), 0, 0, 0))
        for tag in sorted(tables):
            d += tag + struct.pack('>III', 0, at + len(body), len(tables[tag]))
            body += tables[tag]
            while len(body) % 4:
                body += b'\0'
        directories.append(bytes(d))
    return directories, bytes(body)

cut = []
for path in fonts:
    data = open(path, 'rb').read()
    if len(data) < 12 or data[:4] == b'ttcf':
        continue
    face = tables_of(data, 0)
    cut.append(face)
    directories, body = layout([face], 0)
    name = os.path.splitext(os.path.basename(path))[0] + '-tables' + os.path.splitext(path)[1]
    open(os.path.join(corpus, name), 'wb').write(directories[0] + body)
for n in range(0, len(cut) - 2, 7):
    faces = cut[n:n + 3]
    version = 2 if n % 2 else 1
    header = 12 + 4 * len(faces) + (12 if version == 2 else 0)
    directories, body = layout(faces, header)
    out = bytearray(b'ttcf' + struct.pack('>HHI', version, 0, len(faces)))
    at = header
    for d in directories:
        out += struct.pack('>I', at)
        at += len(d)
    if version == 2:
        out += struct.pack('>III', 0, 0, 0)
    out += b''.join(directories) + body
    open(os.path.join(corpus, 'collection-%d.ttc' % n), 'wb').write(bytes(out))
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
