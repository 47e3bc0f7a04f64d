#pragma once

#include "history/ClipRecords.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace tessaly::test {

// Captures as the clipboard reader makes them, hashed by the reader's own rules, so that the
// store treats them as it treats what the reader hands it (a capture equal to an earlier one
// moves that entry to the top).
//
// A text entry of `text`, offered as UTF8_STRING.
Capture textCapture(const QString &text, const QString &bundleID = {}, const QString &appName = {});
// The same for a link or a colour (the kind is taken as given, not classified).
Capture linkCapture(const QString &url, const QString &bundleID = {}, const QString &appName = {});
Capture colorCapture(const QString &hex, const QString &bundleID = {}, const QString &appName = {});
// A file entry: its paths, their names one a line as its text, offered as text/uri-list.
Capture filesCapture(const QStringList &paths, const QString &bundleID = {},
                     const QString &appName = {});
// An image entry of `data` offered as `type`; no thumbnail and no size (the caller adds them
// where a test needs them).
Capture imageCapture(const QByteArray &data, const QString &type = QStringLiteral("image/png"));
// A PNG of one colour.
QByteArray pngBytes(int width, int height, const QColor &color = Qt::red);

// Runs the event loop until `done` answers true or the timeout passes; answers `done()`.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 5000);

// The POSIX mode bits of a file or directory (e.g. 0700).
unsigned modeOf(const QString &path);

// How many times slower than usual the programs under test run: the factor in
// TESSALY_TEST_SLOWDOWN (scripts/sanitize.sh sets it for ThreadSanitizer), else 1. Limits on
// latency are multiplied by it.
int slowdown();

} // namespace tessaly::test
