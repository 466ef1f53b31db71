#!/usr/bin/env bash
# Builds the screenshot tools and redraws docs/window.png (96 and 144 dpi), docs/walkthrough-*.png,
# docs/about.png, docs/export-slices.png and docs/preview.png under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build-screenshots}
cmake -S "$root" -B "$build" -DTACTORIA_BUILD_SCREENSHOTS=ON -DTACTORIA_BUILD_BENCH=OFF
cmake --build "$build" --target app_screenshot preview_screenshot -j"$(nproc)"
shot=(xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$build/tools/screenshots/app_screenshot")
"${shot[@]}" "$root/docs/window.png"
# The same window at 144 dpi.
QT_SCALE_FACTOR=1.5 xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96" "$build/tools/screenshots/app_screenshot" \
  "$root/docs/window-144dpi.png"
"${shot[@]}" --walkthrough "$root/docs"
"${shot[@]}" --about "$root/docs/about.png"
"${shot[@]}" --export-slices "$root/docs/export-slices.png"
# The Preview where it opens beside the centred main window on a 1280 x 800 screen, with a private
# sound server of one null sink, so that it shows Play as a user with a sound output sees it.
pulse=$(mktemp -d)
if command -v pulseaudio >/dev/null; then
  HOME=$pulse XDG_RUNTIME_DIR=$pulse pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=stderr \
    -L module-null-sink -L "module-native-protocol-unix socket=$pulse/native" 2>/dev/null &
  server=$!
  for _ in $(seq 50); do [[ -S $pulse/native ]] && break; sleep 0.1; done
fi
PULSE_SERVER=unix:$pulse/native xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" \
  "$build/tools/screenshots/preview_screenshot" "$root/docs/preview.png"
[[ -n ${server:-} ]] && kill "$server" && wait "$server" 2>/dev/null
rm -rf "$pulse"
