#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the editor need, when
# any of them is missing. Safe to run again.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  libjpeg62-turbo-dev zlib1g-dev libzstd-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-apps x11-utils imagemagick
  dpkg-dev desktop-file-utils lintian shared-mime-info libglib2.0-bin clang-format tiled git
  clang libclang-rt-14-dev
  fonts-dejavu-core fonts-urw-base35 fonts-wqy-microhei fonts-terminus-otb
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
