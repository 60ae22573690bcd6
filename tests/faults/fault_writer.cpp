// A second program saving one document over and over, for the fault suite: the test
// kills it at moments of its choosing, or lets it run while it cleans the folder.
// Usage: fault_writer <path> <bytes> <first version> <saves; 0: until killed>
// Each version's bytes come from DocumentVersion; a "+" on standard output after each
// save tells the test how far it got. Exit status 1 when a save fails.
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include <QString>

#include "DocumentVersion.h"
#include "retrieval/DocumentFile.h"

int main(int argc, char *argv[])
{
    if (argc != 5)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const qsizetype size = std::atoll(argv[2]);
    const qint64 first = std::atoll(argv[3]);
    const qint64 saves = std::atoll(argv[4]);
    for (qint64 version = first; saves == 0 || version < first + saves; ++version) {
        const QString failure = WriteFileAtomically(path, DocumentVersion(version, size));
        if (!failure.isEmpty()) {
            std::fputs(failure.toLocal8Bit().constData(), stderr);
            return 1;
        }
        if (::write(STDOUT_FILENO, "+", 1) != 1)
            return 1;
    }
    return 0;
}
