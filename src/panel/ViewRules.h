#pragma once

#include <QObject>
#include <QSizeF>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

namespace tessaly {

// The history view's rules (HistoryViewRules) as QML sees them.
class ViewRules : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QVariantList filterChoices READ filterChoices CONSTANT)
    Q_PROPERTY(QString bannerTitle READ bannerTitle CONSTANT)
    Q_PROPERTY(QString bannerMessage READ bannerMessage CONSTANT)
    // The panel's fixed size, in points.
    Q_PROPERTY(QSizeF panelSize READ panelSize CONSTANT)

public:
    explicit ViewRules(QObject *parent = nullptr);

    // The filter bar's chips: a list of {value, label}.
    QVariantList filterChoices() const;
    QString bannerTitle() const;
    QString bannerMessage() const;
    QSizeF panelSize() const;

    // The empty state for a query and a filter: {symbol, title, subtitle}.
    Q_INVOKABLE QVariantMap emptyState(const QString &query, const QString &filter) const;
};

} // namespace tessaly
