#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev llvm googletest libgtest-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  mingw-w64-tools wine wine64 xvfb xauth x11-utils xdotool imagemagick
  fonts-wqy-microhei fonts-wine chrony ntpsec-ntpdig python3 file clang-format
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# chrony must never start a daemon that adjusts this machine's clock: refuse service starts.
if [ ! -x /usr/sbin/policy-rc.d ] || /usr/sbin/policy-rc.d >/dev/null 2>&1 || [ $? -ne 101 ]; then
  printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d
  chmod 755 /usr/sbin/policy-rc.d
fi

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
