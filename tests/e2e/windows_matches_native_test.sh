# zorvo-dump.exe under Wine prints exactly what the native tool prints.
. "$(dirname "$0")/lib.sh"
[ -x "$MINGW_BIN/zorvo-dump.exe" ] || fail "zorvo-dump.exe is not built"
random_file bin.dat 5000 11
files=("$DATA/asa/nastran_d01141a.out" "$DATA/lineends/msdos_TDATA.ASM"
       "$DATA/lineends/dos2unix_mixed.txt" "$DATA/formfeed/rfc2181_lf.txt"
       "$DATA/ebcdic/segyio_text.sgy" "$PWD/bin.dat")
optsets=("" "--format hex --length 80" "--format raw --length 33 --code ascii"
         "--code ebcdic --format hex --length 100" "--wrap --length 20 --expand-tabs 4"
         "--backward --offset 3000 --show-offsets" "--code ascii --bytes --show-offsets")
for f in "${files[@]}"; do
  for o in "${optsets[@]}"; do
    # shellcheck disable=SC2086
    dump $o "$f" >native.out
    # shellcheck disable=SC2086
    dump_exe $o "Z:$f" >windows.out
    cmp -s native.out windows.out || fail "differs: $o $(basename "$f")"
  done
done
# The same message for a missing file.
if dump_exe "Z:$PWD/missing.txt" 2>err.txt; then fail "missing file succeeded"; fi
grep -q 'Cannot open' err.txt && grep -q 'Error 2: ' err.txt || fail "no Cannot open message"
