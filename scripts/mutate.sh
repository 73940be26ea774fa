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
# The generated list: every slip scripts/mutants.py makes from the code as it stands.
# First the reach map (the suite once, case by case, in build-win64-reach/, compiled
# for coverage; kept while the code and tests stay as they are); then each slip runs
# against the cases of its folder's tests that execute its line (of every test, where
# none of its folder's does) until one fails: the cases that caught slips of its file
# before first (in RESULTS-FILE, which the workers share), then the quickest, each
# program stopping at its first failing case.  A slip that does not compile is
# skipped, one that compiles to the same object code is counted apart (same-code), one
# on a line no test executes is not run (unreached).  --jobs N (the cores plus one, at
# most 4, by default) runs N workers, each in a copy of the tree under
# build-win64-mutate/.  A report per folder ends the run (scripts/mutants.py report
# RESULTS-FILE gives it again).
#   scripts/mutate.sh --generated [--sample N] [--draw K] [--folder F] [--ids FILE] [--resume] [--jobs N] [RESULTS-FILE]
# --draw K picks the sample's random draw (19 by default): the same K, the same slips.
# --resume keeps RESULTS-FILE and runs only the slips it does not name yet; --ids runs
# only the slips a file names (one a line; a results file will do).
#
# Environment: ZENVRIX_MUTATE_ARCH (win64|win32), ZENVRIX_MUTATE_TIMEOUT (seconds per
# test program, default 300, 120 for the generated list, which the unmutated run has
# whole; under a slip a test the baseline timed gets four times its time, at least 30 s,
# another four times its reach-map time, at least 15 s), ZENVRIX_MUTATE_BASELINE=0 to
# skip the unmutated run, ZENVRIX_MUTATE_DISPLAY to use that X display (a private Xvfb
# is started otherwise).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
list="$top/scripts/mutations.txt"
generated=0; resume=0; sample=0; draw=19; folder=""; ids=""; slips_file=""
jobs=$(( $(nproc) + 1 )); [ "$jobs" -gt 4 ] && jobs=4
while [ "${1:-}" != "${1#--}" ]; do
  case $1 in
    --generated) generated=1 ;;
    --resume) resume=1 ;;
    --sample) sample=$2; shift ;;
    --draw) draw=$2; shift ;;
    --folder) folder=$2; shift ;;
    --ids) ids=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift ;;
    --jobs) jobs=$2; shift ;;
    --slips) slips_file=$2; shift ;;
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
triple=x86_64-w64-mingw32; toolchain=mingw-x86_64
[ "$arch" = win32 ] && triple=i686-w64-mingw32 && toolchain=mingw-i686
gcov=$triple-gcov; strip=$triple-strip

source "$top/scripts/wine-env.sh"
use_arch "$arch"
backup=""
mutated=""
# Puts the slipped file back as it was.  A source file keeps its time and gets back
# the object compiled from it before the run, so that it is not compiled again.
restore() {
  [ -n "$mutated" ] && [ -f "$backup" ] || return 0
  local object="${mutated#"$top"/}.obj"
  if [ "$generated" = 1 ] && [ -f "$build/mutate-objects/$object" ]; then
    cp -p "$backup" "$mutated"
    cp "$build/mutate-objects/$object" "$build/CMakeFiles/zenvrix_lib.dir/$object"
  else
    cat "$backup" >"$mutated"; touch "$mutated"
  fi
  rm -f "$backup"; mutated=""
}
# Each prefix's Wine server is kept running between the tests (wineserver -p), with
# Wine's own services: a test then starts in a fraction of a second instead of four or
# five.  The server and the services are started here, their output on /dev/null: a
# service that a test started would hold the test's output open, and CTest would wait
# for it to end.  A prefix that a test fixture makes is kept from the next test on.
#   keep_servers [BUILD [TEST]]: every prefix of BUILD, or the one TEST runs in.
declare -A kept
keep_servers() {
  local prefix pattern="wineprefix*"
  [ -n "${2:-}" ] && pattern=$(prefix_of "$2")
  for prefix in "${1:-$build}"/$pattern; do
    [ -f "$prefix/system.reg" ] && [ -z "${kept[$prefix]:-}" ] || continue
    ( export WINEPREFIX=$prefix
      wineserver -k; wineserver -w
      wineserver -p && "$WINE" cmd /c exit ) </dev/null >/dev/null 2>&1
    kept[$prefix]=1
  done
  return 0
}
# The Wine prefix a CTest test runs in (cmake/wine-tests.cmake sets them).
prefix_of() {
  case ${1%%@*} in
    *_without_printer) echo wineprefix-noprinter ;;
    *_at_144_dpi) echo wineprefix-144dpi ;;
    *_in_chinese) echo wineprefix-zh ;;
    *) echo wineprefix ;;
  esac
}
# Ends every program left running under any of the build's prefixes, and their servers.
end_servers() {
  local prefix
  for prefix in "${1:-$build}"/wineprefix*; do
    [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null
  done
  for prefix in "${1:-$build}"/wineprefix*; do
    [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -w 2>/dev/null
    unset "kept[$prefix]"
  done
  return 0
}

# What a slipped program leaves in the test prefixes' folders (a font copied under a
# wrong name, a user's Fonts folder it failed to take back, a temporary file) would
# change how the next slips' tests run: those folders are saved once the unmutated
# suite has run, and put back after each slip.  The registry stays: the tests take
# back their fonts' values themselves, and the kept servers hold it.
#   prefix_folders save|put
prefix_folders() {
  local prefix part saved
  for prefix in "$build"/wineprefix*; do
    for part in users windows/Fonts windows/temp; do
      saved="$build/mutate-prefixes/${prefix##*/}/$part"
      [ -d "$prefix/drive_c/$part" ] || continue
      if [ "$1" = save ]; then
        rm -rf "$saved"; mkdir -p "$(dirname "$saved")"; cp -a "$prefix/drive_c/$part" "$saved"
      elif [ -d "$saved" ]; then
        rm -rf "$prefix/drive_c/$part"; cp -a "$saved" "$prefix/drive_c/$part"
      fi
    done
  done
}

cleanup() {
  [ -n "$mutated" ] && echo "restored $mutated"
  restore
  end_servers; end_servers "$build-reach"
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

# The build targets behind CTest names (one a line on stdin).
targets_of() {
  while read -r name; do
    case ${name%%@*} in
      e2e_release) echo release_archive ;;
      e2e_*) echo zenvrix ;;
      ttf_oracle*) echo zenvrix-info ;;
      prefix_*) ;;
      *_without_printer) echo "${name%_without_printer}" ;;
      *_at_144_dpi) echo "${name%_at_144_dpi}" ;;
      *_in_chinese) echo "${name%_in_chinese}" ;;
      *) echo "${name%%@*}" ;;
    esac
  done | sort -u
}
tests_matching() {
  (cd "$1" && ctest -N -R "$2") | sed -n 's/^ *Test *#[0-9]*: //p'
}

# regex -> 0 when every test it picks passed (each one runs, see run_named).
run_tests() {
  run_named "$(tests_matching "$build" "$1" | paste -sd, -)" all
}

# same_code A B: the two objects hold the same code and data (their debug information,
# which names columns, may differ).
same_code() {
  "$strip" --strip-debug -o "$build/mutate-a.obj" "$1" && "$strip" --strip-debug -o "$build/mutate-b.obj" "$2" &&
    cmp -s "$build/mutate-a.obj" "$build/mutate-b.obj"
}

# ctest_one NAME[@FILTER] SECONDS LOG: one CTest test under `timeout`, only the cases
# FILTER names when it names some.
ctest_one() {
  local name=${1%%@*} filter=
  [ "$name" != "$1" ] && filter=${1#*@}
  keep_servers "$build" "$name"
  (cd "$build" && GTEST_FILTER=${filter:-*} GTEST_FAIL_FAST=1 timeout -k 5 "$2" ctest -R "^$name\$" --output-on-failure >>"$3" 2>&1)
}

# reach_seconds NAME[@CASE:CASE...] -> the seconds its cases took in the reach map (the
# coverage build, slower than this one), or fails when the map has not timed them all.
reach_seconds() {
  local program=${1%%@*} total=0 f first
  local -a files=()
  [ -n "${ZENVRIX_MUTATE_REACH:-}" ] || return 1
  if [ "$program" != "$1" ]; then
    IFS=: read -ra files <<<"${1#*@}"
    files=("${files[@]/#/$ZENVRIX_MUTATE_REACH/$program@}")
  elif [ -f "$ZENVRIX_MUTATE_REACH/$program" ]; then files=("$ZENVRIX_MUTATE_REACH/$program")
  else files=("$ZENVRIX_MUTATE_REACH/$program@"*)
  fi
  for f in "${files[@]}"; do
    [ -f "$f" ] || return 1
    read -r first <"$f"; total=$(( total + ${first%.*} ))
  done
  echo "$total"
}

# run_named NAME,NAME,... first|all -> 0 when every test passed, 1 when one failed
# (first: stops there), 2 when a test program does not build.  Each test runs alone
# under `timeout` (the tests' own TIMEOUT property would outlast any --timeout): a test
# that hangs has failed, and what it left running under Wine is ended with the servers.
# A test whose unmutated time the baseline took gets four times that (at least 30 s)
# before it counts as hung, cases the baseline did not time as such four times their
# time in the reach map (at least 15 s).  The first test's program is built alone, and
# the others only once it has passed: a slip caught at once does not wait for every link.
declare -A took
run_named() {
  local names name status=0 limit t0 built=0 targets mapped
  names=$(tr ',' '\n' <<<"$1")
  : >"$build/mutate-ctest.log"
  for name in $names; do
    if [ "$built" -lt 2 ]; then
      if [ "$built" = 0 ]; then targets=$(targets_of <<<"$name"); else targets=$(sed 1d <<<"$names" | targets_of); fi
      built=$((built + 1))
      # shellcheck disable=SC2086
      [ -z "$targets" ] || cmake --build "$build" -j2 --target $targets >"$build/mutate-build.log" 2>&1 || return 2
    fi
    # The unmutated run (all) has the whole limit: it may make a prefix, and the other
    # workers' first builds load the machine meanwhile.
    limit=$per_test
    if [ "$2" = all ]; then :
    elif [ -n "${took[$name]:-}" ]; then limit=$(( took[$name] * 4 > 30 ? took[$name] * 4 : 30 ))
    elif mapped=$(reach_seconds "$name"); then limit=$(( mapped * 4 > 15 ? mapped * 4 : 15 )); fi
    t0=$(date +%s)
    : >"$build/mutate-one.log"
    if ! ctest_one "$name" "$limit" "$build/mutate-one.log"; then
      cat "$build/mutate-one.log" >>"$build/mutate-ctest.log"
      # what failed: the cases that failed of a program run on some, or the test
      cases=""
      [ "$name" != "${name%%@*}" ] &&
        cases=$(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_]*\.[A-Za-z0-9_]*\).*/\1/p' "$build/mutate-one.log" | sort -u | paste -sd: -)
      echo "***Failed ${cases:+${name%%@*}@}${cases:-$name}" >>"$build/mutate-ctest.log"
      status=1
      end_servers
      [ "$2" = first ] && return 1
    fi
    [ "$2" = all ] && took[$name]=$(( $(date +%s) - t0 + 1 ))
  done
  return $status
}

# map_one ENTRY: runs one test (or the cases it names) in the coverage build and keeps
# the lines it executed.
map_one() {
  local t0
  find "$cov" -name '*.gcda' -delete
  t0=$(date +%s)
  # Wine takes a path that starts with / on the current drive; the tests' files lie on Z:.
  if ! GCOV_PREFIX=Z: build=$cov ctest_one "$1" 900 "$cov/reach-ctest.log"; then
    echo "the unmutated $1 fails in the coverage build: see $cov/reach-ctest.log" >&2
    return 1
  fi
  GCOV="$gcov" "${mutants[@]}" reach "$cov" "$dir" "$1" "$(( $(date +%s) - t0 ))" || return 1
  echo "  $1: $(( $(date +%s) - t0 )) s" >&2
}

# The reach map: the suite run once, test by test, in a build of its own compiled for
# coverage, and the lines of the program each test executed (scripts/mutants.py
# reach).  Kept while the program, its tests and its build files stay as they are.
reach_map() {
  local cov="$build-reach" dir name stamp cases entry
  dir="$cov/reach"
  stamp=$(cd "$top" && git ls-files -z -- app catalogue render print install tests resources cmake CMakeLists.txt |
          xargs -0 cat | md5sum | cut -c1-32)
  if [ "$(cat "$dir/.stamp" 2>/dev/null)" = "$stamp" ]; then echo "$dir"; return 0; fi
  echo "reach map: the suite once in $cov, compiled for coverage" >&2
  cmake -S "$top" -B "$cov" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain.cmake" -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null || return 1
  cmake --build "$cov" -j2 >"$cov/reach-build.log" 2>&1 || { echo "see $cov/reach-build.log" >&2; return 1; }
  (export WINEPREFIX="$cov/wineprefix"; make_prefix) >&2
  rm -rf "$dir"; mkdir -p "$dir"; : >"$cov/reach-ctest.log"
  for name in $(tests_matching "$cov" .); do
    case $name in prefix_*) continue ;; esac
    # A GoogleTest program that CTest runs whole is mapped case by case.
    cases=""
    if [ "$(targets_of <<<"$name")" = "$name" ] && [ -f "$cov/$name.exe" ]; then
      cases=$(cd "$cov" && "$WINE" "./$name.exe" --gtest_list_tests 2>/dev/null | tr -d '\r' |
              awk '/^[^ ]/ { suite = $1 } /^  [^ ]/ { print suite $1 }')
    fi
    # A test in a Wine prefix of its own makes the prefix on its first run, which takes
    # far longer than the test: that run is not timed, nor mapped.
    [ -f "$cov/$(prefix_of "$name")/system.reg" ] ||
      build=$cov ctest_one "$name" 900 "$cov/reach-ctest.log" || true
    for entry in ${cases:-""}; do
      if ! map_one "$name${entry:+@$entry}"; then
        [ -n "$entry" ] || return 1
        # A case that needs the ones before it: the program is mapped whole.
        echo "  $name@$entry fails alone: $name is mapped whole" >&2
        rm -f "$dir/$name@"*
        map_one "$name" || return 1
        break
      fi
    done
  done
  end_servers "$cov"
  echo "$stamp" >"$dir/.stamp"
  echo "$dir"
}

# sync_copy COPY: the tree's files into a worker's copy of it.  A file whose content
# changed is written anew and takes the time of now, so that the copy's build compiles
# it again even where the tree's file kept an older time than the copy's object (a file
# put back with its time, as restore does); a file that left the tree is removed, and
# the copy's builds (build-*) are kept.
sync_copy() {
  local copy=$1 stage f
  stage=$(mktemp -d)
  (cd "$top" && git ls-files -z | tar --null -T - -cf -) | tar -C "$stage" -xf -
  mkdir -p "$copy"
  find "$copy" -mindepth 1 -path "$copy/build-*" -prune -o -type f -print0 | while IFS= read -r -d '' f; do
    [ -f "$stage/${f#"$copy"/}" ] || rm -f "$f"
  done
  (cd "$stage" && find . -type f -print0) | while IFS= read -r -d '' f; do
    cmp -s "$stage/$f" "$copy/$f" || { mkdir -p "$(dirname "$copy/$f")" && cp "$stage/$f" "$copy/$f"; }
  done
  rm -rf "$stage"
}

# The generated list: one line per slip in RESULTS-FILE, tab-separated: verdict,
# folder, slip, the line as it stands, the line slipped, seconds, what caught it.
if [ "$generated" = 1 ]; then
  mutants=(/usr/bin/python3 "$top/scripts/mutants.py")
  if [ "$resume" = 0 ] && [ -z "$slips_file" ]; then : >"$results"; else touch "$results"; fi
  if [ -n "$slips_file" ]; then
    # A worker: the slips its parent listed, tests resolved, in this copy of the tree.
    mapfile -t slips <"$slips_file"
  else
    reach=$(reach_map) || exit 1
    export ZENVRIX_MUTATE_REACH=$reach
    mapfile -t slips < <("${mutants[@]}" list --reach "$reach" ${folder:+--folder "$folder"} \
                         ${sample:+--sample "$sample"} --draw "$draw" ${ids:+--ids "$ids"} |
                         awk -F'\t' 'FILENAME == ARGV[1] { done[$3] = 1; next } !($1 in done)' "$results" -)
    echo "${#slips[@]} slips to run, $jobs at a time"
    if [ "$jobs" -gt 1 ] && [ "${#slips[@]}" -gt 1 ]; then
      start=$(date +%s); pids=()
      for k in $(seq "$jobs"); do
        copy="$build-mutate/worker-$k"
        sync_copy "$copy"
        printf '%s\n' "${slips[@]}" | awk -v k="$k" -v n="$jobs" 'NR % n == k % n' >"$copy/slips"
        ( unset DISPLAY CUPS_SERVER; exec "$copy/scripts/mutate.sh" --generated --slips "$copy/slips" "$results" ) \
          >"$copy/log" 2>&1 &
        pids+=($!)
        echo "worker $k: $(wc -l <"$copy/slips") slips in $copy (log: $copy/log)"
        sleep 5   # each worker's Xvfb takes its own display number
      done
      status=0
      for k in "${!pids[@]}"; do
        wait "${pids[$k]}" && continue
        status=1; echo "worker $((k + 1)) failed:" >&2; tail -n 4 "$build-mutate/worker-$((k + 1))/log" >&2
      done
      [ "$status" = 0 ] || exit 1
      echo "${#slips[@]} slips in $(( ($(date +%s) - start) / 60 )) min with $jobs workers (their builds and baselines included)"
      "${mutants[@]}" report --workers "$jobs" "$results"
      exit 0
    fi
  fi
  objects="$build/CMakeFiles/zenvrix_lib.dir"
  needed=$(printf '%s\n' "${slips[@]}" | cut -f3 | tr ',' '\n' | grep -v '^-$' | sort -u)
  cmake --build "$build" -j2 >"$build/mutate-build.log" 2>&1 || { echo "the unmutated build fails" >&2; exit 1; }
  if [ "${ZENVRIX_MUTATE_BASELINE:-1}" != 0 ] && [ -n "$needed" ]; then
    echo "baseline: the unmutated suite on $(wc -w <<<"$needed") tests"
    if ! run_named "$(paste -sd, <<<"$needed")" all; then
      echo "the unmutated suite does not pass: see $build/mutate-ctest.log" >&2
      grep -E 'Failed|Timeout|Not Run' "$build/mutate-ctest.log" >&2
      exit 1
    fi
  fi
  # The objects of the unmutated code: to tell a slip that changes no instruction, and
  # put back after each slip, so that the unmutated file is not compiled again.
  rm -rf "$build/mutate-objects"; cp -rp "$objects" "$build/mutate-objects"
  prefix_folders save
  start=$(date +%s); done_now=0
  for slip in "${slips[@]}"; do
    IFS=$'\t' read -r id where tests before after <<<"$slip"
    grep -qF "	$id	" "$results" 2>/dev/null && continue
    file=${id%%:*}; path="$top/$file"
    backup=$(mktemp); cp -p "$path" "$backup"; mutated=$path
    t0=$(date +%s); by=""
    if ! "${mutants[@]}" apply "$id"; then
      verdict=moved
    elif ! cmake --build "$build" -j2 --target zenvrix_lib >"$build/mutate-build.log" 2>&1; then
      verdict=not-compiled
    elif [ "${file%.cpp}" != "$file" ] && same_code "$objects/$file.obj" "$build/mutate-objects/$file.obj"; then
      verdict=same-code
    elif [ "$tests" = - ]; then
      verdict=unreached
    else
      run_named "$("${mutants[@]}" order "$id" "$tests" "$results")" first
      case $? in
        0) verdict=survived ;;
        2) verdict=not-compiled ;;
        *) verdict=caught; by=$(sed -n 's/^\*\*\*Failed //p' "$build/mutate-ctest.log" | paste -sd, -) ;;
      esac
    fi
    restore
    case $verdict in caught|survived) prefix_folders put ;; esac
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$verdict" "$where" "$id" "$before" "$after" "$(( $(date +%s) - t0 ))" "$by" | tee -a "$results"
    done_now=$((done_now + 1))
  done
  echo "$done_now slips in $(( ($(date +%s) - start) / 60 )) min"
  [ -n "$slips_file" ] || "${mutants[@]}" report "$results"
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
prefix_folders save
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
  prefix_folders put
  line=$(printf '%2d %-9s %s: %s -> %s [%s]' "$i" "${verdict%% *}" "$file" "$old" "$new" "$regex")
  echo "$line   ${verdict#* }"
  echo "$line   ${verdict#* }" >> "$results"
done
echo "caught $caught of $total ($bad bad slips; $(( ($(date +%s) - start) / 60 )) min)" | tee -a "$results"
