#pragma once

#include <QByteArray>
#include <QString>

// The one writer of every file the program saves (documents and memos): the bytes go
// to a temporary file with a short name in the target's folder (so a name at the
// file system's limit still leaves room for it), are flushed to the disk, and then
// replace the target in one step. On any failure the temporary file is removed and
// an earlier file at `path` stays whole. Once the new file has its name, the folder
// is synced, so that a save reported as done survives a power cut. The first save
// into a folder removes the temporary files that killed writers left there.
// Returns an empty text on success, else a Japanese description of the cause.
QString WriteFileAtomically(const QString &path, const QByteArray &bytes);

// The Japanese description of a failed file operation from its errno value; the
// system's own text is added in parentheses only where no description exists.
QString DescribeFileError(int errorNumber);

// The writer's one platform step: renames `temporary` over `target` in `folder` and
// syncs the folder. Returns 0, or the errno value of a failed rename.
int ReplaceDurably(const QByteArray &temporary, const QByteArray &target, const QByteArray &folder);
