# wine-env.sh
# Sourced by every script that runs Windows programs here: the one place that
# knows how Wine is run on this machine. It finds out whether 32-bit programs
# can run by running Wine's 32-bit loader (on some machines the kernel refuses
# 32-bit Linux programs although the loader is installed, and Debian's `wine`
# wrapper picks it all the same). Where they cannot, the names `wine`,
# `wineboot`, `winepath` and `wineserver` become shell functions that go through
# the 64-bit loader and server; elsewhere they are Wine's own commands. It also
# points Wine at the project's private prefix (under build/, unless WINEPREFIX is
# already set), silences Wine's own debug channels and prepares the prefix.
#   KVR7_WINE_NO_WIN32=1   behave as on a machine that cannot run 32-bit programs
# After sourcing:
#   KVR7_NO_WIN32_REASON   empty when 32-bit programs run; else why they cannot
#                          (exported: wine-run and the test programs, which see
#                          the Unix environment under Wine, skip with it)
#   KVR7_WINE              the command that runs a Windows program (an array,
#                          for `exec "${KVR7_WINE[@]}" program.exe`)

KVR7_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)
# Debian's loaders and servers; its wrappers in /usr/bin choose between them.
KVR7_WINE32_LOADER=/usr/lib/wine/wine
KVR7_WINE64_LOADER=/usr/lib/wine/wine64
KVR7_WINE64_SERVER=/usr/lib/wine/wineserver64
# The exit code of wine-run for a program it cannot run here; the x86 tests
# declare it as their skip code.
KVR7_SKIP_CODE=77

KVR7_NO_WIN32_REASON=
if [ "${KVR7_WINE_NO_WIN32:-}" = 1 ]; then
    KVR7_NO_WIN32_REASON="KVR7_WINE_NO_WIN32=1 makes this machine behave as one that cannot run 32-bit programs"
else
    # Two different causes: the part of Wine that runs 32-bit programs is not
    # installed (a set-up that could not get it: installing it mends that), or
    # the kernel refuses 32-bit programs (nothing here mends that).
    if [ ! -e "$KVR7_WINE32_LOADER" ]; then
        KVR7_NO_WIN32_REASON="Wine's 32-bit part is not installed ($KVR7_WINE32_LOADER is missing; install the Debian package wine32:i386, for example by running scripts/setup-deps as root)"
    elif ! "$KVR7_WINE32_LOADER" --version >/dev/null 2>&1; then
        KVR7_NO_WIN32_REASON="this machine cannot run 32-bit programs ($KVR7_WINE32_LOADER --version fails with exit code $?)"
    fi
fi

if [ -z "$KVR7_NO_WIN32_REASON" ]; then
    export -n KVR7_NO_WIN32_REASON
    KVR7_WINE=(wine)
    : "${WINEPREFIX:=$KVR7_ROOT/build/wineprefix}"
else
    export KVR7_NO_WIN32_REASON
    if [ ! -x "$KVR7_WINE64_LOADER" ]; then
        echo "wine-env: $KVR7_NO_WIN32_REASON, and Wine's 64-bit loader $KVR7_WINE64_LOADER is missing (Debian package wine64)" >&2
        return 1
    fi
    [ -x "$KVR7_WINE64_SERVER" ] || KVR7_WINE64_SERVER=$(command -v wineserver)
    # The loader starts Windows processes and, when none runs, the server by
    # these two variables: both must name the 64-bit ones.
    KVR7_WINE=(env "WINELOADER=$KVR7_WINE64_LOADER" "WINESERVER=$KVR7_WINE64_SERVER" "$KVR7_WINE64_LOADER")
    wine() { "${KVR7_WINE[@]}" "$@"; }
    wineboot() { wine wineboot.exe "$@"; }
    winepath() { wine winepath.exe "$@"; }
    wineserver() { "$KVR7_WINE64_SERVER" "$@"; }
    # A prefix made by the 64-bit loader alone lacks its 32-bit half on such a
    # machine, so it must not be the one a 32-bit-capable run picks up (nor the
    # other way round, or the forced mode would never create a prefix).
    : "${WINEPREFIX:=$KVR7_ROOT/build/wineprefix-win64}"
fi
: "${WINEDEBUG:=-all}"
export WINEPREFIX WINEDEBUG

# True when FILE is a 32-bit x86 Windows program: its PE header names i386.
kvr7_is_32bit_program() {
    local header
    header=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$header" ] && [ "$(od -An -t x2 -j $((header + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')" = 014c ]
}

# Sets one value in the prefix's registry; a failure names the setting.
kvr7_set_wine_setting() {
    local key=$1 value=$2 type=$3 data=$4
    if ! wine reg add "$key" /v "$value" /t "$type" /d "$data" /f </dev/null >/dev/null 2>&1; then
        echo "wine-env: could not set $key\\$value to $data in $WINEPREFIX" >&2
        return 1
    fi
}

# A 64-bit prefix runs both builds; the 32-bit one under WOW64, as on 64-bit Windows.
# Bump KVR7_PREFIX_VERSION when the settings below change, so that existing
# prefixes are brought up to date. The prefix is marked ready only when every
# setting took.
KVR7_PREFIX_VERSION=3
kvr7_prepare_prefix() {
    local marker="$WINEPREFIX/.kvr7-ready" log
    if [ "$(cat "$marker" 2>/dev/null)" = "$KVR7_PREFIX_VERSION" ]; then
        return 0
    fi
    mkdir -p "$WINEPREFIX" || return 1
    log=$(mktemp) || return 1
    # No Mono or Gecko: nothing here needs them, and their install prompts would wait.
    if ! WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i </dev/null >"$log" 2>&1; then
        echo "wine-env: wineboot failed for $WINEPREFIX:" >&2
        tail -n 20 "$log" >&2
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
    # Without a window manager Wine waits ~2 s on every window destruction unless
    # its windows are unmanaged.
    kvr7_set_wine_setting 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N || return 1
    # A crashing program must end, not wait for someone to close a crash dialog.
    kvr7_set_wine_setting 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0 || return 1
    # Wine has a built-in difxapi.dll and, by default, uses it even when a program
    # loads "x86_64\difxapi.dll" by its full path (the module then reports that
    # path as its name). Native first makes the file at the path the one loaded;
    # loads by bare name still fall back to the built-in.
    kvr7_set_wine_setting 'HKCU\Software\Wine\DllOverrides' difxapi REG_SZ native,builtin || return 1
    wineserver -w
    echo "$KVR7_PREFIX_VERSION" > "$marker"
}

# Starts a persistent wineserver and Wine's background services (services.exe,
# winedevice.exe, ...) with their output sent nowhere: started by a test program
# instead, they would inherit its output pipe and keep ctest waiting for it.
kvr7_start_wineserver() {
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || true
}
