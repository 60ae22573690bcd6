#include "retrieval/Inet1.h"

#include <QAuthenticator>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSet>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 ReadBufferBytes = 256 * 1024;

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
    case QNetworkReply::UnknownServerError: return true;
    default: return false;
    }
}

QString japaneseFor(int errorNumber)
{
    switch (errorNumber) {
    case QNetworkReply::ConnectionRefusedError: return u"サーバーに接続できませんでした。接続を拒否されました。"_s;
    case QNetworkReply::RemoteHostClosedError: return u"サーバーが通信の途中で接続を閉じました。"_s;
    case QNetworkReply::HostNotFoundError: return u"サーバーが見つかりません。ネットワークの接続を確認してください。"_s;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // the transfer time-out cancels the reply
        return u"サーバーから時間内に応答がありませんでした。"_s;
    case QNetworkReply::SslHandshakeFailedError: return u"安全な接続を確立できませんでした。"_s;
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError: return u"ネットワークに接続できません。"_s;
    case QNetworkReply::TooManyRedirectsError: return u"転送先の指定が多すぎます。"_s;
    case QNetworkReply::InsecureRedirectError: return u"安全でない転送先が指定されました。"_s;
    case QNetworkReply::ProxyConnectionRefusedError:
        return u"プロキシサーバーに接続できませんでした。接続を拒否されました。"_s;
    case QNetworkReply::ProxyConnectionClosedError: return u"プロキシサーバーが通信の途中で接続を閉じました。"_s;
    case QNetworkReply::ProxyNotFoundError: return u"プロキシサーバーが見つかりません。"_s;
    case QNetworkReply::ProxyTimeoutError: return u"プロキシサーバーから時間内に応答がありませんでした。"_s;
    case QNetworkReply::ProxyAuthenticationRequiredError: return u"プロキシサーバーの認証が必要です。"_s;
    case QNetworkReply::UnknownProxyError: return u"プロキシサーバーとの通信に失敗しました。"_s;
    case QNetworkReply::ProtocolUnknownError: return u"この形式のアドレスには対応していません。"_s;
    case QNetworkReply::ProtocolFailure: return u"サーバーの応答を読み取れませんでした。"_s;
    default: return {};
    }
}

// What an HTTP error status means to the user; empty for a status without one.
QString japaneseForStatus(int status)
{
    switch (status) {
    case 400: return u"要求の形式が正しくありません。"_s;
    case 401: return u"認証が必要です。"_s;
    case 403: return u"アクセスが拒否されました。"_s;
    case 404: return u"ページが見つかりません。"_s;
    case 407: return u"プロキシサーバーの認証が必要です。"_s;
    case 408: return u"サーバーが要求を待ちきれませんでした。"_s;
    case 410: return u"ページは削除されました。"_s;
    case 429: return u"要求が多すぎます。しばらく待ってからやり直してください。"_s;
    case 500: return u"サーバー内部でエラーが起きました。"_s;
    case 502: return u"中継サーバーが正しい応答を受け取れませんでした。"_s;
    case 503: return u"サービスは一時的に利用できません。しばらく待ってからやり直してください。"_s;
    case 504: return u"中継サーバーから時間内に応答がありませんでした。"_s;
    default: return {};
    }
}

// Through an HTTP proxy Qt reports the proxy's own failures as if the server had
// failed; the user needs to know which of the two to look at.
QNetworkReply::NetworkError asProxyError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError: return QNetworkReply::ProxyConnectionRefusedError;
    case QNetworkReply::HostNotFoundError: return QNetworkReply::ProxyNotFoundError;
    default: return error;
    }
}

// What a certificate problem means to the user; the first problem that the TLS
// layer reports is the one described.
QString japaneseForCertificate(QSslError::SslError error)
{
    switch (error) {
    case QSslError::CertificateExpired: return u"サーバーの証明書の有効期限が切れています。"_s;
    case QSslError::CertificateNotYetValid: return u"サーバーの証明書はまだ有効ではありません。"_s;
    case QSslError::HostNameMismatch: return u"サーバーの証明書が接続先の名前と一致しません。"_s;
    case QSslError::CertificateRevoked: return u"サーバーの証明書は失効しています。"_s;
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
    case QSslError::CertificateRejected: return u"サーバーの証明書を信頼できません。"_s;
    default: return u"サーバーの証明書に問題があります。"_s;
    }
}

// Adds the certificates of `path` that are not in `authorities` yet. A file is read
// once however many links lead to it: a system folder names every certificate twice
// and holds the bundle of all of them besides.
void addAuthorities(QList<QSslCertificate> &authorities, QSet<QString> &filesRead, const QString &path)
{
    const QString file = QFileInfo(path).canonicalFilePath();
    if (file.isEmpty() || filesRead.contains(file))
        return;
    filesRead.insert(file);
    for (const QSslCertificate &certificate : QSslCertificate::fromPath(file)) {
        if (!authorities.contains(certificate))
            authorities += certificate;
    }
}

// OpenSSL programs also trust the certificates that SSL_CERT_FILE (one PEM file) and
// SSL_CERT_DIR (folders, separated by ":") name; Qt's own list ignores both. Nothing
// when neither is set, so that the system's list is used as Qt loads it. The list is
// read again only when the variables change.
std::optional<QSslConfiguration> trustFromEnvironment()
{
    const QString file = qEnvironmentVariable("SSL_CERT_FILE");
    const QString folders = qEnvironmentVariable("SSL_CERT_DIR");
    if (file.isEmpty() && folders.isEmpty())
        return std::nullopt;
    static QString readFor;
    static QList<QSslCertificate> authorities;
    const QString key = file + u'\n' + folders;
    if (key != readFor) {
        authorities = QSslConfiguration::systemCaCertificates();
        QSet<QString> filesRead;
        if (!file.isEmpty())
            addAuthorities(authorities, filesRead, file);
        for (const QString &folder : folders.split(u':', Qt::SkipEmptyParts)) {
            for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files | QDir::Readable))
                addAuthorities(authorities, filesRead, entry.filePath());
        }
        readFor = key;
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(authorities);
    return configuration;
}

bool goesThroughProxy(const QUrl &target)
{
    const QList<QNetworkProxy> proxies = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(target));
    return !proxies.isEmpty() && proxies.first().type() != QNetworkProxy::NoProxy
           && proxies.first().type() != QNetworkProxy::DefaultProxy;
}

} // namespace

Inet1::Inet1(int timeoutMs) : m_timeoutMs(timeoutMs) {}

QNetworkAccessManager &Inet1::manager()
{
    if (!m_manager) {
        m_manager = std::make_unique<QNetworkAccessManager>();
        m_manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    }
    return *m_manager;
}

Inet1::~Inet1() = default;

void Inet1::setTimeout(int timeoutMs)
{
    m_timeoutMs = timeoutMs;
}

void Inet1::setProxyLogin(ProxyCredentials *remembered, ProxyCredentialsAsker ask)
{
    m_rememberedLogin = remembered;
    m_askLogin = std::move(ask);
}

void Inet1::Abort()
{
    if (!m_running || m_aborted)
        return;
    m_aborted = true;
    m_running->abort();
}

QString Inet1::Describe(int errorNumber, const QString &technical)
{
    // The system's text only where there is no description of our own (the
    // time-out's "Operation canceled" would say the opposite of what happened).
    const QString text = japaneseFor(errorNumber);
    if (!text.isEmpty())
        return text;
    return technical.isEmpty() ? u"通信に失敗しました。"_s : u"通信に失敗しました。 ("_s % technical % u')';
}

QString Inet1::DescribeHttpStatus(int status, const QByteArray &reason)
{
    const QString text = japaneseForStatus(status);
    if (!text.isEmpty())
        return u"サーバーがエラーを返しました（HTTP "_s % QString::number(status) % u"）。"_s % text;
    QString technical = u"HTTP "_s + QString::number(status);
    if (!reason.isEmpty())
        technical += u' ' + QString::fromLatin1(reason);
    return u"サーバーがエラーを返しました。 ("_s % technical % u')';
}

Inet1::Reply Inet1::OpenURL(const QString &url, const Headers &headers)
{
    Reply result;

    // The caller has already percent-encoded what needs it, so the escapes pass through
    // as they are; only an escaped letter, digit or "-._~" goes out as the character
    // itself, which a server reads alike.
    const QUrl target = QUrl::fromEncoded(url.toUtf8(), QUrl::TolerantMode);
    if (!target.isValid() || target.scheme().isEmpty() || target.host().isEmpty()) {
        result.errorNumber = QNetworkReply::ProtocolUnknownError;
        result.errorText = u"アドレスが正しくありません。 ("_s % url % u')';
        return result;
    }

    // On Linux this reads http_proxy / no_proxy at every request.
    QNetworkProxyFactory::setUseSystemConfiguration(true);

    // One manager for every request, so that its connections are used again.
    QNetworkAccessManager &manager = this->manager();

    QNetworkRequest request(target);
    // Only https needs the list of trusted certificates, which is large to hold.
    if (target.scheme() == u"https"_s) {
        if (const std::optional<QSslConfiguration> trust = trustFromEnvironment())
            request.setSslConfiguration(*trust);
    }
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);

    // A transfer fails after m_timeoutMs without progress; the clock stops while the
    // user is asked for the proxy's credentials.
    QTimer stall;
    stall.setSingleShot(true);
    stall.setInterval(m_timeoutMs);
    const auto restartStall = [this, &stall] {
        if (m_timeoutMs > 0)
            stall.start();
    };

    // Qt asks only when the proxy wants credentials and the ones it already had (from
    // http_proxy, or given here) were turned down; what was remembered goes first.
    // The question belongs to this request alone: `scope` ends it with the request.
    bool offered = false;
    QObject scope;
    QObject::connect(&manager, &QNetworkAccessManager::proxyAuthenticationRequired, &scope,
                     [&](const QNetworkProxy &proxy, QAuthenticator *authenticator) {
                         const bool refused = offered || !proxy.user().isEmpty() || !authenticator->user().isEmpty();
                         std::optional<ProxyCredentials> login;
                         if (!refused && m_rememberedLogin && !m_rememberedLogin->user.isEmpty()) {
                             login = *m_rememberedLogin;
                         } else if (m_askLogin) {
                             stall.stop();
                             login = m_askLogin(proxy.hostName() + u':' + QString::number(proxy.port()), refused);
                             restartStall();
                             if (login && m_rememberedLogin)
                                 *m_rememberedLogin = *login;
                         }
                         if (!login)
                             return; // the transfer fails with the proxy's 407
                         offered = true;
                         authenticator->setUser(login->user);
                         authenticator->setPassword(login->password);
                     });

    QNetworkReply *reply = manager.get(request);
    QList<QSslError> certificateProblems;
    QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                     [&certificateProblems](const QList<QSslError> &errors) { certificateProblems += errors; });
    QObject::connect(&stall, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::downloadProgress, &stall, restartStall);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &stall, restartStall);
    restartStall();
    // A bounded buffer makes the network wait for us: without it, what the network
    // thread has read piles up unbounded whenever this thread is slower.
    reply->setReadBufferSize(ReadBufferBytes);
    m_running = reply;
    m_aborted = false;
    // The body is taken as it arrives, so the reply's buffer never holds it whole
    // beside our copy; with its length known, the copy is made room for once.
    // The observer is told the bytes read, as they are read: Qt's own progress signal
    // lags behind them and may say nothing of a body that stops halfway.
    Observer *observer = m_observer;
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, &result, observer, restartStall] {
        const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (result.body.isEmpty() && length > 0 && length < qint64(1) << 31)
            result.body.reserve(qsizetype(length));
        const qsizetype before = result.body.size();
        result.body.append(reply->readAll());
        if (result.body.size() == before)
            return;
        restartStall();
        if (observer)
            observer->TransferProgress(result.body.size(), length >= result.body.size() ? length : -1);
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
    result.etag = m_lastEtag = reply->rawHeader("ETag");
    result.lastModified = m_lastModified = reply->rawHeader("Last-Modified");
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
        if (error == QNetworkReply::SslHandshakeFailedError && !certificateProblems.isEmpty()) {
            const QSslError &first = certificateProblems.first();
            result.errorText = japaneseForCertificate(first.error());
        } else {
            result.errorText = Describe(result.errorNumber, reply->error() == QNetworkReply::NoError
                                                                ? u"Connection closed before the whole body arrived"_s
                                                                : reply->errorString());
        }
    }
    m_aborted = false;
    delete reply;
    return result;
}
