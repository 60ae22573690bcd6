#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include "retrieval/Inet1.h"
#include "retrieval/frmTransfer.h"
#include "shell/UserAttention.h"
#include "support/TestData.h"
#include "support/UserActions.h"
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
    void standsAsideForQuestions_data();
    void standsAsideForQuestions();
    void longNameAndPlace_data();
    void longNameAndPlace();
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
    window.transferStarted();
    window.transferProgress(received, total);
    QTRY_VERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), u"通信中"_s);
    QCOMPARE(window.findChild<QLabel *>(u"Label1"_s)->text(), u"検索しています"_s);
    QCOMPARE(window.findChild<QLabel *>(u"Label2"_s)->text(), text);
    auto *bar = window.findChild<QProgressBar *>(u"ProgressBar1"_s);
    QCOMPARE(bar->maximum(), barMaximum);
    if (barMaximum > 0)
        QCOMPARE(bar->value(), barValue);
    window.transferEnded();
    QVERIFY(!window.isVisible());
}

void TestFrmTransfer::quickTransferShowsNothing()
{
    Inet1 inet;
    QWidget owner;
    owner.show();
    frmTransfer window(inet, u"検索しています"_s, 500, &owner);
    window.transferStarted();
    window.transferProgress(100, 100);
    window.transferEnded();
    QCoreApplication::processEvents();
    QVERIFY(!window.isVisible());
}

void TestFrmTransfer::standsAsideForQuestions_data()
{
    boolRows("upBefore", {{"question before the delay", false}, {"question over the shown window", true}});
}

// While the program asks the user something, "通信中" is neither shown nor coming up;
// once the answer is given and the transfer still runs, it comes back.
void TestFrmTransfer::standsAsideForQuestions()
{
    Inet1 inet;
    QWidget owner;
    owner.show();
    frmTransfer window(inet, u"検索しています"_s, 0, &owner);
    window.transferStarted();
    if (fetch<bool>("upBefore"))
        QTRY_VERIFY(window.isVisible());
    {
        const UserAttention::Question asking;
        QVERIFY(!window.isVisible());
        QTest::qWait(50); // the delay runs out meanwhile
        QVERIFY(!window.isVisible());
    }
    QTRY_VERIFY(window.isVisible());
    window.transferEnded();
    QVERIFY(!window.isVisible());
    {
        const UserAttention::Question asking; // after the transfer: nothing comes back
    }
    QTest::qWait(20);
    QVERIFY(!window.isVisible());

    // A dialog that was open before the transfer (the revision history window that
    // started it) does not keep it away.
    const UserAttention::Question dialog;
    frmTransfer inside(inet, u"添付文書を取得しています"_s, 0, &owner);
    inside.transferStarted();
    QTRY_VERIFY(inside.isVisible());
    inside.transferEnded();
}

void TestFrmTransfer::longNameAndPlace_data()
{
    addColumns<QString, bool>("what", "cut");
    const QString prefix = u"添付文書を取得しています：［医療用］"_s;
    QTest::newRow("short: whole") << prefix + u"ハイバリン錠10mg"_s << false;
    QTest::newRow("83 kanji: middle left out") << prefix + QString(83, u'錠') + u"（末尾）"_s << true;
}

// A long name keeps its start and end in two lines, the whole of it in the tooltip;
// the window comes up centred over its owner, wherever the owner is.
void TestFrmTransfer::longNameAndPlace()
{
    const QString what = fetch<QString>("what");
    Inet1 inet;
    QWidget owner;
    owner.setGeometry(40, 60, 600, 500);
    owner.show();
    frmTransfer window(inet, what, 0, &owner);
    window.transferStarted();
    QTRY_VERIFY(window.isVisible());
    auto *label = child<QLabel>(window, "Label1");
    if (fetch<bool>("cut")) {
        QVERIFY(label->text().contains(u'…'));
        QVERIFY(label->text().startsWith(what.left(10)));
        QVERIFY(label->text().endsWith(what.right(4)));
        QCOMPARE(label->toolTip(), what);
    } else {
        QCOMPARE(label->text(), what);
        QCOMPARE(label->toolTip(), QString());
    }
    const QRect needed
        = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000), Qt::TextWordWrap, label->text());
    QVERIFY2(needed.height() <= label->height(), qPrintable(label->text()));
    const QPoint offset = window.frameGeometry().center() - owner.frameGeometry().center();
    QVERIFY2(qAbs(offset.x()) <= 2 && qAbs(offset.y()) <= 2, qPrintable(u"%1,%2"_s.arg(offset.x()).arg(offset.y())));
    window.transferEnded();
}

QTEST_MAIN(TestFrmTransfer)
#include "test_frmTransfer.moc"
