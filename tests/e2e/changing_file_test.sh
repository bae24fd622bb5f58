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
trap 'viewer_stop; reg delete "$key" /f 2>/dev/null || true' EXIT

# Whether a settled picture of the window, left in PNG, shows lines.
shows_lines() { snap "$1"; [ "$(pixels "$1" '#FFFF00')" -gt 0 ]; }
shows_no_lines() { snap "$1"; [ "$(pixels "$1" '#FFFF00')" = 0 ]; }
start() {  # start FILE: the viewer on FILE, showing its lines; sets $window and $name
  name=$1
  viewer_start "$1"
  wait_for 30 shows_lines start.png || fail "the viewer on $1 never showed its lines"
}
stop() {  # closes the viewer and checks its exit code
  press alt+F4
  local code=0
  wait "$viewer_pid" || code=$?
  viewer_pid=""
  [ "$code" -eq 0 ] || fail "exit code $code on close"
}
message_boxes() { viewer_windows '^Tessary$'; }
answers() {  # the viewer is alive and shows its file, with no message box
  [ "$(xdotool getwindowname "$window")" = "$name - Tessary" ] || fail "$1: title $(xdotool getwindowname "$window")"
  [ -z "$(message_boxes)" ] || fail "$1: a message box"
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
# The file opened again (recent files) and shown at its end, as it is now:
# waits until the window shows what LIKE shows.
reopened_bottom() {  # reopened_bottom PNG LIKE WHAT
  press alt+f
  press 1
  press ctrl+End
  snap_like "$1" "$2" "$3"
}

# A second file first, for the recent-files menu.
lines other.txt 0 20 "other line"
other=$(md5sum <other.txt)
start other.txt
stop

# The new user's case: 100 lines open, 100 appended, then Ctrl+End, Page
# Down, Ctrl+Home and Ctrl+End: the view ends at line 199. Each key that
# moves the view is waited for before the next.
lines grow.txt 0 100 "grow line"
start grow.txt
press ctrl+End
snap_changed before.png start.png "Ctrl+End did not move to the end of 100 lines"
lines grow.txt 100 200 "grow line"
sum=$(md5sum <grow.txt)
press ctrl+End
snap_changed end.png before.png "Ctrl+End still shows the old end"
press Next
press ctrl+Home
snap_changed home.png end.png "Ctrl+Home did not move to the top"
press ctrl+End
snap_changed grown.png home.png "Ctrl+End did not move from the top"
answers "appended"
reopened_bottom expected.png grown.png "Ctrl+End does not show line 199"
unchanged grow.txt "$sum"

# Cut to nothing (a log rotated), then written again.
: >grow.txt
press ctrl+End
wait_for 30 shows_no_lines cut.png || fail "the empty file showed lines"
answers "cut to zero"
lines grow.txt 0 50 "new line"
sum=$(md5sum <grow.txt)
press ctrl+End
wait_for 30 shows_lines rewritten.png || fail "the file written again shows no lines"
answers "written again"
reopened_bottom expected.png rewritten.png "the rewritten file does not show"
unchanged grow.txt "$sum"

# Replaced by a shorter file: its own lines, no stale bytes, no report.
lines grow.new 0 30 "short"
mv grow.new grow.txt
sum=$(md5sum <grow.txt)
press ctrl+End
snap_changed replaced.png rewritten.png "the view did not change for the shorter file"
answers "replaced"
reopened_bottom expected.png replaced.png "the shorter file does not show as it is"
unchanged grow.txt "$sum"

# Deleted while viewed: one message in the system's words, the window stays
# usable and opens another file (the recent-files menu).
rm grow.txt
press ctrl+End
has_message() { [ -n "$(message_boxes)" ]; }
wait_for 60 has_message || fail "no message for the deleted file"
box=$(message_boxes | head -1)
[ "$(message_boxes | wc -l)" = 1 ] || fail "$(message_boxes | wc -l) messages at once for the deleted file"
# OK this message (by its window, so that a second one is not taken for it),
# pressing Return again when the focus had not reached it yet.
box_gone() { ! message_boxes | grep -qx "$box"; }
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
other_or_message() { title_is 'other.txt - Tessary' || has_message; }
wait_for 30 other_or_message || fail "another file did not open after the deletion: $(xdotool getwindowname "$window")"
! has_message || fail "a second message for the deleted file"
name=other.txt
answers "after the deletion"
stop
unchanged other.txt "$other"
[ ! -e grow.txt ] || fail "the deleted file came back"
