# Shared helpers of the end-to-end tests.
set -Eeuo pipefail
# A command that fails and ends the script says where: the script's line,
# the command and its exit status, so that no failure is a bare FAIL.
trap 'status=$?; echo "FAIL: ${BASH_SOURCE[0]##*/}:$LINENO: $BASH_COMMAND (exit $status)${FUNCNAME[0]:+, in ${FUNCNAME[0]} called from line ${BASH_LINENO[0]}}" >&2' ERR
# The native tools read the user's own settings otherwise.
export XDG_CONFIG_HOME=$PWD/config
dump() { "$NATIVE_BIN/zorvo-dump" "$@"; }
dump_exe() { "$WINE_RUN" "$MINGW_BIN/zorvo-dump.exe" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
# Random bytes of a given size from a fixed seed, without depending on the
# machine's random source.
random_file() {  # random_file PATH SIZE SEED
  python3 -c 'import random,sys; r=random.Random(int(sys.argv[3])); open(sys.argv[1],"wb").write(bytes(r.getrandbits(8) for _ in range(int(sys.argv[2]))))' "$1" "$2" "$3"
}
# plimbus_host.exe (copied to ./host) runs its check of the extension as
# others set it up; the arguments are what it expects (VAR=value ...).
host_as_configured() {
  mkdir -p host
  cp "$MINGW_BIN/plimbus_host.exe" host/
  env "$@" "$WINE_RUN" host/plimbus_host.exe --gtest_brief=1 --gtest_also_run_disabled_tests \
    --gtest_filter='PlimbusAsConfiguredTest.*' >host.log 2>&1 || { cat host.log >&2; return 1; }
  grep -q 'PASSED.* 1 test' host.log || { cat host.log >&2; return 1; }
}
