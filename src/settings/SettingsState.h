#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace tessaly {

// What the settings window and its view share: whether the welcome shows at the top. It turns
// on for the very first launch and stays on for the rest of the process.
class SettingsState : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the settings window")
    Q_PROPERTY(bool showWelcome READ showWelcome NOTIFY showWelcomeChanged)

public:
    using QObject::QObject;

    bool showWelcome() const { return m_showWelcome; }
    // Only ever turns the welcome on.
    void turnWelcomeOn()
    {
        if (m_showWelcome)
            return;
        m_showWelcome = true;
        Q_EMIT showWelcomeChanged();
    }

Q_SIGNALS:
    void showWelcomeChanged();

private:
    bool m_showWelcome = false;
};

} // namespace tessaly
