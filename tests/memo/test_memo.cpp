#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "memo/Memo.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

class TestMemo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void toShiftJis_data();
    void toShiftJis();
    void copyText_data();
    void copyText();
    void writeReplacesWholeFile();
    void writeFailure_data();
    void writeFailure();
};

void TestMemo::toShiftJis_data()
{
    addColumns<QString, QByteArray>("text", "bytes");

    QTest::newRow("ascii and line ends") << u"a1 \t\r\n"_s << QByteArray("a1 \t\r\n");
    QTest::newRow("kanji") << u"医"_s << QByteArray("\x88\xe3");
    QTest::newRow("full-width brackets") << u"［］"_s << QByteArray("\x81\x6d\x81\x6e");
    QTest::newRow("half-width kana") << u"ｱ"_s << QByteArray("\xb1");
    QTest::newRow("vendor circled digit") << u"①"_s << QByteArray("\x87\x40");
    QTest::newRow("full-width tilde") << u"～"_s << QByteArray("\x81\x60");
    QTest::newRow("look-alikes from Linux input methods")
        << u"〜−‖—¢£¬"_s << QByteArray("\x81\x60\x81\x7c\x81\x61\x81\x5c\x81\x91\x81\x92\x81\xca");
    QTest::newRow("JIS X 0212 kanji outside cp932") << u"丂"_s << QByteArray("?");
    QTest::newRow("hangul between ascii") << u"a한b"_s << QByteArray("a?b");
    QTest::newRow("emoji is one question mark") << u"x😀y"_s << QByteArray("x?y");
    QTest::newRow("emoji across the halving point") << u"a😀한"_s << QByteArray("a??");
    QTest::newRow("several scattered") << u"한医한医한"_s << QByteArray("?\x88\xe3?\x88\xe3?");
    QTest::newRow("lone high surrogate at end") << u"z"_s + QChar(0xD800) << QByteArray("z?");
    QTest::newRow("lone high surrogate before kanji") << u"z"_s + QChar(0xD800) + u"医"_s << QByteArray("z?\x88\xe3");
    QTest::newRow("lone low surrogate") << QString(QChar(0xDC00)) + u"医"_s << QByteArray("?\x88\xe3");
}

void TestMemo::toShiftJis()
{
    QCOMPARE(ToShiftJis(fetch<QString>("text")), fetch<QByteArray>("bytes"));
}

void TestMemo::copyText_data()
{
    addColumns<QStringList, QString>("lines", "text");

    QTest::newRow("empty list") << QStringList() << QString();
    QTest::newRow("one line") << QStringList{u"A"_s} << u"A\r\n"_s;
    QTest::newRow("empty lines kept") << QStringList{QString(), u"B"_s, QString()} << u"\r\nB\r\n\r\n"_s;
}

void TestMemo::copyText()
{
    QCOMPARE(CopyText(fetch<QStringList>("lines")), fetch<QString>("text"));
}

void TestMemo::writeReplacesWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"［医療用］.txt"_s);
    QVERIFY(WriteMemoFile(path, {u"古いメモの長い行"_s, u"その二"_s, u"その三"_s}).isEmpty());
    QCOMPARE(WriteMemoFile(path, {u"医"_s, u"ｱ한"_s}), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\x88\xe3\r\n\xb1?\r\n"));
}

void TestMemo::writeFailure_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QString>("said"); // in Japanese, with no system text beside it

    QTest::newRow("missing folder") << u"missing/memo.txt"_s << u"保存先のフォルダーがありません。"_s;
    QTest::newRow("folder is a regular file")
        << u"plain/memo.txt"_s << u"保存先のフォルダーがある場所に、同じ名前のファイルがあります。"_s;
    QTest::newRow("path is a folder") << u"folder"_s << u"同じ名前のフォルダーがあるため、ファイルを保存できません。"_s;
    QTest::newRow("name too long") << QString(86, u'メ') << u"ファイル名が長すぎます。"_s;
}

void TestMemo::writeFailure()
{
    QFETCH(QString, relativePath);
    QFETCH(QString, said);
    QTemporaryDir dir;
    QFile plain(dir.filePath(u"plain"_s));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));

    const QString failure = WriteMemoFile(dir.filePath(relativePath), {u"A"_s});
    QVERIFY(!failure.isEmpty());
    QCOMPARE(failure, u"メモファイルに書き込めません: "_s + dir.filePath(relativePath) + u'\n' + said);
    QCOMPARE(QFileInfo(dir.filePath(u"plain"_s)).size(), 0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
}

QTEST_GUILESS_MAIN(TestMemo)
#include "test_memo.moc"
