#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test the
# project. Quiet, and only what is missing.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(mingw-w64 wine wine64 xvfb cmake ninja-build googletest libgtest-dev
      libbenchmark-dev clang libclang-rt-14-dev xdotool xclip ghostscript
      imagemagick xxd g++ make)
for p in "${pkgs[@]}"; do
  have_pkg "$p" || need+=("$p")
done

# 32-bit Wine is not needed: every program is built for x86_64.
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "deps: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
