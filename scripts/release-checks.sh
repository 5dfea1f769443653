# release-checks.sh
# Sourced by scripts/test-package, test-deploy and test-signing, the parts of
# scripts/test-release: their working folder `out` (the script's argument,
# default build/release-test), the Wine session (session.sh, whose exit trap
# stops it), `check` and the script's result, the unpacked package, the test
# builds, and the machine the package's commands are tried on.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
out=$(mkdir -p "${1:-build/release-test}" && cd "${1:-build/release-test}" && pwd)
# Wine first: without it session.sh would take any machine for one that cannot
# run 32-bit programs.
scripts/setup-deps python3 openssl osslsigncode
# Tells whether 32-bit programs run here (KVR7_NO_WIN32_REASON) and makes
# `wine` and its companions go through the right loader.
. scripts/session.sh

fail=0
check() { # check DESCRIPTION COMMAND...: runs the command, reports and counts a failure
    if "${@:2}"; then echo "ok    $1"; else echo "FAIL  $1"; fail=1; fi
}
# result NAME: ends the script: "NAME: all passed" and 0, or FAILED and 1.
result() { [ $fail = 0 ] && echo "$1: all passed" || echo "$1: FAILED" >&2; exit $fail; }

# unpack_package: the package in $out/release (made there first when there is
# none: test-package makes it anew) unpacked where an administrator might put
# it, blanks and parentheses in the path. Sets zip, version and package (its folder).
unpack_package() {
    ls "$out"/release/kvr7-driver-installer-*.zip >/dev/null 2>&1 || scripts/release "$out/release" >/dev/null
    zip=$(ls "$out"/release/kvr7-driver-installer-*.zip)
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/release/build-x64/CMakeCache.txt")
    local share="$out/Fleet share (KVR7)"
    rm -rf "$share" && mkdir -p "$share"
    python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$share"
    package="$share/kvr7-driver-installer-$version"
}
# test_build PRESET TARGET...: builds those test programs and tools.
test_build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" --target "${@:2}" >/dev/null; }

# The machine: the 64-bit test tools (built beside the test programs), the
# virtual board and where the runs write.
tools=$root/build/x64/tests
board='ROOT\KVR7_BOARD'
logs="$WINEPREFIX/drive_c/windows/logs/KVR7 Driver Installer"
system_inf="$WINEPREFIX/drive_c/windows/inf"
# What a run leaves on the machine: the board, copies of kvr7.inf (any name) in
# the system INF folder, the configuration file that the installation copies,
# the logs.
clean_machine() {
    wine "$tools/adddevice.exe" --remove "$board" >/dev/null 2>&1 || true
    local f
    for f in "$system_inf"/*.inf; do
        if [ -e "$f" ] && cmp -s "$f" "$package/x64/kvr7.inf"; then
            rm -f "$f" "${f%.inf}.pnf"
        fi
    done
    # Wine's SetupUninstallOEMInfW leaves the compiled .pnf of a copy it deletes.
    for f in "$system_inf"/*.pnf; do [ -e "${f%.pnf}.inf" ] || rm -f "$f"; done
    rm -f "$WINEPREFIX/drive_c/windows/system32/kvr7.cfg" "$WINEPREFIX/drive_c/windows/syswow64/kvr7.cfg"
    rm -rf "$logs"
    wine reg delete 'HKLM\SOFTWARE\KVR7' /f /reg:64 >/dev/null 2>&1 || true
}
staged_copies() {
    local f n=0
    for f in "$system_inf"/*.inf; do
        if [ -e "$f" ] && cmp -s "$f" "$package/x64/kvr7.inf"; then n=$((n + 1)); fi
    done
    echo $n
}
board_has_driver() { wine "$tools/adddevice.exe" --query "$board" | tr -d '\r' | grep -qx 'value.BoardModel=KVR7'; }
