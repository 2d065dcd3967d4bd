#!/usr/bin/env bash
# Builds (as scripts/setup.sh does) and runs every benchmark program; each prints its figures
# beside the floor it is measured against.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
build="${VANTOR_BUILD_DIR:-$here/build}"
find "$build/bench" -type f -perm -u+x -name '*_bench' | sort | while read -r program; do
    echo "== $(basename "$program")"
    "$program"
done
