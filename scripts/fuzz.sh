#!/usr/bin/env bash
# Fuzzes the picture decoders (icon files, program icons and JPEG header sizes among them) and
# the text parsers (parameter strings, settings files, theme values, UTF-8, picture format
# detection, trash records, mount-table lines and disk labels, clipboard file lists): configures
# and builds the fuzz preset (clang, libFuzzer, address and undefined-behaviour sanitizers),
# writes the seed corpus, then runs each target for SECONDS seconds; the small parsers, whose
# every path is found within seconds, get a third of that. The corpus in build-fuzz/corpus grows
# from run to run. Exits non-zero when a target finds a crash, a leak, undefined behaviour or a
# hang; the input is kept in build-fuzz/findings.
set -euo pipefail

seconds=${1:?usage: scripts/fuzz.sh SECONDS}
cd "$(dirname "$0")/.."

cmake --preset fuzz >/dev/null
# Each target with the share of SECONDS it runs for (a divisor).
targets=(png:1 jpeg:1 bmp:1 paramstring:1 ini:1 themevalues:1 utf8:1 clipboard:1
         pictureformat:3 trashinfo:3 volumes:3 ico:3 exeicon:3 jpegheader:3)
names=("${targets[@]%%:*}")
cmake --build build-fuzz -j 2 --target fuzz_seeds "${names[@]/#/fuzz_}"
build-fuzz/fuzz/fuzz_seeds build-fuzz/corpus
# Settings text seeds: the default files whole, and each of their values for the parameter
# strings and (after the 64 bytes of numbers the target takes first) for the theme values.
mkdir -p build-fuzz/corpus/ini build-fuzz/corpus/paramstring build-fuzz/corpus/themevalues
cp data/Settings.NVS data/Language/*.NVL build-fuzz/corpus/ini/
n=0
while IFS= read -r line; do
  [[ "$line" == *=* ]] || continue
  n=$((n + 1))
  printf '%s' "${line#*=}" >"build-fuzz/corpus/paramstring/value$n"
  printf '%064d%s' 0 "${line#*=}" >"build-fuzz/corpus/themevalues/value$n"
done < <(cat data/Settings.NVS data/Themes/Controls/*/ThemeData.NVS)

failed=()
for target in "${targets[@]}"; do
  name=${target%%:*}
  time=$((seconds / ${target##*:}))
  time=$((time > 0 ? time : 1))
  findings=build-fuzz/findings/$name
  mkdir -p "$findings" "build-fuzz/corpus/$name"
  log=$findings/run.log
  if build-fuzz/fuzz/fuzz_$name -max_total_time="$time" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$findings/" "build-fuzz/corpus/$name" >"$log" 2>&1; then
    echo "fuzz_$name (${time} s): $(grep -E '^#[0-9]+' "$log" | tail -n 1)"
  else
    echo "fuzz_$name: FAILED (log: $log)" >&2
    tail -n 30 "$log" >&2
    failed+=("$name")
  fi
done
[[ ${#failed[@]} -eq 0 ]]
