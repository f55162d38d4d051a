#pragma once
// Menus: a tree of menu items with captions, shortcuts, images and actions,
// shown as a form's menu bar or as a pop-up menu.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/ui/Actions.h"

namespace fw {

class Menu;
class ImageList;

enum class TMenuBreak { mbNone, mbBreak, mbBarBreak };
enum class TFindItemKind { fkCommand, fkHandle };

// The status-bar part of a hint "tool-tip|status-bar text" (the whole hint
// when it has no bar), and the tool-tip part.
std::string GetLongHint(const std::string& hint);
std::string GetShortHint(const std::string& hint);

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
  // Shown with a radio bullet instead of a check mark when checked.
  bool RadioItem() const noexcept { return m_radioItem; }
  void SetRadioItem(bool v);
  // Starts a new column of the menu (with a bar for mbBarBreak).
  TMenuBreak Break() const noexcept { return m_break; }
  void SetBreak(TMenuBreak v);
  // Shown bold: what a double click on the menu's owner would do.
  bool Default() const noexcept { return m_default; }
  void SetDefault(bool v);
  // A picture of the item's own (owned); items with one are drawn by us.
  HBITMAP Bitmap() const noexcept { return m_bitmap.get(); }
  void SetBitmap(BitmapHandle bitmap);
  int HelpContext() const noexcept { return m_helpContext; }
  void SetHelpContext(int v) { m_helpContext = v; }

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
  // Finds the item below this one with this command identifier, or whose
  // native sub-menu (as last transferred by InsertInto) is this handle.
  MenuItem* Find(UINT_PTR value, TFindItemKind kind);
  // The native sub-menu that InsertInto built for this item's sub-items, or
  // null. It belongs to the item; menus it was inserted into must let go of
  // it (RemoveMenu) before they are destroyed.
  HMENU SubMenuHandle() const noexcept { return m_subMenu.get(); }
  // The accelerator character of the caption (after '&'), 0 when none.
  char AcceleratorChar() const;
  // Owner-drawn items carry the item's address as their data; this answers
  // the item only for addresses of live items (other menus' owner-drawn
  // items, such as the shell's, carry data of their own).
  static MenuItem* FromItemData(ULONG_PTR data);
  // The live item with this command identifier, or whose native sub-menu is
  // this handle (any menu of the process); null when none.
  static MenuItem* FromCommand(UINT command);
  static MenuItem* FromSubMenu(HMENU subMenu);
  // The text of the native item: the caption, plus a tab and the shortcut's
  // text when the item has a shortcut and no sub-items.
  std::string NativeText() const;
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
  bool m_radioItem = false;
  bool m_default = false;
  TMenuBreak m_break = TMenuBreak::mbNone;
  BitmapHandle m_bitmap;
  int m_helpContext = 0;
  MenuHandle m_subMenu;
  int m_imageIndex = -1;
  Action* m_action = nullptr;
  UINT m_command = 0;
  MenuItem* m_parentItem = nullptr;
  Menu* m_menu = nullptr;          // set on the root item of a menu
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

  // Any item of the menu (at any depth) by command identifier or by the
  // native sub-menu handle it was last given.
  MenuItem* FindItem(UINT_PTR value, TFindItemKind kind);

  // Splices the visible items into a menu that is not ours (the shell's
  // context menu, a window's system menu): each item becomes a native item
  // whose data is the item, with its own command identifier and, for items
  // with sub-items, a freshly built sub-menu of theirs. byPosition: the
  // first item goes to position pos (-1 = append) and the next ones after
  // it; else each goes before the item with command pos. ownerDraw decides
  // which items are drawn by us. Returns the highest command identifier
  // transferred (0 when none).
  using OwnerDrawRule = std::function<bool(const MenuItem& item)>;
  UINT InsertItemsInto(HMENU menu, UINT pos, bool byPosition, const OwnerDrawRule& ownerDraw);
  // Takes the items out of that menu again, keeping their sub-menus alive.
  void RemoveItemsFrom(HMENU menu);
  // WM_MENUCHAR for a native menu that holds items of ours: the answer for
  // the accelerator character ch, or 0 (MNC_IGNORE) when none of ours has it.
  LRESULT ProcessMenuChar(HMENU menu, char ch);

 protected:
  void Notification(Component* component, Operation operation) override;
  // A fresh menu of the items (a bar or a pop-up).
  MenuHandle Build(bool popup) const;

  MenuItem* m_items;
  ImageList* m_images = nullptr;
  MenuHandle m_handle;

 private:
  // Top-level items spliced into menus of the system's: data and identifier.
  std::vector<std::pair<ULONG_PTR, UINT>> m_spliced;
  static UINT InsertChildren(MenuItem& parent, HMENU menu, UINT pos, bool byPosition, const OwnerDrawRule& ownerDraw);
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
  // Off: a right click on a control that carries the menu does not show it
  // (the control shows it itself, as the shell controls do).
  bool AutoPopup() const noexcept { return m_autoPopup; }
  void SetAutoPopup(bool v) noexcept { m_autoPopup = v; }
  // Shows the menu at screen coordinates and runs the chosen item.
  virtual void Popup(int x, int y);
  Component* PopupComponent() const noexcept { return m_popupComponent; }
  void SetPopupComponent(Component* c) { m_popupComponent = c; }
  TNotifyEvent OnPopup;
  // Tests choose an item without a person: while set, Popup calls the hook
  // with the built menu instead of tracking it, and runs the command it returns (0 = none).
  using PopupHook = std::function<UINT(PopupMenu& menu, HMENU built)>;
  static void SetPopupHook(PopupHook hook);
  static const PopupHook& GetPopupHook();

 protected:
  // The window that receives the menu's messages while it is shown.
  HWND OwnerWindow() const;

 private:
  Component* m_popupComponent = nullptr;
  bool m_autoPopup = true;
};

}  // namespace fw
