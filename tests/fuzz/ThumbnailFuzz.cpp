// Copied image data (PNG, JPEG, TIFF, WebP, GIF … whatever the bytes turn out to be), made into
// the entry's thumbnail as the clipboard reader does.

#include "FuzzSupport.h"

#include "capture/ClipboardReader.h"

#include <algorithm>

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::application();
    // The reader never hands over more than one representation's worth.
    if (qint64(size) > ClipboardReader::largestRepresentation)
        return 0;
    const auto thumbnail =
        ClipboardReader::makeThumbnail(fuzz::bytesOf(data, size), ClipboardReader::thumbnailSize);
    if (!thumbnail)
        return 0;
    TESSALY_FUZZ_CHECK(!thumbnail->image.isNull());
    TESSALY_FUZZ_CHECK(std::max(thumbnail->image.width(), thumbnail->image.height()) <=
                       ClipboardReader::thumbnailSize);
    return 0;
}
