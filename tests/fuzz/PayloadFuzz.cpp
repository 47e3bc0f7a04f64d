// An entry's clipboard snapshot as stored on disk (a binary or XML property list).

#include "FuzzSupport.h"

#include "history/PayloadCoding.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::application();
    const auto payload = PayloadCoding::decode(fuzz::bytesOf(data, size));
    if (!payload)
        return 0;
    // A snapshot that was read is written back as the same snapshot.
    const auto encoded = PayloadCoding::encode(*payload);
    TESSALY_FUZZ_CHECK(encoded);
    const auto again = PayloadCoding::decode(*encoded);
    TESSALY_FUZZ_CHECK(again && *again == *payload);
    (void)payload->byteSize();
    return 0;
}
