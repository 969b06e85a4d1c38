#!/usr/bin/env bash
# Runs a test program against a private Xvfb display (xcb platform), with or without a system
# tray host on it.
#   xvfb_run.sh tray|none <test program> [arguments...]
# Xvfb picks a free display number itself (-displayfd), so parallel runs do not collide.
# "tray" starts Debian's trayer (an XEmbed tray) on the display; the program learns which case
# it is in from QV_TRAY_EXPECTED (1 or 0). Without Xvfb the program runs offscreen with
# QV_XVFB_MISSING set; without trayer in the "tray" case with QV_TRAY_MISSING set; it skips.
set -u

mode="$1"
program="$2"
shift 2

if ! command -v Xvfb >/dev/null 2>&1; then
    QV_XVFB_MISSING=1 QT_QPA_PLATFORM=offscreen exec "$program" "$@"
fi
if [ "$mode" = tray ] && ! command -v trayer >/dev/null 2>&1; then
    QV_TRAY_MISSING=1 QT_QPA_PLATFORM=offscreen exec "$program" "$@"
fi

work="$(mktemp -d)"
xvfb_pid=""
tray_pid=""
cleanup() {
    for pid in $tray_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
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

# No session bus: Qt would otherwise look for a StatusNotifier host there instead of the
# XEmbed tray on the display.
unset DBUS_SESSION_BUS_ADDRESS
export DISPLAY=":$display" XAUTHORITY=/dev/null QT_QPA_PLATFORM=xcb

expected=0
if [ "$mode" = tray ]; then
    trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 \
        >"$work/trayer.log" 2>&1 &
    tray_pid=$!
    expected=1
fi

# The program waits for the tray host to take the tray selection itself.
QV_TRAY_EXPECTED=$expected "$program" "$@"
exit $?
