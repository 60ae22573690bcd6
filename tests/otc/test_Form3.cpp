#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "PracticeCatalogue.h"
#include "PracticeServer.h"
#include "memo/Memo.h"
#include "otc/Form3.h"
#include "conversion/ESConv.h"
#include "shell/Library.h"
#include "support/ProgramFixture.h"
#include "support/UserActions.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

class TestForm3 : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void startsEmptyWithItsLists();
    void choiceLists_data();
    void choiceLists();
    void enterInTextBoxSearchesWithTypedText();
    void pagingFollowsTheService();
    void refusalsKeepThePreviousResult_data();
    void refusalsKeepThePreviousResult();
    void failedRequestKeepsPage_data();
    void failedRequestKeepsPage();
    void documentSavedUnderText8();
    void documentOnDoubleClickOrEnter_data();
    void documentOnDoubleClickOrEnter();
    void documentFailures_data();
    void documentFailures();
    void copyAndMemo();
    void emptyListCopyAndMemo();
    void closeBringsMenuBack();
};

namespace {

QByteArray ParamFile(const QStringList &lines)
{
    return sjisBytes(lines.join(u"\r\n"_s) + u"\r\n"_s);
}

struct Fixture : ProgramFixture {
    Fixture()
    {
        writeParam(u"DosageForm.param"_s, {u"\"\",指定なし"_s, u"F001,錠剤"_s, u"F002,カプセル剤"_s});
        writeParam(u"txtEffect.param"_s, {u"\"\",指定なし"_s, u"E0001,かぜ薬"_s, u"E0002,胃腸薬"_s});
        writeParam(u"count.param"_s, {u"10,10件"_s, u"20,20件"_s, u"all,全件"_s});
    }
    void writeParam(const QString &name, const QStringList &lines) const
    {
        writeBytes(state.AppPath + u'/' + name, ParamFile(lines));
    }
    QStringList Urls() const
    {
        QStringList urls;
        for (const PracticeRequest &request : server.Requests())
            urls.append(QString::fromLatin1(state.ServiceBase.toLatin1() + request.url()));
        return urls;
    }
    QString otcFile(const QString &name) const { return state.DocumentsPath + Library::Otc() + u'/' + name; }
};

void Search(Form3 &window, const QString &saleName)
{
    retype(child<QLineEdit>(window, "Text1"), saleName);
    click(window, "Command1");
}

QString OnTheWire(const QString &url)
{
    return QString::fromLatin1(QUrl(url).toEncoded());
}

const QStringList HaruKaze = {u"ハルカゼ顆粒青葉製薬"_s, u"ハルカゼ錠ひばり薬品工業"_s, u"ハルカゼ液朝凪ファーマ"_s};

} // namespace

void TestForm3::layout_data()
{
    layoutRows({
        {u"Label1", u"販売名", {60, 180, 1275, 300}},
        {u"Text1", u"", {1380, 120, 6975, 360}},
        {u"Label2", u"メーカー名（製造販売会社、販売会社）", {60, 600, 4215, 300}},
        {u"Text2", u"", {1380, 900, 6975, 360}},
        {u"Label7", u"剤形", {60, 1440, 1275, 300}},
        {u"Combo3", u"", {1380, 1380, 2595, 360}},
        {u"Label3", u"成分名", {60, 1860, 1275, 300}},
        {u"Text3", u"", {1380, 1800, 5955, 360}},
        {u"Label8", u"を含む", {7440, 1860, 855, 300}},
        {u"Text4", u"", {1380, 2220, 5955, 360}},
        {u"Label9", u"を除く", {7440, 2280, 855, 300}},
        {u"Label4", u"添加物名", {60, 2760, 1275, 300}},
        {u"Text5", u"", {1380, 2700, 5955, 360}},
        {u"Label10", u"を含む", {7440, 2760, 855, 300}},
        {u"Text6", u"", {1380, 3120, 5955, 360}},
        {u"Label11", u"を除く", {7440, 3180, 855, 300}},
        {u"Label6", u"薬効分類", {60, 3660, 1275, 300}},
        {u"Combo1", u"", {1380, 3600, 6975, 360}},
        {u"Label5", u"適応症、症状（効能・効果）", {60, 4080, 3015, 300}},
        {u"Text7", u"", {1380, 4380, 6975, 360}},
        {u"Label12", u"検索件数", {60, 4980, 1275, 300}},
        {u"Combo2", u"", {1380, 4920, 1455, 360}},
        {u"Command2", u"前", {5640, 4860, 555, 480}},
        {u"Command1", u"検　索", {6240, 4860, 1395, 480}},
        {u"Command3", u"次", {7680, 4860, 555, 480}},
        {u"Line1", u"", {60, 5460, 8280, 15}},
        {u"Label13", u"選択中の文書", {180, 5580, 1635, 255}},
        {u"Label16", u"検索結果", {4440, 5580, 1035, 255}},
        {u"Label15", u"1", {5520, 5640, 495, 195}},
        {u"Label14", u"件目から表示", {6060, 5640, 1155, 195}},
        {u"Text8", u"", {60, 5880, 8295, 360}},
        {u"Command4", u"文書表示", {180, 6360, 1605, 495}},
        {u"Command6", u"メ　モ", {1860, 6360, 1550, 495}},
        {u"Command8", u"コ ピ ー", {3480, 6360, 1550, 495}},
        {u"Command5", u"閉じる", {6720, 6360, 1550, 495}},
        {u"List1", u"", {60, 6960, 8295, 3660}},
        {u"List2", u"", {8760, 6900, 2415, 3480}},
    });
}

void TestForm3::layout()
{
    Fixture f;
    Form3 window(f.context);
    checkLayout(window, u"一般用医薬品情報"_s, {8430, 10695});
}

void TestForm3::startsEmptyWithItsLists()
{
    Fixture f;
    Form3 window(f.context);
    QCOMPARE(window.y(), 0);
    QVERIFY(!child<QPushButton>(window, "Command2")->isEnabled());
    QVERIFY(!child<QPushButton>(window, "Command3")->isEnabled());
    QVERIFY(child<QPushButton>(window, "Command1")->isDefault());
    QVERIFY(!child<QListWidget>(window, "List2")->isVisibleTo(&window));
    QCOMPARE(child<QComboBox>(window, "Combo3")->currentText(), u"指定なし"_s);
    QCOMPARE(child<QComboBox>(window, "Combo1")->count(), 3);
    QCOMPARE(child<QComboBox>(window, "Combo2")->currentText(), u"10件"_s);
    QCOMPARE(window.paging().CurrentStart, 0);
    QCOMPARE(window.paging().NextStart, 0);

    const QStringList order
        = {u"Text1"_s,    u"Text2"_s,    u"Combo3"_s,   u"Text3"_s,    u"Text4"_s,    u"Text5"_s,    u"Text6"_s,
           u"Combo1"_s,   u"Text7"_s,    u"Combo2"_s,   u"Command1"_s, u"Command2"_s, u"Command3"_s, u"List1"_s,
           u"Command4"_s, u"Command6"_s, u"Command8"_s, u"Command5"_s, u"Text8"_s};
    QStringList chain;
    QWidget *widget = child<QLineEdit>(window, "Text1");
    do {
        if (order.contains(widget->objectName()))
            chain.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget->objectName() != u"Text1"_s);
    QCOMPARE(chain, order);
}

void TestForm3::choiceLists_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
    addColumns<QString, int>("combo", "items");
    QTest::addColumn<QString>("key"); // as sent with the first item selected

    QTest::newRow("dosage forms, quoted comma kept whole")
        << u"DosageForm.param"_s << ParamFile({u"\"A,B\",甲"_s, u"C,乙"_s}) << u"Combo3"_s << 2
        << u"&cboDosageForm=A,B&"_s;
    QTest::newRow("missing efficacy file: key still sent")
        << u"txtEffect.param"_s << QByteArray() << u"Combo1"_s << 0 << u"&cboEffect=&"_s;
    QTest::newRow("empty count file") << u"count.param"_s << QByteArray("") << u"Combo2"_s << 0 << u"&cboDisCnt=&"_s;
    QStringList twelve;
    for (int i = 1; i <= 12; ++i)
        twelve.append(u"%1,%1件"_s.arg(i * 5));
    QTest::newRow("count file beyond 11 records")
        << u"count.param"_s << ParamFile(twelve) << u"Combo2"_s << 11 << u"&cboDisCnt=5&"_s;
}

void TestForm3::choiceLists()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, combo);
    QFETCH(int, items);
    QFETCH(QString, key);
    Fixture f;
    QFile::remove(f.state.AppPath + u'/' + file);
    if (!bytes.isNull())
        QVERIFY(writeBytes(f.state.AppPath + u'/' + file, bytes));
    Form3 window(f.context);
    auto *list = child<QComboBox>(window, combo);
    QCOMPARE(list->count(), items);
    QCOMPARE(list->currentIndex(), items ? 0 : -1);
    click(window, "Command1");
    QCOMPARE(f.server.Requests().size(), 1);
    QVERIFY2(f.Urls().first().contains(key), qPrintable(f.Urls().first()));
}

void TestForm3::enterInTextBoxSearchesWithTypedText()
{
    Fixture f;
    Form3 window(f.context);
    window.show();
    child<QComboBox>(window, "Combo3")->setCurrentIndex(2);
    child<QComboBox>(window, "Combo1")->setCurrentIndex(1);
    QTest::keyClicks(child<QLineEdit>(window, "Text3"), u"A&B"_s);
    auto *text1 = child<QLineEdit>(window, "Text1");
    typeText(text1, u"ハルカゼ"_s);
    child<QLineEdit>(window, "Text8")->setText(u"前の選択"_s);
    QTest::keyClick(text1, Qt::Key_Return);

    // The transfer writes unreserved characters plainly (%41 goes as A); the bytes
    // that the service decodes are the same.
    QCOMPARE(f.Urls(), QStringList{OnTheWire(
                           f.state.ServiceBase
                           + u"/osearch/PackinsSearch?txtSaleName=%A5%CF%A5%EB%A5%AB%A5%BC&cboDosageForm=F002"
                             "&txtComName=&txtIngredient=%41%26%42&txtIngredient_Ex=&txtAdditive=&txtAdditive_Ex="
                             "&cboEffect=E0001&txtEffect=&btnSearch=%B8%A1%BA%F7%BC%C2%B9%D4&cboDisCnt=10&start=1"_s)});
    QCOMPARE(texts(child<QListWidget>(window, "List1")), HaruKaze);
    const QStringList anchors = texts(child<QListWidget>(window, "List2"));
    QCOMPARE(anchors.size(), 3);
    QCOMPARE(anchors.first(), u"<a href=\"/downfiles/otc/PDF/o0001.pdf\">ハルカゼ顆粒</a>"_s);
    QCOMPARE(child<QLineEdit>(window, "Text8")->text(), QString());
    QVERIFY(!child<QPushButton>(window, "Command2")->isEnabled());
    QVERIFY(!child<QPushButton>(window, "Command3")->isEnabled());
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm3::pagingFollowsTheService()
{
    Fixture f;
    Form3 window(f.context);
    window.show();
    auto *list1 = child<QListWidget>(window, "List1");
    auto *previous = child<QPushButton>(window, "Command2");
    auto *next = child<QPushButton>(window, "Command3");
    auto *label15 = child<QLabel>(window, "Label15");
    auto *text8 = child<QLineEdit>(window, "Text8");

    click(window, "Command1");
    // The decoration anchor after イグスリ胃腸錠 is no hit; a bold and a capital-tag
    // hit read like the others.
    QCOMPARE(list1->count(), 10);
    QCOMPARE(list1->item(1)->text(), u"ネツサマシ錠ひばり薬品工業"_s);
    QCOMPARE(list1->item(3)->text(), u"イグスリ胃腸錠山吹製薬"_s);
    QCOMPARE(list1->item(4)->text(), u"セイチョウ散白樺ヘルスケア"_s);
    QCOMPARE(child<QListWidget>(window, "List2")->item(1)->text(),
             u"<a href=\"/downfiles/otc/PDF/o0002.pdf\"><b>ネツサマシ錠</b></a>"_s);
    QVERIFY(!previous->isEnabled());
    QVERIFY(next->isEnabled());

    clickRow(list1, 2);
    QCOMPARE(text8->text(), u"セキトメシロップ朝凪ファーマ"_s);

    QTest::mouseClick(next, Qt::LeftButton);
    QVERIFY(f.Urls().last().endsWith(u"&cboDisCnt=10&start=11"_s));
    QCOMPARE(label15->text(), u"11"_s);
    QCOMPARE(list1->item(0)->text(), u"ヒフナオシ軟膏青葉製薬"_s);
    QVERIFY(previous->isEnabled() && next->isEnabled());
    QCOMPARE(text8->text(), u"セキトメシロップ朝凪ファーマ"_s); // paging keeps the selection text

    // The step follows the page size chosen now; conditions are read anew.
    child<QComboBox>(window, "Combo2")->setCurrentIndex(1);
    typeText(child<QLineEdit>(window, "Text2"), u"青葉"_s);
    QTest::mouseClick(next, Qt::LeftButton);
    QVERIFY(f.Urls().last().contains(u"&txtComName=%C0%C4%CD%D5&"_s));
    QVERIFY(f.Urls().last().endsWith(u"&cboDisCnt=20&start=21"_s));
    QCOMPARE(window.paging().NextStart, 41);
    QCOMPARE(list1->count(), 0); // only five of 青葉製薬, all on the first page
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.last().text, u"該当するデータはありません。"_s);
    QCOMPARE(f.desktop.messages.last().title, u"入力エラー"_s);
    QVERIFY(previous->isEnabled());
    QVERIFY(!next->isEnabled());

    QTest::mouseClick(previous, Qt::LeftButton);
    QVERIFY(f.Urls().last().endsWith(u"&cboDisCnt=20&count=20&start=1"_s));
    QCOMPARE(label15->text(), u"1"_s);
    QCOMPARE(list1->count(), 5);
    QVERIFY(!previous->isEnabled() && !next->isEnabled());
}

void TestForm3::refusalsKeepThePreviousResult_data()
{
    addColumns<QString, QString, bool>("saleName", "message", "sent");
    const QString bad = u"入力された条件が正しくありません。"_s;
    QTest::newRow("bad conditions") << u"不正"_s << bad << true;
    QTest::newRow("too many hits") << u"上限"_s
                                   << u"検索結果の上限は1000件です。\r\n条件を追加して絞込みを行なってください。"_s
                                   << true;
    QTest::newRow("both: the first refusal only") << u"不正上限"_s << bad << true;
    QTest::newRow("a character no search can use, never sent")
        << u"ハルカゼ〜丂"_s << u"\"丂\" は検索に使えない文字です。（販売名）"_s << false;
}

void TestForm3::refusalsKeepThePreviousResult()
{
    QFETCH(QString, saleName);
    QFETCH(QString, message);
    QFETCH(bool, sent);
    Fixture f;
    Form3 window(f.context);
    window.show();
    Search(window, u"ハルカゼ"_s);
    clickRow(child<QListWidget>(window, "List1"), 1);
    Search(window, saleName);
    QCOMPARE(f.server.Requests().size(), sent ? 2 : 1);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().text, message);
    QCOMPARE(f.desktop.messages.first().title, u"入力エラー"_s);
    QCOMPARE(f.desktop.messages.first().icon, sent ? Desktop::Icon::None : Desktop::Icon::Exclamation);
    QCOMPARE(texts(child<QListWidget>(window, "List1")), HaruKaze);
    QCOMPARE(child<QLineEdit>(window, "Text8")->text(), HaruKaze[1]);
    QVERIFY(!child<QPushButton>(window, "Command3")->isEnabled());
}

void TestForm3::failedRequestKeepsPage_data()
{
    addColumns<QString, QString, QString, QString>("base", "saleName", "title", "said");
    QTest::newRow("no connection") << u"http://127.0.0.1:1"_s << QString() << u"通信エラー"_s
                                   << u"接続を拒否されました"_s; // nothing listens there
    QTest::newRow("wrong base path answers 404")
        << u"/wrong"_s << QString() << u"通信エラー"_s << u"（HTTP 404）。ページが見つかりません。"_s;
    QTest::newRow("service in maintenance answers 503")
        << QString() << u"障害"_s << u"通信エラー"_s << u"（HTTP 503）。サービスは一時的に利用できません。"_s;
    QTest::newRow("refused") << QString() << u"不正"_s << u"入力エラー"_s << u"入力された条件が正しくありません。"_s;
}

// On page 2, "次" that fails or is refused leaves the hits and their start as they
// were; "次" afterwards goes on to page 3.
void TestForm3::failedRequestKeepsPage()
{
    QFETCH(QString, base);
    QFETCH(QString, saleName);
    QFETCH(QString, title);
    QFETCH(QString, said);
    Fixture f;
    Form3 window(f.context);
    window.show();
    auto *list = child<QListWidget>(window, "List1");
    click(window, "Command1");
    click(window, "Command3");
    QCOMPARE(child<QLabel>(window, "Label15")->text(), u"11"_s);
    const QStringList page2 = texts(list);
    QCOMPARE(page2.size(), 10);

    if (!base.isEmpty())
        f.state.ServiceBase = base.startsWith(u'/') ? f.server.BaseUrl() + base : base;
    retype(child<QLineEdit>(window, "Text1"), saleName);
    click(window, "Command3");
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, title);
    QVERIFY2(f.desktop.messages.first().text.contains(said), qPrintable(f.desktop.messages.first().text));
    QCOMPARE(child<QLabel>(window, "Label15")->text(), u"11"_s);
    QCOMPARE(texts(list), page2);
    QVERIFY(child<QPushButton>(window, "Command3")->isEnabled());

    f.state.ServiceBase = f.server.BaseUrl();
    retype(child<QLineEdit>(window, "Text1"), QString());
    click(window, "Command3");
    QVERIFY(f.Urls().last().endsWith(u"&start=21"_s));
    QCOMPARE(child<QLabel>(window, "Label15")->text(), u"21"_s);
}

void TestForm3::documentSavedUnderText8()
{
    Fixture f;
    Form3 window(f.context);
    window.show();
    Search(window, u"メグスリ"_s);
    QVERIFY(child<QListWidget>(window, "List1")->item(0)->icon().isNull()); // not saved yet: no mark
    clickRow(child<QListWidget>(window, "List1"), 0);
    auto *show = child<QPushButton>(window, "Command4");
    QTest::mouseClick(show, Qt::LeftButton);
    const QString first = f.otcFile(u"メグスリ点眼液朝凪ファーマ.pdf"_s);
    QCOMPARE(f.desktop.opened, QStringList{first});
    QCOMPARE(f.Urls().last(), f.state.ServiceBase + u"/downfiles/otc/PDF/o0008.pdf"_s);
    const QByteArray longer = readBytes(first);
    QVERIFY(longer.startsWith("%PDF-"));

    // The same hit again: a shorter document leaves nothing of the longer one.
    QTest::mouseClick(show, Qt::LeftButton);
    const QByteArray shorter = readBytes(first);
    QVERIFY(shorter.startsWith("%PDF-"));
    QVERIFY(shorter.size() < longer.size());
    QCOMPARE(shorter, PracticePdf(u"メグスリ点眼液"_s, 200 + 150 * 7));

    // The name is what Text8 holds, made safe for the file system.
    auto *text8 = child<QLineEdit>(window, "Text8");
    text8->clear();
    typeText(text8, u"目薬/夜:用*?"_s);
    QTest::mouseClick(show, Qt::LeftButton);
    QCOMPARE(f.desktop.opened.last(), f.otcFile(u"目薬／夜：用＊？.pdf"_s));
    QCOMPARE(readBytes(f.desktop.opened.last()), shorter);

    // Names at the file system's limit of 255 bytes: 83 kanji with ".pdf" save every
    // time, 95 are cut to 80 at a character boundary and marked ("…*").
    const QString longest(83, u'薬');
    for (const QString &typed : {longest, longest, QString(95, u'錠')}) {
        text8->clear();
        typeText(text8, typed);
        QTest::mouseClick(show, Qt::LeftButton);
        const QString expected = typed.size() > 83 ? typed.left(80) + u"…*.pdf"_s : typed + u".pdf"_s;
        QVERIFY2(matchesCut(f.desktop.opened.last(), f.otcFile(expected)), qPrintable(f.desktop.opened.last()));
        QCOMPARE(readBytes(f.desktop.opened.last()), shorter);
    }
    QStringList saved = QDir(f.otcFile(QString())).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(saved.size(), 4); // no temporary file left behind

    // The longest names the service serves, differing only at their ends: two files,
    // each with its own product's document.
    Search(window, u"長名"_s);
    auto *list = child<QListWidget>(window, "List1");
    QTRY_COMPARE(list->count(), 2);
    QStringList shown;
    for (int row = 0; row < 2; ++row) {
        shown.append(list->item(row)->text());
        clickRow(list, row);
        QTest::mouseClick(show, Qt::LeftButton);
        const QString file = f.desktop.opened.last();
        QVERIFY2(matchesCut(file, f.otcFile(PracticeLongOtcName(row + 1).left(80) + u"…*.pdf"_s)), qPrintable(file));
        QVERIFY(readBytes(file).contains(PdfTitleBytes(PracticeLongOtcName(row + 1))));
    }
    QVERIFY(f.desktop.opened[f.desktop.opened.size() - 2] != f.desktop.opened.last());
    saved = QDir(f.otcFile(QString())).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(saved.size(), 6);
    QVERIFY(f.desktop.messages.isEmpty());

    // Searched again, the saved hits carry the mark: an icon, their text as it was.
    Search(window, u"長名"_s);
    QTRY_COMPARE(list->count(), 2);
    for (int row = 0; row < 2; ++row) {
        QVERIFY(!list->item(row)->icon().isNull());
        QVERIFY2(list->item(row)->toolTip().contains(u"前回の確認：未確認"_s), qPrintable(list->item(row)->toolTip()));
        QCOMPARE(list->item(row)->text(), shown[row]);
    }
}

void TestForm3::documentOnDoubleClickOrEnter_data()
{
    boolRows("doubleClick", {{"double-click", true}, {"Enter", false}}); // else Enter in the list
}

void TestForm3::documentOnDoubleClickOrEnter()
{
    Fixture f;
    Form3 window(f.context);
    window.show();
    Search(window, u"ハルカゼ"_s);
    auto *list = child<QListWidget>(window, "List1");
    QTRY_COMPARE(list->count(), 3);
    const qsizetype searches = f.server.Requests().size();
    clickRow(list, 1);
    QVERIFY(f.desktop.opened.isEmpty()); // a single click only picks the hit
    if (fetch<bool>("doubleClick"))
        doubleClickRow(list, 1);
    else
        QTest::keyClick(list, Qt::Key_Return);
    QTRY_COMPARE(f.desktop.opened, QStringList{f.otcFile(u"ハルカゼ錠ひばり薬品工業.pdf"_s)});
    QCOMPARE(f.server.Requests().size(), searches + 1); // the document, and no new search
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm3::documentFailures_data()
{
    addColumns<QString, bool, bool, QString, Desktop::Icon>("saleName", "pageChange", "blockTarget", "title", "icon");

    QTest::newRow("no row selected after a page change")
        << QString() << true << false << u"選択エラー"_s << Desktop::Icon::None;
    QTest::newRow("document missing on the service")
        << u"ケッソン"_s << false << false << u"通信エラー"_s << Desktop::Icon::Exclamation;
    QTest::newRow("target cannot be written")
        << u"ハルカゼ顆粒"_s << false << true << u"文書保存エラー"_s << Desktop::Icon::Exclamation;
}

void TestForm3::documentFailures()
{
    QFETCH(QString, saleName);
    QFETCH(bool, pageChange);
    QFETCH(bool, blockTarget);
    QFETCH(QString, title);
    QFETCH(Desktop::Icon, icon);
    Fixture f;
    Form3 window(f.context);
    window.show();
    Search(window, saleName);
    clickRow(child<QListWidget>(window, "List1"), 0);
    const QString text = child<QLineEdit>(window, "Text8")->text();
    QVERIFY(!text.isEmpty());
    if (pageChange)
        click(window, "Command3");
    // A folder where the file should go makes the write fail.
    if (blockTarget)
        QVERIFY(QDir().mkpath(f.otcFile(text + u".pdf"_s)));
    const qsizetype requests = f.server.Requests().size();
    click(window, "Command4");
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, title);
    QCOMPARE(f.desktop.messages.first().icon, icon);
    if (pageChange) {
        QCOMPARE(f.desktop.messages.first().text, u"医薬品を選択してください"_s);
        QCOMPARE(f.server.Requests().size(), requests);
        QCOMPARE(child<QLineEdit>(window, "Text8")->text(), text);
    }
    QVERIFY(f.desktop.opened.isEmpty());
    QVERIFY(!QFileInfo(f.otcFile(text + u".pdf"_s)).isFile());
}

void TestForm3::copyAndMemo()
{
    Fixture f;
    Form3 window(f.context);
    window.show();
    typeText(child<QLineEdit>(window, "Text2"), u"朝凪"_s);
    typeText(child<QLineEdit>(window, "Text4"), u"カフェイン"_s);
    typeText(child<QLineEdit>(window, "Text7"), u"頭痛"_s);
    child<QComboBox>(window, "Combo3")->setCurrentIndex(1);
    child<QComboBox>(window, "Combo1")->setCurrentIndex(2);
    Search(window, u"ハルカゼ"_s);
    QCOMPARE(texts(child<QListWidget>(window, "List1")), QStringList{u"ハルカゼ液朝凪ファーマ"_s});

    click(window, "Command8");
    QCOMPARE(f.desktop.clipboard, u"ハルカゼ液朝凪ファーマ\r\n"_s);

    click(window, "Command6");
    const QString memo = f.state.AppPath + u"/一般用医薬品情報.txt"_s;
    QCOMPARE(f.desktop.opened, QStringList{memo});
    QCOMPARE(readBytes(memo), sjisBytes(u"販売名：ハルカゼ\r\n"
                                        "メーカー名（製造販売会社、販売会社）：朝凪\r\n"
                                        "剤形：錠剤\r\n"
                                        "成分名：を含む\r\n"
                                        "成分名：カフェインを除く\r\n"
                                        "添加物名：を含む\r\n"
                                        "添加物名：を除く\r\n"
                                        "薬効分類：胃腸薬\r\n"
                                        "適応症、症状（効能・効果）：頭痛\r\n"
                                        " \r\n"
                                        "ハルカゼ液朝凪ファーマ\r\n"_s));
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm3::emptyListCopyAndMemo()
{
    Fixture f;
    Form3 window(f.context);
    window.show();
    f.desktop.clipboard = u"前の内容"_s;
    click(window, "Command8");
    QVERIFY(f.desktop.clipboardSet);
    QCOMPARE(f.desktop.clipboard, QString());
    click(window, "Command6");
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().text, u"医薬品を選択してください"_s);
    QCOMPARE(f.desktop.messages.first().title, u"選択エラー"_s);
    QVERIFY(!QFile::exists(f.state.AppPath + u"/一般用医薬品情報.txt"_s));
}

void TestForm3::closeBringsMenuBack()
{
    Fixture f;
    for (const bool byButton : {true, false}) {
        Form3 window(f.context);
        window.show();
        QSignalSpy unloaded(&window, &WorkingWindow::unloaded);
        if (byButton)
            click(window, "Command5");
        else
            window.close();
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(!window.isVisible());
    }
}

QTEST_MAIN(TestForm3)
#include "test_Form3.moc"
