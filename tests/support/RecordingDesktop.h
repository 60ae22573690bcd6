#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "shell/Desktop.h"

// Records what the program would show or open instead of doing it.
class RecordingDesktop final : public Desktop {
public:
    struct Shown {
        QString text;
        QString title;
        Icon icon = Icon::None;
        bool waitCursor = false; // an hourglass was still up when the message came
    };

    void Message(QWidget *owner, const QString &text, const QString &title, Icon icon) override;
    void OpenDocument(QWidget *owner, const QString &path) override;
    void SetClipboardText(const QString &text) override;

    QList<Shown> messages;
    QStringList opened;
    QString clipboard;
    bool clipboardSet = false;
};
