#!/usr/bin/env python3
# package.py
# Writes the release zip from a staged folder, the same bytes on every run:
# entries in sorted order under one top folder, every time stamp the given one
# (the last commit's), fixed attributes and compression, no extra fields; text
# files (.cmd, .txt) with Windows line ends.
#   package.py STAGE_FOLDER TOP_FOLDER_NAME EPOCH_SECONDS OUTPUT.zip
import os
import sys
import time
import zipfile

TEXT_SUFFIXES = (".cmd", ".txt")


def main():
    stage, top, epoch, output = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    # Zip times have no time zone and cannot go before 1980.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    files = []
    for folder, _, names in os.walk(stage):
        for name in names:
            path = os.path.join(folder, name)
            files.append(os.path.relpath(path, stage).replace(os.sep, "/"))
    files.sort()
    partial = output + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name in files:
            with open(os.path.join(stage, name), "rb") as source:
                data = source.read()
            if name.lower().endswith(TEXT_SUFFIXES):
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            entry = zipfile.ZipInfo(top + "/" + name, stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 0  # MS-DOS attributes, as Windows writes them
            entry.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE
            archive.writestr(entry, data, compresslevel=9)
    os.replace(partial, output)
    print("package: %d files in %s" % (len(files), output))


if __name__ == "__main__":
    main()
