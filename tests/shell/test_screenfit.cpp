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
    void showInScrollArea_data();
    void showInScrollArea();
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

void TestScreenFit::showInScrollArea_data()
{
    // The list's place in a window twice as tall as the screen's free area, in shares of
    // that area's height; where the view starts before; where it is to start after.
    addColumns<double, double, double>("top", "height", "scrolledTo");
    QTest::addColumn<QString>("expected"); // "bottom": list's bottom at the view's bottom; "top"; "stay"
    QTest::newRow("below the view, fits: whole list") << 1.2 << 0.5 << 0.0 << u"bottom"_s;
    QTest::newRow("taller than the view: its first rows") << 0.5 << 1.2 << 0.0 << u"top"_s;
    QTest::newRow("in view: no scroll") << 0.1 << 0.3 << 0.0 << u"stay"_s;
    QTest::newRow("above the view: its first rows") << 0.1 << 0.3 << 0.8 << u"top"_s;
}

// After a search, the window scrolls as little as shows the hit list.
void TestScreenFit::showInScrollArea()
{
    QFETCH(double, top);
    QFETCH(double, height);
    QFETCH(double, scrolledTo);
    QFETCH(QString, expected);
    QWidget window;
    const int room = window.screen()->availableGeometry().height();
    window.setFixedSize(400, room * 2);
    auto *list = new QWidget(&window);
    list->setGeometry(10, int(room * top), 300, int(room * height));
    FitToScreen(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *area = window.findChild<QScrollArea *>();
    QVERIFY(area);
    QScrollBar *bar = area->verticalScrollBar();
    bar->setValue(int(room * scrolledTo));
    const int before = bar->value();

    ShowInScrollArea(*list);

    const int view = area->viewport()->height();
    if (expected == u"stay"_s)
        QCOMPARE(bar->value(), before);
    else if (expected == u"top"_s)
        QCOMPARE(bar->value(), list->y());
    else
        QCOMPARE(bar->value(), list->geometry().bottom() + 1 - view);
}

QTEST_MAIN(TestScreenFit)
#include "test_screenfit.moc"
