#include "shell/Desktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QUrl>

#include "retrieval/ProxyLoginDialog.h"

void QtDesktop::Message(QWidget *owner, const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                    QMessageBox::Ok, owner);
    box.exec();
}

std::optional<ProxyCredentials> QtDesktop::AskProxyCredentials(QWidget *owner, const QString &proxy, bool refused)
{
    ProxyLoginDialog dialog(proxy, refused, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.credentials();
}

void QtDesktop::OpenDocument(QWidget *, const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtDesktop::SetClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}
