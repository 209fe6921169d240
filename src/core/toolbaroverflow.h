#pragma once

class QMenu;
class QToolBar;

namespace zovi {

// A toolbar placed in a page's layout (not in a main window's toolbar area) hides the buttons
// that do not fit and shows its extension button, but that button expands nothing there.
// This turns it into an overflow menu: a click lists the hidden buttons, each enabled as its
// button is, and choosing one clicks that button.
void AddToolBarOverflow(QToolBar* bar);

// The overflow menu of bar as it is now: the buttons the toolbar hides for want of room, in
// their order. The caller owns the menu.
QMenu* ToolBarOverflowMenu(QToolBar* bar);

} // namespace zovi
