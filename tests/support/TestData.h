#pragma once

#include <initializer_list>
#include <utility>

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QStringEncoder>
#include <QTest>

// Small helpers for writing test files.
inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QByteArray sjisBytes(const QString &text)
{
    QStringEncoder encoder("cp932");
    return encoder(text);
}

inline QByteArray eucBytes(const QString &text)
{
    QStringEncoder encoder("EUC-JP");
    return encoder(text);
}

// The tests' own certificate authority and the practice service's certificate for
// 127.0.0.1 signed by it: "ca.pem", "server.pem", "server.key".
inline QString testTlsFile(const char *name)
{
    return QStringLiteral(HIBARI_SOURCE_DIR "/tests/support/tls/") + QLatin1StringView(name);
}

// The columns of a data-driven test in one statement:
// addColumns<QString, int>("text", "number").
template <typename... Types, typename... Names> void addColumns(const Names &...names)
{
    static_assert(sizeof...(Types) == sizeof...(Names), "one name per column type");
    (QTest::addColumn<Types>(names), ...);
}

// The current row's value in the named column, as QFETCH gives it, for a test whose
// body is one comparison: QCOMPARE(LeadingNumber(fetch<QString>("text")), fetch<int>("number")).
template <typename T> const T &fetch(const char *column)
{
    return *static_cast<const T *>(QTest::qData(column, qMetaTypeId<T>()));
}

// One bool column and its named rows: boolRows("closeBox", {{"変更しない", false}, {"close box", true}}).
inline void boolRows(const char *column, std::initializer_list<std::pair<const char *, bool>> rows)
{
    QTest::addColumn<bool>(column);
    for (const auto &[name, value] : rows)
        QTest::newRow(name) << value;
}

// A file name that FitFileName has cut: in `expected`, "…*" stands for the mark at the
// cut ("…" and eight hexadecimal digits of the whole name).
inline bool matchesCut(const QString &actual, const QString &expected)
{
    QString pattern = QRegularExpression::escape(expected);
    pattern.replace(QRegularExpression::escape(QStringLiteral(u"…*")), QStringLiteral(u"…[0-9a-f]{8}"));
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(actual).hasMatch();
}

// `expected` with each name that holds "…*" replaced by the name at the same index of
// `actual` when that one matches it, so that the lists can then be compared whole.
inline QStringList resolveCuts(QStringList expected, const QStringList &actual)
{
    for (qsizetype i = 0; i < expected.size() && i < actual.size(); ++i) {
        if (expected[i].contains(QStringLiteral(u"…*")) && matchesCut(actual[i], expected[i]))
            expected[i] = actual[i];
    }
    return expected;
}

// The title a practice document carries, as it stands in the PDF's bytes.
inline QByteArray PdfTitleBytes(const QString &title)
{
    QByteArray hex = "FEFF";
    for (const QChar c : title)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return '<' + hex + '>';
}
