#include "retrieval/Fetch.h"

// Placeholder until the transfer is in.
std::optional<QByteArray> FetchBytes(AppContext &, QWidget *, Inet1 &, const QString &, BodyUse)
{
    return std::nullopt;
}

std::optional<QString> FetchPage(AppContext &, QWidget *, Inet1 &, const QString &, Yield)
{
    return std::nullopt;
}
