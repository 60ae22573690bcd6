#include "app/MainModule.h"

#include "shell/Desktop.h"
#include "shell/Messages.h"
#include "shell/ProgramState.h"
#include "shell/ShowPainted.h"
#include "app/frmMain.h"

void Main(frmMain &menu, ProgramState &state, const StartPaths &paths, Desktop *desktop)
{
    menu.setStarting(true);
    ShowPainted(menu);
    const QString moved = PrepareProgram(state, paths);
    menu.setStarting(false);
    if (!moved.isEmpty() && desktop)
        desktop->message(&menu, moved, Messages::LibraryMovedTitle, Desktop::Icon::Information);
}
