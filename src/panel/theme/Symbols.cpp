#include "panel/theme/Symbols.h"

#include <QHash>

namespace tessaly {

namespace {

// Symbol name → file of the bundled set, chosen to read as the named symbol.
const QHash<QString, QString> &symbolFiles()
{
    static const QHash<QString, QString> files = {
        {QStringLiteral("square.on.square.fill"), QStringLiteral("front.svg")},
        {QStringLiteral("gearshape"), QStringLiteral("gear.svg")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("search.svg")},
        {QStringLiteral("xmark.circle.fill"), QStringLiteral("x-circle-fill.svg")},
        {QStringLiteral("exclamationmark.triangle.fill"),
         QStringLiteral("exclamation-triangle-fill.svg")},
        {QStringLiteral("clipboard"), QStringLiteral("clipboard.svg")},
        {QStringLiteral("link"), QStringLiteral("link-45deg.svg")},
        {QStringLiteral("photo"), QStringLiteral("image.svg")},
        {QStringLiteral("pin"), QStringLiteral("pin.svg")},
        {QStringLiteral("pin.fill"), QStringLiteral("pin-fill.svg")},
        {QStringLiteral("trash"), QStringLiteral("trash3.svg")},
        // The tray's icon and menu.
        {QStringLiteral("square.on.square"), QStringLiteral("copy.svg")},
        {QStringLiteral("doc.on.clipboard"), QStringLiteral("clipboard.svg")},
        {QStringLiteral("pause.circle"), QStringLiteral("pause-circle.svg")},
        {QStringLiteral("play.circle"), QStringLiteral("play-circle.svg")},
        {QStringLiteral("text.alignleft"), QStringLiteral("text-left.svg")},
        {QStringLiteral("paintpalette"), QStringLiteral("palette.svg")},
        {QStringLiteral("doc"), QStringLiteral("file-earmark.svg")},
        // The settings window. The four below arrow.counterclockwise are drawn for this program.
        {QStringLiteral("arrow.counterclockwise"), QStringLiteral("arrow-counterclockwise.svg")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("check-circle-fill.svg")},
        {QStringLiteral("exclamationmark.circle.fill"),
         QStringLiteral("exclamation-circle-fill.svg")},
        {QStringLiteral("minus.circle"), QStringLiteral("dash-circle.svg")},
        {QStringLiteral("app.dashed"), QStringLiteral("app-dashed.svg")},
    };
    return files;
}

} // namespace

Symbols::Symbols(QObject *parent) : QObject(parent) {}

QUrl Symbols::source(const QString &name) const
{
    const QString path = resourcePath(name);
    return path.isEmpty() ? QUrl() : QUrl(QStringLiteral("qrc") + path);
}

QStringList Symbols::names()
{
    return symbolFiles().keys();
}

QString Symbols::resourcePath(const QString &name)
{
    const QString file = symbolFiles().value(name);
    return file.isEmpty() ? QString() : QStringLiteral(":/tessaly/symbols/") + file;
}

} // namespace tessaly
