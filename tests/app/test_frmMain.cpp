#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "shell/Library.h"
#include "app/MainModule.h"
#include "shell/WorkingWindow.h"
#include "app/frmMain.h"
#include "support/ProgramFixture.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

class TestFrmMain : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void startingAndReadyStates();
    void tabOrder();
    void workingWindowHidesAndBringsBackMenu();
    void manualOpensThroughDesktop();
    void exitPaintsStatus();
};

namespace {

// A program folder without parameter files; start-up settles the paths over an empty
// documents folder of its own.
struct Fixture : ProgramFixture {
    Fixture() : ProgramFixture(ParameterFiles) {}
    StartPaths Settled() const
    {
        QDir(root.path()).mkpath(u"empty"_s);
        return SettlePaths(state.AppPath, state.AppPath, root.filePath(u"empty"_s));
    }
};

frmMain::Windows oneWindow(int *created)
{
    frmMain::Windows windows;
    windows.Prescription = [created](AppContext &) {
        ++*created;
        return new WorkingWindow;
    };
    return windows;
}

} // namespace

void TestFrmMain::layout_data()
{
    layoutRows({
        {u"Command1", u"一般用医薬品情報検索", {240, 240, 5055, 735}},
        {u"Command2", u"医療用医薬品情報検索", {240, 1140, 5055, 735}},
        {u"Command3", u"ディスク内検索", {240, 2040, 5055, 735}},
        {u"Command6", u"文書内容検索", {240, 2940, 5055, 735}},
        {u"Command5", u"？ 使用説明書", {720, 4260, 1755, 555}},
        {u"Command4", u"終　　了", {3060, 4260, 1755, 555}},
        {u"Label2", u"Hibari", {360, 4980, 4815, 255}},
        {u"Label4", u"Ver.1.0.0", {360, 5220, 4815, 255}},
    });
}

void TestFrmMain::layout()
{
    Fixture f;
    frmMain menu(f.context, {});
    checkLayout(menu, u"Hibari"_s, {5565, 6075});
}

void TestFrmMain::startingAndReadyStates()
{
    Fixture f;
    int created = 0;
    frmMain menu(f.context, oneWindow(&created));
    auto *label = child<QLabel>(menu, u"Label1"_s);
    menu.setStarting(true);
    QCOMPARE(label->text(), u"起　動　中　．．．"_s);
    QVERIFY(!child<QPushButton>(menu, u"Command2"_s)->isEnabled());
    QVERIFY(!child<QPushButton>(menu, u"Command6"_s)->isEnabled());
    QVERIFY(child<QPushButton>(menu, u"Command4"_s)->isEnabled());
    QVERIFY(child<QPushButton>(menu, u"Command5"_s)->isEnabled());

    Main(menu, f.state, f.Settled());
    QCOMPARE(label->text(), QString());
    QVERIFY(child<QPushButton>(menu, u"Command2"_s)->isEnabled());
    // Windows not supplied stay disabled rather than opening a placeholder.
    QVERIFY(!child<QPushButton>(menu, u"Command1"_s)->isEnabled());
    QVERIFY(QDir(f.root.filePath(u"empty/"_s + Library::Otc())).exists());
}

void TestFrmMain::tabOrder()
{
    Fixture f;
    frmMain menu(f.context, {});
    const QStringList order{u"Command1"_s, u"Command2"_s, u"Command3"_s, u"Command6"_s, u"Command4"_s, u"Command5"_s};
    QStringList chain{order.first()};
    for (QWidget *widget = child<QWidget>(menu, order.first())->nextInFocusChain();
         widget->objectName() != order.first(); widget = widget->nextInFocusChain()) {
        if (order.contains(widget->objectName()))
            chain.append(widget->objectName());
    }
    QCOMPARE(chain, order);
}

void TestFrmMain::workingWindowHidesAndBringsBackMenu()
{
    Fixture f;
    int created = 0;
    frmMain menu(f.context, oneWindow(&created));
    Main(menu, f.state, f.Settled());
    click(menu, u"Command2"_s);
    QCOMPARE(created, 1);
    QVERIFY(!menu.isVisible());
    QPointer<WorkingWindow> window = menu.openWindow();
    QVERIFY(window && window->isVisible());
    window->close();
    QVERIFY(menu.isVisible());
    QTRY_VERIFY(!window); // unloaded: the next opening starts afresh
    click(menu, u"Command2"_s);
    QCOMPARE(created, 2);
}

void TestFrmMain::manualOpensThroughDesktop()
{
    Fixture f;
    frmMain menu(f.context, {});
    Main(menu, f.state, f.Settled());
    click(menu, u"Command5"_s);
    QCOMPARE(f.desktop.opened, QStringList{f.appFile(u"Hibari.pdf"_s)});
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestFrmMain::exitPaintsStatus()
{
    Fixture f;
    frmMain menu(f.context, {});
    click(menu, u"Command4"_s);
    QCOMPARE(child<QLabel>(menu, u"Label1"_s)->text(), u"終　了　中　．．．"_s);
}

QTEST_MAIN(TestFrmMain)
#include "test_frmMain.moc"
