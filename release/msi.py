#!/usr/bin/env python3
# msi.py: one architecture's Windows Installer package from release/kvr7.wxs,
# with msitools' wixl, and the same bytes from the same inputs:
#   msi.py STAGE ACTION_DLL VERSION ARCH EPOCH OUTPUT.msi
# STAGE is the architecture's folder as the zip holds it, ACTION_DLL the custom
# actions' DLL, ARCH x64 or x86, EPOCH the time given to every input file and
# to the summary stream. wixl writes the inputs' times into the cabinet and a
# random package code and the build time into the summary stream: the inputs
# are copied with their times set, and the summary stream is written again
# with a package code derived from the inputs and the epoch's time. The product
# code is derived from the version and the architecture, so a rebuild of one
# version is the same product.
# wixl leaves out, with exit code 0, a custom action it cannot write: the tables
# are read back and the package is refused when an action or its place in the
# sequence is missing.
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import uuid

# The root of the derived codes; changing it changes every product code.
NAMESPACE = uuid.UUID("3A9F1C52-7E04-4D6B-A8B1-52C9E07D6F21")

# What the package must hold: custom actions with their types (1 = DLL in the
# Binary table, + 1024 deferred, + 2048 not impersonated; 51 = set a property)
# and their sequence numbers in InstallExecuteSequence.
ACTIONS = {
    "Kvr7InstallData": ("51", "4100"),
    "Kvr7InstallDriver": ("3073", "4110"),
    "Kvr7RemoveData": ("51", "1700"),
    "Kvr7RemoveDriver": ("3073", "1710"),
}
PROPERTIES = {"ARPNOREPAIR": "1", "ARPNOMODIFY": "1", "ALLUSERS": "1"}
# Public properties that an administrator may set (on the command line or in a
# transform) and that the server side of a managed installation must see.
SECURE = "KVR7_PREINSTALL"


def fail(text):
    sys.stderr.write("msi: %s\n" % text)
    sys.exit(1)


def rows(package, table):
    """The rows of a table as lists of fields (msiinfo's export, header cut)."""
    text = subprocess.run(["msiinfo", "export", package, table], check=True,
                          capture_output=True, text=True).stdout
    return [line.rstrip("\r").split("\t") for line in text.splitlines()[3:]]


def add_secure_property(package):
    properties = {row[0]: row[1] for row in rows(package, "Property")}
    names = [SECURE] + properties.get("SecureCustomProperties", "").split(";")
    subprocess.run(["msibuild", package, "-q",
                    "UPDATE `Property` SET `Value` = '%s' WHERE `Property` = 'SecureCustomProperties'"
                    % ";".join(name for name in names if name)], check=True)


def check_tables(package, arch):
    actions = {row[0]: row[1] for row in rows(package, "CustomAction")}
    sequence = {row[0]: row[2] for row in rows(package, "InstallExecuteSequence")}
    properties = {row[0]: row[1] for row in rows(package, "Property")}
    for name, (kind, number) in sorted(ACTIONS.items()):
        if actions.get(name) != kind:
            fail("%s: custom action %s is %s, not of type %s" % (package, name, actions.get(name), kind))
        if sequence.get(name) != number:
            fail("%s: custom action %s is at %s, not at %s" % (package, name, sequence.get(name), number))
    for name, value in sorted(PROPERTIES.items()):
        if properties.get(name) != value:
            fail("%s: property %s is %s, not %s" % (package, name, properties.get(name), value))
    if SECURE not in properties.get("SecureCustomProperties", "").split(";"):
        fail("%s: %s is not a secure property" % (package, SECURE))
    if "RemoveExistingProducts" not in sequence:
        fail("%s: no RemoveExistingProducts" % package)
    conditions = [row[0] for row in rows(package, "LaunchCondition")]
    if "NOT WIX_DOWNGRADE_DETECTED" not in conditions:
        fail("%s: a downgrade is not refused" % package)
    if (arch == "x86") != ("NOT VersionNT64" in conditions):
        fail("%s: the launch condition for 64-bit Windows is wrong: %s" % (package, conditions))


def pin_summary(package, package_code, epoch, work):
    stamp = time.strftime("%Y/%m/%d %H:%M:%S", time.gmtime(epoch))
    fixed = {"9": "{%s}" % str(package_code).upper(), "12": stamp, "13": stamp}
    lines = subprocess.run(["msiinfo", "export", package, "_SummaryInformation"], check=True,
                           capture_output=True, text=True).stdout.splitlines()
    out = []
    for line in lines:
        key = line.split("\t", 1)[0]
        out.append("%s\t%s" % (key, fixed[key]) if key in fixed else line.rstrip("\r"))
    folder = os.path.join(work, "summary")
    os.mkdir(folder)
    idt = os.path.join(folder, "_SummaryInformation.idt")
    with open(idt, "w", newline="") as f:
        f.write("\r\n".join(out) + "\r\n")
    subprocess.run(["msibuild", package, "-i", idt], check=True)


def main():
    if len(sys.argv) != 7:
        fail("usage: msi.py STAGE ACTION_DLL VERSION ARCH EPOCH OUTPUT.msi")
    stage, action_dll, version, arch, epoch, output = sys.argv[1:]
    epoch = int(epoch)
    if arch not in ("x64", "x86"):
        fail("unknown architecture %s" % arch)
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "kvr7.wxs")

    with tempfile.TemporaryDirectory(prefix="kvr7-msi.") as work:
        inputs = os.path.join(work, "in")
        shutil.copytree(stage, inputs)
        shutil.copyfile(action_dll, os.path.join(inputs, "msi_action.dll"))
        digest = hashlib.sha256()
        with open(source, "rb") as f:
            digest.update(f.read())
        for folder, dirs, files in sorted(os.walk(inputs)):
            dirs.sort()
            for name in sorted(files):
                path = os.path.join(folder, name)
                os.utime(path, (epoch, epoch))
                digest.update(os.path.relpath(path, inputs).encode() + b"\0")
                with open(path, "rb") as f:
                    digest.update(f.read())
        digest.update(("%s/%s/%d" % (version, arch, epoch)).encode())

        product_code = uuid.uuid5(NAMESPACE, "product/%s/%s" % (arch, version))
        package_code = uuid.uuid5(NAMESPACE, "package/" + digest.hexdigest())
        package = os.path.join(work, "package.msi")
        built = subprocess.run(
            ["wixl", "-a", arch, "-o", package,
             "-D", "Arch=" + arch, "-D", "Version=" + version,
             "-D", "ProductCode=" + str(product_code).upper(),
             "-D", "Stage=in", "-D", "ActionDll=in/msi_action.dll", source],
            cwd=work, capture_output=True, text=True)
        # (wixl takes source paths relative to its working folder only.)
        # GLib's warnings about attributes wixl does not know are noise.
        said = [line for line in built.stderr.splitlines()
                if line.strip() and "GLib-GObject-WARNING" not in line]
        if built.returncode != 0 or said:
            fail("wixl (exit code %d):\n%s" % (built.returncode, "\n".join(said)))
        add_secure_property(package)
        check_tables(package, arch)
        pin_summary(package, package_code, epoch, work)
        shutil.move(package, output)
    print("msi: %s (product code {%s})" % (os.path.basename(output), str(product_code).upper()))


if __name__ == "__main__":
    main()
