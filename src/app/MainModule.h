#pragma once

#include "app/StartUp.h"

class Desktop;
class frmMain;
struct ProgramState;

// Start-up: shows the menu in its starting state and painted, prepares paths,
// library folders, conversion tables and the document-kind choice, then makes the
// menu ready; then tells the user, through `desktop`, of a library that was moved.
void Main(frmMain &menu, ProgramState &state, const StartPaths &paths, Desktop *desktop = nullptr);
