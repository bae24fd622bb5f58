# The viewer's DDE server, end to end: the real Zorvo.exe started with -D,
# driven by zorvo-dde.exe as other programs drive it. What each command did
# is read from the window title and from screenshots.
. "$(dirname "$0")/lib.sh"
viewer=$MINGW_BIN/Zorvo.exe
client=$MINGW_BIN/zorvo-dde.exe
[ -x "$viewer" ] && [ -x "$client" ] || fail "Zorvo.exe or zorvo-dde.exe is not built"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
reg() { "$WINE_RUN" reg "$@" >/dev/null; }
key='HKCU\Software\Korrin\Zorvo'
reg delete "$key" /f 2>/dev/null || true
# Colours a screenshot tells apart (0x00BBGGRR): yellow text background, red
# tagged lines, and a setup "Daily" whose text background is green.
cat >colors.reg <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Korrin\Zorvo\Zorvo Colors]
"WindowBgnd"="65535"
"TagBgnd"="255"

[HKEY_CURRENT_USER\Software\Korrin\Zorvo\Setup: Daily]
"WindowBgnd"="65280"
"SaveOptions"="256"
REG
reg import colors.reg
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  reg delete "$key" /f 2>/dev/null || true
}
trap cleanup EXIT

mkdir -p "dir with space"
python3 - <<'PY'
lines = ["line %d\r\n" % i for i in range(3000)]
lines[1000] = 'SAY "HI" there\r\n'   # what a search without Case finds first
lines[2000] = 'say "hi" there\r\n'
open("dir with space/file one.txt", "w", newline="").write("".join(lines))
open("tail.txt", "w", newline="").write("".join(lines[2000:]))
# AB (and nothing else that folds to it) on four lines apart from each other.
open("tags.txt", "w", newline="").write(
    "".join("line %d%s\r\n" % (i, " AB" if i in (3, 9, 20, 27) else "") for i in range(30)))
PY

code() {  # code ARGS...: zorvo-dde's exit code
  local c=0
  "$WINE_RUN" "$client" "$@" >>dde.out 2>>dde.err || c=$?
  echo "$c"
}
expect() {  # expect CODE ARGS...
  local want=$1 got
  shift
  got=$(code "$@")
  [ "$got" = "$want" ] || fail "zorvo-dde $(printf '%q ' "$@"| cut -c1-80) gave $got, not $want"
}
title() { xdotool getwindowname "$window"; }
# A settled screenshot of the screen, and beside it where the window was
# when it was taken.
snap_window=root
shot() {
  snap "$1"
  xdotool getwindowgeometry --shell "$window" >"$1.at"
}
# The middle of the client area, clear of the caption, menu and scroll bars.
area() {  # area SHOT OUT
  eval "$(cat "$1.at")"
  convert "$1" -crop "$((WIDTH / 2))x$((HEIGHT / 3))+$((X + 10))+$((Y + HEIGHT / 3))" +repage "$2"
}
# Horizontal runs of a colour down the middle of the window.
runs() {  # runs SHOT COLOR
  eval "$(cat "$1.at")"
  convert "$1" -crop "1x$HEIGHT+$((X + WIDTH / 2))+$Y" +repage -depth 8 txt:- |
    awk -v c="$2" 'NR > 1 { hit = index(toupper($0), c) > 0; if (hit && !was) n++; was = hit } END { print n + 0 }'
}
answers_text() { [ "$(code '[Display Text]')" = 0 ]; }

# Started as a DDE server without a file: no Open dialog, it waits.
"$WINE_RUN" "$viewer" -D &
pid=$!
window=$(timeout 60 xdotool search --sync --name '^Tessary$' | head -1) || fail "no viewer window"
wait_for 60 answers_text || fail "the viewer started with -D never answered [Display Text]"

# Open: a quoted path with spaces, the command in lower case.
expect 0 "[open \"$(win 'dir with space/file one.txt')\"]"
[ "$(title)" = "file one.txt - Tessary" ] || fail "Open: title is '$(title)'"

# Two commands in one string: Hex Dump, then maximised. With no window
# manager the X window keeps its size, so a maximised window shows as its
# scroll bar moving out of it: text background reaches the right edge.
edge() {  # edge SHOT: the number of text-background pixels at the right edge
  eval "$(cat "$1.at")"
  convert "$1" -crop "6x$((HEIGHT / 2))+$((X + WIDTH - 8))+$((Y + HEIGHT / 4))" +repage \
    -depth 8 txt:- | grep -ci '#FFFF00' || true
}
shot restored.png
[ "$(edge restored.png)" = 0 ] || fail "no scroll bar at the right edge before maximising"
expect 0 '[Display Hex][Window Maximize]'
maximized() { shot hex.png; [ "$(edge hex.png)" -gt 0 ]; }
wait_for 30 maximized || fail "[Window Maximize] left the scroll bar at the right edge"
area hex.png hex-area.png
expect 0 '[Display Text]'
text_again() { shot text.png; area text.png text-area.png; ! same hex-area.png text-area.png; }
wait_for 30 text_again || fail "[Display Hex] then [Display Text] did not change the view"

# Execute data above 1,024 bytes runs nothing; 1,024 bytes run.
padded() { printf '[Display Hex]%*s' "$(($1 - 13))" ''; }  # padded CHARACTERS
expect 1 "$(padded 512)"  # 512 characters and the 0: 1,026 bytes
shot refused.png
area refused.png b.png
same text-area.png b.png || fail "1,026 bytes of execute data changed the view"
expect 0 "$(padded 511)"  # 1,024 bytes
hex_again() { shot taken.png; area taken.png b.png; same hex-area.png b.png; }
wait_for 30 hex_again || fail "1,024 bytes of execute data did not show the hex dump"
expect 0 '[Display Text]'

# Find: doubled quotes, Case and Top. From the bottom of the file, only a
# search from the top finds line 2000; without Case, line 1000 comes first.
# The view then matches tail.txt (line 2000 on) with its first line found.
shot top.png
press ctrl+End
snap_changed bottom.png top.png "Ctrl+End did not move the view"
expect 0 '[Find "say ""hi"" there" Case Top]'
snap_changed found.png bottom.png "Find did not move the view from the bottom"
area found.png a.png
expect 0 "[Open \"$(win tail.txt)\"]"
expect 0 '[Find "say ""hi"" there" Case Top]'
like_found() { shot tail.png; area tail.png b.png; same a.png b.png; }
wait_for 30 like_found || fail "Find did not show line 2000 selected at the top"

# Find Hex All tags every line holding the bytes 41 42.
expect 0 "[Open \"$(win tags.txt)\"]"
expect 0 '[Find "41 42" Hex All]'
four_tagged() { shot tags.png; [ "$(runs tags.png '#FF0000')" = 4 ]; }
wait_for 30 four_tagged || fail "Mark All tagged $(runs tags.png '#FF0000') runs of lines, not 4"

# Setup Daily applies section "Setup: Daily": green text background.
expect 0 "[Open \"$(win tags.txt)\"]"
plain() { shot plain.png; [ "$(runs plain.png '#FFFF00')" -gt 0 ] && [ "$(runs plain.png '#FF0000')" = 0 ]; }
wait_for 30 plain || fail "no yellow background, or tags, after opening tags.txt again"
expect 0 '[Setup Daily]'
daily() { shot daily.png; [ "$(runs daily.png '#00FF00')" -gt 0 ]; }
wait_for 30 daily || fail "[Setup Daily] did not apply its colours"
[ "$(runs daily.png '#FFFF00')" = 0 ] || fail "[Setup Daily] left the yellow background"

# An unknown command ends the string: not processed, and Exit does not run,
# so the next string in the same conversation is still answered.
# zorvo-dde --each ends with 1 when a string was not processed.
status=0
printf '[Bogus][Exit]\n[Display Text]\n' | "$WINE_RUN" "$client" --each - >each.txt 2>>dde.err || status=$?
[ "$status" -le 1 ] || fail "zorvo-dde --each ended with $status: $(tail -1 dde.err)"
[ "$(tr -d '\r' <each.txt | tr '\n' ' ')" = "1 0 " ] ||
  fail "[Bogus][Exit] then [Display Text] gave $(tr '\n' ' ' <each.txt)"

# A misspelt option is bad usage, not a command; a byte-order mark at the
# start of an --each file is no part of its first line.
expect 4 --timout 5000 '[Display Text]'
printf '\xEF\xBB\xBF[Display Text]\n[Display Hex]\n' >bom.txt
"$WINE_RUN" "$client" --each "$(win bom.txt)" >bom-codes.txt 2>>dde.err ||
  fail "zorvo-dde --each with a byte-order mark ended with $?: $(tail -1 dde.err)"
[ "$(tr -d '\r' <bom-codes.txt | tr '\n' ' ')" = "0 0 " ] ||
  fail "--each with a byte-order mark gave $(tr '\n' ' ' <bom-codes.txt)"

# Ignore DDE from the menu stops the server, and starts it again.
press alt+f d
answers_none() { [ "$(code '[Display Text]')" = 2 ]; }
wait_for 30 answers_none || fail "Ignore DDE from the menu did not stop the server"
grep -q 'no DDE server answers for service "Tessary", topic "System"' dde.err ||
  fail "no message for a missing server"
press alt+f d
wait_for 30 answers_text || fail "Ignore DDE a second time did not start the server again"

# 1,000 random execute strings through one conversation, then a command that
# must still be answered by a window that still exists.
python3 - <<'PY' >random.txt
import random
r = random.Random(20260611)
names = ["Open", "Display", "Window", "Find", "Setup", "Print", "Bogus", "", "open", "FIND"]
words = ["Hex", "Text", "Raw", "Wrap", "ZoomIn", "ZoomOut", "ZoomReset", "Top", "All", "Case",
         "Minimize", "Maximize", "Restore", "OnTop", "Page", "Tags", "41 42", "4g", "line"]
pieces = ["[", "]", "\"", "\"\"", " ", "\t", "[[", "]]"]
banned = ("exit", "close", "dde")  # they would end the run
n = 0
while n < 1000:
    out = []
    limit = r.choice([20, 80, 300, 520, 560])  # characters: up to 1,122 bytes with the 0
    while sum(len(p) for p in out) < limit:
        k = r.random()
        if k < 0.25:
            out.append("[" + r.choice(names) + " " + r.choice(words) + "]")
        elif k < 0.5:
            out.append(r.choice(pieces))
        elif k < 0.7:
            out.append(r.choice(words))
        elif k < 0.85:
            out.append("".join(chr(r.randint(33, 126)) for _ in range(r.randint(1, 12))))
        else:
            out.append("".join(chr(r.randint(0xA0, 0x2FFF)) for _ in range(r.randint(1, 4))))
    line = "".join(out)[:limit]
    if any(b in line.lower() for b in banned):
        continue
    print(line)
    n += 1
PY
status=0
"$WINE_RUN" "$client" --timeout 10000 --each random.txt >results.txt 2>>dde.err || status=$?
[ "$status" -le 1 ] || fail "zorvo-dde --each over the random strings ended with $status: $(tail -1 dde.err)"
[ "$(tr -d '\r' <results.txt | grep -c '^[01]$')" = 1000 ] ||
  fail "not every random string was answered: $(tr -d '\r' <results.txt | sort | uniq -c | tr '\n' ' ')"
expect 0 '[Display Text]'
xdotool getwindowname "$window" >/dev/null || fail "the window is gone after the random strings"

# [DDE] stops the server from a command; [Exit] ends the viewer cleanly.
expect 0 '[Window Restore][DDE]'
expect 2 '[Display Text]'
press alt+f d
wait_for 30 answers_text || fail "Ignore DDE did not start the server after [DDE]"
expect 0 '[Exit]'
ended() { ! kill -0 "$pid" 2>/dev/null; }
wait_for 20 ended || fail "the viewer still runs 20 seconds after [Exit]"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "exit code $status after [Exit]"
