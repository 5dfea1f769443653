# session.sh
# Sourced by scripts/test, scripts/demo and scripts/bench: one Wine session for
# the whole script. kvr7_session_start starts a virtual display, prepares the
# project's prefix and starts the run's one wineserver; the server and the
# display are stopped when the script exits, also on failure. The ctest fixtures
# leave a session's server alone (scripts/wine-run), so a script that runs both
# presets keeps one server from start to end.

. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

kvr7_session_end() {
    wineserver -k 2>/dev/null || true
    kvr7_stop_xvfb
}

# kvr7_session_start [--keep-display]
# --keep-display: use $DISPLAY when one is set instead of a virtual display.
kvr7_session_start() {
    trap kvr7_session_end EXIT
    if [ "${1:-}" != --keep-display ] || [ -z "${DISPLAY:-}" ]; then
        kvr7_start_xvfb
    fi
    if [ -n "$KVR7_NO_WIN32_REASON" ]; then
        echo "session: $KVR7_NO_WIN32_REASON; Wine runs through its 64-bit loader alone, in $WINEPREFIX"
    fi
    kvr7_prepare_prefix
    kvr7_start_wineserver
    export KVR7_SESSION_WINESERVER=$WINEPREFIX
}
