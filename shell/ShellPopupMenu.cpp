#include "shell/ShellPopupMenu.h"

// Placeholder until the menu component lands: shows nothing.
TShellPopupMenu::TShellPopupMenu(fw::Component* owner) : fw::PopupMenu(owner) {}
TShellPopupMenu::~TShellPopupMenu() = default;
int TShellPopupMenu::DoContextMenu(TShellIDList&, POINT) { return 0; }
