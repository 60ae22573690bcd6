#pragma once

#include <QByteArray>
#include <QString>

struct AppContext;
class Inet1;
class QWidget;

// Saves a downloaded document and opens it in its viewer. When it cannot be saved,
// "文書保存エラー" says so and nothing is opened: opening the earlier copy would pass
// it off as the new download. Returns false then, and the command ends.
// With `url`, the document's origin is recorded: the URL and the validators of the
// answer `from` last received.
bool SaveAndOpenDocument(AppContext &context, QWidget *owner, const QString &path, const QByteArray &bytes,
                         const QString &url = {}, const Inet1 *from = nullptr);
