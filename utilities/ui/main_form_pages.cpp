// The "HTML File Creation" page and "View Player Rankings": ranking, then a page.
#include "main_form.h"

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

std::vector<std::pair<QWidget*, bool>> TForm1::holdOffDuringPage() {
    // The six controls of a page, and what would change the stats file or its binding while
    // the page processes events: the game type switch and "Delete Players".
    std::vector<std::pair<QWidget*, bool>> held;
    for (QWidget* w : std::initializer_list<QWidget*>{RankKeyBox, Button1, Button5, Button3,
                                                      Button4, Button6, RadioButton1, RadioButton2,
                                                      Button8, CountEdit, MeasureBox}) {
        held.emplace_back(w, w->isEnabled());
        w->setEnabled(false);
    }
    ranking_ = true;
    return held;
}

void TForm1::releaseAfterPage(const std::vector<std::pair<QWidget*, bool>>& held) {
    for (const auto& [w, enabled] : held)
        w->setEnabled(enabled);
    ranking_ = false;
    ProgressBar1->hide();
    ProgressBar1->setValue(0);
}

PageCreation TForm1::pageMaker() {
    PageCreation maker(settings_, dialogs_, [this](const QString& file, const QString& key) {
        journaled::rankStatsFile(
            journaling(), file, key,
            [this](std::int64_t maximum, std::int64_t position) {
                ProgressBar1->setMaximum(clampToInt(maximum));
                ProgressBar1->setValue(clampToInt(position));
            },
            [] { QCoreApplication::processEvents(); });
    });
    maker.progress.show = [this] { ProgressBar1->show(); };
    maker.progress.hide = [this] {
        ProgressBar1->hide();
        ProgressBar1->setValue(0);
    };
    maker.progress.processEvents = [] { QCoreApplication::processEvents(); };
    return maker;
}

void TForm1::showHistories() {
    FileNameBox->clear();
    FileNameBox->addItems(fileHistory);
    FileNameBox->setCurrentIndex(-1);
    FileNameBox->clearEditText();
    CommentBox->clear();
    CommentBox->addItems(commentHistory);
    CommentBox->setCurrentIndex(-1);
    CommentBox->clearEditText();
}

void TForm1::Button1Click() {
    if (ranking_)
        return;
    guarded([&] {
        PageHistories histories{History(commentHistory), History(fileHistory)};
        // A comment offered before a stop stays in memory for the next page.
        const auto keep = qScopeGuard([&] {
            commentHistory = histories.comments.entries();
            fileHistory = histories.files.entries();
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
        commentHistory = histories.comments.entries();
        fileHistory = histories.files.entries();
        showHistories();
        readHtmlFileList();
    });
}

void TForm1::Button9Click() {
    CommentBox->clearEditText();
}

void TForm1::Button4Click() {
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
