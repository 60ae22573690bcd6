#include "retrieval/Fetch.h"

#include <QCoreApplication>
#include <QFile>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QNetworkReply>
#include <QUrl>

#include "retrieval/Inet1.h"
#include "retrieval/frmE2SD.h"
#include "retrieval/frmTransfer.h"
#include "shell/AppContext.h"
#include "shell/Library.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// The hourglass for the length of the transfer; gone again before any message.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
    void restore()
    {
        if (m_up)
            QGuiApplication::restoreOverrideCursor();
        m_up = false;
    }

private:
    bool m_up = true;
};

// The scratch copy of the last page: the new body only, cut to its length. Nobody
// reads it back, so a failure to write it is of no consequence.
void writeScratchCopy(const QString &workPath, const QByteArray &body)
{
    QFile file(workPath + u"/Temp.txt"_s);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(body);
}

} // namespace

QString SearchingText()
{
    return Messages::Searching;
}

QString DrugPageText(const QString &drugName)
{
    return Messages::FetchingDrug + drugName;
}

QString DocumentText(const QString &path)
{
    // The folder a document is filed in tells its kind: a drug's package insert and its
    // patient guide bear the same name.
    const QFileInfo file(path);
    const QString folder = file.dir().dirName();
    const auto folderOf = [](const QString &relative) { return QFileInfo(relative).fileName(); };
    QString kind = Messages::FetchingInsert;
    if (folder == folderOf(Library::Patient()))
        kind = Messages::FetchingGuide;
    else if (folder == folderOf(Library::Revision()))
        kind = Messages::FetchingRevision;
    else if (folder == folderOf(Library::Root()))
        kind = Messages::FetchingManual;
    return kind + file.completeBaseName();
}

QString HostNotFoundText(const QString &url, const QString &serviceBase, const QString &source)
{
    const QString host = QUrl(url).host();
    QString text = Messages::HostNotFound.arg(host);
    if (host.compare(QUrl(serviceBase).host(), Qt::CaseInsensitive) == 0)
        text += Messages::ServiceBaseSetIn.arg(source);
    return text;
}

std::optional<QByteArray> FetchBytes(AppContext &context, QWidget *owner, Inet1 &inet, const QString &url,
                                     [[maybe_unused]] BodyUse use, const QString &what)
{
    WaitCursor wait;
    inet.setTimeout(context.state.TransferTimeoutMs);
    inet.setProxyLogin(&context.state.ProxyLogin, [&context, owner](const QString &proxy, bool refused) {
        // the dialog shows the ordinary pointer over the hourglass
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        const std::optional<ProxyCredentials> login = context.desktop.askProxyCredentials(owner, proxy, refused);
        QGuiApplication::restoreOverrideCursor();
        return login;
    });
    Inet1::Reply reply;
    {
        const QString shown = what.isEmpty() ? Messages::Communicating : what;
        frmTransfer progress(inet, shown, context.state.ProgressDelayMs, owner);
        inet.setObserver(&progress);
        reply = inet.OpenURL(url);
        inet.setObserver(nullptr);
    }
    inet.setProxyLogin(nullptr, {});
    wait.restore();
    if (reply.aborted)
        return std::nullopt; // the user stopped it: nothing to report

    QString failure;
    if (!reply.ok && reply.errorNumber == QNetworkReply::HostNotFoundError)
        failure = HostNotFoundText(url, context.state.ServiceBase, context.state.ServiceBaseSource);
    else if (!reply.ok)
        failure = reply.errorText;
    else if (reply.httpStatus >= 400)
        failure = Inet1::describeHttpStatus(reply.httpStatus, reply.httpReason);
    if (!failure.isEmpty()) {
        context.desktop.message(owner, failure, Messages::TransferErrorTitle, Desktop::Icon::Exclamation);
        return std::nullopt;
    }
    return reply.body;
}

std::optional<QString> FetchPage(AppContext &context, QWidget *owner, Inet1 &inet, const QString &url, Yield yield,
                                 const QString &what)
{
    const std::optional<QByteArray> body = FetchBytes(context, owner, inet, url, BodyUse::Page, what);
    if (!body)
        return std::nullopt;
    writeScratchCopy(context.state.WorkPath, *body);
    QString text = EucToSjisShown(context.state.Tables, *body);
    if (yield == Yield::Yes)
        QCoreApplication::processEvents();
    return text;
}
