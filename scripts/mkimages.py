#!/usr/bin/python3
"""mkimages.py - turns Zenvrix's text pixel art into the .bmp and .ico files
that zenvrix.rc compiles in.

The pictures of the program (toolbar strip, Info dialog picture, window icon)
are kept as plain text so that anybody can edit them in a text editor; the
build runs this script to produce the binary files.  Standard library only.

Usage:
    mkimages.py SOURCE.txt OUTPUT.bmp|OUTPUT.ico [SOURCE OUTPUT ...]

The kind of output (Windows bitmap or icon) follows from OUTPUT's extension.

Source format (one directive per line; '#' starts a comment line outside
image blocks; blank lines are ignored outside image blocks):

    bits 4|8                  bits per pixel of what is written
    color C R G B [words]     palette entry for pixel character C (one
                              character, not blank); palette index = order
                              of the color lines; words after B are a note
    transparent C             icons only: pixels C are see-through (C must
                              be listed as color C 0 0 0)
    image W H [words]         starts a picture of W x H pixels; the next H
                              lines are its rows, top row first, exactly W
                              characters each, one character per pixel

A .bmp output puts all images of the file side by side, left to right (they
must all have the same height), as one bottom-up BI_RGB bitmap.  An .ico
output writes every image as one icon entry (width and height at most 256).
"""

import os
import struct
import sys


class ArtError(Exception):
    pass


def parse_art(path):
    """Reads one pixel-art file; returns (bits, palette, transparent, images).

    palette is a list of (char, (r, g, b)); images a list of (w, h, rows)."""
    with open(path, "r", encoding="ascii") as f:
        lines = f.read().splitlines()

    bits = None
    palette = []
    index_of = {}
    transparent = None
    images = []
    i = 0
    while i < len(lines):
        line = lines[i]
        lineno = i + 1
        i += 1
        text = line.strip()
        if not text or text.startswith("#"):
            continue
        words = text.split()
        key = words[0]
        if key == "bits":
            if len(words) != 2 or words[1] not in ("1", "4", "8"):
                raise ArtError("%s:%d: bits must be 1, 4 or 8" % (path, lineno))
            bits = int(words[1])
        elif key == "color":
            if len(words) < 5 or len(words[1]) != 1:
                raise ArtError("%s:%d: expected 'color C R G B'" % (path, lineno))
            char = words[1]
            if char in index_of:
                raise ArtError("%s:%d: colour '%s' listed twice" % (path, lineno, char))
            try:
                rgb = tuple(int(v) for v in words[2:5])
            except ValueError:
                raise ArtError("%s:%d: colour values must be numbers" % (path, lineno))
            if any(v < 0 or v > 255 for v in rgb):
                raise ArtError("%s:%d: colour values are 0..255" % (path, lineno))
            index_of[char] = len(palette)
            palette.append((char, rgb))
        elif key == "transparent":
            if len(words) != 2 or len(words[1]) != 1:
                raise ArtError("%s:%d: expected 'transparent C'" % (path, lineno))
            transparent = words[1]
        elif key == "image":
            if len(words) < 3:
                raise ArtError("%s:%d: expected 'image W H'" % (path, lineno))
            try:
                w, h = int(words[1]), int(words[2])
            except ValueError:
                raise ArtError("%s:%d: image size must be numbers" % (path, lineno))
            if w <= 0 or h <= 0:
                raise ArtError("%s:%d: image size must be positive" % (path, lineno))
            if i + h > len(lines):
                raise ArtError("%s:%d: image needs %d rows" % (path, lineno, h))
            rows = []
            for r in range(h):
                row = lines[i + r].rstrip("\r\n")
                if len(row) != w:
                    raise ArtError("%s:%d: row is %d characters wide, expected %d"
                                   % (path, i + r + 1, len(row), w))
                for c in row:
                    if c not in index_of:
                        raise ArtError("%s:%d: pixel '%s' has no colour line"
                                       % (path, i + r + 1, c))
                rows.append(row)
            i += h
            images.append((w, h, rows))
        else:
            raise ArtError("%s:%d: unknown directive '%s'" % (path, lineno, key))

    if bits is None:
        raise ArtError("%s: no 'bits' line" % path)
    if not images:
        raise ArtError("%s: no image" % path)
    if len(palette) > (1 << bits):
        raise ArtError("%s: %d colours do not fit in %d bits per pixel"
                       % (path, len(palette), bits))
    if transparent is not None:
        if transparent not in index_of:
            raise ArtError("%s: transparent '%s' has no colour line" % (path, transparent))
        if palette[index_of[transparent]][1] != (0, 0, 0):
            raise ArtError("%s: transparent colour must be 0 0 0" % path)
    return bits, palette, transparent, images


def palette_bytes(palette, bits):
    """RGBQUAD table with all 2^bits entries (unused ones black)."""
    out = bytearray()
    for _, (r, g, b) in palette:
        out += bytes((b, g, r, 0))
    out += bytes(4 * ((1 << bits) - len(palette)))
    return bytes(out)


def pack_rows(indices, width, height, bits):
    """Packs rows of palette indices bottom-up, each padded to 4 bytes."""
    stride = ((width * bits + 31) // 32) * 4
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        acc_bits = 0
        pos = 0
        acc = 0
        for x in range(width):
            acc = (acc << bits) | indices[y][x]
            acc_bits += bits
            if acc_bits == 8:
                row[pos] = acc
                pos += 1
                acc = 0
                acc_bits = 0
        if acc_bits:
            row[pos] = acc << (8 - acc_bits)
        out += row
    return bytes(out)


def info_header(width, height, bits, image_size, colours):
    # BITMAPINFOHEADER: size, width, height, planes, bit count, BI_RGB,
    # image size, 2835 pixels per metre (72 dpi) both ways, colours used, important
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0,
                       image_size, 2835, 2835, colours, 0)


def to_indices(palette, rows):
    index_of = {c: n for n, (c, _) in enumerate(palette)}
    return [[index_of[c] for c in row] for row in rows]


def make_bmp(bits, palette, images):
    height = images[0][1]
    for w, h, _ in images:
        if h != height:
            raise ArtError("all images of a bitmap must have the same height")
    width = sum(w for w, _, _ in images)
    rows = ["".join(img[2][y] for img in images) for y in range(height)]
    pixels = pack_rows(to_indices(palette, rows), width, height, bits)
    table = palette_bytes(palette, bits)
    header = info_header(width, height, bits, len(pixels), 1 << bits)
    offset = 14 + len(header) + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + header + table + pixels


def make_ico(bits, palette, transparent, images):
    entries = []
    for w, h, rows in images:
        if w > 256 or h > 256:
            raise ArtError("icon images are at most 256 x 256")
        pixels = pack_rows(to_indices(palette, rows), w, h, bits)
        mask_rows = [[1 if (transparent is not None and c == transparent) else 0
                      for c in row] for row in rows]
        mask = pack_rows(mask_rows, w, h, 1)
        table = palette_bytes(palette, bits)
        # An icon's header counts the colour image and the mask: twice the height.
        header = info_header(w, 2 * h, bits, len(pixels) + len(mask), 0)
        entries.append((w, h, header + table + pixels + mask))
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for w, h, data in entries:
        colour_count = (1 << bits) if bits < 8 else 0
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colour_count, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    return bytes(out)


def convert(source, target):
    bits, palette, transparent, images = parse_art(source)
    ext = os.path.splitext(target)[1].lower()
    if ext == ".bmp":
        data = make_bmp(bits, palette, images)
    elif ext == ".ico":
        data = make_ico(bits, palette, transparent, images)
    else:
        raise ArtError("%s: output must end in .bmp or .ico" % target)
    folder = os.path.dirname(target)
    if folder:
        os.makedirs(folder, exist_ok=True)
    # Write to a side file first so that a failed run never leaves half a
    # picture, and two builds making the same picture at once do not collide.
    temp = "%s.%d.tmp" % (target, os.getpid())
    with open(temp, "wb") as f:
        f.write(data)
    os.replace(temp, target)


def main(argv):
    args = argv[1:]
    if not args or len(args) % 2:
        sys.stderr.write("usage: mkimages.py SOURCE.txt OUTPUT.bmp|.ico [SOURCE OUTPUT ...]\n")
        return 2
    try:
        for n in range(0, len(args), 2):
            convert(args[n], args[n + 1])
    except (ArtError, OSError, UnicodeDecodeError) as e:
        sys.stderr.write("mkimages: %s\n" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
