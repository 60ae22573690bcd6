#pragma once

#include <QByteArray>
#include <QString>

// The one writer of every file the program saves (documents and memos): the bytes go
// to a temporary file with a short name in the target's folder (so a name at the
// file system's limit still leaves room for it), are flushed to the disk, and then
// replace the target in one step. On any failure the temporary file is removed and
// an earlier file at `path` stays whole.
// Returns an empty text on success, else a Japanese description of the cause.
QString WriteFileAtomically(const QString &path, const QByteArray &bytes);

// The Japanese description of a failed file operation from its errno value; the
// system's own text is added in parentheses only where no description exists.
QString DescribeFileError(int errorNumber);
