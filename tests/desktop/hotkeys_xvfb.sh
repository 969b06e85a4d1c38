#!/usr/bin/env bash
# Runs a test program against a private Xvfb display, on the xcb platform.
#   hotkeys_xvfb.sh <test program> [arguments...]
# Xvfb picks a free display number itself (-displayfd), so parallel runs do not collide. Without
# Xvfb the program runs offscreen with QV_XVFB_MISSING set, and skips.
set -u

program="$1"
shift

if ! command -v Xvfb >/dev/null 2>&1; then
    QV_XVFB_MISSING=1 QT_QPA_PLATFORM=offscreen exec "$program" "$@"
fi

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!

# Xvfb writes the display number once it accepts connections.
display=""
for _ in $(seq 1 200); do
    if grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null; then
        display="$(head -n 1 "$work/display")"
        break
    fi
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
        break
    fi
    sleep 0.05
done
if [ -z "$display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi

DISPLAY=":$display" QT_QPA_PLATFORM=xcb XAUTHORITY=/dev/null "$program" "$@"
exit $?
