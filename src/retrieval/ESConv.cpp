#include "retrieval/ESConv.h"

#include <vector>

#include <QFile>
#include <QHash>
#include <QStringDecoder>

// First, simple version: hashed lookups. To be replaced by the fast table.
struct EucTable::Data {
    QHash<quint32, quint16> e2s;
    std::vector<quint32> s2e = std::vector<quint32>(65536, 0);
};

EucTable::EucTable() : d(new Data) {}
EucTable::~EucTable() { delete d; }

void EucTable::clear()
{
    delete d;
    d = new Data;
}

void EucTable::add(quint32 eucCode, quint16 sjisCode)
{
    d->e2s.insert(eucCode, sjisCode);
    d->s2e[sjisCode] = eucCode;
}

quint16 EucTable::sjisFor(quint32 eucCode) const { return d->e2s.value(eucCode, 0); }
quint32 EucTable::eucFor(quint16 sjisCode) const { return d->s2e[sjisCode]; }
qsizetype EucTable::size() const { return d->e2s.size(); }

bool LoadEucTable(EucTable &table, const QString &path)
{
    table.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() < 2)
            return false;
        bool ok1 = false, ok2 = false;
        const quint32 euc = fields[0].trimmed().toUInt(&ok1, 16);
        const QByteArray sjisText = fields[1].trimmed();
        const uint sjis = sjisText.toUInt(&ok2, 16);
        if (!ok1 || !ok2 || euc / 65536 > 256 || sjisText.size() > 4)
            return false;
        table.add(euc, quint16(sjis));
    }
    return true;
}

namespace {

QString charFor(quint16 code)
{
    QByteArray bytes;
    if (code > 0xFF)
        bytes.append(char(code >> 8));
    bytes.append(char(code & 0xFF));
    QStringDecoder decoder("cp932");
    return decoder(bytes);
}

} // namespace

QString EucToSjis(const EucTable &table, const QByteArray &bytes, const ConvertProgress &progress)
{
    QString result;
    const qsizetype n = bytes.size();
    int lastPercent = -1;
    qsizetype i = 0;
    auto byteAt = [&](qsizetype k) { return quint32(quint8(bytes[k])); };
    while (i < n) {
        const quint32 b0 = byteAt(i);
        quint16 code = table.sjisFor(b0);
        qsizetype length = 1;
        if (!code && i + 1 < n) {
            code = table.sjisFor(b0 << 8 | byteAt(i + 1));
            length = 2;
            if (!code && i + 2 < n) {
                code = table.sjisFor(b0 << 16 | byteAt(i + 1) << 8 | byteAt(i + 2));
                length = 3;
            }
        }
        if (code) {
            result += charFor(code);
            i += length;
        } else {
            i += 1;
        }
        if (progress && n > 0) {
            const int percent = int(i * 100 / n);
            if (percent != lastPercent) {
                lastPercent = percent;
                progress(i, percent);
            }
        }
    }
    return result;
}

QString EncodeQuery(const EucTable &table, const QString &text)
{
    QString encoded;
    QStringEncoder encoder("cp932", QStringConverter::Flag::Stateless);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QByteArray sjis = encoder.encode(QStringView(text).mid(i, length));
        i += length - 1;
        quint32 value = 0;
        if (!encoder.hasError() && (sjis.size() == 1 || sjis.size() == 2)) {
            const quint16 code = sjis.size() == 1 ? quint8(sjis[0]) : quint16(quint8(sjis[0]) << 8 | quint8(sjis[1]));
            value = table.eucFor(code);
        }
        encoder.resetState();
        QString hex = QString::number(value, 16).toUpper();
        if (hex.size() > 6)
            continue;
        if (hex.size() % 2)
            hex.prepend(u'0');
        for (qsizetype k = 0; k < hex.size(); k += 2)
            encoded += u'%' + hex.mid(k, 2);
    }
    return encoded;
}
