#include "retrieval/Module1.h"

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

QString FitFileName(QStringView keep, QStringView cut, QStringView suffix)
{
    const qsizetype room = FileNameMaxBytes - utf8Size(suffix);
    const qsizetype keepSize = utf8Size(keep);
    QString name = keepSize > room ? utf8Prefix(keep, room).toString() : keep.toString();
    if (keepSize <= room)
        name += utf8Prefix(cut, room - keepSize);
    name += suffix;
    return name;
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
