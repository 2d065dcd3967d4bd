#include "page_commands.h"

#include "common/data_files.h"

#include "common/error.h"
#include "platform/dialogs.h"

#include <QFile>

namespace vantor::utilities {

namespace {

// Message boxes become lines: information on standard output once the outcome is known (so
// that a quiet success prints nothing), failures on standard error.
class ConsoleDialogs : public Dialogs {
public:
    explicit ConsoleDialogs(QTextStream& err) : err_(err) {}
    void information(const QString& text) override { lines_ << text.trimmed(); }
    bool askYesNo(const QString& text) override {
        lines_ << text.trimmed();
        return false;
    }
    void error(const QString& text) override { err_ << text << Qt::endl; }
    void beep() override {}

    void showInformation(QTextStream& out) const {
        for (const QString& line : lines_)
            out << line << Qt::endl;
    }

private:
    QTextStream& err_;
    QStringList lines_;
};

} // namespace

int runPageCommand(const PageCommand& c, const SettingsStore& store, const Ranker& ranker,
                   QTextStream& out, QTextStream& err) {
    // The window's message names no file; a terminal's user needs to know which one is missing.
    const QString statsFile = statsFileName(c.gameType);
    if (!statsFile.isEmpty() && !QFile::exists(statsFile)) {
        err << "\"" << statsFile << "\" not found. "
            << (c.rankings ? "There are no Stats to view." : "HTML file was NOT created.") << '\n';
        return 1;
    }
    ConsoleDialogs dialogs(err);
    PageCreation maker(store, dialogs, ranker);
    bool written = false;
    try {
        if (c.rankings) {
            written = maker.createRankingsPage(c.gameType, c.rankKey);
        } else {
            RecentPageEntries histories = loadRecentEntries(store);
            written = maker.createStatsPage({c.gameType, c.rankKey, c.comment, c.file}, histories);
        }
    } catch (const Error& e) {
        dialogs.showInformation(out);
        dialogs.error(e.message());
        return 1;
    } catch (const std::exception& e) {
        dialogs.showInformation(out);
        dialogs.error(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    if (!written || !c.quiet)
        dialogs.showInformation(out);
    if (written && c.rankings && !c.quiet)
        out << "Wrote \"" << kRankingsPage << "\", ranked by " << c.rankKey << ".\n";
    return written ? 0 : 1;
}

} // namespace vantor::utilities
