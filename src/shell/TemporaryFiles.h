#pragma once

#include <QByteArray>
#include <QString>

// The temporary files of the atomic writer: ".hibari-<letters and digits>.tmp" in the
// folder of the file being saved. A writer holds an exclusive lock (flock) on its
// temporary file from creation until the file is renamed or removed, so a file of
// that name that nobody holds is what a killed or crashed writer left behind, whether
// that writer was this program or another copy of it working on the same library.
namespace TemporaryFiles {

// True for a name of the writer's pattern, and for nothing else.
bool IsTemporaryName(const QString &fileName);

// A new temporary file in `folder` (encoded for the file system), opened for writing
// and locked; fd is -1 and errorNumber the errno value when none could be made.
struct Created {
    int fd = -1;
    QByteArray path;
    int errorNumber = 0;
};
Created Create(const QByteArray &folder);

// Removes the writer's temporary files directly in `folder` that no running writer
// holds; every other file stays. Returns how many were removed.
int RemoveStale(const QString &folder);

// RemoveStale once per folder and process: the first save into a folder cleans it.
void RemoveStaleOnce(const QString &folder);

} // namespace TemporaryFiles
