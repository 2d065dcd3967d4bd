// The "FTP Upload" page and its status window, driven headless.
#include "utilities/ui/upload_status_window.h"
#include "utilities/ui/utilities_window.h"

#include "ftp/ftp_client.h"
#include "ftp/ftp_settings.h"
#include "platform/settings_store.h"
#include "tests/ftp/fake_ftp_server.h"
#include "tests/ftp/local_ftp_server.h"
#include "tests/support/fakes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;
using vantor::utilities::UtilitiesWindow;

namespace {

// The window on a fresh data folder, on its "FTP Upload" page.
struct FtpPage {
    TempFolder dir;
    SettingsStore settings{dir.file(QStringLiteral("registry.reg"))};
    RecordingDialogs dialogs;
    RecordingShell shell;
    std::unique_ptr<UtilitiesWindow> form;

    void open() {
        form = std::make_unique<UtilitiesWindow>(dialogs, shell, settings);
        form->show();
        form->pageTabs->setCurrentIndex(2);
    }
    void fill(const QString& host, const QString& port, const QString& user,
              const QString& password, const QString& dir) const {
        form->HostName->setText(host);
        form->HostPort->setText(port);
        form->UserName->setText(user);
        form->Password->setText(password);
        form->HostDir->setText(dir);
    }
    void select(const QString& file) const {
        const auto items = form->pageFileList->findItems(file, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << file.toStdString();
        form->pageFileList->setCurrentItem(items.first());
    }
    QStringList listed() const {
        QStringList files;
        for (int i = 0; i < form->pageFileList->count(); ++i)
            files << form->pageFileList->item(i)->text();
        return files;
    }
    QStringList statusLines() const { return form->statusWindow->lines(); }
};

} // namespace

TEST(FtpPage, StatusWindowIsMadeHiddenWithOneEmptyLine) {
    FtpPage p;
    p.form = std::make_unique<UtilitiesWindow>(p.dialogs, p.shell, p.settings);
    utilities::UploadStatusWindow& s = *p.form->statusWindow;
    EXPECT_TRUE(s.isHidden());
    EXPECT_EQ(s.windowTitle(), QStringLiteral("FTP Upload Status..."));
    EXPECT_TRUE(s.textArea->isReadOnly());
    EXPECT_EQ(s.closeButton->text(), QStringLiteral("Close"));
    EXPECT_EQ(s.lines(), QStringList({QString()}));

    s.addLine(nullptr, "< 220 ready");
    s.addLine(nullptr, "> USER bob");
    EXPECT_EQ(s.lines(), QStringList({"", "< 220 ready", "> USER bob"}));
    s.show();
    QTest::mouseClick(s.closeButton, Qt::LeftButton);
    EXPECT_TRUE(s.isHidden());
    EXPECT_EQ(s.textArea->toPlainText(), QString());
    EXPECT_EQ(s.lines(), QStringList());
    s.addLine(nullptr, "< 220 again");
    EXPECT_EQ(s.lines(), QStringList({"< 220 again"}));

    // The title bar hides it and keeps the lines.
    s.show();
    s.close();
    EXPECT_TRUE(s.isHidden());
    EXPECT_EQ(s.lines(), QStringList({"< 220 again"}));
}

TEST(FtpPage, StatusWindowWrapsLongLinesAndEscapeClosesIt) {
    FtpPage p;
    p.form = std::make_unique<UtilitiesWindow>(p.dialogs, p.shell, p.settings);
    utilities::UploadStatusWindow& s = *p.form->statusWindow;
    const QByteArray path = "/home/marrow/" + QByteArray(200, 'x') + "/stats.html";
    s.addLine(nullptr, "< 550 " + path + ": No such file or directory");
    s.show();
    QPlainTextEdit* memo = s.textArea;
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // Shown on several rows, even the part without blanks; the line itself is unchanged.
    const QTextBlock last = memo->document()->lastBlock();
    ASSERT_NE(last.layout(), nullptr);
    EXPECT_GE(last.layout()->lineCount(), 3);
    EXPECT_EQ(memo->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(s.lines().last(),
              "< 550 " + QString::fromLatin1(path) + ": No such file or directory");

    // Escape closes it as the title bar does: the lines stay for the next look.
    QTest::keyClick(memo, Qt::Key_Escape);
    EXPECT_TRUE(s.isHidden());
    EXPECT_EQ(s.lines().size(), 2);
}

TEST(FtpPage, TransmitChecksHostLoginPasswordThenTheFile) {
    FtpPage p;
    writeFile(QStringLiteral("MyStats.html"), "page");
    p.open();
    UtilitiesWindow& f = *p.form;
    const auto transmit = [&] {
        p.dialogs.shown.clear();
        QTest::mouseClick(f.transmitButton, Qt::LeftButton);
        return p.dialogs.shown;
    };
    // Password and login filled but no host: the host is asked for first.
    p.fill("", "", "bob", "pw", "");
    EXPECT_EQ(transmit(), QStringList({"beep", "info: Please enter Host address."}));
    p.fill("127.0.0.1", "", "", "pw", "");
    EXPECT_EQ(transmit(), QStringList({"beep", "info: Please enter Username."}));
    p.fill("127.0.0.1", "", "bob", "", "");
    EXPECT_EQ(transmit(), QStringList({"beep", "info: Please enter password."}));
    EXPECT_TRUE(f.ftpClient->HostName.isEmpty()); // nothing set before the three checks pass

    // All filled, no file selected: the client takes the fields, the window stays shut.
    p.fill("127.0.0.1", "2121", "bob", "pw", "www");
    EXPECT_EQ(transmit(), QStringList({"beep", "info:  Please select a file to transfer."}));
    EXPECT_TRUE(f.statusWindow->isHidden());
    EXPECT_EQ(f.ftpClient->HostName, "127.0.0.1");
    EXPECT_EQ(f.ftpClient->Port, "2121"); // the "Port:" field is where the server listens
    EXPECT_EQ(f.ftpClient->UserName, "bob");
    EXPECT_EQ(f.ftpClient->PassWord, "pw");
    EXPECT_EQ(f.ftpClient->HostDirName, "www");
    EXPECT_EQ(p.statusLines(), QStringList({QString()}));
}

TEST(FtpPage, SaveSettingsStoresTheFiveFieldsInOrder) {
    FtpPage p;
    p.open();
    p.fill("ftp.example.org", "21", "bob", "pw", "");
    QTest::mouseClick(p.form->saveSettingsButton, Qt::LeftButton);
    EXPECT_EQ(p.dialogs.shown,
              QStringList({"beep", "info: Your FTP Upload settings have been saved."}));
    EXPECT_EQ(readFile(p.settings.path()), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                                           "\"hostname\"=\"ftp.example.org\"\n\"port\"=\"21\"\n"
                                           "\"username\"=\"bob\"\n\"ftppassword\"=\"pw\"\n"
                                           "\"hostdirname\"=\"\"\n");

    // Empty fields are saved empty, with the same message; the page shows what was stored.
    p.dialogs.shown.clear();
    p.fill("", "", "", "", "");
    QTest::mouseClick(p.form->saveSettingsButton, Qt::LeftButton);
    EXPECT_EQ(p.dialogs.shown,
              QStringList({"beep", "info: Your FTP Upload settings have been saved."}));
    p.fill("typed", "typed", "typed", "typed", "typed");
    p.form->pageTabs->setCurrentIndex(0);
    p.form->pageTabs->setCurrentIndex(2);
    EXPECT_EQ(p.form->HostName->text(), QString());
    EXPECT_EQ(p.form->HostDir->text(), QString());
}

TEST(FtpPage, ASettingsStoreThatCannotBeWrittenReportsNoSuccess) {
    FtpPage p;
    QDir().mkpath(p.settings.path() + QStringLiteral("/x"));
    p.open();
    p.fill("h", "", "u", "p", "");
    QTest::mouseClick(p.form->saveSettingsButton, Qt::LeftButton);
    EXPECT_EQ(p.dialogs.shown, QStringList({"error: Failed to set data for 'hostname'"}));
}

TEST(FtpPage, DeleteAndBackspaceRemoveTheFileAndReReadTheList) {
    FtpPage p;
    for (const char* name : {"a.html", "b.html", "c.html"})
        writeFile(QString::fromLatin1(name), "x");
    writeFile(QStringLiteral("notes.txt"), "x");
    p.open();
    UtilitiesWindow& f = *p.form;
    EXPECT_EQ(p.listed(), QStringList({"a.html", "b.html", "c.html"}));

    writeFile(QStringLiteral("new.html"), "x"); // unseen until the next re-read
    EXPECT_EQ(p.listed().size(), 3);
    p.select(QStringLiteral("a.html"));
    QTest::mouseClick(f.deletePageButton, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(QStringLiteral("a.html")));
    EXPECT_EQ(p.listed(), QStringList({"b.html", "c.html", "new.html"}));

    p.select(QStringLiteral("b.html"));
    QTest::keyClick(f.pageFileList, Qt::Key_Delete); // only Backspace deletes
    QTest::keyClick(f.pageFileList, Qt::Key_A);
    EXPECT_TRUE(QFile::exists(QStringLiteral("b.html")));
    p.select(QStringLiteral("b.html"));
    QTest::keyClick(f.pageFileList, Qt::Key_Backspace);
    EXPECT_FALSE(QFile::exists(QStringLiteral("b.html")));
    EXPECT_EQ(p.listed(), QStringList({"c.html", "new.html"}));

    // Nothing selected: nothing deleted, the list is still re-read; no message either way.
    f.pageFileList->clearSelection();
    QFile::remove(QStringLiteral("new.html"));
    QTest::mouseClick(f.deletePageButton, Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(QStringLiteral("c.html")));
    EXPECT_EQ(p.listed(), QStringList({"c.html"}));
    EXPECT_TRUE(p.dialogs.shown.isEmpty());
}

TEST(FtpPage, AWrittenPageJoinsTheListWhenTheListIsUpdated) {
    FtpPage p;
    p.form = std::make_unique<UtilitiesWindow>(p.dialogs, p.shell, p.settings);
    p.form->show();
    writeFile(QStringLiteral("Rankings.html"), "x");
    p.form->refreshPageList(); // before the page was ever shown: nothing to update
    EXPECT_EQ(p.listed(), QStringList());
    p.form->pageTabs->setCurrentIndex(2); // the first showing drops "Rankings.html"
    EXPECT_EQ(p.listed(), QStringList());
    writeFile(QStringLiteral("MyStats.html"), "x");
    p.form->pageTabs->setCurrentIndex(1);
    p.form->refreshPageList();
    EXPECT_EQ(p.listed(), QStringList({"MyStats.html"}));
}

namespace {

// The page filled in and pointed at a scripted server, with a page selected.
struct FakeServerPage : FtpPage {
    FakeFtpServer server;
    ScopedEnv port{"VANTOR_FTP_PORT", server.portText()};
    QByteArray page = QByteArray(64 * 1024, 's');

    FakeServerPage() {
        writeFile(QStringLiteral("MyStats.html"), page);
        open();
        fill(QStringLiteral("127.0.0.1"), QStringLiteral("21"), QStringLiteral("bob"),
             QStringLiteral("secret"), QString());
        select(QStringLiteral("MyStats.html"));
    }
};

} // namespace

TEST(FtpPage, TheStatusWindowFillsWhileTheUploadRunsAndTransmitWaits) {
    FakeServerPage p;
    UtilitiesWindow& f = *p.form;
    struct Look {
        int lines;
        bool shown;
        bool transmitEnabled;
    };
    QList<Look> looks;
    // Looks at the window on every turn of the event loop while the upload runs.
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        looks << Look{int(p.statusLines().size()), f.statusWindow->isVisible(),
                      f.transmitButton->isEnabled()};
        f.transmit(); // a second press while the first runs changes nothing
        f.HostName->setText(QStringLiteral("elsewhere"));
    });
    timer.start();
    QTest::mouseClick(f.transmitButton, Qt::LeftButton);
    timer.stop();

    EXPECT_EQ(p.server.stored, p.page);
    EXPECT_EQ(p.server.controlConnections, 1);
    EXPECT_EQ(f.ftpClient->HostName, "127.0.0.1");
    EXPECT_TRUE(p.dialogs.shown.isEmpty()) << p.dialogs.shown.join('\n').toStdString();
    ASSERT_GE(looks.size(), 3);
    const int total = int(p.statusLines().size());
    bool sawPartial = false;
    for (const Look& l : looks) {
        EXPECT_TRUE(l.shown);
        EXPECT_FALSE(l.transmitEnabled);
        sawPartial = sawPartial || (l.lines > 1 && l.lines < total);
    }
    EXPECT_TRUE(sawPartial) << "the lines all came at the end";
    EXPECT_TRUE(f.transmitButton->isEnabled());
    EXPECT_TRUE(f.statusWindow->isVisible()); // stays open after the upload
}

TEST(FtpPage, LinesPileUpOverUploadsUntilClose) {
    FakeServerPage p;
    UtilitiesWindow& f = *p.form;
    QTest::mouseClick(f.transmitButton, Qt::LeftButton);
    const QStringList first = p.statusLines();
    ASSERT_GE(first.size(), 2);
    EXPECT_EQ(first.first(), QString()); // the text area's own first line
    EXPECT_TRUE(first.at(1).startsWith(QStringLiteral("< 220")));
    // Anyone behind the user sees the status window: the password is masked there too.
    EXPECT_TRUE(first.contains(QStringLiteral("> PASS ********")));
    EXPECT_TRUE(first.filter(QStringLiteral("secret")).isEmpty());
    EXPECT_FALSE(first.filter(QStringLiteral("> CWD")).size()); // empty "Initial Path:"
    EXPECT_TRUE(first.last().startsWith(QStringLiteral("< 221")));

    QTest::mouseClick(f.transmitButton, Qt::LeftButton);
    const QStringList both = p.statusLines();
    EXPECT_EQ(both.mid(0, first.size()), first);
    EXPECT_EQ(both.count(QStringLiteral("> STOR MyStats.html")), 2);

    QTest::mouseClick(f.statusWindow->closeButton, Qt::LeftButton);
    EXPECT_TRUE(f.statusWindow->isHidden());
    QTest::mouseClick(f.transmitButton, Qt::LeftButton);
    EXPECT_TRUE(f.statusWindow->isVisible());
    EXPECT_TRUE(p.statusLines().first().startsWith(QStringLiteral("< 220")));
    EXPECT_EQ(p.statusLines().count(QStringLiteral("> STOR MyStats.html")), 1);
}

TEST(FtpPage, AnUnreachableServerIsShownInTheStatusWindowOnly) {
    FakeServerPage p;
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 refused = probe.serverPort();
    ScopedEnv port("VANTOR_FTP_PORT", QByteArray::number(refused));
    probe.close();
    QTest::mouseClick(p.form->transmitButton, Qt::LeftButton);
    EXPECT_TRUE(p.dialogs.shown.isEmpty());
    EXPECT_TRUE(p.form->statusWindow->isVisible());
    EXPECT_EQ(p.statusLines(),
              QStringList({"", QStringLiteral("! Could not connect to 127.0.0.1 port %1: "
                                              "connection refused")
                                   .arg(refused)}));
}

TEST(FtpPage, LineBreaksOrNulInTheFieldsAreNeitherSavedNorSent) {
    FakeServerPage p;
    const QByteArray before = readFile(p.settings.path());
    const struct {
        QLineEdit* field;
        QString value;
        QString message;
    } cases[] = {
        {p.form->UserName, "bob\r\nDELE important.html",
         "The user name contains a line break or NUL character"},
        {p.form->Password, QString("secret") + QChar(u'\0'),
         "The password contains a line break or NUL character"},
        {p.form->HostDir, "/\r\nDELE important.html",
         "The folder contains a line break or NUL character"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        const QString good = c.field->text();
        c.field->setText(c.value);
        p.dialogs.shown.clear();
        QTest::mouseClick(p.form->saveSettingsButton, Qt::LeftButton);
        EXPECT_EQ(p.dialogs.shown, QStringList({"beep", "info: " + c.message}));
        EXPECT_EQ(readFile(p.settings.path()), before);

        // "Transmit" sends nothing either: the status window says why.
        QTest::mouseClick(p.form->transmitButton, Qt::LeftButton);
        EXPECT_TRUE(p.statusLines().contains("! " + c.message))
            << p.statusLines().join('\n').toStdString();
        c.field->setText(good);
    }

    // A port that is no number and no service the system knows would fail every upload.
    const QString port = p.form->HostPort->text();
    p.form->HostPort->setText(QStringLiteral("nosuchservice"));
    p.dialogs.shown.clear();
    QTest::mouseClick(p.form->saveSettingsButton, Qt::LeftButton);
    EXPECT_EQ(p.dialogs.shown, QStringList({"beep", "info: " + portProblem("nosuchservice")}));
    EXPECT_TRUE(
        p.dialogs.shown.value(1).contains(QStringLiteral("\"nosuchservice\" is not a port")));
    EXPECT_EQ(readFile(p.settings.path()), before);
    p.form->HostPort->setText(port);

    // The server met only the clean upload that follows.
    QTest::mouseClick(p.form->transmitButton, Qt::LeftButton);
    EXPECT_EQ(p.server.stored, p.page) << p.statusLines().join('\n').toStdString();
    EXPECT_EQ(p.server.controlConnections, 1);
    EXPECT_EQ(p.server.commands.first(), "USER bob");
}

TEST(FtpPage, TransmitLandsTheChosenPageOnARealServer) {
    LocalFtpServer server;
    QString error;
    ASSERT_TRUE(server.start(&error)) << error.toStdString();
    ScopedEnv port("VANTOR_FTP_PORT", QByteArray::number(server.port()));
    ASSERT_TRUE(QDir(server.root()).mkdir(QStringLiteral("stats")));

    FtpPage p;
    writeFile(QStringLiteral("MyStats.html"), "<html>mine</html>");
    writeFile(QStringLiteral("Other.html"), "<html>other</html>");
    p.open();
    p.fill(QStringLiteral("127.0.0.1"), QStringLiteral("2121"),
           QString::fromLatin1(server.userName()), QString::fromLatin1(server.password()),
           QStringLiteral("stats"));
    p.select(QStringLiteral("MyStats.html"));
    QTest::mouseClick(p.form->transmitButton, Qt::LeftButton);
    EXPECT_EQ(readFile(server.root() + QStringLiteral("/stats/MyStats.html")), "<html>mine</html>")
        << p.statusLines().join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(server.root() + QStringLiteral("/stats/Other.html")));
    const QStringList lines = p.statusLines();
    EXPECT_TRUE(lines.contains(QStringLiteral("> CWD stats")));
    EXPECT_TRUE(lines.contains(QStringLiteral("> PASS ********")));
    EXPECT_EQ(lines.filter(QStringLiteral("! 17 bytes received/sent in ")).size(), 1);
    EXPECT_TRUE(p.dialogs.shown.isEmpty());
}

TEST(FtpPage, ConnectionChoicesAreSavedShownAndUsed) {
    FtpPage p;
    writeFile(QStringLiteral("MyStats.html"), "page");
    p.open();
    UtilitiesWindow& f = *p.form;
    EXPECT_EQ(f.PassiveMode->text(), "Passive mode");
    EXPECT_EQ(f.SecureConnection->text(), "Secure connection (TLS)");
    EXPECT_FALSE(f.PassiveMode->isChecked());
    EXPECT_FALSE(f.SecureConnection->isChecked());
    // Below the other controls, inside the page.
    EXPECT_GT(f.PassiveMode->y(), f.saveSettingsButton->y());
    EXPECT_GT(f.CertFingerprint->y(), f.PassiveMode->y());
    EXPECT_LE(f.CertFingerprint->geometry().bottom(), f.ftpGroup->height());

    p.fill("ftp.example.org", "2121", "bob", "pw", "");
    f.PassiveMode->setChecked(true);
    f.SecureConnection->setChecked(true);
    const QString pin(64, QLatin1Char('b'));
    f.CertFingerprint->setText(pin);
    QTest::mouseClick(f.saveSettingsButton, Qt::LeftButton);
    const auto key = p.settings.openKey(kVantorKey, false);
    EXPECT_EQ(key->readString("ftpmode"), "passive");
    EXPECT_EQ(key->readString("ftptls"), "explicit");
    EXPECT_EQ(key->readString("ftpcertsha256"), pin);

    // Shown again when the page is selected; taken by the client on "Transmit".
    f.PassiveMode->setChecked(false);
    f.CertFingerprint->clear();
    f.pageTabs->setCurrentIndex(0);
    f.pageTabs->setCurrentIndex(2);
    EXPECT_TRUE(f.PassiveMode->isChecked());
    EXPECT_TRUE(f.SecureConnection->isChecked());
    EXPECT_EQ(f.CertFingerprint->text(), pin);
    p.dialogs.shown.clear();
    QTest::mouseClick(f.transmitButton, Qt::LeftButton); // no file selected: stops after the fields
    EXPECT_TRUE(f.ftpClient->Passive);
    EXPECT_EQ(f.ftpClient->Security, vantor::ftpTlsExplicit);
    EXPECT_EQ(f.ftpClient->CertSha256, pin.toLatin1());

    // A fingerprint that is not one is refused, by both buttons, before anything happens.
    f.CertFingerprint->setText("12:34");
    p.dialogs.shown.clear();
    QTest::mouseClick(f.saveSettingsButton, Qt::LeftButton);
    QTest::mouseClick(f.transmitButton, Qt::LeftButton);
    ASSERT_EQ(p.dialogs.shown.size(), 4);
    EXPECT_TRUE(p.dialogs.shown[1].contains("SHA-256")) << p.dialogs.shown[1].toStdString();
    EXPECT_EQ(p.dialogs.shown[3], p.dialogs.shown[1]);
    EXPECT_EQ(p.settings.openKey(kVantorKey, false)->readString("ftpcertsha256"), pin);
    EXPECT_TRUE(f.statusWindow->isHidden());
}
