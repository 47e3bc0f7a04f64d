#pragma once

#include "history/ClipRecords.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace tessaly::test {

// A text capture as the clipboard reader would make it for `text`.
Capture textCapture(const QString &text, const QString &bundleID = {}, const QString &appName = {});

// Runs the event loop until `done` answers true or the timeout passes; answers `done()`.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 5000);

// The POSIX mode bits of a file or directory (e.g. 0700).
unsigned modeOf(const QString &path);

// How many times slower than usual the programs under test run: the factor in
// TESSALY_TEST_SLOWDOWN (scripts/sanitize.sh sets it for ThreadSanitizer), else 1. Limits on
// latency are multiplied by it.
int slowdown();

} // namespace tessaly::test
