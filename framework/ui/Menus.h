#pragma once
// Menus: a tree of menu items with captions, shortcuts, images and actions,
// shown as a form's menu bar or as a pop-up menu.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/ui/Actions.h"

namespace fw {

class Menu;
class ImageList;

class MenuItem : public Component, public ActionClient {
 public:
  explicit MenuItem(Component* owner);
  ~MenuItem() override;

  // "-" makes a separator.
  const std::string& Caption() const noexcept { return m_caption; }
  void SetCaption(const std::string& v);
  TShortCut ShortCut() const noexcept { return m_shortCut; }
  void SetShortCut(TShortCut v);
  bool Enabled() const noexcept { return m_enabled; }
  void SetEnabled(bool v);
  bool Checked() const noexcept { return m_checked; }
  void SetChecked(bool v);
  bool Visible() const noexcept { return m_visible; }
  void SetVisible(bool v);
  int ImageIndex() const noexcept { return m_imageIndex; }
  void SetImageIndex(int v);
  const std::string& Hint() const noexcept { return m_hint; }
  void SetHint(const std::string& v) { m_hint = v; }
  bool IsLine() const { return m_caption == "-"; }

  // An item bound to an action takes its caption, shortcut, state and image,
  // and a click executes the action.
  Action* GetAction() const noexcept { return m_action; }
  void SetAction(Action* action);

  // Sub-items, in order.
  int Count() const noexcept { return static_cast<int>(m_items.size()); }
  MenuItem* Items(int i) const { return m_items.at(static_cast<size_t>(i)); }
  void Add(MenuItem* item);
  void Insert(int index, MenuItem* item);
  void Remove(MenuItem* item);
  int IndexOf(const MenuItem* item) const;
  MenuItem* ParentItem() const noexcept { return m_parentItem; }
  Menu* GetMenu() const;

  UINT Command() const noexcept { return m_command; }
  // What a click does: the action, or OnClick.
  virtual void Click();
  TNotifyEvent OnClick;

  // Owner-drawn image part of menu items (HBMMENU_CALLBACK).
  static bool DrawMenuItem(DRAWITEMSTRUCT* dis);
  static bool MeasureMenuItem(MEASUREITEMSTRUCT* mis);

  // Finds the item with this shortcut below this one (enabled or not).
  MenuItem* FindShortCut(TShortCut sc);
  // Appends this item's sub-items to menu (building submenus as needed).
  void AppendTo(HMENU menu);

 protected:
  void ActionChanged(Action* action) override;
  void Notification(Component* component, Operation operation) override;

 private:
  void Changed(bool structural);
  std::string DisplayCaption() const;

  std::string m_caption;
  std::string m_hint;
  TShortCut m_shortCut = scNone;
  bool m_enabled = true;
  bool m_checked = false;
  bool m_visible = true;
  int m_imageIndex = -1;
  Action* m_action = nullptr;
  UINT m_command = 0;
  MenuItem* m_parentItem = nullptr;
  Menu* m_menu = nullptr;  // set on the root item of a menu
  std::vector<MenuItem*> m_items;  // not owned: the form owns every item
  friend class Menu;
};

class Menu : public Component {
 public:
  explicit Menu(Component* owner);
  ~Menu() override;

  // The invisible root item whose sub-items are the menu's entries.
  MenuItem* Items() const noexcept { return m_items; }
  ImageList* Images() const noexcept { return m_images; }
  void SetImages(ImageList* images);

  // Executes the enabled item with this shortcut; true when one ran.
  bool IsShortCut(TShortCut sc);
  // The menu as built now (the bar of a form, or the pop-up being shown).
  HMENU Handle() const noexcept { return m_handle.get(); }
  // Items changed: structural changes build the menu again, state changes
  // are applied to the built menu.
  virtual void ItemChanged(MenuItem* item, bool structural);

 protected:
  void Notification(Component* component, Operation operation) override;
  // A fresh menu of the items (a bar or a pop-up).
  MenuHandle Build(bool popup) const;

  MenuItem* m_items;
  ImageList* m_images = nullptr;
  MenuHandle m_handle;
};

// The menu bar of a form.
class MainMenu : public Menu {
 public:
  explicit MainMenu(Component* owner);
  ~MainMenu() override;
  void ItemChanged(MenuItem* item, bool structural) override;
  // Builds the bar and puts it on the window (the form calls this).
  void AttachTo(HWND form);

 private:
  HWND m_form = nullptr;
};

using TPopupAlignment = int;

class PopupMenu : public Menu {
 public:
  explicit PopupMenu(Component* owner);
  // Shows the menu at screen coordinates and runs the chosen item.
  virtual void Popup(int x, int y);
  Component* PopupComponent() const noexcept { return m_popupComponent; }
  void SetPopupComponent(Component* c) { m_popupComponent = c; }
  TNotifyEvent OnPopup;
  // Tests choose an item without a person: while set, Popup calls the hook
  // with the built menu instead of tracking it, and runs the command it returns (0 = none).
  using PopupHook = std::function<UINT(PopupMenu& menu, HMENU built)>;
  static void SetPopupHook(PopupHook hook);

 protected:
  // The window that receives the menu's messages while it is shown.
  HWND OwnerWindow() const;

 private:
  Component* m_popupComponent = nullptr;
};

}  // namespace fw
