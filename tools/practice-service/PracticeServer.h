#pragma once

#include <functional>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

class QTcpServer;
class QTcpSocket;

// A small HTTP/1.1 server that plays the drug-information service on 127.0.0.1.
// It also answers requests in absolute form ("GET http://host/path HTTP/1.1"), so a
// program whose http_proxy points at it reaches it whatever host it asks for.
// It can serve TLS instead of plain HTTP, and play a proxy that wants Basic credentials;
// as a proxy it also opens tunnels (CONNECT) to a port of this machine, through which
// https reaches another practice server under any host name.
// Connections are kept open for further requests, as real servers keep them, unless
// the client or an answer's mode closes them. A latency can be added to every chunk
// in each direction, connection set-up and TLS handshake included, to play a server
// far away.
struct PracticeRequest {
    QByteArray method;
    QByteArray target;             // as received: "/path?query", "http://host/path?query" or "host:port"
    QByteArray host;               // from the absolute form or the Host header
    QByteArray path;               // "/path", still percent-encoded
    QByteArray query;              // after "?", still percent-encoded; empty when none
    QByteArray proxyAuthorization; // the Proxy-Authorization header's value, if sent
    bool secure = false;           // came over TLS
    QByteArray ifNoneMatch;        // the conditional request's validators, if sent
    QByteArray ifModifiedSince;
    QByteArray url() const { return query.isEmpty() ? path : path + '?' + query; }
};

struct PracticeResponse {
    enum class Mode {
        Normal,       // status line, headers and the whole body
        ResetMidBody, // headers with the full Content-Length, half the body, then a reset
        NeverAnswer,  // reads the request and never answers
        CloseAtOnce,  // closes the connection without answering
        CloseAfter,   // the whole answer, then closes the connection without having said so
        StallMidBody, // headers with the full Content-Length, a fifth of the body, then silence
    };
    int status = 200;
    QByteArray reason = "OK";
    QByteArray contentType = "text/html; charset=EUC-JP";
    QByteArray location; // sent as Location when not empty (redirects)
    QByteArray body;
    Mode mode = Mode::Normal;
    int delayMs = 0;         // the answer (whatever its mode) starts this long after the request
    QByteArray headers = {}; // further header lines, each ending in CRLF
};

using PracticeHandler = std::function<PracticeResponse(const PracticeRequest &)>;

class PracticeServer : public QObject {
    Q_OBJECT

public:
    explicit PracticeServer(QObject *parent = nullptr);
    ~PracticeServer() override;

    bool Listen(quint16 port = 0); // 127.0.0.1; 0 takes an ephemeral port
    quint16 Port() const;
    QString BaseUrl() const; // "http://127.0.0.1:<port>", "https://..." with TLS

    // Every chunk, in each direction, arrives `ms` late: a round trip costs 2 × ms, and
    // a new connection one round trip before its first byte goes out. Set before Listen.
    void SetLatency(int ms);
    // How many connections clients have opened so far.
    int Connections() const { return m_connections; }

    // Serve TLS with this PEM certificate (chain) and key from the next connection on
    // (before or after Listen). False when the files cannot be read or Qt has no TLS
    // backend.
    bool UseTls(const QString &certificateFile, const QString &keyFile);
    // Requests in absolute form and CONNECT (as through a proxy) must carry these
    // Basic credentials, or they are answered 407.
    void RequireProxyLogin(const QByteArray &user, const QByteArray &password);

    // Exact path match (without the query) wins over the longest matching prefix.
    void Route(const QByteArray &path, PracticeHandler handler);
    void RoutePrefix(const QByteArray &prefix, PracticeHandler handler);

    // Documents (answers of type application/pdf) carry an ETag and a Last-Modified,
    // and a conditional request for the version served is answered 304 without a
    // body. Off: the server sends no validators and always the whole document.
    void SetValidators(bool on) { m_validators = on; }
    // The document at `path` is served in a newer version from now on: other bytes,
    // another ETag and a later Last-Modified. An empty path: every document.
    void Revise(const QByteArray &path) { m_revised.insert(path); }
    // How many bytes of bodies the server has sent so far.
    qint64 BodyBytesSent() const { return m_bodyBytes; }

    QList<PracticeRequest> Requests() const { return m_requests; } // every request, in order
    void ClearRequests() { m_requests.clear(); }

Q_SIGNALS:
    void Requested(const PracticeRequest &request); // as each one comes, before its answer

private:
    void onConnection();
    void onReadable(QTcpSocket *socket);
    PracticeResponse answer(const PracticeRequest &request) const;
    PracticeResponse withValidators(const PracticeRequest &request, PracticeResponse response) const;
    void openTunnel(QTcpSocket *client, const QByteArray &authority);
    void send(QTcpSocket *socket, const PracticeResponse &response, bool close);

    QTcpServer *m_server;
    QTcpServer *m_relay = nullptr; // in front of m_server when a latency is set
    int m_latencyMs = 0;
    int m_connections = 0;
    QList<std::pair<QByteArray, PracticeHandler>> m_exact;
    QList<std::pair<QByteArray, PracticeHandler>> m_prefix;
    QList<PracticeRequest> m_requests;
    QByteArray m_proxyLogin; // "Basic <base64 of user:password>"; empty when not required
    bool m_validators = true;
    QSet<QByteArray> m_revised;
    qint64 m_bodyBytes = 0;
};

// Service pages are EUC-JP.
QByteArray ToEuc(const QString &text);

// A small valid one-page PDF whose text is `title`, padded with `padding` bytes of
// comment so that documents of different lengths can be told apart.
QByteArray PracticePdf(const QString &title, int padding = 0);

// Japanese package inserts of several pages (made by tools/make-inserts) to serve as
// the prescription documents ("添付文書") instead of the one-page practice PDF: the
// PDF files of `folder`, sorted, the drug's number choosing one. Empty: none.
void UsePracticeInserts(const QString &folder);

// The fixed routes' content, for comparing what a client received.
QString PracticePageText();                // "/practice/page", "/practice/slow": EUC-JP on the wire
QByteArray PracticeBinary(qsizetype size); // "/practice/binary" (4096), "/practice/large"
inline constexpr qsizetype PracticeLargeSize = 6 * 1024 * 1024 + 17;

// Each part of the service registers its own routes.
// "/practice/...": page, empty, document.pdf, binary, large, error500, error500.pdf,
// notfound.pdf, reset, close, stall, stallmid, slow?ms=N, redirect?to=/path, large?bytes=N
void AddFixedRoutes(PracticeServer &server);
void AddPrescriptionRoutes(PracticeServer &server);         // /sorano/PackinsSearch
void AddPrescriptionDocumentRoutes(PracticeServer &server); // hit pages, foot pages, documents
void AddOtcRoutes(PracticeServer &server);                  // /osearch/PackinsSearch, /downfiles/otc/PDF...
