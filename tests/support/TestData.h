#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>

// Small helpers for writing test files.
inline bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QByteArray Sjis(const QString &text)
{
    QStringEncoder encoder("cp932");
    return encoder(text);
}

inline QByteArray Euc(const QString &text)
{
    QStringEncoder encoder("EUC-JP");
    return encoder(text);
}

// The tests' own certificate authority and the practice service's certificate for
// 127.0.0.1 signed by it: "ca.pem", "server.pem", "server.key".
inline QString TestTlsFile(const char *name)
{
    return QStringLiteral(HIBARI_SOURCE_DIR "/tests/support/tls/") + QLatin1StringView(name);
}
