#include "shell/ListActivation.h"

#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>

namespace {

class EnterOnSelection : public QObject {
public:
    EnterOnSelection(QListWidget *list, std::function<void()> command)
        : QObject(list)
        , m_list(list)
        , m_command(std::move(command))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_list && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !m_list->selectedItems().isEmpty()) {
                m_command();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QListWidget *m_list;
    std::function<void()> m_command;
};

} // namespace

void RunOnActivation(QListWidget *list, std::function<void()> command)
{
    QObject::connect(list, &QListWidget::itemDoubleClicked, list, [command](QListWidgetItem *) { command(); });
    list->installEventFilter(new EnterOnSelection(list, std::move(command)));
}
