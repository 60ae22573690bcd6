#include "support/RecordingDesktop.h"

#include <algorithm>

#include <QApplication>
#include <QWidget>

#include "shell/UserAttention.h"

namespace {

// "通信中" is up.
bool transferShown()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [](const QWidget *window) {
        return window->objectName() == QLatin1StringView("frmTransfer") && window->isVisible();
    });
}

} // namespace

void RecordingDesktop::message(QWidget *, const QString &text, const QString &title, Icon icon)
{
    const UserAttention::Question asking;
    messages.append({text, title, icon, QGuiApplication::overrideCursor() != nullptr, transferShown()});
}

std::optional<ProxyCredentials> RecordingDesktop::askProxyCredentials(QWidget *, const QString &proxy, bool refused)
{
    const UserAttention::Question asking;
    proxyQuestions.append({proxy, refused, transferShown()});
    return proxyAnswers.isEmpty() ? std::nullopt : proxyAnswers.takeFirst();
}

bool RecordingDesktop::ask(QWidget *, const QString &text, const QString &)
{
    const UserAttention::Question asking;
    questions.append(text);
    return !askAnswers.isEmpty() && askAnswers.takeFirst();
}

void RecordingDesktop::openDocument(QWidget *, const QString &path)
{
    opened.append(path);
}

void RecordingDesktop::setClipboardText(const QString &text)
{
    clipboard = text;
    clipboardSet = true;
}
