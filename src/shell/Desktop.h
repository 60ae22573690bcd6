#pragma once

#include <optional>

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "shell/ProgramState.h"

class QWidget;

// The platform's user-facing services: message boxes, the proxy's login question,
// opening a file in its viewer, the clipboard. The program uses QtDesktop; tests put
// a recorder in its place.
class Desktop {
public:
    enum class Icon { None, Exclamation, Information };

    virtual ~Desktop() = default;
    // A modal message with an OK button.
    virtual void message(QWidget *owner, const QString &text, const QString &title, Icon icon = Icon::None) = 0;
    // The modal "プロキシ認証" dialog for the proxy "host:port" (refused: it turned
    // down what it was given); nothing when the user cancels. A desktop that cannot
    // ask cancels.
    virtual std::optional<ProxyCredentials> askProxyCredentials(QWidget *, const QString &, bool)
    {
        return std::nullopt;
    }
    // Hands the file to the desktop's default handler and returns at once; when the
    // desktop cannot open it, the user is told where the file lies, once the command
    // that opened it has ended.
    virtual void openDocument(QWidget *owner, const QString &path) = 0;
    virtual void setClipboardText(const QString &text) = 0;
    // A modal question with "はい" and "いいえ"; true for yes. A desktop that cannot ask
    // says no.
    virtual bool ask(QWidget *, const QString &, const QString &) { return false; }
};

// The message given when the desktop could not open the files at `paths`.
QString OpenFailureText(const QStringList &paths);

class QtDesktop final : public Desktop {
public:
    QtDesktop();
    // Lets go of the openers still running, so that a viewer that xdg-open keeps in
    // the foreground stays open when the program ends.
    ~QtDesktop() override;
    void message(QWidget *owner, const QString &text, const QString &title, Icon icon) override;
    std::optional<ProxyCredentials> askProxyCredentials(QWidget *owner, const QString &proxy, bool refused) override;
    // Runs xdg-open without waiting for it; its exit status decides whether the file
    // was opened. The files that could not be opened are told in one box when no
    // command is at work any more and the openers started until then have ended (or
    // have run a second, as one that keeps its viewer in the foreground does).
    void openDocument(QWidget *owner, const QString &path) override;
    void setClipboardText(const QString &text) override;
    bool ask(QWidget *owner, const QString &text, const QString &title) override;

    static constexpr int OpenersSettleMs = 1000;

private:
    void openFailed(QWidget *owner, const QString &path);
    void reportSoon();
    void report();

    QStringList m_unopened; // full paths, in the order their openers failed
    QPointer<QWidget> m_unopenedOwner;
    int m_openersRunning = 0;
    bool m_reportWaiting = false;
    QTimer m_settle;
    QMetaObject::Connection m_settled;
};
