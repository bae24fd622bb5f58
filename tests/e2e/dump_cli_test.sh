# zorvo-dump's options, its errors and its streaming of files of any size.
. "$(dirname "$0")/lib.sh"
printf 'alpha\r\nbeta\n\tgamma\rdelta' >t.txt

[ "$(dump --lines 2 t.txt)" = $'alpha\nbeta' ] || fail "--lines"
[ "$(dump --show-offsets --bytes --expand-tabs 0 t.txt | cat -v)" = \
  $'0\t0\talpha\n7\t0\tbeta\n12\t0\tM-$gamma\n19\t200\tdelta' ] || fail "--show-offsets"
# Text expands tabs to 8 unless the profile says otherwise.
[ "$(dump --offset 12 --lines 1 t.txt)" = "        gamma" ] || fail "default tab expansion"
[ "$(dump --offset 0x7 --lines 1 t.txt)" = "beta" ] || fail "--offset in hex"
[ "$(dump --expand-tabs 4 --offset 12 --lines 1 t.txt)" = "    gamma" ] || fail "--expand-tabs"
printf 'abcdefghijkl\n' >w.txt
[ "$(dump --wrap --length 8 --lines 2 w.txt)" = $'abcdefgh\nijkl' ] || fail "--wrap"
[ "$(dump --backward --offset 12 t.txt)" = $'alpha\nbeta' ] || fail "--backward"
[ "$(dump --backward --offset 12 --lines 1 t.txt)" = "beta" ] || fail "--backward --lines"
# Display characters are UTF-8 for a terminal unless --bytes.
[ "$(dump --expand-tabs 0 --offset 12 --lines 1 t.txt)" = "¤gamma" ] || fail "UTF-8 output"

# Errors: a message on standard error and a non-zero exit.
if dump missing.txt 2>err.txt; then fail "missing file succeeded"; fi
grep -q 'Cannot open "missing.txt"' err.txt || fail "no Cannot open message"
for bad in "--format pdf t.txt" "--length 0 t.txt" "--length 7 t.txt" "--length x t.txt" "--bogus t.txt" "" \
           "--offset -1 t.txt" "a b"; do
  # shellcheck disable=SC2086
  if dump $bad >/dev/null 2>err.txt; then fail "accepted: $bad"; fi
  [ -s err.txt ] || fail "no message for: $bad"
done
if dump --format hex --length 23 t.txt 2>/dev/null; then fail "hex at length 23"; fi

# A file of several blocks streams with lines cut nowhere but at line ends:
# the output equals the file's own lines.
python3 -c '
import random
r = random.Random(7)
with open("big.txt", "w") as f:
    for i in range(200000):
        f.write("line %d %s\n" % (i, "x" * r.randrange(0, 60)))
'
dump --bytes big.txt | cmp -s - big.txt || fail "multi-block text differs from the file"
dump --format raw --length 64 --bytes big.txt | tr -d '\n' | tr '\267' '\n' | cmp -s - big.txt ||
  fail "multi-block raw text differs from the file"
# A line longer than the read block, cut at the line length: one line, not
# one for every block it spans.
python3 -c 'import sys; sys.stdout.write("first\n" + "x" * 3000000 + "\nafter\n")' >long.txt
[ "$(dump --no-wrap --length 20 long.txt)" = $'first\nxxxxxxxxxxxxxxxxxxxx\nafter' ] ||
  fail "a line longer than a block: $(dump --no-wrap --length 20 long.txt | head -5)"
