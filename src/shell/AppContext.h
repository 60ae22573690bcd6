#pragma once

#include "shell/Desktop.h"
#include "shell/ProgramState.h"

// What every window is given: the program-wide state and the desktop seam.
struct AppContext {
    ProgramState &state;
    Desktop &desktop;
};
