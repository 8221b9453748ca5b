#!/usr/bin/env bash
# Installs the Debian packages the game needs to build, run and test, when any
# is missing. Safe to run again: it does nothing when everything is there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libenet-dev zlib1g-dev libfreetype-dev libfontconfig-dev libpng-dev
  libcairo2-dev fonts-dejavu-core espeak-ng
  xvfb xauth xdotool python3
)
# clang only for the optional libFuzzer build.
if [ "${KEL_WITH_CLANG:-0}" = 1 ]; then
  PACKAGES+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1; then
  SUDO=(sudo)
else
  echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
