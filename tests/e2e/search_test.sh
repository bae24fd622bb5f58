# zorvo-dump --find gives the offsets grep gives, in both case modes, on
# random data with planted patterns; hex search and no match.
. "$(dirname "$0")/lib.sh"
export LC_ALL=C  # grep compares bytes, folding ASCII letters only
python3 - <<'PY'
import random
r = random.Random(2026)
for n in range(12):
    size = r.choice([1000, 70000, 600000, 1200000])
    data = bytearray(r.choice(b"abcdefgh XYZ\n\x00\xc1\xe9") for _ in range(size))
    # Patterns of distinct characters cannot overlap themselves, so grep's
    # non-overlapping matches are all the matches.
    pattern = bytes(r.sample(b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", r.randint(2, 9)))
    for _ in range(r.randint(0, 40)):
        at = r.randrange(0, size - len(pattern))
        word = bytes(c ^ 0x20 if r.random() < 0.3 else c for c in pattern)
        data[at:at + len(pattern)] = word
    open("f%d.bin" % n, "wb").write(data)
    open("p%d.txt" % n, "wb").write(pattern)
PY
# A search exits 0 when it found the text and 1 when it did not; anything
# else (2 for an error, a crash's code) fails the test.
finds() {  # finds COMMAND ARGS...: runs a search that may find nothing
  local status=0
  "$@" || status=$?
  [ "$status" -le 1 ] || fail "$* ended with exit status $status"
}
# grep exits 1 when it found nothing, above 1 on an error.
grep_offsets() { grep -b -o -a "$@" | cut -d: -f1 || [ "${PIPESTATUS[0]}" -eq 1 ]; }
for n in $(seq 0 11); do
  p=$(cat "p$n.txt")
  finds dump --find "$p" --all --case "f$n.bin" >ours.txt
  grep_offsets -F -- "$p" "f$n.bin" >theirs.txt
  cmp -s ours.txt theirs.txt || fail "case-sensitive offsets differ for $p in f$n.bin"
  finds dump --find "$p" --all "f$n.bin" >ours.txt
  grep_offsets -i -F -- "$p" "f$n.bin" >theirs.txt
  cmp -s ours.txt theirs.txt || fail "case-insensitive offsets differ for $p in f$n.bin"
done
# The Windows build scans with the processor's own vector instructions too:
# the same offsets as the native tool on the largest file, in both modes.
big=$(ls -S f*.bin | head -1)
p=$(cat "p${big//[^0-9]/}.txt")
finds dump --find "$p" --all "$big" >ours.txt
finds dump --find "$p" --all --case "$big" >>ours.txt
{ finds dump_exe --find "$p" --all "$big"; finds dump_exe --find "$p" --all --case "$big"; } >exe.txt
tr -d '\r' <exe.txt >theirs.txt
cmp -s ours.txt theirs.txt || fail "zorvo-dump.exe offsets differ for $p in $big"
# The first match only, a start offset, hex text, and the exit codes.
printf 'one two ONE two one' >t.txt
[ "$(dump --find one t.txt)" = 0 ] || fail "first match"
[ "$(dump --find one --from 1 t.txt)" = 8 ] || fail "--from"
[ "$(dump --find one --from 1 --case t.txt)" = 16 ] || fail "--case"
[ "$(dump --find '74 77 6F' --hex --all t.txt | tr '\n' ,)" = "4,12," ] || fail "--hex"
status=0; dump --find three t.txt >/dev/null || status=$?
[ "$status" -eq 1 ] || fail "no match exits $status, not 1"
status=0; dump --find 4g --hex t.txt 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "bad hex exits $status, not 2"
