# Shared helpers of the end-to-end tests.
set -Eeuo pipefail
# A command that fails and ends the script says where: the script's line,
# the command and its exit status, so that no failure is a bare FAIL.
trap 'status=$?; echo "FAIL: ${BASH_SOURCE[0]##*/}:$LINENO: $BASH_COMMAND (exit $status)${FUNCNAME[0]:+, in ${FUNCNAME[0]} called from line ${BASH_LINENO[0]}}" >&2' ERR
# Stopped by the runner's time limit (TERM): says the command it was
# running, the calls that led there and the behaviour being checked, then
# ends (EXIT traps still run). Bash gives no line for the command itself in
# a signal's trap, only for the calls around it.
current_check=""
time_limit_reached() {  # time_limit_reached COMMAND
  local i where=""
  for ((i = 1; i < ${#FUNCNAME[@]} - 1; i++)); do
    where+=", in ${FUNCNAME[i]} called at ${BASH_SOURCE[i + 1]##*/}:${BASH_LINENO[i]}"
  done
  echo "FAIL: stopped by the time limit while running: $1$where${current_check:+, in the check \"$current_check\"}" >&2
  exit 124
}
trap 'time_limit_reached "$BASH_COMMAND"' TERM
# The native tools read the user's own settings otherwise.
export XDG_CONFIG_HOME=$PWD/config
dump() { "$NATIVE_BIN/zorvo-dump" "$@"; }
dump_exe() { "$WINE_RUN" "$MINGW_BIN/zorvo-dump.exe" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
# Random bytes of a given size from a fixed seed, without depending on the
# machine's random source.
random_file() {  # random_file PATH SIZE SEED
  python3 -c 'import random,sys; r=random.Random(int(sys.argv[3])); open(sys.argv[1],"wb").write(bytes(r.getrandbits(8) for _ in range(int(sys.argv[2]))))' "$1" "$2" "$3"
}
# plimbus_host.exe (copied to ./host) runs its check of the extension as
# others set it up; the arguments are what it expects (VAR=value ...).
host_as_configured() {
  mkdir -p host
  cp "$MINGW_BIN/plimbus_host.exe" host/
  env "$@" "$WINE_RUN" host/plimbus_host.exe --gtest_brief=1 --gtest_also_run_disabled_tests \
    --gtest_filter='PlimbusAsConfiguredTest.*' >host.log 2>&1 || { cat host.log >&2; return 1; }
  grep -q 'PASSED.* 1 test' host.log || { cat host.log >&2; return 1; }
}

# --- The real viewer under Wine, for the tests that drive it. ---
# The Windows form of a path under the work directory.
win() { echo "Z:$PWD/$1" | tr / '\\'; }
# The viewer's own profile in the prefix; tests delete it before and after.
zorvo_key='HKCU\Software\Korrin\Zorvo'
wine_reg() { "$WINE_RUN" reg "$@" >/dev/null 2>&1; }
# Writes the setup of an INI file (installer/Listing.ini) into the viewer's
# profile, as Format > Save Setup would have, through the same reader of the
# file as the installer's.
import_setup() {  # import_setup INI
  cmake -DINI="$1" -DREG=setup.reg -P "$ROOT/cmake/setup_ini.cmake" ||
    fail "the setup in $1 could not be read"
  wine_reg import "$(win setup.reg)" || fail "the setup in $1 could not be written to the profile"
}
# Polls a command until it succeeds, for at most SECONDS; false when it
# never did. Callers name what never came: wait_for 30 cmd || fail "...".
wait_for() {  # wait_for SECONDS COMMAND...
  local until=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$until" ] || return 1
    sleep 0.1
  done
}
viewer_pid=""
# The visible windows of the viewer started last whose title matches REGEX.
viewer_windows() {  # viewer_windows REGEX
  local w
  for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
    if [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "$viewer_pid" ]; then echo "$w"; fi
  done
}
has_viewer_window() { [ -n "$(viewer_windows "$1")" ]; }
# Starts Zorvo.exe on FILE (in the work directory) with SWITCHES and waits
# for its window titled after the file; sets $viewer_pid and $window.
viewer_start() {  # viewer_start FILE [SWITCHES...]
  local file=$1
  shift
  "$WINE_RUN" "$MINGW_BIN/Zorvo.exe" "$(win "$file")" "$@" &
  viewer_pid=$!
  local title="^$(printf '%s' "$file" | sed 's/[][\\.*^$]/\\&/g') - Tessary\$"
  wait_for 60 has_viewer_window "$title" || fail "no viewer window titled '$file - Tessary'"
  window=$(viewer_windows "$title" | head -1)
}
viewer_stop() {  # ends the viewer started last, if it still runs, and waits for its end
  if [ -n "$viewer_pid" ]; then
    kill "$viewer_pid" 2>/dev/null || true
    wait "$viewer_pid" 2>/dev/null || true
  fi
  viewer_pid=""
}
# How many pixels of a picture have exactly COLOR (#RRGGBB).
pixels() {  # pixels PNG COLOR
  convert "$1" -alpha off -fill black +opaque "$2" -fill white -opaque "$2" \
    -format '%[fx:round(mean*w*h)]' info:
}
# Makes "Zorvo PostScript" (writing to build/print.ps) the prefix's default
# printer again, whatever a test stopped before its end left as default.
default_printer_ours() {
  "$WINE_RUN" "$MINGW_BIN/zorvo-printer.exe" "Z:$(printf '%s' "$ROOT/build/print.ps" | tr / '\\')" ||
    fail "\"Zorvo PostScript\" could not be made the default printer"
}
# --- Waiting for what a key or a command did, never for a time. ---
# Whether two pictures are alike, pixel for pixel.
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
# The title of $window is TITLE.
title_is() { [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "$1" ]; }
wait_title() {  # wait_title TITLE: fails naming the title the window kept
  wait_for 30 title_is "$1" || fail "the title never became '$1'; it is '$(xdotool getwindowname "$window" 2>&1)'"
}
# Keys to $window once it has the keyboard focus (there is no window
# manager: the focus is given, and waited for, here).
press() {  # press KEYS...
  timeout 10 xdotool windowfocus --sync "$window" 2>/dev/null ||
    fail "the window never had the keyboard focus for the keys $*"
  xdotool key "$@"
}
# A picture of $window (or of $snap_window, "root" for the whole screen)
# once it has stopped changing: two pictures in a row alike, and painted
# (more than one colour). Fails after 30 s.
snap() {  # snap PNG
  local until=$((SECONDS + 30)) next=${1%.png}.next.png
  import -window "${snap_window:-$window}" "$1"
  while :; do
    sleep 0.2  # the interval between the two pictures compared
    import -window "${snap_window:-$window}" "$next"
    if same "$1" "$next" && [ "$(identify -format %k "$1")" -gt 1 ]; then
      rm -f "$next"
      return 0
    fi
    mv "$next" "$1"
    [ "$SECONDS" -lt "$until" ] || fail "the window did not settle for $1"
  done
}
# A settled picture that differs from OTHER (snap_changed: what a key
# changed) or is alike to it (snap_like: what the window came back to);
# WHAT names what never came, after 30 s.
snap_versus() {  # snap_versus differs|alike PNG OTHER WHAT
  local until=$((SECONDS + 30)) now
  while :; do
    snap "$2"
    if same "$2" "$3"; then now=alike; else now=differs; fi
    [ "$now" != "$1" ] || return 0
    [ "$SECONDS" -lt "$until" ] || fail "$4: the window $([ "$1" = alike ] && echo "never showed" || echo "still shows") what $3 shows"
  done
}
snap_changed() { snap_versus differs "$@"; }  # snap_changed PNG OLD WHAT
snap_like() { snap_versus alike "$@"; }  # snap_like PNG WANT WHAT
# The X clipboard: marked before a copy, then waited for until it holds
# something else, which is written to FILE.
clipboard_mark() { printf 'zorvo: nothing copied yet' | xclip -selection clipboard -i; }
clipboard_holds_copy() {
  timeout 5 xclip -o -selection clipboard >"$1" 2>/dev/null && [ -s "$1" ] &&
    [ "$(head -c 24 "$1")" != 'zorvo: nothing copied ye' ]
}
copied() {  # copied FILE
  wait_for 30 clipboard_holds_copy "$1" || fail "the copy never reached the clipboard"
}
# Sends one execute string to the viewer; fails with zorvo-dde's reason.
dde() {  # dde COMMANDS...
  "$WINE_RUN" "$MINGW_BIN/zorvo-dde.exe" --timeout 120000 "$@" >>dde.out 2>&1 ||
    fail "zorvo-dde $*: $(tail -1 dde.out)"
}
# The rows printed to build/print.ps, one per line: sheet number, the
# baseline's y in points from the top, and the text (gaps as spaces).
printed_rows() {
  gs -q -dNOPAUSE -dBATCH -sDEVICE=txtwrite -dTextFormat=0 -sOutputFile=- "$ROOT/build/print.ps" |
    python3 -c '
import re, sys
for sheet, page in enumerate(sys.stdin.read().split("<page>")[1:], 1):
    rows = {}
    for x0, y, x1, c in re.findall(r"<char bbox=\"([0-9.]+) ([0-9.]+) ([0-9.]+) [0-9.]+\" c=\"([^\"]*)\"/>", page):
        rows.setdefault(float(y), []).append((float(x0), float(x1), c))
    for y in sorted(rows):
        text, end = "", None
        for x0, x1, c in sorted(rows[y]):
            if end is not None and x0 - end > (x1 - x0) / 2:
                text += " " * max(1, round((x0 - end) / (x1 - x0)))
            text += c
            end = x1
        print("%d\t%g\t%s" % (sheet, y, text))'
}
# Runs one behaviour in a subshell that stops at its first failure and
# ends its viewer, so that the behaviours after it still run; the script
# then fails when any did. check NAME COMMAND...
failed_checks=()
check() {
  local name=$1 status=0
  shift
  # In the background, so that set -e holds inside it (it would not on
  # the left of ||).
  current_check=$name
  (
    trap viewer_stop EXIT
    trap 'time_limit_reached "$BASH_COMMAND"' TERM
    "$@"
  ) &
  wait $! || status=$?
  current_check=""
  if [ "$status" -eq 0 ]; then echo "ok: $name"; else failed_checks+=("$name"); fi
}
checks_done() {  # the script's end: fails naming the behaviours that failed
  [ ${#failed_checks[@]} -eq 0 ] || fail "${#failed_checks[@]} failed: $(printf '%s; ' "${failed_checks[@]}")"
}
