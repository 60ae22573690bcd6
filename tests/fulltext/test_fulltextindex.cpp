#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "fulltext/FullTextIndex.h"
#include "fulltext/LibraryIndexer.h"
#include "fulltext/TextFold.h"
#include "shell/Library.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

// The index's life: new, renamed, changed, removed and unreadable documents, a
// damaged index and one of another version, and the background indexer (which
// also sees a document written over in place).
class TestFullTextIndex : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void followsTheLibrary();
    void unreadableUntilChanged();
    void stoppedPartWayKeepsWhatWasStored();
    void rebuiltWhenDamaged_data();
    void rebuiltWhenDamaged();
    void backgroundIndexerFollowsFolders();
};

namespace {

// A library whose "PDFs" are plain text files, one page per line: the reader given to
// the index reads them so and counts its calls.
struct TextLibrary {
    QTemporaryDir root;
    QString documents = root.path() + u'/';
    QString indexPath = root.filePath(u"user/fulltext.sqlite"_s);
    std::atomic_int reads = 0;
    QSet<QString> unreadable;

    TextLibrary() { Library::CreateFolders(documents); }
    QString write(const QString &relative, const QString &text)
    {
        writeBytes(documents + relative, text.toUtf8());
        return relative;
    }
    TextReader reader()
    {
        return [this](const QString &file) -> std::optional<QStringList> {
            ++reads;
            if (unreadable.contains(QFileInfo(file).fileName()))
                return std::nullopt;
            return QString::fromUtf8(readBytes(file)).split(u'\n');
        };
    }
    bool update(FullTextIndex &index)
    {
        const std::atomic_bool stop = false;
        return UpdateIndex(index, documents, reader(), {}, stop);
    }
    QStringList found(FullTextIndex &index, const QString &typed)
    {
        QStringList paths;
        for (const FullTextIndex::Hit &hit : index.search(SearchTerms(typed)))
            paths.append(hit.path + u':' + (hit.readable ? QString() : u"unreadable"_s));
        return paths;
    }
};

const QString Medical = Library::Medical() + u'/';
const QString Otc = Library::Otc() + u'/';

} // namespace

void TestFullTextIndex::followsTheLibrary()
{
    TextLibrary lib;
    const QString a = lib.write(Medical + u"甲錠.pdf"_s, u"警告\n相互作用 ワルファリン"_s);
    const QString b = lib.write(Otc + u"乙.PDF"_s, u"用法及び用量"_s);
    lib.write(Medical + u"メモ.txt"_s, u"ワルファリン"_s); // not a PDF
    const QString manual = lib.write(Library::Root() + u"/マニュアル.pdf"_s, u"間質性肺炎"_s);
    const QString revision = lib.write(Library::Revision() + u"/改訂.pdf"_s, u"ﾜﾙﾌｧﾘﾝ"_s);
    const QMap<QString, QByteArray> before = [&] {
        QMap<QString, QByteArray> files;
        for (const QString &path : {a, b, manual, revision})
            files.insert(path, readBytes(lib.documents + path));
        return files;
    }();
    {
        FullTextIndex index(lib.indexPath);
        QVERIFY(index.openForUpdate());
        QVERIFY(lib.update(index));
        QCOMPARE(lib.reads.load(), 4);
        QCOMPARE(lib.found(index, u"ワルファリン"_s), (QStringList{a + u':', revision + u':'}));
        QCOMPARE(lib.found(index, u"肺炎"_s), QStringList{manual + u':'});
        QCOMPARE(lib.found(index, u"乙"_s), QStringList{b + u':'}); // by its name
        QCOMPARE(index.search(SearchTerms(u"作用"_s)).value(0).pages, QList<int>{2});
    }
    // Survives a restart; nothing changed, nothing read.
    FullTextIndex index(lib.indexPath);
    QVERIFY(index.openForUpdate());
    QVERIFY(lib.update(index));
    QCOMPARE(lib.reads.load(), 4);

    // Renamed in its folder: found under the new name without being read again.
    const QString renamed = Medical + u"丙錠.pdf"_s;
    QVERIFY(QFile::rename(lib.documents + a, lib.documents + renamed));
    QVERIFY(lib.update(index));
    QCOMPARE(lib.reads.load(), 4);
    QCOMPARE(lib.found(index, u"相互作用"_s), QStringList{renamed + u':'});
    QCOMPARE(lib.found(index, u"甲錠"_s), QStringList());

    // Changed outside: read again.
    lib.write(renamed, u"禁忌"_s);
    QVERIFY(lib.update(index));
    QCOMPARE(lib.reads.load(), 5);
    QCOMPARE(lib.found(index, u"相互作用"_s), QStringList());
    QCOMPARE(lib.found(index, u"禁忌"_s), QStringList{renamed + u':'});

    // Removed.
    QVERIFY(QFile::remove(lib.documents + b));
    QVERIFY(lib.update(index));
    QCOMPARE(lib.found(index, u"用法"_s), QStringList());

    // The documents were only read.
    QCOMPARE(readBytes(lib.documents + manual), before.value(manual));
    QCOMPARE(readBytes(lib.documents + revision), before.value(revision));
}

void TestFullTextIndex::unreadableUntilChanged()
{
    TextLibrary lib;
    const QString path = lib.write(Medical + u"壊れた.pdf"_s, u"警告"_s);
    lib.unreadable.insert(u"壊れた.pdf"_s);
    FullTextIndex index(lib.indexPath);
    QVERIFY(index.openForUpdate());
    QVERIFY(lib.update(index));
    QVERIFY(lib.update(index));
    QCOMPARE(lib.reads.load(), 1); // skipped until it changes
    QCOMPARE(lib.found(index, u"壊れ"_s), QStringList{path + u":unreadable"_s});
    QCOMPARE(lib.found(index, u"警告"_s), QStringList());

    lib.unreadable.clear();
    lib.write(path, u"警告 改"_s);
    QVERIFY(lib.update(index));
    QCOMPARE(lib.reads.load(), 2);
    QCOMPARE(lib.found(index, u"警告"_s), QStringList{path + u':'});
}

void TestFullTextIndex::stoppedPartWayKeepsWhatWasStored()
{
    // More documents than are committed together; stopped in the middle of a group.
    TextLibrary lib;
    for (int i = 0; i < 20; ++i)
        lib.write(Medical + u"文書%1.pdf"_s.arg(i, 2, 10, QChar(u'0')), u"警告"_s);
    std::atomic_bool stop = false;
    const auto stopAt = [&](int done, int) { stop = stop || done == 11; };
    {
        FullTextIndex index(lib.indexPath);
        QVERIFY(index.openForUpdate());
        QVERIFY(UpdateIndex(index, lib.documents, lib.reader(), stopAt, stop));
    }
    FullTextIndex index(lib.indexPath);
    QVERIFY(index.openForUpdate());
    const qsizetype stored = index.stamps().size();
    QVERIFY2(stored >= 11 && stored < 20, qPrintable(QString::number(stored)));
    const int readBefore = lib.reads;
    QVERIFY(lib.update(index));
    QCOMPARE(lib.reads - readBefore, 20 - int(stored)); // only the rest
    QCOMPARE(lib.found(index, u"警告"_s).size(), 20);
}

void TestFullTextIndex::rebuiltWhenDamaged_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("not a database") << u"garbage"_s;
    QTest::newRow("cut short") << u"truncate"_s;
    QTest::newRow("another version") << u"version"_s;
    QTest::newRow("empty file") << u"empty"_s;
}

void TestFullTextIndex::rebuiltWhenDamaged()
{
    QFETCH(QString, damage);
    TextLibrary lib;
    const QString path = lib.write(Medical + u"甲.pdf"_s, QString(u"警告"_s).repeated(3000));
    {
        FullTextIndex index(lib.indexPath);
        QVERIFY(index.openForUpdate());
        QVERIFY(lib.update(index));
    }
    QFile file(lib.indexPath);
    if (damage == u"garbage"_s) {
        QVERIFY(writeBytes(lib.indexPath, QByteArray(8192, 'x')));
    } else if (damage == u"truncate"_s) {
        QVERIFY(file.resize(file.size() / 2));
    } else if (damage == u"empty"_s) {
        QVERIFY(file.resize(0));
    } else {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"damage"_s);
        db.setDatabaseName(lib.indexPath);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(u"UPDATE meta SET value = '0' WHERE key = 'version'"_s));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"damage"_s);
    }
    FullTextIndex index(lib.indexPath);
    QVERIFY(index.openForUpdate());
    QVERIFY(lib.update(index));
    QCOMPARE(lib.found(index, u"警告"_s), QStringList{path + u':'});
    QCOMPARE(lib.reads.load(), 2); // read again into the new index
}

void TestFullTextIndex::backgroundIndexerFollowsFolders()
{
    TextLibrary lib;
    lib.write(Medical + u"甲.pdf"_s, u"ワルファリン"_s);
    LibraryIndexer indexer(lib.indexPath, lib.documents, lib.reader());
    QSignalSpy finished(&indexer, &LibraryIndexer::finished);
    indexer.start();
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() >= 1, 20000);
    const auto search = [&](const QString &typed) {
        FullTextIndex index(lib.indexPath);
        return index.openForSearch() ? lib.found(index, typed) : QStringList();
    };
    QCOMPARE(search(u"ワルファリン"_s), QStringList{Medical + u"甲.pdf:"_s});

    // Written over in place, its folder unchanged: read again all the same.
    writeBytes(lib.documents + Medical + u"甲.pdf"_s, u"ワルファリン 横紋筋融解症"_s.toUtf8());
    QTRY_COMPARE_WITH_TIMEOUT(search(u"横紋筋"_s), QStringList{Medical + u"甲.pdf:"_s}, 20000);

    // A save into a watched folder (a temporary file renamed into place) is indexed
    // without being asked for.
    writeBytes(lib.documents + Otc + u".part"_s, u"間質性肺炎"_s.toUtf8());
    QVERIFY(QFile::rename(lib.documents + Otc + u".part"_s, lib.documents + Otc + u"乙.pdf"_s));
    QTRY_COMPARE_WITH_TIMEOUT(search(u"肺炎"_s), QStringList{Otc + u"乙.pdf:"_s}, 20000);
    QVERIFY(QFile::remove(lib.documents + Medical + u"甲.pdf"_s));
    QTRY_COMPARE_WITH_TIMEOUT(search(u"ワルファリン"_s), QStringList(), 20000);
}

QTEST_GUILESS_MAIN(TestFullTextIndex)
#include "test_fulltextindex.moc"
