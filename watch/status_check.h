#pragma once

#include "platform/webhook_settings.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace vantor::watch {

// The `status` command's findings for a data folder.
struct StatusCheck {
    QStringList lines;    // what stands, one line each
    QStringList problems; // what is wrong, one line each
    QByteArray json;      // all of it as one JSON document
    bool healthy() const { return problems.isEmpty(); }
};

// Reads the status file, the recorder lock, the history, the recovery files and the webhook
// settings of dataFolder; changes nothing but the history's own out-of-step mark, which any
// program sets on finding the files changed behind its back.
StatusCheck checkStatus(const QString& dataFolder, const WebhookSettings& settings,
                        const QDateTime& now);

} // namespace vantor::watch
