#pragma once
// The shell's own context menu for a set of items, merged with the
// component's own menu items. The folder tree and the contents list show it
// on a right click and act on the code it returns.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <functional>

#include "framework/base/ComPtr.h"
#include "framework/base/Handle.h"
#include "framework/ui/Menus.h"
#include "shell/ShellItems.h"

enum TShellContextType : unsigned char { shctExplore, shctNormal, shctDefaultOnly };

using TShellBeforPopupEvent =
    std::function<void(fw::Object* sender, const TShellIDList& list, POINT pt, bool& allowPopup)>;
using TShellAfterPopupEvent = std::function<void(fw::Object* sender, fw::MenuItem* item, const TShellIDList& list)>;

// Codes of DoContextMenu that the callers act on: the shell's command offset + 1.
inline constexpr int kShellMenuCodeCreateShortcut = 17;  // offset 16
inline constexpr int kShellMenuCodeDelete = 18;          // offset 17
inline constexpr int kShellMenuCodeRename = 19;          // offset 18, never run by the menu
inline constexpr int kShellMenuCodeCut = 25;             // offset 24

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
  //
  // While the framework's pop-up hook (fw::PopupMenu::SetPopupHook) is set,
  // the hook is given the merged native menu instead of tracking it, and its
  // answer is taken as the chosen command.
  virtual int DoContextMenu(TShellIDList& list, POINT screenPt);

  // AutoPopup/SetAutoPopup (from fw::PopupMenu): off, the framework does not
  // show the menu on its own (the shell controls that link it call
  // DoContextMenu themselves).

  // Raises OnShBeforPopup with allowPopup preset true.
  virtual bool CanPopup(const TShellIDList& list, POINT pt);
  // Raises OnShAfterPopup.
  virtual void DoAfterPopup(fw::MenuItem* item, const TShellIDList& list);

  // Appends the visible own items to menu; returns the highest own command
  // identifier (0 when there are none), also kept as the base below which
  // the shell's commands are numbered.
  UINT ApplyMenus(HMENU menu);
  // Takes the own items out of menu again (their sub-menus stay alive).
  void DeleteInsertMenu(HMENU menu);

  // Where the shell's items go among the own items; reading clamps the
  // stored value to the number of own items (and keeps the clamped value).
  unsigned GetInsertPos();
  void SetInsertPos(unsigned v) noexcept { m_insertPos = v; }
  // False: the shell is asked to offer its rename command too.
  bool ReadOnly() const noexcept { return m_readOnly; }
  void SetReadOnly(bool v) noexcept { m_readOnly = v; }
  TShellContextType ContextType() const noexcept { return m_contextType; }
  void SetContextType(TShellContextType v) noexcept { m_contextType = v; }

  // The hidden window that owns the menu while it is tracked and routes the
  // menu's messages (drawing, hints, sub-menus) to the own items or the shell.
  HWND MenuWindow() const noexcept { return m_menuWindow.get(); }
  // The window procedure of MenuWindow.
  LRESULT MenuCallbackProc(UINT msg, WPARAM wp, LPARAM lp);

  TShellBeforPopupEvent OnShBeforPopup;
  TShellAfterPopupEvent OnShAfterPopup;

 private:
  static LRESULT CALLBACK MenuWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND PopupOwnerWindow() const;
  // Whether own item is drawn by us in the shell's menu.
  bool IsOwnerDrawn(const fw::MenuItem& item) const;
  fw::MenuItem* OwnItem(ULONG_PTR itemData);
  void SelectHint(WPARAM wp, LPARAM lp);
  LRESULT ForwardToShell(UINT msg, WPARAM wp, LPARAM lp, bool& forwarded);

  fw::WindowHandle m_menuWindow;
  UINT m_lastOwnCommand = 0;  // the shell's commands start one above
  unsigned m_insertPos = 0;
  bool m_readOnly = true;
  TShellContextType m_contextType = shctExplore;
  // The shell's menu object while its menu is shown.
  fw::ComPtr<IContextMenu> m_contextMenu;
  fw::ComPtr<IContextMenu2> m_contextMenu2;
  fw::ComPtr<IContextMenu3> m_contextMenu3;
};
