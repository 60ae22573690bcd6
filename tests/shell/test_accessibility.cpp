#include <functional>
#include <memory>

#include <QAccessible>
#include <QComboBox>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

#include "fulltext/Form7.h"
#include "library/Form4.h"
#include "library/Form5.h"
#include "otc/Form3.h"
#include "prescription/Form1.h"
#include "prescription/Form2.h"
#include "prescription/Form6.h"
#include "retrieval/frmE2SD.h"
#include "retrieval/frmTransfer.h"
#include "shell/Accessibility.h"
#include "shell/ProxyLoginDialog.h"
#include "shell/ScreenFit.h"
#include "app/frmMain.h"
#include "support/ProgramFixture.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

// Every window as a screen reader reads it through Qt's accessibility interfaces, the
// same tree the desktop's accessibility bus shows (tests/e2e/read_accessible.py reads
// it there).
class TestAccessibility : public WindowTest {
    Q_OBJECT

public:
    TestAccessibility() { NameControlsForReader(*qApp); } // as the program does at start

private Q_SLOTS:
    void everyControlNamed_data();
    void everyControlNamed();
    void choiceListValue();
    void scrollingWindowNamed();
};

namespace {

using MakeWindow = std::function<std::unique_ptr<QWidget>(ProgramFixture &)>;
using Names = QMap<QString, QString>;

// What a name must not be: empty, or a control's name in the program ("Label10").
bool unreadable(const QString &name, const QAccessibleInterface &control)
{
    static const QRegularExpression objectName(u"^[A-Za-z_]+[0-9]+$"_s);
    return name.trimmed().isEmpty() || name == control.object()->objectName() || objectName.match(name).hasMatch();
}

struct Reading {
    QStringList unnamed;   // "Text2 (role 42)"
    Names names;           // object name -> the name read, for the focusable controls
    QStringList reachable; // object names of everything in the tree
};

void read(QAccessibleInterface *node, Reading &reading, int depth = 0)
{
    QVERIFY(depth < 30);
    if (!node || !node->isValid())
        return;
    const QString objectName = node->object() ? node->object()->objectName() : QString();
    reading.reachable.append(objectName);
    if (node->state().focusable && node->object()) {
        const QString name = node->text(QAccessible::Name);
        reading.names.insert(objectName, name);
        if (unreadable(name, *node))
            reading.unnamed.append(u"%1 %2 (role %3) read %4"_s
                                       .arg(QString::fromLatin1(node->object()->metaObject()->className()), objectName)
                                       .arg(int(node->role()))
                                       .arg(name));
    }
    for (int i = 0; i < node->childCount(); ++i)
        read(node->child(i), reading, depth + 1);
}

template <typename T> MakeWindow make(std::function<T *(ProgramFixture &)> construct)
{
    return [construct](ProgramFixture &f) { return std::unique_ptr<QWidget>(construct(f)); };
}

} // namespace

void TestAccessibility::everyControlNamed_data()
{
    QTest::addColumn<MakeWindow>("window");
    QTest::addColumn<Names>("expected");     // object name -> the name read
    QTest::addColumn<QStringList>("unseen"); // helpers left out of the tree

    QTest::newRow("main menu") << make<frmMain>([](ProgramFixture &f) { return new frmMain(f.context, {}); })
                               << Names{{u"Command1"_s, u"一般用医薬品情報検索"_s},
                                        {u"Command5"_s, u"？使用説明書"_s},
                                        {u"Command4"_s, u"終了"_s}}
                               << QStringList();
    QTest::newRow("prescription") << make<Form1>([](ProgramFixture &f) { return new Form1(f.context); })
                                  << Names{{u"Text1"_s, u"一般名・販売名"_s},
                                           {u"Combo1"_s, u"薬効分類"_s},
                                           {u"Combo2"_s, u"項目内検索1"_s},
                                           {u"Text2"_s, u"項目内検索1のキーワード"_s},
                                           {u"Combo5"_s, u"項目内検索1の条件"_s},
                                           {u"Combo4"_s, u"項目内検索3"_s},
                                           {u"Text4"_s, u"項目内検索3のキーワード"_s},
                                           {u"Combo8"_s, u"検索件数"_s},
                                           {u"Check2"_s, u"禁忌／原則禁忌"_s},
                                           {u"Text5"_s, u"選択中の文書"_s},
                                           {u"Text6"_s, u"選択中の文書の説明"_s},
                                           {u"Command8"_s, u"メモ"_s},
                                           {u"Command7"_s, u"コピー"_s},
                                           {u"List1"_s, u"検索結果"_s}}
                                  << QStringList{u"List2"_s, u"TestLabel"_s, u"TestLabel2"_s, u"dragname"_s};
    QTest::newRow("document kind") << make<Form2>([](ProgramFixture &f) {
        auto *dialog = new Form2(f.context);
        dialog->prepare(true, true, {u"間質性肺炎"_s});
        return dialog;
    }) << Names{{u"Check1"_s, u"医薬品添付文書情報"_s}, {u"List1"_s, u"マニュアル"_s}}
                                   << QStringList();
    QTest::newRow("revision history") << make<Form6>([](ProgramFixture &f) { return new Form6(f.context); })
                                      << Names{{u"List1"_s, u"改訂指示反映履歴"_s}, {u"Command1"_s, u"閉じる"_s}}
                                      << QStringList{u"List2"_s};
    QTest::newRow("OTC") << make<Form3>([](ProgramFixture &f) { return new Form3(f.context); })
                         << Names{{u"Text1"_s, u"販売名"_s},
                                  {u"Text2"_s, u"メーカー名（製造販売会社、販売会社）"_s},
                                  {u"Combo3"_s, u"剤形"_s},
                                  {u"Text3"_s, u"成分名を含む"_s},
                                  {u"Text4"_s, u"成分名を除く"_s},
                                  {u"Text6"_s, u"添加物名を除く"_s},
                                  {u"Text7"_s, u"適応症、症状（効能・効果）"_s},
                                  {u"Combo2"_s, u"検索件数"_s},
                                  {u"Text8"_s, u"選択中の文書"_s},
                                  {u"Command1"_s, u"検索"_s},
                                  {u"List1"_s, u"検索結果"_s}}
                         << QStringList{u"List2"_s};
    QTest::newRow("disk search") << make<Form4>([](ProgramFixture &f) { return new Form4(f.context); })
                                 << Names{{u"Option4"_s, u"重篤副作用疾患別対応マニュアル"_s},
                                          {u"Command5"_s, u"メモ"_s},
                                          {u"List1"_s, u"保存文書"_s}}
                                 << QStringList();
    QTest::newRow("rename") << make<Form5>([](ProgramFixture &f) {
        return new Form5(f.context, f.inLibrary({}), u"a.pdf"_s, u"a"_s);
    }) << Names{{u"Text1"_s, u"変更後の名前"_s}, {u"Command2"_s, u"変更しない"_s}}
                            << QStringList();
    QTest::newRow("full text") << make<Form7>([](ProgramFixture &f) { return new Form7(f.context, {}); })
                               << Names{{u"Text1"_s, u"検索する語"_s},
                                        {u"Command1"_s, u"検索"_s},
                                        {u"Check5"_s, u"重篤副作用疾患別対応マニュアル"_s},
                                        {u"Command3"_s, u"コピー"_s},
                                        {u"List1"_s, u"検索結果"_s}}
                               << QStringList();
    QTest::newRow("conversion progress") << make<frmE2SD>([](ProgramFixture &) { return new frmE2SD; }) << Names()
                                         << QStringList{u"Text1"_s, u"Label2"_s, u"Label4"_s};
    QTest::newRow("transfer") << make<frmTransfer>(
        [](ProgramFixture &f) { return new frmTransfer(f.inet, u"http://127.0.0.1/"_s, 0, nullptr); })
                              << Names{{u"Command1"_s, u"中止"_s}} << QStringList();
    QTest::newRow("proxy question") << make<ProxyLoginDialog>([](ProgramFixture &) {
        return new ProxyLoginDialog(u"127.0.0.1:3128"_s, false);
    }) << Names{{u"textUser"_s, u"ユーザー名"_s}, {u"textPassword"_s, u"パスワード"_s}}
                                    << QStringList();
}

void TestAccessibility::everyControlNamed()
{
    QFETCH(MakeWindow, window);
    QFETCH(Names, expected);
    QFETCH(QStringList, unseen);
    ProgramFixture f;
    const std::unique_ptr<QWidget> shown = window(f);
    QVERIFY(exposed(*shown));

    Reading reading;
    read(QAccessible::queryAccessibleInterface(shown.get()), reading);
    QVERIFY2(reading.unnamed.isEmpty(), qPrintable(reading.unnamed.join(u"; "_s)));
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(reading.names.value(it.key(), u"(not in the tree)"_s), it.value());
    for (const QString &helper : unseen) {
        QVERIFY2(!reading.reachable.contains(helper), qPrintable(helper));
        QCOMPARE(child(*shown, helper)->focusPolicy(), Qt::NoFocus);
    }
}

// A choice list is named by its label and tells its entry as its value, however the
// entry changes.
void TestAccessibility::choiceListValue()
{
    ProgramFixture f;
    Form1 window(f.context);
    QVERIFY(exposed(window));
    auto *combo = child<QComboBox>(window, "Combo5");
    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(combo);
    QCOMPARE(read->role(), QAccessible::ComboBox);
    QCOMPARE(read->text(QAccessible::Value), u"全てを含む"_s);
    combo->setCurrentIndex(1);
    QCOMPARE(read->text(QAccessible::Name), u"項目内検索1の条件"_s);
    QCOMPARE(read->text(QAccessible::Value), u"いずれも含まない"_s);
    QCOMPARE(read->childCount(), 1);
    QCOMPARE(read->child(0)->text(QAccessible::Name), u"項目内検索1の条件"_s);
    QVERIFY(read->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
}

// A window cut to a small screen scrolls in an area that takes the focus: the reader
// calls it by the window's title.
void TestAccessibility::scrollingWindowNamed()
{
    QWidget window;
    window.setWindowTitle(u"医療用医薬品情報"_s);
    window.setFixedSize(window.screen()->availableGeometry().size() * 2);
    FitToScreen(window);
    QVERIFY(exposed(window));
    auto *area = window.findChild<QScrollArea *>();
    QVERIFY(area);
    QCOMPARE(QAccessible::queryAccessibleInterface(area)->text(QAccessible::Name), u"医療用医薬品情報"_s);
}

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
