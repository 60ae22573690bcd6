#pragma once

#include <QString>

// Replaces the characters that file names here may not hold (* ? \ : /) with their
// full-width look-alikes; every other character stays. Same length as the name.
QString SafeFileName(const QString &name);

// The longest file name that Linux file systems take, in bytes of UTF-8.
inline constexpr qsizetype FileNameMaxBytes = 255;

// The file name `common` + `distinct` + `suffix`, within FileNameMaxBytes. A name
// too long loses the end of `common` (the part that names like it share), never
// more of it than needed, and "…" with a few hexadecimal digits of the whole name
// stands at the cut, so two names that differ only in what was cut away still give
// two files. Only when `distinct` alone leaves no room does it lose its end too,
// after the first FileNameLeastCommonBytes of `common`. Cuts fall between characters
// (never inside a surrogate pair); the suffix always stays.
QString FitFileName(QStringView common, QStringView distinct, QStringView suffix);
inline constexpr qsizetype FileNameMarkDigits = 8;
inline constexpr qsizetype FileNameLeastCommonBytes = 60;

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
