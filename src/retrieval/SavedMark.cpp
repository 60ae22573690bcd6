#include "retrieval/SavedMark.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QListWidgetItem>
#include <QLocale>
#include <QStyle>

#include "retrieval/OriginRecord.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString shownTime(const QDateTime &time)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(time.toLocalTime(), u"yyyy/MM/dd HH:mm"_s);
}

QIcon savedIcon()
{
    return QApplication::style()->standardIcon(QStyle::SP_DialogSaveButton);
}

} // namespace

QString SavedMarkTip(const QString &originsPath, const QString &documentsPath, const QStringList &paths)
{
    QStringList lines;
    OriginStore origins(originsPath, documentsPath);
    for (const QString &path : paths) {
        const QFileInfo file(path);
        if (!file.isFile())
            continue;
        const std::optional<OriginRecord> record = origins.find(path);
        const QDateTime saved = record && record->savedAt.isValid() ? record->savedAt : file.lastModified();
        lines.append(file.fileName());
        lines.append(Messages::SavedOn.arg(shownTime(saved)));
        if (record && !record->lastState.isEmpty())
            lines.append(Messages::LastCheck.arg(record->lastState, shownTime(record->checkedAt)));
        else
            lines.append(Messages::NotChecked);
    }
    return lines.join(u'\n');
}

void MarkSaved(QListWidgetItem &item, const QString &tip)
{
    item.setIcon(tip.isEmpty() ? QIcon() : savedIcon());
    item.setToolTip(tip);
}

void MarkSaved(QAbstractButton &button, const QString &tip)
{
    button.setIcon(tip.isEmpty() ? QIcon() : savedIcon());
    button.setToolTip(tip);
}
