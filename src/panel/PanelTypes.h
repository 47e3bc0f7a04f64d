#pragma once

#include "panel/ClipListModel.h"
#include "panel/PanelViewModel.h"

#include <QtQml/qqml.h>

namespace tessaly {

// The panel's model and its list as the views see them: typed properties, never created from
// QML.
struct PanelViewModelForeign
{
    Q_GADGET
    QML_FOREIGN(tessaly::PanelViewModel)
    QML_NAMED_ELEMENT(PanelViewModel)
    QML_UNCREATABLE("The program's panel model, or a test's")
};

struct ClipListModelForeign
{
    Q_GADGET
    QML_FOREIGN(tessaly::ClipListModel)
    QML_NAMED_ELEMENT(ClipListModel)
    QML_UNCREATABLE("Listed by the panel's model")
};

} // namespace tessaly
