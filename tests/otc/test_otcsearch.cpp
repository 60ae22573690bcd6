#include <QTest>

#include "otc/OtcSearch.h"
#include "conversion/ESConv.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

class TestOtcSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void query_data();
    void query();
    void counters_data();
    void counters();
    void scan_data();
    void scan();
    void documentLink_data();
    void documentLink();
    void documentPath_data();
    void documentPath();
    void memoLines_data();
    void memoLines();

private:
    EucTable m_tables;
};

Q_DECLARE_METATYPE(OtcQuery)
Q_DECLARE_METATYPE(PageMove)
Q_DECLARE_METATYPE(OtcMemoFields)

void TestOtcSearch::initTestCase()
{
    QVERIFY(LoadEucTable(m_tables, HIBARI_SOURCE_DIR "/data/E2S.param"_L1));
}

namespace {

const QString Base = u"http://svc.test"_s;
const QString Fixed = u"&btnSearch=%B8%A1%BA%F7%BC%C2%B9%D4"_s;

QString EmptyKeys(const QString &count)
{
    return Base
           + u"/osearch/PackinsSearch?txtSaleName=&cboDosageForm=&txtComName=&txtIngredient="
             "&txtIngredient_Ex=&txtAdditive=&txtAdditive_Ex=&cboEffect=&txtEffect="_s
           + Fixed + u"&cboDisCnt="_s + count;
}

} // namespace

void TestOtcSearch::query_data()
{
    addColumns<OtcQuery, int, bool, QString>("conditions", "start", "withCount", "url");

    QTest::newRow("nothing given: every key, empty values")
        << OtcQuery{} << 1 << false << EmptyKeys({}) + u"&start=1"_s;
    OtcQuery twenty;
    twenty.countValue = u"20"_s;
    QTest::newRow("count key only when asked") << twenty << 11 << true << EmptyKeys(u"20"_s) + u"&count=20&start=11"_s;

    OtcQuery all{u"あ"_s, u"A"_s, u"か"_s, u"き"_s, u"く"_s, u"け"_s, u"こ"_s, u"F003"_s, u"E0010"_s, u"50"_s};
    QTest::newRow("every field in its place")
        << all << 32767 << false
        << Base
               + u"/osearch/PackinsSearch?txtSaleName=%A4%A2&cboDosageForm=F003&txtComName=%41"
                 "&txtIngredient=%A4%AB&txtIngredient_Ex=%A4%AD&txtAdditive=%A4%AF&txtAdditive_Ex=%A4%B1"
                 "&cboEffect=E0010&txtEffect=%A4%B3"_s
               + Fixed + u"&cboDisCnt=50&start=32767"_s;

    // Typed text can never start a key of its own; list values go as stored.
    OtcQuery typed;
    typed.saleName = u"a&start=9 "_s;
    typed.effectCode = u"x,y"_s;
    QTest::newRow("ampersand and blank encoded")
        << typed << 1 << false
        << Base
               + u"/osearch/PackinsSearch?txtSaleName=%61%26%73%74%61%72%74%3D%39%20&cboDosageForm=&txtComName="
                 "&txtIngredient=&txtIngredient_Ex=&txtAdditive=&txtAdditive_Ex=&cboEffect=x,y&txtEffect="_s
               + Fixed + u"&cboDisCnt=&start=1"_s;
}

void TestOtcSearch::query()
{
    QCOMPARE(OtcSearchUrl(Base, m_tables, fetch<OtcQuery>("conditions"), qint16(fetch<int>("start")),
                          fetch<bool>("withCount")),
             fetch<QString>("url"));
}

void TestOtcSearch::counters_data()
{
    // A sequence of presses "S", "P", "N" with one page size; after each press the
    // requested start, whether "&count=" went, and NextStart.
    addColumns<QString, int, QList<int>, QList<bool>, QList<int>>("presses", "pageSize", "starts", "counts", "nexts");

    QTest::newRow("search") << u"S"_s << 10 << QList<int>{1} << QList<bool>{false} << QList<int>{11};
    QTest::newRow("previous on the first page")
        << u"SP"_s << 10 << QList<int>{1, 1} << QList<bool>{false, true} << QList<int>{11, 11};
    QTest::newRow("next then previous") << u"SNP"_s << 10 << QList<int>{1, 11, 1} << QList<bool>{false, false, true}
                                        << QList<int>{11, 21, 11};
    QTest::newRow("two nexts back one") << u"SNNP"_s << 20 << QList<int>{1, 21, 41, 21}
                                        << QList<bool>{false, false, false, true} << QList<int>{21, 41, 61, 41};
    QTest::newRow("page size 0 stands still")
        << u"SNP"_s << 0 << QList<int>{1, 1, 1} << QList<bool>{false, false, true} << QList<int>{1, 1, 1};
    QTest::newRow("no wrap past 32767") << u"SNN"_s << 30000 << QList<int>{1, 30001, 32767}
                                        << QList<bool>{false, false, false} << QList<int>{30001, 32767, 32767};
    QTest::newRow("next before any search asks for 1")
        << u"N"_s << 10 << QList<int>{1} << QList<bool>{false} << QList<int>{10};
}

void TestOtcSearch::counters()
{
    QFETCH(QString, presses);
    QFETCH(int, pageSize);
    QFETCH(QList<int>, starts);
    QFETCH(QList<bool>, counts);
    QFETCH(QList<int>, nexts);
    Paging paging;
    for (qsizetype i = 0; i < presses.size(); ++i) {
        const PageMove button = presses[i] == u'S'   ? PageMove::Search
                                : presses[i] == u'P' ? PageMove::Previous
                                                     : PageMove::Next;
        const OtcRequest request = MoveOtcCounters(paging, button, pageSize);
        QCOMPARE(request.start, starts[i]);
        QCOMPARE(paging.CurrentStart, starts[i]);
        QCOMPARE(request.withCount, counts[i]);
        QCOMPARE(paging.NextStart, nexts[i]);
    }
}

void TestOtcSearch::scan_data()
{
    addColumns<QString, QStringList, QStringList, bool, bool>("page", "anchors", "displays", "hasPrevious", "hasNext");

    const QString a1 = u"<a href=\"/downfiles/otc/PDF/1.pdf\">甲錠</a>"_s;
    const QString a2 = u"<a href=\"/downfiles/otc/PDF/2.pdf\"><b>乙</b>散</a>"_s;
    const QString maker1 = u"<font size=\"-1\">丙製薬</font>"_s;
    const QString maker2 = u"<font size=\"-1\"><i>丁</i></font>"_s;

    QTest::newRow("no marker, no paging") << u"<html>なし</html>"_s << QStringList() << QStringList() << false << false;
    QTest::newRow("no marker, whole page is the tail")
        << u"前へ 次へ"_s << QStringList() << QStringList() << true << true;
    QTest::newRow("bold name, maker tags kept")
        << a1 + maker1 + a2 + u"<br>"_s + maker2 + u"<p>前へ</p>"_s << QStringList{a1, a2}
        << QStringList{u"甲錠丙製薬"_s, u"乙散<i>丁</i>"_s} << true << false;
    QTest::newRow("maker may lie beyond later hits")
        << a1 + a2 + maker1 << QStringList{a1, a2} << QStringList{u"甲錠丙製薬"_s, u"乙散丙製薬"_s} << false << false;
    QTest::newRow("last hit without maker") << a1 + maker1 + a2 + u"次へ"_s << QStringList{a1, a2}
                                            << QStringList{u"甲錠丙製薬"_s, u"乙散"_s} << false << true;
    const QString decorated = u"<a href=\"/downfiles/otc/PDF/9.pdf\"><font size=\"-2\">改訂</font></a>"_s;
    QTest::newRow("anchor holding a font element is skipped")
        << a1 + maker1 + decorated + a2 + maker2 << QStringList{a1, a2}
        << QStringList{u"甲錠丙製薬"_s, u"乙散<i>丁</i>"_s} << false << false;
    QTest::newRow("paging text only before the first hit")
        << u"次へ 前へ"_s + a1 + maker1 << QStringList{a1} << QStringList{u"甲錠丙製薬"_s} << false << false;
    const QString capital = u"<A HREF=\"/DOWNFILES/OTC/pdf/3.pdf\">戊</A><FONT SIZE=\"-1\">己社</FONT>"_s;
    QTest::newRow("capital tags") << capital << QStringList{capital.left(capital.indexOf(u"<FONT"_s))}
                                  << QStringList{u"戊己社"_s} << false << false;
    QTest::newRow("marker without closing anchor ends the scan")
        << a1 + maker1 + u"次へ<a href=\"/downfiles/otc/PDF/4.pdf\">終わらない 前へ"_s << QStringList{a1}
        << QStringList{u"甲錠丙製薬"_s} << true << true;
    QTest::newRow("font element never closed")
        << a1 + u"<font size=\"-1\">丙製薬"_s << QStringList{a1} << QStringList{u"甲錠"_s} << false << false;
    QTest::newRow("font closed inside its 16 characters")
        << a1 + u"<font size=1></font>"_s << QStringList{a1} << QStringList{u"甲錠"_s} << false << false;
    QTest::newRow("other links are not hits")
        << u"<a href=\"/downfiles/ph/PDF/1.pdf\">医療用</a><a href='/downfiles/otc/PDF/1.pdf'>x</a>"_s << QStringList()
        << QStringList() << false << false;
}

void TestOtcSearch::scan()
{
    QFETCH(QString, page);
    QFETCH(QStringList, anchors);
    QFETCH(QStringList, displays);
    QFETCH(bool, hasPrevious);
    QFETCH(bool, hasNext);
    const OtcScan scan = ScanOtcResults(page);
    QStringList gotAnchors, gotDisplays;
    for (const OtcHit &hit : scan.hits) {
        gotAnchors.append(hit.anchor);
        gotDisplays.append(hit.display);
    }
    QCOMPARE(gotAnchors, anchors);
    QCOMPARE(gotDisplays, displays);
    QCOMPARE(scan.hasPrevious, hasPrevious);
    QCOMPARE(scan.hasNext, hasNext);
}

void TestOtcSearch::documentLink_data()
{
    addColumns<QString, QString>("anchor", "link");
    QTest::newRow("plain") << u"<a href=\"/downfiles/otc/PDF/o1.pdf\">名</a>"_s << u"/downfiles/otc/PDF/o1.pdf"_s;
    QTest::newRow("capitals") << u"<A HREF=\"/downfiles/otc/PDF/A B.pdf\" target=\"_b\">名</A>"_s
                              << u"/downfiles/otc/PDF/A B.pdf"_s;
    QTest::newRow("no closing quote") << u"<a href=\"/downfiles/otc/PDF/o2.pdf>名</a>"_s
                                      << u"/downfiles/otc/PDF/o2.pdf"_s;
    QTest::newRow("no anchor") << u"名"_s << QString();
}

void TestOtcSearch::documentLink()
{
    QCOMPARE(OtcDocumentLink(fetch<QString>("anchor")), fetch<QString>("link"));
}

void TestOtcSearch::documentPath_data()
{
    addColumns<QString, QString>("text", "path");
    const QString folder = u"/docs/医薬品情報/［一般用］/"_s;
    QTest::newRow("hit text") << u"甲錠丙製薬"_s << folder + u"甲錠丙製薬.pdf"_s;
    QTest::newRow("emptied") << QString() << folder + u".pdf"_s;
    QTest::newRow("separators stay inside the folder") << u"a/b:c*d?e\\f"_s << folder + u"a／b：c＊d？e￥f.pdf"_s;
    QTest::newRow("climbing out") << u"../../x"_s << folder + u"..／..／x.pdf"_s;
    // At most 255 bytes of UTF-8 with ".pdf", cut between characters; "…*" is the mark
    // at the cut, "…" and eight digits of the whole name (11 bytes).
    QTest::newRow("83 kanji fit") << QString(83, u'錠') << folder + QString(83, u'錠') + u".pdf"_s;
    QTest::newRow("95 kanji cut to 80 and marked") << QString(95, u'錠') << folder + QString(80, u'錠') + u"…*.pdf"_s;
    QTest::newRow("251 ASCII fit, 252 do not") << QString(252, u'a') << folder + QString(240, u'a') + u"…*.pdf"_s;
    QTest::newRow("never half a surrogate pair")
        << u"a"_s + u"𠀋"_s.repeated(63) << folder + u"a"_s + u"𠀋"_s.repeated(59) + u"…*.pdf"_s;
}

void TestOtcSearch::documentPath()
{
    const QString text = fetch<QString>("text");
    const QString path = OtcDocumentPath(u"/docs/"_s, text);
    QVERIFY2(matchesCut(path, fetch<QString>("path")), qPrintable(path));
    // Two products whose names differ only in what was cut away keep a file each.
    if (fetch<QString>("path").contains(u"…*"_s))
        QVERIFY(OtcDocumentPath(u"/docs/"_s, text.chopped(1) + u'x') != path);
}

void TestOtcSearch::memoLines_data()
{
    addColumns<OtcMemoFields, QStringList, QStringList>("fields", "hits", "lines");

    QTest::newRow("empty conditions") << OtcMemoFields{} << QStringList{u"甲"_s}
                                      << QStringList{u"販売名："_s,
                                                     u"メーカー名（製造販売会社、販売会社）："_s,
                                                     u"剤形："_s,
                                                     u"成分名：を含む"_s,
                                                     u"成分名：を除く"_s,
                                                     u"添加物名：を含む"_s,
                                                     u"添加物名：を除く"_s,
                                                     u"薬効分類："_s,
                                                     u"適応症、症状（効能・効果）："_s,
                                                     u" "_s,
                                                     u"甲"_s};
    QTest::newRow("every field") << OtcMemoFields{u"1"_s, u"2"_s, u"錠剤"_s,   u"4"_s, u"5"_s,
                                                  u"6"_s, u"7"_s, u"かぜ薬"_s, u"9"_s}
                                 << QStringList{u"甲"_s, u"乙"_s}
                                 << QStringList{u"販売名：1"_s,
                                                u"メーカー名（製造販売会社、販売会社）：2"_s,
                                                u"剤形：錠剤"_s,
                                                u"成分名：4を含む"_s,
                                                u"成分名：5を除く"_s,
                                                u"添加物名：6を含む"_s,
                                                u"添加物名：7を除く"_s,
                                                u"薬効分類：かぜ薬"_s,
                                                u"適応症、症状（効能・効果）：9"_s,
                                                u" "_s,
                                                u"甲"_s,
                                                u"乙"_s};
}

void TestOtcSearch::memoLines()
{
    QCOMPARE(OtcMemoLines(fetch<OtcMemoFields>("fields"), fetch<QStringList>("hits")), fetch<QStringList>("lines"));
}

QTEST_GUILESS_MAIN(TestOtcSearch)
#include "test_otcsearch.moc"
