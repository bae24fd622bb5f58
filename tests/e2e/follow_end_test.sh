# Follow End and Esc in the real viewer under Wine. A script appends ten
# lines a second for a minute to a file the viewer shows with Follow End on
# (saved with the options): every second the last line on the screen is
# one appended in the last two seconds, and the viewer's processor time
# stays under 5% of the minute. The file cut short and written again shows
# its new lines from the start. On a sparse file of many gigabytes, a search
# and Mark All show how far they have come in the title and stop at Esc;
# Mark All keeps the mark it made (F2 goes to it).
#
# What the screen shows is read from screenshots: line i of the file is
# 1 + i % 50 characters "#", so the ink width of a row tells its line.
. "$(dirname "$0")/lib.sh"
[ -x "$MINGW_BIN/Zorvo.exe" ] || fail "Zorvo.exe is not built"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
writer=""
cleanup() {
  if [ -n "$writer" ]; then kill "$writer" 2>/dev/null || true; fi
  viewer_stop
  wine_reg delete "$zorvo_key" /f || true
}
trap cleanup EXIT
wine_reg delete "$zorvo_key" /f || true
# Follow End on, as Format > Save Options leaves it.
"$WINE_RUN" reg add "$zorvo_key\\Tessary" /v FollowEnd /t REG_SZ /d 1 /f >/dev/null

# The text rows of a screenshot, top to bottom: the right end of each
# row's ink in pixels. The ink of one row of text is a band of rows of
# pixels with gaps of at most 3 (the font is smoothed); a band of text
# starts at the left edge, the menu bar's does not, and a line across the
# whole width is the end of the text. The scroll bars (the right edge, and
# a band as wide as the window) are no text.
rows() {  # rows PNG
  python3 - "$1" <<'PY'
import subprocess, sys
png = sys.argv[1]
w, h = map(int, subprocess.check_output(["identify", "-format", "%w %h", png]).split())
raw = subprocess.check_output(["convert", png, "-colorspace", "Gray", "-depth", "8", "gray:-"])
dark = bytes(49 if b < 100 else 48 for b in range(256))  # "1" for ink, "0" else
cut = w - 40
bands, band, gap = [], None, 0
for y in range(h):
    row = raw[y * w:y * w + cut].translate(dark)
    left, right = row.find(b"1"), row.rfind(b"1")
    if left < 0 or (left == 0 and right == cut - 1):
        gap += 1
        if band and gap > 3:
            bands.append(band)
            band = None
        continue
    gap = 0
    band = [min(band[0], left), max(band[1], right)] if band else [left, right]
if band:
    bands.append(band)
print(" ".join(str(right) for left, right in bands if left <= 3 and right < cut - 16))
PY
}
shot() { import -window "$window" "$1" 2>/dev/null; }
# Characters of a row from its ink, by the scale that the first screen's
# rows of 41 to 50 characters give.
chars() { python3 -c "import sys; print(round((int(sys.argv[1]) - $base) / $pitch))" "$1"; }
lines_in() { python3 -c "import sys; print(open(sys.argv[1], 'rb').read().count(b'\n'))" "$1"; }

# -- Follow End ----------------------------------------------------------
python3 -c "
f = open('live.txt', 'w', newline='')
for i in range(40, 50): f.write('#' * (1 + i % 50) + '\r\n')"
viewer_start live.txt -D
first_screen() {
  shot first.png
  read -r -a first <<<"$(rows first.png)"
  [ "${#first[@]}" -eq 10 ]
}
wait_for 30 first_screen || fail "the first screen shows ${#first[@]} rows, not the file's 10: ${first[*]}"
pitch=$(python3 -c "print(($((first[9])) - $((first[0]))) / 9)")
base=$(python3 -c "print(${first[0]} - 41 * $pitch)")
[ "$(chars "${first[9]}")" = 50 ] || fail "the rows do not read back: ${first[*]}"

# The writer: line i is appended at 0.1 s steps from the start, so a late
# line does not push the next ones later.
python3 - live.txt <<'PY' &
import sys, time
start, i = time.monotonic(), 50
with open(sys.argv[1], "a", newline="") as f:
    while time.monotonic() - start < 62:
        f.write("#" * (1 + i % 50) + "\r\n")
        f.flush()
        i += 1
        time.sleep(max(0, start + (i - 50) / 10 - time.monotonic()))
PY
writer=$!
ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$viewer_pid/stat"; }
cpu_start=$(cpu)
started=$SECONDS
seen=()
while [ $((SECONDS - started)) -lt 60 ]; do
  # One look a second: the pace of the observation, not a wait for a state.
  sleep 1
  # The lines written two seconds ago at the latest must all show: the last
  # row's line is at most 20 lines behind, or newer than the count.
  last=$(($(lines_in live.txt) + 40 - 1))  # the index of the file's last line
  shot follow.png
  read -r -a now <<<"$(rows follow.png)"
  [ "${#now[@]}" -gt 0 ] || fail "no text rows on the screen after $((SECONDS - started)) s"
  shown=$(chars "${now[-1]}")
  behind=$(((last % 50 + 1 - shown + 250 + 5) % 50 - 5))
  [ "$behind" -le 20 ] ||
    fail "after $((SECONDS - started)) s the last row shows $shown characters, $behind lines behind the file's $((last % 50 + 1))"
  seen+=("$shown")
done
cpu_used=$(($(cpu) - cpu_start))
wait "$writer" || true
writer=""
[ "${#seen[@]}" -ge 20 ] || fail "only ${#seen[@]} looks at the screen in a minute"
percent=$(python3 -c "print('%.1f' % (100 * $cpu_used / $ticks / 60))")
echo "followed for a minute: last row at most 2 s behind in ${#seen[@]} looks; viewer CPU $percent% of the minute"
python3 -c "import sys; sys.exit(0 if $cpu_used / $ticks < 3 else 1)" ||
  fail "the viewer took $percent% of the processor while following"

# Cut short and written again: the new lines, from the start.
python3 -c "
f = open('live.txt', 'w', newline='')
for n in (7, 3, 9): f.write('#' * n + '\r\n')"
rewritten() {
  shot cut.png
  local r c=()
  for r in $(rows cut.png); do c+=("$(chars "$r")"); done
  [ "${c[*]}" = "7 3 9" ]
}
wait_for 10 rewritten || fail "the file written again does not show from its start: $(rows cut.png)"
echo "the file cut short and written again shows its new lines"

# -- Esc stops long work -------------------------------------------------
# 64 GiB with holes: a line at the start, a mark at 256 MiB, nothing else.
rm -f big.bin
truncate -s 64G big.bin
printf 'first line\r\n' | dd of=big.bin conv=notrunc status=none
printf 'MARK here\r\n' | dd of=big.bin bs=1M seek=256 conv=notrunc status=none
# Follow End off over DDE: the view stays at the top of the file.
dde "[Display Follow][Open \"$(win big.bin)\"]"
title() { xdotool getwindowname "$window" 2>/dev/null; }
titled() { [[ "$(title)" =~ $1 ]]; }
wait_for 30 titled '^big\.bin - Tessary$' || fail "big.bin did not open: $(title)"
now_ms() { date +%s%3N; }
stop_with_esc() {  # stop_with_esc COMMAND WORD: runs COMMAND over DDE, stops it with Esc
  "$WINE_RUN" "$MINGW_BIN/zorvo-dde.exe" --timeout 600000 "$1" >>dde.out 2>&1 &
  local client=$!
  wait_for 30 titled "^$2 [0-9]+% \\(Esc to stop\\) - big\\.bin - Tessary\$" ||
    fail "no progress in the title for $1: $(title)"
  # Well past the mark at 256 MiB (0.4% of the file) before the Esc.
  wait_for 30 titled "^$2 ([1-9]|[1-9][0-9])% " || fail "no progress beyond 1%: $(title)"
  xdotool windowfocus "$window"
  local pressed
  pressed=$(now_ms)
  xdotool key Escape
  wait_for 20 titled '^big\.bin - Tessary$' || fail "Esc did not stop $1: $(title)"
  latency=$(($(now_ms) - pressed))
  wait "$client" || fail "zorvo-dde $1 failed: $(tail -1 dde.out)"
  [ "$latency" -lt 3000 ] || fail "Esc stopped $1 only after $latency ms"
  echo "$1: stopped $latency ms after Esc"
}
stop_with_esc '[Find "NoSuchText" Top]' Searching
shot before-f2.png
stop_with_esc '[Find "MARK" All Top]' Marking
[ "$(xdotool getwindowname "$window")" = "big.bin - Tessary" ] || fail "the window is not shown: $(title)"
shot marked.png
compare -metric AE before-f2.png marked.png null: 2>/dev/null ||
  fail "a stopped Mark All moved the view"
xdotool windowfocus "$window"
xdotool key F2
moved() { shot after-f2.png; ! compare -metric AE marked.png after-f2.png null: 2>/dev/null; }
wait_for 20 moved || fail "F2 found no mark after the stopped Mark All"
viewer_stop
rm -f big.bin
echo "Esc stopped a search and Mark All over 64 GiB; the mark made stays"
