#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "shell/ScreenFit.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

// A window larger than the screen's free area opens at the size that fits and
// scrolls its controls; one that fits stays exactly as it is.
class TestScreenFit : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void fit_data();
    void fit();
};

void TestScreenFit::fit_data()
{
    addColumns<double, double>("widthShare", "heightShare"); // shares of the screen's free area
    QTest::newRow("fits") << 0.5 << 0.5;
    QTest::newRow("too tall") << 0.5 << 1.5;
    QTest::newRow("too wide") << 1.5 << 0.5;
    QTest::newRow("too large") << 1.5 << 1.5;
}

void TestScreenFit::fit()
{
    QFETCH(double, widthShare);
    QFETCH(double, heightShare);
    QWidget window;
    const QSize room = window.screen()->availableGeometry().size();
    const QSize full(int(room.width() * widthShare), int(room.height() * heightShare));
    window.setFixedSize(full);
    auto *corner = new QPushButton(u"閉じる"_s, &window); // the far corner, as a window's last button
    corner->setGeometry(full.width() - 100, full.height() - 30, 90, 25);
    auto *hidden = new QPushButton(u"隠し"_s, &window);
    hidden->hide();

    FitToScreen(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const bool fits = widthShare < 1 && heightShare < 1;
    auto *area = window.findChild<QScrollArea *>();
    QCOMPARE(corner->geometry(), QRect(full.width() - 100, full.height() - 30, 90, 25));
    QVERIFY(hidden->isHidden());
    QVERIFY(corner->isVisible());
    if (fits) {
        QCOMPARE(window.size(), full);
        QVERIFY(!area);
        QCOMPARE(corner->parentWidget(), &window);
        return;
    }
    QVERIFY(area);
    QVERIFY(window.width() <= room.width() && window.height() <= room.height());
    QCOMPARE(area->size(), window.size());
    // Scrolled to it, the far corner comes into view.
    area->ensureWidgetVisible(corner);
    const QRect seen = QRect(corner->mapTo(&window, QPoint(0, 0)), corner->size());
    QVERIFY(window.rect().contains(seen));
    QCOMPARE(area->verticalScrollBar()->maximum() > 0, heightShare > 1);
    QCOMPARE(area->horizontalScrollBar()->maximum() > 0, widthShare > 1);
}

QTEST_MAIN(TestScreenFit)
#include "test_screenfit.moc"
