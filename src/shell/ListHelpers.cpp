#include "shell/ListHelpers.h"

#include <QComboBox>
#include <QListWidget>

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
