#include "panel/ClipFilter.h"

#include <algorithm>

namespace tessaly {

QString clipFilterName(ClipFilter filter)
{
    switch (filter) {
    case ClipFilter::All:
        return QStringLiteral("all");
    case ClipFilter::Text:
        return QStringLiteral("text");
    case ClipFilter::Link:
        return QStringLiteral("link");
    case ClipFilter::Image:
        return QStringLiteral("image");
    case ClipFilter::File:
        return QStringLiteral("file");
    case ClipFilter::Pinned:
        return QStringLiteral("pinned");
    }
    return {};
}

std::optional<ClipFilter> clipFilterFromName(QStringView name)
{
    for (ClipFilter filter : allClipFilters) {
        if (name == clipFilterName(filter))
            return filter;
    }
    return std::nullopt;
}

QString clipFilterLabel(ClipFilter filter)
{
    switch (filter) {
    case ClipFilter::All:
        return QStringLiteral("Tudo");
    case ClipFilter::Text:
        return QStringLiteral("Texto");
    case ClipFilter::Link:
        return QStringLiteral("Links");
    case ClipFilter::Image:
        return QStringLiteral("Imagens");
    case ClipFilter::File:
        return QStringLiteral("Arquivos");
    case ClipFilter::Pinned:
        return QStringLiteral("Fixados");
    }
    return {};
}

bool clipFilterAdmits(ClipFilter filter, const ClipItem &item)
{
    switch (filter) {
    case ClipFilter::All:
        return true;
    case ClipFilter::Text:
        return item.kind == ClipKind::Text || item.kind == ClipKind::Color;
    case ClipFilter::Link:
        return item.kind == ClipKind::Link;
    case ClipFilter::Image:
        return item.kind == ClipKind::Image;
    case ClipFilter::File:
        return item.kind == ClipKind::File;
    case ClipFilter::Pinned:
        return item.pinned;
    }
    return false;
}

ClipFilter cycledClipFilter(ClipFilter filter, bool forward)
{
    const auto count = qsizetype(allClipFilters.size());
    const auto index =
        std::find(allClipFilters.cbegin(), allClipFilters.cend(), filter) - allClipFilters.cbegin();
    return allClipFilters[(index + (forward ? 1 : count - 1)) % count];
}

} // namespace tessaly
