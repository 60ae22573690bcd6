#include "retrieval/Module1.h"

#include <QCryptographicHash>
#include <QStringBuilder>

using namespace Qt::Literals::StringLiterals;

QString SafeFileName(const QString &name)
{
    QString safe = name;
    for (QChar &c : safe) {
        switch (c.unicode()) {
        case u'*': c = QChar(0xFF0A); break;
        case u'?': c = QChar(0xFF1F); break;
        case u'\\': c = QChar(0xFFE5); break;
        case u':': c = QChar(0xFF1A); break;
        case u'/': c = QChar(0xFF0F); break;
        default: break;
        }
    }
    return safe;
}

namespace {

// The longest start of `text` that takes at most `bytes` bytes in UTF-8.
QStringView utf8Prefix(QStringView text, qsizetype bytes)
{
    qsizetype used = 0, i = 0;
    while (i < text.size()) {
        const char32_t u = text[i].unicode();
        const bool pair = QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype size = pair ? 4 : u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
        if (used + size > bytes)
            break;
        used += size;
        i += pair ? 2 : 1;
    }
    return text.first(i);
}

qsizetype utf8Size(QStringView text)
{
    return text.toUtf8().size();
}

} // namespace

QString FitFileName(QStringView common, QStringView distinct, QStringView suffix)
{
    const qsizetype suffixSize = utf8Size(suffix);
    const QString full = common % distinct;
    const qsizetype fullSize = utf8Size(full);
    if (fullSize + suffixSize <= FileNameMaxBytes)
        return full % suffix;

    // The mark stands where the name was cut; its digits come from the whole name, so
    // names that differ only in what was cut away stay apart.
    const QByteArray digest = QCryptographicHash::hash(full.toUtf8(), QCryptographicHash::Sha1);
    const QString mark = u"…"_s + QString::fromLatin1(digest.toHex().left(FileNameMarkDigits));
    const qsizetype room = qMax<qsizetype>(0, FileNameMaxBytes - suffixSize - utf8Size(mark));
    const qsizetype distinctSize = utf8Size(distinct);
    const qsizetype leastCommon = qMin(utf8Size(common), FileNameLeastCommonBytes);
    if (distinctSize + leastCommon <= room)
        return utf8Prefix(common, room - distinctSize) % mark % distinct % suffix;
    const QStringView kept = utf8Prefix(common, qMin(leastCommon, room));
    return kept % utf8Prefix(distinct, room - utf8Size(kept)) % mark % suffix;
}

qsizetype Find(QStringView text, QStringView what, qsizetype from)
{
    from = qMax<qsizetype>(from, 0);
    const qsizetype n = what.size();
    const qsizetype last = text.size() - n;
    if (n == 0)
        return from <= text.size() ? from : -1;
    const char16_t first = AsciiLower(what[0].unicode());
    auto matchesAt = [&](qsizetype i) {
        for (qsizetype k = 1; k < n; ++k) {
            if (AsciiLower(text[i + k].unicode()) != AsciiLower(what[k].unicode()))
                return false;
        }
        return true;
    };
    // Jump between occurrences of the first character: a vectorised scan when it is
    // not a letter, a plain loop over both cases when it is.
    if (first < u'a' || first > u'z') {
        for (qsizetype i = text.indexOf(QChar(first), from); i >= 0 && i <= last;
             i = text.indexOf(QChar(first), i + 1)) {
            if (matchesAt(i))
                return i;
        }
        return -1;
    }
    const char16_t *data = text.utf16();
    for (qsizetype i = from; i <= last; ++i) {
        if ((data[i] | 0x20) == first && matchesAt(i))
            return i;
    }
    return -1;
}

QString StripTags(const QString &html)
{
    QString text;
    text.reserve(html.size());
    bool inTag = false;
    for (const QChar c : html) {
        if (c == u'<')
            inTag = true;
        if (inTag) {
            if (c == u'>')
                inTag = false;
        } else {
            text.append(c);
        }
    }
    return text;
}
