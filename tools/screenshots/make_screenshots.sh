#!/usr/bin/env bash
# Builds the screenshot tool and redraws docs/window.png and docs/walkthrough-*.png under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build-screenshots}
cmake -S "$root" -B "$build" -DTACTORIA_BUILD_SCREENSHOTS=ON -DTACTORIA_BUILD_BENCH=OFF
cmake --build "$build" --target app_screenshot -j"$(nproc)"
shot=(xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$build/tools/screenshots/app_screenshot")
"${shot[@]}" "$root/docs/window.png"
"${shot[@]}" --walkthrough "$root/docs"
