#pragma once

#include <QByteArray>
#include <QString>

struct AppContext;
class QWidget;

// Saves a downloaded document and opens it in its viewer. When it cannot be saved,
// "文書保存エラー" says so and nothing is opened: opening the earlier copy would pass
// it off as the new download. Returns false then, and the command ends.
bool SaveAndOpenDocument(AppContext &context, QWidget *owner, const QString &path, const QByteArray &bytes);
