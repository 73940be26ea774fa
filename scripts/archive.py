#!/usr/bin/env python3
"""Packs a release archive of Zenvrix: the given files side by side in one folder
of the archive, byte for byte the same whenever the files are the same.

    archive.py OUT.zip FOLDER FILE...

Every entry has the same fixed date and the same permissions, entries come in
a fixed order (the folder, then the files by name) and carry no extra fields,
so the archive depends on the files' names and bytes alone.  Called by the build
(target release_archive) and so by scripts/release.sh."""
import os
import sys
import zipfile

FIXED_DATE = (1980, 1, 1, 0, 0, 0)   # the earliest date a zip entry can hold


def entry(name, mode):
    info = zipfile.ZipInfo(name, date_time=FIXED_DATE)
    info.create_system = 3             # Unix: the mode below is read by unzip
    info.external_attr = mode << 16
    return info


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    out, folder, files = argv[1], argv[2], argv[3:]
    temp = out + ".part"
    with zipfile.ZipFile(temp, "w") as archive:
        folder_entry = entry(folder + "/", 0o40755)
        folder_entry.external_attr |= 0x10   # MS-DOS directory bit
        archive.writestr(folder_entry, b"")
        for path in sorted(files, key=os.path.basename):
            with open(path, "rb") as source:
                data = source.read()
            info = entry(folder + "/" + os.path.basename(path), 0o100644)
            archive.writestr(info, data, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    os.replace(temp, out)


if __name__ == "__main__":
    main(sys.argv)
