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

#include "retrieval/TransferErrors.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 ReadBufferBytes = 256 * 1024;

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

void Inet1::abort()
{
    if (!m_running || m_aborted)
        return;
    m_aborted = true;
    m_running->abort();
}

QString Inet1::describe(int errorNumber, const QString &technical)
{
    // The system's text only where there is no description of our own (the
    // time-out's "Operation canceled" would say the opposite of what happened).
    const QString text = TransferErrors::NetworkErrorText(errorNumber);
    if (!text.isEmpty())
        return text;
    return technical.isEmpty() ? Messages::TransferFailed : Messages::TransferFailed % u" ("_s % technical % u')';
}

QString Inet1::describeHttpStatus(int status, const QByteArray &reason)
{
    const QString text = TransferErrors::HttpStatusText(status);
    if (!text.isEmpty())
        return Messages::ServerErrorStatus.arg(status).arg(text);
    QString technical = u"HTTP "_s + QString::number(status);
    if (!reason.isEmpty())
        technical += u' ' + QString::fromLatin1(reason);
    return Messages::ServerError % u" ("_s % technical % u')';
}

namespace {

// The request for exactly `target` with the caller's `headers`: nothing cached or
// stored, no cookies; https with the trusted certificates.
QNetworkRequest buildRequest(const QUrl &target, const Inet1::Headers &headers)
{
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
    return request;
}

} // namespace

// Qt asks only when the proxy wants credentials and the ones it already had (from
// http_proxy, or given here) were turned down; what was remembered goes first.
// `offered` tells that this request has already given credentials. The time-out's
// clock stops while the user answers.
void Inet1::answerProxyLogin(const QNetworkProxy &proxy, QAuthenticator &authenticator, bool &offered, QTimer &stall)
{
    const bool refused = offered || !proxy.user().isEmpty() || !authenticator.user().isEmpty();
    std::optional<ProxyCredentials> login;
    if (!refused && m_rememberedLogin && !m_rememberedLogin->user.isEmpty()) {
        login = *m_rememberedLogin;
    } else if (m_askLogin) {
        stall.stop();
        login = m_askLogin(proxy.hostName() + u':' + QString::number(proxy.port()), refused);
        if (m_timeoutMs > 0)
            stall.start();
        if (login && m_rememberedLogin)
            *m_rememberedLogin = *login;
    }
    if (!login)
        return; // the transfer fails with the proxy's 407
    offered = true;
    authenticator.setUser(login->user);
    authenticator.setPassword(login->password);
}

// Turns the finished reply into the answer: the body, the server's answer with an
// HTTP error status, or a failure in words; `result.body` holds what arrived so far.
void Inet1::classifyReply(QNetworkReply &reply, const QUrl &target, const QList<QSslError> &certificateProblems,
                          Reply &result) const
{
    result.httpStatus = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.httpReason = reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    result.etag = reply.rawHeader("ETag");
    result.lastModified = reply.rawHeader("Last-Modified");
    QNetworkReply::NetworkError error = reply.error();
    if (error == QNetworkReply::NoError)
        result.body.append(reply.readAll());
    // A connection cut in the middle of a body can end the reply without an error when
    // the network waited for us at that moment; the length the server announced tells
    // (for a body sent as it is: a compressed one is unpacked to another length).
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = reply.rawHeader("Content-Encoding").trimmed().toLower();
    if (error == QNetworkReply::NoError && announced.isValid() && (encoding.isEmpty() || encoding == "identity")
        && result.body.size() < announced.toLongLong())
        error = QNetworkReply::RemoteHostClosedError;
    if (m_aborted) {
        result.body = QByteArray();
        result.aborted = true;
        result.errorNumber = int(QNetworkReply::OperationCanceledError);
    } else if (error == QNetworkReply::NoError || (result.httpStatus >= 400 && TransferErrors::IsStatusError(error))) {
        result.ok = true;
        result.body.append(reply.readAll());
    } else {
        result.body = QByteArray();
        // No HTTP answer at all: the connection went to the proxy, if there was one.
        const bool viaProxy = result.httpStatus == 0 && goesThroughProxy(target);
        result.errorNumber = int(viaProxy ? TransferErrors::AsProxyError(error) : error);
        if (error == QNetworkReply::SslHandshakeFailedError && !certificateProblems.isEmpty()) {
            result.errorText = TransferErrors::CertificateErrorText(certificateProblems.first().error());
        } else {
            result.errorText = describe(result.errorNumber, reply.error() == QNetworkReply::NoError
                                                                ? u"Connection closed before the whole body arrived"_s
                                                                : reply.errorString());
        }
    }
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
        result.errorText = Messages::AddressInvalid % u" ("_s % url % u')';
        return result;
    }

    // On Linux this reads http_proxy / no_proxy at every request.
    QNetworkProxyFactory::setUseSystemConfiguration(true);

    // One manager for every request, so that its connections are used again.
    QNetworkAccessManager &manager = this->manager();

    // A transfer fails after m_timeoutMs without progress; the clock stops while the
    // user is asked for the proxy's credentials.
    QTimer stall;
    stall.setSingleShot(true);
    stall.setInterval(m_timeoutMs);
    const auto restartStall = [this, &stall] {
        if (m_timeoutMs > 0)
            stall.start();
    };

    // The question belongs to this request alone: `scope` ends it with the request.
    bool offered = false;
    QObject scope;
    QObject::connect(&manager, &QNetworkAccessManager::proxyAuthenticationRequired, &scope,
                     [&](const QNetworkProxy &proxy, QAuthenticator *authenticator) {
                         answerProxyLogin(proxy, *authenticator, offered, stall);
                     });

    const std::unique_ptr<QNetworkReply> reply(manager.get(buildRequest(target, headers)));
    QNetworkReply *running = reply.get();
    QList<QSslError> certificateProblems;
    QObject::connect(running, &QNetworkReply::sslErrors, running,
                     [&certificateProblems](const QList<QSslError> &errors) { certificateProblems += errors; });
    QObject::connect(&stall, &QTimer::timeout, running, &QNetworkReply::abort);
    QObject::connect(running, &QNetworkReply::downloadProgress, &stall, restartStall);
    QObject::connect(running, &QNetworkReply::metaDataChanged, &stall, restartStall);
    restartStall();
    // A bounded buffer makes the network wait for us: without it, what the network
    // thread has read piles up unbounded whenever this thread is slower.
    running->setReadBufferSize(ReadBufferBytes);
    m_running = running;
    m_aborted = false;
    // The body is taken as it arrives, so the reply's buffer never holds it whole
    // beside our copy; with its length known, the copy is made room for once.
    // The observer is told the bytes read, as they are read: Qt's own progress signal
    // lags behind them and may say nothing of a body that stops halfway.
    Observer *observer = m_observer;
    QObject::connect(running, &QNetworkReply::readyRead, running, [running, &result, observer, restartStall] {
        const qint64 length = running->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (result.body.isEmpty() && length > 0 && length < qint64(1) << 31)
            result.body.reserve(qsizetype(length));
        const qsizetype before = result.body.size();
        result.body.append(running->readAll());
        if (result.body.size() == before)
            return;
        restartStall();
        if (observer)
            observer->transferProgress(result.body.size(), length >= result.body.size() ? length : -1);
    });
    QEventLoop loop;
    QObject::connect(running, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (observer)
        observer->transferStarted();
    if (!running->isFinished())
        loop.exec(observer ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    m_running = nullptr;
    if (observer)
        observer->transferEnded();

    classifyReply(*running, target, certificateProblems, result);
    m_lastEtag = result.etag;
    m_lastModified = result.lastModified;
    m_aborted = false;
    return result;
}
