#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include "PracticeServer.h"
#include "retrieval/ESConv.h"
#include "retrieval/Inet1.h"
#include "shell/AppContext.h"
#include "shell/Library.h"
#include "support/RecordingDesktop.h"
#include "support/UserActions.h"

using namespace Qt::Literals::StringLiterals;

// The title a practice document carries, as it stands in the PDF's bytes.
inline QByteArray PdfTitleBytes(const QString &title)
{
    QByteArray hex = "FEFF";
    for (const QChar c : title)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return '<' + hex + '>';
}

// A user with a document library, the practice service and a window to own messages.
struct DocumentsFixture : ModalDriver {
    QTemporaryDir root;
    RecordingDesktop desktop;
    ProgramState state;
    AppContext context{state, desktop};
    PracticeServer server;
    Inet1 inet;
    QWidget owner;

    DocumentsFixture()
    {
        AddPrescriptionDocumentRoutes(server);
        server.Listen();
        state.ServiceBase = server.BaseUrl();
        QDir(root.path()).mkpath(u"work"_s);
        // the library sits deep in the temporary folder: a name that escaped it would
        // still land where allFiles() sees it
        QDir(root.path()).mkpath(u"home/user/Documents"_s);
        state.WorkPath = root.path() + u"/work"_s;
        state.DocumentsPath = root.path() + u"/home/user/Documents/"_s;
        Library::CreateFolders(state.DocumentsPath);
        LoadEucTable(state.Tables, QStringLiteral(HIBARI_SOURCE_DIR "/data/E2S.param"));
        inet.setTimeout(state.TransferTimeoutMs);
    }

    static QString Row(int id, const QString &name)
    {
        return u"<TR><TD><A href=\"/sorano/hit/%1/\" target=\"_new\">"_s.arg(id) + name +
               u"</A></TD></TR><TR><TD><DL><DD>試験\r\n</DL></TD></TR>"_s;
    }

    QString InLibrary(const QString &relative) const { return state.DocumentsPath + relative; }

    // Every file under the temporary folder except the scratch copy, relative to the library.
    QStringList AllFiles() const
    {
        QStringList files;
        QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.startsWith(state.WorkPath + u'/'))
                files.append(QDir(state.DocumentsPath).relativeFilePath(path));
        }
        files.sort();
        return files;
    }

    QStringList Requested(const QByteArray &prefix) const
    {
        QStringList paths;
        for (const PracticeRequest &request : server.Requests()) {
            if (request.path.startsWith(prefix))
                paths.append(QString::fromLatin1(request.path));
        }
        return paths;
    }

};
