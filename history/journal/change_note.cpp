#include "change_note.h"

#include "common/data_files.h"
#include "common/error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>
#include <cstdio>
#include <sys/stat.h>

namespace vantor::history {

namespace {
void say(const WarnFn& warn, const QString& text) {
    if (warn)
        warn(text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// A failure once per process: a broken history must not repeat itself at every game.
void sayOnce(const WarnFn& warn, const QString& text) {
    static QSet<QString> said;
    if (said.contains(text))
        return;
    said.insert(text);
    say(warn, text);
}

const QString kLeftOut = QStringLiteral(
    " The stats files are updated all the same; the game history leaves this change out and "
    "waits for \"VantorUtilities rebuild --from-files --yes\".");
} // namespace

QString outOfStepMessage(const QString& reason) {
    return QStringLiteral("The game history \"%1\" no longer agrees with the stats files: %2. The "
                          "stats files stay as they are and go on being updated; the history "
                          "commands wait for \"VantorUtilities rebuild --from-files --yes\".")
        .arg(kHistoryFile, reason);
}

QByteArray claimKeyIn(const QString& dataFolder) {
    const QString path = QDir(dataFolder).filePath(kClaimedLogFile);
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    QByteArray bytes;
    try {
        bytes = readFileBytes(path);
    } catch (const Error&) {
        return {};
    }
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + ':' +
           QByteArray::number(qulonglong(st.st_ino));
}

ChangeNote::ChangeNote(const QString& dataFolder, WarnFn warn)
    : folder_(dataFolder), warn_(std::move(warn)) {
    try {
        journal_ = Journal::openOrCreate(dataFolder);
        journal_->settlePending(claimKeyIn(dataFolder));
        const Journal::StepCheck check = journal_->checkFiles();
        if (!check.inStep) {
            // Once: the history keeps that it disagrees until a new baseline.
            if (check.firstTime)
                say(warn_, outOfStepMessage(check.reason));
            journal_.reset();
        }
    } catch (const Error& e) {
        failed(e.message());
    }
}

ChangeNote::~ChangeNote() = default;

void ChangeNote::failed(const QString& why) {
    if (journal_) {
        try {
            journal_->markOutOfStep(why);
        } catch (const Error&) {
            // Not even that: the digests tell the next reader.
        }
    }
    journal_.reset();
    sayOnce(warn_, why + kLeftOut);
}

std::int64_t ChangeNote::addGame(const GameRecord& game, const QByteArray& claimKey,
                                 const ChangeTracker* tracker) {
    if (!journal_)
        return 0;
    try {
        const auto hints = tracker ? tracker->updated(folder_, journal_->knownStates())
                                   : std::map<QString, FileState>{};
        return journal_->addGame(game, claimKey, hints);
    } catch (const Error& e) {
        failed(e.message());
        return 0;
    }
}

void ChangeNote::add(const ChangeEvent& event, const std::map<QString, FileState>& hints) {
    if (!journal_)
        return;
    try {
        journal_->addChange(event, hints);
    } catch (const Error& e) {
        failed(e.message());
    }
}

AliasMap ChangeNote::aliases(bool coop) {
    if (!journal_)
        return {};
    try {
        return aliasMap(journal_->database(), coop);
    } catch (const Error& e) {
        failed(e.message());
        return {};
    }
}

void ChangeNote::takeBack(std::int64_t id) {
    if (!journal_ || id == 0)
        return;
    try {
        journal_->removeEvent(id);
    } catch (const Error& e) {
        failed(e.message());
    }
}

} // namespace vantor::history
