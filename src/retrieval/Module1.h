#pragma once

#include <QString>

// Replaces the characters that file names here may not hold (* ? \ : /) with their
// full-width look-alikes; every other character stays. Same length as the name.
QString SafeFileName(const QString &name);

// Removes every run from "<" through the next ">"; an unclosed "<" removes the rest.
QString StripTags(const QString &html);

// Page searches ignore letter case: the index of the first occurrence of `what` at
// or after `from` (0-based), or -1.
inline qsizetype Find(const QString &text, QStringView what, qsizetype from = 0)
{
    return text.indexOf(what, from, Qt::CaseInsensitive);
}
