#include "retrieval/ServicePage.h"

#include <algorithm>
#include <limits>

#include "retrieval/Module1.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

QString QueryValue(const QString &value)
{
    // Only what would end or break the value is escaped: everything else, escapes
    // included, is already in the form the service reads.
    QString sent;
    sent.reserve(value.size());
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u > u' ' && u < 0x7F && u != u'&' && u != u'#') {
            sent.append(c);
        } else {
            for (const char byte : QString(c).toUtf8())
                sent += u'%' + QString::number(quint8(byte), 16).toUpper().rightJustified(2, u'0');
        }
    }
    return sent;
}

std::optional<QString> ServiceRefusal(QStringView page)
{
    // The service's own words are found in the page and shown as they stand.
    if (Find(page, Messages::ConditionsRefused) >= 0)
        return Messages::ConditionsRefused;
    if (Find(page, Messages::TooManyHits) >= 0)
        return Messages::TooManyHits + Messages::NarrowDown;
    return std::nullopt;
}

int LeadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = qMin<qint64>(value * 10 + (text[i].unicode() - u'0'), std::numeric_limits<int>::max());
    return int(negative ? -value : value);
}

Paging MovePaging(const Paging &paging, PageMove move, int pageSize)
{
    constexpr int StartMax = std::numeric_limits<qint16>::max();
    const auto start = [](qint64 value) { return qint16(std::clamp<qint64>(value, 1, StartMax)); };
    const qint64 size = std::clamp(pageSize, 0, StartMax);
    Paging moved;
    switch (move) {
    case PageMove::Search: moved.CurrentStart = 1; break;
    case PageMove::Previous: moved.CurrentStart = start(paging.CurrentStart - size); break;
    case PageMove::Next: moved.CurrentStart = start(paging.NextStart); break;
    }
    moved.NextStart = start(move == PageMove::Next ? paging.NextStart + size : moved.CurrentStart + size);
    return moved;
}
