#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <optional>
#include <ostream>

// Readable Qt values in GoogleTest failure messages.

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << '[';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i > 0)
            *out << ", ";
        PrintTo(list[i], out);
    }
    *out << ']';
}

inline void PrintTo(const QPointF &point, std::ostream *out)
{
    *out << '(' << point.x() << ", " << point.y() << ')';
}

inline void PrintTo(const QRectF &rect, std::ostream *out)
{
    *out << '(' << rect.x() << ", " << rect.y() << ' ' << rect.width() << " x " << rect.height()
         << ')';
}
