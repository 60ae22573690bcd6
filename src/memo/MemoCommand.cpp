#include "memo/MemoCommand.h"

#include "memo/Memo.h"
#include "retrieval/Module1.h"
#include "shell/AppContext.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

void RunMemo(AppContext &context, QWidget *owner, const QString &fileBaseName, const QStringList &lines, bool listEmpty)
{
    if (listEmpty) {
        context.desktop.message(owner, Messages::SelectDrug, Messages::SelectionErrorTitle);
        return;
    }
    const QString &folder = context.state.MemoPath.isEmpty() ? context.state.AppPath : context.state.MemoPath;
    const QString path = folder + u'/' + FitFileName(fileBaseName, {}, u".txt");
    const QString failure = WriteMemoFile(path, lines);
    if (!failure.isEmpty()) {
        context.desktop.message(owner, failure, Messages::MemoErrorTitle, Desktop::Icon::Exclamation);
        return;
    }
    context.desktop.openDocument(owner, path);
}

void RunCopy(AppContext &context, const QStringList &lines)
{
    context.desktop.setClipboardText(CopyText(lines));
}
