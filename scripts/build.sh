#!/usr/bin/env bash
# Configures and builds one preset (native by default): scripts/build.sh [PRESET]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
preset=${1:-native}
if [ ! -f "build/$preset/build.ninja" ]; then
  cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset" -- -j"${JOBS:-2}"
