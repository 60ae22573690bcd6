#pragma once

#include <optional>

#include <QByteArrayView>
#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

// The program's side of the exchange with the helper "hibari-pdftext", which reads
// PDFs with Poppler in a process of its own (its output format is described in
// src/fulltext/pdftext/main.cpp).

// The helper beside the program: in the program folder when run in place, in
// ../libexec/hibari/ when installed. Empty when there is none.
QString PdfTextHelper(const QString &applicationDir);

// What a document may cost the helper before it is given up.
struct HelperLimits {
    int timeMs = 20000;
    qint64 memoryBytes = qint64(1024) * 1024 * 1024;
};

// The page texts of the helper's "text" output; nothing when the output is damaged
// or cut short.
std::optional<QStringList> ParsePageTexts(QByteArrayView output);

// One character of a rendered page, with its box in points from the top left. A
// break between words is a space with an empty box.
struct PageChar {
    QString text;
    QRectF box;
};
struct RenderedPage {
    QSizeF size; // in points
    // The rendered page, 32-bit ARGB rows of `stride` bytes.
    int width = 0;
    int height = 0;
    qsizetype stride = 0;
    QByteArray pixels;
    QList<PageChar> chars;
};
// The helper's "page" output; nothing when damaged or cut short.
std::optional<RenderedPage> ParseRenderedPage(QByteArrayView output);

// Runs the helper on one PDF within the limits and returns its pages; nothing when
// it fails, crashes, hangs or runs out of memory (the text cannot be read).
std::optional<QStringList> ReadPdfText(const QString &helper, const QString &file, const HelperLimits &limits = {});

// The helper's arguments for rendering a page (0-based) at a resolution.
QStringList RenderArguments(const QString &file, int page, int dpi);

// Sets the limits on the process about to run the helper: called in the child after
// fork, before exec (QProcess::setChildProcessModifier).
void ApplyHelperLimits(const HelperLimits &limits);
