#pragma once

#include <QString>
#include <QStringList>

// The saved documents as the disk search window shows them: the PDF files of one
// folder of the library, and renaming one of them in place.

// The PDF files directly in `folder` ("*.pdf" in any letter case, hidden ones such
// as ".pdf" included), sorted by name without regard to case. A missing folder
// lists nothing.
QStringList ListDocuments(const QString &folder);

// The name shown for a file: the file name without its last four characters.
QString DocumentTitle(const QString &fileName);

// The file name for a name the user typed: a trailing ".pdf" in any case becomes
// ".pdf", otherwise ".pdf" is appended. Nothing else is changed, not even spaces.
QString RenamedFileName(const QString &typed);

// Renames folder/oldName to folder/newName. Never replaces another file, never moves
// the document out of its folder, never gives it a name the list cannot show (blank
// or only spaces, starting with ".", holding a control character); the same name
// again is a success that changes nothing. Returns an empty text on success, else the
// Japanese text for the user.
[[nodiscard]] QString RenameDocument(const QString &folder, const QString &oldName, const QString &newName);
