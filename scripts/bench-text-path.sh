#!/usr/bin/env bash
# The text path side by side with an older build, in one run: zorvo-dump in
# Text, Raw Text and Hex Dump next to cat, wc -l and xxd on the logs that
# scripts/bench.sh makes, then the formatter, rebuild and print benchmarks
# of both builds. Not part of the tests.
#
#   scripts/bench-text-path.sh [OLD_BUILD_DIR]
#
# OLD_BUILD_DIR is the build folder of the older tree (its bin/zorvo-dump
# and benchmarks); without one only this build is measured. ZORVO_BENCH_ROUNDS
# sets the rounds of each timing (default 5): the commands take turns round
# by round, so that the load of a shared machine falls on all alike, and
# the median counts. Wall time and CPU time (user + system) both count: on
# a busy machine the CPU time is the steadier of the two.
set -euo pipefail
cd "$(dirname "$0")/.."
new=build/native
old=${1:-}
data=build/bench
rounds=${ZORVO_BENCH_ROUNDS:-5}
big=$data/log-1g.txt
small=$data/log-256m.txt
[[ -f $big && -f $small ]] || { echo "no $big or $small: run scripts/bench.sh once" >&2; exit 1; }
cmake --build "$new" -j "${ZORVO_JOBS:-2}" >/dev/null
export XDG_CONFIG_HOME=$data/config  # the default options, not the user's

commands=("cat=cat $big" "wc=wc -l $big" "xxd=xxd $small")
for build in new ${old:+old}; do
  dir=$new
  [[ $build == old ]] && dir=$old
  commands+=("$build-text=$dir/bin/zorvo-dump --bytes $big"
             "$build-utf8=$dir/bin/zorvo-dump $big"
             "$build-raw=$dir/bin/zorvo-dump --format raw --length 80 --bytes $big"
             "$build-hex=$dir/bin/zorvo-dump --format hex --length 80 --bytes $small")
done
cat "$big" "$small" >/dev/null
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 - "$rounds" "$(stat -c %s "$big")" "$(stat -c %s "$small")" "${commands[@]}" <<'PY'
import os, shlex, statistics, subprocess, sys, time
rounds, big, small = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
commands = [a.split("=", 1) for a in sys.argv[4:]]
wall = {label: [] for label, _ in commands}
cpu = {label: [] for label, _ in commands}
for _ in range(rounds):
    for label, command in commands:
        start = time.perf_counter()
        child = subprocess.Popen(shlex.split(command), stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        if status != 0:
            sys.exit("%s failed" % command)
        wall[label].append(time.perf_counter() - start)
        cpu[label].append(usage.ru_utime + usage.ru_stime)
med = lambda xs: statistics.median(xs)
size = lambda label: small if label.endswith("hex") or label == "xxd" else big
print("median of %d rounds; GB/s = 10^9 bytes a second (hex dumps and xxd on 256 MiB)" % rounds)
print("%-10s %8s %8s %8s %8s %9s %9s %9s" % ("command", "wall s", "cpu s", "GB/s", "cpu GB/s",
                                                "cat/wall", "old/new", "old/new"))
print("%-10s %8s %8s %8s %8s %9s %9s %9s" % ("", "", "", "wall", "", "", "wall", "cpu"))
for label, _ in commands:
    w, c = med(wall[label]), med(cpu[label])
    ratio_cat = med(wall["cat"]) / w * size(label) / big
    line = "%-10s %8.3f %8.3f %8.2f %8.2f %9.2f" % (label, w, c, size(label) / w / 1e9,
                                                      size(label) / max(c, 1e-9) / 1e9, ratio_cat)
    twin = "old" + label[3:] if label.startswith("new") else None
    if twin in wall:
        line += " %9.2f %9.2f" % (med(wall[twin]) / w, med(cpu[twin]) / c)
    print(line)
PY
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

# The benchmarks of both builds, one after the other, medians of repetitions.
bench_args=(--benchmark_filter='Text|Hex|Raw|Fixed' --benchmark_repetitions="$rounds"
            --benchmark_report_aggregates_only=true --benchmark_min_time=0.2)
for build in new ${old:+old}; do
  dir=$new
  [[ $build == old ]] && dir=$old
  echo
  echo "== $build build ($dir): formatter medians (bytes a second of CPU time)"
  "$dir/bin/formatter_bench" "${bench_args[@]}" 2>/dev/null |
    awk '/_median/ { for (i = 1; i <= NF; ++i) if ($i ~ /bytes_per_second/) { sub("bytes_per_second=", "", $i); printf "  %-44s %s\n", $1, $i } }'
  echo "== $build build: rebuild latency and printing"
  "$dir/bin/rebuild_bench" "$big" 200
  "$dir/bin/print_bench" "$small"
done
