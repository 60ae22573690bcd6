#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "library/Form4.h"
#include "library/Form5.h"
#include "shell/Library.h"
#include "support/ProgramFixture.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

class TestForm4 : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void windowAndTabOrder();
    void listing_data();
    void listing();
    void missingFolderListsNothing();
    void openSelectedInListOrder();
    void openOnDoubleClickOrEnter_data();
    void openOnDoubleClickOrEnter();
    void emptyListMessages_data();
    void emptyListMessages();
    void rename_data();
    void rename();
    void renameRefused_data();
    void renameRefused();
    void memo_data();
    void memo();
    void memoWriteFailure_data();
    void memoWriteFailure();
    void copy_data();
    void copy();
    void closeBringsMenuBack();
};

namespace {

// The disk search window over an empty program folder.
struct Fixture : ProgramFixture {
    Form4 window{context};

    Fixture() : ProgramFixture(ParameterFiles) {}
    QString Folder(const QString &folder) const { return state.DocumentsPath + folder; }
    // A document whose bytes differ from every other's.
    void Save(const QString &folder, const QString &name) const
    {
        QVERIFY(writeBytes(Folder(folder) + u'/' + name, "%PDF-1.4 " + name.toUtf8()));
    }
    void choose(const QString &option) const { click(window, option); }
    QStringList Listed() const { return texts(child<QListWidget>(window, "List1")); }
    void Select(int row, Qt::KeyboardModifiers modifiers = {}) const
    {
        clickRow(child<QListWidget>(window, "List1"), row, modifiers);
    }
};

// Answers the rename dialog: checks what it offers, types a name, confirms; when the
// rename is refused it checks the typed name is still there and cancels.
void driveRename(QDialog *dialog, const QString &offeredFile, const QString &offeredName, const QString &typed,
                 bool refused)
{
    QCOMPARE(child<QLabel>(dialog, "Label1")->text(), offeredFile);
    auto *text = child<QLineEdit>(dialog, "Text1");
    QCOMPARE(text->text(), offeredName);
    text->selectAll();
    QTest::keyClick(text, Qt::Key_Delete);
    text->insert(typed); // as an input method commits it
    click(dialog, "Command1");
    QCOMPARE(dialog->isVisible(), refused);
    if (refused) {
        QCOMPARE(text->text(), typed);
        click(dialog, "Command2");
    }
}

void answerRename(Fixture &f, const QString &offeredFile, const QString &offeredName, const QString &typed,
                  bool refused)
{
    f.onModal([=](QDialog *dialog) {
        QVERIFY(qobject_cast<Form5 *>(dialog));
        driveRename(dialog, offeredFile, offeredName, typed, refused);
        if (dialog->isVisible())
            dialog->reject(); // a failed check must not leave the test waiting on the dialog
    });
}

} // namespace

void TestForm4::layout_data()
{
    layoutRows({
        {u"Frame1", u"医薬品文書種別", {0, 120, 8355, 1035}},
        {u"Option1", u"［一般用］", {120, 360, 1980, 540}, u"rgb(128,255,128)"},
        {u"Option2", u"［患者向け］", {2160, 360, 1980, 540}, u"rgb(128,255,128)"},
        {u"Option3", u"［医療用］", {4200, 360, 1980, 540}, u"rgb(255,255,128)"},
        {u"Option4", u"重篤副作用疾患別対応マニュアル", {6240, 360, 1980, 540}, u"rgb(255,255,128)"},
        {u"Command1", u"文書表示", {120, 1320, 1550, 495}, u"rgb(128,255,128)"},
        {u"Command5", u"メ　モ", {1740, 1320, 1550, 495}, u"rgb(192,192,255)"},
        {u"Command4", u"コ ピ ー", {3360, 1320, 1550, 495}, u"rgb(255,255,0)"},
        {u"Command3", u"文書名変更", {4980, 1320, 1550, 495}, u"rgb(128,255,255)"},
        {u"Command2", u"閉じる", {6600, 1320, 1550, 495}, u"rgb(255,255,128)"},
        {u"List1", u"", {0, 1920, 8355, 8700}},
    });
}

void TestForm4::layout()
{
    Fixture f;
    checkLayout(f.window, u"ディスク内検索"_s, {8385, 10650});
}

void TestForm4::windowAndTabOrder()
{
    Fixture f;
    QCOMPARE(f.window.windowTitle(), u"ディスク内検索"_s);
    QCOMPARE(f.window.size(), QSize(8385 / 15, 10650 / 15));
    QCOMPARE(f.window.y(), 0);
    const QStringList order{u"Option1"_s,  u"Option2"_s,  u"Option3"_s,  u"Option4"_s,  u"List1"_s,
                            u"Command1"_s, u"Command5"_s, u"Command4"_s, u"Command3"_s, u"Command2"_s};
    QStringList chain{order.first()};
    for (QWidget *widget = child<QWidget>(f.window, order.first())->nextInFocusChain();
         widget->objectName() != order.first(); widget = widget->nextInFocusChain()) {
        if (order.contains(widget->objectName()))
            chain.append(widget->objectName());
    }
    QCOMPARE(chain, order);
    QVERIFY(child<QListWidget>(f.window, u"List1"_s)->selectionMode() != QAbstractItemView::SingleSelection);
    QVERIFY(f.Listed().isEmpty());
}

void TestForm4::listing_data()
{
    addColumns<QString, QString, QStringList, QStringList>("option", "folder", "files", "listed");

    QTest::newRow("Option1 any case") << u"Option1"_s << Library::Otc() << QStringList{u"B.PDF"_s, u"A.pdf"_s}
                                      << QStringList{u"A"_s, u"B"_s};
    QTest::newRow("Option2 only pdf") << u"Option2"_s << Library::Patient() << QStringList{u"患者.pdf"_s, u"note.txt"_s}
                                      << QStringList{u"患者"_s};
    QTest::newRow("Option3 empty name") << u"Option3"_s << Library::Medical() << QStringList{u"x.pdf"_s, u".pdf"_s}
                                        << QStringList{QString(), u"x"_s};
    QTest::newRow("Option4 root only") << u"Option4"_s << Library::Root() << QStringList{u"manual.pdf"_s}
                                       << QStringList{u"manual"_s};
    QTest::newRow("no documents") << u"Option1"_s << Library::Otc() << QStringList() << QStringList();
}

void TestForm4::listing()
{
    QFETCH(QString, option);
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    QFETCH(QStringList, listed);
    Fixture f;
    for (const QString &other : Library::Folders()) // documents elsewhere never show
        f.Save(other, u"elsewhere.pdf"_s);
    QVERIFY(QFile::remove(f.Folder(folder) + u"/elsewhere.pdf"_s));
    for (const QString &name : files)
        f.Save(folder, name);
    f.choose(u"Option1"_s == option ? u"Option2"_s : u"Option1"_s);
    f.choose(option);
    QCOMPARE(f.Listed(), listed);
}

void TestForm4::missingFolderListsNothing()
{
    Fixture f;
    f.Save(Library::Patient(), u"A.pdf"_s);
    f.choose(u"Option2"_s);
    QCOMPARE(f.Listed(), QStringList{u"A"_s});
    QVERIFY(QDir(f.Folder(Library::Medical())).removeRecursively());
    f.choose(u"Option3"_s);
    QCOMPARE(f.Listed(), QStringList());
    click(f.window, u"Command1"_s);
    QCOMPARE(f.desktop.messages.size(), 1);
}

void TestForm4::openSelectedInListOrder()
{
    Fixture f;
    for (const QString &name : {u"c.pdf"_s, u"a.pdf"_s, u"b.PDF"_s})
        f.Save(Library::Medical(), name);
    f.choose(u"Option3"_s);
    f.Select(2);
    f.Select(0, Qt::ControlModifier);
    click(f.window, u"Command1"_s);
    const QString folder = f.Folder(Library::Medical());
    QCOMPARE(f.desktop.opened, (QStringList{folder + u"/a.pdf"_s, folder + u"/c.pdf"_s}));
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm4::openOnDoubleClickOrEnter_data()
{
    boolRows("doubleClick", {{"double-click", true}, {"Enter", false}}); // else Enter in the list
}

void TestForm4::openOnDoubleClickOrEnter()
{
    Fixture f;
    for (const QString &name : {u"a.pdf"_s, u"b.pdf"_s})
        f.Save(Library::Medical(), name);
    f.choose(u"Option3"_s);
    f.Select(1);
    QVERIFY(f.desktop.opened.isEmpty()); // a single click only picks the document
    auto *list = child<QListWidget>(f.window, "List1");
    if (fetch<bool>("doubleClick"))
        doubleClickRow(list, 1);
    else
        QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(f.desktop.opened, QStringList{f.Folder(Library::Medical()) + u"/b.pdf"_s});
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm4::emptyListMessages_data()
{
    QTest::addColumn<QString>("option"); // empty: no category chosen
    QTest::addColumn<QString>("button");

    for (const QString &button : {u"Command1"_s, u"Command3"_s, u"Command5"_s}) {
        QTest::addRow("%s no category", qPrintable(button)) << QString() << button;
        QTest::addRow("%s empty category", qPrintable(button)) << u"Option4"_s << button;
    }
    QTest::newRow("Command1 nothing current") << u"Option1"_s << u"Command1"_s;
    QTest::newRow("Command3 nothing current") << u"Option1"_s << u"Command3"_s;
}

void TestForm4::emptyListMessages()
{
    QFETCH(QString, option);
    QFETCH(QString, button);
    Fixture f;
    f.Save(Library::Otc(), u"A.pdf"_s); // listed by Option1 but never made current
    if (!option.isEmpty())
        f.choose(option);
    click(f.window, button);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages[0].text, u"医薬品を選択してください"_s);
    QCOMPARE(f.desktop.messages[0].title, u"選択エラー"_s);
    QVERIFY(f.desktop.opened.isEmpty());
    QCOMPARE(QDir(f.state.AppPath).entryList(QDir::Files), QStringList());
}

void TestForm4::rename_data()
{
    addColumns<QString, QString, QStringList>("typed", "renamed", "listed");

    QTest::newRow("plain name") << u"D"_s << u"D.pdf"_s << QStringList{u"C"_s, u"D"_s};
    QTest::newRow("upper-case extension") << u"B.PDF"_s << u"B.pdf"_s << QStringList{u"B"_s, u"C"_s};
    QTest::newRow("other extension") << u"B.pdf.txt"_s << u"B.pdf.txt.pdf"_s << QStringList{u"B.pdf.txt"_s, u"C"_s};
    QTest::newRow("unchanged") << u"A"_s << u"A.pdf"_s << QStringList{u"A"_s, u"C"_s};
    QTest::newRow("spaces kept") << u" E "_s << u" E .pdf"_s << QStringList{u" E "_s, u"C"_s};
}

void TestForm4::rename()
{
    QFETCH(QString, typed);
    QFETCH(QString, renamed);
    QFETCH(QStringList, listed);
    Fixture f;
    f.Save(Library::Medical(), u"A.pdf"_s);
    f.Save(Library::Medical(), u"C.pdf"_s);
    f.choose(u"Option3"_s);
    f.Select(0);
    answerRename(f, u"A.pdf"_s, u"A"_s, typed, false);
    click(f.window, u"Command3"_s);
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(f.desktop.messages.isEmpty());
    QCOMPARE(f.Listed(), listed);
    QCOMPARE(child<QListWidget>(f.window, u"List1"_s)->selectedItems().size(), 0);
    QCOMPARE(child<QListWidget>(f.window, u"List1"_s)->currentRow(), -1);
    const QDir folder(f.Folder(Library::Medical()));
    QCOMPARE(readBytes(folder.filePath(renamed)), QByteArray("%PDF-1.4 A.pdf"));
    QCOMPARE(readBytes(folder.filePath(u"C.pdf"_s)), QByteArray("%PDF-1.4 C.pdf"));
    QCOMPARE(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
}

void TestForm4::renameRefused_data()
{
    addColumns<QString, QString>("typed", "reason");

    QTest::newRow("other document's name") << u"C"_s << u"既にあります"_s;
    QTest::newRow("other document's name with extension") << u"C.PDF"_s << u"既にあります"_s;
    QTest::newRow("into the library root") << u"../C"_s << u"「/」"_s;
    QTest::newRow("into another category") << u"../［一般用］/A"_s << u"「/」"_s;
    QTest::newRow("empty name: a hidden file") << QString() << u"空です"_s;
}

void TestForm4::renameRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, reason);
    Fixture f;
    f.Save(Library::Medical(), u"A.pdf"_s);
    f.Save(Library::Medical(), u"C.pdf"_s);
    f.Save(Library::Root(), u"C.pdf"_s);
    f.choose(u"Option3"_s);
    f.Select(0);
    answerRename(f, u"A.pdf"_s, u"A"_s, typed, true);
    click(f.window, u"Command3"_s);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages[0].title, u"ファイル名変更エラー"_s);
    QCOMPARE(f.desktop.messages[0].icon, Desktop::Icon::Exclamation);
    QVERIFY2(f.desktop.messages[0].text.contains(reason), qPrintable(f.desktop.messages[0].text));
    QCOMPARE(f.Listed(), (QStringList{u"A"_s, u"C"_s}));
    const QDir medical(f.Folder(Library::Medical()));
    QCOMPARE(readBytes(medical.filePath(u"A.pdf"_s)), QByteArray("%PDF-1.4 A.pdf"));
    QCOMPARE(readBytes(medical.filePath(u"C.pdf"_s)), QByteArray("%PDF-1.4 C.pdf"));
    QCOMPARE(readBytes(f.Folder(Library::Root()) + u"/C.pdf"_s), QByteArray("%PDF-1.4 C.pdf"));
    QCOMPARE(QDir(f.Folder(Library::Otc())).entryList(QDir::Files), QStringList());
}

void TestForm4::memo_data()
{
    addColumns<QString, QString, QString>("option", "folder", "memo");

    QTest::newRow("Option1") << u"Option1"_s << Library::Otc() << u"［一般用］.txt"_s;
    QTest::newRow("Option2") << u"Option2"_s << Library::Patient() << u"［患者向け］.txt"_s;
    QTest::newRow("Option3") << u"Option3"_s << Library::Medical() << u"［医療用］.txt"_s;
    QTest::newRow("Option4") << u"Option4"_s << Library::Root() << u"重篤副作用疾患別対応マニュアル.txt"_s;
}

void TestForm4::memo()
{
    QFETCH(QString, option);
    QFETCH(QString, folder);
    QFETCH(QString, memo);
    Fixture f;
    for (const QString &name : {u"医薬品Ｂ.pdf"_s, u"a.PDF"_s, u"한.pdf"_s})
        f.Save(folder, name);
    const QString path = f.appFile(memo);
    QVERIFY(writeBytes(path, QByteArray(200, 'x'))); // notes of an earlier press are replaced
    f.choose(option);
    click(f.window, u"Command5"_s);
    QVERIFY(f.desktop.messages.isEmpty());
    QCOMPARE(readBytes(path), QByteArray("a\r\n\x88\xe3\x96\xf2\x95\x69\x82\x61\r\n?\r\n"));
    QCOMPARE(f.desktop.opened, QStringList{path});
}

void TestForm4::memoWriteFailure_data()
{
    QTest::addColumn<QString>("appPath");

    QTest::newRow("program folder is a file") << u"plain"_s;
    QTest::newRow("program folder missing") << u"missing"_s;
}

void TestForm4::memoWriteFailure()
{
    QFETCH(QString, appPath);
    Fixture f;
    QVERIFY(writeBytes(f.appFile(u"plain"_s), {}));
    f.state.AppPath = f.appFile(appPath);
    f.Save(Library::Otc(), u"A.pdf"_s);
    f.choose(u"Option1"_s);
    click(f.window, u"Command5"_s);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages[0].icon, Desktop::Icon::Exclamation);
    QVERIFY(f.desktop.messages[0].text.contains(u"［一般用］.txt"_s));
    QVERIFY(f.desktop.opened.isEmpty());
}

void TestForm4::copy_data()
{
    addColumns<QStringList, QString>("files", "clipboard");

    QTest::newRow("two documents") << QStringList{u"B.pdf"_s, u"A.PDF"_s} << u"A\r\nB\r\n"_s;
    QTest::newRow("empty list") << QStringList() << QString();
}

void TestForm4::copy()
{
    QFETCH(QStringList, files);
    QFETCH(QString, clipboard);
    Fixture f;
    for (const QString &name : files)
        f.Save(Library::Otc(), name);
    f.choose(u"Option1"_s);
    f.desktop.clipboard = u"earlier"_s;
    click(f.window, u"Command4"_s);
    QVERIFY(f.desktop.clipboardSet);
    QCOMPARE(f.desktop.clipboard, clipboard);
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm4::closeBringsMenuBack()
{
    Fixture f;
    f.window.show();
    QSignalSpy unloaded(&f.window, &WorkingWindow::unloaded);
    click(f.window, u"Command2"_s);
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!f.window.isVisible());
}

QTEST_MAIN(TestForm4)
#include "test_Form4.moc"
