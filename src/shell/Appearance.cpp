#include "shell/Appearance.h"

#include <QApplication>
#include <QFont>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyleFactory>

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

} // namespace

void ApplyAppearance(QApplication &app)
{
    app.setStyle(QStyleFactory::create(u"Fusion"_s));
    QFont font(u"IPAPGothic"_s, 9);
    font.setFamilies({u"IPAPGothic"_s, u"IPAGothic"_s, u"MS PGothic"_s, u"Noto Sans CJK JP"_s});
    QApplication::setFont(font);
    const QString enter = u"EnterPressesButton"_s;
    if (!app.findChild<QObject *>(enter, Qt::FindDirectChildrenOnly)) {
        auto *filter = new EnterPressesButton(&app);
        filter->setObjectName(enter);
        app.installEventFilter(filter);
    }
}
