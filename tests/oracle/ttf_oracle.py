#!/usr/bin/python3
"""ttf_oracle.py - an independent reader of font names and styles, built on
fontTools, that applies the program's selection rules; it runs zenvrix-info.exe
under Wine over the same files (.ttf, .otf, .ttc, .otc) and compares the two, one
line per face.  Rules, from the file format and the reader's rules:
  * sfnt 0x00010000, 'true' or 'OTTO'; a 'ttcf' collection (versions 1 and 2)
    gives its faces in order, each read like a font; 'name' and 'OS/2' must exist,
    OS/2's first 64 bytes within the file's first 100,000,000;
  * name ids 0-5 and 7: Macintosh records as raw bytes while no Windows Unicode
    record ranks above 0; (3,1) records rank 1 for English (US), 2 for the system
    locale, 3 for both, and replace a name of equal or lower rank (later wins);
    strings of 60,000 bytes or more are passed over;
  * Unicode text goes through UTF-8, or with --system the system code page (as a
    Windows that does not know the manifest's UTF-8 entry runs the program), cut
    to 100 bytes and to the member (31 bytes family, 299 others), in UTF-8 only
    between characters (Macintosh bytes too);
  * weight = usWeightClass; fsSelection bits 1, 2, 16, 32 as masked.
usage: ttf_oracle.py --info PATH/zenvrix-info.exe [--root /usr/share/fonts] [--system]
"""
import argparse
import os
import struct
import subprocess
import sys
import tempfile

from fontTools.ttLib import TTCollection, TTFont

FILE_LIMIT = 100000000
EXTENSIONS = (".ttf", ".otf", ".ttc", ".otc")
TAKEN = {0: "copyright", 1: "face", 2: "subfamily", 3: "identifier", 4: "full",
         5: "version", 7: "trademark"}
ORDER = ["face", "subfamily", "full", "identifier", "version", "copyright", "trademark"]


def utf16(units):  # a lone surrogate as U+FFFD
    return struct.pack(">%dH" % len(units), *units).decode("utf-16-be", "replace")


class Utf8:
    def convert(self, units):
        return utf16(units).encode()

    def cut(self, data, limit):  # never inside a character
        return data[:limit].decode("utf-8", "ignore").encode()


class CodePage:
    """A system code page by Python's codec of it; the fonts here need neither
    Wine's best fit nor composition."""

    def __init__(self, name):
        self.name = name

    def convert(self, units):
        return utf16(units).encode(self.name, "replace")

    def cut(self, data, limit):
        return data[:limit]


def rank(language, lcid):
    return (1 if language == 0x0409 else 0) + (2 if language == lcid else 0)


def c_string(data, size, codepage):
    return codepage.cut(data, size - 1).split(b"\0")[0]


def expected_records(path, codepage, lcid):
    """The records of every face: a list of field lists, None for a face that
    gives none, with the reason."""
    size = os.path.getsize(path)
    if size > FILE_LIMIT or size < 12:
        return [None], "size"
    with open(path, "rb") as f:
        collection = f.read(4) == b"ttcf"
    fonts = TTCollection(path, lazy=True).fonts if collection else [TTFont(path, lazy=True)]
    return [expected_record(font, path, size, codepage, lcid) for font in fonts], None


def expected_record(font, path, size, codepage, lcid):
    """The record's fields as bytes, or None when the face gives none."""
    if font.sfntVersion not in ("\x00\x01\x00\x00", "true", "OTTO") or "name" not in font.reader.tables:
        return None
    fields = {key: b"" for key in ORDER}
    ranks = {}
    for record in font["name"].names:
        key = TAKEN.get(record.nameID)
        if key is None:
            continue
        member = 32 if key == "face" else 300
        raw = record.string if isinstance(record.string, bytes) else record.string.encode("latin-1")
        if record.platformID == 1:
            if ranks.get(record.nameID, 0) == 0:
                fields[key] = c_string(raw, member, codepage)
        elif record.platformID == 3 and record.platEncID == 1:
            r = rank(record.langID, lcid)
            if r < ranks.get(record.nameID, 0) or len(raw) >= 60000:
                continue
            units = [raw[2 * i] << 8 | raw[2 * i + 1] for i in range(len(raw) // 2)]
            text = codepage.cut(codepage.convert(units), 100)  # single bytes: length / 2 at most
            fields[key] = c_string(text, member, codepage)
            ranks[record.nameID] = r
    if "OS/2" not in font.reader.tables:
        return None
    entry = font.reader.tables["OS/2"]
    if entry.offset + 64 > min(size, FILE_LIMIT):
        return None
    with open(path, "rb") as f:
        f.seek(entry.offset)
        os2 = f.read(64)
    weight, selection = struct.unpack(">H", os2[4:6])[0], struct.unpack(">H", os2[62:64])[0]
    numbers = [weight, selection & 1, selection & 2, selection & 16, selection & 32]
    return [fields[key] for key in ORDER] + [str(v).encode() for v in numbers]


def escape(data):
    return (data.replace(b"\\", b"\\\\").replace(b"\t", b"\\t")
            .replace(b"\r", b"\\r").replace(b"\n", b"\\n"))


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def run_info(info, paths, wine, budget):
    """Lines of zenvrix-info by the path it was given, in face order; the paths go
    in groups whose command line stays under `budget` characters."""
    lines, part = {}, []
    for i, path in enumerate(paths):
        part.append(windows_path(path))
        if i + 1 < len(paths) and sum(len(p) + 3 for p in part) + len(paths[i + 1]) + 5 <= budget:
            continue
        out = subprocess.run([wine, info] + part, stdout=subprocess.PIPE, stderr=subprocess.PIPE).stdout
        for line in out.replace(b"\r", b"").split(b"\n"):
            if line:
                lines.setdefault(line.split(b"\t", 1)[0], []).append(line)
        part = []
    return lines


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--info", required=True)
    parser.add_argument("--root", default="/usr/share/fonts")
    parser.add_argument("--wine", default=os.environ.get("WINE", "wine"))
    parser.add_argument("--budget", type=int, default=30000)  # characters of one command line
    parser.add_argument("--lcid", type=lambda v: int(v, 0), default=0x409)
    parser.add_argument("--codepage", default="cp1252")
    parser.add_argument("--system", action="store_true")
    args = parser.parse_args()

    codepage = CodePage(args.codepage) if args.system else Utf8()
    if args.system:  # a copy whose manifest entry Windows does not know
        folder, program = tempfile.TemporaryDirectory(), open(args.info, "rb").read()
        args.info = os.path.join(folder.name, "info.exe")
        open(args.info, "wb").write(program.replace(b"activeCodePage", b"activeCodePagX"))
    paths = sorted(os.path.join(d, f) for d, _, files in os.walk(args.root)
                   for f in files if f.lower().endswith(EXTENSIONS))
    if not paths:
        print("oracle: no font files under " + args.root)
        return 1
    lines = run_info(args.info, paths, args.wine, args.budget)

    differences = with_record = faces = 0
    for path in paths:
        key = escape(windows_path(path).encode())
        expected, why = expected_records(path, codepage, args.lcid)
        want = [b"\t".join([key] + [escape(f) for f in fields])
                for fields in expected if fields is not None]
        got = lines.get(key, [])
        faces, with_record = faces + len(want), with_record + bool(want)
        if got != want:
            differences += 1
            print("DIFF %s%s\n  oracle: %r\n  info:   %r"
                  % (path, " (%s)" % why if why else "", want, got))
    print("oracle: %d files compared (%d with a record, %d faces), %d differences"
          % (len(paths), with_record, faces, differences))
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
