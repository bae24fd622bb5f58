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
