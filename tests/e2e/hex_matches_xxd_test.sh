# The hex dump shows the same bytes at the same addresses as xxd.
. "$(dirname "$0")/lib.sh"
for size in 0 1 15 16 17 1000 65537 300000; do
  random_file f.bin "$size" "$size"
  dump --format hex --length 80 --bytes f.bin >ours.txt
  # Columns 11-46 hold four groups of eight hex digits; 1-8 the address.
  cut -c11-46 ours.txt | tr -d ' ' | tr 'A-F' 'a-f' >ours.hex
  xxd -p -c16 f.bin >theirs.hex
  cmp -s ours.hex theirs.hex || fail "hex bytes differ from xxd for size $size"
  cut -c1-8 ours.txt >ours.addr
  xxd -c16 f.bin | cut -c1-8 | tr 'a-f' 'A-F' >theirs.addr
  cmp -s ours.addr theirs.addr || fail "addresses differ from xxd for size $size"
done
