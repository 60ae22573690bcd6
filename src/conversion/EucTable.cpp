#include "conversion/EucTable.h"

#include <QFile>
#include <QStringDecoder>

namespace {

bool isDoubleByteCode(quint16 code)
{
    const int lead = code >> 8, trail = code & 0xFF;
    return ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && trail >= 0x40 && trail <= 0xFC
           && trail != 0x7F;
}

// The cp932 character of one table value. Bytes below 0x80 are ASCII, as cp932 has
// them (the platform codec swaps a few control codes).
char16_t characterOf(quint16 code, QStringDecoder &decoder)
{
    if (code < 0x80)
        return code;
    if (code >= 0xA1 && code <= 0xDF)
        return char16_t(0xFF61 + (code - 0xA1));
    QByteArray bytes;
    if (code > 0xFF)
        bytes.append(char(code >> 8));
    bytes.append(char(code & 0xFF));
    decoder.resetState();
    const QString text = decoder(bytes);
    return text.size() == 1 && !text[0].isSurrogate() ? text[0].unicode() : char16_t(QChar::ReplacementCharacter);
}

QStringDecoder cp932Decoder()
{
    return QStringDecoder("windows-31j", QStringConverter::Flag::Stateless);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// One field of a record: blanks around it and a pair of double quotes are dropped.
// Returns false unless it is 1..maxDigits hexadecimal digits.
bool parseHexField(const char *begin, const char *end, int maxDigits, quint32 &value)
{
    while (begin < end && isBlank(*begin))
        ++begin;
    while (end > begin && isBlank(end[-1]))
        --end;
    if (end - begin >= 2 && *begin == '"' && end[-1] == '"') {
        ++begin;
        --end;
    }
    if (begin == end)
        return false;
    if (end - begin > maxDigits)
        return false;
    quint64 v = 0;
    for (const char *p = begin; p < end; ++p) {
        const char c = *p;
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        v = v << 4 | quint64(digit);
    }
    value = quint32(v);
    return true;
}

} // namespace

EucTable::EucTable() : m_data(std::make_unique<Data>()) {}
EucTable::~EucTable() = default;

void EucTable::clear()
{
    m_data = std::make_unique<Data>();
}

void EucTable::add(quint32 eucCode, quint16 sjisCode)
{
    if (eucCode / 65536 > 256)
        return;
    QStringDecoder decoder = cp932Decoder();
    m_data->store(eucCode, sjisCode, characterOf(sjisCode, decoder));
    m_data->settle();
}

quint16 EucTable::sjisFor(quint32 eucCode) const
{
    if (eucCode < 65536)
        return m_data->code2[eucCode];
    return m_data->code3.value(eucCode, 0);
}

quint32 EucTable::eucFor(quint16 sjisCode) const
{
    return m_data->s2e[sjisCode];
}
qsizetype EucTable::size() const
{
    return m_data->count;
}

const EucTable::Data &EucTable::data() const
{
    return *m_data;
}

void EucTable::addDecoded(quint32 eucCode, quint16 sjisCode, char16_t character)
{
    m_data->store(eucCode, sjisCode, character);
}

void EucTable::settle()
{
    m_data->settle();
}

bool LoadEucTable(EucTable &table, const QString &path)
{
    table.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    file.close();
    return ParseEucTable(table, content);
}

bool ParseEucTable(EucTable &table, QByteArrayView content)
{
    table.clear();

    // Read the records up to the first malformed one.
    struct Record {
        quint32 euc;
        quint16 sjis;
    };
    std::vector<Record> records;
    records.reserve(content.size() / 9 + 1);
    bool wellFormed = true;
    const char *p = content.constData();
    const char *const end = p + content.size();
    while (p < end) {
        const char *lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r')
            ++lineEnd;
        const char *next
            = lineEnd < end && *lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n' ? lineEnd + 2 : lineEnd + 1;
        const char *q = p;
        while (q < lineEnd && isBlank(*q))
            ++q;
        if (q == lineEnd) { // blank line
            p = next;
            continue;
        }
        const char *comma = p;
        while (comma < lineEnd && *comma != ',')
            ++comma;
        const char *secondEnd = comma < lineEnd ? comma + 1 : lineEnd;
        while (secondEnd < lineEnd && *secondEnd != ',')
            ++secondEnd;
        quint32 euc = 0, sjis = 0;
        if (comma == lineEnd || !parseHexField(p, comma, 8, euc) || euc / 65536 > 256
            || !parseHexField(comma + 1, secondEnd, 4, sjis)) {
            wellFormed = false;
            break;
        }
        records.push_back({euc, quint16(sjis)});
        p = next;
    }

    // Decode every distinct double-byte value in one pass of the codec.
    std::vector<char16_t> characters(65536, 0);
    QByteArray batch;
    std::vector<quint16> batchCodes;
    QStringDecoder decoder = cp932Decoder();
    for (const Record &record : records) {
        const quint16 code = record.sjis;
        if (characters[code] || !code)
            continue;
        if (isDoubleByteCode(code)) {
            characters[code] = 1; // queued
            batch.append(char(code >> 8));
            batch.append(char(code & 0xFF));
            batchCodes.push_back(code);
        } else {
            characters[code] = characterOf(code, decoder);
        }
    }
    if (!batchCodes.empty()) {
        const QString decoded = decoder(batch);
        const bool aligned = decoded.size() == qsizetype(batchCodes.size());
        for (size_t k = 0; k < batchCodes.size(); ++k) {
            const char16_t c = aligned ? decoded[qsizetype(k)].unicode() : 0;
            characters[batchCodes[k]] = aligned && !QChar::isSurrogate(c) ? c : characterOf(batchCodes[k], decoder);
        }
    }

    for (const Record &record : records)
        table.addDecoded(record.euc, record.sjis, characters[record.sjis]);
    table.settle();
    return wellFormed;
}
