#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace tessaly {

// The panel's symbols by the names the interface uses ("magnifyingglass", "pin.fill" …), drawn
// from the bundled symbol set and tinted by the views.
class Symbols : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit Symbols(QObject *parent = nullptr);

    // The resource URL of a symbol; empty for a name the table lacks.
    Q_INVOKABLE QUrl source(const QString &name) const;

    // Every name the table knows.
    static QStringList names();
    // The resource path (":/…") of a symbol; empty for an unknown name.
    static QString resourcePath(const QString &name);
};

} // namespace tessaly
