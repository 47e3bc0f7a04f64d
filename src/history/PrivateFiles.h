#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tessaly {

// Files of the history hold whatever the user copied, passwords included: directories are made
// readable by the owner only (0700) and files written 0600.
namespace PrivateFiles {

// Creates the directory (and its missing parents, with the usual mode) as 0700; an existing
// one is tightened to 0700. Answers whether the directory exists afterwards.
bool ensureDirectory(const QString &path);

// Replaces the file in one step (a temporary file in the same directory, renamed over it), mode
// 0600. A reader never sees a partial file; on failure the previous file stays.
bool writeAtomically(const QString &path, const QByteArray &bytes);

// The whole file, or absent when it cannot be read, is not a regular file or is longer than
// maxBytes (a file damaged by a crash or replaced by something else is never read whole). The
// default is above anything the history writes: a snapshot holds at most 60 MiB.
std::optional<QByteArray> readAll(const QString &path, qint64 maxBytes = qint64(128) << 20);

} // namespace PrivateFiles
} // namespace tessaly
