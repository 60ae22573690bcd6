#include "PracticeServer.h"

void AddOtcRoutes(PracticeServer &) {}
