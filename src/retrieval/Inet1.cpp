#include "retrieval/Inet1.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 ReadBufferBytes = 1024 * 1024;

// Errors that Qt derives from an HTTP error status once the whole body has arrived;
// the body is then the server's answer, not a broken transfer.
bool isStatusError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ContentReSendError:
    case QNetworkReply::ContentConflictError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

QString japaneseFor(int errorNumber)
{
    switch (errorNumber) {
    case QNetworkReply::ConnectionRefusedError:
        return u"サーバーに接続できませんでした。接続を拒否されました。"_s;
    case QNetworkReply::RemoteHostClosedError:
        return u"サーバーが通信の途中で接続を閉じました。"_s;
    case QNetworkReply::HostNotFoundError:
        return u"サーバーが見つかりません。ネットワークの接続を確認してください。"_s;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // the transfer time-out cancels the reply
        return u"サーバーから時間内に応答がありませんでした。"_s;
    case QNetworkReply::SslHandshakeFailedError:
        return u"安全な接続を確立できませんでした。"_s;
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
        return u"ネットワークに接続できません。"_s;
    case QNetworkReply::TooManyRedirectsError:
        return u"転送先の指定が多すぎます。"_s;
    case QNetworkReply::InsecureRedirectError:
        return u"安全でない転送先が指定されました。"_s;
    case QNetworkReply::ProxyConnectionRefusedError:
        return u"プロキシサーバーに接続できませんでした。接続を拒否されました。"_s;
    case QNetworkReply::ProxyConnectionClosedError:
        return u"プロキシサーバーが通信の途中で接続を閉じました。"_s;
    case QNetworkReply::ProxyNotFoundError:
        return u"プロキシサーバーが見つかりません。"_s;
    case QNetworkReply::ProxyTimeoutError:
        return u"プロキシサーバーから時間内に応答がありませんでした。"_s;
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return u"プロキシサーバーの認証が必要です。"_s;
    case QNetworkReply::UnknownProxyError:
        return u"プロキシサーバーとの通信に失敗しました。"_s;
    case QNetworkReply::ProtocolUnknownError:
        return u"この形式のアドレスには対応していません。"_s;
    case QNetworkReply::ProtocolFailure:
        return u"サーバーの応答を読み取れませんでした。"_s;
    default:
        return u"通信に失敗しました。"_s;
    }
}

// Through an HTTP proxy Qt reports the proxy's own failures as if the server had
// failed; the user needs to know which of the two to look at.
QNetworkReply::NetworkError asProxyError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QNetworkReply::ProxyConnectionRefusedError;
    case QNetworkReply::HostNotFoundError:
        return QNetworkReply::ProxyNotFoundError;
    default:
        return error;
    }
}

bool goesThroughProxy(const QUrl &target)
{
    const QList<QNetworkProxy> proxies = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(target));
    return !proxies.isEmpty() && proxies.first().type() != QNetworkProxy::NoProxy
           && proxies.first().type() != QNetworkProxy::DefaultProxy;
}

} // namespace

Inet1::Inet1(int timeoutMs) : m_timeoutMs(timeoutMs) {}

Inet1::~Inet1() = default;

void Inet1::setTimeout(int timeoutMs) { m_timeoutMs = timeoutMs; }

void Inet1::Abort()
{
    if (!m_running || m_aborted)
        return;
    m_aborted = true;
    m_running->abort();
}

QString Inet1::Describe(int errorNumber, const QString &technical)
{
    const QString text = japaneseFor(errorNumber);
    return technical.isEmpty() ? text : text % u" ("_s % technical % u')';
}

QString Inet1::DescribeHttpStatus(int status, const QByteArray &reason)
{
    QString technical = u"HTTP "_s + QString::number(status);
    if (!reason.isEmpty())
        technical += u' ' + QString::fromLatin1(reason);
    return u"サーバーがエラーを返しました。 ("_s % technical % u')';
}

Inet1::Reply Inet1::OpenURL(const QString &url)
{
    Reply result;

    // The caller has already percent-encoded what needs it, so the escapes pass through
    // as they are; only an escaped letter, digit or "-._~" goes out as the character
    // itself, which a server reads alike.
    const QUrl target = QUrl::fromEncoded(url.toUtf8(), QUrl::TolerantMode);
    if (!target.isValid() || target.scheme().isEmpty() || target.host().isEmpty()) {
        result.errorNumber = QNetworkReply::ProtocolUnknownError;
        result.description = u"アドレスが正しくありません。 ("_s % url % u')';
        return result;
    }

    // On Linux this reads http_proxy / no_proxy at every request.
    QNetworkProxyFactory::setUseSystemConfiguration(true);

    // A manager of its own per request: no cookie, cache or connection outlives it.
    QNetworkAccessManager manager;
    manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);

    QNetworkRequest request(target);
    request.setTransferTimeout(m_timeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);

    QNetworkReply *reply = manager.get(request);
    // A bounded buffer makes the network wait for us: without it, what the network
    // thread has read piles up unbounded whenever this thread is slower.
    reply->setReadBufferSize(ReadBufferBytes);
    m_running = reply;
    m_aborted = false;
    // The body is taken as it arrives, so the reply's buffer never holds it whole
    // beside our copy; with its length known, the copy is made room for once.
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, &result] {
        if (result.body.isEmpty()) {
            const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
            if (length > 0 && length < qint64(1) << 31)
                result.body.reserve(qsizetype(length));
        }
        result.body.append(reply->readAll());
    });
    Observer *observer = m_observer;
    if (observer)
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                         [observer](qint64 received, qint64 total) {
                             observer->TransferProgress(received, total > 0 ? total : -1);
                         });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (observer)
        observer->TransferStarted();
    if (!reply->isFinished())
        loop.exec(observer ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    m_running = nullptr;
    if (observer)
        observer->TransferEnded();

    result.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.httpReason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    QNetworkReply::NetworkError error = reply->error();
    if (error == QNetworkReply::NoError)
        result.body.append(reply->readAll());
    // A connection cut in the middle of a body can end the reply without an error when
    // the network waited for us at that moment; the length the server announced tells
    // (for a body sent as it is: a compressed one is unpacked to another length).
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
    if (error == QNetworkReply::NoError && announced.isValid() && (encoding.isEmpty() || encoding == "identity")
        && result.body.size() < announced.toLongLong())
        error = QNetworkReply::RemoteHostClosedError;
    if (m_aborted) {
        result.body = QByteArray();
        result.aborted = true;
        result.errorNumber = int(QNetworkReply::OperationCanceledError);
    } else if (error == QNetworkReply::NoError || (result.httpStatus >= 400 && isStatusError(error))) {
        result.ok = true;
        result.body.append(reply->readAll());
    } else {
        result.body = QByteArray();
        // No HTTP answer at all: the connection went to the proxy, if there was one.
        const bool viaProxy = result.httpStatus == 0 && goesThroughProxy(target);
        result.errorNumber = int(viaProxy ? asProxyError(error) : error);
        result.description = Describe(result.errorNumber, reply->error() == QNetworkReply::NoError
                                                              ? u"Connection closed before the whole body arrived"_s
                                                              : reply->errorString());
    }
    m_aborted = false;
    delete reply;
    return result;
}
