#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include "retrieval/Inet1.h"
#include "retrieval/frmTransfer.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

// "通信中" as the transfer drives it: what has come, the total when known, and
// nothing at all for a transfer that ends before the delay.
class TestFrmTransfer : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void counts_data();
    void counts();
    void quickTransferShowsNothing();
};

void TestFrmTransfer::counts_data()
{
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("total"); // -1: the server gave no length
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("barMaximum"); // 0: the busy bar
    QTest::addColumn<int>("barValue");

    QTest::newRow("length known") << qint64(1234567) << qint64(5000000) << u"1,234,567 / 5,000,000 バイト受信"_s << 1000
                                  << 246;
    QTest::newRow("all of it") << qint64(52428800) << qint64(52428800) << u"52,428,800 / 52,428,800 バイト受信"_s
                               << 1000 << 1000;
    QTest::newRow("beyond 2 GB") << qint64(3) << qint64(5000000000) << u"3 / 5,000,000,000 バイト受信"_s << 1000 << 0;
    QTest::newRow("length unknown") << qint64(4096) << qint64(-1) << u"4,096 バイト受信"_s << 0 << 0;
}

void TestFrmTransfer::counts()
{
    QFETCH(qint64, received);
    QFETCH(qint64, total);
    QFETCH(QString, text);
    QFETCH(int, barMaximum);
    QFETCH(int, barValue);
    Inet1 inet;
    QWidget owner;
    owner.show();
    frmTransfer window(inet, u"検索しています"_s, 0, &owner);
    window.TransferStarted();
    window.TransferProgress(received, total);
    QTRY_VERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), u"通信中"_s);
    QCOMPARE(window.findChild<QLabel *>(u"Label1"_s)->text(), u"検索しています"_s);
    QCOMPARE(window.findChild<QLabel *>(u"Label2"_s)->text(), text);
    auto *bar = window.findChild<QProgressBar *>(u"ProgressBar1"_s);
    QCOMPARE(bar->maximum(), barMaximum);
    if (barMaximum > 0)
        QCOMPARE(bar->value(), barValue);
    window.TransferEnded();
    QVERIFY(!window.isVisible());
}

void TestFrmTransfer::quickTransferShowsNothing()
{
    Inet1 inet;
    QWidget owner;
    owner.show();
    frmTransfer window(inet, u"検索しています"_s, 500, &owner);
    window.TransferStarted();
    window.TransferProgress(100, 100);
    window.TransferEnded();
    QCoreApplication::processEvents();
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TestFrmTransfer)
#include "test_frmTransfer.moc"
