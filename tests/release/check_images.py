#!/usr/bin/env python3
# check_images.py
# Checks every program and library of an unpacked release package: no symbols or
# debug sections, a zero link time stamp, no path of the given build-machine
# folders, and (for the installers and kvr7ctl) the project version in the
# version resource.
#   check_images.py PACKAGE_FOLDER VERSION FOLDER...
import os, struct, sys
package, version = sys.argv[1:3]
folders = sys.argv[3:]
numbers = [int(n) for n in version.split(".")] + [0]
bad = 0
for folder, _, names in sorted(os.walk(package)):
    for name in sorted(names):
        if not name.lower().endswith((".exe", ".dll")):
            continue
        path = os.path.join(folder, name)
        data = open(path, "rb").read()
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        sections, stamp = struct.unpack_from("<HI", data, pe + 6)
        symbols, = struct.unpack_from("<I", data, pe + 12)
        optional = struct.unpack_from("<H", data, pe + 20)[0]
        table = pe + 24 + optional
        section_names = [data[table + 40 * i: table + 40 * i + 8].rstrip(b"\0") for i in range(sections)]
        problems = []
        if stamp != 0:
            problems.append("link time stamp %#x" % stamp)
        if symbols != 0 or any(n.startswith(b".debug") or n.startswith(b"/") for n in section_names):
            problems.append("not stripped")
        for folder_path in folders:
            if folder_path.encode() in data or folder_path.encode("utf-16-le") in data:
                problems.append("holds " + folder_path)
        if name.lower().startswith(("install", "kvr7ctl")):
            fixed = data.find(struct.pack("<I", 0xFEEF04BD))
            ms, ls = struct.unpack_from("<II", data, fixed + 8) if fixed >= 0 else (0, 0)
            if [ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF] != numbers:
                problems.append("version resource is not %s" % version)
            if (version + ".0").encode("utf-16-le") not in data:
                problems.append("no FileVersion text %s.0" % version)
        rel = os.path.relpath(path, package)
        print("%-5s %-24s %7d bytes %s" % ("FAIL" if problems else "ok", rel, len(data), "; ".join(problems)))
        bad |= bool(problems)
sys.exit(1 if bad else 0)
