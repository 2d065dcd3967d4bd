#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only those missing),
# then configures and builds into build/. Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${VANTOR_BUILD_DIR:-$here/build}"

packages=(cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-multimedia-dev libjpeg62-turbo-dev libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    python3 python3-pyftpdlib curl chromium desktop-file-utils
    vsftpd openssl python3-openssl libsystemd-dev)
packages+=(${VANTOR_EXTRA_PACKAGES:-})

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S "$here" -B "$build" -G Ninja ${VANTOR_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" ${VANTOR_BUILD_TARGETS:+--target $VANTOR_BUILD_TARGETS} -- -j"$(nproc)"
