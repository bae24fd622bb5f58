#!/usr/bin/env bash
# Runs every end-to-end test (tests/e2e/*_test.sh) against the built
# programs, each with a time limit, and prints one closing line.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
export ROOT=$root
export NATIVE_BIN=$root/build/native/bin
export MINGW_BIN=$root/build/mingw/bin
export WINE_RUN=$root/scripts/wine-run.sh
export DATA=$root/tests/data

passed=0; failed=0
for t in "$here"/*_test.sh; do
  name=$(basename "$t" .sh)
  work=$(mktemp -d)
  if (cd "$work" && timeout 600 bash "$t") >"$work.log" 2>&1; then
    echo "PASS $name"; passed=$((passed + 1))
  else
    echo "FAIL $name"; sed 's/^/    /' "$work.log" | tail -n 40; failed=$((failed + 1))
  fi
  rm -rf "$work" "$work.log"
done
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
