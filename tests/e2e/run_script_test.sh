# The README's run command shows the bundled sample print file in the
# viewer's window; without a display it leaves a screenshot of it. The
# sample is shown through the setup "Listing", which the command writes into
# the prefix's profile and lists after the user's own setups.
. "$(dirname "$0")/lib.sh"
reg() { "$WINE_RUN" reg "$@" 2>/dev/null | tr -d '\r'; }
key='HKCU\Software\Korrin\Zorvo'
reg delete "$key" /f >/dev/null || true
trap 'reg delete "$key" /f >/dev/null || true' EXIT
# Text in red on yellow (0x00BBGGRR), colours nothing else on the screen has.
reg add "$key\\Zorvo Colors" /v WindowText /d 255 /f >/dev/null
reg add "$key\\Zorvo Colors" /v WindowBgnd /d 65535 /f >/dev/null
reg add "$key\\Setup List" /v Setup1 /d Daily /f >/dev/null
reg add "$key\\Setup: Listing" /v Stale /d 1 /f >/dev/null
rm -f "$ROOT/build/screenshot.png"
env -u DISPLAY "$ROOT/scripts/run.sh" </dev/null >out.txt 2>&1 || fail "run.sh failed: $(cat out.txt)"
[ -s "$ROOT/build/screenshot.png" ] || fail "no screenshot"
# The window shows the file's lines: rows of line background, and text on
# them, in the picture. (The sample shows some 370,000 pixels of line
# background and 2,600 of pure text colour, the rest of its letters being
# smoothed; a window that painted no lines has none of either.)
background=$(pixels "$ROOT/build/screenshot.png" '#FFFF00')
text=$(pixels "$ROOT/build/screenshot.png" '#FF0000')
[ "$background" -gt 20000 ] || fail "the screenshot shows no lines ($background pixels of line background)"
[ "$text" -gt 1000 ] || fail "the screenshot shows no text on its lines ($text pixels of text)"

list=$(reg query "$key\\Setup List" | sed -nE 's/^ +(Setup[0-9]+) +REG_SZ +(.*)$/\1=\2/p' | tr '\n' ' ')
[ "$list" = "Setup1=Daily Setup2=Listing " ] || fail "Setup List: $list"
reg query "$key\\Setup: Listing" /v Stale >/dev/null && fail "the setup was not made afresh"
# What the viewer reads from it: carriage control in column 1, new pages
# marked (flag 40) where the file has a 1 there.
dump_exe --setup Listing --show-offsets --lines 100000 "Z:$DATA/asa/nastran_d01141a.out" | tr -d '\r' >lines.txt
[ "$(cut -f2 lines.txt | grep -c '^40$')" = "$(grep -c '^1' "$DATA/asa/nastran_d01141a.out")" ] ||
  fail "page breaks through the setup: $(cut -f2 lines.txt | sort | uniq -c)"
! cut -f3 lines.txt | grep -q '^1 ' || fail "the control bytes are shown"
