#include "shell/ParamFile.h"

#include <QFile>
#include <QStringDecoder>

namespace {

// Reads one field starting at `pos` of `line`; leaves `pos` past the closing comma.
QString readField(QStringView line, qsizetype &pos)
{
    while (pos < line.size() && (line[pos] == u' ' || line[pos] == u'\t'))
        ++pos;
    QString field;
    if (pos < line.size() && line[pos] == u'"') {
        const qsizetype close = line.indexOf(u'"', pos + 1);
        const qsizetype end = close < 0 ? line.size() : close;
        field = line.mid(pos + 1, end - pos - 1).toString();
        pos = end + 1;
        const qsizetype comma = line.indexOf(u',', qMin(pos, line.size()));
        pos = comma < 0 ? line.size() : comma + 1;
        return field;
    }
    const qsizetype comma = line.indexOf(u',', pos);
    const qsizetype end = comma < 0 ? line.size() : comma;
    field = line.mid(pos, end - pos).trimmed().toString();
    pos = comma < 0 ? line.size() : comma + 1;
    return field;
}

} // namespace

QList<ParamRecord> ParseParamText(const QString &text, qsizetype capacity)
{
    QList<ParamRecord> records;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (records.size() >= capacity)
            break;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        qsizetype pos = 0;
        ParamRecord record;
        record.value = readField(line, pos);
        record.text = readField(line, pos);
        records.append(record);
    }
    return records;
}

QList<ParamRecord> ReadParamFile(const QString &path, qsizetype capacity)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder decoder("cp932");
    const QString text = decoder(file.readAll());
    return ParseParamText(text, capacity);
}
