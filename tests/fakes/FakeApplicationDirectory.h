#pragma once

#include "panel/cards/IconCache.h"

#include <QHash>

namespace tessaly::test {

// Installed applications by identifier; counts lookups.
class FakeApplicationDirectory : public ApplicationDirectory
{
public:
    QHash<QString, InstalledApplication> installed;
    int lookups = 0;

    std::optional<InstalledApplication> application(const QString &bundleID) override
    {
        ++lookups;
        const auto found = installed.constFind(bundleID);
        if (found == installed.cend())
            return std::nullopt;
        return *found;
    }
};

} // namespace tessaly::test
