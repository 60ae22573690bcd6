#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QListWidget>
#include <QTest>
#include <QTimer>

// What a user does to a window, for the window tests.

// ASCII is typed key by key; Japanese arrives as the input method's committed text.
inline void TypeText(QWidget *widget, const QString &text)
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

inline void ClickRow(QListWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// Acts on the next modal dialog as soon as it is up, as a user would; the timer only
// polls, nothing depends on how long anything takes.
class ModalDriver {
public:
    void OnModal(std::function<void(QDialog *)> act)
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
