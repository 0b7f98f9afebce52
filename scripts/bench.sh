#!/usr/bin/env bash
# bench.sh BUILD: runs every benchmark program of BUILD/bench; fails when one misses a target.
set -uo pipefail
status=0
for program in "$1"/bench/*Bench; do
  echo "== ${program##*/}"
  "$program" || status=1
done
exit $status
