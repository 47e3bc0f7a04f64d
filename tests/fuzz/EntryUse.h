#pragma once

// What the tray menu and the panel do with an entry read from the index: its title, a search,
// its file URLs, its card's context menu, detail and age.

#include "history/ClipRecords.h"
#include "panel/cards/CardBackends.h"
#include "panel/cards/ClipCardRules.h"

namespace tessaly::fuzz {

inline void useEntry(const ClipItem &item)
{
    (void)item.menuTitle();
    (void)item.matches(QStringLiteral("a"));
    (void)item.fileURLs();
    (void)ClipCardRules::linkURL(item);
    (void)ClipCardRules::contextMenu(item);
    const CardTexts texts;
    (void)texts.detail(item);
    (void)texts.relativeText(item.lastUsedAt, item.createdAt);
}

} // namespace tessaly::fuzz
