#pragma once

#include <QByteArray>
#include <QString>

class QNetworkAccessManager;

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
        int errorNumber = 0;         // 0 on success
        QString description;         // Japanese, then the technical text in parentheses
    };

    explicit Inet1(int timeoutMs = 60000);
    ~Inet1();

    void setTimeout(int timeoutMs); // a transfer without progress for this long fails
    Reply OpenURL(const QString &url);

private:
    int m_timeoutMs;
};
