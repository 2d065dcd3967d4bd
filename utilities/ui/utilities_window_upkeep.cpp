// The "Player Data Utilities" page: listing, removing and pruning players, deleting the
// stats file.
#include "utilities_window.h"

#include "history/journaled/journaled_changes.h"
#include "stats/game_type.h"
#include "stats/upkeep.h"

#include "common/cp1252.h"
#include "platform/dialogs.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace vantor::utilities {

namespace {
// The exact bytes of a name travel with its list item; the text shown is only a decoding.
constexpr int kNameBytesRole = Qt::UserRole;
} // namespace

void UtilitiesWindow::setPlayerCount(qsizetype count) {
    const QString text = QStringLiteral("Total Players: %1").arg(count);
    PlayerCountLabel1->setText(text);
    PlayerCountLabel2->setText(text);
}

void UtilitiesWindow::listPlayers(bool zeroWhenMissing) {
    auto names = stats::listPlayers(statsFile_);
    if (!names) {
        if (zeroWhenMissing)
            setPlayerCount(0);
        return;
    }
    stats::sortForListing(*names);
    for (const QByteArray& name : *names) {
        auto* item = new QListWidgetItem(fromCp1252(name), playerList);
        item->setData(kNameBytesRole, name);
    }
    setPlayerCount(qsizetype(names->size()));
}

void UtilitiesWindow::refreshPlayers() {
    if (ranking_)
        return;
    guarded([&] {
        playerList->clear();
        statsFile_ = statsFileName(gameType_);
        if (statsFile_.isEmpty())
            return;
        listPlayers(true);
    });
}

void UtilitiesWindow::deleteSelectedPlayer() {
    if (ranking_)
        return;
    guarded([&] {
        if (statsFile_.isEmpty())
            return;
        QByteArray name;
        const auto selected = playerList->selectedItems();
        if (!selected.isEmpty())
            name = selected.first()->data(kNameBytesRole).toByteArray();
        // With nothing selected the file is still opened, so the list is only reloaded.
        if (!journaled::deletePlayer(journaling(), statsFile_, name))
            return;
        playerList->clear();
        statsFile_ = statsFileName(gameType_);
        listPlayers(false);
    });
}

void UtilitiesWindow::playerListKeyPress(int key) {
    if (key == kBackspaceChar)
        deleteSelectedPlayer();
}

bool UtilitiesWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == playerList && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace) {
        playerListKeyPress(kBackspaceChar);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void UtilitiesWindow::prunePlayers() {
    if (ranking_)
        return;
    guarded([&] {
        if (CountEdit->text().isEmpty())
            return;
        statsFile_ = statsFileName(gameType_);
        if (statsFile_.isEmpty())
            return;
        if (!journaled::deletePlayers(journaling(), statsFile_, CountEdit->text(),
                                      MeasureBox->currentText()))
            return;
        CountEdit->clear();
    });
}

void UtilitiesWindow::deleteStatsFile() {
    if (ranking_)
        return;
    guarded([&] {
        if (statsFileName(gameType_).isEmpty()) {
            dialogs_.information(stats::kSelectGameTypeMessage);
            return;
        }
        if (!dialogs_.askYesNo(stats::deleteStatsFileQuestion(gameType_)))
            return;
        // Deleted before the message, so that a failure is reported rather than a success.
        journaled::deleteStatsFiles(journaling(), gameType_);
        dialogs_.information(stats::statsFileDeletedMessage(gameType_));
    });
}

} // namespace vantor::utilities
