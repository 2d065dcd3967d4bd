// Ranking a stats file beside the I/O floor: a plain read of every record and a rewrite of the
// same file. Every measured run happens in a child process of its own, so that its peak memory
// is its own.
//   rank_bench RECORDS [--reps N] [--dir FOLDER] [--key KEY]...
#include "stats/rank_keys.h"
#include "stats/ranking.h"

#include "common/record_file.h"
#include "common/records.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantor;

namespace {

const QString kStats = QStringLiteral("stats.log");
const QString kPristine = QStringLiteral("pristine.log");

struct Sample {
    double seconds = 0;
    double peakGrowthMb = 0; // peak resident memory above what the process held before
};

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// A file like a busy server's: many players with few games, some veterans, a few blanks.
void makeStatsFile(const QString& path, std::int64_t count) {
    QRandomGenerator rng(42);
    RecordFile<PlayerStatsRecord> f(path);
    f.open(FixedRecordFile::Mode::Create);
    for (std::int64_t i = 0; i < count; ++i) {
        PlayerStatsRecord r;
        r.name.setText("player" + QByteArray::number(i));
        r.lastPlayed.setText("6/10/00");
        r.games = 1 + int(rng.bounded(rng.bounded(10) == 0 ? 2000 : 30));
        r.kills = int(rng.bounded(r.games * 12 + 1));
        r.deaths = int(rng.bounded(r.games * 10 + 1));
        r.hitPercentSum = int(rng.bounded(r.games * 100 + 1));
        r.roundsFired = int(rng.bounded(r.games * 150 + 1));
        r.roundsTaken = int(rng.bounded(r.games * 40 + 1));
        if (rng.bounded(50) == 0)
            r.name.bytes[0] = 0;
        f.write(r);
    }
    f.close();
}

void plainRewrite(bool sync) {
    const auto records = readAllRecords<PlayerStatsRecord>(kStats);
    if (sync) {
        rewriteRecords(QStringLiteral("work.dat"), kStats, records);
        return;
    }
    RecordFile<PlayerStatsRecord> work(QStringLiteral("work.dat"));
    work.open(FixedRecordFile::Mode::Create);
    for (const auto& r : records)
        work.write(r);
    work.close();
    replaceFile(QStringLiteral("work.dat"), kStats);
}

// Runs op in a child on a fresh copy of the pristine file.
Sample measure(const std::function<void()>& op) {
    QFile::remove(kStats);
    if (!QFile::copy(kPristine, kStats))
        throw std::runtime_error("cannot copy the stats file");
    ::sync(); // the copy's own write-back must not land inside the measurement
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        Sample s;
        const long before = residentKb();
        const auto start = std::chrono::steady_clock::now();
        try {
            op();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "failed: %s\n", e.what());
            ::_exit(1);
        }
        s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        struct rusage own {};
        ::getrusage(RUSAGE_SELF, &own);
        s.peakGrowthMb = double(own.ru_maxrss - before) / 1024.0;
        const ssize_t written = ::write(pipeFds[1], &s, sizeof s);
        ::_exit(written == sizeof s ? 0 : 1);
    }
    ::close(pipeFds[1]);
    Sample s;
    const bool got = ::read(pipeFds[0], &s, sizeof s) == sizeof s;
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("a measured run failed");
    return s;
}

Sample median(const std::function<void()>& op, int reps) {
    std::vector<Sample> samples;
    for (int i = 0; i < reps; ++i)
        samples.push_back(measure(op));
    std::sort(samples.begin(), samples.end(),
              [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; });
    Sample m = samples[samples.size() / 2];
    for (const auto& s : samples)
        m.peakGrowthMb = std::max(m.peakGrowthMb, s.peakGrowthMb);
    return m;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    std::int64_t records = 0;
    int reps = 3;
    QString folder;
    QStringList keys;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--reps") && i + 1 < args.size())
            reps = args[++i].toInt();
        else if (args[i] == QStringLiteral("--dir") && i + 1 < args.size())
            folder = args[++i];
        else if (args[i] == QStringLiteral("--key") && i + 1 < args.size())
            keys << args[++i];
        else
            records = args[i].toLongLong();
    }
    if (records <= 0 || reps <= 0) {
        std::fprintf(stderr,
                     "usage: rank_bench RECORDS [--reps N] [--dir FOLDER] [--key KEY]...\n");
        return 2;
    }
    if (keys.isEmpty())
        keys = stats::rankKeyTexts();

    QDir().mkpath(folder.isEmpty() ? QDir::tempPath() : folder);
    QTemporaryDir dir((folder.isEmpty() ? QDir::tempPath() : folder) +
                      QStringLiteral("/rank-bench-XXXXXX"));
    if (!dir.isValid() || !QDir::setCurrent(dir.path())) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    makeStatsFile(kPristine, records);
    const double fileMb = double(QFileInfo(kPristine).size()) / (1024.0 * 1024.0);

    const Sample floorPlain = median([] { plainRewrite(false); }, reps);
    const Sample floorSynced = median([] { plainRewrite(true); }, reps);
    std::printf("%lld records, %.1f MB, median of %d runs\n", static_cast<long long>(records),
                fileMb, reps);
    std::printf("  %-28s %9s %12s %12s %9s %7s\n", "operation", "seconds", "x read+write",
                "x +fsync", "peak MB", "x file");
    const auto row = [&](const QString& what, const Sample& s) {
        std::printf("  %-28s %9.3f %12.2f %12.2f %9.1f %7.2f\n", qPrintable(what), s.seconds,
                    s.seconds / floorPlain.seconds, s.seconds / floorSynced.seconds, s.peakGrowthMb,
                    s.peakGrowthMb / fileMb);
        std::fflush(stdout);
    };
    row(QStringLiteral("read + rewrite"), floorPlain);
    row(QStringLiteral("read + rewrite + fsync"), floorSynced);
    for (const QString& key : keys)
        row(QStringLiteral("rank by ") + key,
            median([key] { stats::rankStatsFile(kStats, key); }, reps));
    return 0;
}
