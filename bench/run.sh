#!/usr/bin/env bash
# Builds the benchmarks and prints their figures beside their floors.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${VANTOR_BUILD_DIR:-$here/build}"
[ -f "$build/build.ninja" ] || "$here/scripts/setup.sh"
cmake --build "$build" --target benchmarks -- -j2 >/dev/null

# Ranking a stats file by every key (targets: at most 3 times the floor, peak memory at most 3
# times the file). The files lie in the build folder, on a real disk, so fsync costs what it does.
data="$build/bench-data"
mkdir -p "$data"
for records in 100000 1000000; do
    "$build/bench/rank_bench" "$records" --dir "$data" "$@"
    echo
done

# Uploading 50 MB to a local FTP server, beside curl -T (target: at most 3 times curl's time),
# then in passive mode over TLS to a local vsftpd, beside curl --ssl-reqd (at most 2 times).
"$build/bench/ftp/ftp_upload_bench" 50

# One 16-player game into a 100,000-player stats file with live stats on (merge, two rankings,
# page), beside reading the stats file and writing the page (target: at most 4 times).
"$build/bench/live/live_stats_bench"

# Ranking 100,000 players and writing their page (target: at most 3 times reading the stats file
# and writing a file of the page's size).
"$build/bench/pages/pages_bench" --dir "$data"

# The game history: journaling one 16-player game into 100,000 players (target: at most +20 %),
# rebuilding 10,000 games into 20,000 players (at most 10 s), `games --last 20` over 100,000
# games (under 50 ms).
"$build/bench/history/history_bench" --dir "$data"
