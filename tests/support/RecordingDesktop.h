#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "shell/Desktop.h"

// Records what the program would show or open instead of doing it. Its messages and
// questions count as open questions (UserAttention) while they are asked.
class RecordingDesktop final : public Desktop {
public:
    struct Shown {
        QString text;
        QString title;
        Icon icon = Icon::None;
        bool waitCursor = false;   // an hourglass was still up when the message came
        bool overTransfer = false; // "通信中" was up when the message came
    };

    void message(QWidget *owner, const QString &text, const QString &title, Icon icon) override;
    // Answers from proxyAnswers in order (nothing, as a cancel, when they run out).
    std::optional<ProxyCredentials> askProxyCredentials(QWidget *owner, const QString &proxy, bool refused) override;
    void openDocument(QWidget *owner, const QString &path) override;
    void setClipboardText(const QString &text) override;
    // Records the question; answers from askAnswers in order (no when they run out).
    bool ask(QWidget *owner, const QString &text, const QString &title) override;
    QStringList questions;
    QList<bool> askAnswers;

    QList<Shown> messages;
    struct ProxyQuestion {
        QString proxy;
        bool refused = false;
        bool overTransfer = false; // "通信中" was up when the question came
    };
    QList<ProxyQuestion> proxyQuestions;
    QList<std::optional<ProxyCredentials>> proxyAnswers;
    QStringList opened;
    QString clipboard;
    bool clipboardSet = false;
};
