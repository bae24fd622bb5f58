#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test the
# project; quietly, and only what is missing.
#   scripts/deps.sh          everything: cross compiler, Wine, X tools, test tools
#   scripts/deps.sh --build  only what the native build needs
set -euo pipefail

if [ "${1:-}" = "--build" ]; then
  pkgs=(cmake ninja-build g++ make)
else
  pkgs=(cmake ninja-build g++ make mingw-w64 wine wine64 xvfb googletest libgtest-dev
        libbenchmark-dev clang libclang-rt-14-dev xdotool xclip ghostscript imagemagick
        xxd python3 time xauth mingw-w64-tools libwine-dev nsis)
fi

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
need=()
for p in "${pkgs[@]}"; do
  have_pkg "$p" || need+=("$p")
done
[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "deps: installing ${need[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# Only the 64-bit Wine is needed: every program is built for x86_64.
$sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
