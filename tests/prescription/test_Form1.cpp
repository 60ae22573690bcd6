#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTcpServer>
#include <QTest>

#include "PracticeServer.h"
#include "prescription/Form1.h"
#include "support/ProgramFixture.h"
#include "support/UserActions.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

class TestForm1 : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void tabOrder();
    void openingState();
    void parameterFiles_data();
    void parameterFiles();
    void searchByName_data();
    void searchByName();
    void conditionsReachTheService();
    void pagingThroughResults();
    void pageRefusals_data();
    void pageRefusals();
    void failedRequestKeepsPage_data();
    void failedRequestKeepsPage();
    void keyboard();
    void selectingHitShowsDescription_data();
    void selectingHitShowsDescription();
    void focusAloneChoosesNoHit();
    void copyAndMemo();
    void memoOfEmptyList();
    void closingBringsMenuBack_data();
    void closingBringsMenuBack();
};

namespace {

using Fixture = ProgramFixture;

// Keys compared as the service reads them: %31 and "1" are the same character.
QString decoded(const QString &value)
{
    return QString::fromLatin1(QByteArray::fromPercentEncoding(value.toLatin1()).toPercentEncoding());
}

QString param(const QString &query, const QString &key)
{
    for (const QString &part : query.split(u'&')) {
        if (part.startsWith(key + u'='))
            return part.mid(key.size() + 1);
    }
    return u"(absent)"_s;
}

QString names(int from, int to)
{
    QStringList list;
    for (int id = from; id <= to; ++id)
        list.append(u"ヒバリ薬%1錠"_s.arg(id));
    return list.join(u'|');
}

} // namespace

void TestForm1::layout_data()
{
    layoutRows({
        {u"Label11", u"一般名・販売名", {60, 180, 1935, 300}},
        {u"Text1", u"", {2040, 120, 6075, 375}},
        {u"Label5", u"薬効分類", {60, 660, 1935, 300}},
        {u"Combo1", u"", {2040, 600, 6315, 360}},
        {u"Label6", u"項目内検索1", {60, 1260, 1935, 300}},
        {u"Combo2", u"", {2040, 1200, 6315, 360}},
        {u"Text2", u"", {2040, 1620, 4215, 360}},
        {u"Combo5", u"", {6300, 1620, 2055, 360}},
        {u"Label4", u"項目内検索2", {60, 2100, 1935, 300}},
        {u"Combo3", u"", {2040, 2040, 6315, 360}},
        {u"Text3", u"", {2040, 2460, 4215, 360}},
        {u"Combo6", u"", {6300, 2460, 2055, 360}},
        {u"Label7", u"項目内検索3", {60, 2940, 1935, 300}},
        {u"Combo4", u"", {2040, 2880, 6315, 360}},
        {u"Text4", u"", {2040, 3300, 4215, 360}},
        {u"Combo7", u"", {6300, 3300, 2055, 360}},
        {u"Label12", u"検索条件", {60, 3840, 1935, 300}},
        {u"Check1", u"警告", {2040, 3720, 1800, 300}},
        {u"Check2", u"禁忌／原則禁忌", {2040, 4020, 1800, 300}},
        {u"Check3", u"相互作用", {3900, 3720, 1320, 300}},
        {u"Check4", u"慎重投与", {3900, 4020, 1320, 300}},
        {u"Label2", u"検索件数", {60, 4440, 1935, 300}},
        {u"Combo8", u"", {2040, 4380, 1695, 360}},
        {u"Command3", u"前", {5640, 4200, 585, 480}},
        {u"Command1", u"検索", {6240, 4200, 1395, 480}},
        {u"Command4", u"次", {7680, 4200, 585, 480}},
        {u"Label9", u"選択中の文書", {120, 4980, 1815, 315}},
        {u"Label1", u"検索結果", {4500, 4980, 1275, 285}},
        {u"TestLabel3", u"1", {5940, 5040, 495, 195}},
        {u"Label10", u"件目から", {6480, 5040, 735, 195}},
        {u"Label8", u"0件", {7320, 4980, 975, 300}},
        {u"Text5", u"", {60, 5280, 8295, 375}},
        {u"Text6", u"", {60, 5640, 8295, 375}},
        {u"Command2", u"文書表示", {180, 6120, 1605, 495}},
        {u"Command8", u"メ　モ", {1860, 6120, 1550, 495}},
        {u"Command7", u"コ ピ ー", {3480, 6120, 1550, 495}},
        {u"Command6", u"改訂指示履歴", {5100, 6120, 1550, 495}},
        {u"Command5", u"閉じる", {6720, 6120, 1550, 495}},
        {u"List1", u"", {60, 6720, 8295, 3660}},
        {u"List2", u"", {8640, 5340, 3675, 3300}},
        {u"dragname", u"", {8700, 180, 3600, 255}},
        {u"keyword1", u"", {8700, 600, 3600, 255}},
        {u"keyword2", u"", {8700, 1020, 3600, 255}},
        {u"keyword3", u"", {8700, 1440, 3600, 255}},
        {u"TestLabel2", u"Label10", {8820, 2580, 735, 315}},
        {u"TestLabel", u"Label10", {8820, 3000, 735, 315}},
        {u"Line1", u"", {120, 4860, 8220, 15}},
    });
}

void TestForm1::layout()
{
    Fixture f;
    Form1 window(f.context);
    checkLayout(window, u"医療用医薬品情報"_s, {8430, 10440});
    // What lies beyond the client area is never seen.
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QCOMPARE(child(window, name)->isVisibleTo(&window), twips.x() < 8430);
}

void TestForm1::tabOrder()
{
    Fixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    const QStringList order
        = {u"Text1"_s,    u"Combo1"_s,   u"Combo2"_s,   u"Text2"_s,    u"Combo5"_s,   u"Combo3"_s, u"Text3"_s,
           u"Combo6"_s,   u"Combo4"_s,   u"Text4"_s,    u"Combo7"_s,   u"Check1"_s,   u"Check3"_s, u"Check2"_s,
           u"Check4"_s,   u"Combo8"_s,   u"Command3"_s, u"Command1"_s, u"Command4"_s, u"Text5"_s,  u"Text6"_s,
           u"Command2"_s, u"Command8"_s, u"Command7"_s, u"Command6"_s, u"Command5"_s, u"List1"_s};
    QStringList seen;
    QWidget *widget = child<QWidget>(window, order.first());
    for (qsizetype i = 0; i < order.size(); ++i) {
        seen.append(widget->objectName());
        do
            widget = widget->nextInFocusChain();
        while (widget != &window
               && !(widget->focusPolicy() & Qt::TabFocus && widget->isVisibleTo(&window)
                    && !widget->objectName().startsWith(u"qt_"_s)));
        if (widget == &window)
            break;
    }
    // The screen's order, row by row; the paging buttons start disabled, yet keep
    // their place in it.
    QCOMPARE(seen, order);
}

void TestForm1::openingState()
{
    Fixture f;
    Form1 window(f.context);
    QCOMPARE(window.y(), 0);
    QCOMPARE(child<QComboBox>(window, u"Combo1"_s)->currentText(), u"指定なし"_s);
    QCOMPARE(child<QComboBox>(window, u"Combo1"_s)->itemText(4), u"114 解熱鎮痛消炎剤"_s);
    QCOMPARE(child<QComboBox>(window, u"Combo2"_s)->currentText(), u"全文"_s);
    for (const QString &name : {u"Combo3"_s, u"Combo4"_s}) {
        QCOMPARE(child<QComboBox>(window, name)->currentIndex(), 0);
        QCOMPARE(child<QComboBox>(window, name)->currentText(), QString());
        QCOMPARE(texts(child<QComboBox>(window, name)).mid(1), texts(child<QComboBox>(window, u"Combo2"_s)));
    }
    for (const QString &name : {u"Combo5"_s, u"Combo6"_s, u"Combo7"_s})
        QCOMPARE(texts(child<QComboBox>(window, name)),
                 (QStringList{u"全てを含む"_s, u"いずれも含まない"_s, u"いずれかを含む"_s}));
    QCOMPARE(texts(child<QComboBox>(window, u"Combo8"_s)).first(), u"20件"_s);
    for (const QString &name : {u"Combo1"_s, u"Combo2"_s, u"Combo5"_s, u"Combo8"_s})
        QVERIFY(!child<QComboBox>(window, name)->isEditable());
    for (const QString &name : {u"Check1"_s, u"Check2"_s, u"Check3"_s, u"Check4"_s})
        QVERIFY(!child<QCheckBox>(window, name)->isChecked());
    QVERIFY(!child<QPushButton>(window, u"Command3"_s)->isEnabled());
    QVERIFY(!child<QPushButton>(window, u"Command4"_s)->isEnabled());
    QCOMPARE(child<QLabel>(window, u"Label8"_s)->text(), u"0件"_s);
    QCOMPARE(child<QLabel>(window, u"TestLabel3"_s)->text(), u"1"_s);
    QVERIFY(texts(child<QListWidget>(window, u"List1"_s)).isEmpty());
}

void TestForm1::parameterFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content"); // empty: the file is removed
    addColumns<QString, QStringList, QString, QString>("combo", "lines", "key", "sent");

    QTest::newRow("missing effect list") << u"effect.param"_s << QByteArray() << u"Combo1"_s << QStringList()
                                         << u"effect"_s << QString();
    QTest::newRow("missing page sizes") << u"count.param"_s << QByteArray() << u"Combo8"_s << QStringList()
                                        << u"count"_s << QString();
    QTest::newRow("quoted text with a comma")
        << u"count.param"_s << sjisBytes(u"30,\"30件,標準\"\r\n 60 ,60件\r\n"_s) << u"Combo8"_s
        << QStringList{u"30件,標準"_s, u"60件"_s} << u"count"_s << u"30"_s;
    QByteArray many;
    for (int i = 1; i <= 15; ++i)
        many += QByteArray::number(i) + ',' + QByteArray::number(i) + "\r\n";
    QStringList eleven;
    for (int i = 1; i <= 11; ++i)
        eleven.append(QString::number(i));
    QTest::newRow("records beyond the table ignored")
        << u"count.param"_s << many << u"Combo8"_s << eleven << u"count"_s << u"1"_s;
}

void TestForm1::parameterFiles()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, combo);
    QFETCH(QStringList, lines);
    QFETCH(QString, key);
    QFETCH(QString, sent);
    Fixture f;
    QFile::remove(f.appFile(file));
    if (!content.isEmpty())
        QVERIFY(writeBytes(f.appFile(file), content));
    Form1 window(f.context);
    QCOMPARE(texts(child<QComboBox>(window, combo)), lines);
    window.Command1_Click();
    QCOMPARE(param(f.lastQuery(), key), sent);
}

void TestForm1::searchByName_data()
{
    addColumns<QString, QString, QStringList>("typed", "dragname", "hits");
    QTest::newRow("ascii") << u"10mg"_s << u"%31%30%6D%67"_s << QStringList{u"ハイバリン錠10mg"_s};
    QTest::newRow("japanese") << u"ハイバリン"_s << u"%A5%CF%A5%A4%A5%D0%A5%EA%A5%F3"_s
                              << QStringList{u"ハイバリン錠10mg"_s, u"ハイバリン錠20mg"_s};
}

void TestForm1::searchByName()
{
    QFETCH(QString, typed);
    QFETCH(QString, dragname);
    QFETCH(QStringList, hits);
    Fixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    typeText(child<QLineEdit>(window, u"Text1"_s), typed);
    click(window, u"Command1"_s);
    QTRY_COMPARE(texts(child<QListWidget>(window, u"List1"_s)), hits);
    QCOMPARE(texts(child<QListWidget>(window, u"List2"_s)).size(), hits.size());
    QVERIFY(texts(child<QListWidget>(window, u"List2"_s)).first().startsWith(u"<TR><TD><A href=\"/sorano/hit/"_s));
    QCOMPARE(child<QLabel>(window, u"Label8"_s)->text(), u" "_s + QString::number(hits.size()) + u"件"_s);
    QCOMPARE(decoded(param(f.lastQuery(), u"dragname"_s)), decoded(dragname));
    QCOMPARE(child<QLabel>(window, u"dragname"_s)->text(), dragname);
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm1::conditionsReachTheService()
{
    Fixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    auto *combo2 = child<QComboBox>(window, u"Combo2"_s);
    combo2->setFocus();
    QTest::keyClick(combo2, Qt::Key_Down);                     // 警告
    child<QComboBox>(window, u"Combo1"_s)->setCurrentIndex(4); // 114
    child<QComboBox>(window, u"Combo3"_s)->setCurrentIndex(2); // 警告 after the blank line
    child<QComboBox>(window, u"Combo6"_s)->setCurrentIndex(1);
    child<QComboBox>(window, u"Combo8"_s)->setCurrentIndex(1);
    typeText(child<QLineEdit>(window, u"Text2"_s), u"頭痛"_s);
    typeText(child<QLineEdit>(window, u"Text3"_s), u"a"_s);
    tick(window, u"Check3"_s);
    tick(window, u"Check1"_s);
    click(window, u"Command1"_s);
    QTRY_COMPARE(f.server.Requests().size(), 1);
    QCOMPARE(f.server.Requests().first().path, QByteArray("/sorano/PackinsSearch"));
    QCOMPARE(decoded(f.lastQuery()),
             decoded(u"dragname=&effect=114&item1=warning&keyword1=%C6%AC%C4%CB&type1=and&item2=warning"
                     "&keyword2=%61&type2=not&item3=&keyword3=&type3=and&is_warn=1&is_interaction=1"
                     "&count=50&start=1"_s));
    QCOMPARE(child<QLabel>(window, u"keyword1"_s)->text(), u"%C6%AC%C4%CB"_s);
}

void TestForm1::pagingThroughResults()
{
    Fixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    auto *previous = child<QPushButton>(window, u"Command3"_s);
    auto *next = child<QPushButton>(window, u"Command4"_s);

    // The practice catalogue holds 55 drugs; pages after the first come in lower case.
    const struct {
        const char16_t *button;
        const char16_t *start;
        int firstId, lastId;
        bool previousOn, nextOn;
        const char16_t *nextStart;
    } steps[] = {
        {u"Command1", u"1", 1, 20, false, true, u"21"},   {u"Command4", u"21", 21, 40, true, true, u"41"},
        {u"Command4", u"41", 41, 55, true, false, u"61"}, {u"Command3", u"21", 21, 40, true, true, u"41"},
        {u"Command3", u"1", 1, 20, false, true, u"21"},
    };
    for (const auto &step : steps) {
        const QString start = QString::fromUtf16(step.start);
        click(window, QString::fromUtf16(step.button));
        QTRY_COMPARE(param(f.lastQuery(), u"start"_s), start);
        QCOMPARE(param(f.lastQuery(), u"count"_s), u"20"_s);
        QCOMPARE(child<QLabel>(window, u"TestLabel3"_s)->text(), start);
        QCOMPARE(child<QLabel>(window, u"TestLabel2"_s)->text(), start);
        QCOMPARE(child<QLabel>(window, u"TestLabel"_s)->text(), QString::fromUtf16(step.nextStart));
        const QStringList hits = texts(child<QListWidget>(window, u"List1"_s));
        QCOMPARE(hits.size(), step.lastId - step.firstId + 1);
        if (step.firstId > 10) {
            QCOMPARE(hits.first(), names(step.firstId, step.firstId));
            QCOMPARE(hits.last(), names(step.lastId, step.lastId));
        }
        QCOMPARE(child<QLabel>(window, u"Label8"_s)->text(), u" "_s + QString::number(hits.size()) + u"件"_s);
        QCOMPARE(previous->isEnabled(), step.previousOn);
        QCOMPARE(next->isEnabled(), step.nextOn);
    }
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm1::pageRefusals_data()
{
    addColumns<QString, QString, QString, bool, bool>("field", "typed", "message", "listKept", "sent");
    QTest::newRow("keyword without its item")
        << u"Text3"_s << u"x"_s
        << u"入力された条件が正しくありません。\n「項目内検索2」の検索語に対して項目が選ばれていません。"_s << true
        << true;
    QTest::newRow("more than 1000") << u"Text1"_s << u"*"_s
                                    << u"検索結果の上限は1000件です。\r\n条件を追加して絞込みを行なってください。"_s
                                    << true << true;
    QTest::newRow("nothing found") << u"Text1"_s << u"該当なし"_s << u"該当するデータはありません。"_s << false << true;
    QTest::newRow("only a row never closed")
        << u"Text1"_s << u"メンテナンス"_s << u"該当するデータはありません。"_s << false << true;
    QTest::newRow("a character no search can use")
        << u"Text3"_s << u"〜丂"_s << u"\"丂\" は検索に使えない文字です。（項目内検索2）"_s << true << false;
}

void TestForm1::pageRefusals()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(bool, listKept);
    QFETCH(bool, sent);
    Fixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    typeText(child<QLineEdit>(window, u"Text1"_s), u"ハイバリン"_s);
    click(window, u"Command1"_s);
    QTRY_COMPARE(texts(child<QListWidget>(window, u"List1"_s)).size(), 2);
    child<QListWidget>(window, u"List1"_s)->setCurrentRow(1);
    const QString selected = child<QLineEdit>(window, u"Text5"_s)->text();
    QCOMPARE(selected, u"ハイバリン錠20mg"_s);

    retype(child<QLineEdit>(window, field), typed);
    click(window, u"Command1"_s);
    QTRY_COMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().text, message);
    QCOMPARE(f.desktop.messages.first().title, u"入力エラー"_s);
    QCOMPARE(f.desktop.messages.first().icon, sent ? Desktop::Icon::None : Desktop::Icon::Exclamation);
    QCOMPARE(f.server.Requests().size(), sent ? 2 : 1);
    if (listKept) {
        if (!sent) // the encoded terms stay as the last search sent them
            QCOMPARE(child<QLabel>(window, u"keyword2"_s)->text(), QString());
        QCOMPARE(texts(child<QListWidget>(window, u"List1"_s)).size(), 2);
        QCOMPARE(child<QLabel>(window, u"Label8"_s)->text(), u" 2件"_s);
        QCOMPARE(child<QLineEdit>(window, u"Text5"_s)->text(), selected);
    } else {
        QVERIFY(texts(child<QListWidget>(window, u"List1"_s)).isEmpty());
        QVERIFY(texts(child<QListWidget>(window, u"List2"_s)).isEmpty());
        QCOMPARE(child<QLabel>(window, u"Label8"_s)->text(), u"0件"_s);
        QCOMPARE(child<QLineEdit>(window, u"Text5"_s)->text(), QString());
        QVERIFY(!child<QPushButton>(window, u"Command4"_s)->isEnabled());
    }
}

void TestForm1::failedRequestKeepsPage_data()
{
    addColumns<QString, QString, QString, QString, QString>("base", "field", "typed", "button", "title");
    QTest::addColumn<QString>("said");
    QTest::newRow("no connection") << u"closed port"_s << QString() << QString() << u"Command4"_s << u"通信エラー"_s
                                   << u"接続を拒否されました"_s;
    QTest::newRow("wrong base path answers 404")
        << u"/wrong"_s << QString() << QString() << u"Command4"_s << u"通信エラー"_s
        << u"サーバーがエラーを返しました（HTTP 404）。ページが見つかりません。"_s;
    QTest::newRow("service in maintenance answers 503")
        << QString() << u"Text1"_s << u"障害"_s << u"Command1"_s << u"通信エラー"_s
        << u"サーバーがエラーを返しました（HTTP 503）。サービスは一時的に利用できません。"_s;
    QTest::newRow("refused search") << QString() << u"Text4"_s << u"y"_s << u"Command1"_s << u"入力エラー"_s
                                    << u"「項目内検索3」の検索語に対して項目が選ばれていません。"_s;
}

// On page 2, a request that fails or is refused leaves the hits, their header and the
// position as they were: "次" afterwards goes on to page 3.
void TestForm1::failedRequestKeepsPage()
{
    QFETCH(QString, base);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, button);
    QFETCH(QString, title);
    QFETCH(QString, said);
    Fixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    auto *list = child<QListWidget>(window, u"List1"_s);
    click(window, u"Command1"_s);
    QTRY_COMPARE(list->count(), 20);
    click(window, u"Command4"_s);
    QTRY_COMPARE(param(f.lastQuery(), u"start"_s), u"21"_s);
    const QStringList page2 = texts(list);
    QCOMPARE(page2.first(), u"ヒバリ薬21錠"_s);

    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString unreachable = u"http://127.0.0.1:%1"_s.arg(closed.serverPort());
    closed.close();
    if (!base.isEmpty())
        f.state.ServiceBase = base == u"closed port"_s ? unreachable : f.server.BaseUrl() + base;
    if (!field.isEmpty())
        retype(child<QLineEdit>(window, field), typed);
    click(window, button);
    QTRY_COMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, title);
    QVERIFY2(f.desktop.messages.first().text.contains(said), qPrintable(f.desktop.messages.first().text));
    QCOMPARE(f.desktop.messages.first().icon,
             title == u"通信エラー"_s ? Desktop::Icon::Exclamation : Desktop::Icon::None);
    QCOMPARE(texts(list), page2);
    QCOMPARE(child<QLabel>(window, u"TestLabel3"_s)->text(), u"21"_s);
    QCOMPARE(child<QLabel>(window, u"TestLabel2"_s)->text(), u"21"_s);
    QCOMPARE(child<QLabel>(window, u"TestLabel"_s)->text(), u"41"_s);
    QCOMPARE(child<QLabel>(window, u"Label8"_s)->text(), u" 20件"_s);

    f.state.ServiceBase = f.server.BaseUrl();
    if (!field.isEmpty())
        retype(child<QLineEdit>(window, field), QString());
    click(window, u"Command4"_s);
    QTRY_COMPARE(param(f.lastQuery(), u"start"_s), u"41"_s);
    QTRY_COMPARE(list->count(), 15);
}

void TestForm1::selectingHitShowsDescription_data()
{
    addColumns<QString, QString>("secondRow", "description");
    QTest::newRow("line after the marker") << u"<TR><TD><DL><DD>ABC\r\n</DL></TD></TR>"_s << u"ABC"_s;
    QTest::newRow("no marker") << u"<TR><TD>ABC\r\n</TD></TR>"_s << QString();
    QTest::newRow("no carriage return") << u"<TR><TD><DD>ABC\n</TD></TR>"_s << QString();
}

void TestForm1::selectingHitShowsDescription()
{
    QFETCH(QString, secondRow);
    QFETCH(QString, description);
    Fixture f(ProgramFixture::Routes);
    const QString page = u"<TABLE><TR><TD><A href=\"/sorano/hit/1/\" target=\"_new\">甲錠</A></TD></TR>"
                         "<TR><TD><DD>一行目\r\n</TD></TR>"
                         "<TR><TD><A href=\"/sorano/hit/2/\" target=\"_new\">乙錠</A></TD></TR>"_s
                         + secondRow + u"</TABLE>"_s;
    f.server.Route("/sorano/PackinsSearch", [page](const PracticeRequest &) {
        PracticeResponse response;
        response.body = ToEuc(page);
        return response;
    });
    Form1 window(f.context);
    QVERIFY(exposed(window));
    click(window, u"Command1"_s);
    auto *list = child<QListWidget>(window, u"List1"_s);
    QTRY_COMPARE(list->count(), 2);
    QCOMPARE(list->currentRow(), -1);
    clickRow(list, 1);
    QCOMPARE(child<QLineEdit>(window, u"Text5"_s)->text(), u"乙錠"_s);
    QCOMPARE(child<QLineEdit>(window, u"Text6"_s)->text(), description);
    clickRow(list, 0);
    QCOMPARE(child<QLineEdit>(window, u"Text5"_s)->text(), u"甲錠"_s);
    QCOMPARE(child<QLineEdit>(window, u"Text6"_s)->text(), u"一行目"_s);
}

// Paging can disable the button that had the focus and hand it to the list, which
// then has a current row that nobody chose: that row must not become the selection.
void TestForm1::focusAloneChoosesNoHit()
{
    Fixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    click(window, u"Command1"_s);
    auto *list = child<QListWidget>(window, u"List1"_s);
    QTRY_VERIFY(list->count() > 0);
    list->setFocus(Qt::TabFocusReason);
    list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    QCOMPARE(child<QLineEdit>(window, u"Text5"_s)->text(), QString());
    click(window, u"Command2"_s);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, u"選択エラー"_s);
}

void TestForm1::copyAndMemo()
{
    Fixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    typeText(child<QLineEdit>(window, u"Text1"_s), u"ハイバリン"_s);
    tick(window, u"Check2"_s);
    click(window, u"Command1"_s);
    QTRY_COMPARE(texts(child<QListWidget>(window, u"List1"_s)).size(), 2);

    click(window, u"Command7"_s);
    QCOMPARE(f.desktop.clipboard, u"ハイバリン錠10mg\tひばり製薬　血圧降下剤\r\n"
                                  "ハイバリン錠20mg\tひばり製薬　血圧降下剤\r\n"_s);

    click(window, u"Command8"_s);
    const QString memo = f.appFile(u"医療用医薬品情報.txt"_s);
    QTRY_COMPARE(f.desktop.opened, QStringList{memo});
    QStringDecoder decoder("cp932");
    const QString written = decoder(readBytes(memo));
    QCOMPARE(written, u"一般名・販売名：ハイバリン\r\n薬効分類：指定なし\r\n項目内検索1：全文\r\n\t全てを含む\r\n"
                      "項目内検索2：\r\n\t全てを含む\r\n項目内検索3：\r\n\t全てを含む\r\n検索条件\r\n"
                      "\t禁忌／原則禁忌\r\n\t\r\n"
                      "ハイバリン錠10mg\tひばり製薬　血圧降下剤\r\nハイバリン錠20mg\tひばり製薬　血圧降下剤\r\n"_s);
    QVERIFY(f.desktop.messages.isEmpty());

    // Once a hit's documents are saved, the hit and its documents in "ファイルの選択"
    // carry the mark; copy and memo take the same text as before.
    auto *list = child<QListWidget>(window, u"List1"_s);
    const QString clipboard = f.desktop.clipboard;
    QCOMPARE(savedMark(list->item(1)), QString());
    QStringList marks; // insert, guide: before the save, then after
    const auto chooseAndClose = [&](const char *button) {
        f.onModal([&marks, button](QDialog *dialog) {
            marks << savedMark(child<QCheckBox>(dialog, u"Check1"_s))
                  << savedMark(child<QCheckBox>(dialog, u"Check2"_s));
            click(dialog, button);
        });
    };
    clickRow(list, 1);
    chooseAndClose("Command1");
    click(window, u"Command2"_s);
    QTRY_COMPARE(f.desktop.opened.size(), 3);
    QCOMPARE(marks, (QStringList{QString(), QString()}));

    click(window, u"Command1"_s);
    QTRY_VERIFY(list->count() == 2 && !savedMark(list->item(1)).isEmpty());
    QVERIFY2(savedMark(list->item(1)).startsWith(u"ハイバリン錠20mg.pdf\n"_s), qPrintable(savedMark(list->item(1))));
    QVERIFY(savedMark(list->item(1)).endsWith(u"前回の確認：未確認"_s));
    QCOMPARE(savedMark(list->item(0)), QString());
    click(window, u"Command7"_s);
    QCOMPARE(f.desktop.clipboard, clipboard);
    click(window, u"Command8"_s);
    QTRY_COMPARE(f.desktop.opened.size(), 4);
    QCOMPARE(f.desktop.opened.last(), memo);
    QCOMPARE(decoder(readBytes(memo)), written);

    marks.clear();
    clickRow(list, 1);
    chooseAndClose("Command2"); // 閉じる: nothing fetched
    click(window, u"Command2"_s);
    QTRY_COMPARE(marks.size(), 2);
    for (const QString &mark : std::as_const(marks))
        QVERIFY2(mark.startsWith(u"ハイバリン錠20mg.pdf\n"_s) && mark.endsWith(u"前回の確認：未確認"_s),
                 qPrintable(mark));
    QCOMPARE(f.desktop.opened.size(), 4);
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm1::memoOfEmptyList()
{
    Fixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    click(window, u"Command7"_s);
    QVERIFY(f.desktop.clipboardSet);
    QCOMPARE(f.desktop.clipboard, QString());
    click(window, u"Command8"_s);
    QTRY_COMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().text, u"医薬品を選択してください"_s);
    QCOMPARE(f.desktop.messages.first().title, u"選択エラー"_s);
    QVERIFY(!QFile::exists(f.appFile(u"医療用医薬品情報.txt"_s)));
}

void TestForm1::closingBringsMenuBack_data()
{
    boolRows("byButton", {{"閉じる", true}, {"window frame", false}});
}

void TestForm1::closingBringsMenuBack()
{
    QFETCH(bool, byButton);
    Fixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    QSignalSpy unloaded(&window, &WorkingWindow::unloaded);
    if (byButton)
        click(window, u"Command5"_s);
    else
        window.close();
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!window.isVisible());
}

// Enter in a text box searches; a control focused by a click shows its focus mark.
void TestForm1::keyboard()
{
    Fixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    auto *text1 = child<QLineEdit>(window, u"Text1"_s);
    QTest::mouseClick(text1, Qt::LeftButton);
    typeText(text1, u"ハイバリン"_s);
    QTest::keyClick(text1, Qt::Key_Return);
    auto *list = child<QListWidget>(window, u"List1"_s);
    QTRY_COMPARE(texts(list), (QStringList{u"ハイバリン錠10mg"_s, u"ハイバリン錠20mg"_s}));
    QCOMPARE(f.server.Requests().size(), 1);

    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // As a click gives it: the style draws the mark only when told the keyboard moved it.
    QStringList unmarked;
    for (const QString &name : {u"Check1"_s, u"Command1"_s, u"Combo1"_s, u"Text1"_s, u"List1"_s}) {
        QWidget *control = child(window, name);
        const QImage unfocused = control->grab().toImage();
        control->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(control->hasFocus());
        if (control->grab().toImage() == unfocused)
            unmarked.append(name);
    }
    QCOMPARE(unmarked.join(u','), QString());
}

QTEST_MAIN(TestForm1)
#include "test_Form1.moc"
