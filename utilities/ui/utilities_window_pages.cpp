// The "HTML File Creation" page and "View Player Rankings": ranking, then a page.
#include "utilities_window.h"

#include "history/journaled/journaled_changes.h"
#include "utilities/core/page_creation.h"

#include "platform/shell.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <limits>

namespace vantor::utilities {

namespace {
int clampToInt(std::int64_t v) {
    return int(std::min<std::int64_t>(v, std::numeric_limits<int>::max()));
}
} // namespace

std::vector<std::pair<QWidget*, bool>> UtilitiesWindow::holdOffDuringPage() {
    // The six controls of a page, and what would change the stats file or its binding while
    // the page processes events: the game type switch and "Delete Players".
    std::vector<std::pair<QWidget*, bool>> held;
    for (QWidget* w : std::initializer_list<QWidget*>{
             RankKeyBox, saveButton, refreshButton, deleteStatsFileButton, rankingsButton,
             deletePlayerButton, adversarialButton, cooperativeButton, deletePlayersButton,
             CountEdit, MeasureBox}) {
        held.emplace_back(w, w->isEnabled());
        w->setEnabled(false);
    }
    ranking_ = true;
    return held;
}

void UtilitiesWindow::releaseAfterPage(const std::vector<std::pair<QWidget*, bool>>& held) {
    for (const auto& [w, enabled] : held)
        w->setEnabled(enabled);
    ranking_ = false;
    progressBar->hide();
    progressBar->setValue(0);
}

PageCreation UtilitiesWindow::pageMaker() {
    PageCreation maker(settings_, dialogs_, [this](const QString& file, const QString& key) {
        journaled::rankStatsFile(
            journaling(), file, key,
            [this](std::int64_t maximum, std::int64_t position) {
                progressBar->setMaximum(clampToInt(maximum));
                progressBar->setValue(clampToInt(position));
            },
            [] { QCoreApplication::processEvents(); });
    });
    maker.progress.show = [this] { progressBar->show(); };
    maker.progress.hide = [this] {
        progressBar->hide();
        progressBar->setValue(0);
    };
    maker.progress.processEvents = [] { QCoreApplication::processEvents(); };
    return maker;
}

void UtilitiesWindow::showRecentEntries() {
    FileNameBox->clear();
    FileNameBox->addItems(recentFiles);
    FileNameBox->setCurrentIndex(-1);
    FileNameBox->clearEditText();
    CommentBox->clear();
    CommentBox->addItems(recentComments);
    CommentBox->setCurrentIndex(-1);
    CommentBox->clearEditText();
}

void UtilitiesWindow::savePage() {
    if (ranking_)
        return;
    guarded([&] {
        RecentPageEntries histories{RecentEntries(recentComments), RecentEntries(recentFiles)};
        // A comment offered before a stop stays in memory for the next page.
        const auto keep = qScopeGuard([&] {
            recentComments = histories.comments.entries();
            recentFiles = histories.files.entries();
        });
        bool written = false;
        {
            const auto held = holdOffDuringPage();
            const auto release = qScopeGuard([&] { releaseAfterPage(held); });
            written =
                pageMaker().createStatsPage({gameType_, RankKeyBox->currentText(),
                                             CommentBox->currentText(), FileNameBox->currentText()},
                                            histories);
        }
        if (!written)
            return;
        recentComments = histories.comments.entries();
        recentFiles = histories.files.entries();
        showRecentEntries();
        readHtmlFileList();
    });
}

void UtilitiesWindow::clearComment() {
    CommentBox->clearEditText();
}

void UtilitiesWindow::viewRankings() {
    if (ranking_)
        return;
    guarded([&] {
        bool written = false;
        {
            const auto held = holdOffDuringPage();
            const auto release = qScopeGuard([&] { releaseAfterPage(held); });
            written = pageMaker().createRankingsPage(gameType_, RankKeyBox->currentText());
        }
        if (written)
            shell_.open(kRankingsPage);
    });
}

} // namespace vantor::utilities
