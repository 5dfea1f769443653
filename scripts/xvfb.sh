# xvfb.sh
# Sourced by scripts that need a display: kvr7_start_xvfb starts Xvfb on a free
# display number and exports DISPLAY; kvr7_stop_xvfb stops it again.

KVR7_XVFB_PID=

kvr7_start_xvfb() {
    local n
    for n in $(seq 90 140); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            KVR7_XVFB_PID=$!
            local i
            for i in $(seq 1 100); do
                if [ -e "/tmp/.X11-unix/X$n" ]; then
                    export DISPLAY=":$n"
                    return 0
                fi
                kill -0 "$KVR7_XVFB_PID" 2>/dev/null || break
                sleep 0.1
            done
            kill "$KVR7_XVFB_PID" 2>/dev/null || true
            KVR7_XVFB_PID=
        fi
    done
    echo "xvfb: could not start Xvfb" >&2
    return 1
}

kvr7_stop_xvfb() {
    if [ -n "$KVR7_XVFB_PID" ]; then
        kill "$KVR7_XVFB_PID" 2>/dev/null || true
        wait "$KVR7_XVFB_PID" 2>/dev/null || true
        KVR7_XVFB_PID=
    fi
}
