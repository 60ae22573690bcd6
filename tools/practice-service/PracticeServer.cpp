#include "PracticeServer.h"

#include <deque>
#include <optional>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// Hands out plain sockets, or TLS sockets already in their handshake.
class Listener final : public QTcpServer {
public:
    using QTcpServer::QTcpServer;
    std::optional<QSslConfiguration> tls;

protected:
    void incomingConnection(qintptr handle) override
    {
        if (!tls) {
            QTcpServer::incomingConnection(handle);
            return;
        }
        auto *socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(handle)) {
            delete socket;
            return;
        }
        socket->setSslConfiguration(*tls);
        // A client that refuses the certificate just goes away.
        connect(socket, &QSslSocket::sslErrors, socket, &QSslSocket::abort);
        socket->startServerEncryption();
        addPendingConnection(socket);
    }
};

// Bytes of one direction of a relayed connection, each chunk handed on when its time
// has come; an empty chunk stands for the end of that direction.
class DelayedPipe final : public QObject {
public:
    DelayedPipe(QTcpSocket *to, QObject *parent) : QObject(parent), m_to(to)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &DelayedPipe::deliver);
    }

    void push(qint64 dueNs, const QByteArray &chunk)
    {
        m_queue.emplace_back(dueNs, chunk);
        if (!m_timer.isActive())
            schedule();
    }

    static qint64 now()
    {
        static QElapsedTimer clock = [] {
            QElapsedTimer started;
            started.start();
            return started;
        }();
        return clock.nsecsElapsed();
    }

private:
    void schedule()
    {
        if (m_queue.empty())
            return;
        // Rounded up, so that no chunk is ever early.
        const qint64 waitNs = m_queue.front().first - now();
        m_timer.start(int(waitNs > 0 ? (waitNs + 999999) / 1000000 : 0));
    }

    void deliver()
    {
        while (!m_queue.empty() && m_queue.front().first <= now()) {
            const QByteArray chunk = m_queue.front().second;
            m_queue.pop_front();
            if (chunk.isEmpty())
                m_to->disconnectFromHost();
            else if (m_to->state() != QAbstractSocket::UnconnectedState)
                m_to->write(chunk); // still connecting: the socket keeps it until then
        }
        schedule();
    }

    QTcpSocket *m_to;
    QTimer m_timer;
    std::deque<std::pair<qint64, QByteArray>> m_queue;
};

// Relays one client connection to the server behind, late by the latency each way.
// The client's connect() returns at once on loopback, so its first bytes are held
// back as if the set-up had taken a round trip first.
void relayConnection(QTcpSocket *client, quint16 serverPort, int latencyMs)
{
    const qint64 latencyNs = qint64(latencyMs) * 1000000;
    const qint64 openedNs = DelayedPipe::now() + 2 * latencyNs;
    auto *server = new QTcpSocket(client);
    auto *toServer = new DelayedPipe(server, client);
    auto *toClient = new DelayedPipe(client, client);
    const auto fromClient = [=] {
        const qint64 sentNs = std::max(DelayedPipe::now(), openedNs);
        const QByteArray chunk = client->isOpen() ? client->readAll() : QByteArray();
        if (!chunk.isEmpty())
            toServer->push(sentNs + latencyNs, chunk);
    };
    const auto fromServer = [=] {
        const QByteArray chunk = server->isOpen() ? server->readAll() : QByteArray();
        if (!chunk.isEmpty())
            toClient->push(DelayedPipe::now() + latencyNs, chunk);
    };
    QObject::connect(client, &QTcpSocket::readyRead, toServer, fromClient);
    QObject::connect(server, &QTcpSocket::readyRead, toClient, fromServer);
    QObject::connect(client, &QTcpSocket::disconnected, toServer, [=] {
        fromClient();
        toServer->push(std::max(DelayedPipe::now(), openedNs) + latencyNs, {});
    });
    QObject::connect(server, &QTcpSocket::disconnected, toClient, [=] {
        fromServer();
        toClient->push(DelayedPipe::now() + latencyNs, {});
    });
    // The client's socket goes once both directions have ended.
    QObject::connect(client, &QTcpSocket::disconnected, client, [client, server] {
        if (server->state() == QAbstractSocket::UnconnectedState)
            client->deleteLater();
    });
    QObject::connect(server, &QTcpSocket::disconnected, client, [client] {
        if (client->state() == QAbstractSocket::UnconnectedState)
            client->deleteLater();
    });
    server->connectToHost(QHostAddress(QHostAddress::LocalHost), serverPort);
}

} // namespace

PracticeServer::PracticeServer(QObject *parent) : QObject(parent), m_server(new Listener(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &PracticeServer::onConnection);
}

PracticeServer::~PracticeServer() = default;

bool PracticeServer::Listen(quint16 port)
{
    if (m_latencyMs <= 0)
        return m_server->listen(QHostAddress::LocalHost, port);
    // The service itself on a port of its own; clients reach it only through the relay.
    if (!m_server->listen(QHostAddress::LocalHost))
        return false;
    m_relay = new QTcpServer(this);
    connect(m_relay, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *client = m_relay->nextPendingConnection())
            relayConnection(client, m_server->serverPort(), m_latencyMs);
    });
    return m_relay->listen(QHostAddress::LocalHost, port);
}

quint16 PracticeServer::Port() const
{
    return m_relay ? m_relay->serverPort() : m_server->serverPort();
}

void PracticeServer::SetLatency(int ms)
{
    m_latencyMs = ms;
}

QString PracticeServer::BaseUrl() const
{
    const bool tls = static_cast<Listener *>(m_server)->tls.has_value();
    return QStringLiteral("%1://127.0.0.1:%2").arg(tls ? QStringLiteral("https") : QStringLiteral("http")).arg(Port());
}

bool PracticeServer::UseTls(const QString &certificateFile, const QString &keyFile)
{
    if (!QSslSocket::supportsSsl())
        return false;
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(certificateFile);
    QFile keyIn(keyFile);
    if (chain.isEmpty() || !keyIn.open(QIODevice::ReadOnly))
        return false;
    const QSslKey key(&keyIn, QSsl::Rsa);
    if (key.isNull())
        return false;
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificateChain(chain);
    config.setPrivateKey(key);
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    static_cast<Listener *>(m_server)->tls = config;
    return true;
}

void PracticeServer::RequireProxyLogin(const QByteArray &user, const QByteArray &password)
{
    const QByteArray pair = user + ':' + password;
    m_proxyLogin = "Basic " + pair.toBase64();
}

void PracticeServer::Route(const QByteArray &path, PracticeHandler handler)
{
    m_exact.append({path, std::move(handler)});
}

void PracticeServer::RoutePrefix(const QByteArray &prefix, PracticeHandler handler)
{
    m_prefix.append({prefix, std::move(handler)});
}

void PracticeServer::onConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        ++m_connections;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void PracticeServer::onReadable(QTcpSocket *socket)
{
    // One request at a time: the next one is read once this one is answered. The
    // headers are all we read (GET has no body).
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (socket->property("busy").toBool() || end < 0) {
        socket->setProperty("buffer", buffer);
        return;
    }
    socket->setProperty("buffer", buffer.mid(end + 4));
    socket->setProperty("busy", true);

    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    PracticeRequest request;
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    QByteArray rest = request.target;
    if (rest.startsWith("http://") || rest.startsWith("https://")) {
        rest = rest.mid(rest.indexOf("//") + 2);
        const qsizetype slash = rest.indexOf('/');
        request.host = slash < 0 ? rest : rest.left(slash);
        rest = slash < 0 ? QByteArray("/") : rest.mid(slash);
    }
    // CONNECT names the host and port to open a tunnel to, as a proxy is asked for https.
    const bool tunnel = request.method == "CONNECT";
    if (tunnel)
        request.host = request.target;
    const bool absoluteForm = !request.host.isEmpty();
    bool clientCloses = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const QByteArray lower = line.toLower();
        if (lower.startsWith("host:") && request.host.isEmpty())
            request.host = line.mid(5).trimmed();
        else if (lower.startsWith("proxy-authorization:"))
            request.proxyAuthorization = line.mid(20).trimmed();
        else if (lower.startsWith("if-none-match:"))
            request.ifNoneMatch = line.mid(14).trimmed();
        else if (lower.startsWith("if-modified-since:"))
            request.ifModifiedSince = line.mid(18).trimmed();
        else if (lower.startsWith("connection:") && lower.contains("close"))
            clientCloses = true;
    }
    request.secure = qobject_cast<QSslSocket *>(socket) != nullptr;
    const qsizetype question = rest.indexOf('?');
    request.path = question < 0 ? rest : rest.left(question);
    request.query = question < 0 ? QByteArray() : rest.mid(question + 1);
    m_requests.append(request);
    Q_EMIT Requested(request);

    PracticeResponse response;
    if (absoluteForm && !m_proxyLogin.isEmpty() && request.proxyAuthorization != m_proxyLogin) {
        response.status = 407;
        response.reason = "Proxy Authentication Required";
        response.body = ToEuc(QStringLiteral("<html><body>プロキシ認証が必要です</body></html>"));
    } else if (tunnel) {
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
        openTunnel(socket, request.target);
        return;
    } else {
        response = withValidators(request, answer(request));
    }
    if (response.delayMs > 0) {
        // The socket is the timer's context: a client that gave up takes the answer with it.
        QTimer::singleShot(response.delayMs, socket,
                           [this, socket, response, clientCloses] { send(socket, response, clientCloses); });
        return;
    }
    send(socket, response, clientCloses);
}

void PracticeServer::openTunnel(QTcpSocket *client, const QByteArray &authority)
{
    // Whatever host is named, the tunnel leads to that port on this machine, as the
    // practice service plays every host. The far end is a child of the client's
    // socket, so each goes when the client does.
    auto *far = new QTcpSocket(client);
    connect(far, &QTcpSocket::connected, client,
            [client] { client->write("HTTP/1.1 200 Connection established\r\n\r\n"); });
    connect(far, &QTcpSocket::readyRead, client, [client, far] { client->write(far->readAll()); });
    connect(client, &QTcpSocket::readyRead, far, [client, far] { far->write(client->readAll()); });
    connect(far, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
    connect(client, &QTcpSocket::disconnected, far, &QTcpSocket::disconnectFromHost);
    connect(far, &QTcpSocket::errorOccurred, client, [client, far] {
        if (far->state() != QAbstractSocket::ConnectedState)
            client->write("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        client->disconnectFromHost();
    });
    far->connectToHost(QHostAddress(QHostAddress::LocalHost), authority.mid(authority.lastIndexOf(':') + 1).toUShort());
}

void PracticeServer::send(QTcpSocket *socket, const PracticeResponse &response, bool close)
{
    switch (response.mode) {
    case PracticeResponse::Mode::NeverAnswer: return;
    case PracticeResponse::Mode::CloseAtOnce: socket->abort(); return;
    default: break;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + response.reason + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    if (!response.location.isEmpty())
        head += "Location: " + response.location + "\r\n";
    head += response.headers;
    if (response.status == 407)
        head += "Proxy-Authenticate: Basic realm=\"practice\"\r\n";
    if (close)
        head += "Connection: close\r\n";
    head += "\r\n";
    socket->write(head);
    if (response.mode == PracticeResponse::Mode::ResetMidBody) {
        socket->write(response.body.left(response.body.size() / 2));
        socket->flush();
        socket->abort();
        return;
    }
    if (response.mode == PracticeResponse::Mode::StallMidBody) {
        socket->write(response.body.left(response.body.size() / 5));
        return;
    }
    socket->write(response.body);
    m_bodyBytes += response.body.size();
    if (close || response.mode == PracticeResponse::Mode::CloseAfter) {
        socket->disconnectFromHost();
        return;
    }
    // The connection stays for the next request, which may have come already.
    socket->setProperty("busy", false);
    QMetaObject::invokeMethod(
        socket, [this, socket] { onReadable(socket); }, Qt::QueuedConnection);
}

PracticeResponse PracticeServer::withValidators(const PracticeRequest &request, PracticeResponse response) const
{
    if (response.status != 200 || response.contentType != "application/pdf"
        || response.mode != PracticeResponse::Mode::Normal)
        return response;
    const bool revised = m_revised.contains(request.path) || m_revised.contains(QByteArray());
    if (revised)
        response.body += "% revised\n";
    if (!m_validators)
        return response;
    const QByteArray etag
        = '"' + QCryptographicHash::hash(response.body, QCryptographicHash::Sha256).toHex().left(16) + '"';
    const QByteArray modified = revised ? "Mon, 01 Jun 2026 09:00:00 GMT" : "Thu, 01 Jan 2026 09:00:00 GMT";
    const bool unchanged = !request.ifNoneMatch.isEmpty()
                               ? request.ifNoneMatch == etag || request.ifNoneMatch == "*"
                               : !request.ifModifiedSince.isEmpty() && request.ifModifiedSince == modified;
    if (unchanged) {
        response.status = 304;
        response.reason = "Not Modified";
        response.body.clear();
    }
    response.headers += "ETag: " + etag + "\r\nLast-Modified: " + modified + "\r\n";
    return response;
}

PracticeResponse PracticeServer::answer(const PracticeRequest &request) const
{
    for (const auto &[path, handler] : m_exact) {
        if (request.path == path)
            return handler(request);
    }
    const PracticeHandler *best = nullptr;
    qsizetype bestLength = -1;
    for (const auto &[prefix, handler] : m_prefix) {
        if (request.path.startsWith(prefix) && prefix.size() > bestLength) {
            best = &handler;
            bestLength = prefix.size();
        }
    }
    if (best)
        return (*best)(request);
    PracticeResponse notFound;
    notFound.status = 404;
    notFound.reason = "Not Found";
    notFound.body = ToEuc(QStringLiteral("<html><body>見つかりません</body></html>"));
    return notFound;
}

QByteArray ToEuc(const QString &text)
{
    QStringEncoder encoder("EUC-JP");
    return encoder(text);
}

QByteArray PracticePdf(const QString &title, int padding)
{
    // Plain ASCII text in the page; the title goes in as UTF-16 hex in the Info
    // dictionary so that any name survives.
    QByteArray titleHex = "FEFF";
    for (const QChar c : title)
        titleHex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    const QByteArray stream = "BT /F1 12 Tf 72 720 Td (Practice document) Tj ET";
    QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" + stream + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Title <" + titleHex + "> >>",
    };
    QByteArray pdf = "%PDF-1.4\n";
    if (padding > 0)
        pdf += '%' + QByteArray(padding, 'x') + '\n';
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R /Info 6 0 R >>\n";
    pdf += "startxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}
