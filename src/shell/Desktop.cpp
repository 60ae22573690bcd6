#include "shell/Desktop.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QWidget>

#include "shell/Messages.h"
#include "shell/ProxyLoginDialog.h"

using namespace Qt::Literals::StringLiterals;

QString OpenFailureText(const QString &path)
{
    // Said alike of a download, a memo, a saved document and the manual: where the file
    // lies, not that it was saved.
    return Messages::OpenFailed + u'\n' + Messages::FileLocation + u'\n' + QDir::toNativeSeparators(path);
}

namespace {

constexpr char OpenerMark[] = "hibariOpener";

// The openers let go of when the program ends: kept here and never destroyed, as
// destroying one would kill its viewer.
QList<QProcess *> &releasedOpeners()
{
    static auto *const openers = new QList<QProcess *>;
    return *openers;
}

} // namespace

QtDesktop::~QtDesktop()
{
    // Outside the big desktops xdg-open runs the viewer in the foreground. Destroyed
    // with the application, its QProcess would kill it and the viewer with it; let go
    // of, it runs on, and no longer tells a desktop that is gone.
    if (!QCoreApplication::instance())
        return;
    const auto openers = QCoreApplication::instance()->findChildren<QProcess *>(Qt::FindDirectChildrenOnly);
    for (QProcess *opener : openers) {
        if (!opener->property(OpenerMark).toBool() || opener->state() == QProcess::NotRunning)
            continue;
        QObject::disconnect(opener, nullptr, nullptr, nullptr);
        opener->setParent(nullptr);
        releasedOpeners().append(opener);
    }
}

void QtDesktop::Message(QWidget *owner, const QString &text, const QString &title, Icon icon)
{
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    if (icon == Icon::Exclamation)
        shown = QMessageBox::Warning;
    else if (icon == Icon::Information)
        shown = QMessageBox::Information;
    QMessageBox box(shown, title, text, QMessageBox::Ok, owner);
    // A path or a cause in the text can be selected and copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

std::optional<ProxyCredentials> QtDesktop::AskProxyCredentials(QWidget *owner, const QString &proxy, bool refused)
{
    ProxyLoginDialog dialog(proxy, refused, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.credentials();
}

void QtDesktop::OpenDocument(QWidget *owner, const QString &path)
{
    // The opener lives with the application, not with the window, which may close first.
    auto *opener = new QProcess(QCoreApplication::instance());
    opener->setProperty(OpenerMark, true);
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->setStandardInputFile(QProcess::nullDevice());
    const QPointer<QWidget> window(owner);
    const auto failed = [this, window, path, opener] {
        opener->deleteLater();
        Message(window.data(), OpenFailureText(path), Messages::DocumentNotOpenedTitle, Icon::Exclamation);
    };
    QObject::connect(opener, &QProcess::errorOccurred, opener, [failed](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            failed();
    });
    QObject::connect(opener, &QProcess::finished, opener, [opener, failed](int code, QProcess::ExitStatus status) {
        if (code != 0 || status != QProcess::NormalExit)
            failed();
        else
            opener->deleteLater();
    });
    opener->start(u"xdg-open"_s, {path});
}

void QtDesktop::SetClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}
