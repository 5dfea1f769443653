# wine-env.sh
# Sourced by the scripts that run Windows programs here: points Wine at the
# project's private prefix (under build/, unless WINEPREFIX is already set),
# silences Wine's own debug channels and prepares the prefix on first use.

KVR7_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)
: "${WINEPREFIX:=$KVR7_ROOT/build/wineprefix}"
: "${WINEDEBUG:=-all}"
export WINEPREFIX WINEDEBUG

# A 64-bit prefix runs both builds; the 32-bit one under WOW64, as on 64-bit Windows.
# Bump KVR7_PREFIX_VERSION when the settings below change, so that existing
# prefixes are brought up to date.
KVR7_PREFIX_VERSION=3
kvr7_prepare_prefix() {
    local marker="$WINEPREFIX/.kvr7-ready"
    if [ "$(cat "$marker" 2>/dev/null)" = "$KVR7_PREFIX_VERSION" ]; then
        return 0
    fi
    mkdir -p "$WINEPREFIX"
    # No Mono or Gecko: nothing here needs them, and their install prompts would wait.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i </dev/null >/dev/null 2>&1 || { echo "wine-env: wineboot failed for $WINEPREFIX" >&2; return 1; }
    # Without a window manager Wine waits ~2 s on every window destruction unless
    # its windows are unmanaged.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # A crashing program must end, not wait for someone to close a crash dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Wine has a built-in difxapi.dll and, by default, uses it even when a program
    # loads "x86_64\difxapi.dll" by its full path (the module then reports that
    # path as its name). Native first makes the file at the path the one loaded;
    # loads by bare name still fall back to the built-in.
    wine reg add 'HKCU\Software\Wine\DllOverrides' /v difxapi /t REG_SZ /d native,builtin /f >/dev/null 2>&1
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
