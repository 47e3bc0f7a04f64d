#include "support/TestSupport.h"

#include "capture/ClipboardReader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QThread>
#include <QUrl>

#include <sys/stat.h>

namespace tessaly::test {

namespace {

Capture fromSource(Capture capture, const QString &bundleID, const QString &appName)
{
    capture.byteSize = capture.payload.byteSize();
    if (!bundleID.isEmpty())
        capture.sourceBundleID = bundleID;
    if (!appName.isEmpty())
        capture.sourceAppName = appName;
    return capture;
}

Capture stringCapture(ClipKind kind, const QString &text, const QString &bundleID,
                      const QString &appName)
{
    Capture capture;
    capture.kind = kind;
    capture.text = text;
    PayloadItem item;
    item.insert(QStringLiteral("UTF8_STRING"), text.toUtf8());
    capture.payload.items.append(item);
    capture.hash = ClipboardReader::textHash(text);
    return fromSource(std::move(capture), bundleID, appName);
}

} // namespace

Capture textCapture(const QString &text, const QString &bundleID, const QString &appName)
{
    return stringCapture(ClipKind::Text, text, bundleID, appName);
}

Capture linkCapture(const QString &url, const QString &bundleID, const QString &appName)
{
    return stringCapture(ClipKind::Link, url, bundleID, appName);
}

Capture colorCapture(const QString &hex, const QString &bundleID, const QString &appName)
{
    return stringCapture(ClipKind::Color, hex, bundleID, appName);
}

Capture filesCapture(const QStringList &paths, const QString &bundleID, const QString &appName)
{
    Capture capture;
    capture.kind = ClipKind::File;
    capture.filePaths = paths;
    QStringList names;
    QList<QByteArray> uris;
    for (const QString &path : paths) {
        names.append(path.section(u'/', -1));
        uris.append(QUrl::fromLocalFile(path).toEncoded());
    }
    capture.text = names.join(u'\n');
    PayloadItem item;
    item.insert(QStringLiteral("text/uri-list"), uris.join("\r\n"));
    capture.payload.items.append(item);
    capture.hash = ClipboardReader::filesHash(paths);
    return fromSource(std::move(capture), bundleID, appName);
}

Capture imageCapture(const QByteArray &data, const QString &type)
{
    Capture capture;
    capture.kind = ClipKind::Image;
    PayloadItem item;
    item.insert(type, data);
    capture.payload.items.append(item);
    capture.hash = ClipboardReader::hash(data);
    return fromSource(std::move(capture), {}, {});
}

int slowdown()
{
    bool ok = false;
    const int factor = qEnvironmentVariableIntValue("TESSALY_TEST_SLOWDOWN", &ok);
    return ok && factor > 1 ? factor : 1;
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

unsigned modeOf(const QString &path)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

QByteArray pngBytes(int width, int height, const QColor &color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace tessaly::test
