// Both main windows carry the icon the launchers name, the very picture that is installed.
#include "platform/app_icon.h"
#include "platform/settings_store.h"
#include "recorder/ui/recorder_window.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"
#include "utilities/ui/utilities_window.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;

namespace {

const QString kInstalledIcon = QStringLiteral(VANTOR_INSTALLED_ICON);

// The icon drawn at the installed size, pixel for pixel what the installed file holds.
void expectInstalledPicture(const QIcon& icon) {
    ASSERT_FALSE(icon.isNull());
    const QImage installed(kInstalledIcon);
    ASSERT_FALSE(installed.isNull()) << kInstalledIcon.toStdString();
    EXPECT_EQ(installed.size(), QSize(128, 128)) << "the file is installed under hicolor/128x128";
    const QImage shown =
        icon.pixmap(installed.size()).toImage().convertToFormat(installed.format());
    EXPECT_EQ(shown, installed);
}

TEST(WindowIcon, RecorderWindowShowsTheInstalledIcon) {
    TempFolder dir;
    RecordingDialogs dialogs;
    RecordingShell shell;
    recorder::RecorderEnvironment env;
    env.dialogs = &dialogs;
    env.shell = &shell;
    env.settingsPath = dir.file(QStringLiteral("registry.reg"));
    env.gameKey = [](const SettingsStore&) { return GameKeyValues{}; };
    recorder::RecorderWindow form(std::move(env));
    expectInstalledPicture(form.windowIcon());
}

TEST(WindowIcon, UtilitiesWindowShowsTheInstalledIcon) {
    TempFolder dir;
    RecordingDialogs dialogs;
    RecordingShell shell;
    const SettingsStore settings(dir.file(QStringLiteral("registry.reg")));
    utilities::UtilitiesWindow form(dialogs, shell, settings);
    expectInstalledPicture(form.windowIcon());
}

TEST(WindowIcon, ApplicationIconIsThePackagedPicture) {
    expectInstalledPicture(applicationIcon());
}

} // namespace
