# Printing with the real viewer on the printer "Zorvo PostScript" of the Wine
# prefix: scripts/run.sh --print, then the DDE print commands. Each job is
# read back from build/print.ps with ghostscript, as text and as a picture.
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
# The default page setup with Eject on form feeds (0x6FF + 0x100).
reg add "$key\\Page Setup" /v PrintOptions /t REG_SZ /d 2047 /f
cleanup() {
  viewer_stop
  reg delete "$key" /f 2>/dev/null || true
}
trap cleanup EXIT
default_printer_ours
ps=$ROOT/build/print.ps

# Three pages of forty lines, each page after the first opened by a form feed.
python3 - <<'PY'
with open("report.txt", "w", newline="") as f:
    for page in range(1, 4):
        for line in range(1, 41):
            f.write("%spage %d line %d\r\n" % ("\f" if line == 1 and page > 1 else "", page, line))
PY
text() { gs -q -dNOPAUSE -dBATCH -sDEVICE=txtwrite -sOutputFile=- "$ps" | tr -d '\r'; }
pages() { sed -n 's/^%%Pages: \([0-9]*\)$/\1/p' "$ps"; }
# The printed lines other than the headings, without their indent.
body() { text | sed 's/^ *//' | grep -v 'Page [0-9]'; }

# scripts/run.sh --print: every page with its heading, every line in order.
"$ROOT/scripts/run.sh" --print report.txt >run.out || fail "run.sh --print: $(cat run.out)"
[ -s "$ROOT/build/print.pdf" ] || fail "no build/print.pdf"
[ "$(pages)" = 3 ] || fail "$(pages) pages, not 3"
text >all.txt
for page in 1 2 3; do
  grep -E "report\.txt .*Page $page( |\$)" all.txt >/dev/null ||
    fail "no heading with the file name and Page $page: $(grep Page all.txt)"
done
python3 -c '
for page in range(1, 4):
    for line in range(1, 41):
        print("page %d line %d" % (page, line))' >expected.txt
body >printed.txt
diff expected.txt printed.txt >/dev/null || fail "the lines printed: $(diff expected.txt printed.txt | head)"
# In the default font, Courier New, the text is set in the printer's
# resident Courier: no TrueType font is embedded in the job.
grep -q '^/Courier findfont' "$ps" || fail "the job does not use the printer's Courier"
! grep -q '/sfnts' "$ps" || fail "the job embeds a TrueType font"

# The viewer serving DDE: tags from Mark All, then the other print commands.
viewer_start report.txt -D

dde '[Find "line 7" All]'
rm -f "$ps"
dde '[Print Tags]'
[ "$(pages)" = 1 ] || fail "Print Tags: $(pages) pages, not 1"
printf 'page %d line 7\n' 1 2 3 >expected.txt
body >printed.txt
diff expected.txt printed.txt >/dev/null || fail "Print Tags printed: $(cat printed.txt)"

# A tagged line in its shade (PrintTagB, grey 192) across the printable
# width; the line above it on white. One point is one pixel at 72 dpi.
rm -f "$ps"
dde '[Print]'
gs -q -dNOPAUSE -dBATCH -sDEVICE=png16m -r72 -dFirstPage=1 -dLastPage=1 -sOutputFile=page1.png "$ps"
baseline() {  # baseline TEXT: the y of the text's first character on page 1
  gs -q -dNOPAUSE -dBATCH -sDEVICE=txtwrite -dTextFormat=0 -dFirstPage=1 -dLastPage=1 \
    -sOutputFile=- "$ps" | python3 -c '
import re, sys
want = sys.argv[1]
chars = re.findall(r"<char bbox=\"([0-9.]+) ([0-9.]+) [0-9.]+ [0-9.]+\" c=\"(.)\"/>", sys.stdin.read())
text = "".join(c for _, _, c in chars)
at = text.find(want)
print(int(float(chars[at][1])) if at >= 0 else -1)' "$1"
}
pixel() { convert page1.png -crop "1x1+$1+$2" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}'; }
# A grey of shade 2 (192) as PostScript renders it, give or take a level.
shaded() { [[ $1 =~ ^#(BF|C0|C1)(BF|C0|C1)(BF|C0|C1)$ ]]; }
y7=$(baseline "page 1 line 7")
y6=$(baseline "page 1 line 6")
[ "$y7" -gt 0 ] && [ "$y6" -gt 0 ] || fail "no baselines of lines 6 and 7"
shaded "$(pixel 400 $((y7 - 3)))" || fail "tagged line: $(pixel 400 $((y7 - 3)))"
[ "$(pixel 400 $((y6 - 3)))" = "#FFFFFF" ] || fail "untagged line: $(pixel 400 $((y6 - 3)))"

# Print Page: the page from the top line, without a dialog.
rm -f "$ps"
dde '[Print Page]'
[ "$(pages)" = 1 ] || fail "Print Page: $(pages) pages, not 1"
# It runs from the line at the top of the window to the form feed.
body >printed.txt
python3 - <<'PY' || fail "Print Page printed: $(head -3 printed.txt) ..."
import sys
lines = open("printed.txt").read().split("\n")[:-1]
page, first = int(lines[0].split()[1]), int(lines[0].split()[3])
sys.exit(lines != ["page %d line %d" % (page, n) for n in range(first, 41)])
PY

dde '[Exit]'
ended() { ! kill -0 "$viewer_pid" 2>/dev/null; }
wait_for 30 ended || fail "the viewer did not exit within 30 s of [Exit]"
viewer_pid=""
