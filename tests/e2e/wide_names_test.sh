# File names with characters that the ANSI code page lacks (Latin beyond
# it, CJK), opened by the real Zorvo.exe from its command line and over DDE
# with zorvo-dde.exe, as the file manager's entry hands them over.
. "$(dirname "$0")/lib.sh"
[ -x "$MINGW_BIN/Zorvo.exe" ] && [ -x "$MINGW_BIN/zorvo-dde.exe" ] ||
  fail "Zorvo.exe or zorvo-dde.exe is not built"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
wine_reg delete "$zorvo_key" /f || true
trap 'viewer_stop; wine_reg delete "$zorvo_key" /f || true' EXIT
names=("Übersicht-日本.log" "Ā.log" "日.log" "ß.log" "second-ü.txt")
for name in "${names[@]}"; do printf 'the file %s\r\n' "$name" >"$name"; done
title_is() { [ "$(xdotool getwindowname "$window")" = "$1 - Tessary" ]; }

# Each name as the one file of the command line, with a switch after it.
command_line() {
  local name
  for name in "Übersicht-日本.log" "日.log" "second-ü.txt"; do
    viewer_start "$name" -h
    viewer_stop
  done
}

# Each name in an [Open] command, one execute string per line of one
# zorvo-dde run; every one is carried out, and the recent files list them
# in the order they were opened.
over_dde() {
  viewer_start "second-ü.txt" -D
  local name
  for name in "${names[@]:0:4}"; do printf '[Open "%s"]\n' "$(win "$name")"; done >opens.txt
  "$WINE_RUN" "$MINGW_BIN/zorvo-dde.exe" --timeout 60000 --each "$(win opens.txt)" >codes.txt 2>&1 ||
    fail "[Open] of the names answered: $(tr '\r\n' '  ' <codes.txt)"
  wait_for 30 title_is "ß.log" || fail "the title after the last [Open] is \"$(xdotool getwindowname "$window")\""
  dde '[Exit]'
  local pid=$viewer_pid
  ended() { ! kill -0 "$pid" 2>/dev/null; }
  wait_for 60 ended || fail "the viewer did not end after [Exit]"
  "$WINE_RUN" reg export 'HKCU\Software\Korrin\Zorvo\MRU Files' "$(win mru.reg)" /y >/dev/null 2>&1 ||
    fail "no recent files were saved"
  iconv -f UTF-16LE -t UTF-8 mru.reg | tr -d '\r' | sed -n 's/^"File\([0-9]\)"="\(.*\)"$/\1 \2/p' >mru.txt
  local want n=1
  for name in "ß.log" "日.log" "Ā.log" "Übersicht-日本.log" "second-ü.txt"; do
    want="$n $(win "$name" | sed 's/\\/\\\\/g')"
    grep -qxF "$want" mru.txt || fail "recent file $n is not $name: $(tr '\n' '|' <mru.txt)"
    n=$((n + 1))
  done
}

check "names on the command line" command_line
check "names in [Open] over DDE" over_dde
checks_done
