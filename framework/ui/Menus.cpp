#include "framework/ui/Menus.h"

#include <algorithm>
#include <unordered_set>

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
}  // namespace

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
    cmd = static_cast<UINT>(::TrackPopupMenu(m_handle.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, x, y,
                                             0, owner, nullptr));
    ::PostMessageA(owner, WM_NULL, 0, 0);
  }
  if (cmd) DispatchCommand(cmd);
}

}  // namespace fw
