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
# wixl leaves out, with exit code 0, a custom action it cannot write (rollback
# and commit actions among them): those are added to the tables after it with
# msibuild, then the tables are read back and the package is refused when an
# action, its place in the sequence or its condition is not as it must be.
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
# Binary table, + 256 rollback, + 512 commit, + 1024 in the execution script,
# + 2048 not impersonated; 51 = set a property) and their sequence numbers in
# InstallExecuteSequence.
ACTIONS = {
    "Kvr7InstallData": ("51", "4100"),
    "Kvr7UndoInstallData": ("51", "4104"),
    "Kvr7UndoInstall": ("3329", "4106"),
    "Kvr7InstallDriver": ("3073", "4110"),
    "Kvr7RemoveData": ("51", "1700"),
    "Kvr7UndoRemoveData": ("51", "1704"),
    "Kvr7UndoRemove": ("3329", "1706"),
    "Kvr7RemoveDriver": ("3073", "1710"),
    "Kvr7CommitData": ("51", "6500"),
    "Kvr7Commit": ("3585", "6510"),
}
# The actions added after wixl: (name, type, DLL entry point, the deferred
# actions whose condition it takes, joined by OR). Each comes with a type-51
# action named <name>Data that gives it the CustomActionData of the first of
# those: a rollback or commit action needs what its deferred action gets.
ADDED = [
    ("Kvr7UndoInstall", "3329", "RollBackDriver", ["Kvr7InstallDriver"]),
    ("Kvr7UndoRemove", "3329", "RollBackDriver", ["Kvr7RemoveDriver"]),
    ("Kvr7Commit", "3585", "CommitDriver", ["Kvr7InstallDriver", "Kvr7RemoveDriver"]),
]
# Where the older version is removed: after InstallFinalize (6600), so that
# its removal runs when this version is installed and needs the driver.
REMOVE_EXISTING = "6700"
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


def sql(text):
    return "'%s'" % text.replace("'", "''")


def add_actions(package):
    """The rollback and commit actions, and their data actions, with msibuild."""
    custom = {row[0]: row for row in rows(package, "CustomAction")}
    sequence = {row[0]: row for row in rows(package, "InstallExecuteSequence")}
    queries = []
    for name, kind, entry, owners in ADDED:
        if any(owner not in sequence or owner.replace("Driver", "Data") not in custom
               for owner in owners):
            fail("%s: %s has no deferred action to follow" % (package, name))
        condition = " OR ".join("(%s)" % sequence[owner][1] for owner in owners)
        data = custom[owners[0].replace("Driver", "Data")][3]
        for action, action_kind, source, target in ((name + "Data", "51", name, data),
                                                     (name, kind, "Kvr7Action", entry)):
            queries.append("INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) "
                           "VALUES (%s, %s, %s, %s)" % (sql(action), action_kind, sql(source), sql(target)))
            queries.append("INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) "
                           "VALUES (%s, %s, %s)" % (sql(action), sql(condition), ACTIONS[action][1]))
    subprocess.run(["msibuild", package] + [arg for query in queries for arg in ("-q", query)],
                   check=True)


def check_tables(package, arch):
    custom = {row[0]: row for row in rows(package, "CustomAction")}
    actions = {name: row[1] for name, row in custom.items()}
    steps = {row[0]: row for row in rows(package, "InstallExecuteSequence")}
    sequence = {name: row[2] for name, row in steps.items()}
    properties = {row[0]: row[1] for row in rows(package, "Property")}
    for name, (kind, number) in sorted(ACTIONS.items()):
        if actions.get(name) != kind:
            fail("%s: custom action %s is %s, not of type %s" % (package, name, actions.get(name), kind))
        if sequence.get(name) != number:
            fail("%s: custom action %s is at %s, not at %s" % (package, name, sequence.get(name), number))
    # An action runs exactly when its data action does, and a rollback or
    # commit action when its deferred actions do.
    for name in ("Kvr7InstallDriver", "Kvr7RemoveDriver"):
        if steps[name][1] != steps[name.replace("Driver", "Data")][1]:
            fail("%s: %s and its data action have different conditions" % (package, name))
    for name, _, entry, owners in ADDED:
        condition = " OR ".join("(%s)" % steps[owner][1] for owner in owners)
        if custom[name][3] != entry or steps[name][1] != condition or steps[name + "Data"][1] != condition:
            fail("%s: %s does not run %s when %s" % (package, name, entry, condition))
    if sequence.get("RemoveExistingProducts") != REMOVE_EXISTING:
        fail("%s: RemoveExistingProducts is at %s, not at %s"
             % (package, sequence.get("RemoveExistingProducts"), REMOVE_EXISTING))
    for name, value in sorted(PROPERTIES.items()):
        if properties.get(name) != value:
            fail("%s: property %s is %s, not %s" % (package, name, properties.get(name), value))
    if SECURE not in properties.get("SecureCustomProperties", "").split(";"):
        fail("%s: %s is not a secure property" % (package, SECURE))
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
        add_actions(package)
        check_tables(package, arch)
        pin_summary(package, package_code, epoch, work)
        shutil.move(package, output)
    print("msi: %s (product code {%s})" % (os.path.basename(output), str(product_code).upper()))


if __name__ == "__main__":
    main()
