#include "prescription/PrescriptionDocuments.h"

// Placeholder until the documents are in.
void ShowPrescriptionDocuments(AppContext &, QWidget *, Inet1 &, int, const QString &, const QString &) {}
void ShowRevisionHistory(AppContext &, QWidget *, Inet1 &, int, const QString &, const QString &) {}
