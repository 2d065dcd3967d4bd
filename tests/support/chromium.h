#pragma once

#include <QString>

namespace vantor::test {

// Headless Chromium, where it is installed; empty when not.
QString chromiumPath();

// The page's document after loading it in headless Chromium with no network: every host name
// fails to resolve, so only what the page carries itself can show. Scripts run for a few
// seconds of virtual time. Empty when Chromium gave nothing; `profileFolder` must be writable.
// windowWidth: the window's width in pixels, as a phone's (0: Chromium's default).
QString loadedDom(const QString& chromium, const QString& pagePath, const QString& profileFolder,
                  int windowWidth = 0);

// A copy of `page` that reports, once loaded, how many of its images loaded (naturalWidth > 0)
// in an element the DOM shows as "images loaded: N of M; broken: SRC ...".
QByteArray withImageCheck(const QByteArray& page);
// "N of M; broken: ..." from such a DOM, or empty when the check did not run.
QString imageCheckResult(const QString& dom);

} // namespace vantor::test
