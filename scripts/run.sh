#!/usr/bin/env bash
# Starts the viewer, Zorvo.exe under Wine, on FILE or on a bundled sample
# print file. Without a display it runs on a virtual one (Xvfb), saves a
# screenshot of the window to build/screenshot.png and closes it again.
#   scripts/run.sh [FILE] [SWITCHES...]
# With --print it prints FILE without a dialog on the printer "Zorvo
# PostScript" and leaves the job as build/print.ps and build/print.pdf.
#   scripts/run.sh --print FILE [SWITCHES...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
print=0
if [ "${1:-}" = "--print" ]; then
  print=1
  shift
  [ $# -gt 0 ] || { echo "usage: scripts/run.sh --print FILE [SWITCHES...]" >&2; exit 2; }
fi
if [ "$print" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --print "$@"
fi
"$root/scripts/deps.sh"
"$root/scripts/build.sh" mingw >/dev/null
file=${1:-$root/tests/data/asa/nastran_d01141a.out}
[ $# -gt 0 ] && shift
[ -e "$file" ] || { echo "run: no such file: $file" >&2; exit 1; }
winfile="Z:$(realpath "$file" | tr / '\\')"
viewer=$root/build/mingw/bin/Zorvo.exe

if [ "$print" = 1 ]; then
  # The viewer serves DDE (-D); it is told to print the file, then to exit.
  ps=$root/build/print.ps
  pdf=$root/build/print.pdf
  rm -f "$ps" "$pdf"
  "$root/scripts/wine-run.sh" "$viewer" -D "$winfile" "$@" &
  viewer_pid=$!
  name=$(basename "$file")
  timeout 60 xdotool search --sync --name "^$(printf '%s' "$name" | sed 's/[][\\.*^$]/\\&/g') - Tessary\$" \
    >/dev/null || { echo "run: the viewer window did not appear" >&2; kill $viewer_pid; exit 1; }
  printf '[Print]\n[Exit]\n' |
    "$root/scripts/wine-run.sh" "$root/build/mingw/bin/zorvo-dde.exe" --timeout 600000 --each - \
      >/dev/null || { echo "run: the viewer did not print" >&2; kill $viewer_pid; exit 1; }
  for _ in $(seq 60); do kill -0 $viewer_pid 2>/dev/null || break; sleep 1; done
  kill $viewer_pid 2>/dev/null || true
  [ -s "$ps" ] || { echo "run: nothing was printed" >&2; exit 1; }
  ps2pdf "$ps" "$pdf"
  echo "Printed $file: $ps and $pdf"
  exit 0
fi

if [ -n "${DISPLAY:-}" ]; then
  exec "$root/scripts/wine-run.sh" "$viewer" "$winfile" "$@"
fi

shot=$root/build/screenshot.png
export ZORVO_SHOT=$shot ZORVO_VIEWER=$viewer ZORVO_FILE=$winfile ZORVO_ROOT=$root
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  "$ZORVO_ROOT/scripts/wine-run.sh" "$ZORVO_VIEWER" "$ZORVO_FILE" "$@" &
  viewer=$!
  window=$(timeout 60 xdotool search --sync --name " - Tessary" | head -1) || {
    echo "run: the viewer window did not appear" >&2; kill $viewer; exit 1; }
  sleep 2  # let it paint
  import -window root "$ZORVO_SHOT"
  xdotool key --window "$window" alt+F4
  for _ in $(seq 30); do kill -0 $viewer 2>/dev/null || break; sleep 1; done
  kill $viewer 2>/dev/null || true
  WINEPREFIX=$ZORVO_ROOT/build/mingw/wineprefix wineserver -k 2>/dev/null || true
' run "$@"
echo "The viewer ran on a virtual display; its window: $shot"
