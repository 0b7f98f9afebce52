#!/usr/bin/env bash
# Starts Norvo from build/. Without a display it starts it under a virtual one (Xvfb), writes
# build/screenshot.png once the first frame is shown, stops it and says where the picture is.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${NORVO_BUILD_DIR:-build}

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  cd "$build" && exec ./norvo
fi

xvfb-run -a -s "-screen 0 1280x800x24" scripts/screenshot.sh "$build" "$build/screenshot.png"
echo "Norvo ran under a virtual display; its first frame is in $build/screenshot.png"
