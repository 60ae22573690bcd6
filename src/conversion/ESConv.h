#pragma once

#include <functional>

#include <QByteArray>
#include <QList>
#include <QString>

#include "conversion/EucTable.h"

// Called with (byte position, percent) whenever the percentage changes. The percent
// is position × 100 / last index, as the progress window shows it; an input of one
// byte reports nothing.
using ConvertProgress = std::function<void(qsizetype position, int percent)>;

// Converts a page body from EUC-JP through the table. When no table entry matches,
// a well-formed sequence (8F and two bytes A1-FE, 8E and one, or two bytes A1-FE)
// is read whole: it becomes the character that the platform's EUC-JP decoder gives
// it, or nothing. Any other byte that begins no known sequence is dropped alone; a
// sequence that would need bytes beyond the end is dropped.
QString EucToSjis(const EucTable &table, const QByteArray &bytes, const ConvertProgress &progress = {});

// Input methods and converters on Linux give a few characters that cp932 holds only
// as a look-alike (〜 U+301C for ～ U+FF5E, − U+2212 for － U+FF0D and so on): those
// become their cp932 counterparts, every other character stays.
QString FoldToCp932(QStringView text);

// Percent-encodes text as EUC-JP bytes for a query string, after FoldToCp932. A
// character without a table entry (or outside cp932) is left out; use
// UnusableQueryCharacter first to refuse such a text.
QString EncodeQuery(const EucTable &table, const QString &text);

// The first character of `text` that EncodeQuery cannot send, or an empty text.
QString UnusableQueryCharacter(const EucTable &table, const QString &text);

// One free text of a search window and the caption that the window shows for it.
struct QueryField {
    QString text;
    QString label;
};

// "入力エラー" text for the first field holding a character that cannot be sent:
// 「"丂" は検索に使えない文字です。（一般名・販売名）」; empty when every field can go.
QString UnusableQueryMessage(const EucTable &table, const QList<QueryField> &fields);
