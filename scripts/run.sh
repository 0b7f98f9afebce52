#!/usr/bin/env bash
# Starts Norvo from build/. Until the window host exists this says so and exits.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -x build/norvo ]]; then
  exec build/norvo
fi
echo "Norvo is built (libraries and tests); the window host is not there yet."
