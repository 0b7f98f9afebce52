#!/usr/bin/env bash
# The real program on its own virtual display: it opens a 900 x 665 window titled "Norvo", and
# when the display goes away it ends cleanly (exit status 0) instead of crashing.
# Usage: start-and-display-loss.sh BUILD_DIR. Exit 77 (skipped) without Xvfb or xdotool.
set -uo pipefail
build=$1
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb and xdotool are needed"; exit 77; }

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null & echo "PID $!")
read -r _ xvfb_pid <&3
read -r number <&3
export DISPLAY=":$number"
cleanup() { kill "$xvfb_pid" 2>/dev/null; [[ -n "${norvo_pid:-}" ]] && kill "$norvo_pid" 2>/dev/null; true; }
trap cleanup EXIT

(cd "$build" && exec ./norvo) &
norvo_pid=$!
id=$(timeout 20 xdotool search --sync --onlyvisible --name '^Norvo$' | head -n 1)
[[ -n "$id" ]] || { echo "FAIL: no window titled Norvo appeared"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$id")"
[[ "$WIDTH" == 900 && "$HEIGHT" == 665 ]] || { echo "FAIL: client size ${WIDTH}x${HEIGHT}, expected 900x665"; exit 1; }

kill "$xvfb_pid"
for _ in $(seq 100); do kill -0 "$norvo_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$norvo_pid" 2>/dev/null; then echo "FAIL: Norvo still runs 10 s after its display went away"; exit 1; fi
wait "$norvo_pid"
status=$?
norvo_pid=
[[ $status == 0 ]] || { echo "FAIL: Norvo ended with status $status when its display went away"; exit 1; }
echo "ok: window 900x665 titled Norvo; clean end when the display went away"
