#!/usr/bin/env python3
"""Times the league commands as whole processes over a history of 1,000,000 16-player games.

    league_figures.py BUILD DATA [--games N] [--reps N]

The history is written once into DATA/league-N by league_history (straight SQLite inserts) and
kept for later runs. Each figure is the median of its runs (wall and CPU time: on a shared machine
the CPU time is the one to compare), with the peak memory of the process.
"""
import argparse
import os
import statistics
import subprocess
import sys
import time


def timed(cmd, cwd):
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    err = proc.stderr.read().decode(errors="replace")
    if status != 0:
        sys.exit(f"{' '.join(cmd)} failed: {err}")
    return elapsed, usage.ru_maxrss / 1024, usage.ru_utime + usage.ru_stime


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("data")
    ap.add_argument("--games", type=int, default=1000000)
    ap.add_argument("--reps", type=int, default=5)
    args = ap.parse_args()

    folder = os.path.join(args.data, f"league-{args.games}")
    done = os.path.join(folder, "complete")
    if not os.path.exists(done):
        subprocess.run(["rm", "-rf", folder], check=True)
        os.makedirs(folder)
        start = time.perf_counter()
        subprocess.run([os.path.join(args.build, "bench/league/league_history"), folder,
                        str(args.games)], check=True)
        print(f"wrote {args.games} games in {time.perf_counter() - start:.0f} s")
        open(done, "w").close()

    tool = os.path.join(args.build, "utilities/VantorUtilities")
    env_tz = dict(os.environ, TZ="UTC")
    os.environ.update(env_tz)
    figures = [
        ("standings, one month", ["standings", "--by", "Kills", "--month", "2026-06"], 0.5,
         args.reps),
        ("standings, all time", ["standings", "--by", "Kills"], 5.0, args.reps),
        ("awards, one month", ["awards", "--month", "2026-06"], 1.0, args.reps),
        ("maps, one month", ["maps", "--month", "2026-06"], None, args.reps),
        ("ratings of every game (standings --by Rating)", ["standings", "--by", "Rating"], 60.0,
         1),
    ]
    print(f"| figure ({args.games:,} games of 16 players) | median | CPU | peak memory | target |")
    print("|---|---|---|---|---|")
    for label, cmd, target, reps in figures:
        runs = [timed([tool] + cmd, folder) for _ in range(reps)]
        median = statistics.median(r[0] for r in runs)
        memory = max(r[1] for r in runs)
        cpu = statistics.median(r[2] for r in runs)
        verdict = "" if target is None else (
            f"{target} s: {'met' if median <= target else 'missed'}")
        print(f"| `{' '.join(cmd)}` ({label}) | {median:.3f} s | {cpu:.3f} s | {memory:.0f} MB "
              f"| {verdict} |")


if __name__ == "__main__":
    main()
