#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a fixed number of inputs from its seed
# corpus under tests/data/fuzz/<name>/. Usage: scripts/fuzz.sh [RUNS] [TARGET...]
# A crash leaves its input as crash-* in build-fuzz/findings/<name>/ and fails the script.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
runs="${1:-2000}"
shift || true
VANTOR_BUILD_TARGETS=fuzz_all VANTOR_EXTRA_PACKAGES="clang-14 libclang-rt-14-dev" VANTOR_BUILD_DIR="$here/build-fuzz" \
    VANTOR_CMAKE_ARGS="-DVANTOR_FUZZ=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14" \
    "$here/scripts/setup.sh" >/dev/null
build="$here/build-fuzz"
targets=("$@")
if ((${#targets[@]} == 0)); then
    mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -type f -executable -name 'fuzz_*' \
        -printf '%f\n' | sed 's/^fuzz_//' | sort)
fi
export QT_QPA_PLATFORM=offscreen
# Undefined behaviour counts as a crash, as in the sanitizer build of the tests.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
status=0
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t"
    findings="$build/findings/$t"
    mkdir -p "$corpus" "$findings"
    [ -d "$here/tests/data/fuzz/$t" ] && cp -n "$here/tests/data/fuzz/$t"/* "$corpus/" 2>/dev/null || true
    # The result log target starts from the logs the tests read.
    [ "$t" = result_log ] && cp -n "$here/tests/data/logs"/* "$corpus/" 2>/dev/null || true
    # A history database is pages of 512 bytes at least: its seeds need room.
    max_len=8192
    [ "$t" = journal ] && max_len=16384
    if "$build/fuzz/fuzz_$t" -runs="$runs" -max_len=$max_len -artifact_prefix="$findings/" \
        "$corpus" >"$findings/last.log" 2>&1; then
        echo "fuzz $t: $(grep -Eo 'Done [0-9]+ runs' "$findings/last.log"), corpus $(ls "$corpus" | wc -l) inputs, no crash"
    else
        echo "fuzz $t: CRASH, see $findings"; tail -n 30 "$findings/last.log"; status=1
    fi
done
exit $status
