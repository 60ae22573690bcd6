#include <optional>
#include <variant>

#include <QLabel>
#include <QRadioButton>

#include "FaultFixture.h"
#include "library/Form4.h"
#include "otc/Form3.h"
#include "prescription/Form1.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

// A document library or program folder that cannot be written, and a write cut short
// by the file-size limit: the user is told, nothing is opened in place of the new
// file, every earlier file keeps its bytes, and the window goes on working once the
// fault is gone.
class TestFaultsStorage : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void documentNotWritten_data();
    void documentNotWritten();
    void memoNotWritten_data();
    void memoNotWritten();
    void renameInUnwritableLibrary_data();
    void renameInUnwritableLibrary();
};

namespace {

const QString Otc = u"医薬品情報/［一般用］"_s;
const QString Patient = u"医薬品情報/［患者向け］"_s;
const QString Medical = u"医薬品情報/［医療用］"_s;
const QString Revision = u"医薬品情報/［改訂指示］"_s;

// A fault in place for as long as it lives; `holds` is false when this machine
// cannot set it up (the row is skipped then).
struct AppliedFault {
    std::optional<Fault::Immutable> immutable;
    std::optional<Fault::SizeLimit> limit;
    QString movedFolder, folder; // "is a file": the folder was moved aside
    bool holds = true;

    ~AppliedFault() { lift(); }
    void lift()
    {
        immutable.reset();
        limit.reset();
        if (!movedFolder.isEmpty()) {
            QFile::remove(folder);
            QDir().rename(movedFolder, folder);
            movedFolder.clear();
        }
    }
};

// kind: "is a file" (the folder becomes a regular file), "immutable" (target: the
// folder, or a file in it), "size limit" (writes stop after 8 bytes).
void apply(AppliedFault &fault, const QString &kind, const QString &target)
{
    if (kind == u"is a file"_s) {
        fault.folder = target;
        fault.movedFolder = target + u".moved"_s;
        QVERIFY(QDir().rename(target, fault.movedFolder));
        QVERIFY(writeBytes(target, "a file where the folder was\n"));
    } else if (kind == u"immutable"_s) {
        fault.immutable.emplace(target);
        fault.holds = fault.immutable->Holds();
    } else {
        fault.limit.emplace(8);
    }
}

using Window = std::variant<std::monostate, std::unique_ptr<Form1>, std::unique_ptr<Form3>, std::unique_ptr<Form4>>;

QWidget *Widget(const Window &window)
{
    if (const auto *form1 = std::get_if<std::unique_ptr<Form1>>(&window))
        return form1->get();
    if (const auto *form3 = std::get_if<std::unique_ptr<Form3>>(&window))
        return form3->get();
    return std::get<std::unique_ptr<Form4>>(window).get();
}

QWidget *Open(FaultFixture &f, Window &window, const QString &name)
{
    if (name == u"Form1"_s)
        window = std::make_unique<Form1>(f.context);
    else if (name == u"Form3"_s)
        window = std::make_unique<Form3>(f.context);
    else
        window = std::make_unique<Form4>(f.context);
    QWidget *widget = Widget(window);
    widget->show();
    return widget;
}

// Fills the window's list as a user would: a search, or a category of the library.
void fillList(QWidget *window, const QString &name, const QString &search)
{
    if (name == u"Form4"_s) {
        click(window, "Option3");
    } else {
        retype(child<QLineEdit>(window, "Text1"), search);
        click(window, u"Command1"_s);
    }
    QTRY_VERIFY(child<QListWidget>(window, "List1")->count() > 0);
}

} // namespace

void TestFaultsStorage::documentNotWritten_data()
{
    QTest::addColumn<QString>("window"); // Form1 (文書表示), Form6 (改訂指示履歴), Form3 (文書表示)
    addColumns<QString, int, QString>("search", "row", "fault");
    QTest::addColumn<QString>("folder");       // the folder that cannot be written
    QTest::addColumn<QStringList>("earlier");  // documents from an earlier download
    QTest::addColumn<QString>("notRequested"); // a later document that must not be fetched

    const QStringList form1Earlier = {Patient + u"/ハイバリン錠20mg.pdf"_s, Medical + u"/ハイバリン錠20mg.pdf"_s};
    const QStringList form6Earlier = {Revision + u"/トリノキサン錠：2023年04月　改訂.pdf"_s};
    const QStringList form3Earlier = {Otc + u"/ハルカゼ顆粒.pdf"_s};
    for (const QString &fault : {u"is a file"_s, u"immutable"_s, u"size limit"_s}) {
        // the guide comes first; a failed guide ends the command before the insert
        QTest::addRow("prescription guide, %s", qPrintable(fault))
            << u"Form1"_s << u"ハイバリン"_s << 1 << fault << Patient
            << (fault == u"is a file"_s ? form1Earlier.mid(1) : form1Earlier) << u"/downfiles/ph/PDF/"_s;
        QTest::addRow("revision entry, %s", qPrintable(fault))
            << u"Form6"_s << u"トリノキサン"_s << 0 << fault << Revision
            << (fault == u"is a file"_s ? QStringList() : form6Earlier) << QString();
        QTest::addRow("OTC document, %s", qPrintable(fault))
            << u"Form3"_s << u"ハルカゼ顆粒"_s << 0 << fault << Otc
            << (fault == u"is a file"_s ? QStringList() : form3Earlier) << QString();
    }
}

void TestFaultsStorage::documentNotWritten()
{
    QFETCH(QString, window);
    QFETCH(QString, search);
    QFETCH(int, row);
    QFETCH(QString, fault);
    QFETCH(QString, folder);
    QFETCH(QStringList, earlier);
    QFETCH(QString, notRequested);
    FaultFixture f;
    for (const QString &file : earlier)
        QVERIFY(writeBytes(f.inLibrary(file), PracticePdf(u"earlier copy of "_s + file, 9000)));

    Window holder;
    QWidget *form = Open(f, holder, window == u"Form3"_s ? window : u"Form1"_s);
    fillList(form, window, search);
    clickRow(child<QListWidget>(form, "List1"), row);

    const auto download = [&] { startDownload(f, form, window); };

    // The files are compared while the fault is still in place ("is a file" moves a
    // folder aside), the checks come after it is lifted.
    QMap<QString, QByteArray> before, after;
    {
        AppliedFault applied;
        apply(applied, fault, f.inLibrary(folder));
        if (!applied.holds)
            QSKIP("the file system does not offer the immutable attribute here");
        before = f.files();
        download();
        if (window != u"Form3"_s)
            QTRY_COMPARE(f.dialogsSeen, 1);
        after = f.files();
    }

    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, u"文書保存エラー"_s);
    QCOMPARE(f.desktop.messages.first().icon, Desktop::Icon::Exclamation);
    QVERIFY(!f.desktop.messages.first().waitCursor);
    QCOMPARE(f.desktop.opened, QStringList());
    QCOMPARE(after, before);
    if (!notRequested.isEmpty())
        QCOMPARE(f.requested(notRequested.toLatin1()), QStringList());

    // The fault gone, the same command saves and opens the new copy.
    f.desktop.messages.clear();
    f.dialogsSeen = 0;
    download();
    QTRY_VERIFY(!f.desktop.opened.isEmpty());
    QCOMPARE(f.desktop.messages.size(), 0);
    for (const QString &path : f.desktop.opened) {
        const QByteArray bytes = readBytes(path);
        QVERIFY2(bytes.startsWith("%PDF-") && bytes.endsWith("%%EOF\n") && bytes.size() < 9000, qPrintable(path));
    }
}

void TestFaultsStorage::memoNotWritten_data()
{
    addColumns<QString, QString>("window", "search");
    QTest::addColumn<QString>("memo"); // file name in the program folder
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("onFile"); // the fault is on the earlier memo file, not on the folder

    const QList<std::pair<QString, QString>> windows = {{u"Form1"_s, u"医療用医薬品情報.txt"_s},
                                                        {u"Form3"_s, u"一般用医薬品情報.txt"_s},
                                                        {u"Form4"_s, u"［医療用］.txt"_s}};
    for (const auto &[window, memo] : windows) {
        const QString search = window == u"Form1"_s ? u"ハイバリン"_s : u"ハルカゼ"_s;
        QTest::addRow("%s, program folder is a file", qPrintable(window))
            << window << search << memo << u"is a file"_s << false;
        QTest::addRow("%s, program folder immutable", qPrintable(window))
            << window << search << memo << u"immutable"_s << false;
        QTest::addRow("%s, memo file immutable", qPrintable(window))
            << window << search << memo << u"immutable"_s << true;
        QTest::addRow("%s, size limit", qPrintable(window)) << window << search << memo << u"size limit"_s << false;
    }
}

void TestFaultsStorage::memoNotWritten()
{
    QFETCH(QString, window);
    QFETCH(QString, search);
    QFETCH(QString, memo);
    QFETCH(QString, fault);
    QFETCH(bool, onFile);
    FaultFixture f;
    QVERIFY(writeBytes(f.inLibrary(Medical + u"/ハイバリン錠10mg.pdf"_s), PracticePdf(u"earlier"_s, 100)));
    // an earlier memo, longer than anything the limit lets through
    QVERIFY(writeBytes(f.state.AppPath + u'/' + memo, sjisBytes(u"前回のメモ\r\n"_s.repeated(200))));

    Window holder;
    QWidget *form = Open(f, holder, window);
    fillList(form, window, search);
    const QString memoButton = window == u"Form1"_s   ? u"Command8"_s
                               : window == u"Form3"_s ? u"Command6"_s
                                                      : u"Command5"_s;
    QMap<QString, QByteArray> before, after;
    {
        AppliedFault applied;
        apply(applied, fault, onFile ? f.state.AppPath + u'/' + memo : f.state.AppPath);
        if (!applied.holds)
            QSKIP("the file system does not offer the immutable attribute here");
        before = f.files();
        click(form, memoButton);
        after = f.files();
    }
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, u"メモ保存エラー"_s);
    QCOMPARE(f.desktop.messages.first().icon, Desktop::Icon::Exclamation);
    QVERIFY(f.desktop.messages.first().text.contains(memo));
    QCOMPARE(f.desktop.opened, QStringList());
    QCOMPARE(after, before);

    f.desktop.messages.clear();
    click(form, memoButton);
    QCOMPARE(f.desktop.messages.size(), 0);
    QCOMPARE(f.desktop.opened, QStringList{f.state.AppPath + u'/' + memo});
    QVERIFY(!readBytes(f.state.AppPath + u'/' + memo).contains(sjisBytes(u"前回のメモ"_s)));
}

void TestFaultsStorage::renameInUnwritableLibrary_data()
{
    QTest::addColumn<bool>("onFile"); // the document itself is immutable, not its folder
    QTest::newRow("category folder immutable") << false;
    QTest::newRow("document immutable") << true;
}

void TestFaultsStorage::renameInUnwritableLibrary()
{
    QFETCH(bool, onFile);
    FaultFixture f;
    const QString document = f.inLibrary(Medical + u"/ハイバリン錠10mg.pdf"_s);
    QVERIFY(writeBytes(document, PracticePdf(u"earlier"_s, 100)));
    Window holder;
    QWidget *form = Open(f, holder, u"Form4"_s);
    fillList(form, u"Form4"_s, QString());
    clickRow(child<QListWidget>(form, "List1"), 0);

    Fault::Immutable immutable(onFile ? document : f.inLibrary(Medical));
    if (!immutable.Holds())
        QSKIP("the file system does not offer the immutable attribute here");
    const QMap<QString, QByteArray> before = f.files();
    bool stayedOpen = false;
    f.onModal([&](QDialog *dialog) {
        auto *text = child<QLineEdit>(dialog, "Text1");
        text->selectAll();
        text->insert(u"ハイバリン錠10mg（旧）"_s);
        click(dialog, u"Command1"_s);
        stayedOpen = dialog->isVisible();
        click(dialog, u"Command2"_s);
    });
    click(form, u"Command3"_s);
    QCOMPARE(f.dialogsSeen, 1);
    QVERIFY(stayedOpen);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, u"ファイル名変更エラー"_s);
    QCOMPARE(f.desktop.messages.first().icon, Desktop::Icon::Exclamation);
    QCOMPARE(f.files(), before);
    auto *list = child<QListWidget>(form, "List1");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), u"ハイバリン錠10mg"_s);
}

QTEST_MAIN(TestFaultsStorage)
#include "test_faults_storage.moc"
