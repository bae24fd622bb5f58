#!/usr/bin/env bash
# How fast zorvo-dump streams a 1 GiB log next to cat and xxd, and in how much
# memory; then the formatter and reader benchmarks. Not part of the tests.
#
#   scripts/bench.sh
#
# ZORVO_BENCH_BUILD picks another build directory (default build/native,
# the native preset). The data files are made once under build/bench/.
set -euo pipefail

cd "$(dirname "$0")/.."
build=${ZORVO_BENCH_BUILD:-build/native}
jobs=${ZORVO_JOBS:-2}
data=build/bench
mkdir -p "$data"

# -- build -------------------------------------------------------------------
if [[ ! -f $build/build.ninja ]]; then
  if [[ $build == build/native ]]; then
    cmake --preset native >"$data/build.log" 2>&1 || { cat "$data/build.log"; exit 1; }
  else
    cmake --preset native -B "$build" >"$data/build.log" 2>&1 || { cat "$data/build.log"; exit 1; }
  fi
fi
cmake --build "$build" -j "$jobs" >"$data/build.log" 2>&1 || { cat "$data/build.log"; exit 1; }
dump=$build/bin/zorvo-dump
# The tools read the user's profile otherwise: measure the default options.
export XDG_CONFIG_HOME=$data/config
bench=$build/bin/formatter_bench
[[ -x $dump ]] || { echo "no $dump" >&2; exit 1; }

# -- data: a 64 MiB chunk of log lines, LF then CRLF, repeated ------------
big=$data/log-1g.txt
small=$data/log-256m.txt
if [[ ! -f $big || ! -f $small ]]; then
  echo "making $big ..."
  chunk=$data/chunk.tmp
  python3 - "$chunk" <<'PY'
import random, sys
rng = random.Random(20250301)
levels = ["INFO ", "DEBUG", "WARN ", "ERROR", "TRACE"]
words = ("request completed user= session cache miss hit GET POST /api/v1/orders "
         "/static/app.js status=200 status=404 latency ms retrying connection reset "
         "by peer queue depth flushed bytes").split()
size = 64 << 20
lines, total, millis = [], 0, 0
while total < size - 200:
    eol = "\n" if total < size // 2 else "\r\n"
    millis += rng.randrange(900)
    s = millis // 1000
    line = "2025-03-%02d %02d:%02d:%02d.%03d %s [w-%02d] " % (
        1 + s // 86400 % 28, s // 3600 % 24, s // 60 % 60, s % 60, millis % 1000,
        rng.choice(levels), rng.randrange(32))
    target = rng.randrange(40, 161)
    while len(line) < target:
        line += rng.choice(words) + (" " if rng.randrange(4) else "\t")
    line = line[:target] + eol
    lines.append(line)
    total += len(line)
with open(sys.argv[1], "w", newline="") as f:
    f.write("".join(lines))
PY
  for _ in 1 2 3 4; do cat "$chunk"; done >"$small.tmp"
  for _ in 1 2 3 4; do cat "$small.tmp"; done >"$big.tmp"
  mv "$small.tmp" "$small"
  mv "$big.tmp" "$big"
  rm -f "$chunk"
fi
big_bytes=$(stat -c %s "$big")
small_bytes=$(stat -c %s "$small")

# -- timings -----------------------------------------------------------------
# Wall time from the clock in nanoseconds (%e has only centiseconds); peak
# RSS from /usr/bin/time.
measure() {
  local label=$1 file=$2 bytes=$3
  shift 3
  local t0 t1
  t0=$(date +%s%N)
  /usr/bin/time -f '%e %M' -o "$data/time.txt" "$@" "$file" >/dev/null
  t1=$(date +%s%N)
  local rss
  rss=$(awk 'END { print $2 }' "$data/time.txt")
  awk -v l="$label" -v f="$(basename "$file")" -v b="$bytes" -v ns="$((t1 - t0))" -v kb="$rss" \
    'BEGIN { s = ns / 1e9; printf "%-46s %-13s %8.3f %8.2f %9.1f\n", l, f, s, b / s / 1e9, kb / 1024 }'
}

cat "$big" >/dev/null  # into the page cache before anything is timed
echo
printf '%-46s %-13s %8s %8s %9s\n' "command (output to /dev/null)" "file" "seconds" "GB/s" "RSS MiB"
measure "cat" "$big" "$big_bytes" cat
measure "zorvo-dump --bytes (text)" "$big" "$big_bytes" "$dump" --bytes
measure "zorvo-dump --format raw --length 80 --bytes" "$big" "$big_bytes" \
  "$dump" --format raw --length 80 --bytes
# xxd takes several seconds a GiB: both hex dumps run on the 256 MiB file.
measure "zorvo-dump --format hex --length 80 --bytes" "$small" "$small_bytes" \
  "$dump" --format hex --length 80 --bytes
measure "xxd" "$small" "$small_bytes" xxd
echo "(hex dumps on the 256 MiB file: xxd is too slow for 1 GiB; GB/s are 10^9 bytes a second)"

# -- search: zorvo-dump --find beside grep on the same 1 GiB file --------------
marked=$data/log-1g-marked.txt
if [[ ! -f $marked ]]; then
  echo "making $marked ..."
  cp "$big" "$marked.tmp"
  python3 - "$marked.tmp" <<'PY'
import mmap, sys
with open(sys.argv[1], "r+b") as f:
    m = mmap.mmap(f.fileno(), 0)
    size = len(m)
    # 65,535 marks spread evenly, and one needle near the end.
    step = (size - 4096) // 65535
    for i in range(65535):
        m[i * step:i * step + 6] = b"MarkMe"
    m[size - 600:size - 586] = b"NeedleNearEnd!"
    m.close()
PY
  mv "$marked.tmp" "$marked"
fi
marked_bytes=$(stat -c %s "$marked")
cat "$marked" >/dev/null
seconds() {  # seconds COMMAND...: wall time of the command, output discarded
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null || true
  t1=$(date +%s%N)
  awk -v ns=$((t1 - t0)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}
echo
echo "search of a 1 GiB file (seconds; ratio = grep / zorvo-dump, above 1 is faster than grep):"
for mode in case nocase; do
  for what in NeedleNearEnd! AbsentPattern; do
    if [[ $mode == case ]]; then
      z=$(seconds "$dump" --find "$what" --case "$marked")
      g=$(seconds grep -c -F "$what" "$marked")
    else
      z=$(seconds "$dump" --find "$what" "$marked")
      g=$(seconds grep -c -i -F "$what" "$marked")
    fi
    awk -v m="$mode" -v w="$what" -v z="$z" -v g="$g" \
      'BEGIN { printf "  %-7s %-15s zorvo-dump %7.3f  grep %7.3f  ratio %5.2f\n", m, w, z, g, g / z }'
  done
done
alone=$(seconds "$dump" --find MarkMeNot --case "$marked")
all=$(seconds "$dump" --find MarkMe --case --all "$marked")
awk -v a="$alone" -v m="$all" \
  'BEGIN { printf "  65,535 matches (--all, as Mark All) %.3f s, the search alone %.3f s: %.2f times\n", m, a, m / a }'

# -- rebuild latency around random offsets of a 4 GiB file ---------------------
huge=$data/log-4g.txt
if [[ ! -f $huge ]]; then
  echo "making $huge ..."
  for _ in 1 2 3 4; do cat "$big"; done >"$huge.tmp"
  mv "$huge.tmp" "$huge"
fi
cat "$huge" >/dev/null
echo
"$build/bin/rebuild_bench" "$huge" 300
[[ -x $build/bin/tag_list_bench ]] && { echo; "$build/bin/tag_list_bench"; }
# Printing a whole 256 MiB log, laid out on a surface that only counts.
[[ -x $build/bin/print_bench ]] && { echo; "$build/bin/print_bench" "$small"; }

# -- formatter and reader benchmarks ----------------------------------------------
if [[ -x $bench ]]; then
  echo
  "$bench" --benchmark_min_time=0.3
else
  echo "no $bench (libbenchmark-dev missing?): formatter benchmarks skipped"
fi
