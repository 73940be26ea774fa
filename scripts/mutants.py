#!/usr/bin/env python3
"""mutants.py - the slips of the generated mutation check, made from the program's
code as it stands (app/, catalogue/, render/, print/, install/).

Kinds of slip, each one change at one place:
  ror     a relational operator turned into its neighbour (< <=, > >=, == !=)
  const   an integer constant (or an array bound) moved by one
  logic   && and || swapped
  negate  the condition of an if, while or for negated
  fail    a call whose result is tested made to report failure (not made at all)
  drop    a statement that releases something (free, DeleteObject, a close, ...) dropped
Comments, string and character literals and preprocessor lines other than #define
are never touched.  A slip is named file:line:column:kind, so a run can be repeated
or resumed as long as the file has not changed meanwhile.

  mutants.py list --reach DIR [--folder F] [--sample N] [--draw K] [--ids FILE]
                                    id, folder, tests to run, before, after
  mutants.py apply ID               writes the slip into its file
  mutants.py reach BUILD DIR TEST SECONDS
                                    after TEST ran in the coverage build BUILD: the
                                    program lines it executed, into DIR/TEST
  mutants.py report [--workers J] RESULTS
                                    per folder, against the code; the survivors
                                    shown equivalent ('= ' lines of
                                    scripts/mutation-scores.txt) counted apart, those
                                    left with why ('~ ' lines) within survived
  mutants.py order ID TESTS RESULTS the tests of a slip (as list gives them), those
                                    that caught slips of its file before first
  mutants.py explain [--folder F] RESULTS NOTES
                                    the scores file's '= ' and '~ ' lines for the
                                    survivors NOTES explains ('slip<TAB>=|~<TAB>why')

The tests a slip runs against are its folder's tests that execute its line (the reach
map of one run of the suite, case by case, in a build with coverage, DIR), or where
none of them does every test that does, the quickest first, and only the cases of a
test program that execute the line; a slip on a line that carries code and that no
test executes is left unrun ("unreached").  A line that carries no code of its own (a declaration, an initialiser,
a continued expression) runs against the tests of the lines with code on either side
of it in its file, and a file without code (a header) against every test of its
folder.
"""
import argparse
import glob
import os
import random
import re
import subprocess
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The test programs (CTest regex) that exercise each folder, as the hand list picks them.
# The main window dispatches the drawing and printing of every other folder, so app's
# own tests include theirs.
FOLDERS = {
    "app": "shell|scroll|catalogue_test|render|print|opentype",
    "catalogue": "ttfcore|catalogue|dirscan|opentype",
    "render": "layout|render|scroll|opentype",
    "print": "print|opentype",
    "install": "install|opentype",
}
RELEASES = re.compile(r"(free|fclose|_l?close|SelectObject|GlobalUnlock|UnmapViewOfFile|ImageList_Destroy|EndPaint"
                      r"|(Free|Release|Close|Destroy|Delete|Remove|Unregister|Unhook|Kill)\w*)$")
ALLOWED_LOWER = {"malloc", "calloc", "realloc", "fopen", "fread", "fwrite", "fgets"}
KEYWORDS = {"if", "while", "for", "switch", "return", "sizeof", "defined", "catch"}
FAILURE_TOKEN = re.compile(r"(NULL|FALSE|0|-1|\w*INVALID\w*|\w*_ERR(OR)?)$")


def mask(text):
    """The text with comments, literals and non-#define directives blanked out
    (newlines kept, so offsets and lines stay those of the file)."""
    out, i, n = list(text), 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#":
            end = i
            while True:
                end = text.find("\n", end)
                if end < 0:
                    end = n
                    break
                if text[end - 1] != "\\":
                    break
                end += 1
            if not re.match(r"#\s*define\b", text[i:end]):
                for k in range(i, end):
                    if out[k] != "\n":
                        out[k] = " "
                i = end
                continue
        if c == "\n":
            line_start = True
        elif not c.isspace():
            line_start = False
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
        elif c in "\"'":
            end = i + 1
            while end < n and text[end] != c:
                end += 2 if text[end] == "\\" else 1
            i += 1  # the quotes stay: the literal stays a literal
            end = min(end, n)
        else:
            i += 1
            continue
        for k in range(i, end):
            if out[k] != "\n":
                out[k] = " "
        i = end + (1 if c in "\"'" else 0)
    return "".join(out)


def closing(m, open_at):
    """Offset of the parenthesis or bracket closing the one at open_at, or -1."""
    pair = {"(": ")", "[": "]"}[m[open_at]]
    depth = 0
    for k in range(open_at, len(m)):
        if m[k] == m[open_at]:
            depth += 1
        elif m[k] == pair:
            depth -= 1
            if depth == 0:
                return k
    return -1


def prev_token(m, at):
    k = at - 1
    while k >= 0 and m[k].isspace():
        k -= 1
    if k >= 1 and m[k - 1:k + 1] in ("&&", "||"):
        return m[k - 1:k + 1]
    return m[k] if k >= 0 else ""


def next_token(m, at):
    k = at
    while k < len(m) and m[k].isspace():
        k += 1
    hit = re.match(r"(&&|\|\||==|!=|<=|>=|<|>)\s*(-?\w+)?|.", m[k:k + 80], re.S)
    return (hit.group(1) or hit.group(0), hit.group(2)) if hit else ("", None)


def failure_value(op, other):
    if other == "ERROR_SUCCESS":
        return "ERROR_ACCESS_DENIED"
    if op in ("==", "!=") and other and FAILURE_TOKEN.match(other):
        return other
    if op in ("<", ">=") and other == "0":
        return "-1"
    return "0"


def conditions(m):
    """(start, end) of the condition of every if, while and for."""
    found = []
    for hit in re.finditer(r"\b(if|while|for)\s*\(", m):
        open_at = hit.end() - 1
        close = closing(m, open_at)
        if close < 0:
            continue
        if hit.group(1) != "for":
            found.append((open_at + 1, close))
            continue
        semis = [k for k in range(open_at + 1, close) if m[k] == ";"]
        if len(semis) == 2 and m[semis[0] + 1:semis[1]].strip():
            found.append((semis[0] + 1, semis[1]))
    return found


def slips_of(path):
    """Every slip of one file: (offset, end, replacement, kind)."""
    text = open(os.path.join(TOP, path), encoding="latin-1").read()
    m = mask(text)
    slips = []
    for hit in re.finditer(r"<=|>=|==|!=|<|>", m):
        op, s = hit.group(0), hit.start()
        before, after = m[s - 1:s], m[hit.end():hit.end() + 1]
        if (op in "<>" and (after in "<>=" or before in "<>-")) or (op in ("<=", ">=") and before in "<>"):
            continue
        if op == "<" and re.match(r"\s*\w+\s*\*?\s*>", m[hit.end():]) and re.search(r"(cast|template|vector|std::\w+)\s*$", m[:s]):
            continue
        if op == ">" and re.search(r"<\s*\w+\s*\*?\s*$", m[max(0, s - 40):s]):
            continue
        slips.append((s, hit.end(), {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}[op], "ror"))
    for hit in re.finditer(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.])", m):
        digits, suffix = hit.group(1), hit.group(2)
        value = int(digits, 0)
        bound = m[hit.start() - 1:hit.start()] == "[" and m[hit.end():hit.end() + 1] == "]" and \
            re.search(r"\b(char|int|short|long|unsigned|BYTE|WORD|DWORD|\w+_t)\b[^;=()]*\w\s*$", m[max(0, hit.start() - 120):hit.start() - 1]) is not None
        moved = value - 1 if bound else value + 1
        new = (hex(moved) if digits.lower().startswith("0x") else str(moved)) + suffix
        slips.append((hit.start(), hit.end(), new, "bound" if bound else "const"))
    for hit in re.finditer(r"&&|\|\|", m):
        slips.append((hit.start(), hit.end(), "||" if hit.group(0) == "&&" else "&&", "logic"))
    conds = conditions(m)
    for start, end in conds:
        inner = text[start:end]
        lead = len(inner) - len(inner.lstrip())
        trail = len(inner.rstrip())
        slips.append((start + lead, start + trail, "!(" + inner[lead:trail] + ")", "negate"))
    for hit in re.finditer(r"\b([A-Za-z_]\w*)\s*\(", m):
        name, s = hit.group(1), hit.start()
        if name in KEYWORDS or name.isupper() or (name[0].islower() and name not in ALLOWED_LOWER):
            continue
        if re.search(r"(\.|->|::)\s*$", m[max(0, s - 3):s]):
            continue
        close = closing(m, hit.end() - 1)
        if close < 0:
            continue
        before = prev_token(m, s)
        op, other = next_token(m, close + 1)
        if RELEASES.match(name) and before in (";", "{", "}", ")", ":") and op == ";":
            if not re.search(r"\b(else|return)\s*$", m[max(0, s - 8):s]):
                slips.append((s, close + 1, "(void)0", "drop"))
            continue
        value = None
        in_cond = any(a <= s < b for a, b in conds)
        if before == "!":
            value = "0"
        elif op in ("==", "!=", "<", ">=", "<=", ">"):
            value = failure_value(op, other)
        elif before in ("&&", "||") or (before == "(" and in_cond):
            if op in ("&&", "||", ")", "?"):
                value = "0"
        else:
            assigned = re.search(r"\b(\w+)\s*=\s*$", m[max(0, s - 60):s])
            if assigned and op == ";":
                var = re.escape(assigned.group(1))
                rest = m[close:close + 400].split("\n")[1:7]
                for line in rest:
                    test = re.search(r"\b" + var + r"\s*(==|!=|<=|>=|<|>)\s*(-?\w+)", line)
                    if test:
                        value = failure_value(test.group(1), test.group(2))
                        break
                    if re.search(r"(!\s*" + var + r"\b|\b(if|while)\s*\(\s*" + var + r"\s*[)&|]|(&&|\|\|)\s*" + var + r"\b)", line):
                        value = "0"
                        break
        if value is not None:
            slips.append((s, close + 1, value, "fail"))
    named = []
    for s, e, new, kind in slips:
        line = text.count("\n", 0, s) + 1
        column = s - (text.rfind("\n", 0, s) + 1) + 1
        named.append(("%s:%d:%d:%s" % (path, line, column, kind), s, e, new, text))
    return named


def sources():
    for folder in FOLDERS:
        for name in sorted(os.listdir(os.path.join(TOP, folder))):
            if name.endswith((".cpp", ".h")) and not name.endswith("_main.cpp") and name != "faults.cpp":
                yield folder + "/" + name


def mutated(slip):
    _, s, e, new, text = slip
    return text[:s] + new + text[e:]


def line_of(text, offset):
    a = text.rfind("\n", 0, offset) + 1
    b = text.find("\n", offset)
    return text[a:b if b >= 0 else len(text)].strip()


def every_slip(folder=None):
    for path in sources():
        if folder in (None, path.split("/")[0]):
            yield from slips_of(path)


def sample(slips, count, draw):
    """count slips spread over the folders in proportion to their slips (each at least 2)."""
    by_folder = {}
    for slip in slips:
        by_folder.setdefault(slip[0].split("/")[0], []).append(slip)
    total = len(slips)
    rng = random.Random(draw)
    picked = []
    for folder in FOLDERS:
        group = by_folder.get(folder, [])
        take = min(len(group), max(2, round(count * len(group) / total)))
        picked += rng.sample(group, take)
    return picked


def equivalents(mark="= "):
    """(slip, line as it stands, line as slipped) of every survivor shown equivalent:
    the lines '= slip<TAB>before<TAB>after<TAB>why' of scripts/mutation-scores.txt (with
    mark "~ ", the survivors left, each with why no test here catches it).  Once the
    code around a slip moves, its entry no longer matches and the slip counts as a
    survivor again, to be looked at anew."""
    found = set()
    for line in open(os.path.join(TOP, "scripts", "mutation-scores.txt"), encoding="utf-8"):
        if line.startswith(mark):
            parts = line[2:].rstrip("\n").split("\t")
            if len(parts) >= 3:
                found.add((parts[0], parts[1].strip(), parts[2].strip()))
    return found


def explain(results, notes, folder=None):
    """The lines of the scores file for the survivors of RESULTS that NOTES explains, one
    'slip<TAB>=|~<TAB>why' a line ('=': equivalent, '~': left): each with the line as it
    stands and as slipped, the equivalents first; a slip NOTES names that is no survivor
    (caught since) is passed over.  Each survivor NOTES leaves unexplained is told on
    stderr."""
    found = {}
    for line in open(results, encoding="latin-1"):
        parts = line.rstrip("\n").split("\t")
        if len(parts) >= 5 and parts[0] in ("survived", "unreached") and folder in (None, parts[1]):
            found[parts[2]] = parts
    told = {}
    for line in open(notes, encoding="utf-8"):
        parts = line.rstrip("\n").split("\t")
        if len(parts) == 3 and parts[1] in ("=", "~"):
            told[parts[0]] = parts[1:]
    for mark in "=~":
        for slip, (kind, why) in told.items():
            if kind == mark and slip in found:
                print("%s %s\t%s\t%s\t%s" % (mark, slip, found[slip][3].strip(), found[slip][4].strip(), why))
    for slip in sorted(set(found) - set(told)):
        print("unexplained: " + slip, file=sys.stderr)


def reach(build, folder, test, seconds):
    """Writes folder/test: its seconds, then 'file<TAB>line<TAB>count' for every line
    of the program's code the coverage data under build holds (count 0: the line
    carries code, but the test never executed it)."""
    gcov = os.environ.get("GCOV", "x86_64-w64-mingw32-gcov")
    data = sorted(p for p in glob.glob(os.path.join(build, "CMakeFiles", "*", "**", "*.gcda"), recursive=True))
    counts = {}
    programs = tuple(f + "/" for f in FOLDERS)
    for at in range(0, len(data), 40):
        out = subprocess.run([gcov, "-t"] + data[at:at + 40], cwd=build, capture_output=True,
                             text=True, encoding="latin-1").stdout
        source = None
        for line in out.split("\n"):
            count, _, rest = line.partition(":")
            number, _, text = rest.partition(":")
            count, number = count.strip().rstrip("*"), number.strip()
            if number == "0":
                if text.startswith("Source:"):
                    path = os.path.relpath(text[7:], TOP)
                    source = path if path.startswith(programs) else None
                continue
            if source is None or count == "-" or not number.isdigit():
                continue
            hits = 0 if count in ("#####", "=====") else int(count) if count.isdigit() else 1
            key = (source, int(number))
            counts[key] = counts.get(key, 0) + hits
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, test), "w", encoding="utf-8") as out:
        out.write("%s\n" % seconds)
        for (source, number), hits in sorted(counts.items()):
            out.write("%s\t%d\t%d\n" % (source, number, hits))


def reach_map(folder):
    """(seconds of each test, lines carrying code, the tests that execute each line)."""
    seconds, code, executed = {}, set(), {}
    for path in sorted(glob.glob(os.path.join(folder, "*"))):
        test = os.path.basename(path)
        with open(path, encoding="utf-8") as lines:
            seconds[test] = float(lines.readline())
            for line in lines:
                source, number, hits = line.rstrip("\n").split("\t")
                key = (source, int(number))
                code.add(key)
                if hits != "0":
                    executed.setdefault(key, []).append(test)
    return seconds, code, executed


def tests_for(slip, reach):
    """The tests to run a slip against, those of its folder that execute its line or
    else every one that does, the quickest first (none: unreached): a
    test program alone, or 'program@filter' with the cases of it that execute the
    slip's line (a GoogleTest filter)."""
    seconds, code, executed = reach
    name = slip[0]
    source, number = name.split(":")[0], int(name.split(":")[1])
    lines = [number]
    if (source, number) not in code:
        # A declaration, an initialiser or a continued expression: the tests of the
        # code lines on either side of it in its file (the statement it continues,
        # the function it opens or lies in).
        nearby = sorted(n for s, n in code if s == source)
        lines = [n for n in nearby if n < number][-1:] + [n for n in nearby if n > number][:1]
    if not lines:
        folder = re.compile(FOLDERS[source.split("/")[0]])
        programs = {entry.split("@")[0] for entry in seconds if folder.search(entry.split("@")[0])}
        total = {p: sum(t for e, t in seconds.items() if e.split("@")[0] == p) for p in programs}
        return sorted(programs, key=lambda p: (total[p], p))
    own = re.compile(FOLDERS[source.split("/")[0]])
    cases = {}
    for entry in sorted(set().union(*(executed.get((source, n), []) for n in lines))):
        program, _, case = entry.partition("@")
        cases.setdefault(program, []).append(case)
    picked = []
    for program, names in cases.items():
        # the cases share one start of the program (under a kept Wine server, well
        # under a second of each case's time)
        cost = sum(seconds[program + ("@" + c if c else "")] for c in names) + 1
        picked.append((own.search(program) is None, cost, program + ("@" + ":".join(names) if all(names) else "")))
    # The folder's own tests, where one of them executes the line: a slip that only
    # other folders' tests could notice is a gap in its own folder's tests.
    if any(not other for other, _, _ in picked):
        picked = [p for p in picked if not p[0]]
    return [entry for _, _, entry in sorted(picked)]


def order(slip, tests, results):
    """The tests of a slip with the cases that caught slips of its own file before (in
    RESULTS, whose last field names 'program@case' or a test run whole) moved to the
    front, the most often caught first: a slip near another one is most often caught
    by the same case, and one such case run alone costs less than the quickest cases
    of every test that merely executes the line."""
    source = slip.split(":")[0] + ":"
    kills = {}
    for line in open(results, encoding="latin-1") if os.path.exists(results) else []:
        parts = line.rstrip("\n").split("\t")
        if len(parts) >= 7 and parts[0] == "caught" and parts[2].startswith(source):
            for by in parts[6].split(","):
                program, _, cases = by.partition("@")
                for case in cases.split(":") if cases else [""]:
                    key = program + ("@" + case if case else "")
                    kills[key] = kills.get(key, 0) + 1
    first, rest = [], []
    for entry in tests.split(","):
        program, _, cases = entry.partition("@")
        if not cases:
            (first if entry in kills else rest).append((kills.get(entry, 0), entry))
            continue
        # the known cases of one program share one start (and run in the program's order)
        known = [c for c in cases.split(":") if program + "@" + c in kills]
        others = [c for c in cases.split(":") if c not in known]
        if known:
            first.append((max(kills[program + "@" + c] for c in known), program + "@" + ":".join(known)))
        if others:
            rest.append((0, program + "@" + ":".join(others)))
    first.sort(key=lambda k: -k[0])
    return ",".join(entry for _, entry in first + rest)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["list", "apply", "reach", "report", "order", "explain"])
    parser.add_argument("arg", nargs="*")
    parser.add_argument("--reach", help="the reach map's folder")
    parser.add_argument("--folder")
    parser.add_argument("--workers", type=int, default=1, help="report: the workers the run had")
    parser.add_argument("--sample", type=int, default=0)
    parser.add_argument("--draw", type=int, default=19)
    parser.add_argument("--ids", help="a file naming the slips to list, one a line (a results file will do)")
    args = parser.parse_intermixed_args()
    if args.command == "list":
        slips = list(every_slip(args.folder))
        if args.sample:
            slips = sample(slips, args.sample, args.draw)
        if args.ids:
            # the first field that names a slip: a list of names or a results file
            wanted = {next((f for f in line.rstrip("\n").split("\t") if re.match(r"\S+:\d+:\d+:\w+$", f)), "")
                      for line in open(args.ids, encoding="latin-1")}
            slips = [slip for slip in slips if slip[0] in wanted]
        known = reach_map(args.reach)
        for slip in slips:
            name, s = slip[0], slip[1]
            after = mutated(slip)
            tests = ",".join(tests_for(slip, known)) or "-"
            print("\t".join([name, name.split("/")[0], tests, line_of(slip[4], s), line_of(after, s)]))
    elif args.command == "reach":
        reach(*args.arg)
    elif args.command == "order":
        print(order(*args.arg))
    elif args.command == "explain":
        explain(*args.arg, folder=args.folder)
    elif args.command == "apply":
        wanted = args.arg[0]
        path = wanted.split(":")[0]
        for slip in slips_of(path):
            if slip[0] == wanted:
                open(os.path.join(TOP, path), "w", encoding="latin-1").write(mutated(slip))
                return 0
        sys.exit("no slip %s in the code as it stands" % wanted)
    else:
        columns = ("generated", "caught", "survived", "unreached", "left", "equivalent", "same-code",
                   "not-compiled")
        counts = {folder: [0] * len(columns) for folder in FOLDERS}
        for slip in every_slip():
            counts[slip[0].split("/")[0]][0] += 1
        same, left = equivalents(), equivalents("~ ")
        spent = {}
        for line in open(args.arg[0], encoding="latin-1"):
            parts = line.rstrip("\n").split("\t")
            if len(parts) < 6 or parts[1] not in counts:
                continue
            verdict = parts[0]
            spent.setdefault(verdict, []).append(int(parts[5]))
            row = counts[parts[1]]
            key = (parts[2], parts[3].strip(), parts[4].strip())
            if verdict in ("survived", "unreached") and key in same:
                row[5] += 1
                continue
            if verdict in ("survived", "unreached"):
                row[2] += 1
                row[3] += verdict == "unreached"
                row[4] += key in left
            elif verdict in columns[1:]:
                row[columns.index(verdict)] += 1
            else:
                row[7] += 1
        # unreached: survivors no test executes the line of; left: survivors listed with
        # why no test here catches them (both within survived)
        print("%-10s" % "folder" + "".join(" %*s" % (len(c), c) for c in columns))
        for folder, row in list(counts.items()) + [("all", [sum(r[i] for r in counts.values()) for i in range(len(columns))])]:
            print("%-10s" % folder + "".join(" %*d" % (len(c), n) for c, n in zip(columns, row)))
        # what a slip cost one worker, and what every slip would cost at that rate
        ran = sum(len(times) for times in spent.values())
        if ran:
            print("seconds a slip, one worker: " + ", ".join("%s %.0f" % (verdict, sum(times) / len(times))
                                                         for verdict, times in sorted(spent.items())))
            hours = sum(sum(times) for times in spent.values()) / ran * sum(r[0] for r in counts.values()) / 3600
            print("every slip at that rate: %.1f hours for one worker, %.1f for %d side by side as here"
                  % (hours, hours / args.workers, args.workers))
    return 0


if __name__ == "__main__":
    sys.exit(main())
