#include <cerrno>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "fulltext/OriginCheck.h"
#include "retrieval/DocumentFile.h"
#include "retrieval/OriginRecord.h"
#include "retrieval/SaveAndOpen.h"
#include "shell/Library.h"
#include "support/ProgramFixture.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

// Where saved documents came from: the record at the save (database and extended
// attributes), the check against the service and the replacement of a stale document.
class TestOriginCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void recordAtSave_data();
    void recordAtSave();
    void checkStates_data();
    void checkStates();
    void unchangedCostsHeadersOnly();
    void throughProxy();
    void abortLeavesRecords();
    void replaceKeepsOldInTrash();
};

namespace {

int refuseAttributes(const QByteArray &, const char *, const QByteArray &)
{
    return ENOTSUP;
}

// The practice service's document saved in the library as the program saves it.
struct Fixture : ProgramFixture {
    QTemporaryDir home; // the desktop's trash lies here

    Fixture()
    {
        state.OriginsPath = root.filePath(u"user/fulltext.sqlite"_s);
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
    }
    QString save(const QString &name, const QString &route)
    {
        const QString path = inLibrary(Library::Medical() + u'/' + name);
        const QString url = state.ServiceBase + route;
        const Inet1::Reply reply = inet.OpenURL(url);
        if (!reply.ok || !SaveAndOpenDocument(context, &owner, path, reply.body, url, &inet))
            qFatal("not saved");
        return path;
    }
    QList<OriginCheck::Outcome> check(const QStringList &paths, bool fetch = false)
    {
        OriginStore origins(state.OriginsPath, state.DocumentsPath);
        QList<OriginCheck::Job> jobs;
        for (const QString &path : paths)
            jobs.append({path, origins.find(path)});
        OriginCheck run(jobs, fetch, 5000, &state.ProxyLogin, [this](const QString &proxy, bool refused) {
            return desktop.askProxyCredentials(nullptr, proxy, refused);
        });
        QList<OriginCheck::Outcome> outcomes;
        QObject::connect(&run, &OriginCheck::done, &run, [&](const OriginCheck::Outcome &o) { outcomes.append(o); });
        run.run();
        return outcomes;
    }
};

bool attributesSupported(const QString &folder)
{
    QFile probe(folder + u"/probe"_s);
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    OriginRecord record;
    record.url = u"http://example/"_s;
    return WriteOriginAttributes(probe.fileName(), record);
}

} // namespace

void TestOriginCheck::init()
{
    qunsetenv("http_proxy");
    qunsetenv("no_proxy");
}

void TestOriginCheck::cleanup()
{
    UseSetAttribute(nullptr);
    init();
}

void TestOriginCheck::recordAtSave_data()
{
    addColumns<bool, bool>("attributes", "validators");
    QTest::newRow("attributes and validators") << true << true;
    QTest::newRow("server without validators") << true << false;
    QTest::newRow("file system without attributes") << false << true;
}

void TestOriginCheck::recordAtSave()
{
    QFETCH(bool, attributes);
    QFETCH(bool, validators);
    Fixture f;
    if (attributes && !attributesSupported(f.root.path()))
        QSKIP("the temporary folder's file system keeps no extended attributes");
    if (!attributes)
        UseSetAttribute(refuseAttributes);
    f.server.SetValidators(validators);
    const QString path = f.save(u"甲錠.pdf"_s, u"/practice/document.pdf"_s);

    // The file is there whatever the file system keeps.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const std::optional<OriginRecord> onFile = ReadOriginAttributes(path);
    QCOMPARE(onFile.has_value(), attributes);
    if (onFile) {
        QCOMPARE(onFile->url, f.state.ServiceBase + u"/practice/document.pdf"_s);
        QCOMPARE(onFile->sha256, Sha256Hex(bytes));
        QCOMPARE(onFile->etag.isEmpty(), !validators);
    }
    OriginStore origins(f.state.OriginsPath, f.state.DocumentsPath);
    const std::optional<OriginRecord> stored = origins.find(path);
    QVERIFY(stored);
    QCOMPARE(stored->size, bytes.size());
    QCOMPARE(stored->lastModified.isEmpty(), !validators);
    QVERIFY(qAbs(stored->savedAt.secsTo(QDateTime::currentDateTimeUtc())) < 600);

    // A rename keeps the record; a lost database is read again from the file.
    const QString renamed = f.inLibrary(Library::Medical() + u"/乙錠.pdf"_s);
    QVERIFY(QFile::rename(path, renamed));
    origins.move(path, renamed);
    QVERIFY(origins.find(renamed));
    QVERIFY(!origins.find(path));
    if (attributes) {
        OriginStore fresh(f.root.filePath(u"other.sqlite"_s), f.state.DocumentsPath);
        QCOMPARE(fresh.find(renamed)->sha256, Sha256Hex(bytes));
    }
}

void TestOriginCheck::checkStates_data()
{
    addColumns<QString, bool, bool, QString>("route", "validators", "revised", "state");
    const QString document = u"/practice/document.pdf"_s;
    QTest::newRow("unchanged") << document << true << false << u"最新"_s;
    QTest::newRow("revised") << document << true << true << u"更新あり"_s;
    QTest::newRow("no validators, unchanged") << document << false << false << u"最新"_s;
    QTest::newRow("no validators, revised") << document << false << true << u"更新あり"_s;
    QTest::newRow("through a redirect") << u"/practice/redirect?to=/practice/document.pdf"_s << true << true
                                        << u"更新あり"_s;
    QTest::newRow("gone") << u"/practice/gone.pdf"_s << true << false << u"見つかりません"_s;
    QTest::newRow("server error") << u"/practice/error500.pdf"_s << true << false << u"通信エラー"_s;
    QTest::newRow("no origin") << QString() << true << false << u"取得元不明"_s;
}

void TestOriginCheck::checkStates()
{
    QFETCH(QString, route);
    QFETCH(bool, validators);
    QFETCH(bool, revised);
    QFETCH(QString, state);
    Fixture f;
    f.server.SetValidators(validators);
    QString path = f.inLibrary(Library::Medical() + u"/甲錠.pdf"_s);
    if (route.isEmpty()) {
        QVERIFY(WriteFileAtomically(path, "%PDF-1.4\n").isEmpty()); // saved before origins were kept
    } else if (route == u"/practice/gone.pdf"_s) {
        path = f.save(u"甲錠.pdf"_s, u"/practice/document.pdf"_s);
        OriginStore origins(f.state.OriginsPath, f.state.DocumentsPath);
        OriginRecord record = *origins.find(path);
        record.url = f.state.ServiceBase + u"/practice/notfound.pdf"_s;
        origins.record(path, record);
    } else if (route == u"/practice/error500.pdf"_s) {
        path = f.save(u"甲錠.pdf"_s, u"/practice/document.pdf"_s);
        OriginStore origins(f.state.OriginsPath, f.state.DocumentsPath);
        OriginRecord record = *origins.find(path);
        record.url = f.state.ServiceBase + route;
        origins.record(path, record);
    } else {
        path = f.save(u"甲錠.pdf"_s, route);
    }
    if (revised)
        f.server.Revise("/practice/document.pdf");

    const QList<OriginCheck::Outcome> outcomes = f.check({path});
    QCOMPARE(outcomes.size(), 1);
    QCOMPARE(CheckStateText(outcomes[0].state), state);
    QCOMPARE(outcomes[0].path, path);
    if (state == u"通信エラー"_s)
        QVERIFY(!outcomes[0].errorText.isEmpty());
}

void TestOriginCheck::unchangedCostsHeadersOnly()
{
    Fixture f;
    QStringList paths;
    for (int i = 0; i < 9; ++i)
        paths.append(f.save(u"文書%1.pdf"_s.arg(i), u"/practice/document.pdf"_s));
    const qint64 before = f.server.BodyBytesSent();
    f.server.ClearRequests();
    const QList<OriginCheck::Outcome> outcomes = f.check(paths);
    QCOMPARE(outcomes.size(), 9);
    for (const OriginCheck::Outcome &outcome : outcomes)
        QCOMPARE(outcome.state, CheckState::Current);
    QCOMPARE(f.server.BodyBytesSent(), before); // every answer a 304 without a body
    for (const PracticeRequest &request : f.server.Requests())
        QVERIFY(!request.ifNoneMatch.isEmpty());
    // Never more than four at once.
    QVERIFY(f.server.Connections() <= 1 + OriginCheck::MaxRunning);
}

void TestOriginCheck::throughProxy()
{
    Fixture f;
    const QString path = f.save(u"甲錠.pdf"_s, u"/practice/document.pdf"_s);
    // The record names the service by a name only the proxy knows.
    OriginStore origins(f.state.OriginsPath, f.state.DocumentsPath);
    OriginRecord record = *origins.find(path);
    record.url = u"http://drug-info.example/practice/document.pdf"_s;
    origins.record(path, record);
    f.server.RequireProxyLogin("hibari", "secret");
    qputenv("http_proxy", u"http://127.0.0.1:%1"_s.arg(f.server.Port()).toLatin1());
    qputenv("no_proxy", "");
    f.desktop.proxyAnswers = {ProxyCredentials{u"hibari"_s, u"secret"_s}};
    f.server.Revise({});

    const QList<OriginCheck::Outcome> outcomes = f.check({path, path, path});
    QCOMPARE(outcomes.size(), 3);
    for (const OriginCheck::Outcome &outcome : outcomes)
        QCOMPARE(outcome.state, CheckState::Updated);
    QCOMPARE(f.desktop.proxyQuestions.size(), 1); // asked once for all the requests
    QCOMPARE(f.state.ProxyLogin.user, u"hibari"_s);
}

void TestOriginCheck::abortLeavesRecords()
{
    Fixture f;
    QStringList paths;
    for (int i = 0; i < 6; ++i)
        paths.append(f.save(u"文書%1.pdf"_s.arg(i), u"/practice/document.pdf"_s));
    OriginStore origins(f.state.OriginsPath, f.state.DocumentsPath);
    // The later ones answer slowly: the check is stopped while they run.
    for (int i = 2; i < 6; ++i) {
        OriginRecord record = *origins.find(paths[i]);
        record.url = f.state.ServiceBase + u"/practice/slow?ms=5000"_s;
        origins.record(paths[i], record);
    }
    const auto before = f.files();
    QList<OriginCheck::Job> jobs;
    for (const QString &path : paths)
        jobs.append({path, origins.find(path)});
    OriginCheck run(jobs, true, 20000, nullptr, {});
    int done = 0;
    QObject::connect(&run, &OriginCheck::done, &run, [&] {
        if (++done == 2)
            QTimer::singleShot(100, &run, [&run] { run.abort(); });
    });
    QElapsedTimer clock;
    clock.start();
    run.run();
    QVERIFY(run.aborted());
    QVERIFY(clock.elapsed() < 4000); // the slow answers were not waited for
    QCOMPARE(done, 2);
    QCOMPARE(f.files(), before);
}

void TestOriginCheck::replaceKeepsOldInTrash()
{
    Fixture f;
    const QString path = f.save(u"甲錠.pdf"_s, u"/practice/document.pdf"_s);
    f.server.Revise({});
    const QList<OriginCheck::Outcome> outcomes = f.check({path}, true);
    QCOMPARE(outcomes.size(), 1);
    QCOMPARE(outcomes[0].state, CheckState::Updated);
    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly));
    const QByteArray oldBytes = old.readAll();
    old.close();

    QCOMPARE(ReplaceDocument(path, outcomes[0].body), QString());
    QFile now(path);
    QVERIFY(now.open(QIODevice::ReadOnly));
    QCOMPARE(now.readAll(), outcomes[0].body);
    const QDir trash(f.home.filePath(u"Trash/files"_s));
    const QStringList trashed = trash.entryList(QDir::Files);
    QCOMPARE(trashed.size(), 1);
    QFile kept(trash.filePath(trashed[0]));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), oldBytes);
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_MAIN(TestOriginCheck)
#include "test_origincheck.moc"
