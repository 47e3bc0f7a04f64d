#pragma once

#include "history/ClipRecords.h"

#include <QList>
#include <QString>

namespace tessaly {

// What the history panel's view shows around its list, kept apart from the QML that draws it.
// Filters are named by their stored values: "all", "text", "link", "image", "file", "pinned"
// (ClipFilter's names).
namespace HistoryViewRules {

// One chip of the filter bar.
struct FilterChoice
{
    QString value;
    QString label;
};

// The chips of the filter bar, in order: ClipFilter's names and labels.
QList<FilterChoice> filterChoices();
// The chip label of a filter; empty for a value that names no filter.
QString filterLabel(const QString &filter);

// The message shown in place of an empty list.
struct EmptyState
{
    QString symbol;
    QString title;
    QString subtitle;
};

// Whether the query makes the empty state a search result: it holds something besides spaces
// and tabs (line breaks count as content here).
bool isSearching(const QString &query);
EmptyState emptyState(const QString &query, const QString &filter);

// "Limpar tudo" has something to do only while the history holds an unpinned entry, whatever
// the filter shows.
bool hasUnpinnedItems(const QList<ClipItem> &items);

// The name of the desktop's settings page where the user allows automatic pasting.
QString accessibilityPageName();
QString bannerTitle();
QString bannerMessage();

} // namespace HistoryViewRules
} // namespace tessaly
