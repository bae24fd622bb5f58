# Shared helpers of the end-to-end tests.
set -euo pipefail
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
