#pragma once
// Own menu items in the system menu (window menu) of the form that owns the
// component, standard system commands removed or greyed, and status-bar
// hints for the system commands.
#include <windows.h>

#include <cstdint>

#include "framework/base/Exception.h"
#include "framework/base/Set.h"
#include "framework/ui/Control.h"
#include "framework/ui/Menus.h"

namespace fw {
class Form;
}

// Where the own items go: at the top, at the end, or before a standard command.
enum TShSysMenuInstPos : unsigned char { mpTop, mpLast, mpSize, mpMove, mpMinimize, mpMaximize, mpClose, mpRestore };
// The standard commands that stay usable.
enum TShSysMenuCommand : unsigned char { scSize, scMove, scMinimize, scMaximize, scClose, scRestore };
using TShSysMenuCommands = fw::Set<TShSysMenuCommand, std::uint8_t>;
inline constexpr TShSysMenuCommands kAllSysMenuCommands = TShSysMenuCommands::FromBits(0x3F);  // every standard command

class TShSysMenuError : public fw::Exception {
 public:
  using fw::Exception::Exception;
};

class TShellSystemMenu : public fw::PopupMenu {
 public:
  // owner must be a form (fw::EInvalidCast otherwise) that carries no other
  // TShellSystemMenu (TShSysMenuError otherwise).
  explicit TShellSystemMenu(fw::Component* owner);
  ~TShellSystemMenu() override;

  // Applies the command status to the form's window once the form is built.
  // (The status is applied again whenever the form's window is created.)
  void Loaded();

  // Own items into / out of the window's system menu.
  void ApplyMenus(HWND wnd);
  void DeleteInsertMenu(HWND wnd);
  // Resets the window's system menu to the standard one, then greys the close
  // command and deletes the other standard commands not in EnableCommands.
  void SetSysMenuStatus(HWND wnd);

  TShSysMenuCommands EnableCommands() const noexcept { return m_enableCommands; }
  void SetEnableCommands(TShSysMenuCommands v);
  TShSysMenuInstPos InsertPos() const noexcept { return m_insertPos; }
  void SetInsertPos(TShSysMenuInstPos v);
  // A position (mpTop 0, mpLast -1) or a standard command identifier.
  UINT InsertReference() const noexcept { return m_insertRef; }

  // The form's messages while the component lives.
  LRESULT NewWndProc(UINT msg, WPARAM wp, LPARAM lp);
  // The application window's messages (the task-bar button's menu); never
  // marks a message handled.
  bool AppWindowHook(UINT msg, WPARAM wp, LPARAM lp);

  fw::Form* OwnerForm() const noexcept { return m_form; }

 private:
  bool IsOwnerDrawn(const fw::MenuItem& item) const;
  // Hint of a standard command; false for any other identifier.
  static bool StandardCommandHint(UINT id);
  LRESULT WindowMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT CallPrevious(UINT msg, WPARAM wp, LPARAM lp);
  void RestoreWindowProc();

  UINT m_insertRef = 0;
  TShSysMenuInstPos m_insertPos = mpTop;
  TShSysMenuCommands m_enableCommands = kAllSysMenuCommands;
  fw::Form* m_form = nullptr;
  fw::Control::WindowMethod m_previousWndProc;
  // The form this component is registered for in the process-wide list
  // (kept apart from m_form, which goes when the window does).
  fw::Form* m_listedForm = nullptr;
  int m_appHookToken = 0;
};
