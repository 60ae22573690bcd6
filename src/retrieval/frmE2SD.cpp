#include "retrieval/frmE2SD.h"

#include "retrieval/ESConv.h"

// Placeholder until the progress window is in.
QString EucToSjisShown(const EucTable &table, const QByteArray &bytes)
{
    return EucToSjis(table, bytes);
}
