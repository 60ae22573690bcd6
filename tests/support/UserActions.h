#pragma once

#include <functional>
#include <memory>

#include <QAbstractButton>
#include <QAnyStringView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

// What a user does to a window, for the window tests.

// Shows the window and waits until it is on the screen.
[[nodiscard]] inline bool exposed(QWidget &window)
{
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

// The named control; a missing one fails the test and stops it.
template <typename T = QWidget> T *child(const QWidget &window, QAnyStringView name)
{
    T *found = window.findChild<T *>(name.toString());
    if (!found) {
        const QByteArray what = "no control " + name.toString().toUtf8();
        QTest::qFail(what.constData(), __FILE__, __LINE__);
        qFatal("%s", what.constData());
    }
    return found;
}

template <typename T = QWidget> T *child(const QWidget *window, QAnyStringView name)
{
    return child<T>(*window, name);
}

inline void click(const QWidget &window, QAnyStringView button)
{
    QTest::mouseClick(child<QAbstractButton>(window, button), Qt::LeftButton);
}

inline void click(const QWidget *window, QAnyStringView button)
{
    click(*window, button);
}

// A check box answers a click on its box or caption, not on the empty space after it.
inline void tick(const QWidget &window, QAnyStringView box)
{
    QCheckBox *check = child<QCheckBox>(window, box);
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
}

// The texts of a list's or a choice list's entries, in order.
inline QStringList texts(const QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines.append(list->item(i)->text());
    return lines;
}

inline QStringList texts(const QComboBox *combo)
{
    QStringList lines;
    for (int i = 0; i < combo->count(); ++i)
        lines.append(combo->itemText(i));
    return lines;
}

// ASCII is typed key by key; Japanese arrives as the input method's committed text.
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
        } else {
            QInputMethodEvent event;
            event.setCommitString(QString(c));
            QCoreApplication::sendEvent(widget, &event);
        }
    }
}

// What the box held is replaced by the text typed.
inline void retype(QLineEdit *edit, const QString &text)
{
    edit->clear();
    typeText(edit, text);
}

inline void clickRow(QListWidget *list, int row, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(list->item(row)).center());
}

// Double-clicks a list's row, as a user opens an entry: the first click, then the
// double-click (which QTest sends alone).
inline void doubleClickRow(QListWidget *list, int row)
{
    const QPoint point = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, point);
}

// The tooltip of the mark a saved document carries, on a list entry or a check box;
// empty when it carries none (no icon).
inline QString savedMark(const QListWidgetItem *item)
{
    return item->icon().isNull() ? QString() : item->toolTip();
}

inline QString savedMark(const QAbstractButton *button)
{
    return button->icon().isNull() ? QString() : button->toolTip();
}

// Acts on the next modal dialog as soon as it is up, as a user would; the timer only
// polls, nothing depends on how long anything takes.
class ModalDriver {
public:
    void onModal(std::function<void(QDialog *)> act)
    {
        m_watch = std::make_unique<QTimer>();
        QTimer *timer = m_watch.get();
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, act] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            timer->stop();
            ++dialogsSeen;
            act(dialog);
        });
        timer->start(5);
    }

    int dialogsSeen = 0;

private:
    std::unique_ptr<QTimer> m_watch;
};
