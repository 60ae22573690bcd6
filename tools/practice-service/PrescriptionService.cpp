#include "PracticeServer.h"

void AddPrescriptionRoutes(PracticeServer &) {}
