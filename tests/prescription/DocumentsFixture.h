#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "support/ProgramFixture.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

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
