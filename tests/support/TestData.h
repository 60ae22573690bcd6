#pragma once

#include <initializer_list>
#include <utility>

#include <QByteArray>
#include <QFile>
#include <QString>
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
