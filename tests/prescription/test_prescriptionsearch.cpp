#include <QStringEncoder>
#include <QTest>

#include "prescription/PrescriptionSearch.h"
#include "conversion/ESConv.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(PrescriptionQuery)

class TestPrescriptionSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void searchUrl_data();
    void searchUrl();
    void paging_data();
    void paging();
    void readPage_data();
    void readPage();
    void hitCount_data();
    void hitCount();
    void description_data();
    void description();
    void copyAndMemoLines();

private:
    EucTable m_table;
};

namespace {

PrescriptionQuery defaultForm()
{
    PrescriptionQuery form;
    form.effectCodes = {QString(), u"114"_s, u"214"_s};
    form.itemCodes = {u"all"_s, u"warning"_s, u"dosage"_s};
    form.countValues = {u"20"_s, u"50"_s};
    return form;
}

const QString Base = u"http://service.test/sorano/PackinsSearch"_s;

} // namespace

void TestPrescriptionSearch::initTestCase()
{
    // The few characters the tests encode, mapped as the service's table maps them.
    QStringEncoder sjis("cp932"), euc("EUC-JP");
    for (const QChar c : u"ハイバリン錠"_s) {
        const QByteArray s = sjis.encode(QString(c)), e = euc.encode(QString(c));
        m_table.add(quint8(e[0]) << 8 | quint8(e[1]), quint16(quint8(s[0]) << 8 | quint8(s[1])));
    }
    for (char c = 0x20; c < 0x7F; ++c)
        m_table.add(quint8(c), quint8(c));
}

void TestPrescriptionSearch::searchUrl_data()
{
    addColumns<PrescriptionQuery, QString, QString>("form", "start", "expected");

    const PrescriptionQuery plain = defaultForm();
    QTest::newRow("empty form, first lines")
        << plain << u"1"_s
        << Base
               + u"?dragname=&effect=&item1=all&keyword1=&type1=and&item2=&keyword2=&type2=and&item3="
                 "&keyword3=&type3=and&count=20&start=1"_s;

    PrescriptionQuery items = plain;
    items.effectLine = 2;
    items.item1Line = 1;
    items.item2Line = 2; // line 0 of Combo3 is blank: line 2 is ItemCodes(1)
    items.item3Line = 3;
    items.countLine = 1;
    QTest::newRow("choice lines map to their codes")
        << items << u"51"_s
        << Base
               + u"?dragname=&effect=214&item1=warning&keyword1=&type1=and&item2=warning&keyword2=&type2=and"
                 "&item3=dosage&keyword3=&type3=and&count=50&start=51"_s;

    PrescriptionQuery keyword = plain;
    keyword.keyword2 = u"AB c"_s;
    keyword.rule2Line = 1;
    keyword.rule3Line = 2;
    QTest::newRow("keyword with the blank item, not and or")
        << keyword << u"1"_s
        << Base
               + u"?dragname=&effect=&item1=all&keyword1=&type1=and&item2=&keyword2=%41%42%20%63&type2=not"
                 "&item3=&keyword3=&type3=or&count=20&start=1"_s;

    PrescriptionQuery interaction = plain;
    interaction.interaction = true;
    QTest::newRow("interaction alone")
        << interaction << u"1"_s
        << Base
               + u"?dragname=&effect=&item1=all&keyword1=&type1=and&item2=&keyword2=&type2=and&item3="
                 "&keyword3=&type3=and&is_interaction=1&count=20&start=1"_s;

    PrescriptionQuery filters = plain;
    filters.warn = filters.contraindication = filters.interaction = filters.cautious = true;
    QTest::newRow("all four filters in order")
        << filters << u"1"_s
        << Base
               + u"?dragname=&effect=&item1=all&keyword1=&type1=and&item2=&keyword2=&type2=and&item3="
                 "&keyword3=&type3=and&is_warn=1&is_contraindication=1&is_interaction=1&is_cautious=1"
                 "&count=20&start=1"_s;

    PrescriptionQuery japanese = plain;
    japanese.name = u"ハイバリン"_s;
    japanese.keyword1 = u"錠"_s;
    QTest::newRow("japanese as euc-jp")
        << japanese << u"1"_s
        << Base
               + u"?dragname=%A5%CF%A5%A4%A5%D0%A5%EA%A5%F3&effect=&item1=all&keyword1=%BE%FB&type1=and"
                 "&item2=&keyword2=&type2=and&item3=&keyword3=&type3=and&count=20&start=1"_s;

    PrescriptionQuery noTables;
    QTest::newRow("empty tables send empty values")
        << noTables << u"1"_s
        << Base
               + u"?dragname=&effect=&item1=&keyword1=&type1=and&item2=&keyword2=&type2=and&item3="
                 "&keyword3=&type3=and&count=&start=1"_s;

    PrescriptionQuery noRule = plain;
    noRule.rule1Line = -1;
    QTest::newRow("rule without a line is left out")
        << noRule << u"1"_s
        << Base
               + u"?dragname=&effect=&item1=all&keyword1=&item2=&keyword2=&type2=and&item3="
                 "&keyword3=&type3=and&count=20&start=1"_s;
}

void TestPrescriptionSearch::searchUrl()
{
    QFETCH(PrescriptionQuery, form);
    QFETCH(QString, start);
    QFETCH(QString, expected);
    QCOMPARE(PrescriptionSearchUrl(u"http://service.test"_s, form, EncodeTerms(m_table, form), qint16(start.toInt())),
             expected);
}

void TestPrescriptionSearch::paging_data()
{
    // Commands: S (検索), N (次), P (前) with the page size; each expectation is the
    // start sent, "/", the following NextStart.
    addColumns<QString, QString, QString>("startPosition", "commands", "expected");

    QTest::newRow("forward and back by 20")
        << QString() << u"S20 N20 N20 P20 P20"_s << u"1/21 21/41 41/61 21/41 1/21"_s;
    QTest::newRow("back on the first page stays at 1") << QString() << u"S20 P20 P20"_s << u"1/21 1/21 1/21"_s;
    QTest::newRow("size changed between commands") << u"11"_s << u"P20"_s << u"1/21"_s;
    QTest::newRow("new search restarts") << QString() << u"S50 N50 N50 S20"_s << u"1/51 51/101 101/151 1/21"_s;
    QTest::newRow("size without digits repeats the start") << QString() << u"S0 N0 N0 P0"_s << u"1/1 1/1 1/1 1/1"_s;
    QTest::newRow("next near the 16-bit edge stays positive")
        << u"32760"_s << u"N20 N20"_s << u"32760/32767 32767/32767"_s;
}

void TestPrescriptionSearch::paging()
{
    QFETCH(QString, startPosition);
    QFETCH(QString, commands);
    QFETCH(QString, expected);

    Paging paging;
    if (!startPosition.isEmpty()) {
        paging.CurrentStart = qint16(startPosition.toInt());
        paging.NextStart = paging.CurrentStart;
    }
    QStringList seen;
    for (const QString &command : commands.split(u' ')) {
        const int size = command.mid(1).toInt();
        const PageMove move = command[0] == u'S'   ? PageMove::Search
                              : command[0] == u'N' ? PageMove::Next
                                                   : PageMove::Previous;
        paging = MovePaging(paging, move, size);
        seen.append(QString::number(paging.CurrentStart) + u'/' + QString::number(paging.NextStart));
    }
    QCOMPARE(seen.join(u' '), expected);
}

void TestPrescriptionSearch::readPage_data()
{
    addColumns<QString, QStringList, QStringList, bool, bool>("page", "names", "rows", "next", "previous");

    const QString hitA = u"<TR><TD><A href=\"/sorano/hit/1/\" target=\"_new\">甲錠</A></TD></TR>\r\n"
                         "<TR><TD><DL><DD>説明A\r\n</DL></TD></TR>"_s;
    const QString hitB = u"<TR><TD><A href=\"/sorano/hit/2/\" target=\"_new\">乙散</A></TD></TR>\r\n"
                         "<TR><TD><DL><DD>説明B\r\n</DL></TD></TR>"_s;
    QTest::newRow("two hits, next after the last")
        << u"<P>見出し</P><TABLE>"_s + hitA + u"\r\n"_s + hitB + u"</TABLE><A href=\"x\">次へ</A>"_s
        << QStringList{u"甲錠"_s, u"乙散"_s} << QStringList{hitA, hitB} << true << false;

    const QString lower = u"<tr><td><a href=\"/sorano/hit/3/\" target=\"_new\">丙</a></td></tr><tr><dd>c\r\n</tr>"_s;
    QTest::newRow("lower-case markers") << lower + u"前へ"_s << QStringList{u"丙"_s} << QStringList{lower} << false
                                        << true;

    QTest::newRow("previous only before the first row")
        << u"<A>前へ</A>"_s + hitA << QStringList{u"甲錠"_s} << QStringList{hitA} << false << false;

    QTest::newRow("no row: links from the whole page")
        << u"<P>該当なし</P>前へ 次へ"_s << QStringList() << QStringList() << true << true;

    const QString noMarker = u"<TR><TD>見出し</TD></TR><TR><TD>列</TD></TR>"_s;
    QTest::newRow("block without the link marker keeps its place")
        << noMarker + hitB << QStringList{QString(), u"乙散"_s} << QStringList{noMarker, hitB} << false << false;

    const QString endFirst = u"<TR><TD></A><A target=\"_new\">名前</TD></TR><TR></TR>"_s;
    QTest::newRow("end of link before the marker")
        << endFirst << QStringList{QString()} << QStringList{endFirst} << false << false;

    const QString noEnd = u"<TR><TD><A target=\"_new\">名前</TD></TR><TR></TR>"_s;
    QTest::newRow("marker without end of link")
        << noEnd << QStringList{QString()} << QStringList{noEnd} << false << false;

    const QString unfinished = u"<TR><TD><A target=\"_new\">名前</A></TD></TR> 次へ"_s;
    QTest::newRow("unfinished last block ends the scan")
        << hitA + unfinished << QStringList{u"甲錠"_s} << QStringList{hitA} << true << false;

    QTest::newRow("row start without any row end: no hit")
        << u"<TR><TR><TR>"_s << QStringList() << QStringList() << false << false;
    QTest::newRow("a notice in a row never closed is no hit")
        << u"<TABLE><TR><TD>メンテナンスのお知らせ 前へ</TD></TR>"_s << QStringList() << QStringList() << false << true;
}

void TestPrescriptionSearch::readPage()
{
    QFETCH(QString, page);
    QFETCH(QStringList, names);
    QFETCH(QStringList, rows);
    QFETCH(bool, next);
    QFETCH(bool, previous);
    QStringList seenNames, seenRows; // as the window sees them, one by one
    const PrescriptionScan scan = ScanPrescriptionResults(page, [&](const PrescriptionHit &hit) {
        seenNames.append(hit.name);
        seenRows.append(hit.row);
    });
    QCOMPARE(seenNames, names);
    QCOMPARE(seenRows, rows);
    QCOMPARE(scan.hits.size(), names.size());
    for (qsizetype i = 0; i < scan.hits.size(); ++i)
        QCOMPARE(scan.hits[i].row, rows[i]);
    QCOMPARE(scan.hasNext, next);
    QCOMPARE(scan.hasPrevious, previous);
}

void TestPrescriptionSearch::hitCount_data()
{
    addColumns<int, QString>("count", "text");
    QTest::newRow("none") << 0 << u"0件"_s;
    QTest::newRow("two") << 2 << u" 2件"_s;
    QTest::newRow("thousand") << 1000 << u" 1000件"_s;
}

void TestPrescriptionSearch::hitCount()
{
    QCOMPARE(HitCountText(fetch<int>("count")), fetch<QString>("text"));
}

void TestPrescriptionSearch::description_data()
{
    addColumns<QString, QString>("row", "text");
    QTest::newRow("up to the line end") << u"<TR><DD>ABC\r\n</TR>"_s << u"ABC"_s;
    QTest::newRow("lower-case marker, first of two") << u"<dd>一\r\n<DD>二\r\n"_s << u"一"_s;
    QTest::newRow("empty description") << u"<DD>\r\n"_s << QString();
    QTest::newRow("no marker") << u"<TR>ABC\r\n</TR>"_s << QString();
    QTest::newRow("no carriage return after it") << u"\r<DD>ABC\n</TR>"_s << QString();
}

void TestPrescriptionSearch::description()
{
    QCOMPARE(HitDescription(fetch<QString>("row")), fetch<QString>("text"));
}

void TestPrescriptionSearch::copyAndMemoLines()
{
    const QStringList names = {u"甲"_s, u"乙"_s, u"丙"_s};
    const QStringList rows = {u"<DD>X\r\n"_s, u"<dd>Y\r\n"_s, u"<TR>no description</TR>"_s};
    QCOMPARE(HitCopyLines(names, rows), (QStringList{u"甲\tX"_s, u"乙\tY"_s, u"丙\t"_s}));

    PrescriptionMemoFields c;
    c.nameCaption = u"一般名・販売名"_s;
    c.name = u"ハイバリン"_s;
    c.effectCaption = u"薬効分類"_s;
    c.effect = u"指定なし"_s;
    c.item1Caption = u"項目内検索1"_s;
    c.item1 = u"全文"_s;
    c.keyword1 = u"頭痛"_s;
    c.rule1 = u"全てを含む"_s;
    c.item2Caption = u"項目内検索2"_s;
    c.rule2 = u"いずれも含まない"_s;
    c.item3Caption = u"項目内検索3"_s;
    c.rule3 = u"いずれかを含む"_s;
    c.filterCaption = u"検索条件"_s;
    c.tickedFilters = {u"禁忌／原則禁忌"_s};
    const QStringList expected = {
        u"一般名・販売名：ハイバリン"_s,
        u"薬効分類：指定なし"_s,
        u"項目内検索1：全文"_s,
        u"\t頭痛全てを含む"_s,
        u"項目内検索2："_s,
        u"\tいずれも含まない"_s,
        u"項目内検索3："_s,
        u"\tいずれかを含む"_s,
        u"検索条件"_s,
        u"\t禁忌／原則禁忌"_s,
        u"\t"_s,
        u"甲\tX"_s,
        u"乙\tY"_s,
        u"丙\t"_s,
    };
    QCOMPARE(PrescriptionMemoLines(c, names, rows), expected);
}

QTEST_GUILESS_MAIN(TestPrescriptionSearch)
#include "test_prescriptionsearch.moc"
