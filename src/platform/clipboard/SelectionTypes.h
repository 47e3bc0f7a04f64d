#pragma once

#include "history/ClipRecords.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace tessaly::clipboard {

// How clipboard contents are named and encoded, by X11 selection owners and Wayland data
// sources alike (both name them by the same targets): which targets are protocol rather than
// content, where the plain text and the file list are, and what one plain string is offered as.
namespace SelectionTypes {

// TARGETS, MULTIPLE, TIMESTAMP, SAVE_TARGETS, DELETE, INSERT_SELECTION, INSERT_PROPERTY.
bool isMetaTarget(const QString &target);

// The targets that carry UTF-8 plain text, in order of preference.
const QStringList &utf8TextTargets();
// The legacy Latin-1 text target, read last.
QString latin1TextTarget();

// The text of a plain-text target. Absent when the bytes are not valid in the target's
// encoding (UTF-8, or Latin-1 for STRING, which always is); a trailing NUL is dropped.
std::optional<QString> decodeText(const QString &target, const QByteArray &bytes);
// The same with invalid sequences replaced by U+FFFD.
QString decodeTextLeniently(const QString &target, const QByteArray &bytes);

// The file URLs of a text/uri-list (RFC 2483: one URL a line, CRLF or LF, "#" comments), in
// order. Lines that are not URLs of local files (another scheme, another host, malformed) are
// left out.
QList<QUrl> fileURLsFromUriList(const QByteArray &bytes);
// The same for x-special/gnome-copied-files ("copy" or "cut", then one URL a line).
QList<QUrl> fileURLsFromGnomeCopiedFiles(const QByteArray &bytes);

// The plain text of one captured item: the UTF-8 text types in order of preference, each only
// when its bytes decode, then the Latin-1 one; absent when the item has none.
std::optional<QString> plainString(const PayloadItem &item);

// What one plain string is offered as: each target with its bytes, in order.
QList<std::pair<QString, QByteArray>> plainTextRepresentations(const QString &text);

} // namespace SelectionTypes
} // namespace tessaly::clipboard
