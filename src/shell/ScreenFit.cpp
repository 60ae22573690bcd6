#include "shell/ScreenFit.h"

#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

// Room left for the window manager's frame and title bar, which are not known before
// the window is first shown.
constexpr int FrameWidth = 8;
constexpr int FrameHeight = 40;

// A part of a compound control (a combo box's text box, say): it moves with its control.
bool insideControl(const QWidget &window, const QWidget &widget)
{
    for (const QWidget *up = widget.parentWidget(); up && up != &window; up = up->parentWidget()) {
        if (up->focusPolicy() & Qt::TabFocus)
            return true;
    }
    return false;
}

} // namespace

void FitToScreen(QWidget &window)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    FitToRoom(window, screen->availableGeometry().size() - QSize(FrameWidth, FrameHeight));
}

void FitToRoom(QWidget &window, QSize room)
{
    const QSize full = window.size();
    if (full.width() <= room.width() && full.height() <= room.height())
        return;

    // Moving the controls rebuilds the focus chain in the order they were made: note
    // the window's tab stops in their order first, to put it back after.
    QList<QPointer<QWidget>> tabStops;
    for (QWidget *widget = window.nextInFocusChain(); widget && widget != &window;
         widget = widget->nextInFocusChain()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() && !insideControl(window, *widget)
            && !tabStops.contains(widget))
            tabStops.append(widget);
    }

    auto *content = new QWidget;
    content->setObjectName(u"ScreenFitContent"_s);
    const QObjectList children = window.children();
    for (QObject *child : children) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || widget->isWindow())
            continue;
        const bool hidden = widget->testAttribute(Qt::WA_WState_ExplicitShowHide) && widget->isHidden();
        const QRect geometry = widget->geometry();
        widget->setParent(content);
        widget->setGeometry(geometry);
        widget->setHidden(hidden);
    }
    content->setFixedSize(full);

    // A scroll bar in one direction takes room from the other.
    const int bar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize fitted = full;
    if (full.height() > room.height())
        fitted.rwidth() += bar;
    if (full.width() > room.width())
        fitted.rheight() += bar;
    fitted = fitted.boundedTo(room);

    auto *area = new QScrollArea(&window);
    area->setObjectName(u"ScreenFitArea"_s);
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus); // a tab stop of its own would be an invisible one
    area->setWidget(content);
    window.setFixedSize(fitted);
    area->setGeometry(0, 0, fitted.width(), fitted.height());

    for (qsizetype i = 1; i < tabStops.size(); ++i) {
        if (tabStops[i - 1] && tabStops[i])
            QWidget::setTabOrder(tabStops[i - 1], tabStops[i]);
    }
}

void ShowInScrollArea(QWidget &control)
{
    auto *area = control.window()->findChild<QScrollArea *>(u"ScreenFitArea"_s, Qt::FindDirectChildrenOnly);
    if (!area || !area->widget() || !area->widget()->isAncestorOf(&control))
        return;
    QScrollBar &bar = *area->verticalScrollBar();
    const int top = control.mapTo(area->widget(), QPoint(0, 0)).y();
    const int bottom = top + control.height();
    const int view = area->viewport()->height();
    if (top >= bar.value() && bottom <= bar.value() + view)
        return;
    bar.setValue(top < bar.value() || bottom - view > top ? top : bottom - view);
}
