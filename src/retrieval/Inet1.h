#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
#include <QString>

#include "shell/ProgramState.h"

// Asks the user for the proxy's credentials; nothing when the user cancels. `proxy` is
// "host:port"; `refused` tells that the proxy turned down the ones it was given.
using ProxyCredentialsAsker = std::function<std::optional<ProxyCredentials>(const QString &proxy, bool refused)>;

// The transfer control: one GET of exactly the given URL, the whole body or an error
// with a number and a description. Redirects are followed, the system's proxy
// settings honoured, and nothing (cookies, connections) is kept between requests.
// https uses the system's trusted certificates and those that SSL_CERT_FILE and
// SSL_CERT_DIR name; a certificate problem fails the transfer.
// Blocks the caller; the event loop keeps repainting but gets no user input.
class Inet1 {
public:
    struct Reply {
        bool ok = false;
        QByteArray body;
        int httpStatus = 0;          // 0 when no HTTP answer arrived
        QByteArray httpReason;
        int errorNumber = 0;         // 0 on success; else the network error code
        QString errorText;           // empty on success; Japanese, technical text in parentheses only without a description
    };

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
    Reply OpenURL(const QString &url);

    // The user-facing text for a failed transfer: what went wrong in Japanese; the
    // technical text in parentheses only where there is no Japanese description.
    static QString Describe(int errorNumber, const QString &technical);
    // The same for an answer whose HTTP status the caller refuses (400 and above).
    static QString DescribeHttpStatus(int status, const QByteArray &reason);

private:
    int m_timeoutMs;
    ProxyCredentials *m_rememberedLogin = nullptr;
    ProxyCredentialsAsker m_askLogin;
};
