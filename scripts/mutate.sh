#!/usr/bin/env bash
# The mutation check: how many small slips in the program's code the tests notice.
# Two lists of slips, each slip applied alone to the source, the needed targets of one
# build (build-win64 by default) rebuilt, the test programs that should notice run,
# each under `timeout`, and the file put back whatever happens (also on Ctrl-C).
#
# The hand list, a quick check: each line of scripts/mutations.txt (tab-separated:
# file, text of one line as it stands, what it becomes, the CTest regex of the test
# programs that should notice).  A slip that does not compile is a fault of the list.
#   scripts/mutate.sh [RESULTS-FILE] [FIRST-LAST]   e.g. scripts/mutate.sh out.txt 1-10
#
# The generated list: every slip scripts/mutants.py makes from the code as it stands,
# run against the tests of its folder; a slip that does not compile is skipped, one
# that compiles to the same object code is counted apart (same-code).  A report per
# folder ends the run (scripts/mutants.py report RESULTS-FILE gives it again).
#   scripts/mutate.sh --generated [--sample N] [--draw K] [--folder F] [--ids FILE] [--resume] [RESULTS-FILE]
# --draw K picks the sample's random draw (19 by default): the same K, the same slips.
# --resume keeps RESULTS-FILE and runs only the slips it does not name yet; --ids runs
# only the slips a file names (one a line, first field: a results file will do).
#
# Environment: ZENVRIX_MUTATE_ARCH (win64|win32), ZENVRIX_MUTATE_TIMEOUT (seconds per
# test program, default 300, 120 for the generated list), ZENVRIX_MUTATE_BASELINE=0 to
# skip the unmutated run, ZENVRIX_MUTATE_DISPLAY to use that X display (a private Xvfb
# is started otherwise).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
list="$top/scripts/mutations.txt"
generated=0; resume=0; sample=0; draw=19; folder=""; ids=""
while [ "${1:-}" != "${1#--}" ]; do
  case $1 in
    --generated) generated=1 ;;
    --resume) resume=1 ;;
    --sample) sample=$2; shift ;;
    --draw) draw=$2; shift ;;
    --folder) folder=$2; shift ;;
    --ids) ids=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
if [ "$generated" = 1 ]; then
  results=${1:-$top/scripts/mutation-generated.txt}
  per_test=${ZENVRIX_MUTATE_TIMEOUT:-120}
else
  results=${1:-$top/scripts/mutation-results.txt}
  range=${2:-}
fi
arch=${ZENVRIX_MUTATE_ARCH:-win64}
per_test=${per_test:-${ZENVRIX_MUTATE_TIMEOUT:-300}}
toolchain=mingw-x86_64
[ "$arch" = win32 ] && toolchain=mingw-i686

source "$top/scripts/wine-env.sh"
use_arch "$arch"
backup=""
mutated=""
cleanup() {
  if [ -n "$mutated" ] && [ -f "$backup" ]; then
    cat "$backup" > "$mutated"; touch "$mutated"; rm -f "$backup"
    echo "restored $mutated"
  fi
  stop_wine_and_display
  "$top/scripts/cups-private.sh" stop "$build/cups"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain.cmake" >/dev/null || exit 1
if [ -n "${ZENVRIX_MUTATE_DISPLAY:-}" ]; then export DISPLAY=$ZENVRIX_MUTATE_DISPLAY; else unset DISPLAY; fi
start_display || exit 1
make_prefix
CUPS_SERVER=$("$top/scripts/cups-private.sh" start "$build/cups") || exit 1
export CUPS_SERVER

# The build targets behind the CTest names a regex picks.
targets_for() {
  (cd "$build" && ctest -N -R "$1") | sed -n 's/^ *Test *#[0-9]*: //p' | while read -r name; do
    case $name in
      e2e_*) echo zenvrix ;;
      ttf_oracle) echo zenvrix-info ;;
      *_without_printer) echo "${name%_without_printer}" ;;
      *) echo "$name" ;;
    esac
  done | sort -u
}

# regex -> 0 when every picked test passed.  Each test runs alone under `timeout`
# (the tests' own TIMEOUT property would outlast any --timeout): a test that hangs
# has failed, and what it left running under Wine is ended with the prefix.
run_tests() {
  local regex=$1 name status=0
  # shellcheck disable=SC2046
  cmake --build "$build" -j2 --target $(targets_for "$regex") >"$build/mutate-build.log" 2>&1 || return 2
  : >"$build/mutate-ctest.log"
  for name in $( (cd "$build" && ctest -N -R "$regex") | sed -n 's/^ *Test *#[0-9]*: //p'); do
    if ! (cd "$build" && timeout -k 5 "$per_test" ctest -R "^$name\$" --output-on-failure >>"$build/mutate-ctest.log" 2>&1); then
      echo "***Failed $name" >>"$build/mutate-ctest.log"
      status=1
      stop_wine
    fi
  done
  return $status
}

# The generated list: one line per slip in RESULTS-FILE, tab-separated: verdict,
# folder, slip, the line as it stands, the line slipped, seconds, what caught it.
if [ "$generated" = 1 ]; then
  mutants=(/usr/bin/python3 "$top/scripts/mutants.py")
  mapfile -t slips < <("${mutants[@]}" list ${folder:+--folder "$folder"} ${sample:+--sample "$sample"} --draw "$draw" ${ids:+--ids "$ids"})
  [ "$resume" = 1 ] && [ -f "$results" ] || : >"$results"
  objects="$build/CMakeFiles/zenvrix_lib.dir"
  if [ "${ZENVRIX_MUTATE_BASELINE:-1}" != 0 ]; then
    all=$(printf '%s\n' "${slips[@]}" | cut -f3 | sort -u | paste -sd'|')
    echo "baseline: the unmutated suite on the tests of $(printf '%s\n' "${slips[@]}" | cut -f2 | sort -u | paste -sd' ' -)"
    if ! run_tests "$all"; then
      echo "the unmutated suite does not pass: see $build/mutate-ctest.log" >&2
      grep -E 'Failed|Timeout|Not Run' "$build/mutate-ctest.log" >&2
      exit 1
    fi
  fi
  # The objects of the unmutated code, to tell a slip that changes no instruction.
  rm -rf "$build/mutate-objects"; cp -r "$objects" "$build/mutate-objects"
  start=$(date +%s); done_now=0
  for slip in "${slips[@]}"; do
    IFS=$'\t' read -r id where regex before after <<<"$slip"
    grep -qF "	$id	" "$results" 2>/dev/null && continue
    file=${id%%:*}; path="$top/$file"
    backup=$(mktemp); cp "$path" "$backup"; mutated=$path
    t0=$(date +%s); by=""
    if ! "${mutants[@]}" apply "$id"; then
      verdict=moved
    elif ! cmake --build "$build" -j2 --target zenvrix_lib >"$build/mutate-build.log" 2>&1; then
      verdict=not-compiled
    elif [ "${file%.cpp}" != "$file" ] && cmp -s "$objects/$file.obj" "$build/mutate-objects/$file.obj"; then
      verdict=same-code
    else
      run_tests "$regex"
      case $? in
        0) verdict=survived ;;
        2) verdict=not-compiled ;;
        *) verdict=caught; by=$(sed -n 's/^\*\*\*Failed //p' "$build/mutate-ctest.log" | paste -sd, -) ;;
      esac
    fi
    cat "$backup" > "$path"; touch "$path"; rm -f "$backup"; mutated=""
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$verdict" "$where" "$id" "$before" "$after" "$(( $(date +%s) - t0 ))" "$by" | tee -a "$results"
    done_now=$((done_now + 1))
  done
  echo "$done_now slips in $(( ($(date +%s) - start) / 60 )) min"
  "${mutants[@]}" report "$results"
  exit 0
fi

mapfile -t slips < <(grep -v '^#' "$list" | grep -v '^[[:space:]]*$')
first=1; last=${#slips[@]}
if [ -n "$range" ]; then first=${range%-*}; last=${range#*-}; fi

if [ "${ZENVRIX_MUTATE_BASELINE:-1}" != 0 ]; then
  all=$(printf '%s\n' "${slips[@]}" | cut -f4 | paste -sd'|')
  echo "baseline: the unmutated suite on the picked tests"
  if ! run_tests "$all"; then
    echo "the unmutated suite does not pass: see $build/mutate-ctest.log" >&2
    grep -E 'Failed|Timeout|Not Run' "$build/mutate-ctest.log" >&2
    exit 1
  fi
fi

: > "$results"
caught=0; total=0; bad=0; start=$(date +%s)
for i in $(seq "$first" "$last"); do
  IFS=$'\t' read -r file old new regex <<<"${slips[$((i - 1))]}"
  path="$top/$file"
  backup=$(mktemp); cp "$path" "$backup"; mutated=$path
  if ! OLD=$old NEW=$new /usr/bin/python3 - "$path" <<'PY'
import os, sys
path = sys.argv[1]
text = open(path, encoding="latin-1").read()
old, new = os.environ["OLD"], os.environ["NEW"]
lines = text.split("\n")
hits = [n for n, line in enumerate(lines) if line.strip() == old.strip()]
if not hits:
    sys.exit("line not found")
n = hits[0]
lines[n] = lines[n][: len(lines[n]) - len(lines[n].lstrip())] + new.strip()
open(path, "w", encoding="latin-1").write("\n".join(lines))
PY
  then
    verdict="BAD (line not found)"; bad=$((bad + 1))
  else
    t0=$(date +%s)
    run_tests "$regex"; rc=$?
    case $rc in
      0) verdict="survived" ;;
      2) verdict="BAD (does not compile)"; bad=$((bad + 1)) ;;
      *) verdict="caught"; caught=$((caught + 1))
         verdict="$verdict by $(sed -n 's/^\*\*\*Failed //p' "$build/mutate-ctest.log" | paste -sd, -)" ;;
    esac
    [ "$rc" = 2 ] || total=$((total + 1))
    verdict="$verdict ($(( $(date +%s) - t0 ))s)"
  fi
  cat "$backup" > "$path"; touch "$path"; rm -f "$backup"; mutated=""
  line=$(printf '%2d %-9s %s: %s -> %s [%s]' "$i" "${verdict%% *}" "$file" "$old" "$new" "$regex")
  echo "$line   ${verdict#* }"
  echo "$line   ${verdict#* }" >> "$results"
done
echo "caught $caught of $total ($bad bad slips; $(( ($(date +%s) - start) / 60 )) min)" | tee -a "$results"
