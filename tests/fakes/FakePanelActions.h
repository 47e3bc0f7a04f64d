#pragma once

#include "panel/PanelActions.h"

#include <QObject>
#include <QStringList>

namespace tessaly::test {

// Records every action as "name:text" (the entry's text, or its id when it has none).
class FakePanelActions : public QObject, public PanelActions
{
public:
    QStringList calls;

    void paste(const ClipItem &item, bool plainText) override
    {
        calls.append((plainText ? QStringLiteral("pastePlain:") : QStringLiteral("paste:")) +
                     describe(item));
    }
    void togglePin(const ClipItem &item) override
    {
        calls.append(QStringLiteral("togglePin:") + describe(item));
    }
    void remove(const ClipItem &item) override
    {
        calls.append(QStringLiteral("remove:") + describe(item));
    }
    void clearAll() override { calls.append(QStringLiteral("clearAll")); }
    void requestAccessibility() override { calls.append(QStringLiteral("requestAccessibility")); }
    void openSettings() override { calls.append(QStringLiteral("openSettings")); }

private:
    static QString describe(const ClipItem &item) { return item.textString().value_or(uuidText(item.id)); }
};

} // namespace tessaly::test
