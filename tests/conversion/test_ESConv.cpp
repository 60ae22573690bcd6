#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "conversion/ESConv.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Table file text; the line "ascii" stands for the records 01-7F to themselves.
QByteArray expandRecords(const QByteArray &records)
{
    QByteArray text;
    for (const QByteArray &line : records.split('\n')) {
        if (line == "ascii") {
            for (int b = 1; b < 0x80; ++b)
                text += QByteArray::number(b, 16) + ',' + QByteArray::number(b, 16) + '\n';
        } else {
            text += line + '\n';
        }
    }
    return text;
}

struct LoadedTable {
    QTemporaryDir dir;
    EucTable table;
    bool loaded = false;

    explicit LoadedTable(const QByteArray &fileText, bool expand = true)
    {
        const QString path = dir.path() + u"/E2S.param"_s;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(expand ? expandRecords(fileText) : fileText);
        file.close();
        loaded = LoadEucTable(table, path);
    }
};

struct Lookup {
    quint32 euc;
    quint16 sjis;
};

} // namespace

Q_DECLARE_METATYPE(QList<Lookup>)

class TestESConv : public QObject {
    Q_OBJECT

private slots:
    void conversion_data();
    void conversion();
    void progressReports_data();
    void progressReports();
    void progressOfShortPages_data();
    void progressOfShortPages();
    void loading_data();
    void loading();
    void reverseTable_data();
    void reverseTable();
    void missingFileLeavesEmptyTables();
    void reloadForgetsEarlierTable();
    void encodeQuery_data();
    void encodeQuery();
};

void TestESConv::conversion_data()
{
    addColumns<QByteArray, QByteArray, QString>("records", "input", "expected");

    const QByteArray kana = "ascii\nA4A2,82A0\nA4A4,82A2";
    QTest::newRow("last byte converted") << QByteArray("A4A2,82A0\n0A,0A") << QByteArray::fromHex("a4a20a")
                                         << u"あ\n"_s;
    QTest::newRow("one byte") << QByteArray("41,41") << QByteArray("A") << u"A"_s;
    QTest::newRow("one unmapped byte") << QByteArray("41,41") << QByteArray("B") << QString();
    QTest::newRow("empty input") << kana << QByteArray() << QString();
    QTest::newRow("unmapped byte dropped, next starts anew") << kana << QByteArray::fromHex("a4a4a4a2") << u"いあ"_s;
    QTest::newRow("stray lead byte before text") << kana << QByteArray::fromHex("ff41a4a2") << u"Aあ"_s;
    QTest::newRow("two bytes cut at the end") << kana << QByteArray::fromHex("41a4") << u"A"_s;
    QTest::newRow("three bytes cut at the end")
        << QByteArray("ascii\n8FD4E3,FA5C") << QByteArray::fromHex("418fd4") << u"A"_s;
    QTest::newRow("three bytes") << QByteArray("ascii\n8FD4E3,FA5C") << QByteArray::fromHex("8fd4e341") << u"纊A"_s;
    QTest::newRow("half-width katakana") << QByteArray("8EB1,B1\n8EDF,DF") << QByteArray::fromHex("8eb18edf")
                                         << u"ｱﾟ"_s;
    QTest::newRow("one-byte entry for 8E hides katakana")
        << QByteArray("8E,41\n8EB1,B1") << QByteArray::fromHex("8eb1") << u"A"_s;
    QTest::newRow("two bytes tried before three")
        << QByteArray("A4A2,82A0\nA4A2A4,82A2") << QByteArray::fromHex("a4a2a4") << u"あ"_s;
    QTest::newRow("NUL before a code") << kana << QByteArray::fromHex("00a4a2") << u"あ"_s;
    QTest::newRow("NUL inside ASCII") << kana << QByteArray::fromHex("4100424344") << u"ABCD"_s;
    QTest::newRow("later record wins") << QByteArray("A4A2,82A0\nA4A2,82A2") << QByteArray::fromHex("a4a2") << u"い"_s;
    QTest::newRow("record to 0 leaves the code to the platform decoder")
        << QByteArray("A4A2,82A2\nA4A2,0") << QByteArray::fromHex("a4a2") << u"あ"_s;
    QTest::newRow("JIS X 0212 without an entry read whole") << kana << QByteArray::fromHex("8fb0a141") << u"丂A"_s;
    QTest::newRow("undefined three-byte code dropped whole") << kana << QByteArray::fromHex("8fa1a141") << u"A"_s;
    QTest::newRow("undefined, then defined three-byte code") << kana << QByteArray::fromHex("8fa1a18fb0a1") << u"丂"_s;
    QTest::newRow("malformed lead byte dropped alone") << kana << QByteArray::fromHex("8f41a4a2") << u"Aあ"_s;
    QTest::newRow("control codes as cp932 has them")
        << QByteArray("ascii") << QByteArray::fromHex("1a7f1c") << u"\x1a\x7f\x1c"_s;
    QTest::newRow("windows tilde and minus")
        << QByteArray("A1C1,8160\nA1DD,817C") << QByteArray::fromHex("a1c1a1dd") << u"～－"_s;

    // Long ASCII runs around Japanese text, at every offset within sixteen bytes.
    for (int offset : {0, 1, 15, 16, 17, 31, 40}) {
        const QByteArray ascii(offset, 'x');
        QTest::newRow(qPrintable(u"ASCII run of %1"_s.arg(offset)))
            << kana << (ascii + QByteArray::fromHex("a4a2") + ascii + "<b>" + QByteArray::fromHex("a4a4"))
            << (QString::fromLatin1(ascii) + u"あ"_s + QString::fromLatin1(ascii) + u"<b>い"_s);
    }
    // Japanese text is read a pair at a time while each pair has an entry.
    QTest::newRow("pairs up to a byte cut at the end") << kana << QByteArray::fromHex("a4a2a4a4a4") << u"あい"_s;
    QTest::newRow("pairs around a pair without an entry") << kana << QByteArray::fromHex("a4a2a4a6a4a4") << u"あうい"_s;
    QTest::newRow("pairs around half-width katakana")
        << (kana + "\n8EB1,B1") << QByteArray::fromHex("a4a28eb1a4a2") << u"あｱあ"_s;
    QTest::newRow("pairs around a three-byte code")
        << (kana + "\n8FD4E3,FA5C") << QByteArray::fromHex("a4a28fd4e3a4a4") << u"あ纊い"_s;
    QTest::newRow("one-byte entry of a high byte before pairs")
        << QByteArray("A4,41\nA4A2,82A0\nA2A4,82A2") << QByteArray::fromHex("a4a2a4") << u"Aい"_s;
    QTest::newRow("ASCII not mapped to itself") << QByteArray("41,42\n42,41") << QByteArray("AB") << u"BA"_s;
    QTest::newRow("table without the ASCII range")
        << QByteArray("A4A2,82A0") << QByteArray::fromHex("41a4a242") << u"あ"_s;
}

void TestESConv::conversion()
{
    QFETCH(QByteArray, records);
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    LoadedTable loaded(records);
    QVERIFY(loaded.loaded);
    QCOMPARE(EucToSjis(loaded.table, input), expected);
}

void TestESConv::progressReports_data()
{
    addColumns<QByteArray, QByteArray>("records", "input");

    QByteArray page(10001, 'a');
    page.replace(4998, 2, QByteArray::fromHex("a4a2"));
    page.replace(7000, 2, QByteArray::fromHex("a4a2"));
    QTest::newRow("ASCII table") << QByteArray("ascii\nA4A2,82A0") << page;
    QTest::newRow("table without ASCII") << QByteArray("61,61\nA4A2,82A0") << page;
    QTest::newRow("unmapped bytes only") << QByteArray("A4A2,82A0") << QByteArray(10001, 'z');
    QTest::newRow("Japanese text") << QByteArray("A4A2,82A0")
                                   << QByteArray::fromHex(QByteArray("a4a2").repeated(5000)) + 'z';
}

// The progress reports of converting the row's input through the row's table.
QList<std::pair<qsizetype, int>> rowReports()
{
    LoadedTable loaded(fetch<QByteArray>("records"));
    QList<std::pair<qsizetype, int>> reports;
    EucToSjis(loaded.table, fetch<QByteArray>("input"), [&](qsizetype position, int percent) {
        reports.append({position, percent});
    });
    return reports;
}

void TestESConv::progressReports()
{
    const QList<std::pair<qsizetype, int>> reports = rowReports();

    // The percentage counts against the last index (10,000 here), each value once.
    QCOMPARE(reports.size(), 100);
    QCOMPARE(reports.first(), std::make_pair(qsizetype(100), 1));
    QVERIFY(reports.contains(std::make_pair(qsizetype(5000), 50)));
    QCOMPARE(reports.last().second, 100);
    for (qsizetype k = 1; k < reports.size(); ++k)
        QCOMPARE(reports[k].second, reports[k - 1].second + 1);
}

void TestESConv::progressOfShortPages_data()
{
    addColumns<QByteArray, QByteArray>("records", "input");

    // Below 100 bytes the scan's last step lies past the last index.
    QTest::newRow("ten ASCII bytes") << QByteArray("ascii") << QByteArray("abcdefghij");
    QTest::newRow("two bytes") << QByteArray("ascii") << QByteArray("ab");
    QTest::newRow("three-byte code near the end")
        << QByteArray("ascii\n8FF3FD,8754") << QByteArray::fromHex("6162638fa2b78ff3fda4");
    QTest::newRow("unmapped bytes only") << QByteArray("A4A2,82A0") << QByteArray(50, 'z');
}

void TestESConv::progressOfShortPages()
{
    const QByteArray &input = fetch<QByteArray>("input");
    const QList<std::pair<qsizetype, int>> reports = rowReports();

    QVERIFY(!reports.isEmpty());
    QCOMPARE(reports.last(), std::make_pair(input.size() - 1, 100));
    for (qsizetype k = 1; k < reports.size(); ++k)
        QVERIFY(reports[k].second > reports[k - 1].second);
}

void TestESConv::loading_data()
{
    addColumns<QByteArray, bool, qsizetype, QList<Lookup>>("fileText", "wellFormed", "entries", "lookups");

    QTest::newRow("upper and lower case digits") << QByteArray("A4A2,82A0\na4a4,82a2\n") << true << qsizetype(2)
                                                 << QList<Lookup>{{0xA4A2, 0x82A0}, {0xA4A4, 0x82A2}};
    QTest::newRow("CR LF, blank lines and blanks")
        << QByteArray("41,41\r\n\r\n  A4A2 , 82A0 \r\n\"A4A4\",\"82A2\"\r\n") << true << qsizetype(3)
        << QList<Lookup>{{0x41, 0x41}, {0xA4A2, 0x82A0}, {0xA4A4, 0x82A2}};
    QTest::newRow("no line break at the end")
        << QByteArray("41,41") << true << qsizetype(1) << QList<Lookup>{{0x41, 0x41}};
    QTest::newRow("three-byte codes up to the limit")
        << QByteArray("8FD4E3,FA5C\n1000041,41\n00A4A2,082A0") << false << qsizetype(2)
        << QList<Lookup>{{0x8FD4E3, 0xFA5C}, {0x1000041, 0x41}, {0xA4A2, 0}};
    QTest::newRow("not hexadecimal in the middle") << QByteArray("A4A2,82A0\nA4G4,82A2\nA4A6,82A4") << false
                                                   << qsizetype(1) << QList<Lookup>{{0xA4A2, 0x82A0}, {0xA4A6, 0}};
    QTest::newRow("first field too large")
        << QByteArray("41,41\n1010000,42\n43,43") << false << qsizetype(1) << QList<Lookup>{{0x41, 0x41}, {0x43, 0}};
    QTest::newRow("first field negative")
        << QByteArray("41,41\nFFFFFFFF,42\n43,43") << false << qsizetype(1) << QList<Lookup>{{0x43, 0}};
    QTest::newRow("first field nine digits")
        << QByteArray("41,41\n000000041,42") << false << qsizetype(1) << QList<Lookup>{{0x41, 0x41}};
    QTest::newRow("second field five digits")
        << QByteArray("41,41\nA4A2,082A0\n43,43") << false << qsizetype(1) << QList<Lookup>{{0xA4A2, 0}, {0x43, 0}};
    QTest::newRow("one field only") << QByteArray("41,41\nA4A2\n43,43") << false << qsizetype(1)
                                    << QList<Lookup>{{0x41, 0x41}, {0xA4A2, 0}};
    QTest::newRow("empty second field") << QByteArray("41,41\nA4A2,\n43,43") << false << qsizetype(1)
                                        << QList<Lookup>{{0xA4A2, 0}};
    QTest::newRow("prefixed digits") << QByteArray("&hA4A2,82A0") << false << qsizetype(0)
                                     << QList<Lookup>{{0xA4A2, 0}};
    QTest::newRow("later record for the same code wins")
        << QByteArray("A4A2,82A0\nA4A2,82A2\n8FD4E3,FA5C\n8FD4E3,ED40") << true << qsizetype(2)
        << QList<Lookup>{{0xA4A2, 0x82A2}, {0x8FD4E3, 0xED40}};
    QTest::newRow("binary garbage") << QByteArray("41,41\n\x01\xff\xfe,\x80\n", 13) << false << qsizetype(1)
                                    << QList<Lookup>{{0x41, 0x41}};
}

void TestESConv::loading()
{
    QFETCH(QByteArray, fileText);
    QFETCH(bool, wellFormed);
    QFETCH(qsizetype, entries);
    QFETCH(QList<Lookup>, lookups);
    LoadedTable loaded(fileText, false);
    QCOMPARE(loaded.loaded, wellFormed);
    QCOMPARE(loaded.table.size(), entries);
    for (const Lookup &lookup : lookups)
        QCOMPARE(loaded.table.sjisFor(lookup.euc), lookup.sjis);
}

void TestESConv::reverseTable_data()
{
    addColumns<QByteArray, quint16, quint32>("fileText", "sjis", "euc");

    QTest::newRow("one record") << QByteArray("A4A2,82A0") << quint16(0x82A0) << quint32(0xA4A2);
    QTest::newRow("last code for one cp932 code wins")
        << QByteArray("A1C1,8160\n8FA2B7,8160") << quint16(0x8160) << quint32(0x8FA2B7);
    QTest::newRow("overwritten code keeps its reverse")
        << QByteArray("A4A2,82A0\nA4A2,82A2") << quint16(0x82A0) << quint32(0xA4A2);
    QTest::newRow("negative pattern as unsigned") << QByteArray("FCFE,FC4B") << quint16(0xFC4B) << quint32(0xFCFE);
    QTest::newRow("absent") << QByteArray("A4A2,82A0") << quint16(0x82A2) << quint32(0);
}

void TestESConv::reverseTable()
{
    QFETCH(QByteArray, fileText);
    QFETCH(quint16, sjis);
    QFETCH(quint32, euc);
    LoadedTable loaded(fileText, false);
    QCOMPARE(loaded.table.eucFor(sjis), euc);
}

void TestESConv::missingFileLeavesEmptyTables()
{
    QTemporaryDir dir;
    EucTable table;
    table.add(0xA4A2, 0x82A0);
    QVERIFY(!LoadEucTable(table, dir.path() + u"/E2S.param"_s));
    QCOMPARE(table.size(), 0);
    QCOMPARE(table.eucFor(0x82A0), 0u);
    QCOMPARE(EucToSjis(table, QByteArray("A")), QString());
    QCOMPARE(EncodeQuery(table, u"あA"_s), QString());
}

void TestESConv::reloadForgetsEarlierTable()
{
    LoadedTable first("A4A2,82A0\n8FD4E3,FA5C", false);
    QTemporaryDir dir;
    const QString path = dir.path() + u"/E2S.param"_s;
    QVERIFY(writeBytes(path, "A4A4,82A2\n"));
    QVERIFY(LoadEucTable(first.table, path));
    QCOMPARE(first.table.size(), 1);
    QCOMPARE(first.table.sjisFor(0xA4A2), quint16(0));
    QCOMPARE(first.table.sjisFor(0x8FD4E3), quint16(0));
    QCOMPARE(first.table.sjisFor(0xA4A4), quint16(0x82A2));
}

void TestESConv::encodeQuery_data()
{
    addColumns<QByteArray, QString, QString>("records", "text", "expected");
    QTest::addColumn<QString>("unusable"); // the character that refuses the search

    const QByteArray kana = "A4A2,82A0\nA4A4,82A2\n41,41\n65,65\n20,20";
    QTest::newRow("hiragana") << kana << u"あ"_s << u"%A4%A2"_s << QString();
    QTest::newRow("letters encoded too") << kana << u"A"_s << u"%41"_s << QString();
    QTest::newRow("space is not a plus") << kana << u" "_s << u"%20"_s << QString();
    QTest::newRow("missing middle character") << kana << u"あxい"_s << u"%A4%A2%A4%A4"_s << u"x"_s;
    QTest::newRow("empty text") << kana << QString() << QString() << QString();
    QTest::newRow("empty table") << QByteArray() << u"あA"_s << QString() << u"あ"_s;
    QTest::newRow("one digit") << QByteArray("9,41") << u"A"_s << u"%09"_s << QString();
    QTest::newRow("three digits") << QByteArray("8E1,41") << u"A"_s << u"%08%E1"_s << QString();
    QTest::newRow("five digits") << QByteArray("12345,41") << u"A"_s << u"%01%23%45"_s << QString();
    QTest::newRow("six digits") << QByteArray("8FD4E3,FA5C") << u"纊"_s << u"%8F%D4%E3"_s << QString();
    QTest::newRow("seven digits left out") << QByteArray("1000041,41\n42,42") << u"AB"_s << u"%42"_s << u"A"_s;
    QTest::newRow("half-width katakana") << QByteArray("8EB1,B1") << u"ｱ"_s << u"%8E%B1"_s << QString();
    QTest::newRow("what a cp932 user types for a tilde")
        << QByteArray("8FA2B7,8160\nA1C1,8160") << u"～"_s << u"%A1%C1"_s << QString();
    QTest::newRow("look-alikes from Linux input methods fold to cp932")
        << QByteArray("A1C1,8160\nA1DD,817C\nA1C2,8161\nA1BD,815C\nA1F1,8191\nA1F2,8192\nA2CC,81CA") << u"〜−‖—¢£¬"_s
        << u"%A1%C1%A1%DD%A1%C2%A1%BD%A1%F1%A1%F2%A2%CC"_s << QString();
    QTest::newRow("NEC and IBM duplicates by the cp932 code")
        << QByteArray("ADF0,81E0\nA2E2,81E0\n8FD4E3,FA5C") << u"≒纊"_s << u"%A2%E2%8F%D4%E3"_s << QString();
    QTest::newRow("outside cp932, no best fit") << kana << u"éあ丂"_s << u"%A4%A2"_s << u"é"_s;
    QTest::newRow("outside the BMP, one per character") << kana << u"A😀𠀋A"_s << u"%41%41"_s << u"😀"_s;
    QTest::newRow("lone surrogate") << kana << (u"A"_s + QChar(0xD800) + u"A"_s) << u"%41%41"_s
                                    << QString(QChar(0xD800));
    QTest::newRow("control code as cp932 has it")
        << QByteArray("7F,7F\n1A,1A") << u"\x7f\x1a"_s << u"%7F%1A"_s << QString();
}

// A NUL never goes out: a character without a code is named instead, and left out.
void TestESConv::encodeQuery()
{
    QFETCH(QByteArray, records);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(QString, unusable);
    LoadedTable loaded(records, false);
    QCOMPARE(EncodeQuery(loaded.table, text), expected);
    QCOMPARE(UnusableQueryCharacter(loaded.table, text), unusable);
}

QTEST_GUILESS_MAIN(TestESConv)
#include "test_ESConv.moc"
