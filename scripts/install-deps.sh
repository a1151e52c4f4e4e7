#!/usr/bin/env bash
# Installs the Debian 12 packages the station needs to build, run and test.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins
    nlohmann-json3-dev libcpp-httplib-dev libserialport-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth trayer xdotool x11-utils imagemagick
    fonts-wqy-zenhei clang-format
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
