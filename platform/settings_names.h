#pragma once

#include <QString>

namespace vantor {

// The values of the programs' settings key. The store compares names without case, as the
// registry does.

// The FTP login and the way of connecting, one set for both programs.
inline const QString kHostNameSetting = QStringLiteral("hostname");
inline const QString kPortSetting = QStringLiteral("port");
inline const QString kUserNameSetting = QStringLiteral("username");
inline const QString kPasswordSetting = QStringLiteral("ftppassword");
inline const QString kHostDirSetting = QStringLiteral("hostdirname");
inline const QString kFtpModeSetting = QStringLiteral("ftpmode");
inline const QString kFtpTlsSetting = QStringLiteral("ftptls");
inline const QString kCertSha256Setting = QStringLiteral("ftpcertsha256");

// The live stats page's name, on the server as in the data folder.
inline const QString kHostFileNameSetting = QStringLiteral("hostfilename");
// The live page's reload time is read as "LiveStatsReloadTime" and saved as
// "LiveStatsReloadtime": both reach the same value, and stores written so far hold the second.
inline const QString kReloadTimeSetting = QStringLiteral("LiveStatsReloadTime");
inline const QString kReloadTimeSavedSetting = QStringLiteral("LiveStatsReloadtime");
// "true" or "false"; any other text leaves the choice as it was.
inline const QString kUseCustomImageSetting = QStringLiteral("usecustomimage");
inline const QString kCustomImagePathSetting = QStringLiteral("customimagepath");
// The recorder's "Auto Record" choice, "true" or "false", and the data folder it records into.
inline const QString kAutoRecordSetting = QStringLiteral("AutoRecord");
inline const QString kRecorderPathSetting = QStringLiteral("RecorderPath");

// The community site the recorder refreshes after each game: its folder (empty or missing: no
// site) and whether it is uploaded too, "true" or "false".
inline const QString kSiteFolderSetting = QStringLiteral("sitefolder");
inline const QString kSiteUploadSetting = QStringLiteral("siteupload");
// Web hooks told of every recorded game ("webhookurl": one or more URLs, "webhookformat":
// "discord" or "json") and of alerts ("alerturl" when they go elsewhere), with the alerts'
// limits. Written only once chosen: a store that never used them stays as it was.
inline const QString kWebhookUrlSetting = QStringLiteral("webhookurl");
inline const QString kWebhookFormatSetting = QStringLiteral("webhookformat");
// The web address where the live page or site is seen, linked from each game's message.
inline const QString kWebhookLinkSetting = QStringLiteral("webhooklink");
inline const QString kAlertUrlSetting = QStringLiteral("alerturl");
inline const QString kAlertUploadFailuresSetting = QStringLiteral("alertuploadfailures");
inline const QString kAlertDaysSetting = QStringLiteral("alertdays");
inline constexpr int kDefaultAlertUploadFailures = 3;
inline constexpr int kDefaultAlertDays = 7;
// The seasons of the standings: "YYYY-MM-DD NAME" entries in order, joined by '|'. Written only
// once a season is added.
inline const QString kSeasonsSetting = QStringLiteral("Seasons");

// The page maker's recent entries, numbered from 1: "file1", "file2", ... and "comment1", ...
inline const QString kRecentFileSetting = QStringLiteral("file");
inline const QString kRecentCommentSetting = QStringLiteral("comment");

inline const QString kTrueText = QStringLiteral("true");
inline const QString kFalseText = QStringLiteral("false");

} // namespace vantor
