#include "shell/ListHelpers.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>

namespace {

class EnterOnSelection : public QObject {
public:
    EnterOnSelection(QListWidget *list, std::function<void()> command)
        : QObject(list), m_list(list), m_command(std::move(command))
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

void runOnActivation(QListWidget *list, std::function<void()> command)
{
    QObject::connect(list, &QListWidget::itemDoubleClicked, list, [command](QListWidgetItem *) { command(); });
    list->installEventFilter(new EnterOnSelection(list, std::move(command)));
}

QStringList fillChoices(QComboBox &combo, const QList<ParamRecord> &records, bool blankFirst)
{
    combo.clear();
    if (blankFirst)
        combo.addItem(QString());
    QStringList values;
    for (const ParamRecord &record : records) {
        values.append(record.value);
        combo.addItem(record.text);
    }
    combo.setCurrentIndex(combo.count() > 0 ? 0 : -1);
    return values;
}

QStringList listTexts(const QListWidget &list)
{
    QStringList texts;
    texts.reserve(list.count());
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.item(i)->text());
    return texts;
}

int chosenRow(const QListWidget &list)
{
    const QListWidgetItem *item = list.currentItem();
    return item && item->isSelected() ? list.row(item) : -1;
}
