#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <sys/stat.h>

namespace tessaly::test {

Capture textCapture(const QString &text, const QString &bundleID, const QString &appName)
{
    Capture capture;
    capture.kind = ClipKind::Text;
    capture.text = text;
    PayloadItem item;
    item.insert(QStringLiteral("UTF8_STRING"), text.toUtf8());
    capture.payload.items.append(item);
    capture.byteSize = capture.payload.byteSize();
    capture.hash = QString::fromLatin1(
        QCryptographicHash::hash("text:" + text.toUtf8(), QCryptographicHash::Sha256).toHex());
    if (!bundleID.isEmpty())
        capture.sourceBundleID = bundleID;
    if (!appName.isEmpty())
        capture.sourceAppName = appName;
    return capture;
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

} // namespace tessaly::test
