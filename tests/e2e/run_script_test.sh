# The README's run command shows the bundled sample print file in the
# viewer's window; without a display it leaves a screenshot of it.
. "$(dirname "$0")/lib.sh"
rm -f "$ROOT/build/screenshot.png"
env -u DISPLAY "$ROOT/scripts/run.sh" </dev/null >out.txt 2>&1 || fail "run.sh failed: $(cat out.txt)"
[ -s "$ROOT/build/screenshot.png" ] || fail "no screenshot"
# The window shows text: more than a handful of colours in the picture.
colours=$(convert "$ROOT/build/screenshot.png" -format %k info:)
[ "$colours" -gt 2 ] || fail "the screenshot is blank ($colours colours)"
