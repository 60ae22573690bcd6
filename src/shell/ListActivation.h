#pragma once

#include <functional>

class QListWidget;

// A double-click on an entry of `list`, or Enter while an entry is selected, runs
// `command` (the window's "文書表示"). A single click keeps its own meaning, and
// Enter without a selection goes on to the window as before.
void RunOnActivation(QListWidget *list, std::function<void()> command);
