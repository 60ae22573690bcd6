#pragma once

class QApplication;
class QWidget;

// What a screen reader announces: every control that takes the focus carries the
// name a sighted user reads beside it, and the helpers the user never sees are left
// out of what the desktop's accessibility bus shows. A text box or choice list is
// named by its label (QLabel::setBuddy in the window's .ui) or, where no label names
// it alone, by an accessible name from the message table.

// From now on, each window of the program, whenever it is shown, has its controls
// named for the reader: a button whose caption is widened with spaces ("メ　モ") is
// read without them ("メモ"); a choice list is named by its label, not by the entry it
// shows, and so is the list its entries drop down in; a scroll area that holds a
// window cut to a small screen bears the window's title. Called once at start-up.
void NameControlsForReader(QApplication &app);

// Takes a control the user never sees (a hidden list that carries data for the
// visible one, a holder below the client area) out of the window's accessible tree
// and out of the focus chain. It stays a child of its window and keeps its data.
void HideFromReader(QWidget &helper);
