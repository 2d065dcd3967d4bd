#!/usr/bin/env bash
# Builds the programs and the benchmarks, then prints every speed target as a ratio beside its
# floor, measured as whole processes in the same run (bench/whole_process.py), and which miss.
#   bash bench/run.sh [--reps N] [--only rank page live upload startup]
#   bash bench/run.sh --in-process   # the finer in-process benchmarks as well
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${VANTOR_BUILD_DIR:-$here/build}"
[ -f "$build/build.ninja" ] || "$here/scripts/setup.sh"
cmake --build "$build" --target VantorUtilities VantorRecorder benchmarks -- -j2 >/dev/null

inProcess=false
args=()
for a in "$@"; do
    if [ "$a" = --in-process ]; then inProcess=true; else args+=("$a"); fi
done

# The files lie in the build folder, on a real disk, so fsync costs what it does.
data="$build/bench-data"
mkdir -p "$data"
python3 "$here/bench/whole_process.py" "$build" "$data" ${args[@]+"${args[@]}"}

# The game history: journaling one 16-player game into 100,000 players (target: at most +20 %),
# rebuilding 10,000 games into 20,000 players (at most 10 s), `games --last 20` over 100,000
# games (under 50 ms).
"$build/bench/history/history_bench" --dir "$data"
# Recovering a cut-off game from journals of 10,000 to 80,000 entries: linear.
"$build/bench/recovery_bench"

# Standings, awards and ratings over 1,000,000 games of 16 players (written once, then kept).
python3 "$here/bench/league/league_figures.py" "$build" "$data"

$inProcess || exit 0
echo
# Ranking by every key in-process, each run in a child of its own for its peak memory.
"$build/bench/rank_bench" 1000000 --dir "$data"
echo
# 50 MB to pyftpdlib beside curl -T, and in passive mode over TLS to vsftpd beside curl.
"$build/bench/ftp/ftp_upload_bench" 50
# One 16-player game into 100,000 players with live stats, in-process.
"$build/bench/live/live_stats_bench"
# Ranking 100,000 players and writing their page, in-process.
"$build/bench/pages/pages_bench" --dir "$data"
