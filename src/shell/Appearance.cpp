#include "shell/Appearance.h"

#include <functional>

#include <QAbstractItemView>
#include <QApplication>
#include <QFont>
#include <QKeyEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

// Qt presses a focused button on Enter only in dialogs, and there only when it may
// become the default; users expect it of every button. A window's default button
// still gets Enter typed elsewhere in the window.
class EnterPressesButton final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *button = qobject_cast<QPushButton *>(watched);
        const auto *key = static_cast<const QKeyEvent *>(event);
        if (!button || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (button->isEnabled() && !key->isAutoRepeat())
            button->click();
        return true;
    }
};

// Runs an action on every window as it is shown.
class WhenWindowShown final : public QObject {
public:
    WhenWindowShown(std::function<void(QWidget &)> action, QObject *parent)
        : QObject(parent), m_action(std::move(action))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow())
                m_action(*widget);
        }
        return false;
    }

private:
    std::function<void(QWidget &)> m_action;
};

// Fusion marks the focus of a check box, an option or a choice list, but not of a push
// button or a list: those get a frame in the highlight colour.
class FocusMarkStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        const bool list = element == CE_ShapedFrame && qobject_cast<const QAbstractItemView *>(widget);
        if (!(element == CE_PushButton || list) || !(option->state & State_HasFocus)
            || !(option->state & State_KeyboardFocusChange))
            return;
        painter->save();
        painter->setPen(QPen(option->palette.color(QPalette::Highlight), 1));
        painter->setBrush(Qt::NoBrush);
        // a list's frame is all that its rows leave to be seen
        const qreal inset = list ? 0.5 : 2.5;
        for (int ring = 0; ring < 2; ++ring)
            painter->drawRect(QRectF(option->rect).adjusted(inset + ring, inset + ring, -inset - ring, -inset - ring));
        painter->restore();
    }
};

// Installs one filter of its kind on the application, however often this runs.
void installOnce(QApplication &app, const QString &name, const std::function<QObject *()> &make)
{
    if (app.findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
        return;
    QObject *filter = make();
    filter->setObjectName(name);
    app.installEventFilter(filter);
}

} // namespace

void OnEveryWindowShown(QApplication &app, const QString &name, std::function<void(QWidget &)> action)
{
    installOnce(app, name, [&app, &action] { return new WhenWindowShown(std::move(action), &app); });
}

void ApplyAppearance(QApplication &app)
{
    app.setStyle(new FocusMarkStyle(QStyleFactory::create(u"Fusion"_s)));
    QFont font(u"IPAPGothic"_s, 9);
    font.setFamilies({u"IPAPGothic"_s, u"IPAGothic"_s, u"MS PGothic"_s, u"Noto Sans CJK JP"_s});
    QApplication::setFont(font);
    installOnce(app, u"EnterPressesButton"_s, [&app] { return new EnterPressesButton(&app); });
    // The style draws the focus mark only once the keyboard has moved the focus in a
    // window; a user who clicked into a window and then types needs to see it as well.
    OnEveryWindowShown(app, u"FocusMarkAlways"_s,
                       [](QWidget &window) { window.setAttribute(Qt::WA_KeyboardFocusChange); });
}
