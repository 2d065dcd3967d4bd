#include "programs.h"

#include "tests/support/store_text.h"

#include <QProcess>

namespace vantor::test {

QString recorderProgram() {
    return QStringLiteral(VANTOR_RECORDER);
}

QString utilitiesProgram() {
    return QStringLiteral(VANTOR_UTILITIES);
}

QProcessEnvironment programEnvironment(const QString& storePath) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VANTOR_REGISTRY"), storePath);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("WINEPREFIX"), storePath + QStringLiteral(".no-wine"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return env;
}

QByteArray recordingStore(const QString& gameFolder) {
    return storeText(QStringLiteral("\"AutoRecord\"=\"true\""), gameFolder).toUtf8();
}

ProgramRun runUtilities(const QStringList& arguments, const RunOptions& options) {
    QProcess p;
    p.setProcessEnvironment(options.env);
    p.setWorkingDirectory(options.workingDir);
    if (options.childSetup)
        p.setChildProcessModifier(options.childSetup);
    p.start(options.program, arguments);
    ProgramRun run;
    run.finished = p.waitForFinished(options.timeoutMs);
    if (!run.finished) {
        p.kill();
        p.waitForFinished(10000);
    }
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

int boundFromEnvironment(const char* name, int normal) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : normal;
}

} // namespace vantor::test
