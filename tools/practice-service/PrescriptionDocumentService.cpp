#include "PracticeServer.h"

void AddPrescriptionDocumentRoutes(PracticeServer &) {}
