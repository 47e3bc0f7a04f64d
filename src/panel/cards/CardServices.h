#pragma once

#include <QDateTime>
#include <QObject>
#include <QSizeF>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

namespace tessaly {

class CardFormatting;
class CardImageSource;
class CardWorkspace;

// What clip cards ask of the rest of the program: formatted texts, pictures (as URLs served by
// CardImageProvider) and the two desktop actions. One instance per QML engine; its backends
// are set by installPanelViews(). Without them it answers with plain fallbacks and does
// nothing. Entry arguments are the "entry" role of ClipListModel.
class CardServices : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit CardServices(QObject *parent = nullptr);

    // The backends stay owned by the caller and must outlive the engine's views.
    void setBackends(const CardFormatting *formatting, CardImageSource *images,
                     CardWorkspace *workspace);

    // The meta row's texts: application name, age against `now`, and the detail if any.
    Q_INVOKABLE QStringList metaPieces(const QVariant &entry, const QDateTime &now) const;
    // The application's icon, or an empty URL when it has none.
    Q_INVOKABLE QUrl appIconSource(const QVariant &entry) const;
    // The icon of the entry's first file, or an empty URL when it has no file.
    Q_INVOKABLE QUrl fileIconSource(const QVariant &entry) const;
    // The entry's thumbnail, or an empty URL when it has none.
    Q_INVOKABLE QUrl thumbnailSource(const QVariant &entry) const;
    // The size the thumbnail is drawn at.
    Q_INVOKABLE QSizeF imageDisplaySize(const QVariant &entry) const;

    Q_INVOKABLE void revealFiles(const QVariant &entry) const;
    Q_INVOKABLE void openLink(const QVariant &entry) const;

private:
    const CardFormatting *m_formatting = nullptr;
    CardImageSource *m_images = nullptr;
    CardWorkspace *m_workspace = nullptr;
};

} // namespace tessaly
