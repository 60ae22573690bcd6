#include "shell/ScreenFit.h"

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

} // namespace

void FitToScreen(QWidget &window)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    const QSize room = screen->availableGeometry().size() - QSize(FrameWidth, FrameHeight);
    const QSize full = window.size();
    if (full.width() <= room.width() && full.height() <= room.height())
        return;

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
    area->setWidget(content);
    window.setFixedSize(fitted);
    area->setGeometry(0, 0, fitted.width(), fitted.height());
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
