#pragma once

#include <cstring>
#include <optional>

#include <QByteArray>

// The bytes of one version of a large document: the version number, then a pattern
// that depends on it throughout, so that a file mixing two versions or cut short is
// told from every whole version.
inline QByteArray DocumentVersion(qint64 version, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    std::memcpy(bytes.data(), &version, sizeof version);
    quint32 state = quint32(version) * 2654435761u + 1;
    for (qsizetype i = sizeof version; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = char(state >> 24);
    }
    return bytes;
}

// The version that `bytes` are whole, or nothing.
inline std::optional<qint64> WholeVersion(const QByteArray &bytes, qsizetype size)
{
    qint64 version = 0;
    if (bytes.size() != size || size < qsizetype(sizeof version))
        return std::nullopt;
    std::memcpy(&version, bytes.constData(), sizeof version);
    if (bytes != DocumentVersion(version, size))
        return std::nullopt;
    return version;
}
