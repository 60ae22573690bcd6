#include "shell/Desktop.h"

#include <QAbstractButton>
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
#include "shell/UserAttention.h"

using namespace Qt::Literals::StringLiterals;

QString OpenFailureText(const QStringList &paths)
{
    // Said alike of a download, a memo, a saved document and the manual: where the file
    // lies, not that it was saved.
    QStringList shown;
    for (const QString &path : paths)
        shown.append(QDir::toNativeSeparators(path));
    return (paths.size() > 1 ? Messages::OpenFailedMany : Messages::OpenFailed) + u'\n' + Messages::FileLocation + u'\n'
           + shown.join(u'\n');
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

QtDesktop::QtDesktop()
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(OpenersSettleMs);
    m_settle.callOnTimeout([this] { report(); });
}

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

void QtDesktop::message(QWidget *owner, const QString &text, const QString &title, Icon icon)
{
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    if (icon == Icon::Exclamation)
        shown = QMessageBox::Warning;
    else if (icon == Icon::Information)
        shown = QMessageBox::Information;
    QMessageBox box(shown, title, text, QMessageBox::Ok, owner);
    // A path or a cause in the text can be selected and copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    const UserAttention::Question asking;
    box.exec();
}

bool QtDesktop::ask(QWidget *owner, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::No);
    // No Qt translation is loaded, so the buttons are named here, in the program's words.
    box.button(QMessageBox::Yes)->setText(Messages::Yes);
    box.button(QMessageBox::No)->setText(Messages::No);
    const UserAttention::Question asking;
    return box.exec() == QMessageBox::Yes;
}

std::optional<ProxyCredentials> QtDesktop::askProxyCredentials(QWidget *owner, const QString &proxy, bool refused)
{
    ProxyLoginDialog dialog(proxy, refused, owner);
    const UserAttention::Question asking;
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.credentials();
}

void QtDesktop::openDocument(QWidget *owner, const QString &path)
{
    // The opener lives with the application, not with the window, which may close first.
    auto *opener = new QProcess(QCoreApplication::instance());
    opener->setProperty(OpenerMark, true);
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->setStandardInputFile(QProcess::nullDevice());
    const QPointer<QWidget> window(owner);
    ++m_openersRunning;
    const auto ended = [this, window, path, opener](bool opened) {
        opener->deleteLater();
        --m_openersRunning;
        if (!opened)
            openFailed(window.data(), path);
        else if (m_reportWaiting && m_openersRunning == 0 && !m_unopened.isEmpty())
            reportSoon();
    };
    QObject::connect(opener, &QProcess::errorOccurred, opener, [ended](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended(false);
    });
    QObject::connect(opener, &QProcess::finished, opener, [ended](int code, QProcess::ExitStatus status) {
        ended(code == 0 && status == QProcess::NormalExit);
    });
    opener->start(u"xdg-open"_s, {path});
}

void QtDesktop::openFailed(QWidget *owner, const QString &path)
{
    if (!m_unopened.contains(path))
        m_unopened.append(path);
    if (owner)
        m_unopenedOwner = owner;
    reportSoon();
}

void QtDesktop::reportSoon()
{
    // A box now would stop the command at work and come up inside its next transfer.
    if (UserAttention::instance().commandAtWork()) {
        if (!m_settled)
            m_settled = QObject::connect(&UserAttention::instance(), &UserAttention::commandSettled, &m_settle, [this] {
                QObject::disconnect(m_settled);
                m_settled = {};
                reportSoon();
            });
        return;
    }
    // The openers still running may fail too: one box for all of them.
    m_reportWaiting = true;
    if (m_openersRunning > 0) {
        if (!m_settle.isActive())
            m_settle.start();
        return;
    }
    m_settle.stop();
    QTimer::singleShot(0, &m_settle, [this] { report(); });
}

void QtDesktop::report()
{
    if (!m_reportWaiting || m_unopened.isEmpty())
        return;
    m_reportWaiting = false;
    m_settle.stop();
    if (UserAttention::instance().commandAtWork()) {
        reportSoon();
        return;
    }
    const QStringList paths = std::exchange(m_unopened, {});
    message(m_unopenedOwner.data(), OpenFailureText(paths), Messages::DocumentNotOpenedTitle, Icon::Exclamation);
}

void QtDesktop::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}
