#include "PracticeServer.h"

void AddFixedRoutes(PracticeServer &) {}
