#include "qt_messages.h"

#include "stderr_dialogs.h"

#include <cstring>

namespace vantor::recorder {

namespace {
StderrDialogs* sink = nullptr;

void toSink(QtMsgType, const QMessageLogContext& context, const QString& text) {
    if (sink)
        sink->note(qtMessageLine(context.category, text));
}
} // namespace

QString qtMessageLine(const char* category, const QString& text) {
    QString line = QStringLiteral("Qt");
    if (category && *category && std::strcmp(category, "default") != 0)
        line += QStringLiteral(" (%1)").arg(QString::fromLatin1(category));
    return line + QStringLiteral(": ") + text;
}

QtMessagesTo::QtMessagesTo(StderrDialogs& out) {
    sink = &out;
    previous_ = qInstallMessageHandler(toSink);
}

QtMessagesTo::~QtMessagesTo() {
    qInstallMessageHandler(previous_);
    sink = nullptr;
}

} // namespace vantor::recorder
