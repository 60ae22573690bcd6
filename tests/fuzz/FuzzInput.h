#pragma once

// Shared by the fuzz targets: the ways a target turns its bytes into text, and the
// check that stops a run when an expectation fails.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include "conversion/ESConv.h"

// A failed expectation is a finding: abort, so that libFuzzer saves the input.
#define FUZZ_EXPECT(condition)                                                                                         \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "expectation failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);                  \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

inline QByteArray FuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The conversion table the program ships, loaded once.
inline const EucTable &shippedTable()
{
    static const EucTable *const table = [] {
        auto *loaded = new EucTable;
        if (!LoadEucTable(*loaded, QStringLiteral(HIBARI_SOURCE_DIR "/data/E2S.param"))) {
            std::fprintf(stderr, "cannot load data/E2S.param\n");
            std::abort();
        }
        return loaded;
    }();
    return *table;
}

// Page text from fuzz bytes. The first byte says how the rest is read: "U" as UTF-8,
// "W" as UTF-16 (any code unit, lone surrogates too), anything else as an EUC-JP page
// through the shipped table, as the program reads the service's answers. The seeds
// begin with "E".
inline QString PageText(const uint8_t *data, size_t size)
{
    if (size == 0)
        return {};
    const char *rest = reinterpret_cast<const char *>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    switch (data[0]) {
    case 'U': return QString::fromUtf8(rest, length);
    case 'W': {
        QString text(length / 2, Qt::Uninitialized); // the bytes need not be aligned
        std::memcpy(text.data(), rest, size_t(text.size()) * 2);
        return text;
    }
    default: return EucToSjis(shippedTable(), QByteArray(rest, length));
    }
}

// True when `path` is a file directly in `folder` of the library at `library`: the
// name after it holds no "/" that would lead elsewhere.
inline bool DirectlyIn(const QString &path, const QString &library, const QString &folder)
{
    const QString prefix = library + folder + u'/';
    return path.startsWith(prefix) && !QStringView(path).sliced(prefix.size()).contains(u'/');
}

// True when `address` begins with "http://" or "https://", in any case, as the pages'
// absolute links may.
inline bool IsWebAddress(const QString &address)
{
    return address.startsWith(QLatin1StringView("http://"), Qt::CaseInsensitive)
           || address.startsWith(QLatin1StringView("https://"), Qt::CaseInsensitive);
}
