#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's private prefix, on the
# current display or, when there is none, on a virtual one (Xvfb).
# The prefix lives under build/mingw and is created on first use.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${ZORVO_WINEPREFIX:-$root/build/mingw/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# One locale for every run, whoever starts it: the system's messages, the
# code page and the regional settings the tests expect. ZORVO_WINE_LOCALE
# picks another for a test that needs one.
export LC_ALL=${ZORVO_WINE_LOCALE:-C.UTF-8}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # Serialise the first start when several tests run at once.
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # A prefix that could not be made is said so here, with Wine's words,
    # rather than as a missing window later.
    booted=0
    wineboot -i >"$WINEPREFIX.boot.log" 2>&1 || booted=$?
    wineserver -w || true
    if [ "$booted" -ne 0 ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "wine-run: wineboot (exit $booted) could not make the prefix $WINEPREFIX:" >&2
      tail -n 20 "$WINEPREFIX.boot.log" >&2
      rm -f "$WINEPREFIX/system.reg"  # so that the next start tries again
      exit 1
    fi
  fi
  flock -u 9
fi
# The prefix's printer, "Zorvo PostScript" on Wine's PostScript driver,
# writes every job to build/print.ps; added once the tool that adds it is
# built, and set up again when the repository moved or the tool was rebuilt.
tool=$root/build/mingw/bin/zorvo-printer.exe
port="Z:$(printf '%s' "$root/build/print.ps" | tr / '\\')"
printer_stale() {
  [ "$(cat "$WINEPREFIX/.zorvo-printer" 2>/dev/null)" != "$port" ] ||
    [ "$tool" -nt "$WINEPREFIX/.zorvo-printer" ]
}
if [ -f "$tool" ] && printer_stale; then
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if printer_stale; then
    if wine "$tool" "$port" >/dev/null; then
      printf '%s' "$port" >"$WINEPREFIX/.zorvo-printer"
    else
      echo "wine-run: the printer \"Zorvo PostScript\" could not be added" >&2
    fi
  fi
  flock -u 9
fi
exec wine "$@"
