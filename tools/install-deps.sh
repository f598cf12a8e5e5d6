#!/usr/bin/env bash
# Installs, through apt-get, what building, running and testing the program needs on Debian 12.
# Safe to run again: packages already there are left as they are.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libjpeg62-turbo-dev
    fonts-arphic-uming
    unicode-data python3
    clang libclang-rt-14-dev
    xvfb xauth
    desktop-file-utils appstream dpkg-dev binutils groff-base
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
