#!/usr/bin/env bash
# Page-index throughput on a 1 GiB print file with a form feed every 60
# lines (about 270,000 pages), beside `grep -c` of the form feed on the
# same file from the page cache, measured in the same run. Not a test.
#   scripts/bench-page-index.sh [--native-only] [SIZE_MIB]
# (makes its file under build/bench once; SIZE_MIB, 1024 by default, for a
# smaller one on a slow machine.)
# First the scan alone (native, the slices back to back in runs of 15 ms)
# with the default buffer of 8192 bytes and a large one of 16 MiB; then the viewer itself
# under Wine with the default settings (a slice of 8192 bytes, runs of at
# most 15 ms whenever the window is idle, timer 3 every 200 ms when it is
# busy) to the end, and with PageIndexingBudget=0 (one slice per tick, as
# before runs existed) for 20 seconds. Ratios are the index's time over
# grep's: below 1 is faster than grep. For the viewer also the longest
# PG_CONT and the longest of any message (how long the window's thread was
# held at once) and the peak private memory and working set of the process.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
data=build/bench
mkdir -p "$data"
native_only=0
if [[ ${1:-} == --native-only ]]; then native_only=1; shift; fi
mib=${1:-1024}
scripts/build.sh native >"$data/build.log" 2>&1 || { cat "$data/build.log"; exit 1; }
file=$data/paged-1g.txt
[[ $mib == 1024 ]] || file=$data/paged-${mib}m.txt
if [[ ! -f $file ]]; then
  echo "making $file ..."
  python3 - "$file.tmp" "$mib" <<'PY'
import random, sys
rng = random.Random(20250302)
words = ("ACCOUNT BALANCE TOTAL DEBIT CREDIT BRANCH 00017 REPORT PAGE SUMMARY "
         "INTEREST RATE 3.25 FEE CHARGED CARRIED FORWARD").split()
lines, size, page = [], min(64, int(sys.argv[2])) << 20, 0
total = 0
while total < size:
    page += 1
    block = ["\f" + "BRANCH REPORT %40s PAGE %6d\r\n" % ("", page)]
    for _ in range(59):
        line = " ".join(rng.choice(words) for _ in range(rng.randrange(4, 16)))
        block.append(line[:132] + "\r\n")
    text = "".join(block)
    lines.append(text)
    total += len(text)
chunk = "".join(lines)[: size]
with open(sys.argv[1], "w", newline="") as f:
    for _ in range(max(1, int(sys.argv[2]) // 64)):
        f.write(chunk)
PY
  mv "$file.tmp" "$file"
fi
bytes=$(stat -c %s "$file")
cat "$file" >/dev/null  # into the page cache before anything is timed

best() {  # best COMMAND...: the shortest wall time of three runs, in seconds
  # Not to /dev/null: grep notices that and stops at the first match.
  local b="" t0 t1 s
  for _ in 1 2 3; do
    t0=$(date +%s%N); "$@" >"$data/out.txt"; t1=$(date +%s%N)
    s=$(awk -v ns=$((t1 - t0)) 'BEGIN { printf "%.3f", ns / 1e9 }')
    if [[ -z $b ]] || awk -v a="$s" -v b="$b" 'BEGIN { exit !(a < b) }'; then b=$s; fi
  done
  echo "$b"
}
grep_s=$(best grep -c $'\f' "$file")
pages=$(grep -c $'\f' "$file")
ratio() { awk -v s="$1" -v g="$grep_s" 'BEGIN { printf "%.2f", s / g }'; }
printf 'file %s: %.2f GiB, %d lines with a form feed\n' "$file" "$(awk -v b="$bytes" 'BEGIN { print b / 2^30 }')" "$pages"
printf '%-40s %9s %8s %9s %9s\n' "" "seconds" "GB/s" "pages" "x grep"
printf '%-40s %9.3f %8.2f %9d %9.2f\n' "grep -c form feed (the reference)" "$grep_s" "$(awk -v b="$bytes" -v s="$grep_s" 'BEGIN { print b / s / 1e9 }')" "$pages" 1
for buffer in 8192 16777216; do
  read -r _ s runs found rate < <(
    for _ in 1 2 3; do build/native/bin/page_index_bench "$file" "$buffer"; done | sort -k2 -n | head -1)
  printf '%-40s %9.3f %8.2f %9d %9.2f\n' "scan, buffer $buffer ($runs runs)" "$s" "$rate" "$found" "$(ratio "$s")"
done

# The viewer under Wine.
# (scripts/wine-run.sh makes a virtual display when there is none.)
if [[ $native_only == 1 ]]; then exit 0; fi
scripts/build.sh mingw >"$data/build.log" 2>&1 || { cat "$data/build.log"; exit 1; }
winfile="Z:$(realpath "$file" | tr / '\\')"
window() { scripts/wine-run.sh build/mingw/bin/page_index_window_bench.exe "$winfile" "$@" 2>/dev/null | tr -d '\r'; }
# Wine's own processes stay up between the runs, so that none of them
# starts while one is timed.
WINEPREFIX=$root/build/mingw/wineprefix scripts/wine-run.sh cmd /c exit >/dev/null 2>&1 || true
WINEPREFIX=$root/build/mingw/wineprefix wineserver -p 30 2>/dev/null || true
printf '\n%-40s %9s %8s %9s %9s %7s %7s %8s %8s\n' "" "seconds" "GB/s" "pages" "x grep" "run ms" "msg ms" "peak KiB" "ws KiB"
cat "$file" >/dev/null  # the page cache again, after the builds
for n in 1 2 3; do
  read -r done s indexed found rate runs run_ms msg_ms peak ws < <(window 200 8192 15 600)
  [[ $done == 1 ]] || echo "(the default run did not finish in 600 s)"
  printf '%-40s %9.3f %8.2f %9d %9.2f %7.1f %7.1f %8d %8d\n' "viewer, defaults, run $n ($runs PG_CONT)" "$s" \
    "$(awk -v r="$rate" 'BEGIN { print r / 1000 }')" "$found" "$(ratio "$s")" "$run_ms" "$msg_ms" "$peak" "$ws"
done
read -r done s indexed found rate runs run_ms msg_ms peak ws < <(window 200 8192 0 20)
printf '%-40s %9.3f %8.4f %9d %9s %7.1f %7.1f %8d %8d\n' "viewer, one slice per tick, 20 s" "$s" \
  "$(awk -v r="$rate" 'BEGIN { print r / 1000 }')" "$found" "-" "$run_ms" "$msg_ms" "$peak" "$ws"
printf '  (%.1f MiB in 20 s: the whole file in %.1f hours)\n' "$(awk -v b="$indexed" 'BEGIN { print b / 2^20 }')" \
  "$(awk -v b="$bytes" -v r="$rate" 'BEGIN { print b / (r * 1e6) / 3600 }')"
printf 'grep -c again: %s s\n' "$(best grep -c $'\f' "$file")"
