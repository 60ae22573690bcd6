#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "shell/Appearance.h"
#include "shell/Library.h"
#include "shell/MainModule.h"
#include "shell/WorkingWindow.h"
#include "shell/frmMain.h"
#include "support/RecordingDesktop.h"

using namespace Qt::Literals::StringLiterals;

class TestFrmMain : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ApplyAppearance(*qApp); }
    void layout_data();
    void layout();
    void startingAndReadyStates();
    void workingWindowHidesAndBringsBackMenu();
    void manualOpensThroughDesktop();
    void exitPaintsStatus();
};

namespace {

struct Fixture {
    QTemporaryDir app, documents;
    RecordingDesktop desktop;
    ProgramState state;
    AppContext context{state, desktop};
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
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("Command1") << u"Command1"_s << u"一般用医薬品情報検索"_s << QRect(240, 240, 5055, 735);
    QTest::newRow("Command2") << u"Command2"_s << u"医療用医薬品情報検索"_s << QRect(240, 1140, 5055, 735);
    QTest::newRow("Command3") << u"Command3"_s << u"ディスク内検索"_s << QRect(240, 2040, 5055, 735);
    QTest::newRow("Command5") << u"Command5"_s << u"？ 使用説明書"_s << QRect(720, 3360, 1755, 555);
    QTest::newRow("Command4") << u"Command4"_s << u"終　　了"_s << QRect(3060, 3360, 1755, 555);
    QTest::newRow("Label2") << u"Label2"_s << u"Hibari"_s << QRect(360, 4080, 4815, 255);
    QTest::newRow("Label4") << u"Label4"_s << u"Ver.1.0.0"_s << QRect(360, 4320, 4815, 255);
}

void TestFrmMain::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    Fixture f;
    frmMain menu(f.context, {});
    QCOMPARE(menu.size(), QSize(5565 / 15, 5175 / 15));
    auto *widget = menu.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    const QString text = qobject_cast<QPushButton *>(widget) ? qobject_cast<QPushButton *>(widget)->text()
                                                             : qobject_cast<QLabel *>(widget)->text();
    QCOMPARE(text, caption);
    QVERIFY2(widget->fontMetrics().horizontalAdvance(text) <= widget->width(), "caption clipped");
}

void TestFrmMain::startingAndReadyStates()
{
    Fixture f;
    int created = 0;
    frmMain menu(f.context, oneWindow(&created));
    auto *label = menu.findChild<QLabel *>(u"Label1"_s);
    menu.SetStarting(true);
    QCOMPARE(label->text(), u"起　動　中　．．．"_s);
    QVERIFY(!menu.findChild<QPushButton *>(u"Command2"_s)->isEnabled());
    QVERIFY(menu.findChild<QPushButton *>(u"Command4"_s)->isEnabled());
    QVERIFY(menu.findChild<QPushButton *>(u"Command5"_s)->isEnabled());

    Main(menu, f.state, SettlePaths(f.app.path(), f.app.path(), f.documents.path()));
    QCOMPARE(label->text(), QString());
    QVERIFY(menu.findChild<QPushButton *>(u"Command2"_s)->isEnabled());
    // Windows not supplied stay disabled rather than opening a placeholder.
    QVERIFY(!menu.findChild<QPushButton *>(u"Command1"_s)->isEnabled());
    QVERIFY(QDir(f.documents.path() + u'/' + Library::Otc()).exists());
}

void TestFrmMain::workingWindowHidesAndBringsBackMenu()
{
    Fixture f;
    int created = 0;
    frmMain menu(f.context, oneWindow(&created));
    Main(menu, f.state, SettlePaths(f.app.path(), f.app.path(), f.documents.path()));
    QTest::mouseClick(menu.findChild<QPushButton *>(u"Command2"_s), Qt::LeftButton);
    QCOMPARE(created, 1);
    QVERIFY(!menu.isVisible());
    QPointer<WorkingWindow> window = menu.OpenWindow();
    QVERIFY(window && window->isVisible());
    window->close();
    QVERIFY(menu.isVisible());
    QTRY_VERIFY(!window); // unloaded: the next opening starts afresh
    QTest::mouseClick(menu.findChild<QPushButton *>(u"Command2"_s), Qt::LeftButton);
    QCOMPARE(created, 2);
}

void TestFrmMain::manualOpensThroughDesktop()
{
    Fixture f;
    frmMain menu(f.context, {});
    Main(menu, f.state, SettlePaths(f.app.path(), f.app.path(), f.documents.path()));
    QTest::mouseClick(menu.findChild<QPushButton *>(u"Command5"_s), Qt::LeftButton);
    QCOMPARE(f.desktop.opened, QStringList{f.app.path() + u"/Hibari.pdf"_s});
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestFrmMain::exitPaintsStatus()
{
    Fixture f;
    frmMain menu(f.context, {});
    QTest::mouseClick(menu.findChild<QPushButton *>(u"Command4"_s), Qt::LeftButton);
    QCOMPARE(menu.findChild<QLabel *>(u"Label1"_s)->text(), u"終　了　中　．．．"_s);
}

QTEST_MAIN(TestFrmMain)
#include "test_frmMain.moc"
