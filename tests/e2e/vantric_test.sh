# The real Vantric.exe under Wine on a virtual display, driven with real key
# presses: OK writes what was typed where the shell extension reads it (the
# registered Plimbus.dll then shows the typed menu text), and Escape leaves
# the registry as it was.
. "$(dirname "$0")/lib.sh"
tool=$MINGW_BIN/Vantric.exe
[ -x "$tool" ] || fail "Vantric.exe is not built"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
reg() { "$WINE_RUN" reg "$@"; }
regsvr() { "$WINE_RUN" regsvr32 /s "$@" "Z:$MINGW_BIN/Plimbus.dll"; }
# The viewer's own settings share the per-user Zorvo key: only Path goes.
cleanup() {
  regsvr /u || true
  reg delete 'HKCU\SOFTWARE\Korrin\Plimbus' /f || true
  reg delete 'HKCU\SOFTWARE\Korrin\Zorvo' /v Path /f || true
  reg delete 'HKLM\SOFTWARE\Korrin\Zorvo' /v Path /f || true
} >/dev/null 2>&1
cleanup
trap cleanup EXIT
values() {  # values KEY: "NAME TYPE DATA" lines as reg prints them
  reg query "$1" 2>/dev/null | tr -d '\r' |
    sed -nE 's/^ +([A-Za-z]+) +(REG_[A-Z_]+) +(.*)$/\1 \2 \3/p' | sort
}
start() {  # the tool; sets $pid and $window
  "$WINE_RUN" "$tool" &
  pid=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Configure Zorvo Context Menu$' |
    head -1) || fail "no window titled 'Configure Zorvo Context Menu'"
  # Keys typed before the dialog has the keyboard focus go elsewhere.
  timeout 20 xdotool windowfocus --sync "$window" || fail "the dialog never took the keyboard focus"
}
finish() {  # waits for the tool to end and checks its exit code
  local code=0
  timeout 20 tail --pid="$pid" -f /dev/null || fail "the tool did not end"
  wait "$pid" || code=$?
  [ "$code" -eq 0 ] || fail "exit code $code"
}

# The menu text has the focus first; Tab selects a field's whole text.
start
xdotool type --delay 20 '&Look with Zorvo'
xdotool key Tab
xdotool type --delay 20 'Look at "%s" now'
xdotool key Tab
xdotool type --delay 20 'C:\Korrin\Zorvo.exe'
xdotool key Return
finish
menu=$(values 'HKCU\SOFTWARE\Korrin\Plimbus')
[ "$menu" = "$(printf '%s\n' 'HelpText REG_SZ Look at "%s" now' 'MenuText REG_SZ &Look with Zorvo')" ] ||
  fail "menu key: $menu"
for key in 'HKCU\SOFTWARE\Korrin\Zorvo' 'HKLM\SOFTWARE\Korrin\Zorvo'; do
  values "$key" | grep -qxF 'Path REG_SZ C:\Korrin\Zorvo.exe' || fail "path in $key: $(values "$key")"
done

# The shell extension, used as the file manager uses it, shows that entry.
regsvr || fail "regsvr32 Plimbus.dll"
host_as_configured ZORVO_EXPECT_ENTRY='&Look with Zorvo' || fail "the context menu does not show the text set"

# Escape cancels: nothing changes.
start
xdotool type --delay 20 'other'
xdotool key Escape
finish
after=$(values 'HKCU\SOFTWARE\Korrin\Plimbus')
[ "$after" = "$menu" ] || fail "Escape wrote: $after"
