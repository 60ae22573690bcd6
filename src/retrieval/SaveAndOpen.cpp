#include "retrieval/SaveAndOpen.h"

#include "retrieval/DocumentFile.h"
#include "retrieval/Inet1.h"
#include "retrieval/OriginRecord.h"
#include "shell/AppContext.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

bool SaveAndOpenDocument(AppContext &context, QWidget *owner, const QString &path, const QByteArray &bytes,
                         const QString &url, const Inet1 *from)
{
    const QString error = WriteFileAtomically(path, bytes);
    if (!error.isEmpty()) {
        context.desktop.message(owner, Messages::DocumentNotSaved + u'\n' + path + u'\n' + error,
                                Messages::DocumentSaveErrorTitle, Desktop::Icon::Exclamation);
        return false;
    }
    if (!url.isEmpty()) {
        OriginStore origins(context.state.OriginsPath, context.state.DocumentsPath);
        origins.record(path, MakeOriginRecord(url, from ? from->lastEtag() : QByteArray(),
                                              from ? from->lastModified() : QByteArray(), bytes));
    }
    context.desktop.openDocument(owner, path);
    return true;
}
