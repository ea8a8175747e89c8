#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when some are missing.
set -euo pipefail
# libzint-dev draws barcodes and 2D symbols, zlib1g-dev compresses the saved
# receipts, libfontconfig-dev limits the console programs to the receipt faces,
# fonts-dejavu-core is the receipt face, fonts-tlwg-mono and
# fonts-wqy-zenhei draw the Thai and the Chinese, Japanese and Korean
# characters it lacks, zbar-tools and python3-zxing-cpp
# (PDF417, Aztec, Data Matrix, MaxiCode) read the drawn symbols back in the tests.
# fonts-noto-core and fonts-noto-cjk give the windows the font set of a usual
# desktop, so that the form tests see what operators see.
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgl-dev ccache libzint-dev zlib1g-dev libfontconfig-dev fonts-dejavu-core
          fonts-tlwg-mono fonts-wqy-zenhei fonts-noto-core fonts-noto-cjk zbar-tools python3-zxing-cpp "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
