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
trap 'reg delete "$key" /f 2>/dev/null || true' EXIT

python3 -c '
for name, lines in (("first.txt", 3000), ("second.txt", 40)):
    with open(name, "w", newline="") as f:
        for i in range(lines):
            f.write("%s line %d\r\n" % (name, i))
'
before=$(stat -c '%Y %s' first.txt; md5sum <first.txt)
win() { echo "Z:$PWD/$1" | tr / '\\'; }

start() {  # start FILE: the viewer on FILE; sets $pid and $window
  "$WINE_RUN" "$viewer" "$(win "$1")" &
  pid=$!
  window=$(timeout 60 xdotool search --sync --name "^$1 - Tessary\$" | head -1) ||
    fail "no window titled '$1 - Tessary'"
  sleep 2
}
stop() {  # closes the viewer and checks its exit code
  xdotool windowfocus "$window"; sleep 0.3
  xdotool key alt+F4
  local code=0
  wait "$pid" || code=$?
  [ "$code" -eq 0 ] || fail "exit code $code on close"
}
shot() { import -window root "$1"; }
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }

start second.txt
stop
start first.txt
[ "$(xdotool getwindowname "$window")" = "first.txt - Tessary" ] || fail "title"
shot top.png
# A pixel of a text row in the background colour: yellow.
convert top.png -crop 1x1+600+60 -depth 8 txt:- | grep -qi '#FFFF00' || fail "background colour"
# Real key presses (XTEST) to the focused viewer; there is no window manager.
press() { xdotool windowfocus "$window"; sleep 0.3; xdotool key "$@"; sleep 1; }
press ctrl+End
shot bottom.png
same top.png bottom.png && fail "Ctrl+End did not move the view"
press Prior
shot up.png
same bottom.png up.png && fail "Page Up did not move the view"
press ctrl+Home
shot home.png
same top.png home.png || fail "Ctrl+Home did not return to the top"
# Copy lands on the X clipboard as the window shows the lines (Wine drops
# the CR of each line end as it hands the text over): Text, then Hex Dump.
clipboard() { timeout 10 xclip -o -selection clipboard >"$1" || fail "nothing on the clipboard"; }
press ctrl+a
press ctrl+c
clipboard text.txt
dump --format text first.txt | cmp -s - text.txt || fail "Copy in Text differs from the lines shown"
press ctrl+h
press ctrl+a
press ctrl+c
clipboard hex.txt
# The window decides how many bytes a line shows: the second address says.
step=$((16#$(sed -n 2p hex.txt | cut -c1-8)))
[ "$(wc -l <hex.txt)" = $(( ($(stat -c %s first.txt) + step - 1) / step )) ] ||
  fail "Copy in Hex: $(wc -l <hex.txt) lines of $step bytes"
grep -q '^00000000  66697273 742E7478 74206C69 6E652030 .*  first\.txt line 0··first' hex.txt ||
  fail "Copy in Hex: $(head -1 hex.txt)"
press ctrl+t
# The recent-files menu: File, then the second entry (second.txt).
press alt+f
press 2
timeout 20 bash -c "until [ \"\$(xdotool getwindowname $window)\" = 'second.txt - Tessary' ]; do sleep 0.5; done" ||
  fail "the recent-files menu did not open second.txt: $(xdotool getwindowname "$window")"
stop
after=$(stat -c '%Y %s' first.txt; md5sum <first.txt)
[ "$before" = "$after" ] || fail "the viewed file changed"
