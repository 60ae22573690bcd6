#pragma once

#include <QString>
#include <QStringList>

// The clipboard and memo line end.
inline constexpr QStringView CrLf = u"\r\n";

// Every line followed by CR LF (an empty list gives an empty text).
QString CopyText(const QStringList &lines);

// Encodes text as Shift-JIS (cp932) after FoldToCp932; a character that cp932 cannot
// hold becomes "?".
QByteArray ToShiftJis(QStringView text);

// Writes the lines, each with CR LF, in Shift-JIS over the file at `path` through
// WriteFileAtomically. Returns an empty text on success, else a Japanese description
// of the failure.
QString WriteMemoFile(const QString &path, const QStringList &lines);
