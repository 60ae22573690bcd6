#include "retrieval/SaveAndOpen.h"

#include "retrieval/DocumentFile.h"
#include "shell/AppContext.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

bool SaveAndOpenDocument(AppContext &context, QWidget *owner, const QString &path, const QByteArray &bytes)
{
    const QString error = WriteFileAtomically(path, bytes);
    if (!error.isEmpty()) {
        context.desktop.Message(owner, Messages::DocumentNotSaved + u'\n' + path + u'\n' + error,
                                Messages::DocumentSaveErrorTitle, Desktop::Icon::Exclamation);
        return false;
    }
    context.desktop.OpenDocument(owner, path);
    return true;
}
