#!/usr/bin/env bash
# screenshot.sh BUILD OUT.png: on the current display, starts BUILD/norvo, waits for its window
# and first frame, writes the window's picture to OUT.png and stops the program.
set -euo pipefail
build=$1
out=$2

(cd "$build" && exec ./norvo) &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

id=$(timeout 20 xdotool search --sync --onlyvisible --name '^Norvo$' | head -n 1)
if [[ -z "$id" ]]; then
  echo "screenshot.sh: the Norvo window did not appear" >&2
  exit 1
fi
sleep 1  # the first frame reaches the screen
eval "$(xdotool getwindowgeometry --shell "$id")"
"$build/tools/norvo-screenshot" "$out" "$X" "$Y" "$WIDTH" "$HEIGHT"
kill "$pid"
wait "$pid" 2>/dev/null || true
trap - EXIT
