# Print files through zorvo-dump: carriage control, page gaps, page padding
# and the screen table rebuilt around an offset.
. "$(dirname "$0")/lib.sh"
listing=$DATA/asa/che4z_cobol_listing_IC2264.lst
fortran=$DATA/asa/nastran_t09071a.out
flags() { cut -f2; }

# One page break per '1' in column 1; no control character is shown.
[ "$(dump --cc asa --show-offsets "$listing" | flags | grep -c '^40$')" = 21 ] || fail "ASA page breaks"
[ "$(dump --cc asa --show-offsets --page-gaps "$fortran" | flags | grep -c '^1000$')" = 288 ] ||
  fail "page gaps"
dump --cc asa --bytes "$listing" >listing.txt
grep -q '^PP 5655-EC6' listing.txt || fail "the heading line is missing"
grep -q '^1PP 5655-EC6' listing.txt && fail "a control character is shown"

# A user table from the profile: '1' a new page and '-' a double space.
printf '[CarriageControl]\nmine=49=-1,45=2\n' >p.ini
[ "$(dump --profile p.ini --cc mine --show-offsets "$listing" | flags | grep -c '^40$')" = 21 ] ||
  fail "user table"

# The table rebuilt around any offset is a slice of the whole file's lines,
# with the line that holds the offset at the top.
dump --cc asa --show-offsets --bytes "$fortran" >whole.txt
size=$(stat -c %s "$fortran")
for offset in 0 1 4097 250000 399999 500001 797000 "$size"; do
  dump --cc asa --show-offsets --bytes --around "$offset" --rows 30 "$fortran" >around.txt
  grep -c '^>' around.txt | grep -qx 1 || fail "no single top line at $offset"
  sed 's/^>//' around.txt >slice.txt
  first=$(head -1 slice.txt)
  start=$(grep -m1 -nxF -- "$first" whole.txt | cut -d: -f1)
  [ -n "$start" ] || fail "first line at $offset not in the file"
  sed -n "${start},$((start + $(wc -l <slice.txt) - 1))p" whole.txt | cmp -s - slice.txt ||
    fail "the table around $offset is not a slice of the file"
  top=$(grep '^>' around.txt | cut -f1 | tr -d '>')
  [ "$top" -le "$offset" ] || fail "the top line starts after $offset"
done

# Padding: every page of the RFC holds 66 lines, form feeds start pages.
rfc=$DATA/formfeed/rfc2181_lf.txt
dump --pad 66 --show-offsets --bytes "$rfc" | flags | awk '
  $1 == "40" || $1 == "1000" { if (n && n != 66) bad = 1; n = 0 }
  { n++ }
  END { exit bad }' || fail "pages not padded to 66 lines"
# The last line closes the page with a gap line; no trailing blank lines.
[ "$(dump --pad 66 --show-offsets --bytes "$rfc" | tail -1 | cut -f2)" = 1000 ] || fail "no gap line"
