#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace vantor::webhook {

// The URLs of a "webhookurl" or "alerturl" value: separated by blanks, tabs, commas or
// semicolons; empty parts dropped.
QStringList splitUrls(const QString& setting);

// Why a message may not go to url, or empty text. Only https is sent, except plain http to a
// loopback address (a receiver on the same machine): the URL holds the hook's secret.
QString urlProblem(const QUrl& url);

// The URL as every output shows it: scheme and host, the rest (which holds the hook's token)
// as "****". "https://discord.com/****".
QString maskedUrl(const QString& url);
QString maskedUrls(const QStringList& urls);

// text with every appearance of url's secret parts (the whole URL, its path and query, its
// user and password) replaced by the masked form, for messages of the network layer.
QString withoutSecrets(QString text, const QUrl& url);

} // namespace vantor::webhook
