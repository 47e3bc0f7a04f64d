#pragma once

#include "panel/CaretLocator.h"

namespace tessaly::test {

class FakeCaretSource : public CaretSource
{
public:
    std::optional<QRectF> rect;
    int lookups = 0;

    std::optional<QRectF> focusedCaretRect() override
    {
        ++lookups;
        return rect;
    }
};

} // namespace tessaly::test
