#include "retrieval/Fetch.h"

#include <QCoreApplication>
#include <QFile>
#include <QCursor>
#include <QGuiApplication>

#include "retrieval/Inet1.h"
#include "retrieval/frmE2SD.h"
#include "shell/AppContext.h"
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

std::optional<QByteArray> FetchBytes(AppContext &context, QWidget *owner, Inet1 &inet, const QString &url,
                                     BodyUse use)
{
    WaitCursor wait;
    inet.setTimeout(context.state.TransferTimeoutMs);
    inet.setProxyLogin(&context.state.ProxyLogin, [&context, owner](const QString &proxy, bool refused) {
        // the dialog shows the ordinary pointer over the hourglass
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        const std::optional<ProxyCredentials> login = context.desktop.AskProxyCredentials(owner, proxy, refused);
        QGuiApplication::restoreOverrideCursor();
        return login;
    });
    const Inet1::Reply reply = inet.OpenURL(url);
    inet.setProxyLogin(nullptr, {});
    wait.restore();

    QString failure;
    if (!reply.ok)
        failure = reply.errorText;
    else if (use == BodyUse::Document && reply.httpStatus >= 400)
        failure = Inet1::DescribeHttpStatus(reply.httpStatus, reply.httpReason);
    if (!failure.isEmpty()) {
        context.desktop.Message(owner, failure, Messages::TransferErrorTitle, Desktop::Icon::Exclamation);
        return std::nullopt;
    }
    return reply.body;
}

std::optional<QString> FetchPage(AppContext &context, QWidget *owner, Inet1 &inet, const QString &url, Yield yield)
{
    const std::optional<QByteArray> body = FetchBytes(context, owner, inet, url, BodyUse::Page);
    if (!body)
        return std::nullopt;
    writeScratchCopy(context.state.WorkPath, *body);
    QString text = EucToSjisShown(context.state.Tables, *body);
    if (yield == Yield::Yes)
        QCoreApplication::processEvents();
    return text;
}
