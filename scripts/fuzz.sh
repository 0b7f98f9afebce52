#!/usr/bin/env bash
# Fuzzes the picture decoders, parameter strings and the settings file reader: configures and builds the fuzz preset (clang, libFuzzer, address
# and undefined-behaviour sanitizers), writes the seed corpus, then runs each target for SECONDS
# seconds. The corpus in build-fuzz/corpus grows from run to run. Exits non-zero when a target
# finds a crash, a leak, undefined behaviour or a hang; the input is kept in build-fuzz/findings.
set -euo pipefail

seconds=${1:?usage: scripts/fuzz.sh SECONDS}
cd "$(dirname "$0")/.."

cmake --preset fuzz >/dev/null
targets=(png jpeg bmp paramstring ini)
cmake --build build-fuzz -j 2 --target fuzz_seeds "${targets[@]/#/fuzz_}"
build-fuzz/fuzz/fuzz_seeds build-fuzz/corpus
# Settings text seeds: the default files whole, and each of their values for the parameter strings.
mkdir -p build-fuzz/corpus/ini build-fuzz/corpus/paramstring
cp data/Settings.NVS data/Language/*.NVL build-fuzz/corpus/ini/
n=0
while IFS= read -r line; do
  [[ "$line" == *=* ]] || continue
  n=$((n + 1))
  printf '%s' "${line#*=}" >"build-fuzz/corpus/paramstring/value$n"
done <data/Settings.NVS

failed=()
for format in "${targets[@]}"; do
  findings=build-fuzz/findings/$format
  mkdir -p "$findings"
  log=$findings/run.log
  if build-fuzz/fuzz/fuzz_$format -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$findings/" "build-fuzz/corpus/$format" >"$log" 2>&1; then
    echo "fuzz_$format: $(grep -E '^#[0-9]+' "$log" | tail -n 1)"
  else
    echo "fuzz_$format: FAILED (log: $log)" >&2
    tail -n 30 "$log" >&2
    failed+=("$format")
  fi
done
[[ ${#failed[@]} -eq 0 ]]
