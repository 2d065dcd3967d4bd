#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vantor::test {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

// The built program, run in the current folder as game hosts run it. No command may need a
// window: a platform that does not exist would end the program.
inline Outcome utilities(const QStringList& arguments,
                         const QProcessEnvironment& extra = QProcessEnvironment()) {
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(extra);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VANTOR_UTILITIES), arguments);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace vantor::test
