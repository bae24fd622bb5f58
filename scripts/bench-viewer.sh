#!/usr/bin/env bash
# The viewer under Wine: time from process start to the first painted screen
# on a 4 GiB file next to a 4 KiB one, and the peak memory of the process
# while it moves through a 10 GiB file (a log, and a sparse file of zeros:
# one line of 10 GiB) next to the 4 KiB one. Not a test.
#   scripts/bench-viewer.sh        (makes its files under build/bench once)
# ZORVO_EXE picks another Zorvo.exe, to compare two builds in one session.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
viewer=${ZORVO_EXE:-$root/build/mingw/bin/Zorvo.exe}
[ -n "${ZORVO_EXE:-}" ] || scripts/build.sh mingw >/dev/null
data=build/bench
mkdir -p "$data"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
[ -f "$data/log-1g.txt" ] || scripts/bench.sh >/dev/null
small=$data/log-4k.txt
head -c 4096 "$data/log-1g.txt" >"$small"
[ -f "$data/log-4g.txt" ] || for _ in 1 2 3 4; do cat "$data/log-1g.txt"; done >"$data/log-4g.txt"
[ -f "$data/sparse-10g.bin" ] || truncate -s 10G "$data/sparse-10g.bin"
if [ ! -f "$data/log-10g.txt" ]; then
  for _ in $(seq 10); do cat "$data/log-1g.txt"; done >"$data/log-10g.txt.tmp"
  mv "$data/log-10g.txt.tmp" "$data/log-10g.txt"
fi
export WINEPREFIX=$root/build/mingw/wineprefix WINEDEBUG=-all
wineboot -i >/dev/null 2>&1 || true

# Until the first text row shows text: the screenshot of that row is no
# longer one colour.
painted() { [ "$(import -window root -crop 300x14+4+42 -format %k info: 2>/dev/null)" -gt 1 ]; }

first_paint() {  # first_paint FILE -> seconds
  local file=$1 name start end
  name=$(basename "$file")
  start=$(date +%s%N)
  wine "$viewer" "Z:$(realpath "$file" | tr / '\\')" &
  local pid=$!
  timeout 60 xdotool search --sync --name "^$name - Tessary\$" >/dev/null
  until painted; do sleep 0.02; done
  end=$(date +%s%N)
  kill "$pid" 2>/dev/null; wineserver -k 2>/dev/null || true
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}

peak_memory() {  # peak_memory FILE -> MiB of the viewer process after moving through the file
  local file=$1 name window vm
  name=$(basename "$file")
  wine "$viewer" "Z:$(realpath "$file" | tr / '\\')" &
  local pid=$!
  window=$(timeout 60 xdotool search --sync --name "^$name - Tessary\$" | head -1)
  sleep 2
  for key in ctrl+End Prior Prior ctrl+Home Next Next Next ctrl+End; do
    xdotool windowfocus "$window"; xdotool key "$key"; sleep 0.5
  done
  # The process wine started is the viewer's own (not one another run started).
  vm=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status")
  kill "$pid" 2>/dev/null; wineserver -k 2>/dev/null || true
  awk -v kb="$vm" 'BEGIN { printf "%.1f", kb / 1024 }'
}

wineserver -k 2>/dev/null || true
echo "first painted screen (seconds, best of 3):"
for f in "$small" "$data/log-4g.txt"; do
  best=999
  for _ in 1 2 3; do t=$(first_paint "$f"); best=$(awk -v a="$best" -v b="$t" 'BEGIN { print (b < a) ? b : a }'); done
  printf '  %-14s %8s\n' "$(basename "$f")" "$best"
done
echo "peak memory of the viewer process (MiB):"
for f in "$small" "$data/log-10g.txt" "$data/sparse-10g.bin"; do
  printf '  %-14s %8s\n' "$(basename "$f")" "$(peak_memory "$f")"
done
echo "Set over a selection (marks, table windows walked):"
wine "$root/build/mingw/bin/set_marks_bench.exe" 1000000 | sed 's/^/  /'
wine "$root/build/mingw/bin/set_marks_bench.exe" 60000 | sed 's/^/  /'
wineserver -k 2>/dev/null || true
