#include "page_commands.h"

#include "common/error.h"
#include "platform/dialogs.h"

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
    return written ? 0 : 1;
}

} // namespace vantor::utilities
