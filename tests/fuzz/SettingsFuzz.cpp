// The settings store (an INI file the user may have edited), read as the program starts.

#include "FuzzSupport.h"

#include "settings/AppSettings.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The store may hold serialised GUI types (@Variant(...)): those need a QGuiApplication.
    fuzz::application(true);
    // A new name each time: QSettings keeps parsed files by name and could serve a stale one.
    static quint64 counter = 0;
    const QString path = fuzz::scratchDir() + QStringLiteral("/%1.conf").arg(counter++);
    if (!fuzz::writeFile(path, data, size))
        return 0;
    {
        const AppSettings settings(path);
        (void)settings.lastPanelTopLeft();
        TESSALY_FUZZ_CHECK(settings.hotKey().keyCode <= 0xFFFF);
    }
    QFile::remove(path);
    return 0;
}
