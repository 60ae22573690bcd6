#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "fulltext/FullTextIndex.h"
#include "fulltext/TextFold.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

// What matches: folding, split words, several terms, one character; and the index
// against a brute-force scan of the same folded text.
class TestTextFold : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void folding_data();
    void folding();
    void matching_data();
    void matching();
    void marksTraceBackToSource();
    void indexAgreesWithScan();
};

void TestTextFold::folding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::newRow("half-width kana with voiced marks") << u"ｱﾑﾛｼﾞﾋﾟﾝ"_s << u"アムロジピン"_s;
    QTest::newRow("full-width digits and letters") << u"５ｍｇ ＣＹＰ３Ａ４"_s << u"5mg cyp3a4"_s;
    QTest::newRow("line break inside Japanese") << u"公開\nサービス"_s << u"公開サービス"_s;
    QTest::newRow("layout spaces inside Japanese") << u"間 質 性\u3000肺炎"_s << u"間質性肺炎"_s;
    QTest::newRow("between Japanese and Latin") << u"錠 5mg\n以下"_s << u"錠5mg以下"_s;
    QTest::newRow("Latin words keep one space") << u"Warfarin  \n Potassium"_s << u"warfarin potassium"_s;
    QTest::newRow("trimmed") << u"  \n 警告 \n"_s << u"警告"_s;
    QTest::newRow("invisible characters") << u"ワル\u00ADファ\u200Bリン"_s << u"ワルファリン"_s;
    QTest::newRow("circled digit") << u"①"_s << u"1"_s;
    QTest::newRow("surrogate pair") << u"𠮷野家"_s << u"𠮷野家"_s;
}

void TestTextFold::folding()
{
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QCOMPARE(FoldText(text), folded);
    QCOMPARE(FoldWithSource(text).source.size(), folded.size());
}

void TestTextFold::matching_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("terms");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("matches");
    QTest::newRow("one character") << u"薬"_s << QStringList{u"薬"_s} << u"薬剤と医薬品"_s << 2;
    QTest::newRow("half-width typed") << u"ｱﾑﾛｼﾞﾋﾟﾝ"_s << QStringList{u"アムロジピン"_s} << u"アムロ\nジピン錠"_s << 1;
    QTest::newRow("full-width text, half-width typed")
        << u"CYP3A4"_s << QStringList{u"cyp3a4"_s} << u"ＣＹＰ３Ａ４で代謝"_s << 1;
    QTest::newRow("kanji and digits") << u"12号"_s << QStringList{u"12号"_s} << u"第１２号"_s << 1;
    QTest::newRow("two terms, full-width space")
        << u"ワルファリン\u3000出血"_s << QStringList{u"ワルファリン"_s, u"出血"_s} << u"ワルファリンで出血"_s << 2;
    QTest::newRow("repeated terms once") << u"肺 肺"_s << QStringList{u"肺"_s} << u"肺"_s << 1;
    QTest::newRow("overlapping occurrences") << u"ああ"_s << QStringList{u"ああ"_s} << u"あああ"_s << 2;
    QTest::newRow("nothing typed") << u" \u3000 "_s << QStringList{} << u"何か"_s << 0;
}

void TestTextFold::matching()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, terms);
    QFETCH(QString, text);
    QFETCH(int, matches);
    QCOMPARE(SearchTerms(typed), terms);
    QCOMPARE(FindTerms(FoldText(text), terms).size(), matches);
}

void TestTextFold::marksTraceBackToSource()
{
    // Every folded unit points back at the character it came from, so a match can be
    // marked where the page shows it.
    const QString source = u"本剤は ｶﾞｽﾀｰ\n錠"_s;
    const FoldedText folded = FoldWithSource(source);
    QCOMPARE(folded.text, u"本剤はガスター錠"_s);
    const qsizetype at = folded.text.indexOf(u"ガ"_s);
    QCOMPARE(source.at(folded.source.at(at)), QChar(u'ｶ'));
    QCOMPARE(source.at(folded.source.at(folded.text.size() - 1)), QChar(u'錠'));
}

namespace {

// A document of random pages from pieces that fold in every way the index must
// handle: half-width kana, full-width Latin and digits, line breaks and layout
// spaces inside words.
QStringList randomPages(QRandomGenerator &random)
{
    static const QStringList pieces{u"ワルファリン"_s, u"ﾜﾙﾌｧﾘﾝ"_s,       u"間質性肺炎"_s,
                                    u"出血"_s,         u"ＣＹＰ３Ａ４"_s, u"CYP3A4"_s,
                                    u"12号"_s,         u"１２号"_s,       u"用法及び用量"_s,
                                    u"禁忌"_s,         u"警告"_s,         u"併用注意"_s,
                                    u"5mg"_s,          u"５ｍｇ"_s,       u"薬"_s,
                                    u"の"_s,           u"アムロジピン"_s, u"ｱﾑﾛｼﾞﾋﾟﾝ"_s,
                                    u"Potassium"_s,    u"錠"_s,           u"、"_s};
    QStringList pages;
    const int count = 1 + random.bounded(4);
    for (int p = 0; p < count; ++p) {
        QString page;
        const int words = random.bounded(40);
        for (int w = 0; w < words; ++w) {
            QString piece = pieces.at(random.bounded(pieces.size()));
            if (piece.size() > 2 && random.bounded(4) == 0) // split across lines
                piece.insert(1 + random.bounded(int(piece.size()) - 1), random.bounded(2) ? u"\n"_s : u" "_s);
            page += piece;
            if (random.bounded(5) == 0)
                page += random.bounded(2) ? u"\n"_s : u"  "_s;
        }
        pages.append(page);
    }
    return pages;
}

} // namespace

void TestTextFold::indexAgreesWithScan()
{
    QTemporaryDir dir;
    FullTextIndex index(dir.filePath(u"index.sqlite"_s));
    QVERIFY(index.openForUpdate());
    QRandomGenerator random(21);
    QHash<QString, QStringList> folded; // path: its folded pages
    QHash<QString, QString> names;
    for (int d = 0; d < 60; ++d) {
        const QString path
            = u"医薬品情報/［医療用］/%1 文書%2.pdf"_s.arg(d % 7 == 0 ? u"ワルファリン"_s : u"資料"_s).arg(d);
        QStringList pages = randomPages(random);
        if (d % 3 == 0)
            pages.last() += QChar(0xd800); // a broken character, as a damaged PDF may give
        QVERIFY(index.store(path, {d, d}, pages));
        for (const QString &page : pages)
            folded[path].append(FoldText(page));
        names.insert(path, IndexedName(path));
    }
    // Some stored again with other text, some removed: the old text is found no more.
    const QStringList stored = folded.keys();
    for (qsizetype i = 0; i < stored.size(); i += 5) {
        const QString &path = stored.at(i);
        folded.remove(path);
        if (i % 2 == 0) {
            QVERIFY(index.remove(path));
            names.remove(path);
            continue;
        }
        const QStringList pages = randomPages(random);
        QVERIFY(index.store(path, {i, i}, pages));
        for (const QString &page : pages)
            folded[path].append(FoldText(page));
        QCOMPARE(index.pageText(path, 1), folded.value(path).value(0));
    }
    const QStringList queries{u"薬"_s,         u"の"_s,     u"出血"_s,      u"ﾜﾙﾌｧﾘﾝ"_s,     u"ｱﾑﾛｼﾞﾋﾟﾝ"_s,
                              u"CYP3A4"_s,     u"cyp3a4"_s, u"12号"_s,      u"5mg"_s,        u"肺炎 出血"_s,
                              u"薬 禁忌"_s,    u"性肺"_s,   u"用量禁"_s,    u"文書1"_s,      u"ワルファリン 警告"_s,
                              u"間質性肺炎"_s, u"錠、"_s,   u"potassium"_s, u"存在しない"_s, u"mgワ"_s};
    for (const QString &query : queries) {
        const QStringList terms = SearchTerms(query);
        QStringList expected;
        QHash<QString, QList<int>> expectedPages;
        for (auto it = folded.cbegin(); it != folded.cend(); ++it) {
            bool all = true;
            for (const QString &term : terms) {
                bool found = names.value(it.key()).contains(term);
                for (int p = 0; p < it.value().size(); ++p) {
                    if (it.value().at(p).contains(term)) {
                        found = true;
                        if (!expectedPages[it.key()].contains(p + 1))
                            expectedPages[it.key()].append(p + 1);
                    }
                }
                all = all && found;
            }
            if (all)
                expected.append(it.key());
        }
        expected.sort();
        QStringList got;
        for (const FullTextIndex::Hit &hit : index.search(terms)) {
            got.append(hit.path);
            QList<int> pages = expectedPages.value(hit.path);
            std::sort(pages.begin(), pages.end());
            QCOMPARE(hit.pages, pages);
        }
        QCOMPARE(got, expected);
    }
}

QTEST_GUILESS_MAIN(TestTextFold)
#include "test_textfold.moc"
