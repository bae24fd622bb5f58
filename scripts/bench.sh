#!/usr/bin/env bash
# How fast zorvo-dump streams a 1 GiB log next to cat and xxd, and in how much
# memory; how fast it searches next to grep -F and the read limit (dd), also
# as zorvo-dump.exe under Wine when the mingw build is there; then the
# rebuild, formatter and reader benchmarks. Not part of the tests.
#
#   scripts/bench.sh [search]     (search: the search timings alone)
#
# ZORVO_BENCH_BUILD picks another build directory (default build/native,
# the native preset); ZORVO_BENCH_ROUNDS the runs of each search timing
# (default 7). The data files are made once under build/bench/.
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

only=${1:-all}
cat "$big" >/dev/null  # into the page cache before anything is timed
if [[ $only != search ]]; then
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
fi

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
echo
# Each command runs $rounds times, taking turns with the others, so that the
# load of a shared machine falls on all alike; the best time counts. CPU is
# user + system time of the process, wall the elapsed time.
rounds=${ZORVO_BENCH_ROUNDS:-7}
timed() {  # timed ROUNDS LABEL=COMMAND...: best wall and CPU seconds of each
  python3 - "$@" <<'PY'
import os, shlex, subprocess, sys, time
rounds, commands = int(sys.argv[1]), [a.split("=", 1) for a in sys.argv[2:]]
best = {label: [1e9, 1e9] for label, _ in commands}
for _ in range(rounds):
    for label, command in commands:
        start = time.perf_counter()
        child = subprocess.Popen(shlex.split(command), stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        best[label][0] = min(best[label][0], wall)
        best[label][1] = min(best[label][1], usage.ru_utime + usage.ru_stime)
for label, (wall, cpu) in best.items():
    print(label, "%.4f" % wall, "%.4f" % cpu)
PY
}
patterns=("NeedleNearEnd!" "AbsentPattern" "the e")
commands=("dd=dd if=$marked of=/dev/null bs=512K")
for i in 0 1 2; do
  p=${patterns[$i]}
  commands+=("z$i-case=$dump --find '$p' --case $marked" "g$i-case=grep -c -F '$p' $marked"
             "z$i-nocase=$dump --find '$p' $marked" "g$i-nocase=grep -c -i -F '$p' $marked")
done
echo "search of a 1 GiB file from the page cache (seconds, best of $rounds; ratio = grep /"
echo "zorvo-dump, above 1 is faster than grep; read limit = dd bs=512K / zorvo-dump)"
echo "  load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
LC_ALL=C timed "$rounds" "${commands[@]}" >"$data/search.txt"
echo "  load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
awk -v list="$(printf '%s\n' "${patterns[@]}")" '
  BEGIN { split(list, pattern, "\n") }
  { wall[$1] = $2; cpu[$1] = $3 }
  END {
    printf "  dd bs=512K: wall %.3f  cpu %.3f\n", wall["dd"], cpu["dd"]
    printf "  %-7s %-15s %15s %15s %13s %13s\n", "", "", "zorvo-dump", "grep", "ratio", "read limit"
    printf "  %-7s %-15s %15s %15s %13s %13s\n", "", "", "wall   cpu", "wall   cpu", "wall  cpu", "wall  cpu"
    for (i = 0; i < 3; ++i) for (m = 0; m < 2; ++m) {
      mode = m ? "nocase" : "case"; z = "z" i "-" mode; g = "g" i "-" mode
      printf "  %-7s %-15s %7.3f %7.3f %7.3f %7.3f %6.2f %6.2f %6.2f %6.2f\n", mode, pattern[i + 1],
        wall[z], cpu[z], wall[g], cpu[g], wall[g] / wall[z], cpu[g] / cpu[z],
        wall["dd"] / wall[z], cpu["dd"] / cpu[z]
    }
  }' "$data/search.txt"
LC_ALL=C timed "$rounds" "alone=$dump --find MarkMeNot --case $marked" \
  "all=$dump --find MarkMe --case --all $marked" >"$data/search.txt"
awk '{ cpu[$1] = $3 } END { printf "  65,535 matches (--all, as Mark All) %.3f s CPU, the search alone %.3f s: %.2f times\n", cpu["all"], cpu["alone"], cpu["all"] / cpu["alone"] }' "$data/search.txt"

if [[ -x $bench ]]; then
  echo "  the scan alone, 512 KiB in the cache (way 2 SSE2, 3 AVX2; case 1 case-sensitive):"
  "$bench" --benchmark_filter=ScanBuffer --benchmark_min_time=0.2 2>/dev/null |
    awk '/^BM_ScanBuffer/ { sub("BM_ScanBuffer/", ""); sub("bytes_per_second=", "");
                            printf "    %-26s %10s %s\n", $1, $6, $7 }'
fi

# The Windows build of the tool under Wine against the native one, when it
# is built: each run less the start-up (the same search in a 1-byte file).
exe=${ZORVO_BENCH_EXE:-build/mingw/bin/zorvo-dump.exe}
if [[ -f $exe ]] && command -v wine >/dev/null; then
  export WINEPREFIX=$PWD/build/mingw/wineprefix WINEDEBUG=-all
  [[ -f $WINEPREFIX/system.reg ]] || scripts/wine-run.sh "$exe" --help >/dev/null 2>&1 || true
  wineserver -p 60  # one server for all the runs
  printf x >"$data/one-byte.txt"
  winpath() { echo "Z:$(realpath "$1" | tr / '\\')"; }
  wm=$(winpath "$marked") w1=$(winpath "$data/one-byte.txt")
  # Quoted for the split into arguments, which would take \ as an escape.
  commands=("start=wine $exe --find x '$w1'" "native-start=$dump --find x '$data/one-byte.txt'")
  for i in 0 1 2; do
    p=${patterns[$i]}
    commands+=("w$i=wine $exe --find '$p' --case '$wm'" "n$i=$dump --find '$p' --case '$marked'")
  done
  echo
  echo "zorvo-dump.exe under Wine against the native zorvo-dump, case-sensitive (seconds of"
  echo "wall time less the start-up, best of $rounds; ratio = native / Wine):"
  LC_ALL=C timed "$rounds" "${commands[@]}" >"$data/search.txt"
  awk -v list="$(printf '%s\n' "${patterns[@]}")" '
    BEGIN { split(list, pattern, "\n") }
    { wall[$1] = $2 }
    END {
      printf "  start-up: Wine %.3f, native %.3f\n", wall["start"], wall["native-start"]
      for (i = 0; i < 3; ++i) {
        w = wall["w" i] - wall["start"]; n = wall["n" i] - wall["native-start"]
        printf "  %-15s Wine %7.3f  native %7.3f  ratio %5.2f\n", pattern[i + 1], w, n, n / w
      }
    }' "$data/search.txt"
  wineserver -k || true
fi

[[ $only == search ]] && exit 0

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
