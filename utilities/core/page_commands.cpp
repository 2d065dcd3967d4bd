#include "page_commands.h"

#include "common/data_files.h"
#include "common/error.h"
#include "platform/dialogs.h"

namespace vantor::utilities {

namespace {

// Message boxes become lines: information on standard output, failures on standard error.
class ConsoleDialogs : public Dialogs {
public:
    ConsoleDialogs(QTextStream& out, QTextStream& err) : out_(out), err_(err) {}
    void information(const QString& text) override { out_ << text.trimmed() << Qt::endl; }
    bool askYesNo(const QString& text) override {
        out_ << text.trimmed() << Qt::endl;
        return false;
    }
    void error(const QString& text) override { err_ << text << Qt::endl; }
    void beep() override {}

private:
    QTextStream& out_;
    QTextStream& err_;
};

struct Options {
    QString file;
    QString key = QStringLiteral("Skill Points");
    bool keyGiven = false;
    QString comment;
    bool coop = false;
};

const QString kUsage =
    QStringLiteral("usage: VantorUtilities page FILE --by KEY [--comment TEXT] [--coop]\n"
                   "       VantorUtilities rankings [--by KEY] [--coop]");

// False (with the reason in `problem`) on an unknown option or a missing value.
bool parse(const QStringList& args, bool withFile, Options& o, QString& problem) {
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--by") || a == QLatin1String("--comment")) {
            if (!hasValue) {
                problem = QStringLiteral("%1 needs a value").arg(a);
                return false;
            }
            (a == QLatin1String("--by") ? o.key : o.comment) = args[++i];
            o.keyGiven = o.keyGiven || a == QLatin1String("--by");
        } else if (a == QLatin1String("--coop")) {
            o.coop = true;
        } else if (withFile && o.file.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            o.file = a;
        } else {
            problem = QStringLiteral("unexpected argument \"%1\"").arg(a);
            return false;
        }
    }
    if (withFile && o.file.isEmpty())
        problem = QStringLiteral("the page needs a file name");
    else if (withFile && !o.keyGiven)
        problem = QStringLiteral("the page needs a rank key (--by)");
    return problem.isEmpty();
}

} // namespace

std::optional<int> runPageCommand(const QStringList& args, const SettingsStore& store,
                                  const Ranker& ranker, QTextStream& out, QTextStream& err) {
    if (args.isEmpty())
        return std::nullopt;
    const bool page = args[0] == QLatin1String("page");
    if (!page && args[0] != QLatin1String("rankings"))
        return std::nullopt;
    Options o;
    QString problem;
    if (!parse(args, page, o, problem)) {
        err << problem << '\n' << kUsage << Qt::endl;
        return 2;
    }
    ConsoleDialogs dialogs(out, err);
    PageCreation maker(store, dialogs, ranker);
    const QString gameType = o.coop ? kCooperativeText : kAdversarialText;
    try {
        bool written = false;
        if (page) {
            PageHistories histories = loadHistories(store);
            written = maker.createStatsPage({gameType, o.key, o.comment, o.file}, histories);
        } else {
            written = maker.createRankingsPage(gameType, o.key);
        }
        return written ? 0 : 1;
    } catch (const Error& e) {
        dialogs.error(e.message());
    } catch (const std::exception& e) {
        dialogs.error(QString::fromLocal8Bit(e.what()));
    }
    return 1;
}

} // namespace vantor::utilities
