# EBCDIC letters and digits show as iconv's IBM037 decoding has them, on
# real EBCDIC files and on every letter and digit byte.
. "$(dirname "$0")/lib.sh"
check() {  # check FILE: compare position by position where iconv gives a letter or digit
  dump --format raw --code ebcdic --length 1000000 --bytes "$1" | tr -d '\n' >ours.bin
  iconv -f IBM037 -t ISO-8859-1 "$1" >theirs.bin 2>/dev/null ||
    iconv -c -f IBM037 -t ISO-8859-1 "$1" >theirs.bin
  python3 - "$1" <<'PY'
import sys
ours = open("ours.bin", "rb").read()
theirs = open("theirs.bin", "rb").read()
assert len(ours) == len(theirs), (sys.argv[1], len(ours), len(theirs))
checked = 0
for i, (a, b) in enumerate(zip(ours, theirs)):
    if chr(b).isascii() and chr(b).isalnum():
        checked += 1
        assert a == b, f"{sys.argv[1]}: byte {i}: ours {a:#x} iconv {b:#x}"
assert checked > 0 or len(theirs) == 0
PY
}
python3 -c 'import sys; sys.stdout.buffer.write(bytes(list(range(0xC1,0xCA))+list(range(0xD1,0xDA))+list(range(0xE2,0xEA))+list(range(0x81,0x8A))+list(range(0x91,0x9A))+list(range(0xA2,0xAA))+list(range(0xF0,0xFA))))' >letters.ebc
check letters.ebc
[ "$(dump --format raw --code ebcdic --length 100 letters.ebc)" = \
  "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789" ] || fail "letters and digits"
for f in "$DATA"/ebcdic/*.ebc "$DATA"/ebcdic/*.dat "$DATA"/ebcdic/*.bin "$DATA"/ebcdic/*.sgy "$DATA"/ebcdic/*.xmi; do
  check "$f"
done
