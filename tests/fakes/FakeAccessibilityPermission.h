#pragma once

#include "settings/AccessibilityPermission.h"

#include <QStringList>

namespace tessaly::test {

// Answers what the test sets and records the calls it receives, in order.
class FakeAccessibilityPermission : public AccessibilityPermission
{
public:
    bool trusted = true;
    mutable int trustQueries = 0;
    QStringList calls;

    bool isTrusted() const override
    {
        ++trustQueries;
        return trusted;
    }
    void request() override { calls.append(QStringLiteral("request")); }
    void openSettings() override { calls.append(QStringLiteral("openSettings")); }
};

} // namespace tessaly::test
