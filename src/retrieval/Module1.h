#pragma once

#include <QString>

// Replaces the characters that file names here may not hold (* ? \ : /) with their
// full-width look-alikes; every other character stays. Same length as the name.
QString SafeFileName(const QString &name);

// The longest file name that Linux file systems take, in bytes of UTF-8.
inline constexpr qsizetype FileNameMaxBytes = 255;

// A file name `keep` + `cut` + `suffix` within FileNameMaxBytes: `cut` is shortened
// at a character boundary (never inside a surrogate pair) as far as needed, then
// `keep` if even that is not enough; the suffix always stays.
QString FitFileName(QStringView keep, QStringView cut, QStringView suffix);

// Removes every run from "<" through the next ">"; an unclosed "<" removes the rest.
QString StripTags(const QString &html);

inline char16_t AsciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

// Page searches ignore the letter case of the (ASCII) markers: the index of the
// first occurrence of `what` at or after `from` (0-based), or -1. Fast enough to
// read a whole page at memory speed.
qsizetype Find(QStringView text, QStringView what, qsizetype from = 0);
