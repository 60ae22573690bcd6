#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The text that full-text search compares: full- and half-width forms alike (Unicode
// NFKC), letters in one case, and no break inside a run of Japanese text. A line
// break or the spaces a PDF's layout puts between two characters are dropped where
// either neighbour is Japanese; between two other characters they become one space.

// The folded text and, for each of its UTF-16 units, the index in the source of the
// character it came from.
struct FoldedText {
    QString text;
    QList<qsizetype> source;
};

FoldedText FoldWithSource(QStringView text);
QString FoldText(QStringView text);

// The search terms of what the user typed: split at spaces (full-width ones too),
// each folded, empty and repeated ones dropped, in the order typed.
QStringList SearchTerms(QStringView typed);

// Where each term occurs in folded text: the start and length of every occurrence,
// overlapping ones included, sorted by start.
struct TextSpan {
    qsizetype start = 0;
    qsizetype length = 0;
};
QList<TextSpan> FindTerms(QStringView folded, const QStringList &terms);
