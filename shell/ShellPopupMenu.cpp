#include "shell/ShellPopupMenu.h"

#include <algorithm>

#include "framework/base/ScopeExit.h"
#include "framework/ui/Application.h"
#include "framework/ui/Form.h"
#include "framework/ui/ImageList.h"
#include "framework/ui/MenuPainter.h"

namespace {
constexpr char kMenuWindowClass[] = "OrvaneShellMenuWindow";
// The shell's numbers for its commands run up to here.
constexpr UINT kLastShellCommand = 0x7FFF;
// The shell's rename command: chosen, it is handed back to the caller to
// start in-place renaming, never run through the shell.
constexpr UINT kRenameOffset = 18;

const IID kIIDContextMenu2 = {0x000214F4, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIIDContextMenu3 = {0xBCFCE0A0, 0xEC17, 0x11D0, {0x8D, 0x10, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x19}};

UINT ContextFlags(TShellContextType type) {
  switch (type) {
    case shctNormal:
      return CMF_NORMAL;
    case shctDefaultOnly:
      return CMF_DEFAULTONLY;
    case shctExplore:
    default:
      return CMF_EXPLORE;
  }
}

}  // namespace

TShellPopupMenu::TShellPopupMenu(fw::Component* owner) : fw::PopupMenu(owner) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(instance, kMenuWindowClass, &wc)) {
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TShellPopupMenu::MenuWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kMenuWindowClass;
    ::RegisterClassExA(&wc);
  }
  m_menuWindow.reset(::CreateWindowExA(WS_EX_TOOLWINDOW, kMenuWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       instance, nullptr));
  if (m_menuWindow) ::SetWindowLongPtrA(m_menuWindow.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TShellPopupMenu::~TShellPopupMenu() {
  // The window's last messages must not reach a half-destroyed menu.
  if (m_menuWindow) ::SetWindowLongPtrA(m_menuWindow.get(), GWLP_USERDATA, 0);
  m_menuWindow.reset();
}

LRESULT CALLBACK TShellPopupMenu::MenuWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TShellPopupMenu*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(wnd, msg, wp, lp);
  try {
    return self->MenuCallbackProc(msg, wp, lp);
  } catch (const std::exception& e) {
    fw::HandleException(e);
  }
  return 0;
}

HWND TShellPopupMenu::PopupOwnerWindow() const {
  fw::Form* form = dynamic_cast<fw::Form*>(Owner());
  if (!form) form = fw::Application().MainForm();
  return form ? form->Handle() : nullptr;
}

unsigned TShellPopupMenu::GetInsertPos() {
  auto count = static_cast<unsigned>(Items() ? Items()->Count() : 0);
  m_insertPos = std::min(m_insertPos, count);
  return m_insertPos;
}

bool TShellPopupMenu::CanPopup(const TShellIDList& list, POINT pt) {
  bool allow = true;
  if (OnShBeforPopup) OnShBeforPopup(this, list, pt, allow);
  return allow;
}

void TShellPopupMenu::DoAfterPopup(fw::MenuItem* item, const TShellIDList& list) {
  if (OnShAfterPopup) OnShAfterPopup(this, item, list);
}

bool TShellPopupMenu::IsOwnerDrawn(const fw::MenuItem& item) const {
  return Images() != nullptr || item.Bitmap() != nullptr;
}

UINT TShellPopupMenu::ApplyMenus(HMENU menu) {
  m_lastOwnCommand = InsertItemsInto(menu, static_cast<UINT>(-1), true,
                                     [this](const fw::MenuItem& item) { return IsOwnerDrawn(item); });
  return m_lastOwnCommand;
}

void TShellPopupMenu::DeleteInsertMenu(HMENU menu) { RemoveItemsFrom(menu); }

int TShellPopupMenu::DoContextMenu(TShellIDList& list, POINT screenPt) {
  UINT flags = ContextFlags(m_contextType);
  if (!m_readOnly) flags |= CMF_CANRENAME;
  if (list.Count() == 0) return 0;
  fw::ComPtr<IShellFolder> folder;
  if (!list.GetShellFolder(folder) || !folder) return 0;
  HWND owner = PopupOwnerWindow();
  if (!CanPopup(list, screenPt) || !owner) return 0;

  fw::ComPtr<IContextMenu> contextMenu;
  HRESULT hr = folder->GetUIObjectOf(owner, static_cast<UINT>(list.Count()),
                                     const_cast<PCUITEMID_CHILD_ARRAY>(list.GetItemIDs()), IID_IContextMenu, nullptr,
                                     contextMenu.PutVoid());
  if (FAILED(hr) || !contextMenu) return 0;
  m_contextMenu = contextMenu;
  m_contextMenu2 = contextMenu.As<IContextMenu2>(kIIDContextMenu2);
  m_contextMenu3 = contextMenu.As<IContextMenu3>(kIIDContextMenu3);

  fw::MenuHandle menu(::CreatePopupMenu());
  // However the menu ends, the own items leave it before it is destroyed
  // (their sub-menus are theirs), and the shell's object is let go.
  fw::ScopeExit cleanUp([&] {
    DeleteInsertMenu(menu.get());
    menu.reset();
    m_contextMenu3 = nullptr;
    m_contextMenu2 = nullptr;
    m_contextMenu = nullptr;
  });
  if (!menu) return 0;

  CMINVOKECOMMANDINFO invoke{};
  invoke.cbSize = sizeof invoke;
  invoke.hwnd = owner;
  invoke.nShow = SW_SHOWNORMAL;

  UINT highest = ApplyMenus(menu.get());
  // Positions count the items that are in the native menu: invisible own
  // items are not, so the stored position is capped by what is there.
  UINT index = std::min<UINT>(GetInsertPos(), static_cast<UINT>(::GetMenuItemCount(menu.get())));
  hr = contextMenu->QueryContextMenu(menu.get(), index, highest + 1, kLastShellCommand, flags);
  // The shell's first item is what a double click would do: shown bold.
  // With no shell item added the item there is an own one, which keeps its look.
  if (SUCCEEDED(hr) && HRESULT_CODE(hr) > 0) ::SetMenuDefaultItem(menu.get(), index, TRUE);

  UINT chosen = 0;
  if (const auto& hook = fw::PopupMenu::GetPopupHook()) {
    chosen = hook(*this, menu.get());
  } else {
    ::SetForegroundWindow(owner);
    chosen = static_cast<UINT>(::TrackPopupMenuEx(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                  screenPt.x, screenPt.y, m_menuWindow.get(), nullptr));
    ::PostMessageA(m_menuWindow.get(), WM_NULL, 0, 0);
  }
  if (chosen == 0) return 0;

  if (chosen <= highest) {
    fw::MenuItem* item = FindItem(chosen, fw::TFindItemKind::fkCommand);
    if (!item) return 0;
    item->Click();
    DoAfterPopup(item, list);
    return static_cast<int>(chosen);
  }
  UINT offset = chosen - highest - 1;
  if (offset == kRenameOffset) return kShellMenuCodeRename;
  invoke.lpVerb = MAKEINTRESOURCEA(offset);
  if (FAILED(contextMenu->InvokeCommand(&invoke))) return 0;
  return static_cast<int>(offset + 1);
}

fw::MenuItem* TShellPopupMenu::OwnItem(ULONG_PTR itemData) {
  fw::MenuItem* item = fw::MenuItem::FromItemData(itemData);
  return item && item->GetMenu() == this ? item : nullptr;
}

LRESULT TShellPopupMenu::ForwardToShell(UINT msg, WPARAM wp, LPARAM lp, bool& forwarded) {
  forwarded = true;
  if (m_contextMenu3) {
    LRESULT result = 0;
    if (SUCCEEDED(m_contextMenu3->HandleMenuMsg2(msg, wp, lp, &result))) return result;
    return 0;
  }
  if (m_contextMenu2) {
    m_contextMenu2->HandleMenuMsg(msg, wp, lp);
    return 0;
  }
  forwarded = false;
  return 0;
}

void TShellPopupMenu::SelectHint(WPARAM wp, LPARAM lp) {
  UINT id = LOWORD(wp);
  UINT menuFlags = HIWORD(wp);
  auto menu = reinterpret_cast<HMENU>(lp);
  fw::MenuItem* item = nullptr;
  bool popup = (menuFlags & MF_POPUP) != 0;
  if (popup) {
    HMENU sub = menu ? ::GetSubMenu(menu, static_cast<int>(id)) : nullptr;
    if (sub) item = FindItem(reinterpret_cast<UINT_PTR>(sub), fw::TFindItemKind::fkHandle);
  } else {
    item = FindItem(id, fw::TFindItemKind::fkCommand);
  }
  if (item) {
    fw::Application().SetHint(fw::GetLongHint(item->Hint()));
    return;
  }
  fw::Application().SetHint(" ");
  // Only the shell's commands have help texts; a sub-menu entry's word is its position.
  if (popup || !m_contextMenu || id <= m_lastOwnCommand) return;
  char text[201] = {};
  HRESULT hr =
      m_contextMenu->GetCommandString(id - m_lastOwnCommand - 1, GCS_HELPTEXTA, nullptr, text, sizeof text - 1);
  if (FAILED(hr)) return;
  text[sizeof text - 1] = '\0';
  // An empty help text from the plain interface still clears the last hint.
  bool blank = text[0] == '\0' && !m_contextMenu2 && !m_contextMenu3;
  fw::Application().SetHint(std::string(blank ? " " : text));
}

LRESULT TShellPopupMenu::MenuCallbackProc(UINT msg, WPARAM wp, LPARAM lp) {
  HWND wnd = m_menuWindow.get();
  switch (msg) {
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (dis->CtlType == ODT_MENU) {
        if (fw::MenuItem* item = OwnItem(dis->itemData)) {
          fw::DrawOwnerMenuItem(*item, dis->hDC, dis->rcItem, (dis->itemState & ODS_SELECTED) != 0, Images());
          return TRUE;
        }
      }
      bool forwarded = false;
      ForwardToShell(msg, wp, lp, forwarded);
      if (forwarded) return TRUE;
      break;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (mis->CtlType == ODT_MENU) {
        if (fw::MenuItem* item = OwnItem(mis->itemData)) {
          fw::WindowDC dc(nullptr);
          SIZE size = fw::MeasureOwnerMenuItem(*item, dc.get(), Images());
          mis->itemWidth = static_cast<UINT>(size.cx);
          mis->itemHeight = static_cast<UINT>(size.cy);
          return TRUE;
        }
      }
      bool forwarded = false;
      ForwardToShell(msg, wp, lp, forwarded);
      if (forwarded) return TRUE;
      break;
    }
    case WM_INITMENUPOPUP: {
      if (fw::MenuItem* item = FindItem(static_cast<UINT_PTR>(wp), fw::TFindItemKind::fkHandle)) {
        // An own sub-menu opens: its item's click handler may bring it up to date.
        if (item->OnClick) item->OnClick(item);
        return 0;
      }
      bool forwarded = false;
      ForwardToShell(msg, wp, lp, forwarded);
      return 0;
    }
    case WM_MENUSELECT:
      if (HIWORD(wp) == 0xFFFF && lp == 0) break;  // the menu closes
      SelectHint(wp, lp);
      return 0;
    case WM_MENUCHAR:
      if (LRESULT r = ProcessMenuChar(reinterpret_cast<HMENU>(lp), static_cast<char>(LOWORD(wp)))) return r;
      break;
    case WM_HELP: {
      auto* info = reinterpret_cast<HELPINFO*>(lp);
      if (info && info->iContextType == HELPINFO_MENUITEM) {
        fw::MenuItem* item = FindItem(static_cast<UINT>(info->iCtrlId), fw::TFindItemKind::fkCommand);
        int context = 0;
        for (fw::MenuItem* i = item; i && !context; i = i->ParentItem()) context = i->HelpContext();
        if (context) fw::Application().HelpContext(context);
      }
      return TRUE;
    }
    default:
      break;
  }
  return wnd ? ::DefWindowProcA(wnd, msg, wp, lp) : 0;
}
