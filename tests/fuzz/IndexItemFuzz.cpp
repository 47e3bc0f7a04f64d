// One history entry as the index stores it (a JSON object).

#include "EntryUse.h"
#include "FuzzSupport.h"

#include "history/IndexCoding.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::application();
    const auto item = IndexCoding::decodeItem(fuzz::viewOf(data, size));
    if (!item)
        return 0;
    // An entry that was read is written back as the same entry.
    const auto again = IndexCoding::decodeItem(IndexCoding::encodeItem(*item));
    TESSALY_FUZZ_CHECK(again && *again == *item);
    fuzz::useEntry(*item);
    return 0;
}
