# The README's run command shows the bundled sample print file.
. "$(dirname "$0")/lib.sh"
"$ROOT/scripts/run.sh" </dev/null >out.txt
[ "$(wc -l <out.txt)" -gt 100 ] || fail "too little output"
grep -q 'SYSTEM WARNING MESSAGE' out.txt || fail "sample file not shown"
