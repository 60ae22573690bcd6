// Fixed pages and documents of the practice service, and the ways a transfer can go
// wrong: server errors, a connection reset in the middle of a body, a slow answer, a
// stalled one, a redirect and a large binary body.
#include "PracticeServer.h"

#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

PracticeResponse page(const QString &html)
{
    PracticeResponse response;
    response.body = ToEuc(html);
    return response;
}

PracticeResponse pdf(const QByteArray &bytes)
{
    PracticeResponse response;
    response.contentType = "application/pdf";
    response.body = bytes;
    return response;
}

PracticeResponse serverError(PracticeResponse response)
{
    response.status = 500;
    response.reason = "Internal Server Error";
    return response;
}

int queryInt(const PracticeRequest &request, const QString &key, int fallback)
{
    bool ok = false;
    const int value = QUrlQuery(QString::fromLatin1(request.query)).queryItemValue(key).toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

// Bytes 0..255 repeated with a varying step, so a body that lost, doubled or altered
// any byte (a NUL, a CR LF pair, a high byte) no longer compares equal.
QByteArray PracticeBinary(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 0x2545F491u;
    for (qsizetype i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = char(state & 0xFF);
    }
    return bytes;
}

QString PracticePageText()
{
    return u"<html><head><title>練習ページ</title></head><body>"
           u"<p>医薬品情報の練習ページです。（ｱｲｳ）</p></body></html>"_s;
}

void AddFixedRoutes(PracticeServer &server)
{
    server.Route("/practice/page", [](const PracticeRequest &) { return page(PracticePageText()); });
    server.Route("/practice/empty", [](const PracticeRequest &) { return page(QString()); });
    server.Route("/practice/document.pdf",
                 [](const PracticeRequest &) { return pdf(PracticePdf(u"練習文書"_s, 100)); });
    server.Route("/practice/binary", [](const PracticeRequest &) { return pdf(PracticeBinary(4096)); });
    // "?bytes=N" sets the length; the last body made is kept for the next request.
    server.Route("/practice/large", [](const PracticeRequest &request) {
        static QByteArray last;
        const qsizetype size = queryInt(request, u"bytes"_s, int(PracticeLargeSize));
        if (last.size() != size)
            last = PracticeBinary(size);
        return pdf(last);
    });

    server.Route("/practice/error500", [](const PracticeRequest &) {
        return serverError(page(u"<html><body>サーバーエラー</body></html>"_s));
    });
    server.Route("/practice/error500.pdf", [](const PracticeRequest &) {
        return serverError(page(u"<html><body>文書を取得できません</body></html>"_s));
    });
    server.Route("/practice/notfound.pdf", [](const PracticeRequest &) {
        PracticeResponse response = page(u"<html><body>見つかりません</body></html>"_s);
        response.status = 404;
        response.reason = "Not Found";
        return response;
    });

    server.Route("/practice/reset", [](const PracticeRequest &) {
        PracticeResponse response = pdf(PracticeBinary(64 * 1024));
        response.mode = PracticeResponse::Mode::ResetMidBody;
        return response;
    });
    server.Route("/practice/close", [](const PracticeRequest &) {
        PracticeResponse response;
        response.mode = PracticeResponse::Mode::CloseAtOnce;
        return response;
    });
    server.Route("/practice/stall", [](const PracticeRequest &) {
        PracticeResponse response;
        response.mode = PracticeResponse::Mode::NeverAnswer;
        return response;
    });
    // 100,000 bytes announced, 20,000 sent, then silence.
    server.Route("/practice/stallmid", [](const PracticeRequest &) {
        PracticeResponse response;
        response.contentType = "application/octet-stream";
        response.body = PracticeBinary(100000);
        response.mode = PracticeResponse::Mode::StallMidBody;
        return response;
    });
    // "?ms=N" sets the delay; one second when absent.
    server.Route("/practice/slow", [](const PracticeRequest &request) {
        PracticeResponse response = page(PracticePageText());
        response.delayMs = queryInt(request, u"ms"_s, 1000);
        return response;
    });

    // "?to=/path" sends there; the practice page when absent.
    server.Route("/practice/redirect", [](const PracticeRequest &request) {
        PracticeResponse response = page(u"<html><body>移動しました</body></html>"_s);
        response.status = 302;
        response.reason = "Found";
        const QString to = QUrlQuery(QString::fromLatin1(request.query)).queryItemValue(u"to"_s, QUrl::FullyEncoded);
        response.location = to.isEmpty() ? QByteArray("/practice/page") : to.toLatin1();
        return response;
    });
}
