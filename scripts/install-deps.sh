#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, skipping those present.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev ccache pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    libboost-system-dev libboost-thread-dev libboost-date-time-dev libboost-program-options-dev
    nlohmann-json3-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
    libx11-dev xvfb xauth x11-utils iproute2 procps libcap2-bin libglib2.0-bin xdg-utils
    fonts-dejavu-core fonts-wqy-zenhei
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
