#include "retrieval/SaveAndOpen.h"

#include "retrieval/DocumentFile.h"
#include "shell/AppContext.h"

using namespace Qt::Literals::StringLiterals;

bool SaveAndOpenDocument(AppContext &context, QWidget *owner, const QString &path, const QByteArray &bytes)
{
    const QString error = WriteFileAtomically(path, bytes);
    if (!error.isEmpty()) {
        context.desktop.Message(owner, u"文書を保存できませんでした。\n"_s + path + u'\n' + error,
                                u"文書保存エラー"_s, Desktop::Icon::Exclamation);
        return false;
    }
    context.desktop.OpenDocument(owner, path);
    return true;
}
