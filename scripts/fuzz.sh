#!/usr/bin/env bash
# Builds the libFuzzer targets (the clang "fuzz" preset) and runs each one for
# a while, keeping its corpus between runs so every run starts where the last
# one stopped.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]    SECONDS per target, default 60
#   FUZZ_RUNS=N scripts/fuzz.sh ...          N inputs from a fixed seed instead, so that
#                                            a run is repeatable
#
# ZORVO_FUZZ_BUILD picks another build directory (default build/fuzz).
# A crash leaves its input in <build>/artifacts/ and makes the script fail.
set -euo pipefail

cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=${ZORVO_FUZZ_BUILD:-build/fuzz}
jobs=${ZORVO_JOBS:-2}

if [[ $build == build/fuzz ]]; then
  cmake --preset fuzz >/dev/null
else
  cmake --preset fuzz -B "$build" >/dev/null
fi
cmake --build "$build" -j "$jobs"

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  for src in tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

mkdir -p "$build/artifacts"
failed=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  seeds=()
  # Targets that read files start from real ones; the command lines, the
  # DDE commands, numbers and version texts from nothing.
  case $target in
    command_line_fuzz | dde_command_fuzz | dump_options_fuzz | number_text_fuzz | version_text_fuzz) ;;
    *) seeds=(tests/data) ;;
  esac
  log="$build/artifacts/$target.log"
  echo "== $target: ${seconds}s"
  limit=(-max_total_time="$seconds")
  [[ -n ${FUZZ_RUNS:-} ]] && limit=(-runs="$FUZZ_RUNS" -seed=1)
  if "$build/bin/$target" "$corpus" "${seeds[@]}" "${limit[@]}" -max_len=4096 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" >"$log" 2>&1; then
    grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::average_exec_per_sec)' "$log" || true
  else
    failed=1
    echo "$target FAILED; see $log"
    grep -E 'ERROR|invariant broken|SUMMARY|Test unit written' "$log" || tail -20 "$log"
  fi
done
exit "$failed"
