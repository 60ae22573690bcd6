#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "DocumentsFixture.h"
#include "PracticeCatalogue.h"
#include "prescription/Form2.h"
#include "prescription/Form6.h"
#include "prescription/PrescriptionDocuments.h"
#include "retrieval/Module1.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

using Saved = QList<std::pair<QString, QString>>; // file in the library, title of the document in it

class TestPrescriptionDocuments : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void downloads_data();
    void downloads();
    void choiceAcrossUses_data();
    void choiceAcrossUses();
    void firstFailureStops_data();
    void firstFailureStops();
    void replacedByShorterCopy_data();
    void replacedByShorterCopy();
    void messages_data();
    void messages();
    void history_data();
    void history();
    void historyWindowStaysOpenWhileDownloading();
};

namespace {

const QString insert10 = u"ハイバリン錠10mg"_s;
const QString insert20 = u"ハイバリン錠20mg"_s;
const QString guideManuals = u"ソラノマイシン注射用"_s;
const QString manualsOnly = u"ヒバリステロン軟膏"_s;
const QString all8 = u"ヒバリゾン錠5mg"_s;
const QString medical = u"医薬品情報/［医療用］/"_s;
const QString patient = u"医薬品情報/［患者向け］/"_s;
const QString root = u"医薬品情報/"_s;
const QStringList manualTitles = {u"間質性肺炎"_s, u"横紋筋融解症"_s, u"薬物性肝障害"_s, u"../../重篤副作用/皮膚"_s};

QStringList Titles(int n)
{
    return manualTitles.mid(0, n);
}

// What the user does in "ファイルの選択": "confirm" (after unticking and selecting),
// "double" (the same, the last manual double-clicked instead of selected), "return"
// (the same, then Enter in the list), "close" (閉じる), "escape" (Esc), "enter"
// (Enter on the focused 閉じる) or "frame" (the window's close box).
struct Choice {
    QString action;
    QStringList untick;
    QList<int> select;
};

struct DialogSeen {
    bool insertEnabled = false, insertChecked = false, guideEnabled = false, guideChecked = false;
    QStringList titles;
    QList<int> ticked; // the manuals showing a tick just before the choice is confirmed
};

QList<int> Ticked(const QListWidget *list)
{
    QList<int> rows;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked)
            rows.append(i);
    }
    return rows;
}

void choose(QDialog *dialog, const Choice &choice, DialogSeen *seen)
{
    auto *check1 = child<QCheckBox>(dialog, "Check1");
    auto *check2 = child<QCheckBox>(dialog, "Check2");
    auto *list = child<QListWidget>(dialog, "List1");
    if (seen)
        *seen = {check1->isEnabled(), check1->isChecked(), check2->isEnabled(), check2->isChecked(), texts(list), {}};
    if (choice.action == u"frame"_s) {
        dialog->close();
        return;
    }
    if (choice.action == u"close"_s) {
        click(dialog, "Command2");
        return;
    }
    if (choice.action == u"escape"_s) {
        QTest::keyClick(list, Qt::Key_Escape);
        return;
    }
    if (choice.action == u"enter"_s) {
        auto *close = child<QPushButton>(dialog, "Command2");
        close->setFocus();
        QTest::keyClick(close, Qt::Key_Return);
        return;
    }
    for (const QString &name : choice.untick)
        click(dialog, name);
    const bool twice = choice.action == u"double"_s;
    for (const int row : twice ? choice.select.mid(0, choice.select.size() - 1) : choice.select)
        clickRow(list, row);
    if (seen)
        seen->ticked = Ticked(list);
    if (twice)
        doubleClickRow(list, choice.select.last());
    else if (choice.action == u"return"_s)
        QTest::keyClick(list, Qt::Key_Return);
    else
        click(dialog, "Command1");
}

void Show(DocumentsFixture &f, int id, const QString &name, const Choice &choice, DialogSeen *seen = nullptr)
{
    if (!choice.action.isEmpty())
        f.onModal([choice, seen](QDialog *dialog) { choose(dialog, choice, seen); });
    ShowPrescriptionDocuments(f.context, &f.owner, f.inet, 0, DocumentsFixture::Row(id, name), name);
}

bool IsWholePdf(const QByteArray &bytes)
{
    return bytes.startsWith("%PDF-") && bytes.endsWith("%%EOF\n") && bytes.count("%PDF-") == 1;
}

} // namespace

void TestPrescriptionDocuments::layout_data()
{
    addColumns<QString, QString, QString, QRect>("form", "name", "caption", "twips");

    QTest::newRow("Form2 Check2") << u"Form2"_s << u"Check2"_s << u"患者向医薬品ガイド"_s << QRect(360, 240, 2775, 360);
    QTest::newRow("Form2 Check1") << u"Form2"_s << u"Check1"_s << u"医薬品添付文書情報"_s << QRect(360, 840, 2775, 360);
    QTest::newRow("Form2 Command1") << u"Form2"_s << u"Command1"_s << u"文書表示"_s << QRect(4380, 480, 1815, 555);
    QTest::newRow("Form2 Command2") << u"Form2"_s << u"Command2"_s << u"閉じる"_s << QRect(6300, 480, 1815, 555);
    QTest::newRow("Form2 Label1") << u"Form2"_s << u"Label1"_s << u"重篤副作用疾患別対応マニュアル"_s
                                  << QRect(120, 1440, 3795, 255);
    QTest::newRow("Form2 List1") << u"Form2"_s << u"List1"_s << QString() << QRect(60, 1740, 8175, 3300);
    QTest::newRow("Form6 Command2") << u"Form6"_s << u"Command2"_s << u"文書表示"_s << QRect(3720, 120, 1335, 435);
    QTest::newRow("Form6 Command1") << u"Form6"_s << u"Command1"_s << u"閉じる"_s << QRect(5400, 120, 1335, 435);
    QTest::newRow("Form6 Label2") << u"Form6"_s << u"Label2"_s << u"医薬品名"_s << QRect(60, 360, 1455, 315);
    QTest::newRow("Form6 Label1") << u"Form6"_s << u"Label1"_s << QString() << QRect(60, 660, 6915, 255);
    QTest::newRow("Form6 List1") << u"Form6"_s << u"List1"_s << QString() << QRect(60, 960, 6915, 3180);
    QTest::newRow("Form6 List2") << u"Form6"_s << u"List2"_s << QString() << QRect(7200, 600, 2115, 3180);
}

void TestPrescriptionDocuments::layout()
{
    QFETCH(QString, form);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    DocumentsFixture f;
    std::unique_ptr<QDialog> dialog;
    if (form == u"Form2"_s)
        dialog = std::make_unique<Form2>(f.context, &f.owner);
    else
        dialog = std::make_unique<Form6>(f.context, &f.owner);
    QCOMPARE(dialog->windowTitle(), form == u"Form2"_s ? u"ファイルの選択"_s : u"改訂指示反映履歴"_s);
    QCOMPARE(dialog->size(), form == u"Form2"_s ? QSize(8310 / 15, 5100 / 15) : QSize(7050 / 15, 4200 / 15));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    checkControl(*dialog, name, caption, twips);
    dialog->show();
    QCOMPARE(child(*dialog, name)->isVisible(), name != u"List2"_s || form == u"Form2"_s);
}

void TestPrescriptionDocuments::downloads_data()
{
    addColumns<int, QString>("id", "name");
    QTest::addColumn<QString>("action"); // empty: no dialog may appear
    addColumns<QStringList, QList<int>>("untick", "select");
    QTest::addColumn<QList<bool>>("boxes"); // Check1, Check2 enabled (and checked) when the dialog opened
    addColumns<QStringList, Saved>("titles", "saved");

    const QList<bool> both{true, true};
    QTest::newRow("insert only: at once, no dialog")
        << 1 << insert10 << QString() << QStringList{} << QList<int>{} << QList<bool>{} << QStringList{}
        << Saved{{medical + insert10 + u".pdf"_s, u"添付文書 "_s + insert10}};
    QTest::newRow("insert and guide: guide opened first")
        << 2 << insert20 << u"confirm"_s << QStringList{} << QList<int>{} << both << QStringList{}
        << Saved{{patient + insert20 + u".pdf"_s, u"患者向医薬品ガイド "_s + insert20},
                 {medical + insert20 + u".pdf"_s, u"添付文書 "_s + insert20}};
    QTest::newRow("guide and manuals: no insert box")
        << 3 << guideManuals << u"confirm"_s << QStringList{} << QList<int>{1} << QList<bool>{false, true} << Titles(3)
        << Saved{{patient + guideManuals + u".pdf"_s, u"患者向医薬品ガイド "_s + guideManuals},
                 {root + u"横紋筋融解症.pdf"_s, u"横紋筋融解症"_s}};
    QTest::newRow("second and fourth of four manuals, title kept inside the library")
        << 8 << all8 << u"confirm"_s << QStringList{u"Check1"_s, u"Check2"_s} << QList<int>{1, 3} << both << Titles(4)
        << Saved{{root + u"横紋筋融解症.pdf"_s, u"横紋筋融解症"_s},
                 {root + u"..／..／重篤副作用／皮膚.pdf"_s, u"../../重篤副作用/皮膚"_s}};
    QTest::newRow("閉じる fetches nothing")
        << 2 << insert20 << u"close"_s << QStringList{} << QList<int>{} << both << QStringList{} << Saved{};
    QTest::newRow("Esc on first use fetches nothing")
        << 8 << all8 << u"escape"_s << QStringList{} << QList<int>{} << both << Titles(4) << Saved{};
    QTest::newRow("Enter on the focused 閉じる fetches nothing")
        << 8 << all8 << u"enter"_s << QStringList{} << QList<int>{} << both << Titles(4) << Saved{};
    QTest::newRow("close box fetches nothing")
        << 8 << all8 << u"frame"_s << QStringList{} << QList<int>{} << both << Titles(4) << Saved{};
    QTest::newRow("double-click on a manual fetches it with what is ticked")
        << 8 << all8 << u"double"_s << QStringList{u"Check1"_s} << QList<int>{1, 3} << both << Titles(4)
        << Saved{{patient + all8 + u".pdf"_s, u"患者向医薬品ガイド "_s + all8},
                 {root + u"横紋筋融解症.pdf"_s, u"横紋筋融解症"_s},
                 {root + u"..／..／重篤副作用／皮膚.pdf"_s, u"../../重篤副作用/皮膚"_s}};
    QTest::newRow("Enter in the list fetches what is ticked")
        << 8 << all8 << u"return"_s << QStringList{u"Check2"_s} << QList<int>{0} << both << Titles(4)
        << Saved{{medical + all8 + u".pdf"_s, u"添付文書 "_s + all8}, {root + u"間質性肺炎.pdf"_s, u"間質性肺炎"_s}};
    QTest::newRow("manuals only: boxes off, manual chosen")
        << 4 << manualsOnly << u"confirm"_s << QStringList{} << QList<int>{0} << QList<bool>{false, false} << Titles(2)
        << Saved{{root + u"間質性肺炎.pdf"_s, u"間質性肺炎"_s}};
    QTest::newRow("manuals only: frame close fetches nothing")
        << 4 << manualsOnly << u"frame"_s << QStringList{} << QList<int>{} << QList<bool>{false, false} << Titles(2)
        << Saved{};
    // The longest names the service serves: each document keeps a file of its own,
    // the two manuals too, whose titles differ only past the cut ("…*": the mark).
    const QString longName = PracticeLongDrugName();
    QTest::newRow("longest names: four files")
        << PracticeLongDrugId << longName << u"confirm"_s << QStringList{} << QList<int>{0, 1} << both
        << QStringList{PracticeLongManualTitle(1), PracticeLongManualTitle(2)}
        << Saved{{patient + longName.left(80) + u"…*.pdf"_s, u"患者向医薬品ガイド "_s + longName},
                 {medical + longName.left(80) + u"…*.pdf"_s, u"添付文書 "_s + longName},
                 {root + PracticeLongManualTitle(1).left(80) + u"…*.pdf"_s, PracticeLongManualTitle(1)},
                 {root + PracticeLongManualTitle(2).left(80) + u"…*.pdf"_s, PracticeLongManualTitle(2)}};
    QTest::newRow("name with / and :") << 7 << u"A/B配合錠:試験用"_s << QString() << QStringList{} << QList<int>{}
                                       << QList<bool>{} << QStringList{}
                                       << Saved{
                                              {medical + u"A／B配合錠：試験用.pdf"_s, u"添付文書 A/B配合錠:試験用"_s}};
}

void TestPrescriptionDocuments::downloads()
{
    QFETCH(int, id);
    QFETCH(QString, name);
    QFETCH(QString, action);
    QFETCH(QStringList, untick);
    QFETCH(QList<int>, select);
    QFETCH(QList<bool>, boxes);
    QFETCH(QStringList, titles);
    QFETCH(Saved, saved);
    DocumentsFixture f;
    DialogSeen seen;
    Show(f, id, name, {action, untick, select}, &seen);

    QCOMPARE(f.dialogsSeen, action.isEmpty() ? 0 : 1);
    if (!action.isEmpty()) {
        QCOMPARE((QList<bool>{seen.insertEnabled, seen.guideEnabled}), boxes);
        QCOMPARE((QList<bool>{seen.insertChecked, seen.guideChecked}), boxes);
        QCOMPARE(seen.titles, titles);
        if (action == u"confirm"_s || action == u"return"_s)
            QCOMPARE(seen.ticked, select);
        if (action == u"double"_s)
            QCOMPARE(seen.ticked, select.mid(0, select.size() - 1));
    }
    QCOMPARE(f.desktop.messages.size(), 0);
    QStringList opened;
    for (const auto &[file, title] : saved)
        opened.append(f.inLibrary(file));
    opened = resolveCuts(opened, f.desktop.opened);
    QCOMPARE(f.desktop.opened, opened);
    QStringList files;
    for (qsizetype i = 0; i < saved.size(); ++i) {
        files.append(QDir(f.inLibrary({})).relativeFilePath(opened[i]));
        const QByteArray bytes = readBytes(opened[i]);
        QVERIFY2(IsWholePdf(bytes), qPrintable(opened[i]));
        QVERIFY2(bytes.contains(PdfTitleBytes(saved[i].second)), qPrintable(opened[i]));
    }
    files.sort();
    QCOMPARE(f.allFiles(), files); // as many files as documents
}

void TestPrescriptionDocuments::choiceAcrossUses_data()
{
    QTest::addColumn<QString>("first"); // what the user did in the dialog for drug 2 (or 3)
    QTest::addColumn<int>("firstId");
    QTest::addColumn<QStringList>("then");  // files opened when drug 8's dialog is closed by its frame
    QTest::addColumn<QList<bool>>("flags"); // FetchInsert, FetchGuide afterwards

    // Whatever was chosen before, the close box fetches nothing and clears the choice.
    QTest::newRow("after 閉じる") << u"close"_s << 2 << QStringList{} << QList<bool>{false, false};
    QTest::newRow("after confirming without an insert box")
        << u"confirm"_s << 3 << QStringList{} << QList<bool>{false, false};
    QTest::newRow("after confirming both") << u"confirm"_s << 2 << QStringList{} << QList<bool>{false, false};
}

void TestPrescriptionDocuments::choiceAcrossUses()
{
    QFETCH(QString, first);
    QFETCH(int, firstId);
    QFETCH(QStringList, then);
    QFETCH(QList<bool>, flags);
    DocumentsFixture f;
    Show(f, firstId, u"最初の薬"_s, {first, {}, {}});
    f.desktop.opened.clear();
    Show(f, 8, all8, {u"frame"_s, {}, {}});
    QCOMPARE(f.dialogsSeen, 2);
    QStringList opened;
    for (const QString &file : then)
        opened.append(f.inLibrary(file));
    QCOMPARE(f.desktop.opened, opened);
    QCOMPARE((QList<bool>{f.state.FetchInsert, f.state.FetchGuide}), flags);
    QCOMPARE(f.state.ManualMarks, QList<bool>(4, false));
}

void TestPrescriptionDocuments::firstFailureStops_data()
{
    QTest::addColumn<int>("id");
    QTest::newRow("HTTP 500 on the insert") << 91;
    QTest::newRow("connection reset in the insert") << 92;
}

void TestPrescriptionDocuments::firstFailureStops()
{
    QFETCH(int, id);
    DocumentsFixture f;
    const QString name = u"失敗する薬"_s;
    Show(f, id, name, {u"confirm"_s, {}, {0}}); // guide, insert, one manual
    QCOMPARE(f.desktop.opened, QStringList{f.inLibrary(patient + name + u".pdf"_s)});
    QCOMPARE(f.allFiles(), QStringList{patient + name + u".pdf"_s});
    QCOMPARE(f.requested("/juutoku/"), QStringList{});
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages[0].title, u"通信エラー"_s);
    QCOMPARE(f.desktop.messages[0].icon, Desktop::Icon::Exclamation);
}

void TestPrescriptionDocuments::replacedByShorterCopy_data()
{
    boolRows("history", {{"package insert", false}, {"revision history entry", true}});
}

void TestPrescriptionDocuments::replacedByShorterCopy()
{
    QFETCH(bool, history);
    DocumentsFixture f;
    const QString name = u"トリノキサン錠"_s; // insert, guide and a history
    QList<qsizetype> sizes;
    QString file;
    if (history) {
        file = f.inLibrary(u"医薬品情報/［改訂指示］/トリノキサン錠：2023年04月　改訂.pdf"_s);
        f.onModal([&](QDialog *window) {
            auto *list = child<QListWidget>(window, "List1");
            for (int i = 0; i < 2; ++i) {
                list->setCurrentRow(0);
                click(window, "Command2");
                sizes.append(readBytes(file).size());
            }
            window->close();
        });
        ShowRevisionHistory(f.context, &f.owner, f.inet, 0, DocumentsFixture::Row(6, name), name);
    } else {
        file = f.inLibrary(medical + insert10 + u".pdf"_s);
        for (int i = 0; i < 2; ++i) {
            Show(f, 1, insert10, {});
            sizes.append(readBytes(file).size());
        }
    }
    QCOMPARE(sizes.size(), 2);
    QVERIFY2(sizes[1] < sizes[0], "the service sends a shorter copy the second time");
    QVERIFY(IsWholePdf(readBytes(file)));
    QCOMPARE(f.desktop.opened, (QStringList{file, file}));
}

void TestPrescriptionDocuments::messages_data()
{
    addColumns<bool, int, QString, QString, QString, bool>("history", "index", "row", "text", "title", "exclamation");

    const QString noDocuments = u"指定の医薬品には説明文書がありません"_s;
    const QString noHistory = u"改訂指示反映履歴はありません"_s;
    for (const bool history : {false, true}) {
        const char *kind = history ? "history: " : "documents: ";
        QTest::addRow("%sno selection", kind) << history << -1 << DocumentsFixture::Row(1, insert10)
                                              << u"医薬品を選択してください"_s << u"選択エラー"_s << false;
        QTest::addRow("%srow without link", kind)
            << history << 0 << u"<TR><TD>名前</TD></TR>"_s << noDocuments << u"文書情報無し"_s << false;
        QTest::addRow("%shit page without foot frame", kind)
            << history << 0 << DocumentsFixture::Row(10, u"カゼナシ顆粒"_s) << noDocuments << u"文書情報無し"_s
            << false;
        // The service says it has no such page: not the same as a drug without documents.
        QTest::addRow("%sunknown hit page", kind)
            << history << 0 << DocumentsFixture::Row(999, u"無い薬"_s)
            << u"サーバーがエラーを返しました（HTTP 404）。ページが見つかりません。"_s << u"通信エラー"_s << true;
    }
    QTest::newRow("documents: nothing offered")
        << false << 0 << DocumentsFixture::Row(5, u"ナシノール散"_s) << noDocuments << u"文書情報無し"_s << false;
    QTest::newRow("history: no heading") << true << 0 << DocumentsFixture::Row(1, insert10) << noHistory
                                         << u"データなし"_s << true;
    QTest::newRow("history: heading without links")
        << true << 0 << DocumentsFixture::Row(9, u"クモリン点眼液"_s) << noHistory << u"データなし"_s << true;
}

void TestPrescriptionDocuments::messages()
{
    QFETCH(bool, history);
    QFETCH(int, index);
    QFETCH(QString, row);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(bool, exclamation);
    DocumentsFixture f;
    f.onModal([](QDialog *dialog) { dialog->close(); });
    if (history)
        ShowRevisionHistory(f.context, &f.owner, f.inet, index, row, u"薬"_s);
    else
        ShowPrescriptionDocuments(f.context, &f.owner, f.inet, index, row, u"薬"_s);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages[0].text, text);
    QCOMPARE(f.desktop.messages[0].title, title);
    QCOMPARE(f.desktop.messages[0].icon, exclamation ? Desktop::Icon::Exclamation : Desktop::Icon::None);
    QCOMPARE(f.dialogsSeen, 0);
    QCOMPARE(f.allFiles(), QStringList{});
    if (index < 0)
        QCOMPARE(f.server.Requests().size(), 0);
}

void TestPrescriptionDocuments::history_data()
{
    addColumns<int, QString, QStringList>("id", "name", "texts");
    QTest::addColumn<QList<int>>("chosen"); // -1: 文書表示 with nothing selected
    QTest::addColumn<QString>("gesture");   // "button": select, 文書表示; "double": double-click; "enter"
    QTest::addColumn<QStringList>("files"); // opened, in the revision folder
    QTest::addColumn<QStringList>("messages");

    const QStringList three = {u"2023年04月　改訂"_s, u"2021年10月　　用法追加"_s, u"第2版/追補:1"_s};
    QTest::newRow("two entries of one drug")
        << 6 << u"トリノキサン錠"_s << three << QList<int>{0, 2} << u"button"_s
        << QStringList{u"トリノキサン錠：2023年04月　改訂.pdf"_s, u"トリノキサン錠：第2版／追補：1.pdf"_s}
        << QStringList{};
    QTest::newRow("double-click on an entry") << 6 << u"トリノキサン錠"_s << three << QList<int>{2} << u"double"_s
                                              << QStringList{u"トリノキサン錠：第2版／追補：1.pdf"_s} << QStringList{};
    QTest::newRow("Enter on an entry") << 6 << u"トリノキサン錠"_s << three << QList<int>{0} << u"enter"_s
                                       << QStringList{u"トリノキサン錠：2023年04月　改訂.pdf"_s} << QStringList{};
    QTest::newRow("nothing selected") << 6 << u"トリノキサン錠"_s << three << QList<int>{-1} << u"button"_s
                                      << QStringList{}
                                      << QStringList{u"選択エラー:改訂指示反映履歴を選択してください"_s};
    QTest::newRow("relative link, then an absolute one")
        << 8 << all8 << three + QStringList{u"旧様式"_s} << QList<int>{3, 1} << u"button"_s
        << QStringList{all8 + u"：旧様式.pdf"_s, all8 + u"：2021年10月　　用法追加.pdf"_s} << QStringList{};
    // The longest drug name the service serves: its end is cut ("…*": the mark), each
    // entry keeps its text and a file of its own.
    const QString longName = PracticeLongDrugName();
    QTest::newRow("longest drug name: three entries, three files")
        << PracticeLongDrugId << longName << three + QStringList{u"旧様式"_s} << QList<int>{0, 1, 2} << u"button"_s
        << QStringList{longName.left(72) + u"…*：2023年04月　改訂.pdf"_s,
                       longName.left(69) + u"…*：2021年10月　　用法追加.pdf"_s,
                       longName.left(72) + u"…*：第2版／追補：1.pdf"_s}
        << QStringList{};
}

void TestPrescriptionDocuments::history()
{
    QFETCH(int, id);
    QFETCH(QString, name);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, chosen);
    QFETCH(QString, gesture);
    QFETCH(QStringList, files);
    QFETCH(QStringList, messages);
    DocumentsFixture f;
    QStringList shown, raw;
    QString label;
    f.onModal([&](QDialog *window) {
        auto *list = child<QListWidget>(window, "List1");
        auto *hidden = child<QListWidget>(window, "List2");
        label = child<QLabel>(window, "Label1")->text();
        shown = ::texts(list);
        raw = ::texts(hidden);
        for (const int row : chosen) {
            if (gesture == u"double"_s) {
                doubleClickRow(list, row);
                continue;
            }
            if (row >= 0)
                clickRow(list, row);
            if (gesture == u"enter"_s)
                QTest::keyClick(list, Qt::Key_Return);
            else
                click(window, "Command2");
        }
        click(window, "Command1");
    });
    ShowRevisionHistory(f.context, &f.owner, f.inet, 0, DocumentsFixture::Row(id, name), name);

    QCOMPARE(f.dialogsSeen, 1);
    QCOMPARE(label, name);
    QCOMPARE(shown, texts);
    for (int i = 0; i < raw.size(); ++i) {
        QVERIFY2(raw[i].startsWith(u"href=\""_s) && raw[i].endsWith(u"</a>"_s), qPrintable(raw[i]));
        QVERIFY(raw[i].contains(u'>' + QString(texts[i]).replace(u"　"_s, u"&nbsp;"_s) + u"</a>"_s));
    }
    QStringList opened, saved;
    for (const QString &file : files)
        opened.append(f.inLibrary(u"医薬品情報/［改訂指示］/"_s + file));
    opened = resolveCuts(opened, f.desktop.opened);
    for (const QString &file : opened) {
        saved.append(QDir(f.inLibrary({})).relativeFilePath(file));
        QVERIFY(IsWholePdf(readBytes(file)));
    }
    QCOMPARE(f.desktop.opened, opened);
    saved.sort(); // as the folder lists them
    QCOMPARE(f.allFiles(), saved);
    QStringList said;
    for (const auto &message : f.desktop.messages)
        said.append(message.title + u':' + message.text);
    QCOMPARE(said, messages);
}

void TestPrescriptionDocuments::historyWindowStaysOpenWhileDownloading()
{
    DocumentsFixture f;
    f.state.TransferTimeoutMs = 3000; // the stalled answer ends as a transfer failure
    Form6 window(f.context, &f.owner);
    window.fill(u"薬"_s, {u"href=\""_s + f.server.BaseUrl() + u"/revision/stall.pdf\">止まる</a>"_s});
    window.show();
    auto *list = child<QListWidget>(window, "List1");
    list->setCurrentRow(0);

    bool stayed = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (f.requested("/revision/stall.pdf").isEmpty())
            return;
        poll.stop();
        window.close();
        window.reject();
        stayed = window.isVisible();
    });
    poll.start(5);
    window.Command2_Click();
    QVERIFY(stayed);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages[0].title, u"通信エラー"_s);
    QVERIFY(window.isVisible());
    window.close();
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TestPrescriptionDocuments)
#include "test_prescription_documents.moc"
