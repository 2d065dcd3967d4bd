#pragma once

#include <QString>

namespace vantor {

// The application title (the taskbar text of the original). Kept apart from the window
// caption, which Qt would otherwise decorate with the display name.
void setApplicationTitle(const QString& title);
QString applicationTitle();

// The programs' names as their titles and captions show them, from the build's version and
// author (common/build_info.h).
QString utilitiesTitle();      // "Vantor v3.7.03"
QString utilitiesCaption();    // "Marrow's Vantor v3.7.03"
QString recorderTitle();       // "Vantor Recorder 3.7.03", at start
QString recorderIdleTitle();   // "Vantor Recorder 3.7", once a recording has stopped
QString recorderCaption();     // "Marrow's Vantor Recorder v3.7"
QString recorderReleaseText(); // "Release Build v3.7.03"

} // namespace vantor
