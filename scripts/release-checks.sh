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

# run_in_cmd LOG_PATTERN LINE...: runs the lines as one batch file through
# Wine's cmd.exe, as a fleet tool starts a command (Wine's own command line
# cannot pass a quoted path with blanks on to cmd.exe, a batch file can), and
# reads the last line's exit code inside Wine (Unix sees only its low 8 bits).
# Leaves in $results: code (also in $code), said (the output) and log (the
# newest file matching the glob LOG_PATTERN, by time; empty without one).
results="$out/last-run"
run_in_cmd() {
    local runner="$WINEPREFIX/drive_c/windows/temp/kvr7-run.cmd" pattern=$1
    shift
    mkdir -p "$results"
    { printf '@echo off\r\n'; printf '%s\r\n' "$@"; printf 'echo kvr7-exit-code=%%ERRORLEVEL%%\r\n'; } > "$runner"
    wine cmd.exe /c 'C:\windows\temp\kvr7-run.cmd' 2>&1 | tr -d '\r' > "$results/all" || true
    rm -f "$runner"
    sed -n 's/^kvr7-exit-code=//p' "$results/all" > "$results/code"
    grep -v '^kvr7-exit-code=' "$results/all" > "$results/said" || true
    # A second run in the same second sorts first by name: by time.
    : > "$results/log"
    [ -z "$pattern" ] || (IFS=$'\n'; ls -t $pattern 2>/dev/null | head -1) > "$results/log" || true
    code=$(cat "$results/code")
}

# stand_in SOURCE NAME KEY: a file of the build in place of the system's own
# NAME in system32 (tests/tools/systemfile.exe sets the system's aside), loaded
# before Wine's built-in one through the DllOverrides key KEY. system_own NAME
# KEY undoes both, and is safe to repeat.
stand_in() {
    wine "$tools/systemfile.exe" place "$(winepath -w "$1")" "$2" &&
        wine reg add "$3" /v "${2%.dll}" /t REG_SZ /d native,builtin /f >/dev/null 2>&1
}
system_own() {
    wine "$tools/systemfile.exe" restore "$1" || true
    wine reg delete "$2" /v "${1%.dll}" /f >/dev/null 2>&1 || true
}
