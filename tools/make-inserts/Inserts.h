#pragma once

#include <QString>
#include <QStringList>

// Japanese package inserts made up for tests, the practice service and the
// benchmark: the usual sections (警告, 禁忌, 組成・性状, 効能又は効果, 用法及び用量,
// 使用上の注意, 相互作用 with tables), drug names in half-width katakana in places,
// and long paragraphs that the layout breaks across lines, inside words.
struct Insert {
    QString name;      // the drug's name, unique to the insert's number
    QString html;      // the text, as laid out on the pages
    QStringList words; // words that occur in this insert only
};

// Insert number `number` (any number gives the same insert every time), of about
// `pages` A4 pages.
Insert MakeInsert(int number, int pages);

// Katakana in half-width forms, as some inserts print drug names in tables.
QString HalfWidthKatakana(const QString &katakana);

// Writes the insert as a PDF with Qt's PDF writer and the IPA font. Needs a
// QGuiApplication. False when the file cannot be written.
bool WriteInsertPdf(const Insert &insert, const QString &path);
