#include "support/RecordingDesktop.h"

#include <QGuiApplication>

void RecordingDesktop::Message(QWidget *, const QString &text, const QString &title, Icon icon)
{
    messages.append({text, title, icon, QGuiApplication::overrideCursor() != nullptr});
}

std::optional<ProxyCredentials> RecordingDesktop::AskProxyCredentials(QWidget *, const QString &proxy, bool refused)
{
    proxyQuestions.append({proxy, refused});
    return proxyAnswers.isEmpty() ? std::nullopt : proxyAnswers.takeFirst();
}

void RecordingDesktop::OpenDocument(QWidget *, const QString &path)
{
    opened.append(path);
}

void RecordingDesktop::SetClipboardText(const QString &text)
{
    clipboard = text;
    clipboardSet = true;
}
