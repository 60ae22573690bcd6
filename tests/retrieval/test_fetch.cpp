#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QLabel>
#include <QFileInfo>
#include <QGuiApplication>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include "retrieval/Fetch.h"
#include "support/ProgramFixture.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(BodyUse)
Q_DECLARE_METATYPE(Yield)
using Answers = QList<std::optional<ProxyCredentials>>;
Q_DECLARE_METATYPE(Answers)
Q_DECLARE_METATYPE(PracticeResponse::Mode)

class TestFetch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void bodyBytes_data();
    void bodyBytes();
    void pageText_data();
    void pageText();
    void failure_data();
    void failure();
    void hostNotFound_data();
    void hostNotFound();
    void proxyRoute_data();
    void proxyRoute();
    void certificates_data();
    void certificates();
    void proxyLogin_data();
    void proxyLogin();
    void httpsThroughProxyLogin();
    void keptConnection_data();
    void keptConnection();
    void latency_data();
    void latency();
    void hourglassOnlyWhileTransferring();
    void stalledTransferShowsWhatCame();
    void unwritableScratchFileIsIgnored();
    void progressNamesTheKind_data();
    void progressNamesTheKind();
};

namespace {

// A port on loopback that nobody listens on.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

// The few characters of the practice page, as the conversion table maps them.
void addTableFor(EucTable &table, const QString &text)
{
    for (uint c = 1; c < 0x80; ++c)
        table.add(c, quint16(c));
    QStringEncoder toEuc("EUC-JP");
    QStringEncoder toSjis("cp932");
    for (const QChar c : text) {
        const QByteArray euc = toEuc(QString(c));
        const QByteArray sjis = toSjis(QString(c));
        quint32 eucCode = 0;
        for (const char b : euc)
            eucCode = (eucCode << 8) | uchar(b);
        quint16 sjisCode = 0;
        for (const char b : sjis)
            sjisCode = quint16((sjisCode << 8) | uchar(b));
        table.add(eucCode, sjisCode);
    }
}

const QByteArray Previous = "an earlier page, longer than any page of the practice service's fixed routes ..........";

// The conversion table holds only what the practice pages need; an earlier page lies
// in the scratch file.
struct Fixture : ProgramFixture {
    Fixture() : ProgramFixture(ParameterFiles)
    {
        state.Tables.clear();
        addTableFor(state.Tables, PracticePageText() + u"サーバーエラー移動しました"_s);
        writeBytes(scratch(), Previous);
    }
    QString scratch() const { return state.WorkPath + u"/Temp.txt"_s; }
    QString url(const QString &path) const { return state.ServiceBase + path; }
};

} // namespace

void TestFetch::init()
{
    // The tests decide the proxy themselves; the machine's settings stay out.
    qunsetenv("http_proxy");
    qunsetenv("HTTP_PROXY");
    qunsetenv("https_proxy");
    qunsetenv("no_proxy");
    qunsetenv("SSL_CERT_FILE");
    qunsetenv("SSL_CERT_DIR");
}

void TestFetch::cleanup()
{
    init();
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestFetch::bodyBytes_data()
{
    addColumns<QString, QString, QByteArray>("path", "sent", "expected");

    const QString binary = u"/practice/binary"_s;
    QTest::newRow("every byte value") << binary << binary << PracticeBinary(4096);
    QTest::newRow("large body") << u"/practice/large"_s << u"/practice/large"_s << PracticeBinary(PracticeLargeSize);
    QTest::newRow("pdf document") << u"/practice/document.pdf"_s << u"/practice/document.pdf"_s
                                  << PracticePdf(u"練習文書"_s, 100);
    QTest::newRow("empty body") << u"/practice/empty"_s << u"/practice/empty"_s << QByteArray();
    QTest::newRow("redirect followed") << u"/practice/redirect?to=/practice/binary"_s
                                       << u"/practice/redirect?to=/practice/binary"_s << PracticeBinary(4096);
    QTest::newRow("slow answer") << u"/practice/slow?ms=300"_s << u"/practice/slow?ms=300"_s
                                 << ToEuc(PracticePageText());
    const QString escaped = binary + u"?k=%A4%A2%2F%2B+x%20%25&e=%E3%81%82&z=%00"_s;
    QTest::newRow("escapes pass unchanged") << escaped << escaped << PracticeBinary(4096);
    // The network layer sends an escaped letter or digit as itself; servers read both alike.
    QTest::newRow("escaped letters as letters")
        << binary + u"?k=%41%7E%31"_s << binary + u"?k=A~1"_s << PracticeBinary(4096);
}

// A document download hands over the body exactly, asks for exactly the URL it was
// given, and leaves the scratch copy of the last page alone.
void TestFetch::bodyBytes()
{
    QFETCH(QString, path);
    QFETCH(QString, sent);
    QFETCH(QByteArray, expected);
    Fixture f;

    const std::optional<QByteArray> body = FetchBytes(f.context, &f.owner, f.inet, f.url(path));

    QVERIFY(body);
    QCOMPARE(body->size(), expected.size());
    QVERIFY(*body == expected);
    QCOMPARE(f.desktop.messages.size(), 0);
    QCOMPARE(QString::fromLatin1(f.server.Requests().value(0).url()), sent);
    QCOMPARE(readBytes(f.scratch()), Previous);
}

void TestFetch::pageText_data()
{
    addColumns<QString, Yield, QString>("path", "yield", "expected");

    QTest::newRow("page") << u"/practice/page"_s << Yield::Yes << PracticePageText();
    QTest::newRow("page without yield") << u"/practice/page"_s << Yield::No << PracticePageText();
    QTest::newRow("empty page") << u"/practice/empty"_s << Yield::Yes << QString();
    QTest::newRow("redirect followed") << u"/practice/redirect"_s << Yield::No << PracticePageText();
}

// A page arrives converted, and its raw body replaces the scratch copy whole (cut to
// its length).
void TestFetch::pageText()
{
    QFETCH(QString, path);
    QFETCH(Yield, yield);
    QFETCH(QString, expected);
    Fixture f;

    const std::optional<QString> text = FetchPage(f.context, &f.owner, f.inet, f.url(path), yield);

    QVERIFY(text);
    QCOMPARE(*text, expected);
    QCOMPARE(f.desktop.messages.size(), 0);
    QCOMPARE(readBytes(f.scratch()), ToEuc(expected));
}

void TestFetch::failure_data()
{
    addColumns<QString, QString, BodyUse, int, QString>("url", "proxy", "use", "timeoutMs", "said");

    const QString refused = u"http://127.0.0.1:%1/practice/page"_s.arg(closedPort());
    const QString viaProxy = u"http://drug-info.example/practice/page"_s;
    const QString closedProxy = u"http://127.0.0.1:%1"_s.arg(closedPort());

    QTest::newRow("connection refused") << refused << QString() << BodyUse::Page << 60000 << u"接続を拒否されました"_s;
    QTest::newRow("reset in the body") << u"/practice/reset"_s << QString() << BodyUse::Document << 60000
                                       << u"接続を閉じました"_s;
    QTest::newRow("closed without answer")
        << u"/practice/close"_s << QString() << BodyUse::Page << 60000 << u"接続を閉じました"_s;
    QTest::newRow("time-out") << u"/practice/stall"_s << QString() << BodyUse::Page << 300 << u"時間内に応答"_s;
    QTest::newRow("time-out halfway through the body")
        << u"/practice/stallmid"_s << QString() << BodyUse::Document << 500 << u"時間内に応答"_s;
    QTest::newRow("proxy refused") << viaProxy << closedProxy << BodyUse::Page << 60000
                                   << u"プロキシサーバーに接続できませんでした"_s;
    QTest::newRow("not an address") << u"no address"_s << QString() << BodyUse::Page << 60000
                                    << u"アドレスが正しくありません"_s;
    QTest::newRow("document answered 500") << u"/practice/error500.pdf"_s << QString() << BodyUse::Document << 60000
                                           << u"（HTTP 500）。サーバー内部でエラーが起きました"_s;
    QTest::newRow("page answered 500") << u"/practice/error500"_s << QString() << BodyUse::Page << 60000
                                       << u"（HTTP 500）。サーバー内部でエラーが起きました"_s;
    QTest::newRow("document answered 404") << u"/practice/notfound.pdf"_s << QString() << BodyUse::Document << 60000
                                           << u"（HTTP 404）。ページが見つかりません"_s;
}

// One "通信エラー" with the exclamation icon, the hourglass already gone, and nothing
// written: neither a result nor the scratch copy.
void TestFetch::failure()
{
    QFETCH(QString, url);
    QFETCH(QString, proxy);
    QFETCH(BodyUse, use);
    QFETCH(int, timeoutMs);
    QFETCH(QString, said);
    Fixture f;
    f.state.TransferTimeoutMs = timeoutMs;
    if (!proxy.isEmpty())
        qputenv("http_proxy", proxy.toLatin1());
    const QString full = url.startsWith(u'/') ? f.url(url) : url;

    bool failed = false;
    if (use == BodyUse::Page)
        failed = !FetchPage(f.context, &f.owner, f.inet, full);
    else
        failed = !FetchBytes(f.context, &f.owner, f.inet, full, BodyUse::Document);

    QVERIFY(failed);
    QCOMPARE(f.desktop.messages.size(), 1);
    const RecordingDesktop::Shown shown = f.desktop.messages.first();
    QCOMPARE(shown.title, u"通信エラー"_s);
    QCOMPARE(shown.icon, Desktop::Icon::Exclamation);
    QVERIFY2(shown.text.contains(said), qPrintable(shown.text));
    // Japanese only: no system text such as "(Operation canceled)" beside it.
    const QString own = QString(shown.text).remove(url).remove(u"HTTP"_s);
    QVERIFY2(!own.contains(QRegularExpression(u"[A-Za-z]"_s)), qPrintable(shown.text));
    QVERIFY(!shown.waitCursor);
    QCOMPARE(readBytes(f.scratch()), Previous);
}

void TestFetch::hostNotFound_data()
{
    addColumns<QString, QString, bool>("path", "host", "saysWhere");
    // ".invalid" is never resolved (RFC 6761)
    QTest::newRow("the service's host") << u"/sorano/PackinsSearch"_s << u"no-such-host.invalid"_s << true;
    QTest::newRow("another host, from a link")
        << u"http://other-host.invalid/r.pdf"_s << u"other-host.invalid"_s << false;
}

// The installed program's address may come from a file the user does not know of:
// the message names the host and, for the service's own, where its address is set.
void TestFetch::hostNotFound()
{
    QFETCH(QString, path);
    QFETCH(QString, host);
    QFETCH(bool, saysWhere);
    Fixture f;
    f.state.ServiceBase = u"http://no-such-host.invalid"_s;
    f.state.ServiceBaseSource = u"設定ファイル /etc/xdg/hibari/hibari.conf"_s;
    const QString url = path.startsWith(u'/') ? f.state.ServiceBase + path : path;
    QVERIFY(!FetchPage(f.context, &f.owner, f.inet, url));
    QCOMPARE(f.desktop.messages.size(), 1);
    const QString text = f.desktop.messages.first().text;
    QVERIFY2(text.startsWith(u"サーバー「"_s + host + u"」が見つかりません。"_s), qPrintable(text));
    QCOMPARE(text.contains(u"「設定ファイル /etc/xdg/hibari/hibari.conf」で設定されています"_s), saysWhere);
}

void TestFetch::proxyRoute_data()
{
    boolRows("throughProxy", {{"service host through the proxy", true}, {"no_proxy host goes direct", false}});
}

// With http_proxy set, a request for the service's own host name goes to the proxy in
// absolute form, carrying that host and the query unchanged; a host that no_proxy
// names is asked directly even when the proxy is down.
void TestFetch::proxyRoute()
{
    QFETCH(bool, throughProxy);
    Fixture f;
    QString url;
    if (throughProxy) {
        qputenv("http_proxy", f.server.BaseUrl().toLatin1());
        qputenv("no_proxy", "");
        url = u"http://drug-info.example/practice/binary?k=%A4%A2+b"_s;
    } else {
        qputenv("http_proxy", u"http://127.0.0.1:%1"_s.arg(closedPort()).toLatin1());
        qputenv("no_proxy", "localhost,127.0.0.1");
        url = f.url(u"/practice/binary?k=%A4%A2+b"_s);
    }

    const std::optional<QByteArray> body = FetchBytes(f.context, &f.owner, f.inet, url);

    QVERIFY(body);
    QVERIFY(*body == PracticeBinary(4096));
    QCOMPARE(f.server.Requests().size(), 1);
    const PracticeRequest seen = f.server.Requests().first();
    if (throughProxy) {
        QCOMPARE(seen.target, url.toLatin1());
        QCOMPARE(seen.host, QByteArray("drug-info.example"));
    } else {
        QCOMPARE(seen.target, QByteArray("/practice/binary?k=%A4%A2+b"));
    }
}

void TestFetch::certificates_data()
{
    addColumns<QByteArray, QByteArray, QByteArray, QString>("serverCert", "certFile", "certDir", "host");
    QTest::addColumn<QString>("said"); // empty: the body arrives

    const QByteArray ca = testTlsFile("ca.pem").toLocal8Bit();
    const QByteArray folder = QFileInfo(testTlsFile("ca.pem")).path().toLocal8Bit();
    // Certificates for 127.0.0.1 that ended in 2001 and begin in 2100, from an authority of their own.
    const QByteArray datesCa = testTlsFile("dates-ca.pem").toLocal8Bit();
    QTest::newRow("trusted through SSL_CERT_FILE")
        << QByteArray("server.pem") << ca << QByteArray() << u"127.0.0.1"_s << QString();
    QTest::newRow("trusted through SSL_CERT_DIR")
        << QByteArray("server.pem") << QByteArray() << "/nonexistent:" + folder << u"127.0.0.1"_s << QString();
    QTest::newRow("untrusted authority") << QByteArray("server.pem") << QByteArray() << QByteArray() << u"127.0.0.1"_s
                                         << u"サーバーの証明書を信頼できません。"_s;
    QTest::newRow("name not in the certificate") << QByteArray("server.pem") << ca << QByteArray() << u"localhost"_s
                                                 << u"サーバーの証明書が接続先の名前と一致しません。"_s;
    QTest::newRow("expired") << QByteArray("expired.pem") << datesCa << QByteArray() << u"127.0.0.1"_s
                             << u"サーバーの証明書の有効期限が切れています。"_s;
    QTest::newRow("not yet valid") << QByteArray("not-yet-valid.pem") << datesCa << QByteArray() << u"127.0.0.1"_s
                                   << u"サーバーの証明書はまだ有効ではありません。"_s;
}

// https trusts the system's authorities and those of SSL_CERT_FILE / SSL_CERT_DIR;
// a certificate problem is never passed over, it is a "通信エラー" in Japanese.
void TestFetch::certificates()
{
    QFETCH(QByteArray, serverCert);
    QFETCH(QByteArray, certFile);
    QFETCH(QByteArray, certDir);
    QFETCH(QString, host);
    QFETCH(QString, said);
    Fixture f;
    QVERIFY(f.server.UseTls(testTlsFile(serverCert.constData()), testTlsFile("server.key")));
    qputenv("SSL_CERT_FILE", certFile);
    qputenv("SSL_CERT_DIR", certDir);

    const std::optional<QByteArray> body
        = FetchBytes(f.context, &f.owner, f.inet, u"https://%1:%2/practice/binary"_s.arg(host).arg(f.server.Port()));

    if (said.isEmpty()) {
        QVERIFY(body);
        QVERIFY(*body == PracticeBinary(4096));
        QVERIFY(f.server.Requests().value(0).secure);
        QCOMPARE(f.desktop.messages.size(), 0);
    } else {
        QVERIFY(!body);
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].title, u"通信エラー"_s);
        QCOMPARE(f.desktop.messages[0].text, said); // Japanese only, nothing of the TLS layer's English
        QCOMPARE(f.server.Requests().size(), 0);
    }
}

void TestFetch::proxyLogin_data()
{
    QTest::addColumn<QString>("inProxyUrl"); // "user:password@" in http_proxy
    QTest::addColumn<QString>("remembered"); // "user:password" from earlier in the run
    QTest::addColumn<Answers>("answers");    // what the user types, in turn; nothing: Esc
    QTest::addColumn<QList<bool>>("asked");  // each question's "refused"
    QTest::addColumn<bool>("ok");

    const ProxyCredentials right{u"hibari"_s, u"p@ss word"_s};
    const ProxyCredentials wrong{u"hibari"_s, u"nope"_s};
    QTest::newRow("http_proxy credentials, percent-encoded")
        << u"hibari:p%40ss%20word@"_s << QString() << Answers{} << QList<bool>{} << true;
    QTest::newRow("none given: asked") << QString() << QString() << Answers{right} << QList<bool>{false} << true;
    QTest::newRow("remembered: not asked") << QString() << u"hibari:p@ss word"_s << Answers{} << QList<bool>{} << true;
    QTest::newRow("http_proxy credentials refused: asked")
        << u"hibari:nope@"_s << QString() << Answers{right} << QList<bool>{true} << true;
    QTest::newRow("remembered refused: asked")
        << QString() << u"hibari:nope"_s << Answers{right} << QList<bool>{true} << true;
    QTest::newRow("wrong answer: asked again")
        << QString() << QString() << Answers{wrong, right} << QList<bool>{false, true} << true;
    QTest::newRow("cancelled: transfer failure")
        << QString() << QString() << Answers{std::nullopt} << QList<bool>{false} << false;
}

// A proxy that wants Basic credentials gets those of http_proxy, then what the user
// gave earlier in the run, then asks; the answer is kept for the rest of the run.
void TestFetch::proxyLogin()
{
    QFETCH(QString, inProxyUrl);
    QFETCH(QString, remembered);
    QFETCH(Answers, answers);
    QFETCH(QList<bool>, asked);
    QFETCH(bool, ok);
    Fixture f;
    f.server.RequireProxyLogin("hibari", "p@ss word");
    qputenv("http_proxy", (u"http://"_s + inProxyUrl + u"127.0.0.1:%1"_s.arg(f.server.Port())).toLatin1());
    qputenv("no_proxy", "");
    if (!remembered.isEmpty())
        f.state.ProxyLogin = {remembered.section(u':', 0, 0), remembered.section(u':', 1)};
    f.desktop.proxyAnswers = answers;
    f.state.ProgressDelayMs = 0; // "通信中" up as early as it can be

    const std::optional<QByteArray> body
        = FetchBytes(f.context, &f.owner, f.inet, u"http://drug-info.example/practice/binary"_s);

    QList<bool> refusedFlags;
    for (const RecordingDesktop::ProxyQuestion &question : f.desktop.proxyQuestions) {
        QCOMPARE(question.proxy, u"127.0.0.1:%1"_s.arg(f.server.Port()));
        QVERIFY(!question.overTransfer); // the question is never covered by "通信中"
        refusedFlags.append(question.refused);
    }
    QCOMPARE(refusedFlags, asked);
    QCOMPARE(body.has_value(), ok);
    if (ok) {
        QVERIFY(*body == PracticeBinary(4096));
        QCOMPARE(f.desktop.messages.size(), 0);
        if (!asked.isEmpty()) {
            QCOMPARE(f.state.ProxyLogin.user, u"hibari"_s);
            QCOMPARE(f.state.ProxyLogin.password, u"p@ss word"_s);
        }
    } else {
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].title, u"通信エラー"_s);
        QVERIFY2(f.desktop.messages[0].text.contains(u"プロキシ"_s), qPrintable(f.desktop.messages[0].text));
    }
}

// https goes through the proxy's tunnel, and the proxy's question is asked for it as
// for http; the service behind the tunnel is the one that answers.
void TestFetch::httpsThroughProxyLogin()
{
    Fixture f;
    f.server.RequireProxyLogin("hibari", "p@ss word");
    PracticeServer service;
    AddFixedRoutes(service);
    QVERIFY(service.UseTls(testTlsFile("server.pem"), testTlsFile("server.key")));
    QVERIFY(service.Listen());
    qputenv("https_proxy", u"http://127.0.0.1:%1"_s.arg(f.server.Port()).toLatin1());
    qputenv("no_proxy", "");
    qputenv("SSL_CERT_FILE", testTlsFile("ca.pem").toLocal8Bit());
    f.desktop.proxyAnswers = {ProxyCredentials{u"hibari"_s, u"p@ss word"_s}};

    const std::optional<QByteArray> body = FetchBytes(
        f.context, &f.owner, f.inet, u"https://practice.hibari.test:%1/practice/binary"_s.arg(service.Port()));

    QVERIFY(body);
    QVERIFY(*body == PracticeBinary(4096));
    QCOMPARE(f.desktop.proxyQuestions.size(), 1);
    QCOMPARE(f.server.Requests().last().method, QByteArray("CONNECT"));
    QCOMPARE(f.server.Requests().last().host, "practice.hibari.test:" + QByteArray::number(service.Port()));
    QCOMPARE(service.Requests().size(), 1);
    QVERIFY(service.Requests().first().secure);
}

void TestFetch::keptConnection_data()
{
    addColumns<QString, QString, PracticeResponse::Mode, int>("scheme", "through", "drop", "connections");

    const auto normal = PracticeResponse::Mode::Normal;
    QTest::newRow("http") << u"http"_s << QString() << normal << 1;
    QTest::newRow("https") << u"https"_s << QString() << normal << 1;
    QTest::newRow("http through the proxy") << u"http"_s << u"proxy"_s << normal << 1;
    QTest::newRow("https through the proxy's tunnel") << u"https"_s << u"proxy"_s << normal << 1;
    QTest::newRow("closed after an answer") << u"http"_s << QString() << PracticeResponse::Mode::CloseAfter << 2;
    QTest::newRow("https closed after an answer") << u"https"_s << QString() << PracticeResponse::Mode::CloseAfter << 2;
    // the request went out on the kept connection just as the server let it go
    QTest::newRow("closed as the next request came")
        << u"http"_s << QString() << PracticeResponse::Mode::CloseAtOnce << 2;
}

// The requests of one window's road go over one connection; a connection that the
// server closed is opened again without the user noticing.
void TestFetch::keptConnection()
{
    QFETCH(QString, scheme);
    QFETCH(QString, through);
    QFETCH(PracticeResponse::Mode, drop);
    QFETCH(int, connections);
    Fixture f;
    PracticeServer service;
    AddFixedRoutes(service);
    int dropped = 0;
    const auto dropOnce = [&dropped, drop](const PracticeRequest &) {
        PracticeResponse response;
        response.body = PracticeBinary(1000);
        if (dropped++ == 0)
            response.mode = drop;
        return response;
    };
    service.Route("/road/drop", dropOnce);
    f.server.Route("/road/drop", dropOnce); // the proxy answers http itself
    if (scheme == u"https"_s) {
        QVERIFY(service.UseTls(testTlsFile("server.pem"), testTlsFile("server.key")));
        qputenv("SSL_CERT_FILE", testTlsFile("ca.pem").toLocal8Bit());
    }
    QVERIFY(service.Listen());
    QString host = u"127.0.0.1"_s;
    if (!through.isEmpty()) {
        // the fixture's service plays the proxy, and opens the tunnel to the other
        qputenv(scheme == u"https"_s ? "https_proxy" : "http_proxy", f.server.BaseUrl().toLatin1());
        qputenv("no_proxy", "");
        host = u"practice.hibari.test"_s;
    }
    const QString base = u"%1://%2:%3"_s.arg(scheme, host).arg(service.Port());
    const bool proxyAnswers = !through.isEmpty() && scheme == u"http"_s;

    const std::optional<QString> page = FetchPage(f.context, &f.owner, f.inet, base + u"/practice/page"_s);
    const std::optional<QByteArray> again = FetchBytes(f.context, &f.owner, f.inet, base + u"/road/drop"_s);
    const std::optional<QByteArray> binary = FetchBytes(f.context, &f.owner, f.inet, base + u"/practice/binary"_s);
    const std::optional<QByteArray> document
        = FetchBytes(f.context, &f.owner, f.inet, base + u"/practice/document.pdf"_s);

    QCOMPARE(f.desktop.messages.size(), 0);
    QCOMPARE(page, std::optional<QString>(PracticePageText()));
    QVERIFY(again && *again == PracticeBinary(1000));
    QVERIFY(binary && *binary == PracticeBinary(4096));
    QVERIFY(document && *document == PracticePdf(u"練習文書"_s, 100));
    QCOMPARE((proxyAnswers ? f.server : service).Connections(), connections);
    // the connection to the proxy is kept as well
    QCOMPARE(f.server.Connections(), through.isEmpty() ? 0 : 1);
}

void TestFetch::latency_data()
{
    // one round trip for the connection, TLS 1.3 one more for its handshake
    addColumns<QString, int>("scheme", "firstRoundTrips");
    QTest::newRow("http") << u"http"_s << 2;
    QTest::newRow("https") << u"https"_s << 3;
}

// The practice service played far away: every chunk arrives late in each direction,
// the connection's set-up and the TLS handshake included; bodies arrive whole.
void TestFetch::latency()
{
    QFETCH(QString, scheme);
    QFETCH(int, firstRoundTrips);
    constexpr int LatencyMs = 40;
    Fixture f;
    PracticeServer far;
    AddFixedRoutes(far);
    far.SetLatency(LatencyMs);
    if (scheme == u"https"_s) {
        QVERIFY(far.UseTls(testTlsFile("server.pem"), testTlsFile("server.key")));
        qputenv("SSL_CERT_FILE", testTlsFile("ca.pem").toLocal8Bit());
    }
    QVERIFY(far.Listen());
    QVERIFY(far.BaseUrl().startsWith(scheme + u"://"_s));

    QElapsedTimer clock;
    clock.start();
    const std::optional<QString> page = FetchPage(f.context, &f.owner, f.inet, far.BaseUrl() + u"/practice/page"_s);
    const qint64 firstMs = clock.restart();
    const std::optional<QByteArray> large
        = FetchBytes(f.context, &f.owner, f.inet, far.BaseUrl() + u"/practice/large"_s);
    const qint64 secondMs = clock.elapsed();

    QCOMPARE(page, std::optional<QString>(PracticePageText()));
    QVERIFY(large && *large == PracticeBinary(PracticeLargeSize));
    // Lower bounds only: a busy machine is slower, never faster.
    QVERIFY2(firstMs >= 2 * LatencyMs * firstRoundTrips, qPrintable(QString::number(firstMs)));
    QVERIFY2(secondMs >= 2 * LatencyMs, qPrintable(QString::number(secondMs)));
    QCOMPARE(far.Connections(), 1);
    QCOMPARE(far.Requests().size(), 2);
}

void TestFetch::hourglassOnlyWhileTransferring()
{
    Fixture f;
    int shape = -1;
    f.server.Route("/probe", [&shape](const PracticeRequest &) {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        shape = cursor ? int(cursor->shape()) : -1;
        PracticeResponse response;
        response.body = "x";
        return response;
    });

    QVERIFY(FetchPage(f.context, &f.owner, f.inet, f.url(u"/probe"_s)));
    QCOMPARE(shape, int(Qt::WaitCursor));
}

// "通信中" counts the bytes as they are read: a body that stops at 20,000 of its
// 100,000 bytes shows them until the user stops it.
void TestFetch::stalledTransferShowsWhatCame()
{
    Fixture f;
    f.state.ProgressDelayMs = 0;
    QString shown;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() != u"frmTransfer"_s || !window->isVisible())
                continue;
            shown = child<QLabel>(window, "Label2")->text();
            if (shown == u"20,000 / 100,000 バイト受信"_s)
                click(window, "Command1"); // 中止
        }
    });
    poll.start(10);

    const std::optional<QByteArray> body
        = FetchBytes(f.context, &f.owner, f.inet, f.url(u"/practice/stallmid"_s), BodyUse::Document);

    QVERIFY(!body);
    QCOMPARE(shown, u"20,000 / 100,000 バイト受信"_s);
    QCOMPARE(f.desktop.messages.size(), 0); // stopped by the user, long before the time-out
}

void TestFetch::unwritableScratchFileIsIgnored()
{
    Fixture f;
    f.state.WorkPath = f.state.WorkPath + u"/missing/folder"_s;

    const std::optional<QString> text = FetchPage(f.context, &f.owner, f.inet, f.url(u"/practice/page"_s));

    QVERIFY(text);
    QCOMPARE(*text, PracticePageText());
    QCOMPARE(f.desktop.messages.size(), 0);
}

void TestFetch::progressNamesTheKind_data()
{
    addColumns<QString, QString>("path", "said");
    const QString library = u"/home/user/Documents/医薬品情報/"_s;
    QTest::newRow("package insert") << library + u"［医療用］/ハイバリン錠10mg.pdf"_s
                                    << u"添付文書を取得しています：ハイバリン錠10mg"_s;
    QTest::newRow("OTC package insert") << library + u"［一般用］/ハルカゼ錠.pdf"_s
                                        << u"添付文書を取得しています：ハルカゼ錠"_s;
    QTest::newRow("patient guide") << library + u"［患者向け］/ハイバリン錠10mg.pdf"_s
                                   << u"患者向医薬品ガイドを取得しています：ハイバリン錠10mg"_s;
    QTest::newRow("manual") << library + u"間質性肺炎.pdf"_s << u"マニュアルを取得しています：間質性肺炎"_s;
    QTest::newRow("revision document") << library + u"［改訂指示］/薬：2023年04月.pdf"_s
                                       << u"改訂指示の文書を取得しています：薬：2023年04月"_s;
}

// "通信中" says which kind of document comes: a drug's insert and guide share a name.
void TestFetch::progressNamesTheKind()
{
    QCOMPARE(DocumentText(fetch<QString>("path")), fetch<QString>("said"));
}

QTEST_MAIN(TestFetch)
#include "test_fetch.moc"
