#pragma once

#include "hotkey/HotKeyRecorder.h"
#include "settings/AppSettings.h"

#include <QtQml/qqml.h>

namespace tessaly {

// The settings and the hot-key recorder as the settings form's QML sees them: typed properties,
// never created from QML.
struct AppSettingsForeign
{
    Q_GADGET
    QML_FOREIGN(tessaly::AppSettings)
    QML_NAMED_ELEMENT(AppSettings)
    QML_UNCREATABLE("The program's one settings object")
};

struct HotKeyRecorderForeign
{
    Q_GADGET
    QML_FOREIGN(tessaly::HotKeyRecorder)
    QML_NAMED_ELEMENT(HotKeyRecorder)
    QML_UNCREATABLE("Made by the settings window")
};

} // namespace tessaly
