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
    vsftpd openssl python3-openssl libsystemd-dev
    libhiredis0.14 libmemcached11 libmemcachedutil2 libsodium23)
packages+=(${VANTOR_EXTRA_PACKAGES:-})
# FTP servers the upload tests run besides vsftpd: ProFTPD with its TLS module, Pure-FTPd.
# Debian lets only one FTP server be installed, so these are unpacked into the build folder,
# not installed (their libraries are, above).
unpacked_servers=(proftpd-core proftpd-mod-crypto pure-ftpd)

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

servers="$build/ftp-servers"
for p in "${unpacked_servers[@]}"; do
    [[ -e "$servers/$p.unpacked" ]] && continue
    mkdir -p "$servers/debs"
    (cd "$servers/debs" && apt-get download -qq "$p" >/dev/null 2>&1) ||
        { apt-get update -qq && (cd "$servers/debs" && apt-get download -qq "$p" >/dev/null); }
    dpkg-deb -x "$servers/debs/${p}"_*.deb "$servers/root"
    touch "$servers/$p.unpacked"
done

cmake -S "$here" -B "$build" -G Ninja ${VANTOR_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" ${VANTOR_BUILD_TARGETS:+--target $VANTOR_BUILD_TARGETS} -- -j"$(nproc)"
