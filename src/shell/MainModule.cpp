#include "shell/MainModule.h"

#include "shell/ProgramState.h"
#include "shell/frmMain.h"

void Main(frmMain &menu, ProgramState &state, const StartPaths &paths)
{
    menu.SetStarting(true);
    menu.show();
    menu.repaint();
    PrepareProgram(state, paths);
    menu.SetStarting(false);
}
