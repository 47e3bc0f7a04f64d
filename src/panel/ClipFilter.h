#pragma once

#include "history/ClipRecords.h"

#include <QString>

#include <array>
#include <optional>

namespace tessaly {

// The filter of the history panel. The declaration order is the order of the filter bar and of
// cycling with Tab; each filter is stored and named by its raw value.
enum class ClipFilter
{
    All,
    Text,
    Link,
    Image,
    File,
    Pinned
};

inline constexpr std::array<ClipFilter, 6> allClipFilters = {ClipFilter::All,  ClipFilter::Text,
                                                             ClipFilter::Link, ClipFilter::Image,
                                                             ClipFilter::File, ClipFilter::Pinned};

// "all", "text", "link", "image", "file", "pinned".
QString clipFilterName(ClipFilter filter);
std::optional<ClipFilter> clipFilterFromName(QStringView name);
// The label of the filter bar: "Tudo", "Texto", "Links", "Imagens", "Arquivos", "Fixados".
QString clipFilterLabel(ClipFilter filter);

// Whether the filter lets the entry through. Colour entries show under Text; Pinned takes
// pinned entries of every kind.
bool clipFilterAdmits(ClipFilter filter, const ClipItem &item);

// The next filter in bar order (forward) or the previous one, wrapping around.
ClipFilter cycledClipFilter(ClipFilter filter, bool forward);

} // namespace tessaly
