// A second process for the tests: writes settings values, or holds the data folder lock.
//   platform_helper write STORE PREFIX COUNT
//   platform_helper hold FOLDER MILLISECONDS   (prints "locked" once it holds the lock)
#include "platform/data_folder_lock.h"
#include "platform/settings_store.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("write")) {
        vantor::SettingsStore store(args[2]);
        auto key = store.openKey(vantor::kVantorKey, true);
        if (!key)
            return 1;
        for (int i = 0; i < args[4].toInt(); ++i)
            key->writeString(args[3] + QString::number(i), QString::number(i));
        return 0;
    }
    if (args.size() == 4 && args[1] == QLatin1String("hold")) {
        vantor::DataFolderLock lock(args[2]);
        if (!lock.tryLock())
            return 1;
        std::puts("locked");
        std::fflush(stdout);
        QThread::msleep(args[3].toULong());
        return 0;
    }
    return 2;
}
