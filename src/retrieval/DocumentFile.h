#pragma once

#include <QByteArray>
#include <QString>

// Writes a downloaded document whole: beside the target first, then replaced in one
// step, so a failed or interrupted write leaves the earlier copy as it was.
// Returns false when nothing was replaced; `error` then says why.
bool SaveDocument(const QString &path, const QByteArray &bytes, QString *error = nullptr);
