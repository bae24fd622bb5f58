#!/usr/bin/env bash
# Starts the viewer, Zorvo.exe under Wine, on FILE or on a bundled sample
# print file. Without a display it runs on a virtual one (Xvfb), saves a
# screenshot of the window to build/screenshot.png and closes it again.
#   scripts/run.sh [FILE] [SWITCHES...]
# The sample is shown as a reader of print files sees it: through the setup
# "Listing" (installer/Listing.ini: ASA carriage control, pages ruled off),
# which is written into the profile of the project's Wine prefix each time
# and listed for Format > Load Setup. A FILE opens with the profile's own
# options.
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
if [ -z "${DISPLAY:-}" ]; then
  if [ "$print" = 1 ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --print "$@"
  fi
  ZORVO_SHOT=$root/build/screenshot.png exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
"$root/scripts/deps.sh"
mkdir -p "$root/build"
if ! "$root/scripts/build.sh" mingw >"$root/build/mingw-build.log" 2>&1; then
  echo "run: the build failed; the last lines of build/mingw-build.log:" >&2
  tail -n 40 "$root/build/mingw-build.log" >&2
  exit 1
fi
setup=()
if [ $# -gt 0 ]; then
  file=$1
  shift
else
  file=$root/tests/data/asa/nastran_d01141a.out
  setup=(-vListing)
fi
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

# The setup "Listing" from its INI form, as a registry file: the section
# made afresh, and its name in "Setup List" (where it is, else in the first
# free place). The profile's key comes from the programs' shared names.
write_listing_setup() {
  local key listed n=1 name
  key="HKEY_CURRENT_USER\\$(cmake -DHEADER="$root/common/shared_names.h" -DPRINT=kProfileKey \
    -P "$root/cmake/shared_names.cmake")"
  listed=$("$root/scripts/wine-run.sh" reg query "$key\\Setup List" 2>/dev/null | tr -d '\r') || true
  while true; do
    name=$(printf '%s\n' "$listed" | sed -nE "s/^ +Setup$n +REG_SZ +(.*)$/\\1/p")
    [ -z "$name" ] || [ "${name,,}" = listing ] && break
    n=$((n + 1))
  done
  local reg; reg=$(mktemp --suffix=.reg)
  cmake -DINI="$root/installer/Listing.ini" -DREG="$reg" -DFRESH=1 -DLIST_AT="$n" \
    -P "$root/cmake/setup_ini.cmake"
  local status=0 out
  out=$("$root/scripts/wine-run.sh" reg import "Z:$(printf '%s' "$reg" | tr / '\\')" 2>&1) || status=$?
  rm -f "$reg"
  if [ "$status" -ne 0 ]; then
    echo "run: the setup \"Listing\" could not be written to the profile (reg import, exit $status):" >&2
    printf '%s\n' "$out" | tr -d '\r' >&2
    exit 1
  fi
}

[ ${#setup[@]} -eq 0 ] || write_listing_setup
if [ -z "${ZORVO_SHOT:-}" ]; then
  exec "$root/scripts/wine-run.sh" "$viewer" "$winfile" "${setup[@]}" "$@"
fi
# On the virtual display: a screenshot of the window, then close it.
shot=$ZORVO_SHOT
"$root/scripts/wine-run.sh" "$viewer" "$winfile" "${setup[@]}" "$@" &
viewer_pid=$!
window=$(timeout 60 xdotool search --sync --name " - Tessary" | head -1) || {
  echo "run: the viewer window did not appear" >&2; kill $viewer_pid; exit 1; }
# The picture is taken once the screen has stopped changing: three pictures
# in a row alike, a fifth of a second apart (at most a minute).
import -window root "$shot"
alike=0
for _ in $(seq 300); do
  sleep 0.2
  import -window root "${shot%.png}.next.png"
  if [ "$(compare -metric AE "$shot" "${shot%.png}.next.png" null: 2>&1)" = 0 ]; then
    alike=$((alike + 1))
    [ "$alike" -ge 2 ] && break
  else
    alike=0
    mv "${shot%.png}.next.png" "$shot"
  fi
done
rm -f "${shot%.png}.next.png"
[ "$alike" -ge 2 ] || echo "run: the window was still changing after a minute; the picture is its last state" >&2
# Keys go to the window with the focus: given here, as there is no window
# manager to give it.
timeout 10 xdotool windowfocus --sync "$window" && xdotool key alt+F4 ||
  echo "run: the viewer's window could not be closed with Alt+F4" >&2
for _ in $(seq 30); do kill -0 $viewer_pid 2>/dev/null || break; sleep 1; done
kill $viewer_pid 2>/dev/null || true
WINEPREFIX=${ZORVO_WINEPREFIX:-$root/build/mingw/wineprefix} wineserver -k 2>/dev/null || true
echo "The viewer ran on a virtual display; its window: $shot"
