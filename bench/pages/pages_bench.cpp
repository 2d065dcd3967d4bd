// Ranking 100,000 players and writing their rankings page, beside the I/O floor: reading the
// stats file and writing a file of the page's size. Target: at most 3 times the floor.
//   pages_bench [--dir FOLDER] [benchmark options]
#include "common/file_writer.h"
#include "stats/ranking.h"
#include "utilities/core/page_creation.h"

#include "common/record_file.h"
#include "platform/dialogs.h"
#include "platform/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

using namespace vantor;
using namespace vantor::utilities;

namespace {

constexpr int kPlayers = 100000;

class SilentDialogs : public Dialogs {
public:
    void information(const QString&) override {}
    bool askYesNo(const QString&) override { return true; }
    void error(const QString&) override {}
    void beep() override {}
};

QString benchFolder; // --dir, else a temporary folder

void writeUnranked(const QString& path) {
    RecordFile<PlayerStatsRecord> f(path);
    f.open(FixedRecordFile::Mode::Create);
    for (int i = 1; i <= kPlayers; ++i) {
        PlayerStatsRecord r;
        r.name.setText("Player" + QByteArray::number(i));
        r.lastPlayed.setText("6/" + QByteArray::number(1 + i % 28) + "/00");
        r.games = 1 + i % 40;
        r.kills = (i * 37) % 997;
        r.deaths = (i * 53) % 611;
        r.hitPercentSum = r.games * (i % 100);
        r.roundsFired = r.kills * 9 + i % 50;
        r.roundsTaken = r.deaths * 4 + 1;
        f.write(r);
    }
    f.close();
}

// The data folder: an unranked stats file kept aside, copied in before every ranking.
struct Folder {
    QTemporaryDir dir{benchFolder.isEmpty() ? QDir::tempPath() + QStringLiteral("/pages-XXXXXX")
                                            : benchFolder + QStringLiteral("/pages-XXXXXX")};
    Folder() {
        QDir::setCurrent(dir.path());
        writeUnranked(QStringLiteral("unranked.log"));
    }
    void freshStats() const {
        QFile::remove(QStringLiteral("stats.log"));
        QFile::copy(QStringLiteral("unranked.log"), QStringLiteral("stats.log"));
    }
};

Folder& folder() {
    static Folder f;
    return f;
}

void BM_RankAndWritePage(benchmark::State& state) {
    folder();
    SettingsStore store(QDir::current().filePath(QStringLiteral("registry.reg")));
    SilentDialogs dialogs;
    PageCreation maker(store, dialogs, [](const QString& file, const QString& key) {
        stats::rankStatsFile(file, key);
    });
    maker.winePrefix = QDir::current().filePath(QStringLiteral("no-wine"));
    for (auto _ : state) {
        state.PauseTiming();
        folder().freshStats();
        state.ResumeTiming();
        if (!maker.createRankingsPage(QStringLiteral("Adversarial"),
                                      QStringLiteral("Skill Points")))
            state.SkipWithError("no page");
    }
    state.counters["page_MB"] = double(QFileInfo(kRankingsPage).size()) / 1e6;
}

void BM_IoFloor(benchmark::State& state) {
    folder().freshStats();
    if (!QFile::exists(kRankingsPage)) {
        state.SkipWithError("run BM_RankAndWritePage first");
        return;
    }
    const auto pageBytes = std::size_t(QFileInfo(kRankingsPage).size());
    // The same block size the page goes out in, so the two differ only in the work between.
    const std::string block(StatsPageWriter::kBlockBytes, 'x');
    for (auto _ : state) {
        auto records = readAllRecords<PlayerStatsRecord>(QStringLiteral("stats.log"));
        benchmark::DoNotOptimize(records.data());
        OutputFile out(QStringLiteral("floor.html"));
        for (std::size_t done = 0; done < pageBytes; done += block.size())
            out.write(std::string_view(block).substr(0, std::min(block.size(), pageBytes - done)));
        out.commit();
    }
}

BENCHMARK(BM_RankAndWritePage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IoFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the usual table, then the ratio of the two.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration)
                times[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dir")
            benchFolder = QString::fromLocal8Bit(argv[i + 1]);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto page = reporter.times.find("BM_RankAndWritePage");
    const auto floor = reporter.times.find("BM_IoFloor");
    if (page != reporter.times.end() && floor != reporter.times.end() && floor->second > 0)
        std::printf("rank + page / I/O floor: %.2f (target <= 3)\n", page->second / floor->second);
    benchmark::Shutdown();
    return 0;
}
