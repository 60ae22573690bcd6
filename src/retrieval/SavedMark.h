#pragma once

#include <QString>
#include <QStringList>

class QAbstractButton;
class QListWidgetItem;

// The mark of a hit whose document is already in the library: an icon (so that the
// entry's text, which copy and memo take, stays as it is) with a tooltip telling when
// it was saved and what its last check found.

// The tooltip for the saved documents at `paths` (those that exist); empty when none does.
QString SavedMarkTip(const QString &originsPath, const QString &documentsPath, const QStringList &paths);
// Sets or clears the mark on a list entry or a check box.
void MarkSaved(QListWidgetItem &item, const QString &tip);
void MarkSaved(QAbstractButton &button, const QString &tip);
