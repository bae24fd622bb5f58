#!/usr/bin/env bash
# A soak of the DDE server, run by hand (it takes minutes, so it is not part
# of scripts/test.sh):
#
#   tests/soak/dde_soak.sh [CLIENTS [COMMANDS [MEBIBYTES]]]
#
# The real Zorvo.exe views a print file of MEBIBYTES (200) with the setup
# "Listing", so that its pages are indexed, while CLIENTS (4) zorvo-dde
# clients send COMMANDS (2500) execute strings each: valid commands with
# [Print] among them, random bytes, over-long and unterminated strings, with
# timeouts from a minute down to less than many commands take. Print jobs
# are cancelled after some seconds. At the end the viewer must still run and
# answer, no client may have waited past its timeout, and the file must be
# unchanged. The report goes to build/dde-soak.txt.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
export ROOT NATIVE_BIN=${NATIVE_BIN:-$ROOT/build/native/bin} MINGW_BIN=${MINGW_BIN:-$ROOT/build/mingw/bin}
export WINE_RUN=${WINE_RUN:-$ROOT/scripts/wine-run.sh} DATA=$ROOT/tests/data LC_ALL=C.UTF-8
clients=${1:-4} commands=${2:-2500} mebibytes=${3:-200}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/dde-soak.XXXXXX")
cd "$work"
. "$ROOT/tests/e2e/lib.sh"
trap 'viewer_stop; wine_reg delete "$zorvo_key" /f || true' EXIT

# A listing with ASA carriage control: a new page every 60 lines.
python3 - "$mebibytes" <<'PY'
import sys
size = int(sys.argv[1]) << 20
body = "".join(" line %07d of the soak's listing %s\r\n" % (n, "." * 90) for n in range(59))
with open("big.prn", "w", newline="") as f:
    page = 0
    while f.tell() < size:
        page += 1
        f.write("1PAGE %d\r\n" % page)
        f.write(body)
PY
before=$(sha256sum big.prn)
wine_reg delete "$zorvo_key" /f || true
import_setup "$ROOT/installer/Listing.ini"
wine_x11_key='HKCU\Software\Wine\X11 Driver'
# Without a window manager Wine waits two seconds for one at every window
# it hides (the print dialog's too): these windows are the viewer's own.
wine_reg add "$wine_x11_key" /v Managed /t REG_SZ /d N /f
viewer_start big.prn -vListing -D
wine_reg delete "$wine_x11_key" /v Managed /f
python3 "$ROOT/tests/soak/dde_soak.py" --wine-run "$WINE_RUN" --dde-exe "$MINGW_BIN/zorvo-dde.exe" \
  --viewer-pid "$viewer_pid" --main-window "$window" --file "$(win big.prn)" \
  --clients "$clients" --commands "$commands" --report "$ROOT/build/dde-soak.txt" || status=$?

kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer ended during the soak"
[ -z "$(xdotool search --name '^Program Error$' 2>/dev/null)" ] || fail "the viewer crashed"
[ "$(sha256sum big.prn)" = "$before" ] || fail "the viewed file changed"
no_job() { ! has_viewer_window '^Printing File$'; }
wait_for 120 no_job || fail "a print job still ran 2 minutes after the soak"
"$WINE_RUN" "$MINGW_BIN/zorvo-dde.exe" --timeout 60000 '[Display Text]' ||
  fail "the viewer no longer answers after the soak"
[ "${status:-0}" = 0 ] || fail "the soak found faults: see $ROOT/build/dde-soak.txt"
echo "dde soak passed: $ROOT/build/dde-soak.txt"
rm -rf "$work"
