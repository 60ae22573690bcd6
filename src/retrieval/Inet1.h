#pragma once

#include <QByteArray>
#include <QString>

// The transfer control: one GET of exactly the given URL, the whole body or an error
// with a number and a description. Redirects are followed, the system's proxy
// settings honoured, and nothing (cookies, connections) is kept between requests.
// Blocks the caller; the event loop keeps repainting but gets no user input.
class Inet1 {
public:
    struct Reply {
        bool ok = false;
        QByteArray body;
        int httpStatus = 0;          // 0 when no HTTP answer arrived
        QByteArray httpReason;
        int errorNumber = 0;         // 0 on success; else the network error code
        QString description;         // Japanese; technical text in parentheses only without a description
    };

    explicit Inet1(int timeoutMs = 60000);
    ~Inet1();

    void setTimeout(int timeoutMs); // a transfer without progress for this long fails
    int timeout() const { return m_timeoutMs; }

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
};
