#!/usr/bin/python3
"""gen_corpus.py - writes a corpus of small, valid TrueType files for the scale
benchmark (bench_scale.exe): N files in families of one to four styles (Regular,
Bold, Italic, Bold Italic, with matching OS/2 weight, fsSelection and head
macStyle bits and subfamily names), every family with a name of its own, in a
tree three folders deep below the folder given.

    bench/gen_corpus.py FOLDER N [SOURCE_TTF]

The glyphs come from one real font (DejaVu Sans by default), cut down once with
fontTools.subset to the characters of the short sample text, so every file can be
registered and drawn.  Per file only the name, OS/2 and head tables differ; they
are patched as bytes and the file is assembled directly, so 100,000 files take
well under a minute.  The files are not kept in the repository."""

import io
import os
import struct
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

SAMPLE = "Example-TEXT123 "
SOURCE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

# Consonant-vowel syllables: 20 x 5 = 100, so a family's first syllable (the
# lowest digit of its number) falls on one family in a hundred.
CONSONANTS = "bcdfghjklmnprstvwxyz"
VOWELS = "aeiou"
SYLLABLES = [c + v for c in CONSONANTS for v in VOWELS]
KINDS = ["Sans", "Serif", "Mono", "Slab", "Text", "Display", "Condensed", "Rounded",
         "Grotesk", "Book", "Script", "Hand", "Caption", "Title", "UI", "Pro"]
STYLES = [  # subfamily, weight, italic, bold
    ("Regular", 400, False, False),
    ("Bold", 700, False, True),
    ("Italic", 400, True, False),
    ("Bold Italic", 700, True, True),
]
SPACE = 100 ** 3  # three syllables


def family_name(index):
    """A distinct pronounceable name for family `index`: the index is spread over
    the name space by a bijection so that the folder order is not the name order."""
    n = (index * 7919 + 12345) % SPACE
    word = ""
    for _ in range(3):
        word += SYLLABLES[n % 100]
        n //= 100
    kind = KINDS[(index * 31) % len(KINDS)]
    return word.capitalize() + " " + kind


def template(source):
    """The cut-down font as {tag: bytes}, with an OS/2 table of version 3 or more."""
    font = TTFont(source)
    options = subset.Options()
    options.name_IDs = []
    options.layout_features = []
    options.hinting = False
    options.notdef_outline = True
    options.glyph_names = False
    sub = subset.Subsetter(options)
    sub.populate(text=SAMPLE)
    sub.subset(font)
    for tag in ("DSIG", "GSUB", "GPOS", "GDEF", "kern", "FFTM", "gasp", "prep", "fpgm", "cvt "):
        if tag in font:
            del font[tag]
    font["post"].formatType = 3.0
    buffer = io.BytesIO()
    font.save(buffer)
    buffer.seek(0)
    font = TTFont(buffer)
    tables = {tag: font.getTableData(tag) for tag in font.keys() if tag != "GlyphOrder"}
    del tables["name"]
    return tables


def checksum(data):
    if len(data) % 4:
        data += b"\0" * (4 - len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def name_table(names):
    """Format 0, Windows Unicode BMP, US English, ids in order."""
    records, strings = [], b""
    for name_id, text in sorted(names.items()):
        data = text.encode("utf-16-be")
        records.append(struct.pack(">6H", 3, 1, 0x409, name_id, len(data), len(strings)))
        strings += data
    header = struct.pack(">3H", 0, len(records), 6 + 12 * len(records))
    return header + b"".join(records) + strings


def assemble(tables):
    tags = sorted(tables)
    count = len(tags)
    power = 1
    while power * 2 <= count:
        power *= 2
    out = [struct.pack(">IHHHH", 0x00010000, count, power * 16, power.bit_length() - 1,
                       count * 16 - power * 16)]
    offset = 12 + 16 * count
    body = []
    for tag in tags:
        data = tables[tag]
        out.append(struct.pack(">4sIII", tag.encode("latin-1"), checksum(data), offset, len(data)))
        padded = data + b"\0" * (-len(data) % 4)
        body.append(padded)
        offset += len(padded)
    font = bytearray(b"".join(out) + b"".join(body))
    # head.checkSumAdjustment over the whole file
    head = 12 + 16 * count + sum(len(b) for t, b in zip(tags, body) if t < "head")
    adjustment = (0xB1B0AFBA - checksum(bytes(font))) & 0xFFFFFFFF
    font[head + 8:head + 12] = struct.pack(">I", adjustment)
    return bytes(font)


def style_tables(base, weight, italic, bold):
    os2 = bytearray(base["OS/2"])
    struct.pack_into(">H", os2, 4, weight)
    selection = (1 if italic else 0) | (32 if bold else 0) | (64 if not (italic or bold) else 0)
    struct.pack_into(">H", os2, 62, selection)
    head = bytearray(base["head"])
    struct.pack_into(">I", head, 8, 0)
    struct.pack_into(">H", head, 44, (1 if bold else 0) | (2 if italic else 0))
    post = bytearray(base["post"])
    struct.pack_into(">i", post, 4, -12 << 16 if italic else 0)
    return bytes(os2), bytes(head), bytes(post)


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: gen_corpus.py FOLDER N [SOURCE_TTF]")
    root, total = sys.argv[1], int(sys.argv[2])
    base = template(sys.argv[3] if len(sys.argv) > 3 else SOURCE)
    variants = [style_tables(base, w, i, b) for _, w, i, b in STYLES]

    # about 100 files per leaf folder, leaves spread evenly over three levels
    leaves = max(1, (total + 99) // 100)
    fan = 1
    while fan ** 3 < leaves:
        fan += 1
    per_leaf = (total + leaves - 1) // leaves

    written, family, leaf = 0, 0, 0
    while written < total:
        folder = os.path.join(root, "set%02d" % (leaf // (fan * fan)),
                              "group%02d" % (leaf // fan % fan), "box%02d" % (leaf % fan))
        os.makedirs(folder, exist_ok=True)
        in_leaf = 0
        while in_leaf < per_leaf and written < total:
            name = family_name(family)
            size = 1 + (family * 7 + family // 3) % 4  # one to four styles
            size = min(size, total - written)
            # a family of one is a Regular now and then a Bold; larger ones start
            # at Regular and take the styles in order
            chosen = [STYLES[1 if family % 5 == 4 else 0]] if size == 1 else STYLES[:size]
            postscript_family = name.replace(" ", "")
            for subfamily, weight, italic, bold in chosen:
                os2, head, post = variants[[s[0] for s in STYLES].index(subfamily)]
                postscript = postscript_family + "-" + subfamily.replace(" ", "")
                full = name if subfamily == "Regular" else name + " " + subfamily
                names = {
                    0: "Copyright (c) 2024 The %s Project Authors" % name.split()[0],
                    1: name,
                    2: subfamily,
                    3: "1.%03d;ZNVX;%s" % (family % 1000, postscript),
                    4: full,
                    5: "Version 1.%03d" % (family % 1000),
                    6: postscript,
                    7: "%s is a trademark of the Zenvrix Bench Foundry." % name.split()[0],
                    8: "Zenvrix Bench Foundry",
                    9: "Generated for the scale benchmark",
                    13: "This Font Software is licensed under the SIL Open Font License, Version 1.1.",
                }
                tables = dict(base)
                tables["OS/2"], tables["head"], tables["post"] = os2, head, post
                tables["name"] = name_table(names)
                with open(os.path.join(folder, postscript + ".ttf"), "wb") as out:
                    out.write(assemble(tables))
                written += 1
                in_leaf += 1
            family += 1
        leaf += 1
    print("%d files of %d families in %s" % (written, family, root))


if __name__ == "__main__":
    main()
