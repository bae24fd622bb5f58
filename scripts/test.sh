#!/usr/bin/env bash
# Runs every test: the native core tests (also under ASan and UBSan), the
# same core tests cross-built and run under Wine, the Windows-only tests,
# and the end-to-end tests of the real programs.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/scripts/deps.sh" || exit 1

log=$(mktemp)
mkdir -p build
# One virtual display for every Windows program of the run, unless there is
# a display already; Wine's own processes end with the run.
xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >build/xvfb.log 2>&1 &
    xvfb=$!
    export DISPLAY=":$n"
    break
  done
  # The display is ready once it answers; a server that ended says why.
  for _ in $(seq 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  if ! xdotool getdisplaygeometry >/dev/null 2>&1; then
    echo "test: the virtual display $DISPLAY did not start:" >&2
    tail -n 20 build/xvfb.log >&2
    exit 1
  fi
fi
cleanup() {
  WINEPREFIX=$root/build/mingw/wineprefix wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -f "$log"
}
trap cleanup EXIT
failed_steps=()

step() {  # step NAME COMMAND...
  local name=$1; shift
  echo "== $name"
  if ! "$@" 2>&1 | tee -a "$log"; then failed_steps+=("$name"); fi
}
suite() {  # suite PRESET: build it and run its tests
  # The build's output is kept in build/PRESET-build.log; its end is shown
  # when the build fails, so the compiler's message is in the run's output.
  local blog=build/$1-build.log
  if ! scripts/build.sh "$1" >"$blog" 2>&1; then
    echo "build of $1 failed; the last lines of $blog:"
    tail -n 40 "$blog"
    return 1
  fi
  ctest --preset "$1" -j2 --timeout 900
}
settle() {  # lets the Wine processes of the steps before end, so the next starts afresh
  local prefix=$root/build/mingw/wineprefix
  WINEPREFIX=$prefix timeout 60 wineserver -w 2>/dev/null ||
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}
fuzz_smoke() {  # each target a fixed number of inputs from a fixed seed, with ASan and UBSan
  rm -rf build/fuzz-smoke/corpus
  FUZZ_RUNS=${FUZZ_RUNS:-3000} ZORVO_FUZZ_BUILD=build/fuzz-smoke scripts/fuzz.sh 60 \
    >build/fuzz-smoke.log 2>&1
  local rc=$?
  grep -E '^== |FAILED|DONE' build/fuzz-smoke.log
  local n; n=$(grep -c '^== ' build/fuzz-smoke.log)
  if [ "$rc" -ne 0 ] && [ "$n" -eq 0 ]; then
    # No target ran: the build failed, and says why.
    echo "the fuzz targets were not built; the last lines of build/fuzz-smoke.log:"
    tail -n 40 build/fuzz-smoke.log
    n=1
  fi
  if [ "$rc" -eq 0 ]; then echo "fuzz: $n passed, 0 failed"; else echo "fuzz: 0 passed, $n failed"; fi
  return "$rc"
}

step "native" suite native
step "native under ASan and UBSan" suite native-asan
step "Windows build under Wine" suite mingw
settle
step "end to end" tests/e2e/run.sh
step "fuzz targets under libFuzzer, briefly" fuzz_smoke

# ctest prints "... tests failed out of N"; the end-to-end runner prints
# "N passed, M failed". Add them up for one closing line.
passed=0; failed=0
while read -r p f n; do
  passed=$((passed + n - f)); failed=$((failed + f))
done < <(sed -nE 's/^[0-9]+% tests passed, ([0-9]+) tests failed out of ([0-9]+).*/x \1 \2/p' "$log")
while read -r p f; do
  passed=$((passed + p)); failed=$((failed + f))
done < <(sed -nE 's/^(e2e|fuzz): ([0-9]+) passed, ([0-9]+) failed$/\2 \3/p' "$log")

if [ ${#failed_steps[@]} -gt 0 ]; then
  echo "failed: ${failed_steps[*]}"
  [ "$failed" -gt 0 ] || failed=1
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
