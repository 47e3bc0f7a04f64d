#include "history/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace tessaly::PrivateFiles {

namespace {
constexpr QFileDevice::Permissions ownerOnlyDirectory =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions ownerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
} // namespace

bool ensureDirectory(const QString &path)
{
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    if (!QFileInfo(absolute).isDir()) {
        // Parents get the usual mode; the directory itself is private from its first moment.
        QDir().mkpath(QFileInfo(absolute).path());
        if (!QDir().mkdir(absolute, ownerOnlyDirectory) && !QFileInfo(absolute).isDir())
            return false;
    }
    QFile::setPermissions(absolute, ownerOnlyDirectory);
    return QFileInfo(absolute).isDir();
}

bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The temporary file is created with the umask's mode (or the old file's); tighten it
    // before any byte is written.
    file.setPermissions(ownerOnlyFile);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QByteArray> readAll(const QString &path, qint64 maxBytes)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // As much as the file holds, read in pieces: asking for the limit at once would allocate all
    // of it for every small file.
    QByteArray bytes;
    bytes.reserve(qsizetype(info.size()));
    constexpr qint64 piece = 1 << 16;
    for (;;) {
        const qsizetype at = bytes.size();
        const qint64 wanted = std::min(piece, maxBytes + 1 - at);
        bytes.resize(at + qsizetype(wanted));
        const qint64 got = file.read(bytes.data() + at, wanted);
        if (got < 0)
            return std::nullopt;
        bytes.resize(at + qsizetype(got));
        if (bytes.size() > maxBytes)
            return std::nullopt; // it grew meanwhile
        if (got == 0)
            return bytes;
    }
}

} // namespace tessaly::PrivateFiles
