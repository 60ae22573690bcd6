#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The EUC-JP <-> Shift-JIS conversion tables, loaded from "E2S.param".
// E2STable: EUC-JP code (one to three bytes) -> Shift-JIS code -> character.
// S2ETable: Shift-JIS code (0-65535) -> EUC-JP code value.
// A lookup of a code that the file does not hold gives 0 (no mapping).
class EucTable {
public:
    EucTable();
    ~EucTable();
    EucTable(const EucTable &) = delete;
    EucTable &operator=(const EucTable &) = delete;

    void clear();
    // Stores one record; a later record for the same code overwrites an earlier one.
    // The Shift-JIS code is decoded to its character here, once.
    void add(quint32 eucCode, quint16 sjisCode);

    quint16 sjisFor(quint32 eucCode) const;  // 0 when unmapped
    quint32 eucFor(quint16 sjisCode) const;  // 0 when unmapped
    qsizetype size() const;                  // number of E2STable entries

    struct Data;

private:
    friend QString EucToSjis(const EucTable &, const QByteArray &, const std::function<void(qsizetype, int)> &);
    friend bool ParseEucTable(EucTable &, QByteArrayView);
    std::unique_ptr<Data> d;
};

// Reads the table file into `table` (which is cleared first). Loading stops at the
// first malformed record, keeping what was read before it. Returns false when the
// file is missing or a record was malformed.
bool LoadEucTable(EucTable &table, const QString &path);

// The same for the text of such a file, already read.
bool ParseEucTable(EucTable &table, QByteArrayView content);

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
