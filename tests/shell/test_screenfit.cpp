#include <algorithm>
#include <functional>
#include <memory>

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "library/Form4.h"
#include "library/Form5.h"
#include "otc/Form3.h"
#include "prescription/Form1.h"
#include "prescription/Form2.h"
#include "prescription/Form6.h"
#include "shell/ProxyLoginDialog.h"
#include "shell/ScreenFit.h"
#include "app/frmMain.h"
#include "support/ProgramFixture.h"
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
    void tabOrder_data();
    void tabOrder();
};

namespace {

using MakeWindow = std::function<std::unique_ptr<QWidget>(ProgramFixture &)>;

// The tab stops of a .ui file, in their order.
QStringList UiTabStops(const QString &uiFile)
{
    const QString ui = QString::fromUtf8(readBytes(QStringLiteral(HIBARI_SOURCE_DIR "/") + uiFile));
    QStringList stops;
    const QRegularExpression stop(u"<tabstop>([^<]+)</tabstop>"_s);
    for (auto match = stop.globalMatch(ui); match.hasNext();)
        stops.append(match.next().captured(1));
    return stops;
}

// The control that has the focus: a part of a compound control counts as the control.
QString Focused(const QWidget &window, const QStringList &names)
{
    for (QWidget *widget = QApplication::focusWidget(); widget && widget != &window; widget = widget->parentWidget()) {
        if (names.contains(widget->objectName()))
            return widget->objectName();
    }
    return QApplication::focusWidget()
               ? u"?"_s + QString::fromLatin1(QApplication::focusWidget()->metaObject()->className())
               : u"-"_s;
}

// The controls that Tab (or Shift+Tab) visits from `first` until it comes back to it.
QStringList TabWalk(QWidget &window, const QString &first, const QStringList &names, bool forward)
{
    child(window, first)->setFocus(Qt::TabFocusReason);
    QStringList visited{Focused(window, names)};
    for (int i = 0; i < names.size() + 2; ++i) {
        QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab);
        const QString now = Focused(window, names);
        if (now == first)
            break;
        visited.append(now);
    }
    return visited;
}

} // namespace

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

void TestScreenFit::tabOrder_data()
{
    QTest::addColumn<QString>("ui");
    QTest::addColumn<MakeWindow>("make");
    const auto add
        = [](const char *row, const QString &ui, MakeWindow make) { QTest::newRow(row) << ui << std::move(make); };
    add("frmMain", u"src/app/frmMain.ui"_s,
        [](ProgramFixture &f) { return std::make_unique<frmMain>(f.context, frmMain::Windows{}); });
    add("Form1", u"src/prescription/Form1.ui"_s, [](ProgramFixture &f) { return std::make_unique<Form1>(f.context); });
    add("Form2", u"src/prescription/Form2.ui"_s, [](ProgramFixture &f) {
        auto dialog = std::make_unique<Form2>(f.context);
        dialog->prepare(true, true, {u"間質性肺炎"_s});
        return dialog;
    });
    add("Form3", u"src/otc/Form3.ui"_s, [](ProgramFixture &f) { return std::make_unique<Form3>(f.context); });
    add("Form4", u"src/library/Form4.ui"_s, [](ProgramFixture &f) { return std::make_unique<Form4>(f.context); });
    add("Form5", u"src/library/Form5.ui"_s, [](ProgramFixture &f) {
        return std::make_unique<Form5>(f.context, f.state.WorkPath, u"文書.pdf"_s, u"文書"_s);
    });
    add("Form6", u"src/prescription/Form6.ui"_s, [](ProgramFixture &f) {
        auto window = std::make_unique<Form6>(f.context);
        window->fill(u"薬"_s, {u"href=\"http://h/r.pdf\">版</a>"_s});
        return window;
    });
    add("proxy question", u"src/shell/ProxyLoginDialog.ui"_s,
        [](ProgramFixture &) { return std::make_unique<ProxyLoginDialog>(u"proxy:8080"_s, false); });
}

// Tab and Shift+Tab visit every control in the order the window was laid out with,
// and the same order when the window is too large for the screen and scrolls.
void TestScreenFit::tabOrder()
{
    QFETCH(QString, ui);
    QFETCH(MakeWindow, make);
    ProgramFixture f;
    for (const bool scrolled : {false, true}) {
        std::unique_ptr<QWidget> window = make(f);
        if (scrolled) {
            FitToRoom(*window, window->size() / 2);
            QVERIFY(window->findChild<QScrollArea *>());
        }
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        // Tab enters a group of option buttons once, at the chosen one.
        QStringList stops;
        const QRadioButton *previousOption = nullptr;
        for (const QString &name : UiTabStops(ui)) {
            const QWidget *control = child(*window, name);
            if (!control->isVisibleTo(window.get()) || !control->isEnabled())
                continue;
            const auto *option = qobject_cast<const QRadioButton *>(control);
            const bool sameGroup = option && previousOption && option->autoExclusive()
                                   && option->parentWidget() == previousOption->parentWidget();
            previousOption = option;
            if (!sameGroup)
                stops.append(name);
            else if (option->isChecked())
                stops.last() = name;
        }
        QVERIFY(stops.size() >= 2);
        QStringList backwards = stops.mid(1);
        std::reverse(backwards.begin(), backwards.end());
        backwards.prepend(stops.first());
        QCOMPARE(TabWalk(*window, stops.first(), stops, true), stops);
        QCOMPARE(TabWalk(*window, stops.first(), stops, false), backwards);
    }
}

QTEST_MAIN(TestScreenFit)
#include "test_screenfit.moc"
