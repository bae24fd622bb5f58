#!/usr/bin/env bash
# Runs every end-to-end test (tests/e2e/*_test.sh) against the built
# programs, each with a time limit, and prints one line per script with its
# exit status and seconds, then one closing line.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
export ROOT=$root
export NATIVE_BIN=$root/build/native/bin
export MINGW_BIN=$root/build/mingw/bin
export WINE_RUN=$root/scripts/wine-run.sh
export DATA=$root/tests/data
# The same messages and code page in every run, whoever starts it.
export LC_ALL=C.UTF-8

passed=0; failed=0
for t in "$here"/*_test.sh; do
  name=$(basename "$t" .sh)
  work=$(mktemp -d)
  start=$SECONDS
  # The time limit sends TERM first: the script then says which step it
  # was in (lib.sh); what still runs 30 s later is killed.
  (cd "$work" && timeout -k 30 600 bash "$t") >"$work.log" 2>&1
  status=$?
  seconds=$((SECONDS - start))
  if [ "$status" -eq 0 ]; then
    echo "PASS $name (${seconds} s)"; passed=$((passed + 1))
    rm -rf "$work" "$work.log"
  else
    [ "$status" -eq 124 ] || [ "$status" -eq 137 ] && echo "timed out after 600 s" >>"$work.log"
    echo "FAIL $name (exit $status, ${seconds} s)"
    sed 's/^/    /' "$work.log" | tail -n 40; failed=$((failed + 1))
    # What the failed script left is kept for a look.
    echo "    its work folder is kept: $work (log: $work.log)"
  fi
done
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
