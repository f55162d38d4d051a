#include "framework/ui/Menus.h"

#include <algorithm>
#include <cstddef>
#include <unordered_set>

#include "framework/base/Mbcs.h"
#include "framework/ui/Application.h"
#include "framework/ui/Commands.h"
#include "framework/ui/Form.h"
#include "framework/ui/ImageList.h"

namespace fw {
namespace {
// Owner-drawn menu parts carry a MenuItem pointer; only pointers in this set
// are trusted (other menus, such as the shell's, draw items of their own).
std::unordered_set<const MenuItem*>& LiveItems() {
  static std::unordered_set<const MenuItem*> items;
  return items;
}
PopupMenu::PopupHook& PopupHookRef() {
  static PopupMenu::PopupHook hook;
  return hook;
}
// The menu item record as every Windows version since NT 4 reads it: without
// the item bitmap member, which menus of ours spliced into the system's never use.
constexpr UINT kMenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);
#if !defined(_WIN64)
static_assert(kMenuItemInfoSize == 44, "the 32-bit record without hbmpItem is 44 bytes");
#endif
// State, identifier, sub-menu, check marks, type, data.
constexpr UINT kTransferMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
static_assert(kTransferMask == 0x3F);

UINT BreakType(TMenuBreak b) {
  switch (b) {
    case TMenuBreak::mbBreak:
      return MFT_MENUBREAK;
    case TMenuBreak::mbBarBreak:
      return MFT_MENUBARBREAK;
    default:
      return 0;
  }
}

// The upper-case form of a single-byte character in the ANSI code page.
char UpperAnsi(char ch) {
  auto v = reinterpret_cast<UINT_PTR>(
      ::CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned char>(ch)))));
  return static_cast<char>(v & 0xFF);
}

bool HasVisibleItems(const MenuItem& item) {
  for (int i = 0; i < item.Count(); ++i)
    if (item.Items(i)->Visible()) return true;
  return false;
}
}  // namespace

// The bar is looked for as a whole character: a Japanese hint may hold a
// double-byte character whose second byte is '|'.
std::string GetLongHint(const std::string& hint) {
  auto bar = FindFirstChar(hint, '|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

std::string GetShortHint(const std::string& hint) {
  auto bar = FindFirstChar(hint, '|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

// ---------------------------------------------------------------- MenuItem

MenuItem::MenuItem(Component* owner) : Component(owner) {
  m_command = AllocateCommandId([this] { Click(); });
  LiveItems().insert(this);
}

MenuItem::~MenuItem() {
  LiveItems().erase(this);
  ReleaseCommandId(m_command);
  if (m_action) m_action->RemoveClient(this);
  for (MenuItem* c : m_items) c->m_parentItem = nullptr;
  m_items.clear();
  if (m_parentItem) m_parentItem->Remove(this);
}

Menu* MenuItem::GetMenu() const {
  const MenuItem* i = this;
  while (i->m_parentItem) i = i->m_parentItem;
  return i->m_menu;
}

void MenuItem::Changed(bool structural) {
  if (Menu* m = GetMenu()) m->ItemChanged(this, structural);
}

void MenuItem::SetCaption(const std::string& v) {
  if (m_caption == v) return;
  m_caption = v;
  Changed(true);
}
void MenuItem::SetShortCut(TShortCut v) {
  if (m_shortCut == v) return;
  m_shortCut = v;
  Changed(true);
}
void MenuItem::SetEnabled(bool v) {
  if (m_enabled == v) return;
  m_enabled = v;
  Changed(false);
}
void MenuItem::SetChecked(bool v) {
  if (m_checked == v) return;
  m_checked = v;
  Changed(false);
}
void MenuItem::SetVisible(bool v) {
  if (m_visible == v) return;
  m_visible = v;
  Changed(true);
}
void MenuItem::SetImageIndex(int v) {
  if (m_imageIndex == v) return;
  m_imageIndex = v;
  Changed(true);
}

void MenuItem::SetRadioItem(bool v) {
  if (m_radioItem == v) return;
  m_radioItem = v;
  Changed(true);
}
void MenuItem::SetBreak(TMenuBreak v) {
  if (m_break == v) return;
  m_break = v;
  Changed(true);
}
void MenuItem::SetDefault(bool v) {
  if (m_default == v) return;
  m_default = v;
  Changed(true);
}
void MenuItem::SetBitmap(BitmapHandle bitmap) {
  m_bitmap = std::move(bitmap);
  Changed(true);
}

MenuItem* MenuItem::FromItemData(ULONG_PTR data) {
  auto* item = reinterpret_cast<MenuItem*>(data);
  return LiveItems().count(item) ? item : nullptr;
}

MenuItem* MenuItem::FromCommand(UINT command) {
  if (command == 0) return nullptr;
  for (const MenuItem* item : LiveItems())
    if (item->m_command == command) return const_cast<MenuItem*>(item);
  return nullptr;
}

MenuItem* MenuItem::FromSubMenu(HMENU subMenu) {
  if (!subMenu) return nullptr;
  for (const MenuItem* item : LiveItems())
    if (item->m_subMenu.get() == subMenu) return const_cast<MenuItem*>(item);
  return nullptr;
}

MenuItem* MenuItem::Find(UINT_PTR value, TFindItemKind kind) {
  for (MenuItem* c : m_items) {
    if (kind == TFindItemKind::fkCommand ? c->m_command == value
                                         : (c->m_subMenu && reinterpret_cast<UINT_PTR>(c->m_subMenu.get()) == value))
      return c;
    if (MenuItem* found = c->Find(value, kind)) return found;
  }
  return nullptr;
}

char MenuItem::AcceleratorChar() const {
  const std::string& c = m_caption;
  for (size_t i = 0; i + 1 < c.size(); ++i) {
    auto ch = static_cast<unsigned char>(c[i]);
    if (::IsDBCSLeadByte(ch)) {  // the second byte of a double-byte character is no marker
      ++i;
      continue;
    }
    if (ch != '&') continue;
    if (c[i + 1] == '&') {  // "&&" is a literal ampersand
      ++i;
      continue;
    }
    return UpperAnsi(c[i + 1]);
  }
  return 0;
}

std::string MenuItem::NativeText() const {
  if (m_shortCut == scNone || !m_items.empty()) return m_caption;
  return m_caption + "\t" + ShortCutToText(m_shortCut);
}

void MenuItem::SetAction(Action* action) {
  if (m_action == action) return;
  if (m_action) {
    m_action->RemoveClient(this);
    RemoveFreeNotification(m_action);
  }
  m_action = action;
  if (action) {
    action->AddClient(this);
    FreeNotification(action);
    ActionChanged(action);
  }
}

void MenuItem::ActionChanged(Action* a) {
  if (a != m_action) return;
  bool structural = m_caption != a->Caption() || m_shortCut != a->ShortCut() || m_visible != a->Visible() ||
                    m_imageIndex != a->ImageIndex();
  m_caption = a->Caption();
  m_shortCut = a->ShortCut();
  m_visible = a->Visible();
  m_imageIndex = a->ImageIndex();
  m_hint = a->Hint();
  bool state = m_enabled != a->Enabled() || m_checked != a->Checked();
  m_enabled = a->Enabled();
  m_checked = a->Checked();
  if (structural || state) Changed(structural);
}

void MenuItem::Notification(Component* component, Operation operation) {
  Component::Notification(component, operation);
  if (operation == Operation::opRemove && component == m_action) m_action = nullptr;
}

void MenuItem::Add(MenuItem* item) { Insert(Count(), item); }

void MenuItem::Insert(int index, MenuItem* item) {
  if (!item || item == this) return;
  if (item->m_parentItem) item->m_parentItem->Remove(item);
  index = std::clamp(index, 0, Count());
  m_items.insert(m_items.begin() + index, item);
  item->m_parentItem = this;
  Changed(true);
}

void MenuItem::Remove(MenuItem* item) {
  auto it = std::find(m_items.begin(), m_items.end(), item);
  if (it == m_items.end()) return;
  m_items.erase(it);
  item->m_parentItem = nullptr;
  if (!Destroying()) Changed(true);
}

int MenuItem::IndexOf(const MenuItem* item) const {
  auto it = std::find(m_items.begin(), m_items.end(), item);
  return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

void MenuItem::Click() {
  if (m_action) {
    m_action->Update();
    m_action->Execute();
  } else if (OnClick) {
    OnClick(this);
  }
}

MenuItem* MenuItem::FindShortCut(TShortCut sc) {
  for (MenuItem* c : m_items) {
    if (c->m_shortCut == sc) return c;
    if (MenuItem* found = c->FindShortCut(sc)) return found;
  }
  return nullptr;
}

std::string MenuItem::DisplayCaption() const {
  if (m_shortCut == scNone) return m_caption;
  return m_caption + "\t" + ShortCutToText(m_shortCut);
}

void MenuItem::AppendTo(HMENU menu) {
  Menu* owner = GetMenu();
  ImageList* images = owner ? owner->Images() : nullptr;
  for (MenuItem* c : m_items) {
    if (!c->m_visible) continue;
    if (c->IsLine()) {
      ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::string text = c->DisplayCaption();
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_DATA;
    mii.dwTypeData = text.data();
    mii.wID = c->m_command;
    mii.fState = (c->m_enabled ? MFS_ENABLED : MFS_GRAYED) | (c->m_checked ? MFS_CHECKED : MFS_UNCHECKED);
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(c);
    if (!c->m_items.empty()) {
      HMENU sub = ::CreatePopupMenu();
      c->AppendTo(sub);
      mii.fMask |= MIIM_SUBMENU;
      mii.hSubMenu = sub;  // destroyed with the menu that holds it
    }
    if (images && c->m_imageIndex >= 0 && !c->m_checked) {
      mii.fMask |= MIIM_BITMAP;
      mii.hbmpItem = HBMMENU_CALLBACK;
    }
    ::InsertMenuItemA(menu, ::GetMenuItemCount(menu), TRUE, &mii);
  }
}

bool MenuItem::MeasureMenuItem(MEASUREITEMSTRUCT* mis) {
  auto* item = reinterpret_cast<const MenuItem*>(mis->itemData);
  if (!LiveItems().count(item)) return false;
  Menu* m = item->GetMenu();
  ImageList* images = m ? m->Images() : nullptr;
  if (!images) return false;
  mis->itemWidth = static_cast<UINT>(images->Width());
  mis->itemHeight = static_cast<UINT>(images->Height());
  return true;
}

bool MenuItem::DrawMenuItem(DRAWITEMSTRUCT* dis) {
  auto* item = reinterpret_cast<const MenuItem*>(dis->itemData);
  if (!LiveItems().count(item)) return false;
  Menu* m = item->GetMenu();
  ImageList* images = m ? m->Images() : nullptr;
  if (!images) return false;
  int y = dis->rcItem.top + ((dis->rcItem.bottom - dis->rcItem.top) - images->Height()) / 2;
  UINT style = item->m_enabled ? ILD_TRANSPARENT : (ILD_TRANSPARENT | ILD_BLEND50);
  images->Draw(dis->hDC, dis->rcItem.left, y, item->m_imageIndex, style);
  return true;
}

// ---------------------------------------------------------------- Menu

Menu::Menu(Component* owner) : Component(owner), m_items(new MenuItem(this)) { m_items->m_menu = this; }

Menu::~Menu() = default;

void Menu::SetImages(ImageList* images) {
  if (m_images) RemoveFreeNotification(m_images);
  m_images = images;
  if (images) FreeNotification(images);
  ItemChanged(m_items, true);
}

void Menu::Notification(Component* component, Operation operation) {
  Component::Notification(component, operation);
  if (operation != Operation::opRemove) return;
  if (component == m_images) m_images = nullptr;
  if (component == m_items) m_items = nullptr;
}

MenuItem* Menu::FindItem(UINT_PTR value, TFindItemKind kind) {
  if (!m_items || value == 0) return nullptr;
  return m_items->Find(value, kind);
}

UINT Menu::InsertItemsInto(HMENU menu, UINT pos, bool byPosition, const OwnerDrawRule& ownerDraw) {
  if (!m_items || !menu) return 0;
  UINT highest = InsertChildren(*m_items, menu, pos, byPosition, ownerDraw);
  // Remember what went in: an item freed while it is in there must still
  // come out again (by its data and identifier, without touching it).
  for (MenuItem* c : m_items->m_items) {
    std::pair<ULONG_PTR, UINT> entry{reinterpret_cast<ULONG_PTR>(c), c->m_command};
    if (c->m_visible && std::find(m_spliced.begin(), m_spliced.end(), entry) == m_spliced.end())
      m_spliced.push_back(entry);
  }
  return highest;
}

UINT Menu::InsertChildren(MenuItem& parent, HMENU menu, UINT pos, bool byPosition, const OwnerDrawRule& ownerDraw) {
  UINT highest = 0;
  for (MenuItem* c : parent.m_items) {
    if (!c->m_visible) continue;
    std::string text = c->NativeText();
    MENUITEMINFOA mii{};
    mii.cbSize = kMenuItemInfoSize;
    mii.fMask = kTransferMask;
    if (c->IsLine()) {
      mii.fType = MFT_SEPARATOR;
    } else {
      mii.fType = MFT_STRING;
      mii.dwTypeData = text.data();
      mii.cch = static_cast<UINT>(text.size());
    }
    if (c->m_radioItem) mii.fType |= MFT_RADIOCHECK;
    mii.fType |= BreakType(c->m_break);
    if (ownerDraw && ownerDraw(*c)) mii.fType |= MFT_OWNERDRAW;
    mii.fState = (c->m_checked ? MFS_CHECKED : MFS_UNCHECKED) |
                 (c->m_enabled ? MFS_ENABLED : MFS_DISABLED | MFS_GRAYED) | (c->m_default ? MFS_DEFAULT : 0u);
    mii.wID = c->m_command;
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(c);
    if (HasVisibleItems(*c)) {
      // A fresh sub-menu each time: the one built last time is in no menu of
      // the system's any more (RemoveItemsFrom took it out) and goes now.
      MenuHandle sub(::CreatePopupMenu());
      InsertChildren(*c, sub.get(), static_cast<UINT>(-1), true, ownerDraw);
      mii.hSubMenu = sub.get();
      c->m_subMenu = std::move(sub);
    } else {
      c->m_subMenu.reset();
    }
    UINT where = pos;
    if (byPosition && pos != static_cast<UINT>(-1)) ++pos;
    if (::InsertMenuItemA(menu, where, byPosition ? TRUE : FALSE, &mii)) highest = std::max(highest, c->m_command);
  }
  return highest;
}

void Menu::RemoveItemsFrom(HMENU menu) {
  if (!m_items || !menu) return;
  // Each item the menu still holds, with its sub-items: RemoveMenu (unlike
  // DeleteMenu) leaves the sub-menu handle, which is the item's, alive.
  std::vector<MenuItem*> all;
  std::function<void(MenuItem&)> collect = [&](MenuItem& parent) {
    for (int i = 0; i < parent.Count(); ++i) {
      all.push_back(parent.Items(i));
      collect(*parent.Items(i));
    }
  };
  collect(*m_items);
  for (int i = ::GetMenuItemCount(menu) - 1; i >= 0; --i) {
    MENUITEMINFOA mii{};
    mii.cbSize = kMenuItemInfoSize;
    mii.fMask = MIIM_DATA | MIIM_ID;
    if (!::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
    auto* item = MenuItem::FromItemData(mii.dwItemData);
    bool ours = item && item->Command() == mii.wID && std::find(all.begin(), all.end(), item) != all.end();
    bool spliced = std::find(m_spliced.begin(), m_spliced.end(), std::pair<ULONG_PTR, UINT>{mii.dwItemData, mii.wID}) !=
                   m_spliced.end();
    if (ours || spliced) ::RemoveMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
  }
  // Items that are gone are out of this menu now; the live ones may be in others.
  m_spliced.erase(std::remove_if(m_spliced.begin(), m_spliced.end(),
                                 [](const auto& entry) { return !MenuItem::FromItemData(entry.first); }),
                  m_spliced.end());
}

LRESULT Menu::ProcessMenuChar(HMENU menu, char ch) {
  if (!menu || !ch) return 0;
  char upper = UpperAnsi(ch);
  int count = ::GetMenuItemCount(menu);
  int found = -1, matches = 0;
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA mii{};
    mii.cbSize = kMenuItemInfoSize;
    mii.fMask = MIIM_DATA | MIIM_ID | MIIM_STATE;
    if (!::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
    MenuItem* item = MenuItem::FromItemData(mii.dwItemData);
    if (!item || item->GetMenu() != this || item->Command() != mii.wID) continue;
    if (item->AcceleratorChar() != upper || (mii.fState & MFS_DISABLED)) continue;
    if (found < 0) found = i;
    ++matches;
  }
  if (found < 0) return 0;
  return MAKELRESULT(found, matches == 1 ? MNC_EXECUTE : MNC_SELECT);
}

bool Menu::IsShortCut(TShortCut sc) {
  if (sc == scNone || !m_items) return false;
  MenuItem* item = m_items->FindShortCut(sc);
  if (!item) return false;
  if (Action* a = item->GetAction()) a->Update();
  if (!item->Enabled()) return false;
  item->Click();
  return true;
}

void Menu::ItemChanged(MenuItem*, bool) {}

MenuHandle Menu::Build(bool popup) const {
  MenuHandle h(popup ? ::CreatePopupMenu() : ::CreateMenu());
  if (m_items) m_items->AppendTo(h.get());
  return h;
}

// ---------------------------------------------------------------- MainMenu

MainMenu::MainMenu(Component* owner) : Menu(owner) {}

MainMenu::~MainMenu() {
  if (m_form && ::IsWindow(m_form) && ::GetMenu(m_form) == m_handle.get()) ::SetMenu(m_form, nullptr);
}

void MainMenu::AttachTo(HWND form) {
  m_form = form;
  if (!form) return;
  MenuHandle fresh = Build(false);
  ::SetMenu(form, fresh.get());
  m_handle = std::move(fresh);  // the old bar is destroyed only after the window let go of it
  ::DrawMenuBar(form);
}

void MainMenu::ItemChanged(MenuItem* item, bool structural) {
  if (!m_form || Destroying()) return;
  if (structural || !m_handle) {
    AttachTo(m_form);
    return;
  }
  ::EnableMenuItem(m_handle.get(), item->Command(), MF_BYCOMMAND | (item->Enabled() ? MF_ENABLED : MF_GRAYED));
  ::CheckMenuItem(m_handle.get(), item->Command(), MF_BYCOMMAND | (item->Checked() ? MF_CHECKED : MF_UNCHECKED));
  if (item->ParentItem() == m_items) ::DrawMenuBar(m_form);
}

// ---------------------------------------------------------------- PopupMenu

PopupMenu::PopupMenu(Component* owner) : Menu(owner) {}

void PopupMenu::SetPopupHook(PopupHook hook) { PopupHookRef() = std::move(hook); }
const PopupMenu::PopupHook& PopupMenu::GetPopupHook() { return PopupHookRef(); }

HWND PopupMenu::OwnerWindow() const {
  if (auto* c = dynamic_cast<Control*>(m_popupComponent)) {
    if (Form* f = c->ParentForm()) return f->Handle();
  }
  if (Form* main = Application().MainForm()) return main->Handle();
  return Application().Handle();
}

void PopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  m_handle = Build(true);
  UINT cmd = 0;
  if (PopupHookRef()) {
    cmd = PopupHookRef()(*this, m_handle.get());
  } else {
    HWND owner = OwnerWindow();
    ::SetForegroundWindow(owner);
    cmd = static_cast<UINT>(
        ::TrackPopupMenu(m_handle.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, x, y, 0, owner, nullptr));
    ::PostMessageA(owner, WM_NULL, 0, 0);
  }
  if (cmd) DispatchCommand(cmd);
}

}  // namespace fw
