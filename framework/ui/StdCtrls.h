#pragma once
// Standard controls: panels, labels, edit boxes and memos, combo boxes, check
// boxes, radio buttons and radio groups, group boxes and push buttons.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/ui/Control.h"

namespace fw {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TBevelCut { bvNone, bvLowered, bvRaised };
enum class TBorderStyle { bsNone, bsSingle };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// ---------------------------------------------------------------- Panel

// A container with an optional bevel and a caption drawn in its middle.
class Panel : public Control {
 public:
  explicit Panel(Component* owner);

  TBevelCut BevelOuter() const noexcept { return m_bevelOuter; }
  void SetBevelOuter(TBevelCut v);
  TBevelCut BevelInner() const noexcept { return m_bevelInner; }
  void SetBevelInner(TBevelCut v);
  int BevelWidth() const noexcept { return m_bevelWidth; }
  void SetBevelWidth(int v);
  TBorderStyle BorderStyle() const noexcept { return m_borderStyle; }
  void SetBorderStyle(TBorderStyle v);
  TAlignment Alignment() const noexcept { return m_alignment; }
  void SetAlignment(TAlignment v);
  void SetText(const std::string& text) override;

 protected:
  void CreateParams(fw::CreateParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  RECT AlignClientRect() override;
  virtual void Paint(HDC dc);
  int BorderThickness() const;

 private:
  TBevelCut m_bevelOuter = TBevelCut::bvRaised;
  TBevelCut m_bevelInner = TBevelCut::bvNone;
  int m_bevelWidth = 1;
  TBorderStyle m_borderStyle = TBorderStyle::bsNone;
  TAlignment m_alignment = TAlignment::taCenter;
};

// ---------------------------------------------------------------- Label

// Static text; by default as large as its text.
class Label : public Control {
 public:
  explicit Label(Component* owner);

  bool AutoSize() const noexcept { return m_autoSize; }
  void SetAutoSize(bool v);
  TAlignment Alignment() const noexcept { return m_alignment; }
  void SetAlignment(TAlignment v);
  bool WordWrap() const noexcept { return m_wordWrap; }
  void SetWordWrap(bool v);
  // "&" marks an access key unless this is off (then it is shown as it is).
  bool ShowAccelChar() const noexcept { return m_showAccelChar; }
  void SetShowAccelChar(bool v);
  void SetText(const std::string& text) override;
  // Sizes the label to its text now (also done on creation and text changes).
  void AdjustSize();

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  bool CNCommand(WORD code) override;

 private:
  bool m_autoSize = true;
  TAlignment m_alignment = TAlignment::taLeftJustify;
  bool m_wordWrap = false;
  bool m_showAccelChar = true;
};

// ---------------------------------------------------------------- Edit

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// One-line edit box.
class Edit : public Control {
 public:
  explicit Edit(Component* owner);

  TBorderStyle BorderStyle() const noexcept { return m_borderStyle; }
  void SetBorderStyle(TBorderStyle v);
  bool ReadOnly() const noexcept { return m_readOnly; }
  void SetReadOnly(bool v);
  int MaxLength() const noexcept { return m_maxLength; }
  void SetMaxLength(int v);
  char PasswordChar() const noexcept { return m_passwordChar; }
  void SetPasswordChar(char v);
  TEditCharCase CharCase() const noexcept { return m_charCase; }
  void SetCharCase(TEditCharCase v);
  // Off: the selection stays visible when the box loses the focus.
  bool HideSelection() const noexcept { return m_hideSelection; }
  void SetHideSelection(bool v);

  bool Modified();
  void SetModified(bool v);
  int SelStart();
  void SetSelStart(int v);
  int SelLength();
  void SetSelLength(int v);
  std::string SelText();
  void SetSelText(const std::string& text);
  void SelectAll();
  void Clear() { SetText(""); }
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool CNCommand(WORD code) override;
  UINT DialogCode(UINT defaultCode, const MSG* msg) override;
  virtual void Change();
  // Selection in characters of the window (bytes of the ANSI text).
  void GetSelection(int& start, int& end);

 private:
  TBorderStyle m_borderStyle = TBorderStyle::bsSingle;
  bool m_readOnly = false;
  int m_maxLength = 0;
  char m_passwordChar = 0;
  TEditCharCase m_charCase = TEditCharCase::ecNormal;
  bool m_hideSelection = true;
  int m_selStart = 0;
  int m_selLength = 0;
};

// Multi-line edit box.
class Memo : public Edit {
 public:
  explicit Memo(Component* owner);

  TScrollStyle ScrollBars() const noexcept { return m_scrollBars; }
  void SetScrollBars(TScrollStyle v);
  bool WordWrap() const noexcept { return m_wordWrap; }
  void SetWordWrap(bool v);
  bool WantReturns() const noexcept { return m_wantReturnKey; }
  void SetWantReturns(bool v) { m_wantReturnKey = v; }

  int LineCount();
  std::string Line(int index);
  // Appends a line (with its line break) at the end.
  void AddLine(const std::string& line);
  // All lines (without their breaks).
  std::vector<std::string> Lines();
  void SetLines(const std::vector<std::string>& lines);

 protected:
  void CreateParams(fw::CreateParams& params) override;
  UINT DialogCode(UINT defaultCode, const MSG* msg) override;

 private:
  TScrollStyle m_scrollBars = TScrollStyle::ssNone;
  bool m_wordWrap = true;
  bool m_wantReturnKey = true;
};

// ---------------------------------------------------------------- ComboBox

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class ComboBox : public Control {
 public:
  explicit ComboBox(Component* owner);
  ~ComboBox() override;

  TComboBoxStyle Style() const noexcept { return m_style; }
  void SetStyle(TComboBoxStyle v);
  bool Sorted() const noexcept { return m_sorted; }
  void SetSorted(bool v);
  // Number of entries the open list shows without scrolling.
  int DropDownCount() const noexcept { return m_dropDownCount; }
  void SetDropDownCount(int v);
  int MaxLength() const noexcept { return m_maxLength; }
  void SetMaxLength(int v);

  // Entries. A sorted box puts a new entry at its sorted place and returns it.
  int ItemCount() const noexcept { return static_cast<int>(m_items.size()); }
  const std::string& Item(int index) const { return m_items.at(static_cast<size_t>(index)).text; }
  void* ItemData(int index) const { return m_items.at(static_cast<size_t>(index)).data; }
  void SetItemData(int index, void* data);
  int AddItem(const std::string& text, void* data = nullptr);
  void InsertItem(int index, const std::string& text, void* data = nullptr);
  void DeleteItem(int index);
  void ClearItems();
  void SetItems(const std::vector<std::string>& items);
  std::vector<std::string> Items() const;
  // Index of the entry with exactly this text (case-insensitive as the box compares), or -1.
  int IndexOf(const std::string& text) const;

  int ItemIndex();
  void SetItemIndex(int index);
  std::string GetText() const override;
  void SetText(const std::string& text) override;

  bool DroppedDown();
  void SetDroppedDown(bool v);
  void SelectAll();
  // The edit box inside a drop-down box, or null.
  HWND EditHandle() const noexcept { return m_edit; }

  TNotifyEvent OnChange;    // text or selection changed by the user
  TNotifyEvent OnSelect;    // an entry was chosen from the list
  TNotifyEvent OnDropDown;  // the list is about to open
  TNotifyEvent OnCloseUp;   // the list closed

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool CNCommand(WORD code) override;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  // Messages of the edit box inside a drop-down box: keys are raised as the
  // combo box's own key events; the rest goes to the edit box.
  virtual LRESULT EditWndProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT CallEditDefault(UINT msg, WPARAM wp, LPARAM lp);
  int DroppedHeight();

 private:
  friend LRESULT CALLBACK ComboEditProc(HWND, UINT, WPARAM, LPARAM);
  struct Entry {
    std::string text;
    void* data = nullptr;
  };
  void FillWindow();
  void ReadOrderFromWindow();
  int SortedPosition(const std::string& text) const;
  void AttachEdit();
  void DetachEdit();

  std::vector<Entry> m_items;
  TComboBoxStyle m_style = TComboBoxStyle::csDropDown;
  bool m_sorted = false;
  int m_dropDownCount = 8;
  int m_maxLength = 0;
  int m_itemIndex = -1;
  HWND m_edit = nullptr;
  WNDPROC m_editDefProc = nullptr;
  bool m_inSize = false;
  int m_closedHeight = 21;
};

// ---------------------------------------------------------------- buttons

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// Shared base of the button family (push, check, radio).
class ButtonControl : public Control {
 public:
  // width and height: the kind's size when placed.
  ButtonControl(Component* owner, int width, int height);

 protected:
  // Every kind is a system BUTTON; ButtonStyle picks which one.
  void CreateParams(fw::CreateParams& params) override;
  virtual DWORD ButtonStyle() const = 0;
  bool CNCommand(WORD code) override;
  // A click from the window (the user, BM_CLICK, or the keyboard).
  virtual void Clicked();
};

class Button : public ButtonControl {
 public:
  explicit Button(Component* owner);

  // A click sets this on the form (closing a modal form when not mrNone).
  int ModalResult() const noexcept { return m_modalResult; }
  void SetModalResult(int v) { m_modalResult = v; }
  // Enter in a dialog clicks the default button; Escape the cancel button.
  bool Default() const noexcept { return m_default; }
  void SetDefault(bool v);
  bool Cancel() const noexcept { return m_cancel; }
  void SetCancel(bool v);

  // What a click does: OnClick, then the modal result goes to the form.
  virtual void Click();

 protected:
  void CreateParams(fw::CreateParams& params) override;
  DWORD ButtonStyle() const override;
  void Clicked() override;
  void ApplyId();

 private:
  int m_modalResult = 0;
  bool m_default = false;
  bool m_cancel = false;
};

class CheckBox : public ButtonControl {
 public:
  explicit CheckBox(Component* owner);

  bool Checked();
  // Changing the state raises OnClick, as a click does.
  void SetChecked(bool v);
  TCheckBoxState State();
  void SetState(TCheckBoxState v);
  bool AllowGrayed() const noexcept { return m_allowGrayed; }
  void SetAllowGrayed(bool v);

 protected:
  DWORD ButtonStyle() const override;
  void CreateWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Clicked() override;

 private:
  TCheckBoxState m_state = TCheckBoxState::cbUnchecked;
  bool m_allowGrayed = false;
};

class RadioButton : public ButtonControl {
 public:
  explicit RadioButton(Component* owner);

  bool Checked();
  // Checking one unchecks the other radio buttons of the same parent; a
  // change raises OnClick.
  void SetChecked(bool v);

 protected:
  DWORD ButtonStyle() const override;
  void CreateWnd() override;
  void Clicked() override;

 private:
  void TurnSiblingsOff();
  bool m_checked = false;
};

// ---------------------------------------------------------------- group boxes

// A frame with a caption around other controls.
class GroupBox : public Control {
 public:
  explicit GroupBox(Component* owner);
  void SetText(const std::string& text) override;

 protected:
  void CreateParams(fw::CreateParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  RECT AlignClientRect() override;
  virtual void Paint(HDC dc);
  int CaptionHeight() const;
};

// A group of radio buttons, one per item, in one or more columns.
class RadioGroup : public GroupBox {
 public:
  explicit RadioGroup(Component* owner);

  const std::vector<std::string>& Items() const noexcept { return m_items; }
  void SetItems(const std::vector<std::string>& items);
  void AddItem(const std::string& item);
  // The checked item, or -1. Setting it raises OnClick when it changes.
  int ItemIndex() const noexcept { return m_itemIndex; }
  void SetItemIndex(int index);
  int Columns() const noexcept { return m_columns; }
  void SetColumns(int v);
  // The button of an item (for tests and for fine control).
  RadioButton* Buttons(int index) const { return m_buttons.at(static_cast<size_t>(index)); }

 protected:
  void Resized() override;
  void CreateWnd() override;
  void ArrangeButtons();
  void ButtonClicked(RadioButton* button);

 private:
  void RebuildButtons();
  std::vector<std::string> m_items;
  std::vector<RadioButton*> m_buttons;  // owned by this group as components
  int m_itemIndex = -1;
  int m_columns = 1;
  bool m_updating = false;
};

}  // namespace fw
