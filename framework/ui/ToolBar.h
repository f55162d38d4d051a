#pragma once
// Tool bars with tool buttons (which may show an action or open a drop-down
// menu), and the band bar (CoolBar) whose movable bands each hold a control.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/ui/Actions.h"
#include "framework/ui/Control.h"

namespace fw {

class ImageList;
class PopupMenu;
class ToolBar;

enum class TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// One button of a tool bar. It is a component of the form; the tool bar
// shows it while it is set (SetToolBar appends it).
class ToolButton : public Component, public ActionClient {
 public:
  explicit ToolButton(Component* owner);
  ~ToolButton() override;

  ToolBar* GetToolBar() const noexcept { return m_toolBar; }
  void SetToolBar(ToolBar* toolBar);
  int Index() const;

  const std::string& Caption() const noexcept { return m_caption; }
  void SetCaption(const std::string& v);
  // The tip shown over the button; the caption when empty.
  const std::string& Hint() const noexcept { return m_hint; }
  void SetHint(const std::string& v) { m_hint = v; }
  int ImageIndex() const noexcept { return m_imageIndex; }
  void SetImageIndex(int v);
  TToolButtonStyle Style() const noexcept { return m_style; }
  void SetStyle(TToolButtonStyle v);
  bool Enabled() const noexcept { return m_enabled; }
  void SetEnabled(bool v);
  // Pressed state of a check button.
  bool Down() const;
  void SetDown(bool v);
  bool Visible() const noexcept { return m_visible; }
  void SetVisible(bool v);
  // Width of a separator.
  int SeparatorWidth() const noexcept { return m_separatorWidth; }
  void SetSeparatorWidth(int v);
  // Shown under the button when its arrow is pressed.
  PopupMenu* DropdownMenu() const noexcept { return m_dropdownMenu; }
  void SetDropdownMenu(PopupMenu* menu);
  // A button bound to an action shows its caption, hint, state and image,
  // and a click executes it.
  Action* GetAction() const noexcept { return m_action; }
  void SetAction(Action* action);

  UINT CommandId() const noexcept { return m_id; }
  // Rectangle in the tool bar's client area (empty while not shown).
  RECT BoundsRect() const;
  // What a click does: the action, or OnClick.
  virtual void Click();
  TNotifyEvent OnClick;

 protected:
  void ActionChanged(Action* action) override;
  void Notification(Component* component, Operation operation) override;

 private:
  friend class ToolBar;
  void Changed();
  std::string TipText() const { return m_hint.empty() ? m_caption : m_hint; }

  ToolBar* m_toolBar = nullptr;
  UINT m_id = 0;
  std::string m_caption;
  std::string m_hint;
  int m_imageIndex = -1;
  TToolButtonStyle m_style = TToolButtonStyle::tbsButton;
  bool m_enabled = true;
  bool m_down = false;
  bool m_visible = true;
  int m_separatorWidth = 8;
  PopupMenu* m_dropdownMenu = nullptr;
  Action* m_action = nullptr;
};

class ToolBar : public Control {
 public:
  explicit ToolBar(Component* owner);
  ~ToolBar() override;

  bool Flat() const noexcept { return m_flat; }
  void SetFlat(bool v);
  // Captions beside the images instead of below them.
  bool List() const noexcept { return m_list; }
  void SetList(bool v);
  bool ShowCaptions() const noexcept { return m_showCaptions; }
  void SetShowCaptions(bool v);
  bool Wrapable() const noexcept { return m_wrapable; }
  void SetWrapable(bool v);
  int ButtonWidth() const noexcept { return m_buttonWidth; }
  void SetButtonWidth(int v);
  int ButtonHeight() const noexcept { return m_buttonHeight; }
  void SetButtonHeight(int v);
  ImageList* Images() const noexcept { return m_images; }
  void SetImages(ImageList* v);
  ImageList* DisabledImages() const noexcept { return m_disabledImages; }
  void SetDisabledImages(ImageList* v);
  ImageList* HotImages() const noexcept { return m_hotImages; }
  void SetHotImages(ImageList* v);

  // Creates a button (owned by the bar's owner) and appends it.
  ToolButton* AddButton(TToolButtonStyle style = TToolButtonStyle::tbsButton);
  int ButtonCount() const noexcept { return static_cast<int>(m_buttons.size()); }
  ToolButton* Buttons(int index) const { return m_buttons.at(static_cast<size_t>(index)); }
  ToolButton* FindButton(UINT id) const;
  // Size the buttons take in one row.
  SIZE IdealSize();

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool CNCommandFrom(WORD id, WORD code) override;
  bool CNNotify(NMHDR* header, LRESULT& result) override;
  void Notification(Component* component, Operation operation) override;
  // The arrow of a drop-down button was pressed: shows its menu.
  virtual void DropDown(ToolButton* button);

 private:
  friend class ToolButton;
  void InsertButton(ToolButton* button, int index);
  void AddButton(ToolButton* button);
  void RemoveButton(ToolButton* button);
  void UpdateButton(ToolButton* button);
  void InsertIntoWindow(ToolButton* button, int index);
  void ApplyImageLists();
  void ApplyButtonSize();

  std::vector<ToolButton*> m_buttons;  // not owned: the form owns the buttons
  UINT m_nextId = 1;
  bool m_flat = false;
  bool m_list = false;
  bool m_showCaptions = false;
  bool m_wrapable = true;
  int m_buttonWidth = 23;
  int m_buttonHeight = 22;
  ImageList* m_images = nullptr;
  ImageList* m_disabledImages = nullptr;
  ImageList* m_hotImages = nullptr;
  std::string m_tipA;
  std::wstring m_tipW;
  int m_hotIndex = -2;
};

// ---------------------------------------------------------------- CoolBar

class CoolBar;

// One band of a band bar. Bands are kept in the order shown; the user may
// drag them to other places and rows.
class CoolBand {
 public:
  CoolBand(const CoolBand&) = delete;
  CoolBand& operator=(const CoolBand&) = delete;

  CoolBar* Owner() const noexcept { return m_owner; }
  // Position in the bar now.
  int Index() const;
  void SetIndex(int index);
  // The control the band holds. Giving a band a control that another band
  // holds takes it from that band.
  fw::Control* GetControl() const noexcept { return m_control; }
  fw::Control* Control() const noexcept { return m_control; }
  void SetControl(fw::Control* control);
  int Width() const;
  void SetWidth(int v);
  // Starts a new row.
  bool Break() const;
  void SetBreak(bool v);
  int MinWidth() const noexcept { return m_minWidth; }
  void SetMinWidth(int v);
  int MinHeight() const noexcept { return m_minHeight; }
  void SetMinHeight(int v);
  const std::string& Text() const noexcept { return m_text; }
  void SetText(const std::string& v);
  bool FixedSize() const noexcept { return m_fixedSize; }
  void SetFixedSize(bool v);
  bool Visible() const noexcept { return m_visible; }
  void SetVisible(bool v);
  UINT Id() const noexcept { return m_id; }

 private:
  friend class CoolBar;
  explicit CoolBand(CoolBar* owner) : m_owner(owner) {}
  void Apply(UINT mask);

  CoolBar* m_owner;
  UINT m_id = 0;
  fw::Control* m_control = nullptr;
  int m_width = 100;
  bool m_break = false;
  int m_minWidth = 0;
  int m_minHeight = 25;
  std::string m_text;
  bool m_fixedSize = false;
  bool m_visible = true;
};

enum class TCoolBandMaximize { bmNone, bmClick, bmDblClick };

class CoolBar : public Control {
 public:
  explicit CoolBar(Component* owner);
  ~CoolBar() override;

  // Bands in the order shown now.
  int BandCount();
  CoolBand* Bands(int index);
  CoolBand* AddBand();
  void DeleteBand(int index);
  // The band holding control, or null.
  CoolBand* FindBand(const Control* control);

  // What a click on a band's gripper does: nothing, or maximise the band.
  TCoolBandMaximize BandMaximize() const noexcept { return m_bandMaximize; }
  void SetBandMaximize(TCoolBandMaximize v);
  // The user may not move bands.
  bool FixedOrder() const noexcept { return m_fixedOrder; }
  void SetFixedOrder(bool v);
  bool BandBorders() const noexcept { return m_bandBorders; }
  void SetBandBorders(bool v);

  // Bands were moved or resized by the user.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool CNNotify(NMHDR* header, LRESULT& result) override;
  void Notification(Component* component, Operation operation) override;
  // The bands place the controls they hold; alignment does not apply here.
  void AlignControls(RECT rect) override;

 private:
  friend class CoolBand;
  void InsertBandIntoWindow(CoolBand* band, int index);
  int WindowIndex(const CoolBand* band) const;
  // Reads the order, widths and breaks the user left in the window.
  void SyncFromWindow();

  std::vector<std::unique_ptr<CoolBand>> m_bands;
  UINT m_nextId = 1;
  TCoolBandMaximize m_bandMaximize = TCoolBandMaximize::bmClick;
  bool m_fixedOrder = false;
  bool m_bandBorders = true;
};

}  // namespace fw
