#!/usr/bin/env bash
# Shows FILE, or a bundled sample print file when none is given, as the
# viewer's display lines through zorvo-dump.
#   scripts/run.sh [FILE] [zorvo-dump options...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh" --build
"$root/scripts/build.sh" native >/dev/null
file=${1:-$root/tests/data/asa/nastran_d01141a.out}
[ $# -gt 0 ] && shift
if [ -t 1 ] && command -v less >/dev/null; then
  "$root/build/native/bin/zorvo-dump" "$@" -- "$file" | less -R
else
  exec "$root/build/native/bin/zorvo-dump" "$@" -- "$file"
fi
