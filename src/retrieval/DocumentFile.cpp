#include "retrieval/DocumentFile.h"

#include <QSaveFile>

bool SaveDocument(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    // QSaveFile keeps a small document in its buffer and commits it even when the
    // flush fails (a full disk), so flush first: a cut copy must not replace the old one.
    const bool saved = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
                       file.commit();
    if (!saved) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
    }
    return saved;
}
