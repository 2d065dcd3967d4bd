#!/usr/bin/env python3
"""The speed targets, each measured as whole processes beside its floor in the same run.

Every figure runs its program and its floor alternately, median of the runs; the data a run
changes is put back before it, outside the timing. Prints one line a figure with its target and
ends with the figures that miss.
    whole_process.py BUILD_DIR WORK_DIR [--reps N] [--only NAME...]
"""
import argparse
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

RANK_KEY = "Skill Points"


class Run:
    def __init__(self, wall, cpu, peak_kb):
        self.wall, self.cpu, self.peak_kb = wall, cpu, peak_kb


def run_once(cmd, cwd, env=None, prepare=None):
    if prepare:
        prepare()
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    # The child's own rusage, including the children it waited for (dd, mv under sh).
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        raise RuntimeError("%s failed: %s" % (" ".join(cmd), err.strip()))
    return Run(wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss)


def compare(reps, subject, floor):
    """subject and floor: (cmd, cwd, env, prepare). Alternates them so both see the same load."""
    runs = {"subject": [], "floor": []}
    for _ in range(reps):
        runs["floor"].append(run_once(*floor))
        runs["subject"].append(run_once(*subject))

    def summary(rs):
        return Run(statistics.median(r.wall for r in rs), statistics.median(r.cpu for r in rs),
                   max(r.peak_kb for r in rs))
    return summary(runs["subject"]), summary(runs["floor"])


class Report:
    def __init__(self):
        self.misses = []

    def figure(self, name, value, target, detail):
        ok = value <= target
        if not ok:
            self.misses.append(name)
        print("  %-34s %6.2f x  (target <= %.2f) %-4s %s" %
              (name, value, target, "ok" if ok else "MISS", detail), flush=True)


def sync_disk():
    os.sync()  # the copy's write-back must not land inside a measurement


def copier(src, dst, *stale):
    """Puts a fresh copy of src in place; stale files (a floor's output) go first, so that the
    floor never pays for truncating a large file of the run before."""
    def prepare():
        for path in (dst,) + stale:
            if os.path.exists(path):
                os.remove(path)
        shutil.copyfile(src, dst)
        sync_disk()
    return prepare


def times(s, f):
    return "%.3f s beside %.3f s; CPU %.3f s beside %.3f s (%.2f x)" % (
        s.wall, f.wall, s.cpu, f.cpu, s.cpu / f.cpu if f.cpu > 0 else float("inf"))


def registry(path, values):
    with open(path, "w") as f:
        f.write("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n")
        for k, v in values.items():
            f.write('"%s"="%s"\n' % (k, v))


def figure_rank(a, report):
    folder = os.path.join(a.work, "rank")
    os.makedirs(folder, exist_ok=True)
    pristine = os.path.join(folder, "pristine.log")
    stats = os.path.join(folder, "stats.log")
    subprocess.check_call([a.tool("make_stats_file"), "1000000", pristine])
    env = dict(os.environ, VANTOR_REGISTRY=os.path.join(folder, "registry.reg"))
    # The first change beside a stats file starts the game history with a copy of the file: once
    # in a data folder's life, so outside the timing.
    run_once([a.utilities, "rank", "--by", RANK_KEY], folder, env, copier(pristine, stats))
    s, f = compare(a.reps,
                   ([a.utilities, "rank", "--by", RANK_KEY], folder, env, copier(pristine, stats)),
                   (["sh", "-c", "dd if=stats.log of=work.dat bs=1M conv=fsync status=none && "
                     "mv work.dat stats.log"], folder, None, copier(pristine, stats)))
    size_kb = os.path.getsize(pristine) / 1024
    print("rank of 1,000,000 players (%.0f MB): %s" % (size_kb / 1024, times(s, f)))
    report.figure("rank 1M / dd conv=fsync + rename", s.wall / f.wall, 1.5, "")
    report.figure("rank 1M peak memory / file", s.peak_kb / size_kb, 1.15,
                  "(%.1f MB)" % (s.peak_kb / 1024))


def figure_page(a, report):
    folder = os.path.join(a.work, "page")
    os.makedirs(folder, exist_ok=True)
    pristine = os.path.join(folder, "pristine.log")
    stats = os.path.join(folder, "stats.log")
    subprocess.check_call([a.tool("make_stats_file"), "100000", pristine])
    env = dict(os.environ, VANTOR_REGISTRY=os.path.join(folder, "registry.reg"))
    page_cmd = [a.utilities, "page", "page.html", "--by", RANK_KEY, "--quiet"]
    run_once(page_cmd, folder, env, copier(pristine, stats))
    page_bytes = os.path.getsize(os.path.join(folder, "page.html"))
    # Both write their page afresh: neither pays for removing the page of the run before.
    s, f = compare(a.reps,
                   (page_cmd, folder, env,
                    copier(pristine, stats, os.path.join(folder, "page.html"))),
                   ([a.tool("io_floor"), "--read", "stats.log", "--write", "floor.html",
                     str(page_bytes)], folder, None,
                    copier(pristine, stats, os.path.join(folder, "floor.html"))))
    print("page of 100,000 players (%.1f MB page): %s" % (page_bytes / 1e6, times(s, f)))
    report.figure("page 100k / read stats + write page", s.wall / f.wall, 1.3, "")


def figure_live(a, report):
    folder = os.path.join(a.work, "live")
    os.makedirs(folder, exist_ok=True)
    pristine = os.path.join(folder, "pristine.log")
    stats = os.path.join(folder, "stats.log")
    subprocess.check_call([a.tool("make_stats_file"), "1000000", pristine, "--ranked"])
    registry(os.path.join(folder, "registry.reg"),
             {"hostfilename": "live.html", "LiveStatsReloadTime": "30"})

    def prepare():  # every run records the same game into the same files, its page afresh
        copier(pristine, stats)()
        for stale in ("lastgame.log", "team.log", "live.html"):
            if os.path.exists(os.path.join(folder, stale)):
                os.remove(os.path.join(folder, stale))
    game = [a.tool("live_game"), folder, "1"]
    run_once(game, folder, None, prepare)
    page_bytes = os.path.getsize(os.path.join(folder, "live.html"))
    s, f = compare(a.reps, (game, folder, None, prepare),
                   ([a.tool("io_floor"), "--read", "stats.log", "--write", "floor.html",
                     str(page_bytes)], folder, None,
                    copier(pristine, stats, os.path.join(folder, "floor.html"))))
    print("one 16-player game with live stats into 1,000,000 players (%.0f MB page): %s" %
          (page_bytes / 1e6, times(s, f)))
    report.figure("live game 1M / read stats + write page", s.wall / f.wall, 2.0,
                  "(peak %.0f MB)" % (s.peak_kb / 1024))


VSFTPD_CONF = """listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port={port}
anonymous_enable=YES
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_root={root}
no_anon_password=YES
connect_from_port_20=NO
port_enable=YES
pasv_enable=YES
seccomp_sandbox=NO
background=NO
run_as_launching_user=NO
secure_chroot_dir={empty}
xferlog_enable=NO
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def figure_upload(a, report):
    if not shutil.which("vsftpd") and not os.path.exists("/usr/sbin/vsftpd"):
        print("upload: vsftpd is not installed, no figure")
        report.misses.append("upload (not measured)")
        return
    folder = tempfile.mkdtemp(prefix="upload-", dir=a.work)
    root, empty = os.path.join(folder, "root"), os.path.join(folder, "empty")
    os.makedirs(os.path.join(root, "upload"))
    os.makedirs(empty)
    os.chmod(root, 0o555)  # vsftpd refuses a writable anonymous root
    os.chmod(os.path.join(root, "upload"), 0o777)
    port = free_port()
    conf = os.path.join(folder, "vsftpd.conf")
    with open(conf, "w") as f:
        f.write(VSFTPD_CONF.format(port=port, root=root, empty=empty))
    server = subprocess.Popen([shutil.which("vsftpd") or "/usr/sbin/vsftpd", conf],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(100):
            try:
                socket.create_connection(("127.0.0.1", port), 0.1).close()
                break
            except OSError:
                time.sleep(0.05)
        upload = os.path.join(folder, "upload.bin")
        with open(upload, "wb") as f:
            f.write(os.urandom(50 * 1024 * 1024))
        registry(os.path.join(folder, "registry.reg"),
                 {"hostname": "127.0.0.1", "port": str(port), "username": "anonymous",
                  "ftppassword": "bench@example.org", "hostdirname": "upload"})
        env = dict(os.environ, VANTOR_REGISTRY=os.path.join(folder, "registry.reg"))
        # Both in the client's own mode, active: the server connects back for the data.
        s, f = compare(a.reps,
                       ([a.utilities, "upload", upload, "--quiet"], folder, env, None),
                       (["curl", "-s", "-S", "-P", "127.0.0.1", "-u",
                         "anonymous:bench@example.org", "-T", upload,
                         "ftp://127.0.0.1:%d/upload/curl.bin" % port], folder, None, None))
        for name in ("upload.bin", "curl.bin"):
            with open(os.path.join(root, "upload", name), "rb") as got, \
                    open(upload, "rb") as sent:
                if got.read() != sent.read():
                    raise RuntimeError("the uploaded %s differs from the file sent" % name)
    finally:
        server.terminate()
        server.wait()
    print("upload of 50 MB to a local vsftpd (active mode): %s" % times(s, f))
    report.figure("upload 50 MB / curl -T (wall)", s.wall / f.wall, 1.3, "")
    report.figure("upload 50 MB / curl -T (CPU)", s.cpu / f.cpu, 2.0, "")


def figure_startup(a, report):
    folder = os.path.join(a.work, "startup")
    os.makedirs(folder, exist_ok=True)
    # A data folder: in one without stats files the command refuses, exit status 1.
    open(os.path.join(folder, "stats.log"), "ab").close()
    env = dict(os.environ, VANTOR_REGISTRY=os.path.join(folder, "registry.reg"))
    floor = ([a.tool("qt_core_minimal")], folder, env, None)
    reps = max(a.reps, 21)  # a few milliseconds each: more runs for a steady median
    for name, cmd in (("VantorUtilities list", [a.utilities, "list"]),
                      ("VantorRecorder --help", [a.recorder, "--help"])):
        s, f = compare(reps, (cmd, folder, env, None), floor)
        print("start-up of %s (empty stats file), median of %d: %.1f ms beside a minimal Qt "
              "Core program's %.1f ms" % (name, reps, s.wall * 1e3, f.wall * 1e3))
        report.figure("start-up " + name, s.wall / f.wall, 2.0, "")


def run_capture(cmd, cwd, env=None):
    """One run of cmd with its standard output kept: (Run, output)."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out, err = proc.communicate()
    wall = time.perf_counter() - start
    if proc.returncode != 0:
        raise RuntimeError("%s failed: %s" % (" ".join(cmd), err.decode(errors="replace")))
    return wall, out.decode(errors="replace")


def peak_of(cmd, cwd, env=None):
    """Wall time and peak memory (KB) of one run."""
    r = run_once(cmd, cwd, env)
    return r.wall, r.peak_kb


def site_figures(a, report, players, games, build_target, refresh_target, memory_mb=None):
    folder = os.path.join(a.work, "site-%d-%d" % (players, games))
    data, www = os.path.join(folder, "data"), os.path.join(folder, "www")
    marker = os.path.join(folder, "made")
    history = a.tool("site_history")
    if not os.path.exists(marker):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(data)
        subprocess.run([history, "make", data, str(players), str(games)], check=True)
        open(marker, "w").close()
    env = dict(os.environ, VANTOR_REGISTRY=os.path.join(folder, "registry.reg"))
    shutil.rmtree(www, ignore_errors=True)
    sync_disk()
    wall, peak = peak_of([a.utilities, "site", www, "--quiet"], data, env)
    print("site of %d players, %d games, built from nothing: %.1f s, peak %d MB"
          % (players, games, wall, peak // 1024))
    report.figure("site %dk games built (s)" % (games // 1000), wall, build_target, "")
    if memory_mb:
        report.figure("site %dk games peak (MB)" % (games // 1000), peak / 1024, memory_mb, "")
    refreshes, written = [], []
    for _ in range(a.reps):
        subprocess.run([history, "add", data, str(players)], check=True)
        sync_disk()
        t, out = run_capture([a.utilities, "site", www], data, env)
        refreshes.append(t)
        written.append(int(out.split(" written")[0].split()[-1]))
    t = statistics.median(refreshes)
    print("site refreshed after one more game: %.3f s (median of %d), %d files written at most"
          % (t, a.reps, max(written)))
    report.figure("site %dk games refresh (s)" % (games // 1000), t, refresh_target, "")
    report.figure("site %dk games files after a game" % (games // 1000), max(written), 25, "")


def figure_site(a, report):
    site_figures(a, report, 10000, 100000, 30, 0.2)


def figure_site_large(a, report):
    site_figures(a, report, 100000, 1000000, 600, 1.0, memory_mb=1024)


FIGURES = {"rank": figure_rank, "page": figure_page, "live": figure_live,
           "upload": figure_upload, "startup": figure_startup, "site": figure_site,
           "site-large": figure_site_large}


def main():
    p = argparse.ArgumentParser()
    p.add_argument("build")
    p.add_argument("work")
    p.add_argument("--reps", type=int, default=5)
    # The million-game site takes many minutes to make: only when asked for.
    p.add_argument("--only", nargs="*", default=[f for f in FIGURES if f != "site-large"])
    a = p.parse_args()
    a.build, a.work = os.path.abspath(a.build), os.path.abspath(a.work)
    a.utilities = os.path.join(a.build, "utilities", "VantorUtilities")
    a.recorder = os.path.join(a.build, "recorder", "VantorRecorder")
    tools = {"make_stats_file": "tools", "io_floor": "tools", "qt_core_minimal": "tools",
             "live_game": "live", "site_history": "site"}
    a.tool = lambda name: os.path.join(a.build, "bench", tools[name], name)
    os.makedirs(a.work, exist_ok=True)
    report = Report()
    print("Whole processes, median of %d runs, each beside its floor in the same run:" % a.reps)
    for name in a.only:
        FIGURES[name](a, report)
    if report.misses:
        print("Missed: " + ", ".join(report.misses))
    else:
        print("Every target met.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
