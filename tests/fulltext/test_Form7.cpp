#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

#include "Inserts.h"
#include "fulltext/Form7.h"
#include "fulltext/FullTextIndex.h"
#include "fulltext/PdfText.h"
#include "retrieval/OriginRecord.h"
#include "retrieval/SaveAndOpen.h"
#include "shell/Library.h"
#include "support/ProgramFixture.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

// The window "文書内容検索": layout, keyboard, the list and its commands, the page.
class TestForm7 : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void tabOrder();
    void searchListsDocumentsAndPages();
    void foldersChosenByCheckBoxes();
    void openCopyAndMemo();
    void emptySearchAndNoHits();
    void pageShownWithMatchesMarked();
    void checkAndFetchUpdates();
};

namespace {

// A library of three documents indexed beforehand; the window over it.
struct Fixture : ProgramFixture {
    QString indexPath = root.filePath(u"user/fulltext.sqlite"_s);
    // Where "メモ" writes the list of this window.
    QString memoPath() const
    {
        return (state.MemoPath.isEmpty() ? state.AppPath : state.MemoPath) + u"/文書内容検索.txt"_s;
    }
    Form7 *window = nullptr;

    explicit Fixture(bool withPdfs = false)
    {
        FullTextIndex index(indexPath);
        if (!index.openForUpdate())
            qFatal("no index");
        const auto store = [&](const QString &path, const QStringList &pages) {
            if (withPdfs) {
                Insert insert;
                insert.html = u"<p>"_s + pages.join(u"</p><p style=\"page-break-before: always\">"_s) + u"</p>"_s;
                WriteInsertPdf(insert, inLibrary(path));
            }
            if (!index.store(path, {1, 1}, pages))
                qFatal("not stored");
        };
        store(Library::Medical() + u"/甲錠.pdf"_s, {u"警告"_s, u"相互作用 ワルファリン 出血"_s, u"ワルファリン"_s});
        store(Library::Otc() + u"/乙.pdf"_s, {u"ワルファリン"_s});
        store(Library::Root() + u"/マニュアル.pdf"_s, {u"間質性肺炎"_s});
        if (!index.store(Library::Revision() + u"/読めない.pdf"_s, {1, 1}, std::nullopt))
            qFatal("not stored");
        Form7::Services services;
        services.indexPath = indexPath;
        services.helper = PdfTextHelper(QStringLiteral(HIBARI_APP_DIR));
        window = new Form7(context, services);
        window->show();
    }
    ~Fixture() { delete window; }

    void search(const QString &typed)
    {
        retype(child<QLineEdit>(window, "Text1"), typed);
        QTest::keyClick(child<QLineEdit>(window, "Text1"), Qt::Key_Return);
    }
    QStringList rows() const
    {
        QStringList lines;
        const auto *list = child<QTreeWidget>(window, "List1");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            lines.append(item->text(0) + u'|' + item->text(1) + u'|' + item->text(2));
        }
        return lines;
    }
    QString counts() const { return child<QLabel>(window, "Label2")->text(); }
};

} // namespace

void TestForm7::layout_data()
{
    layoutRows({
        {u"Text1", u"", {120, 120, 6735, 375}},
        {u"Command1", u"検　索", {6960, 90, 1455, 435}, u"rgb(255,192,128)"},
        {u"Frame1", u"検索対象", {0, 600, 11400, 675}},
        {u"Check1", u"［一般用］", {120, 240, 1500, 360}},
        {u"Check2", u"［患者向け］", {1680, 240, 1650, 360}},
        {u"Check3", u"［医療用］", {3390, 240, 1500, 360}},
        {u"Check4", u"［改訂指示］", {4950, 240, 1650, 360}},
        {u"Check5", u"重篤副作用疾患別対応マニュアル", {6660, 240, 4500, 360}},
        {u"Command2", u"文書表示", {120, 1380, 1545, 495}, u"rgb(128,255,128)"},
        {u"Command4", u"メ　モ", {1740, 1380, 1545, 495}, u"rgb(192,192,255)"},
        {u"Command3", u"コ ピ ー", {3360, 1380, 1545, 495}, u"rgb(255,255,0)"},
        {u"Command5", u"閉じる", {4980, 1380, 1545, 495}, u"rgb(255,255,128)"},
        {u"List1", u"", {0, 1980, 4800, 6360}},
        {u"Picture1", u"", {4920, 1980, 6480, 5820}},
        {u"Command6", u"前のページ", {4920, 7860, 1545, 435}},
        {u"Command7", u"次のページ", {9855, 7860, 1545, 435}},
        {u"Command8", u"最新版の確認", {120, 8430, 1950, 435}},
        {u"Command9", u"更新を取得", {2160, 8430, 1950, 435}},
        {u"Label4", u"", {4230, 8460, 7050, 375}}, // the counts come with a check
    });
}

void TestForm7::layout()
{
    Fixture f;
    checkLayout(*f.window, u"文書内容検索"_s, {11400, 8940});
}

void TestForm7::tabOrder()
{
    Fixture f;
    const QStringList order{u"Text1"_s,    u"Command1"_s, u"Check1"_s,   u"Check2"_s,   u"Check3"_s,   u"Check4"_s,
                            u"Check5"_s,   u"List1"_s,    u"Command2"_s, u"Command4"_s, u"Command3"_s, u"Command5"_s,
                            u"Command6"_s, u"Command7"_s, u"Command8"_s, u"Command9"_s};
    QStringList chain{order.first()};
    for (QWidget *widget = child<QWidget>(f.window, order.first())->nextInFocusChain();
         widget->objectName() != order.first(); widget = widget->nextInFocusChain()) {
        if (order.contains(widget->objectName()))
            chain.append(widget->objectName());
    }
    QCOMPARE(chain, order);
    for (const char *box : {"Check1", "Check2", "Check3", "Check4", "Check5"})
        QVERIFY(child<QCheckBox>(f.window, box)->isChecked());
}

void TestForm7::searchListsDocumentsAndPages()
{
    Fixture f;
    f.search(u"ﾜﾙﾌｧﾘﾝ"_s);
    QCOMPARE(f.rows(), (QStringList{u"乙|［一般用］|1"_s, u"甲錠|［医療用］|2, 3"_s}));
    QCOMPARE(f.counts(), u"文書 2 件　ページ 3 件"_s);
    click(f.window, "Command1"); // the button searches as Enter does
    QCOMPARE(f.rows().size(), 2);
    f.search(u"出血 警告"_s); // both terms in one document, on different pages
    QCOMPARE(f.rows(), QStringList{u"甲錠|［医療用］|1, 2"_s});
    f.search(u"読めない"_s); // a document found by its name whose text cannot be read
    QCOMPARE(f.rows(), QStringList{u"読めない|［改訂指示］|本文を読めません"_s});
    f.search(u"肺炎"_s);
    QCOMPARE(f.rows(), QStringList{u"マニュアル|重篤副作用疾患別対応マニュアル|1"_s});
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm7::foldersChosenByCheckBoxes()
{
    Fixture f;
    f.search(u"ワルファリン"_s);
    tick(*f.window, "Check3"); // off: ［医療用］ no longer searched
    QCOMPARE(f.rows(), QStringList{u"乙|［一般用］|1"_s});
    tick(*f.window, "Check1");
    QCOMPARE(f.rows(), QStringList());
    QCOMPARE(f.counts(), u"文書 0 件　ページ 0 件"_s);
}

void TestForm7::openCopyAndMemo()
{
    Fixture f;
    f.search(u"ワルファリン"_s);
    auto *list = child<QTreeWidget>(f.window, "List1");
    click(f.window, "Command2");
    QCOMPARE(f.desktop.messages.size(), 1); // nothing chosen: "医薬品を選択してください"
    list->setFocus();
    list->setCurrentItem(list->topLevelItem(0));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(f.desktop.opened, QStringList{f.inLibrary(Library::Otc() + u"/乙.pdf"_s)});
    const QPoint second = list->visualItemRect(list->topLevelItem(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second); // a double-click's first press
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    QCOMPARE(f.desktop.opened.size(), 2);
    QCOMPARE(f.desktop.opened.last(), f.inLibrary(Library::Medical() + u"/甲錠.pdf"_s));

    click(f.window, "Command3");
    QCOMPARE(f.desktop.clipboard, u"乙\t［一般用］\t1\r\n甲錠\t［医療用］\t2, 3\r\n"_s);
    click(f.window, "Command4");
    QCOMPARE(f.desktop.opened.last(), f.memoPath());
    QCOMPARE(readBytes(f.memoPath()), sjisBytes(u"ワルファリン\r\n乙\t［一般用］\t1\r\n甲錠\t［医療用］\t2, 3\r\n"_s));
}

void TestForm7::emptySearchAndNoHits()
{
    Fixture f;
    f.search(u"\u3000 "_s);
    QCOMPARE(f.desktop.messages.size(), 1);
    f.search(u"存在しない語"_s);
    QCOMPARE(f.desktop.messages.size(), 2);
    QVERIFY(f.rows().isEmpty());
    click(f.window, "Command4");
    QCOMPARE(f.desktop.messages.size(), 3); // nothing listed: "医薬品を選択してください"
    QCOMPARE(f.desktop.messages.last().text, u"医薬品を選択してください"_s);
    QVERIFY(!QFile::exists(f.memoPath()));
}

void TestForm7::pageShownWithMatchesMarked()
{
    Fixture f(true);
    f.search(u"ワルファリン"_s);
    auto *list = child<QTreeWidget>(f.window, "List1");
    QSignalSpy shown(f.window, &Form7::pageShown);
    list->setCurrentItem(list->topLevelItem(1)); // 甲錠
    QVERIFY(shown.wait(60000));
    QCOMPARE(f.window->shownPage(), 2);
    QVERIFY(f.window->markedMatches() >= 1);
    QVERIFY(!child<QPushButton>(f.window, "Command6")->isEnabled());
    QVERIFY(child<QPushButton>(f.window, "Command7")->isEnabled());
    click(f.window, "Command7");
    QVERIFY(shown.wait(60000));
    QCOMPARE(f.window->shownPage(), 3);
    QCOMPARE(f.window->markedMatches(), 1);
    QVERIFY(!child<QPushButton>(f.window, "Command7")->isEnabled());
    click(f.window, "Command6");
    QVERIFY(shown.wait(60000));
    QCOMPARE(f.window->shownPage(), 2);
}

void TestForm7::checkAndFetchUpdates()
{
    Fixture f;
    QTemporaryDir home; // the desktop's trash
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    f.state.OriginsPath = f.indexPath; // the records live beside the index
    f.state.ProgressDelayMs = 0;
    const QString url = f.state.ServiceBase + u"/practice/document.pdf"_s;
    const Inet1::Reply saved = f.inet.OpenURL(url);
    const QString stale = f.inLibrary(Library::Medical() + u"/甲錠.pdf"_s);
    QVERIFY(SaveAndOpenDocument(f.context, &f.owner, stale, saved.body, url, &f.inet));
    QFile unknown(f.inLibrary(Library::Otc() + u"/乙.pdf"_s)); // saved before origins were kept
    QVERIFY(unknown.open(QIODevice::WriteOnly));
    unknown.close();
    f.server.Revise({});

    f.search(u"ワルファリン"_s);
    click(f.window, "Command8");
    const auto *list = child<QTreeWidget>(f.window, "List1");
    QCOMPARE(list->topLevelItem(0)->text(3), u"取得元不明"_s);
    QCOMPARE(list->topLevelItem(1)->text(3), u"更新あり"_s);
    // The state stands beside the name, inside the narrow list.
    QCOMPARE(list->header()->visualIndex(3), 1);
    QVERIFY(list->header()->sectionViewportPosition(3) + list->header()->sectionSize(3) <= list->viewport()->width());
    const QString summary = u"最新 0  更新あり 1  取得元不明 1  見つかりません 0  通信エラー 0"_s;
    QCOMPARE(child<QLabel>(f.window, "Label4")->text(), summary);
    // The line has room for counts of four digits.
    const QString longest = QString(summary).replace(u'0', u"0000"_s).replace(u'1', u"1000"_s);
    child<QLabel>(f.window, "Label4")->setText(longest);
    checkControl(*f.window, u"Label4"_s, longest, {4230, 8460, 7050, 375});
    child<QLabel>(f.window, "Label4")->setText(summary);
    click(f.window, "Command3"); // the copy keeps its columns
    QCOMPARE(f.desktop.clipboard, u"乙\t［一般用］\t1\r\n甲錠\t［医療用］\t2, 3\r\n"_s);

    click(f.window, "Command9"); // answered no: nothing changes
    QCOMPARE(f.desktop.questions.size(), 1);
    QCOMPARE(list->topLevelItem(1)->text(3), u"更新あり"_s);
    f.desktop.askAnswers = {true};
    click(f.window, "Command9");
    QCOMPARE(f.desktop.messages.size(), 0);
    QCOMPARE(list->topLevelItem(1)->text(3), u"最新"_s);
    QFile now(stale);
    QVERIFY(now.open(QIODevice::ReadOnly));
    QVERIFY(now.readAll() != saved.body);
    QCOMPARE(QDir(home.filePath(u"Trash/files"_s)).entryList(QDir::Files).size(), 1);
    OriginStore origins(f.indexPath, f.state.DocumentsPath);
    QCOMPARE(origins.find(stale)->lastState, u"最新"_s);

    // The index still opens beside the records.
    FullTextIndex index(f.indexPath);
    QVERIFY(index.openForUpdate());
    QVERIFY(index.stamps().contains(Library::Otc() + u"/乙.pdf"_s));
}

QTEST_MAIN(TestForm7)
#include "test_Form7.moc"
