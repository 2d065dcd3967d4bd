#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace vantor::recorder {

// What VantorRecorder was asked to do on its command line.
struct RecorderOptions {
    enum class Mode { Window, Headless, Help, Invalid };
    enum class LiveStatsChoice { FromSettings, On, Off };

    Mode mode = Mode::Window;
    LiveStatsChoice liveStats = LiveStatsChoice::FromSettings;
    // --site DIR or --no-site (""): the community site's folder instead of "sitefolder".
    std::optional<QString> siteFolder;
    // Why the command line was refused (Mode::Invalid).
    QString problem;
};

// Reads the arguments, the program name first. Options of the window's toolkit (one dash, as
// "-platform offscreen") are left to it in window mode and refused headless.
RecorderOptions parseRecorderArguments(const QStringList& arguments);

// The text of --help: every option, what it does, where things are kept.
QString recorderHelpText();

} // namespace vantor::recorder
