#include <QTest>

#include "retrieval/Module1.h"
#include "retrieval/ServicePage.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

// What both search windows read from the service's pages in the same way.
class TestServicePage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void find_data();
    void find();
    void refusal_data();
    void refusal();
    void leadingNumber_data();
    void leadingNumber();
    void queryValue_data();
    void queryValue();
};

void TestServicePage::find_data()
{
    addColumns<QString, QString, int, int>("text", "what", "from", "found");
    QTest::newRow("upper case marker in lower case page") << u"ab<tr>c"_s << u"<TR>"_s << 0 << 2;
    QTest::newRow("letter first") << u"xx</A>TARGET"_s << u"target"_s << 0 << 6;
    QTest::newRow("at the start position") << u"<tr><tr>"_s << u"<TR>"_s << 4 << 4;
    QTest::newRow("only before the start") << u"<tr>xx"_s << u"<TR>"_s << 1 << -1;
    QTest::newRow("negative start reads from the front") << u"<tr>"_s << u"<TR>"_s << -3 << 0;
    QTest::newRow("start past the end") << u"<tr>"_s << u"<TR>"_s << 9 << -1;
    QTest::newRow("marker longer than the rest") << u"<t"_s << u"<TR>"_s << 0 << -1;
    QTest::newRow("Japanese marker") << u"前へ 次へ"_s << u"次へ"_s << 0 << 3;
    QTest::newRow("no folding beyond ASCII") << u"ＴＲ"_s << u"tr"_s << 0 << -1;
}

void TestServicePage::find()
{
    QCOMPARE(Find(fetch<QString>("text"), fetch<QString>("what"), fetch<int>("from")), qsizetype(fetch<int>("found")));
}

void TestServicePage::refusal_data()
{
    addColumns<QString, QString>("page", "message");
    const QString bad = u"入力された条件が正しくありません。"_s;
    const QString many = u"検索結果の上限は1000件です。"_s;
    QTest::newRow("conditions refused") << u"<P>"_s + bad + u"</P><TR>"_s << bad;
    QTest::newRow("more than 1000") << u"<P>"_s + many + u"</P>"_s
                                    << many + u"\r\n条件を追加して絞込みを行なってください。"_s;
    QTest::newRow("the refusal wins over the limit") << many + bad << bad;
    QTest::newRow("ordinary page") << u"<TR><TD>x</TD></TR><a href=\"/downfiles/otc/PDF/1.pdf\">x</a>"_s << QString();
}

void TestServicePage::refusal()
{
    QCOMPARE(ServiceRefusal(fetch<QString>("page")).value_or(QString()), fetch<QString>("message"));
}

void TestServicePage::leadingNumber_data()
{
    addColumns<QString, int>("text", "number");
    QTest::newRow("digits") << u"20"_s << 20;
    QTest::newRow("blanks then digits then text") << u"  50件"_s << 50;
    QTest::newRow("digits cut at other text") << u"12x3"_s << 12;
    QTest::newRow("no digits") << u"全て"_s << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("signed") << u"-5"_s << -5;
    QTest::newRow("too large stays at the edge") << u"99999999999"_s << 2147483647;
}

void TestServicePage::leadingNumber()
{
    QCOMPARE(LeadingNumber(fetch<QString>("text")), fetch<int>("number"));
}

void TestServicePage::queryValue_data()
{
    addColumns<QString, QString>("value", "sent");
    QTest::newRow("shipped code unchanged") << u"114"_s << u"114"_s;
    QTest::newRow("comma and escapes unchanged") << u"a,b%41"_s << u"a,b%41"_s;
    QTest::newRow("ampersand cannot start a key") << u"1&x=2"_s << u"1%26x=2"_s;
    QTest::newRow("hash and blank") << u"1# 2"_s << u"1%23%202"_s;
    QTest::newRow("percent-encoded code sent as it stands") << u"%B8%A1"_s << u"%B8%A1"_s;
    QTest::newRow("line break") << u"1\r\n"_s << u"1%0D%0A"_s;
}

void TestServicePage::queryValue()
{
    QCOMPARE(QueryValue(fetch<QString>("value")), fetch<QString>("sent"));
}

QTEST_GUILESS_MAIN(TestServicePage)
#include "test_servicepage.moc"
