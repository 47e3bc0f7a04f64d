#pragma once

#include "history/ClipRecords.h"

#include <QImage>

namespace tessaly::test {

// History entries for the views' tests, used `ageSeconds` before `now`.
ClipItem sampleText(const QString &text, Instant now, double ageSeconds = 60,
                    const QString &bundleID = {}, const QString &appName = {});
ClipItem sampleLink(const QString &url, Instant now, double ageSeconds = 60,
                    const QString &bundleID = {}, const QString &appName = {});
ClipItem sampleColor(const QString &hex, Instant now, double ageSeconds = 60);
ClipItem sampleImage(qint64 width, qint64 height, Instant now, double ageSeconds = 60,
                     const QString &bundleID = {}, const QString &appName = {});
ClipItem sampleFiles(const QStringList &paths, Instant now, double ageSeconds = 60,
                     const QString &bundleID = {}, const QString &appName = {});

// A picture to stand for a thumbnail: a sky over hills, `width` × `height` pixels.
QImage sampleThumbnail(int width, int height);

} // namespace tessaly::test
