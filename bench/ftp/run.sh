#!/usr/bin/env bash
# Builds and runs the FTP upload benchmark: ./run.sh [megabytes, default 50]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build="${VANTOR_BUILD_DIR:-$here/build}"
cmake --build "$build" --target ftp_upload_bench -- -j2 >/dev/null
"$build/bench/ftp/ftp_upload_bench" "$@"
