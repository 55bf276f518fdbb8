#!/bin/bash
# Every window as the window tests open it, as PNG files in BUILD/screenshots: each
# window at 1920 x 1080, 1366 x 768, 150 % and 200 % scaling (fit_SCREEN_WINDOW.png),
# and the windows in the states the tests bring them to (system_setup_test.png, ...).
# Usage: scripts/screenshots.sh [BUILD]   (after a build; make screenshots builds first)
set -euo pipefail
build="${1:-build}"
folder="$(cd "$build" && pwd)/screenshots"
rm -rf "$folder"
mkdir -p "$folder"
cd "$build"
VOREL_SCREENSHOT_DIR="$folder" ctest -R '^ui_' -j"$(nproc 2>/dev/null || echo 2)" >/dev/null || {
  echo "screenshots: a window test failed; run make check" >&2
  exit 1
}
count=$(find "$folder" -name '*.png' | wc -l)
echo "screenshots: $count pictures in $folder"
