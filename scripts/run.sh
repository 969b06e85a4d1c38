#!/usr/bin/env bash
# Builds the program and starts it in demo mode (the built-in engine). Without a display it
# takes the screenshot set offscreen instead: one picture of every screen into out/screenshots.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec build/bin/quorvel --demo "$@"
fi

# Nowhere to show a window: let the program photograph itself. A fresh set each time, so no
# picture of an older run is left among the new ones.
shots="out/screenshots"
echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): taking the screenshot set offscreen"
echo "into $root/$shots (about 35 s); run this on a desktop to see the window itself."
mkdir -p "$shots"
rm -f "$shots"/*.png
status=0
# A 1920 x 1080 offscreen screen, so the window can take its natural size.
QT_QPA_PLATFORM="offscreen:configfile=$root/scripts/offscreen-screen.json" \
    QT_LOGGING_RULES="quorvel.screenshots.info=true" \
    timeout --signal=TERM 180 build/bin/quorvel --screenshots "$shots" "$@" \
    2>"$shots.log" || status=$?
count="$(find "$shots" -maxdepth 1 -name '*.png' | wc -l)"
if [ "$status" -ne 0 ]; then
    echo "quorvel failed (exit code $status); its log:" >&2
    cat "$shots.log" >&2
    exit 1
fi
if [ "$count" -eq 0 ]; then
    echo "quorvel ended without taking any picture; its log:" >&2
    cat "$shots.log" >&2
    exit 1
fi
echo "quorvel wrote $count pictures into $root/$shots (steps: $shots.log):"
ls "$shots"/*.png
