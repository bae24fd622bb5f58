# The page index of the real viewer under Wine: its temporary file exists
# while indexing runs and is gone after File > Close and after File > Exit
# (the way a DDE Exit ends the viewer too: the window is closed). The file
# of a viewer that was killed is removed by the next viewer that starts;
# that of a viewer still running stays.
. "$(dirname "$0")/lib.sh"
viewer=$MINGW_BIN/Zorvo.exe
[ -x "$viewer" ] || fail "Zorvo.exe is not built"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
reg() { "$WINE_RUN" reg "$@" >/dev/null; }
key='HKCU\Software\Korrin\Zorvo'
reg delete "$key" /f 2>/dev/null || true
# One slice of 16 bytes every ten minutes: the index stays active.
reg add "$key\\Zorvo Setup" /v PageIndexingDelay /t REG_SZ /d 600000 /f
reg add "$key\\Zorvo Setup" /v PageIndexingBuffer /t REG_SZ /d 16 /f
reg add "$key\\Zorvo Setup" /v PageIndexingBudget /t REG_SZ /d 0 /f
trap 'reg delete "$key" /f 2>/dev/null || true' EXIT

temp=$("$WINE_RUN" cmd /c echo %TEMP% | tr -d '\r')
temp=$("$WINE_RUN" winepath -u "$temp" | tr -d '\r')
[ -d "$temp" ] || fail "no temporary folder: $temp"
indexes() { find "$temp" -maxdepth 1 -name 'TPX*.tmp' | sort; }
before=$(indexes)

cp "$DATA/formfeed/rfc2181_lf.txt" paged.txt
start() {  # start [NAME]: a viewer on a copy of the paged file
  local name=${1:-paged.txt}
  [ -f "$name" ] || cp paged.txt "$name"
  "$WINE_RUN" "$viewer" "$(echo "Z:$PWD/$name" | tr / '\\')" &
  pid=$!
  # Searched again and again: a search that meets the windows of a viewer
  # that is just ending can fail on them.
  shown() { window=$(xdotool search --name "^$name - Tessary\$" 2>/dev/null | head -1); [ -n "$window" ]; }
  wait_for 60 shown || fail "no viewer window on $name"
}
new_index() {  # the index files the viewer made
  comm -13 <(echo "$before") <(indexes) | grep . || true
}
index_count_is() { [ "$(new_index | grep -c .)" = "$1" ]; }
menu() { press alt+f; press "$1"; }

start
wait_for 30 index_count_is 1 || fail "one index file while indexing, found: '$(new_index)'"
menu c
wait_title "Tessary"
wait_for 30 index_count_is 0 || fail "the index file is still there after Close: $(new_index)"
# Opened again from the recent files, then File > Exit.
menu 1
wait_title "paged.txt - Tessary"
wait_for 30 index_count_is 1 || fail "no index file after opening again"
menu x
code=0
timeout 30 tail --pid="$pid" -f /dev/null || fail "the viewer did not end on File > Exit"
wait "$pid" || code=$?
[ "$code" -eq 0 ] || fail "exit code $code"
[ -z "$(new_index)" ] || fail "the index file is still there after Exit: $(new_index)"
echo "index file made while indexing, gone after Close and after Exit"

# A viewer that keeps running, one that is killed, and one started after.
start running.txt
running=$window
wait_for 30 index_count_is 1 || fail "one index file of the running viewer: '$(new_index)'"
kept=$(new_index)
start killed.txt
killed_made() { killed=$(comm -13 <(echo "$kept") <(new_index)); [ -n "$killed" ]; }
wait_for 30 killed_made || fail "no index file of the viewer to be killed"
disown "$pid"  # no word from the shell about the job it was
kill -9 "$(xdotool getwindowpid "$window")"
gone() { ! xdotool getwindowname "$1" >/dev/null 2>&1; }
wait_for 10 gone "$window" || fail "the killed viewer's window is still there"
[ -f "$killed" ] || fail "the killed viewer's index file went with it"
start later.txt
# The later viewer removes what the killed one left, then makes its own.
later_indexed() { [ ! -f "$killed" ] && [ "$(new_index | grep -vxF "$kept" | grep -c .)" = 1 ]; }
wait_for 30 later_indexed ||
  fail "after the later viewer started: $(new_index | tr '\n' ' ') (the killed viewer's was $killed)"
[ -f "$kept" ] || fail "the running viewer's index file was removed: $kept"
# The later viewer is in front: it goes first (the keys reach the front one).
for w in "$window" "$running"; do
  window=$w
  menu x
  wait_for 10 gone "$w" || fail "a viewer did not close on File > Exit"
done
no_index() { [ -z "$(new_index)" ]; }
wait_for 10 no_index || fail "index files left after closing: $(new_index)"
echo "a killed viewer's index file removed by the next viewer, a running one's kept"
