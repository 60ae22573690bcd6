#include "retrieval/Inet1.h"

// Placeholder until the transfer is in.
Inet1::Inet1(int timeoutMs) : m_timeoutMs(timeoutMs) {}
Inet1::~Inet1() = default;
void Inet1::setTimeout(int timeoutMs) { m_timeoutMs = timeoutMs; }
Inet1::Reply Inet1::OpenURL(const QString &) { return {}; }
