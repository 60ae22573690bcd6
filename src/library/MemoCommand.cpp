#include "library/MemoCommand.h"

#include "library/Memo.h"
#include "retrieval/Module1.h"
#include "shell/AppContext.h"

using namespace Qt::Literals::StringLiterals;

void RunMemo(AppContext &context, QWidget *owner, const QString &fileBaseName, const QStringList &lines,
             bool listEmpty)
{
    if (listEmpty) {
        context.desktop.Message(owner, u"医薬品を選択してください"_s, u"選択エラー"_s);
        return;
    }
    const QString &folder = context.state.MemoPath.isEmpty() ? context.state.AppPath : context.state.MemoPath;
    const QString path = folder + u'/' + FitFileName({}, fileBaseName, u".txt");
    const QString failure = WriteMemoFile(path, lines);
    if (!failure.isEmpty()) {
        context.desktop.Message(owner, failure, u"メモ保存エラー"_s, Desktop::Icon::Exclamation);
        return;
    }
    context.desktop.OpenDocument(owner, path);
}

void RunCopy(AppContext &context, const QStringList &lines)
{
    context.desktop.SetClipboardText(CopyText(lines));
}
