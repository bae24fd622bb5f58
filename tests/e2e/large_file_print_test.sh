# Files larger than the pieces the viewer reads them in (blocks of 4 MiB,
# lines built 4,095 at a time), printed on the printer "Zorvo PostScript"
# and viewed in the real window: no line is lost, cut or split where one
# piece ends and the next begins, and a long Print Tags job stops when its
# Cancel button is pressed. Each behaviour runs with a viewer of its own,
# and every one of them runs even when one before it fails.
. "$(dirname "$0")/lib.sh"
[ -x "$MINGW_BIN/Zorvo.exe" ] && [ -x "$MINGW_BIN/zorvo-dde.exe" ] ||
  fail "Zorvo.exe or zorvo-dde.exe is not built"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
wine_reg delete "$zorvo_key" /f || true
wine_x11_key='HKCU\Software\Wine\X11 Driver'
trap 'viewer_stop; wine_reg delete "$zorvo_key" /f || true
  wine_reg delete "$wine_x11_key" /v Managed /f 2>/dev/null || true; rm -f big.txt' EXIT
default_printer_ours
# The setup "Listing" as the installer offers it: ASA carriage control.
import_setup "$ROOT/installer/Listing.ini"
ps=$ROOT/build/print.ps

print_file() {  # print_file FILE [SWITCHES...]: the whole file, without a dialog
  viewer_start "$1" -D "${@:2}"
  rm -f "$ps"
  dde '[Print]'
  [ -s "$ps" ] || fail "[Print] of $1 left no build/print.ps"
}

# 3,000 records "0LINE nnnnn": with ASA control '0' each is an empty row
# and its text row, so the job crosses the 4,095-line batches. Every record
# is printed whole, once and in order, and on the page and row where the
# rows before it put it: record k is row 2k+1 of the listing, and every
# page but the last holds as many rows as the first.
asa_listing() {
  python3 -c '
with open("listing.txt", "w", newline="") as f:
    for k in range(3000):
        f.write("0LINE %05d\r\n" % k)'
  print_file listing.txt -vListing
  printed_rows >rows.txt
  python3 - <<'PY' || fail "the listing printed with ASA control: $(cat verdict.txt)"
import re, sys
out = open("verdict.txt", "w")
def wrong(text):
    out.write(text)
    sys.exit(1)
page_of_sheet, records = {}, []  # records: (k, page, y)
for line in open("rows.txt"):
    sheet, y, text = line.rstrip("\n").split("\t", 2)
    heading = re.fullmatch(r"\s*\S*listing\.txt\s.*\bPage (\d+)\s*", text)
    if heading:
        page_of_sheet[sheet] = int(heading.group(1))
        continue
    page = page_of_sheet.get(sheet)
    if page is None:
        wrong("sheet %s has no heading with its page number" % sheet)
    record = re.fullmatch(r"\s*LINE (\d{5})\s*", text)
    if not record:
        wrong("page %d printed %r, which is no whole record" % (page, text))
    records.append((int(record.group(1)), page, float(y)))
numbers = [k for k, _, _ in records]
if numbers != list(range(3000)):
    at = next((i for i, k in enumerate(numbers) if k != i), len(numbers))
    wrong("%d records printed; the %d-th is %s" % (len(numbers), at + 1,
          "LINE %05d" % numbers[at] if at < len(numbers) else "missing"))
pages = {}
for k, page, y in records:
    pages.setdefault(page, []).append((k, y))
if sorted(pages) != list(range(1, len(pages) + 1)):
    wrong("the headings number the pages %s" % sorted(pages))
if len(pages) < 2:
    wrong("all of it on one page")
# The row height and the top row from page 1 (record 0 is its row 1); the
# rows a page from the first record on page 2.
first = pages[1]
height = (first[-1][1] - first[0][1]) / (2 * (first[-1][0] - first[0][0]))
top = first[0][1] - height
row = lambda y: round((y - top) / height)
k, y = pages[2][0]
per_page = 2 * k + 1 - row(y)
for k, page, y in records:
    want = 2 * k + 1
    if (page - 1) * per_page + row(y) != want:
        wrong("LINE %05d is on page %d row %d; at %d rows a page it belongs on page %d row %d"
              % (k, page, row(y), per_page, want // per_page + 1, want % per_page))
PY
}

# A file of 8.8 MB with lines of 4,000 characters and wrap off: one printed
# line per file line, each the start of that line (cut at the paper's
# edge), none split where a 4 MiB block ends.
wide_lines() {
  python3 -c '
import string
letters = string.ascii_lowercase * 160
with open("wide.txt", "w", newline="") as f:
    for n in range(2200):
        f.write(("%05d " % n + letters[n % 26:])[:4000] + "\r\n")'
  [ "$(stat -c %s wide.txt)" -gt $((8 << 20)) ] || fail "wide.txt is not over 8 MiB"
  print_file wide.txt
  printed_rows | grep -v $'\t.*wide\\.txt .* Page [0-9]' | cut -f3 >printed.txt
  python3 - <<'PY' || fail "wide.txt printed with wrap off: $(cat verdict.txt)"
import sys
lines = open("wide.txt", newline="").read().split("\r\n")[:-1]
printed = open("printed.txt").read().split("\n")[:-1]
out = open("verdict.txt", "w")
for n, text in enumerate(printed):
    if n >= len(lines) or len(text) < 40 or not lines[n].startswith(text):
        out.write("printed line %d is %r, not the start of line %05d" % (n + 1, text[:30], n))
        sys.exit(1)
if len(printed) != len(lines):
    out.write("%d lines printed, not %d" % (len(printed), len(lines)))
    sys.exit(1)
PY
}

# A line of exactly 4 MiB that starts a new page ('1', then a form feed),
# viewed with ASA control and wrap on: Ctrl+End shows the last line, whose
# 'a' is its control character, so it reads "fter", and the viewer goes on
# without an error.
long_page_end() {
  python3 -c 'open("page.txt", "wb").write(b"x\n1\f" + b"A" * 4194302 + b"\nafter\n")'
  viewer_start page.txt -vListing -W
  xdotool windowfocus --sync "$window"
  xdotool key ctrl+End
  # The window takes the key's move before the clicks that come after it.
  copy_shown_rows
  wait_for 20 clipboard_ends_with fter ||
    fail "Ctrl+End did not show the last line \"fter\"; the rows shown end: $(tail -n 3 shown.txt | cut -c1-40 | tr '\n' '|')"
  kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer ended after Ctrl+End"
  [ -z "$(viewer_windows '^Tessary$')" ] || fail "a message box after Ctrl+End"
  [ "$(xdotool getwindowname "$window")" = "page.txt - Tessary" ] ||
    fail "the title after Ctrl+End: $(xdotool getwindowname "$window")"
}
# Copies the rows the window shows: a click on the first text row, under
# the menu bar, a Shift+click near the bottom, and Ctrl+C.
copy_shown_rows() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove --window "$window" 40 27 click 1
  xdotool keydown shift mousemove --window "$window" 40 $((HEIGHT - 30)) click 1 keyup shift
  xdotool key ctrl+c
}
clipboard_ends_with() {  # clipboard_ends_with TEXT: the last line on the clipboard is TEXT
  kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer ended after Ctrl+End"
  timeout 10 xclip -o -selection clipboard >shown.txt 2>/dev/null || return 1
  [ "$(tail -n 1 shown.txt | tr -d '\r')" = "$1" ]
}

# Print Tags on a file of 1 GiB with one tagged line at its top: the job
# skips the untagged lines after it, and Cancel in "Printing File" ends
# the job at once; the dialog goes and the viewer answers again.
cancel_print_tags() {
  python3 -c '
line = b"a line that is not tagged, one of many in a file of a gibibyte .........\r\n"
block = line * (1048576 // len(line))
with open("big.txt", "wb") as f:
    f.write(b"line 1\r\nline 2\r\nline 3 holds the needle\r\n")
    for _ in range(1024):
        f.write(block)'
  # Without a window manager on the virtual display, Wine waits two seconds
  # for one to confirm every window it hides, the abort dialog's too: this
  # viewer's windows are its own to map and unmap, so what is measured is
  # the viewer.
  wine_reg add "$wine_x11_key" /v Managed /t REG_SZ /d N /f
  viewer_start big.txt -D
  wine_reg delete "$wine_x11_key" /v Managed /f
  dde '[Find "needle" All]'
  "$WINE_RUN" "$MINGW_BIN/zorvo-dde.exe" --timeout 600000 '[Print Tags]' >print-tags.out 2>&1 &
  local job=$!
  wait_for 60 has_viewer_window '^Printing File$' || fail "no dialog \"Printing File\" for [Print Tags]"
  local dialog
  dialog=$(viewer_windows '^Printing File$' | head -1)
  # Cancel is centred, 60 to 74 of the dialog's 84 units down.
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  local pressed=$EPOCHREALTIME
  xdotool mousemove --window "$dialog" $((WIDTH / 2)) $((HEIGHT * 67 / 84)) click 1
  job_over() { ! kill -0 "$job" 2>/dev/null && ! has_viewer_window '^Printing File$'; }
  wait_for 120 job_over || fail "the job had not ended 2 minutes after Cancel"
  local took
  took=$(python3 -c 'import sys; print("%.1f" % (float(sys.argv[2]) - float(sys.argv[1])))' \
    "$pressed" "$EPOCHREALTIME")
  python3 -c 'import sys; sys.exit(float(sys.argv[1]) > 1)' "$took" ||
    fail "the Print Tags job and its dialog \"Printing File\" lasted ${took} s after Cancel was pressed, not at most 1 s"
  wait "$job" || fail "[Print Tags] answered: $(cat print-tags.out)"
  dde '[Display Text]'
}

check "an ASA listing of 6,000 rows printed" asa_listing
check "an 8.8 MB file of long lines printed with wrap off" wide_lines
check "Ctrl+End past a 4 MiB line that opens a page" long_page_end
check "Cancel of Print Tags on a 1 GiB file" cancel_print_tags
checks_done
