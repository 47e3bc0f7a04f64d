// An installed application's desktop entry file, as read to name and draw the application an
// entry was copied from, or one the user picks to ignore.

#include "FuzzSupport.h"

#include "platform/xdg/DesktopEntries.h"
#include "platform/xdg/DesktopEntryFile.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::application();
    static const QString path = fuzz::scratchDir() + QStringLiteral("/org.example.App.desktop");
    if (!fuzz::writeFile(path, data, size))
        return 0;

    const auto pairs = DesktopEntryFile::mainGroup(path);
    TESSALY_FUZZ_CHECK(pairs);
    for (const auto &[key, value] : *pairs) {
        TESSALY_FUZZ_CHECK(!key.isEmpty());
        // Whatever a value stands for is written back as the same value.
        const QString plain = DesktopEntryFile::unescaped(value);
        TESSALY_FUZZ_CHECK(DesktopEntryFile::unescaped(DesktopEntryFile::escaped(plain)) == plain);
    }
    const auto entry = DesktopEntries::parse(path, QStringLiteral("org.example.App"));
    const auto id = DesktopEntries::bundleIDOfFile(path);
    TESSALY_FUZZ_CHECK(entry.has_value() == id.has_value());
    return 0;
}
