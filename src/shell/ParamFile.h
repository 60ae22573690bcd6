#pragma once

#include <QList>
#include <QString>

// One record of a choice-list parameter file: the URL-ready query value and the
// text shown in the list.
struct ParamRecord {
    QString value;
    QString text;
};

// Reads a Shift-JIS parameter file of two-field records, one per line. Fields follow
// sequential-input rules: a comma or the line end closes a field, blanks before a
// field are skipped, a field in double quotes may hold commas (the quotes are
// dropped). Blank lines are skipped. At most `capacity` records are returned; a
// missing or unreadable file gives what could be read (possibly nothing).
QList<ParamRecord> ReadParamFile(const QString &path, qsizetype capacity);

// Parses the text of such a file (already decoded).
QList<ParamRecord> ParseParamText(const QString &text, qsizetype capacity);
