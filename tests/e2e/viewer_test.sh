# The real viewer under Wine on a virtual display: the title, keys moving
# the view, Copy to the X clipboard, the configured colours, the
# recent-files menu, the exit code, and the viewed file left untouched.
. "$(dirname "$0")/lib.sh"
viewer=$MINGW_BIN/Zorvo.exe
[ -x "$viewer" ] || fail "Zorvo.exe is not built"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
reg() { "$WINE_RUN" reg "$@" >/dev/null; }
key='HKCU\Software\Korrin\Zorvo'
reg delete "$key" /f 2>/dev/null || true
# Text on a yellow background (0x00BBGGRR), so that a screenshot shows it.
reg add "$key\\Zorvo Colors" /v WindowBgnd /t REG_SZ /d 65535 /f
trap 'viewer_stop; reg delete "$key" /f 2>/dev/null || true' EXIT

python3 -c '
for name, lines in (("first.txt", 3000), ("second.txt", 40)):
    with open(name, "w", newline="") as f:
        for i in range(lines):
            f.write("%s line %d\r\n" % (name, i))
'
before=$(stat -c '%Y %s' first.txt; md5sum <first.txt)

start() {  # start FILE: the viewer on FILE, once it shows the file's lines
  viewer_start "$1"
  lines_shown() { snap start.png; [ "$(pixels start.png '#FFFF00')" -gt 0 ]; }
  wait_for 30 lines_shown || fail "the window on $1 never showed its lines"
}
stop() {  # closes the viewer and checks its exit code
  press alt+F4
  local code=0
  wait "$viewer_pid" || code=$?
  viewer_pid=""
  [ "$code" -eq 0 ] || fail "exit code $code on close"
}

start second.txt
stop
start first.txt
[ "$(xdotool getwindowname "$window")" = "first.txt - Tessary" ] || fail "title"
# Text rows in the background colour: yellow.
mv start.png top.png
# Real key presses (XTEST) to the focused viewer; there is no window manager.
press ctrl+End
snap_changed bottom.png top.png "Ctrl+End did not move the view"
press Prior
snap_changed up.png bottom.png "Page Up did not move the view"
press ctrl+Home
snap_like home.png top.png "Ctrl+Home did not return to the top"
# Copy lands on the X clipboard as the window shows the lines (Wine drops
# the CR of each line end as it hands the text over): Text, then Hex Dump.
press ctrl+a
clipboard_mark
press ctrl+c
copied text.txt
dump --format text first.txt | cmp -s - text.txt || fail "Copy in Text differs from the lines shown"
snap selected.png
press ctrl+h
snap_changed hex.png selected.png "Ctrl+H did not show the hex dump"
press ctrl+a
clipboard_mark
press ctrl+c
copied hex.txt
# The window decides how many bytes a line shows: the second address says.
step=$((16#$(sed -n 2p hex.txt | cut -c1-8)))
[ "$(wc -l <hex.txt)" = $(( ($(stat -c %s first.txt) + step - 1) / step )) ] ||
  fail "Copy in Hex: $(wc -l <hex.txt) lines of $step bytes"
grep -q '^00000000  66697273 742E7478 74206C69 6E652030 .*  first\.txt line 0··first' hex.txt ||
  fail "Copy in Hex: $(head -1 hex.txt)"
snap selected.png
press ctrl+t
snap_changed text.png selected.png "Ctrl+T did not show the text again"
# The recent-files menu: File, then the second entry (second.txt).
press alt+f
press 2
wait_title 'second.txt - Tessary'
stop
after=$(stat -c '%Y %s' first.txt; md5sum <first.txt)
[ "$before" = "$after" ] || fail "the viewed file changed"
