#include "shell/Accessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QWidget>

#include "shell/Appearance.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// A choice list as the reader sees it: named by its label, its entry as the value and,
// for a reader that asks for no value, as the description. Qt on Linux names a choice
// list by its current entry, which leaves the user guessing which list it is, and an
// empty entry without any name at all.
class LabelledComboBox : public QAccessibleWidget {
public:
    explicit LabelledComboBox(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return combo()->currentText();
        const QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Description && text.isEmpty())
            return combo()->currentText();
        return text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = combo()->view()->isVisible();
        state.editable = combo()->isEditable();
        return state;
    }

    // The list of entries, as the reader browses it when the list drops down.
    int childCount() const override { return 1; }

    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == combo()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (action == showMenuAction() || action == pressAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox *combo() const { return static_cast<QComboBox *>(object()); }
};

QAccessibleInterface *namedInterface(const QString &className, QObject *object)
{
    if (className == "QComboBox"_L1) {
        if (auto *combo = qobject_cast<QComboBox *>(object))
            return new LabelledComboBox(combo);
    }
    return nullptr;
}

// Widening spaces, ideographic or plain, between the characters of a caption.
QString withoutSpacing(QString caption)
{
    caption.remove(u'\u3000');
    caption.remove(u' ');
    return caption;
}

// The name a control's own label gives it: its accessible name, else the text of the
// label whose buddy it is.
QString labelOf(const QWidget &control)
{
    if (!control.accessibleName().isEmpty() || !control.parentWidget())
        return control.accessibleName();
    const QList<QLabel *> labels = control.parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    for (const QLabel *label : labels) {
        if (label->buddy() == &control)
            return label->text();
    }
    return {};
}

void nameControls(QWidget &window)
{
    const QList<QAbstractButton *> buttons = window.findChildren<QAbstractButton *>();
    for (QAbstractButton *button : buttons) {
        const QString read = withoutSpacing(button->text());
        if (read != button->text() && button->accessibleName().isEmpty())
            button->setAccessibleName(read);
    }
    // The entries of a choice list drop down in a list of their own, named as the
    // choice list is.
    const QList<QComboBox *> combos = window.findChildren<QComboBox *>();
    for (QComboBox *combo : combos)
        combo->view()->setAccessibleName(labelOf(*combo));
    // A window cut to a small screen scrolls in an area that takes the focus.
    const QList<QScrollArea *> areas = window.findChildren<QScrollArea *>();
    for (QScrollArea *area : areas) {
        if (area->accessibleName().isEmpty())
            area->setAccessibleName(window.windowTitle());
    }
}

} // namespace

void NameControlsForReader(QApplication &app)
{
    QAccessible::installFactory(namedInterface);
    // each time a window is shown, once its own constructor has given the labels and
    // names; naming twice changes nothing
    OnEveryWindowShown(app, u"NameControlsForReader"_s, nameControls);
}

void HideFromReader(QWidget &helper)
{
    // A window is no accessible child of its parent, and one never shown has no place
    // among the application's windows either.
    helper.setWindowFlag(Qt::Window);
    helper.setFocusPolicy(Qt::NoFocus);
    helper.hide();
}
