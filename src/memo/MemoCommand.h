#pragma once

#include <QString>
#include <QStringList>

struct AppContext;
class QWidget;

// The memo button of a working window: "医薬品を選択してください" when the list is
// empty; otherwise the lines are written to MemoPath/<fileBaseName>.txt and the file
// is opened. A file that cannot be written is reported and not opened.
void RunMemo(AppContext &context, QWidget *owner, const QString &fileBaseName, const QStringList &lines,
             bool listEmpty);

// The copy button: the lines, each with CR LF, on the clipboard.
void RunCopy(AppContext &context, const QStringList &lines);
