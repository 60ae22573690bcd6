#pragma once

#include <functional>

#include <QByteArray>
#include <QString>

#include "shell/EucTable.h"

// Called with (byte position, percent) whenever the percentage changes. The percent
// is position × 100 / last index, as the progress window shows it; an input of one
// byte reports nothing.
using ConvertProgress = std::function<void(qsizetype position, int percent)>;

// Converts a page body from EUC-JP through the table. Bytes that begin no known
// sequence are dropped; the scan runs through the last byte, and a sequence that
// would need bytes beyond the end is dropped.
QString EucToSjis(const EucTable &table, const QByteArray &bytes, const ConvertProgress &progress = {});

// Percent-encodes text as EUC-JP bytes for a query string; every character is
// encoded, one without a table entry (or outside cp932) as %00.
QString EncodeQuery(const EucTable &table, const QString &text);
