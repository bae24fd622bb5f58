# A file that changes while the real viewer shows it: another program
# appends to it, cuts it to nothing and writes it again, replaces it with a
# shorter one, deletes it. Each time the keys show the file as it is now,
# with no error report (a deleted file gets one message in the system's
# words), the viewer still answers, and the viewer never writes the file.
. "$(dirname "$0")/lib.sh"
viewer=$MINGW_BIN/Zorvo.exe
[ -x "$viewer" ] || fail "Zorvo.exe is not built"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
reg() { "$WINE_RUN" reg "$@" >/dev/null; }
key='HKCU\Software\Korrin\Zorvo'
reg delete "$key" /f 2>/dev/null || true
# Lines show on a yellow background (0x00BBGGRR), which nothing else in the
# window has: a picture with no yellow shows no lines.
reg add "$key\\Zorvo Colors" /v WindowBgnd /d 65535 /f
pid=""
trap 'if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi; reg delete "$key" /f 2>/dev/null || true' EXIT
win() { echo "Z:$PWD/$1" | tr / '\\'; }

own() {  # own REGEX: the visible windows of this viewer whose title matches
  local w
  for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
    if [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "$pid" ]; then echo "$w"; fi
  done
}
wait_own() {  # wait_own REGEX: the first such window, waiting up to 60 seconds
  local w
  for _ in $(seq 120); do
    w=$(own "$1" | head -1)
    if [ -n "$w" ]; then echo "$w"; return 0; fi
    sleep 0.5
  done
  return 1
}

start() {  # start FILE: the viewer on FILE; sets $pid, $window and $name
  name=$1
  "$WINE_RUN" "$viewer" "$(win "$1")" &
  pid=$!
  window=$(wait_own "^$1 - Tessary\$") || fail "no window titled '$1 - Tessary'"
  sleep 2
}
stop() {  # closes the viewer and checks its exit code
  xdotool windowfocus "$window"; sleep 0.3
  xdotool key alt+F4
  local code=0
  wait "$pid" || code=$?
  [ "$code" -eq 0 ] || fail "exit code $code on close"
  pid=""
}
press() { xdotool windowfocus "$window"; sleep 0.3; xdotool key "$@"; sleep 0.3; }
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
shot() {  # shot PNG: the window once it is painted and has settled
  sleep 1
  for _ in $(seq 40); do
    import -window "$window" "$1"
    sleep 0.5
    import -window "$window" settle.png
    if same "$1" settle.png && [ "$(identify -format %k "$1")" -gt 1 ]; then return 0; fi
  done
  fail "the window did not settle for $1"
}
answers() {  # the viewer is alive and shows its file, with no message box
  [ "$(xdotool getwindowname "$window")" = "$name - Tessary" ] || fail "$1: title $(xdotool getwindowname "$window")"
  [ -z "$(own '^Tessary$')" ] || fail "$1: a message box"
}
lines() {  # lines FILE FROM TO TEXT: appends numbered lines FROM..TO-1
  python3 -c '
import sys
with open(sys.argv[1], "a", newline="") as f:
    for i in range(int(sys.argv[2]), int(sys.argv[3])):
        f.write("%s %03d\r\n" % (sys.argv[4], i))' "$@"
}
# What the file should hold: only what this script wrote.
unchanged() { [ "$(md5sum <"$1")" = "$2" ] || fail "the viewer changed $1"; }
reopened_bottom() {  # reopened_bottom PNG: the file opened again (recent files), at its end
  press alt+f
  press 1
  press ctrl+End
  shot "$1"
}

# A second file first, for the recent-files menu.
lines other.txt 0 20 "other line"
other=$(md5sum <other.txt)
start other.txt
stop

# The new user's case: 100 lines open, 100 appended, then Ctrl+End, Page
# Down, Ctrl+Home and Ctrl+End: the view ends at line 199.
lines grow.txt 0 100 "grow line"
start grow.txt
press ctrl+End
shot before.png
lines grow.txt 100 200 "grow line"
sum=$(md5sum <grow.txt)
press ctrl+End; press Next; press ctrl+Home; press ctrl+End
shot grown.png
answers "appended"
same before.png grown.png && fail "Ctrl+End still shows the old end"
reopened_bottom expected.png
same grown.png expected.png || fail "Ctrl+End does not show line 199"
unchanged grow.txt "$sum"

# Cut to nothing (a log rotated), then written again.
: >grow.txt
press ctrl+End
shot cut.png
answers "cut to zero"
lines grow.txt 0 50 "new line"
sum=$(md5sum <grow.txt)
press ctrl+End
shot rewritten.png
answers "written again"
reopened_bottom expected.png
same rewritten.png expected.png || fail "the rewritten file does not show"
[ "$(pixels grown.png '#FFFF00')" -gt 0 ] || fail "no line background in the view of grow.txt"
[ "$(pixels cut.png '#FFFF00')" = 0 ] || fail "the empty file showed lines"
unchanged grow.txt "$sum"

# Replaced by a shorter file: its own lines, no stale bytes, no report.
lines grow.new 0 30 "short"
mv grow.new grow.txt
sum=$(md5sum <grow.txt)
press ctrl+End
shot replaced.png
answers "replaced"
reopened_bottom expected.png
same replaced.png expected.png || fail "the shorter file does not show as it is"
unchanged grow.txt "$sum"

# Deleted while viewed: one message in the system's words, the window stays
# usable and opens another file (the recent-files menu).
rm grow.txt
press ctrl+End
box=$(wait_own '^Tessary$') || fail "no message for the deleted file"
[ "$(own '^Tessary$' | wc -l)" = 1 ] || fail "$(own '^Tessary$' | wc -l) messages at once for the deleted file"
no_box() { [ -z "$(own '^Tessary$')" ]; }
# OK this message (by its window, so that a second one is not taken for it),
# pressing Return again when the focus had not reached it yet.
box_gone() { ! own '^Tessary$' | grep -qx "$box"; }
for _ in 1 2 3 4 5 6; do
  xdotool windowfocus "$box" 2>/dev/null || true
  xdotool key Return
  wait_for 5 box_gone && break
done
box_gone || fail "the message for the deleted file stayed after Return"
# A second message would be modal and come before the menu's command: the
# other file opens only when there is none.
press alt+f
press 2
other_or_box() { [ "$(xdotool getwindowname "$window")" = 'other.txt - Tessary' ] || ! no_box; }
wait_for 30 other_or_box || fail "another file did not open after the deletion: $(xdotool getwindowname "$window")"
no_box || fail "a second message for the deleted file"
name=other.txt
press ctrl+End
answers "after the deletion"
stop
unchanged other.txt "$other"
[ ! -e grow.txt ] || fail "the deleted file came back"
