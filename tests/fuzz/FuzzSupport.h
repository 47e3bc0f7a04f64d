#pragma once

// What the fuzz targets share: a Qt application object that lives for the whole run, and a
// scratch folder for the decoders that read files.

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace tessaly::fuzz {

// Starts Qt once: a QGuiApplication on the offscreen platform when `gui`, else a
// QCoreApplication. Later calls return the same object.
inline QCoreApplication &application(bool gui = false)
{
    static int argc = 1;
    static char name[] = "tessaly-fuzz";
    static char *argv[] = {name, nullptr};
    static const std::unique_ptr<QCoreApplication> app =
        [&]() -> std::unique_ptr<QCoreApplication> {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (gui)
            return std::make_unique<QGuiApplication>(argc, argv);
        return std::make_unique<QCoreApplication>(argc, argv);
    }();
    return *app;
}

// A folder that lasts for the whole run.
inline const QString &scratchDir()
{
    static const QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input as callers hand it over: an empty one as the view of a null QByteArray (no data
// pointer), the way an empty file reads.
inline QByteArrayView viewOf(const uint8_t *data, size_t size)
{
    return size == 0 ? QByteArrayView() : QByteArrayView(data, qsizetype(size));
}

// Writes the input to `path`, replacing what was there.
inline bool writeFile(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

// A broken promise of the decoder under test: reported as a crash with the input that shows it.
#define TESSALY_FUZZ_CHECK(condition)                                                              \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);         \
            abort();                                                                               \
        }                                                                                          \
    } while (false)

} // namespace tessaly::fuzz
