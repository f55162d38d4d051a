#pragma once
// The shell's own context menu for a set of items, merged with the
// component's own menu items. The folder tree and the contents list show it
// on a right click and act on the code it returns.
#include <windows.h>
#include <shlobj.h>

#include <functional>

#include "framework/ui/Menus.h"
#include "shell/ShellItems.h"

enum TShellContextType : unsigned char { shctExplore, shctNormal, shctDefaultOnly };

using TShellBeforPopupEvent =
    std::function<void(fw::Object* sender, const TShellIDList& list, POINT pt, bool& allowPopup)>;
using TShellAfterPopupEvent = std::function<void(fw::Object* sender, fw::MenuItem* item, const TShellIDList& list)>;

class TShellPopupMenu : public fw::PopupMenu {
 public:
  explicit TShellPopupMenu(fw::Component* owner);
  ~TShellPopupMenu() override;

  // Shows the merged menu for the items at a screen point and returns:
  // 0 nothing chosen (or not shown, or the shell command failed); the
  // command identifier of an own item (its click handler has run); 18 the
  // shell's delete was run; 19 the shell's rename was chosen (not run);
  // 25 the shell's cut was run; shell offset + 1 for any other shell command.
  // Virtual so that the controls that call it can be tested with a double.
  virtual int DoContextMenu(TShellIDList& list, POINT screenPt);

  // Off: the framework does not show the menu on its own (the shell controls
  // that link it call DoContextMenu themselves).
  bool AutoPopup() const noexcept { return m_autoPopup; }
  void SetAutoPopup(bool v) noexcept { m_autoPopup = v; }

  TShellBeforPopupEvent OnShBeforPopup;
  TShellAfterPopupEvent OnShAfterPopup;

 private:
  bool m_autoPopup = true;
};
