#include "retrieval/DocumentFile.h"

#include <QSaveFile>

bool SaveDocument(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    const bool saved = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!saved) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
    }
    return saved;
}
