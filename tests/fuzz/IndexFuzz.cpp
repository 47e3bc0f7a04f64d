// The whole history index (a JSON array of entries), as read at start-up.

#include "EntryUse.h"
#include "FuzzSupport.h"

#include "history/IndexCoding.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::application();
    const auto items = IndexCoding::decodeIndex(fuzz::viewOf(data, size));
    if (!items)
        return 0;
    // An index that was read is written back as the same list.
    const auto again = IndexCoding::decodeIndex(IndexCoding::encodeIndex(*items));
    TESSALY_FUZZ_CHECK(again && *again == *items);
    for (const ClipItem &item : *items)
        fuzz::useEntry(item);
    return 0;
}
