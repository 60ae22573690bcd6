#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "PracticeServer.h"
#include "library/Memo.h"
#include "otc/Form3.h"
#include "retrieval/ESConv.h"
#include "shell/Appearance.h"
#include "shell/Library.h"
#include "support/RecordingDesktop.h"
#include "support/UserActions.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

class TestForm3 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ApplyAppearance(*qApp); }
    void layout_data();
    void layout();
    void startsEmptyWithItsLists();
    void choiceLists_data();
    void choiceLists();
    void enterInTextBoxSearchesWithTypedText();
    void pagingFollowsTheService();
    void refusalsKeepThePreviousResult_data();
    void refusalsKeepThePreviousResult();
    void failedTransferMovesOnlyTheCounter();
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
    return Sjis(lines.join(u"\r\n"_s) + u"\r\n"_s);
}

struct Fixture {
    QTemporaryDir app, work, documents;
    RecordingDesktop desktop;
    ProgramState state;
    AppContext context{state, desktop};
    PracticeServer server;

    Fixture()
    {
        state.AppPath = app.path();
        state.WorkPath = work.path();
        state.DocumentsPath = documents.path() + u'/';
        Library::CreateFolders(state.DocumentsPath);
        LoadEucTable(state.Tables, HIBARI_SOURCE_DIR "/data/E2S.param"_L1);
        AddOtcRoutes(server);
        server.Listen();
        state.ServiceBase = server.BaseUrl();
        WriteParam(u"DosageForm.param"_s, {u"\"\",指定なし"_s, u"F001,錠剤"_s, u"F002,カプセル剤"_s});
        WriteParam(u"txtEffect.param"_s, {u"\"\",指定なし"_s, u"E0001,かぜ薬"_s, u"E0002,胃腸薬"_s});
        WriteParam(u"count.param"_s, {u"10,10件"_s, u"20,20件"_s, u"all,全件"_s});
    }
    void WriteParam(const QString &name, const QStringList &lines) const
    {
        WriteBytes(state.AppPath + u'/' + name, ParamFile(lines));
    }
    QStringList Urls() const
    {
        QStringList urls;
        for (const PracticeRequest &request : server.Requests())
            urls.append(QString::fromLatin1(state.ServiceBase.toLatin1() + request.url()));
        return urls;
    }
    QString OtcFile(const QString &name) const { return state.DocumentsPath + Library::Otc() + u'/' + name; }
};

template <typename T> T *Child(const Form3 &window, const char *name)
{
    T *child = window.findChild<T *>(QString::fromLatin1(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

QStringList Items(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

// Typing as a user of an input method would: one key event per character with its
// text (QTest::keyClicks knows Latin-1 keys only).
void Type(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void Search(Form3 &window, const QString &saleName)
{
    auto *text1 = Child<QLineEdit>(window, "Text1");
    text1->clear();
    Type(text1, saleName);
    QTest::mouseClick(Child<QPushButton>(window, "Command1"), Qt::LeftButton);
}

QString OnTheWire(const QString &url)
{
    return QString::fromLatin1(QUrl(url).toEncoded());
}

const QStringList HaruKaze = {u"ハルカゼ顆粒青葉製薬"_s, u"ハルカゼ錠ひばり薬品工業"_s, u"ハルカゼ液朝凪ファーマ"_s};

} // namespace

void TestForm3::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("Label1") << u"Label1"_s << u"販売名"_s << QRect(60, 180, 1275, 300);
    QTest::newRow("Text1") << u"Text1"_s << QString() << QRect(1380, 120, 6975, 360);
    QTest::newRow("Label2") << u"Label2"_s << u"メーカー名（製造販売会社、販売会社）"_s << QRect(60, 600, 4215, 300);
    QTest::newRow("Text2") << u"Text2"_s << QString() << QRect(1380, 900, 6975, 360);
    QTest::newRow("Label7") << u"Label7"_s << u"剤形"_s << QRect(60, 1440, 1275, 300);
    QTest::newRow("Combo3") << u"Combo3"_s << QString() << QRect(1380, 1380, 2595, 360);
    QTest::newRow("Label3") << u"Label3"_s << u"成分名"_s << QRect(60, 1860, 1275, 300);
    QTest::newRow("Text3") << u"Text3"_s << QString() << QRect(1380, 1800, 5955, 360);
    QTest::newRow("Label8") << u"Label8"_s << u"を含む"_s << QRect(7440, 1860, 855, 300);
    QTest::newRow("Text4") << u"Text4"_s << QString() << QRect(1380, 2220, 5955, 360);
    QTest::newRow("Label9") << u"Label9"_s << u"を除く"_s << QRect(7440, 2280, 855, 300);
    QTest::newRow("Label4") << u"Label4"_s << u"添加物名"_s << QRect(60, 2760, 1275, 300);
    QTest::newRow("Text5") << u"Text5"_s << QString() << QRect(1380, 2700, 5955, 360);
    QTest::newRow("Label10") << u"Label10"_s << u"を含む"_s << QRect(7440, 2760, 855, 300);
    QTest::newRow("Text6") << u"Text6"_s << QString() << QRect(1380, 3120, 5955, 360);
    QTest::newRow("Label11") << u"Label11"_s << u"を除く"_s << QRect(7440, 3180, 855, 300);
    QTest::newRow("Label6") << u"Label6"_s << u"薬効分類"_s << QRect(60, 3660, 1275, 300);
    QTest::newRow("Combo1") << u"Combo1"_s << QString() << QRect(1380, 3600, 6975, 360);
    QTest::newRow("Label5") << u"Label5"_s << u"適応症、症状（効能・効果）"_s << QRect(60, 4080, 3015, 300);
    QTest::newRow("Text7") << u"Text7"_s << QString() << QRect(1380, 4380, 6975, 360);
    QTest::newRow("Label12") << u"Label12"_s << u"検索件数"_s << QRect(60, 4980, 1275, 300);
    QTest::newRow("Combo2") << u"Combo2"_s << QString() << QRect(1380, 4920, 1455, 360);
    QTest::newRow("Command2") << u"Command2"_s << u"前"_s << QRect(5640, 4860, 555, 480);
    QTest::newRow("Command1") << u"Command1"_s << u"検　索"_s << QRect(6240, 4860, 1395, 480);
    QTest::newRow("Command3") << u"Command3"_s << u"次"_s << QRect(7680, 4860, 555, 480);
    QTest::newRow("Line1") << u"Line1"_s << QString() << QRect(60, 5460, 8280, 15);
    QTest::newRow("Label13") << u"Label13"_s << u"選択中の文書"_s << QRect(180, 5580, 1635, 255);
    QTest::newRow("Label16") << u"Label16"_s << u"検索結果"_s << QRect(4440, 5580, 1035, 255);
    QTest::newRow("Label15") << u"Label15"_s << u"1"_s << QRect(5520, 5640, 495, 195);
    QTest::newRow("Label14") << u"Label14"_s << u"件目から表示"_s << QRect(6060, 5640, 1155, 195);
    QTest::newRow("Text8") << u"Text8"_s << QString() << QRect(60, 5880, 8295, 360);
    QTest::newRow("Command4") << u"Command4"_s << u"文書表示"_s << QRect(180, 6360, 1605, 495);
    QTest::newRow("Command6") << u"Command6"_s << u"メ　モ"_s << QRect(1860, 6360, 1550, 495);
    QTest::newRow("Command8") << u"Command8"_s << u"コ ピ ー"_s << QRect(3480, 6360, 1550, 495);
    QTest::newRow("Command5") << u"Command5"_s << u"閉じる"_s << QRect(6720, 6360, 1550, 495);
    QTest::newRow("List1") << u"List1"_s << QString() << QRect(60, 6960, 8295, 3660);
    QTest::newRow("List2") << u"List2"_s << QString() << QRect(8760, 6900, 2415, 3480);
}

void TestForm3::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    Fixture f;
    Form3 window(f.context);
    QCOMPARE(window.size(), QSize(8430 / 15, 10695 / 15));
    QCOMPARE(window.windowTitle(), u"一般用医薬品情報"_s);
    auto *widget = window.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, qMax(1, twips.height() / 15)));
    QString text;
    if (auto *button = qobject_cast<QPushButton *>(widget))
        text = button->text();
    else if (auto *label = qobject_cast<QLabel *>(widget))
        text = label->text();
    QCOMPARE(text, caption);
    // Bordered captions lose a pixel on each side.
    const int room = widget->width() - (widget->styleSheet().contains(u"border"_s) ? 2 : 0);
    QVERIFY2(widget->fontMetrics().horizontalAdvance(text) <= room, "caption clipped");
}

void TestForm3::startsEmptyWithItsLists()
{
    Fixture f;
    Form3 window(f.context);
    QCOMPARE(window.y(), 0);
    QVERIFY(!Child<QPushButton>(window, "Command2")->isEnabled());
    QVERIFY(!Child<QPushButton>(window, "Command3")->isEnabled());
    QVERIFY(Child<QPushButton>(window, "Command1")->isDefault());
    QVERIFY(!Child<QListWidget>(window, "List2")->isVisibleTo(&window));
    QCOMPARE(Child<QComboBox>(window, "Combo3")->currentText(), u"指定なし"_s);
    QCOMPARE(Child<QComboBox>(window, "Combo1")->count(), 3);
    QCOMPARE(Child<QComboBox>(window, "Combo2")->currentText(), u"10件"_s);
    QCOMPARE(window.Paging().CurrentStart, 0);
    QCOMPARE(window.Paging().NextStart, 0);

    const QStringList order = {u"Text1"_s,   u"Text2"_s,    u"Combo3"_s,   u"Text3"_s,    u"Text4"_s,
                               u"Text5"_s,   u"Text6"_s,    u"Combo1"_s,   u"Text7"_s,    u"Combo2"_s,
                               u"Command1"_s, u"Command2"_s, u"Command3"_s, u"List1"_s,    u"Command4"_s,
                               u"Command6"_s, u"Command8"_s, u"Command5"_s, u"Text8"_s};
    QStringList chain;
    QWidget *widget = Child<QLineEdit>(window, "Text1");
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
    QTest::addColumn<QString>("combo");
    QTest::addColumn<int>("items");
    QTest::addColumn<QString>("key"); // as sent with the first item selected

    QTest::newRow("dosage forms, quoted comma kept whole")
        << u"DosageForm.param"_s << ParamFile({u"\"A,B\",甲"_s, u"C,乙"_s}) << u"Combo3"_s << 2
        << u"&cboDosageForm=A,B&"_s;
    QTest::newRow("missing efficacy file: key still sent")
        << u"txtEffect.param"_s << QByteArray() << u"Combo1"_s << 0 << u"&cboEffect=&"_s;
    QTest::newRow("empty count file") << u"count.param"_s << QByteArray("") << u"Combo2"_s << 0
                                      << u"&cboDisCnt=&"_s;
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
        QVERIFY(WriteBytes(f.state.AppPath + u'/' + file, bytes));
    Form3 window(f.context);
    auto *list = window.findChild<QComboBox *>(combo);
    QCOMPARE(list->count(), items);
    QCOMPARE(list->currentIndex(), items ? 0 : -1);
    QTest::mouseClick(Child<QPushButton>(window, "Command1"), Qt::LeftButton);
    QCOMPARE(f.server.Requests().size(), 1);
    QVERIFY2(f.Urls().first().contains(key), qPrintable(f.Urls().first()));
}

void TestForm3::enterInTextBoxSearchesWithTypedText()
{
    Fixture f;
    Form3 window(f.context);
    window.show();
    Child<QComboBox>(window, "Combo3")->setCurrentIndex(2);
    Child<QComboBox>(window, "Combo1")->setCurrentIndex(1);
    QTest::keyClicks(Child<QLineEdit>(window, "Text3"), u"A&B"_s);
    auto *text1 = Child<QLineEdit>(window, "Text1");
    Type(text1, u"ハルカゼ"_s);
    Child<QLineEdit>(window, "Text8")->setText(u"前の選択"_s);
    QTest::keyClick(text1, Qt::Key_Return);

    // The transfer writes unreserved characters plainly (%41 goes as A); the bytes
    // that the service decodes are the same.
    QCOMPARE(f.Urls(),
             QStringList{OnTheWire(f.state.ServiceBase
                         + u"/osearch/PackinsSearch?txtSaleName=%A5%CF%A5%EB%A5%AB%A5%BC&cboDosageForm=F002"
                           "&txtComName=&txtIngredient=%41%26%42&txtIngredient_Ex=&txtAdditive=&txtAdditive_Ex="
                           "&cboEffect=E0001&txtEffect=&btnSearch=%B8%A1%BA%F7%BC%C2%B9%D4&cboDisCnt=10&start=1"_s)});
    QCOMPARE(Items(Child<QListWidget>(window, "List1")), HaruKaze);
    const QStringList anchors = Items(Child<QListWidget>(window, "List2"));
    QCOMPARE(anchors.size(), 3);
    QCOMPARE(anchors.first(), u"<a href=\"/downfiles/otc/PDF/o0001.pdf\">ハルカゼ顆粒</a>"_s);
    QCOMPARE(Child<QLineEdit>(window, "Text8")->text(), QString());
    QVERIFY(!Child<QPushButton>(window, "Command2")->isEnabled());
    QVERIFY(!Child<QPushButton>(window, "Command3")->isEnabled());
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm3::pagingFollowsTheService()
{
    Fixture f;
    Form3 window(f.context);
    window.show();
    auto *list1 = Child<QListWidget>(window, "List1");
    auto *previous = Child<QPushButton>(window, "Command2");
    auto *next = Child<QPushButton>(window, "Command3");
    auto *label15 = Child<QLabel>(window, "Label15");
    auto *text8 = Child<QLineEdit>(window, "Text8");

    QTest::mouseClick(Child<QPushButton>(window, "Command1"), Qt::LeftButton);
    // The decoration anchor after イグスリ胃腸錠 is no hit; a bold and a capital-tag
    // hit read like the others.
    QCOMPARE(list1->count(), 10);
    QCOMPARE(list1->item(1)->text(), u"ネツサマシ錠ひばり薬品工業"_s);
    QCOMPARE(list1->item(3)->text(), u"イグスリ胃腸錠山吹製薬"_s);
    QCOMPARE(list1->item(4)->text(), u"セイチョウ散白樺ヘルスケア"_s);
    QCOMPARE(Child<QListWidget>(window, "List2")->item(1)->text(),
             u"<a href=\"/downfiles/otc/PDF/o0002.pdf\"><b>ネツサマシ錠</b></a>"_s);
    QVERIFY(!previous->isEnabled());
    QVERIFY(next->isEnabled());

    ClickRow(list1, 2);
    QCOMPARE(text8->text(), u"セキトメシロップ朝凪ファーマ"_s);

    QTest::mouseClick(next, Qt::LeftButton);
    QVERIFY(f.Urls().last().endsWith(u"&cboDisCnt=10&start=11"_s));
    QCOMPARE(label15->text(), u"11"_s);
    QCOMPARE(list1->item(0)->text(), u"ヒフナオシ軟膏青葉製薬"_s);
    QVERIFY(previous->isEnabled() && next->isEnabled());
    QCOMPARE(text8->text(), u"セキトメシロップ朝凪ファーマ"_s); // paging keeps the selection text

    // The step follows the page size chosen now; conditions are read anew.
    Child<QComboBox>(window, "Combo2")->setCurrentIndex(1);
    Type(Child<QLineEdit>(window, "Text2"), u"青葉"_s);
    QTest::mouseClick(next, Qt::LeftButton);
    QVERIFY(f.Urls().last().contains(u"&txtComName=%C0%C4%CD%D5&"_s));
    QVERIFY(f.Urls().last().endsWith(u"&cboDisCnt=20&start=21"_s));
    QCOMPARE(window.Paging().NextStart, 41);
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
    QTest::addColumn<QString>("saleName");
    QTest::addColumn<QString>("message");
    const QString bad = u"入力された条件が正しくありません。"_s;
    QTest::newRow("bad conditions") << u"不正"_s << bad;
    QTest::newRow("too many hits") << u"上限"_s
                                   << u"検索結果の上限は1000件です。\r\n条件を追加して絞込みを行なってください。"_s;
    QTest::newRow("both: the first refusal only") << u"不正上限"_s << bad;
}

void TestForm3::refusalsKeepThePreviousResult()
{
    QFETCH(QString, saleName);
    QFETCH(QString, message);
    Fixture f;
    Form3 window(f.context);
    window.show();
    Search(window, u"ハルカゼ"_s);
    ClickRow(Child<QListWidget>(window, "List1"), 1);
    Search(window, saleName);
    QCOMPARE(f.server.Requests().size(), 2);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().text, message);
    QCOMPARE(f.desktop.messages.first().title, u"入力エラー"_s);
    QCOMPARE(f.desktop.messages.first().icon, Desktop::Icon::None);
    QCOMPARE(Items(Child<QListWidget>(window, "List1")), HaruKaze);
    QCOMPARE(Child<QLineEdit>(window, "Text8")->text(), HaruKaze[1]);
    QVERIFY(!Child<QPushButton>(window, "Command3")->isEnabled());
}

void TestForm3::failedTransferMovesOnlyTheCounter()
{
    Fixture f;
    Form3 window(f.context);
    window.show();
    QTest::mouseClick(Child<QPushButton>(window, "Command1"), Qt::LeftButton);
    QCOMPARE(Child<QListWidget>(window, "List1")->count(), 10);
    f.state.ServiceBase = u"http://127.0.0.1:1"_s; // nothing listens there
    QTest::mouseClick(Child<QPushButton>(window, "Command3"), Qt::LeftButton);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, u"通信エラー"_s);
    QCOMPARE(Child<QLabel>(window, "Label15")->text(), u"11"_s);
    QCOMPARE(Child<QListWidget>(window, "List1")->count(), 10);
    QVERIFY(Child<QPushButton>(window, "Command3")->isEnabled());
}

void TestForm3::documentSavedUnderText8()
{
    Fixture f;
    Form3 window(f.context);
    window.show();
    Search(window, u"メグスリ"_s);
    ClickRow(Child<QListWidget>(window, "List1"), 0);
    auto *show = Child<QPushButton>(window, "Command4");
    QTest::mouseClick(show, Qt::LeftButton);
    const QString first = f.OtcFile(u"メグスリ点眼液朝凪ファーマ.pdf"_s);
    QCOMPARE(f.desktop.opened, QStringList{first});
    QCOMPARE(f.Urls().last(), f.state.ServiceBase + u"/downfiles/otc/PDF/o0008.pdf"_s);
    const QByteArray longer = ReadBytes(first);
    QVERIFY(longer.startsWith("%PDF-"));

    // The same hit again: a shorter document leaves nothing of the longer one.
    QTest::mouseClick(show, Qt::LeftButton);
    const QByteArray shorter = ReadBytes(first);
    QVERIFY(shorter.startsWith("%PDF-"));
    QVERIFY(shorter.size() < longer.size());
    QCOMPARE(shorter, PracticePdf(u"メグスリ点眼液"_s, 200 + 150 * 7));

    // The name is what Text8 holds, made safe for the file system.
    auto *text8 = Child<QLineEdit>(window, "Text8");
    text8->clear();
    Type(text8, u"目薬/夜:用*?"_s);
    QTest::mouseClick(show, Qt::LeftButton);
    QCOMPARE(f.desktop.opened.last(), f.OtcFile(u"目薬／夜：用＊？.pdf"_s));
    QCOMPARE(ReadBytes(f.desktop.opened.last()), shorter);
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm3::documentOnDoubleClickOrEnter_data()
{
    QTest::addColumn<bool>("doubleClick"); // else Enter in the list
    QTest::newRow("double-click") << true;
    QTest::newRow("Enter") << false;
}

void TestForm3::documentOnDoubleClickOrEnter()
{
    QFETCH(bool, doubleClick);
    Fixture f;
    Form3 window(f.context);
    window.show();
    Search(window, u"ハルカゼ"_s);
    auto *list = Child<QListWidget>(window, "List1");
    QTRY_COMPARE(list->count(), 3);
    const qsizetype searches = f.server.Requests().size();
    ClickRow(list, 1);
    QVERIFY(f.desktop.opened.isEmpty()); // a single click only picks the hit
    if (doubleClick)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    else
        QTest::keyClick(list, Qt::Key_Return);
    QTRY_COMPARE(f.desktop.opened, QStringList{f.OtcFile(u"ハルカゼ錠ひばり薬品工業.pdf"_s)});
    QCOMPARE(f.server.Requests().size(), searches + 1); // the document, and no new search
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm3::documentFailures_data()
{
    QTest::addColumn<QString>("saleName");
    QTest::addColumn<bool>("pageChange");
    QTest::addColumn<bool>("blockTarget");
    QTest::addColumn<QString>("title");
    QTest::addColumn<Desktop::Icon>("icon");

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
    ClickRow(Child<QListWidget>(window, "List1"), 0);
    const QString text = Child<QLineEdit>(window, "Text8")->text();
    QVERIFY(!text.isEmpty());
    if (pageChange)
        QTest::mouseClick(Child<QPushButton>(window, "Command3"), Qt::LeftButton);
    // A folder where the file should go makes the write fail.
    if (blockTarget)
        QVERIFY(QDir().mkpath(f.OtcFile(text + u".pdf"_s)));
    const qsizetype requests = f.server.Requests().size();
    QTest::mouseClick(Child<QPushButton>(window, "Command4"), Qt::LeftButton);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, title);
    QCOMPARE(f.desktop.messages.first().icon, icon);
    if (pageChange) {
        QCOMPARE(f.desktop.messages.first().text, u"医薬品を選択してください"_s);
        QCOMPARE(f.server.Requests().size(), requests);
        QCOMPARE(Child<QLineEdit>(window, "Text8")->text(), text);
    }
    QVERIFY(f.desktop.opened.isEmpty());
    QVERIFY(!QFileInfo(f.OtcFile(text + u".pdf"_s)).isFile());
}

void TestForm3::copyAndMemo()
{
    Fixture f;
    Form3 window(f.context);
    window.show();
    Type(Child<QLineEdit>(window, "Text2"), u"朝凪"_s);
    Type(Child<QLineEdit>(window, "Text4"), u"カフェイン"_s);
    Type(Child<QLineEdit>(window, "Text7"), u"頭痛"_s);
    Child<QComboBox>(window, "Combo3")->setCurrentIndex(1);
    Child<QComboBox>(window, "Combo1")->setCurrentIndex(2);
    Search(window, u"ハルカゼ"_s);
    QCOMPARE(Items(Child<QListWidget>(window, "List1")), QStringList{u"ハルカゼ液朝凪ファーマ"_s});

    QTest::mouseClick(Child<QPushButton>(window, "Command8"), Qt::LeftButton);
    QCOMPARE(f.desktop.clipboard, u"ハルカゼ液朝凪ファーマ\r\n"_s);

    QTest::mouseClick(Child<QPushButton>(window, "Command6"), Qt::LeftButton);
    const QString memo = f.state.AppPath + u"/一般用医薬品情報.txt"_s;
    QCOMPARE(f.desktop.opened, QStringList{memo});
    QCOMPARE(ReadBytes(memo), Sjis(u"販売名：ハルカゼ\r\n"
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
    QTest::mouseClick(Child<QPushButton>(window, "Command8"), Qt::LeftButton);
    QVERIFY(f.desktop.clipboardSet);
    QCOMPARE(f.desktop.clipboard, QString());
    QTest::mouseClick(Child<QPushButton>(window, "Command6"), Qt::LeftButton);
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
        QSignalSpy unloaded(&window, &WorkingWindow::Unloaded);
        if (byButton)
            QTest::mouseClick(Child<QPushButton>(window, "Command5"), Qt::LeftButton);
        else
            window.close();
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(!window.isVisible());
    }
}

QTEST_MAIN(TestForm3)
#include "test_Form3.moc"
