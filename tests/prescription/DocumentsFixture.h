#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "support/ProgramFixture.h"

using namespace Qt::Literals::StringLiterals;

// The title a practice document carries, as it stands in the PDF's bytes.
inline QByteArray PdfTitleBytes(const QString &title)
{
    QByteArray hex = "FEFF";
    for (const QChar c : title)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return '<' + hex + '>';
}

// A user with a document library and the practice service, without parameter files.
struct DocumentsFixture : ProgramFixture {
    DocumentsFixture() : ProgramFixture(ParameterFiles) {}

    static QString Row(int id, const QString &name)
    {
        return u"<TR><TD><A href=\"/sorano/hit/%1/\" target=\"_new\">"_s.arg(id) + name
               + u"</A></TD></TR><TR><TD><DL><DD>試験\r\n</DL></TD></TR>"_s;
    }

    // Every file under the temporary folder, relative to the library.
    QStringList allFiles() const { return files(state.DocumentsPath).keys(); }
};
