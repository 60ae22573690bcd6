#include "shell/MainModule.h"

#include "shell/ProgramState.h"
#include "shell/ShowPainted.h"
#include "shell/frmMain.h"

void Main(frmMain &menu, ProgramState &state, const StartPaths &paths)
{
    menu.SetStarting(true);
    ShowPainted(menu);
    PrepareProgram(state, paths);
    menu.SetStarting(false);
}
