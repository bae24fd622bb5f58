# DDE clients that meet a print job, end to end: the real Zorvo.exe started
# with -D and driven by zorvo-dde.exe. A client that gives up while its
# [Print] runs leaves the viewer running; a client ends within its timeout
# whatever the viewer does; while a job the user started prints, commands
# over DDE are answered busy and change nothing.
. "$(dirname "$0")/lib.sh"
[ -x "$MINGW_BIN/Zorvo.exe" ] && [ -x "$MINGW_BIN/zorvo-dde.exe" ] ||
  fail "Zorvo.exe or zorvo-dde.exe is not built"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
# Freed memory filled at once, so that a use of it after it was freed shows
# every time rather than now and then.
# A crash ends the program at once, without the debugger's dialog waiting
# for a click.
ifeo='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Image File Execution Options\Zorvo.exe'
winedbg_key='HKCU\Software\Wine\WineDbg'
wine_reg delete "$zorvo_key" /f || true
wine_reg add "$ifeo" /v GlobalFlag /t REG_DWORD /d 0x20 /f
wine_reg add "$winedbg_key" /v ShowCrashDialog /t REG_DWORD /d 0 /f
trap 'viewer_stop; wine_reg delete "$zorvo_key" /f || true; wine_reg delete "$ifeo" /f || true
  wine_reg delete "$winedbg_key" /v ShowCrashDialog /f || true' EXIT
# About 1.5 MB: its job lasts many seconds, far longer than a client that
# waits one second.
python3 -c '
with open("print.txt", "w", newline="") as f:
    for n in range(24000):
        f.write("line %06d of a file that takes a while to print ..........\r\n" % n)'
printing() { has_viewer_window '^Printing File$'; }
not_printing() { ! printing; }
# zorvo-dde with ARGS, its exit code and seconds in $code and $took.
client() {  # client ARGS...
  local start=$EPOCHREALTIME
  code=0
  timeout 120 "$WINE_RUN" "$MINGW_BIN/zorvo-dde.exe" "$@" >client.out 2>&1 || code=$?
  took=$(python3 -c 'import sys; print("%.1f" % (float(sys.argv[2]) - float(sys.argv[1])))' \
    "$start" "$EPOCHREALTIME")
}
# The viewer still runs, shows no error and answers a command.
answers() {
  kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer ended"
  [ -z "$(xdotool search --name '^Program Error$' 2>/dev/null)" ] || fail "the viewer crashed"
  client --timeout 20000 '[Display Hex]'
  [ "$code" = 0 ] || fail "the viewer no longer answers [Display Hex] (exit $code: $(cat client.out))"
}

# A client that waits one second for its [Print] gives up with 3 and ends
# its conversation while the job goes on; the job ends and the viewer
# still runs and answers.
client_gives_up() {
  viewer_start print.txt -D
  client --timeout 1000 '[Print]'
  [ "$code" = 3 ] || fail "[Print] with a timeout of 1 s gave $code, not 3: $(cat client.out)"
  printing || fail "the job was over before its client gave up; it cannot show what it should"
  wait_for 600 not_printing || fail "the job of print.txt had not ended after 10 minutes"
  answers
}

# A viewer that stops answering altogether (its process stopped): the
# client still ends within its timeout, with 3.
client_bounded() {
  viewer_start print.txt -D
  kill -STOP "$viewer_pid"
  client --timeout 2000 '[Display Hex]'
  kill -CONT "$viewer_pid"
  [ "$code" = 3 ] || fail "against a viewer that does not answer, zorvo-dde gave $code, not 3: $(cat client.out)"
  # Wine itself takes up to a few seconds to start and end a program.
  python3 -c 'import sys; sys.exit(float(sys.argv[1]) > 6)' "$took" ||
    fail "zorvo-dde --timeout 2000 ended after $took s"
}

# The user prints the whole file (Ctrl+P, then OK in the print dialog);
# meanwhile, commands over DDE are answered busy, one per line, and the
# view keeps its file.
user_job_busy() {
  viewer_start print.txt -D
  xdotool windowfocus --sync "$window"
  xdotool key ctrl+p
  wait_for 60 has_viewer_window '^Print$' || fail "Ctrl+P showed no print dialog"
  xdotool windowfocus --sync "$(viewer_windows '^Print$' | head -1)"
  xdotool key Return
  wait_for 60 printing || fail "OK in the print dialog started no job"
  printf '%s\n' '[Find "line" All]' '[Close]' "[Open \"$(win print.txt)\"]" '[Print]' >during.txt
  client --timeout 20000 --each "$(win during.txt)"
  printing || fail "the job was over before the commands were sent; it cannot show what it should"
  # Refused as busy, each of them: not merely not processed.
  [ "$(tr -d '\r' <client.out | grep -cx 1)" = 4 ] &&
    [ "$(grep -c 'zorvo-dde: the server is busy' client.out)" = 4 ] ||
    fail "while the job printed, the commands answered: $(tr '\r\n' '  ' <client.out)"
  wait_for 600 not_printing || fail "the job of print.txt had not ended after 10 minutes"
  [ "$(xdotool getwindowname "$window")" = "print.txt - Tessary" ] ||
    fail "after the job the title is \"$(xdotool getwindowname "$window")\""
  answers
}

check "a client that gives up during [Print]" client_gives_up
check "a client ends within its timeout" client_bounded
check "commands during a job the user started" user_job_busy
checks_done
