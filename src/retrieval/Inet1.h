#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>

#include "shell/ProgramState.h"

// Asks the user for the proxy's credentials; nothing when the user cancels. `proxy` is
// "host:port"; `refused` tells that the proxy turned down the ones it was given.
using ProxyCredentialsAsker = std::function<std::optional<ProxyCredentials>(const QString &proxy, bool refused)>;

class QAuthenticator;
class QNetworkAccessManager;
class QNetworkProxy;
class QNetworkReply;
class QSslError;
class QTimer;
class QUrl;

// The transfer control: one GET of exactly the given URL, the whole body or an error
// with a number and a description. Redirects are followed and the system's proxy
// settings honoured. The connection to each server (and its TLS session) is kept for
// the next request of the same Inet1, as one round trip or two on a distant link
// count for more than the transfer; a connection the server has closed meanwhile is
// opened again. Nothing else (cookies, cache) is kept between requests.
// https uses the system's trusted certificates and those that SSL_CERT_FILE and
// SSL_CERT_DIR name; a certificate problem fails the transfer.
// Blocks the caller; the event loop keeps repainting but gets no user input, unless
// an observer follows the transfer: then input is delivered, so that the observer's
// window can stop it, and keeping the caller's window still is the caller's matter.
class Inet1 {
public:
    // Follows one transfer as it runs: the progress window.
    class Observer {
    public:
        virtual ~Observer() = default;
        virtual void transferStarted() = 0;
        // total is -1 while the server has not said how long the body is
        virtual void transferProgress(qint64 received, qint64 total) = 0;
        virtual void transferEnded() = 0;
    };

    struct Reply {
        bool ok = false;
        QByteArray body;
        int httpStatus = 0; // 0 when no HTTP answer arrived
        QByteArray httpReason;
        int errorNumber = 0;  // 0 on success; else the network error code
        QString errorText;    // empty on success; Japanese, technical text in parentheses only without a description
        bool aborted = false; // stopped by abort(); no body, nothing to report
        QByteArray etag;      // the answer's validators, empty when the server sent none
        QByteArray lastModified;
    };
    // Further request headers, e.g. If-None-Match for a conditional request.
    using Headers = QList<std::pair<QByteArray, QByteArray>>;

    explicit Inet1(int timeoutMs = 60000);
    ~Inet1();

    void setTimeout(int timeoutMs); // a transfer without progress for this long fails
    int timeout() const { return m_timeoutMs; }

    // When a proxy wants credentials: `remembered` (if any) is offered first, without
    // asking; when there is none or the proxy refuses it, `ask` is called, and its
    // answer is kept in `remembered`. Without an answer the transfer fails (407).
    // The time the user takes to answer does not count against the time-out.
    void setProxyLogin(ProxyCredentials *remembered, ProxyCredentialsAsker ask);

    // An answer with an HTTP error status still counts as an answer here: its body is
    // returned with ok set, and httpStatus tells the caller what the server said.
    // A conditional request's 304 is an answer too: ok, without a body.
    Reply OpenURL(const QString &url, const Headers &headers = {});
    // The validators of the last answer, for recording where a saved document came from.
    QByteArray lastEtag() const { return m_lastEtag; }
    QByteArray lastModified() const { return m_lastModified; }

    // Followed by `observer` (none: nullptr) from the next OpenURL on.
    void setObserver(Observer *observer) { m_observer = observer; }
    // Stops the running transfer; OpenURL then returns with aborted set.
    void abort();

    // The user-facing text for a failed transfer: what went wrong in Japanese; the
    // technical text in parentheses only where there is no Japanese description.
    static QString describe(int errorNumber, const QString &technical);
    // The same for an answer whose HTTP status the caller refuses (400 and above).
    static QString describeHttpStatus(int status, const QByteArray &reason);

private:
    QNetworkAccessManager &manager();
    void answerProxyLogin(const QNetworkProxy &proxy, QAuthenticator &authenticator, bool &offered, QTimer &stall);
    void classifyReply(QNetworkReply &reply, const QUrl &target, const QList<QSslError> &certificateProblems,
                       Reply &result) const;

    std::unique_ptr<QNetworkAccessManager> m_manager; // made on the first request
    int m_timeoutMs;
    ProxyCredentials *m_rememberedLogin = nullptr;
    ProxyCredentialsAsker m_askLogin;
    Observer *m_observer = nullptr;
    QNetworkReply *m_running = nullptr;
    bool m_aborted = false;
    QByteArray m_lastEtag;
    QByteArray m_lastModified;
};
