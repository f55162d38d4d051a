#pragma once
// Common controls: tab controls and page controls with tab sheets, status
// bars, the rich edit box and the progress bar. The tree view and the list
// view live in their own files and are included here.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/Control.h"
#include "framework/ui/ListView.h"
#include "framework/ui/StdCtrls.h"
#include "framework/ui/TreeView.h"

namespace fw {

class ImageList;

// ---------------------------------------------------------------- tab controls

enum class TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum class TTabStyle { tsTabs, tsButtons, tsFlatButtons };
using TTabChangingEvent = std::function<void(Object* sender, bool& allowChange)>;

// Shared base of the tab control and the page control: the tab strip. Its
// aligned children are placed in the display area below (or above) the tabs.
class CustomTabControl : public Control {
 public:
  explicit CustomTabControl(Component* owner);

  bool MultiLine() const noexcept { return m_multiLine; }
  void SetMultiLine(bool v);
  bool HotTrack() const noexcept { return m_hotTrack; }
  void SetHotTrack(bool v);
  TTabPosition TabPosition() const noexcept { return m_tabPosition; }
  void SetTabPosition(TTabPosition v);
  TTabStyle Style() const noexcept { return m_style; }
  void SetStyle(TTabStyle v);
  ImageList* Images() const noexcept { return m_images; }
  void SetImages(ImageList* images);

  // Tab under a client point, or -1.
  int IndexOfTabAt(int x, int y) const;
  // Hit-test flags (TCHT_*) of a client point and the tab there (-1: none).
  int HitTest(int x, int y, UINT& flags) const;
  RECT TabRect(int index) const;
  int RowCount() const;
  // The area inside the frame where the shown control goes.
  RECT DisplayRect();

  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool CNNotify(NMHDR* header, LRESULT& result) override;
  RECT AlignClientRect() override;
  // A tab change by the user: may be refused, then is carried out.
  virtual bool CanChange();
  virtual void Change();

  int CurrentTab() const;
  void SelectTab(int index);
  void InsertTabAt(int index, const std::string& text, int imageIndex = -1);
  void DeleteTabAt(int index);
  void SetTabTextAt(int index, const std::string& text);
  void ClearAllTabs();
  // All tabs at once, far cheaper than inserting them one by one; the caller
  // selects the tab it wants afterwards.
  void ReplaceAllTabs(const std::vector<std::string>& tabs);
  void Notification(Component* component, Operation operation) override;

  std::vector<std::string> m_tabs;
  std::vector<int> m_tabImages;
  int m_tabIndex = -1;

 private:
  void InsertTabIntoWindow(int index);
  void InsertAllTabsIntoWindow();
  bool m_multiLine = false;
  bool m_hotTrack = false;
  TTabPosition m_tabPosition = TTabPosition::tpTop;
  TTabStyle m_style = TTabStyle::tsTabs;
  ImageList* m_images = nullptr;
};

// A strip of tabs over one client control (the control shows what the
// selected tab stands for; the program changes it in OnChange).
class TabControl : public CustomTabControl {
 public:
  explicit TabControl(Component* owner);

  int TabCount() const noexcept { return static_cast<int>(m_tabs.size()); }
  const std::string& Tab(int index) const { return m_tabs.at(static_cast<size_t>(index)); }
  const std::string& TabText(int index) const { return Tab(index); }
  void SetTab(int index, const std::string& text) { SetTabTextAt(index, text); }
  const std::vector<std::string>& Tabs() const noexcept { return m_tabs; }
  void SetTabs(const std::vector<std::string>& tabs);
  int AddTab(const std::string& text);
  void InsertTab(int index, const std::string& text);
  void DeleteTab(int index) { DeleteTabAt(index); }
  void ClearTabs() { ClearAllTabs(); }
  // The selected tab (-1: none). Setting it raises no event.
  int TabIndex() const { return CurrentTab(); }
  void SetTabIndex(int index) { SelectTab(index); }
};

class PageControl;

// One page of a page control; shown only while its tab is selected.
class TabSheet : public Control {
 public:
  explicit TabSheet(Component* owner);
  ~TabSheet() override;

  PageControl* GetPageControl() const noexcept { return m_pageControl; }
  void SetPageControl(PageControl* pc);
  void SetParent(Control* parent) override;
  int PageIndex() const;
  void SetPageIndex(int index);
  bool TabVisible() const noexcept { return m_tabVisible; }
  void SetTabVisible(bool v);
  int ImageIndex() const noexcept { return m_imageIndex; }
  void SetImageIndex(int v);
  void SetText(const std::string& text) override;
  // Index of its tab among the shown tabs, or -1.
  int TabIndex() const;

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

 private:
  friend class PageControl;
  PageControl* m_pageControl = nullptr;
  bool m_tabVisible = true;
  int m_imageIndex = -1;
};

class PageControl : public CustomTabControl {
 public:
  explicit PageControl(Component* owner);
  ~PageControl() override;

  // Creates a sheet (owned by the page control's owner) as the last page.
  TabSheet* AddPage(const std::string& caption);
  int PageCount() const noexcept { return static_cast<int>(m_pages.size()); }
  TabSheet* Pages(int index) const { return m_pages.at(static_cast<size_t>(index)); }
  TabSheet* ActivePage() const noexcept { return m_activePage; }
  // Shows that page (raises no event).
  void SetActivePage(TabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  // The page after (or before) current among pages with tabs, wrapping round.
  TabSheet* FindNextPage(TabSheet* current, bool goForward) const;
  void SelectNextPage(bool goForward);

 protected:
  void Change() override;
  bool CanChange() override;

 private:
  friend class TabSheet;
  void InsertPage(TabSheet* page);
  void RemovePage(TabSheet* page);
  void MovePage(TabSheet* page, int index);
  void PageTabChanged(TabSheet* page);
  void RebuildTabs();
  void ShowActive();
  TabSheet* PageForTab(int tab) const;
  std::vector<TabSheet*> m_pages;  // not owned: the form owns the sheets
  TabSheet* m_activePage = nullptr;
};

// ---------------------------------------------------------------- StatusBar

enum class TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class StatusBar;

class StatusPanel {
 public:
  StatusPanel(const StatusPanel&) = delete;
  StatusPanel& operator=(const StatusPanel&) = delete;
  int Index() const noexcept { return m_index; }
  const std::string& Text() const noexcept { return m_text; }
  void SetText(const std::string& v);
  int Width() const noexcept { return m_width; }
  void SetWidth(int v);
  TStatusPanelBevel Bevel() const noexcept { return m_bevel; }
  void SetBevel(TStatusPanelBevel v);
  TAlignment Alignment() const noexcept { return m_alignment; }
  void SetAlignment(TAlignment v);

 private:
  friend class StatusBar;
  explicit StatusPanel(StatusBar* owner) : m_owner(owner) {}
  StatusBar* m_owner;
  int m_index = 0;
  std::string m_text;
  int m_width = 50;
  TStatusPanelBevel m_bevel = TStatusPanelBevel::pbLowered;
  TAlignment m_alignment = TAlignment::taLeftJustify;
};

class StatusBar : public Control {
 public:
  explicit StatusBar(Component* owner);
  ~StatusBar() override;

  int PanelCount() const noexcept { return static_cast<int>(m_panels.size()); }
  StatusPanel* Panels(int index) const { return m_panels.at(static_cast<size_t>(index)).get(); }
  StatusPanel* AddPanel(int width = 50, const std::string& text = std::string());
  void DeletePanel(int index);
  void ClearPanels();

  // One text across the whole bar instead of the panels.
  bool SimplePanel() const noexcept { return m_simplePanel; }
  void SetSimplePanel(bool v);
  const std::string& SimpleText() const noexcept { return m_simpleText; }
  void SetSimpleText(const std::string& v);
  bool SizeGrip() const noexcept { return m_sizeGrip; }
  void SetSizeGrip(bool v);
  // Shows the application's hint (Application().Hint()) as it changes.
  bool AutoHint() const noexcept { return m_autoHint; }
  void SetAutoHint(bool v);

  // Shows a hint: OnHint when set, else the simple text (no panels, or simple
  // mode) or the first panel. Returns true when the hint was dealt with.
  virtual bool ExecuteHint(const std::string& hint);
  TNotifyEvent OnHint;

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  void UpdatePanels();
  void UpdatePanelText(int index);

 private:
  friend class StatusPanel;
  std::vector<std::unique_ptr<StatusPanel>> m_panels;
  bool m_simplePanel = false;
  std::string m_simpleText;
  bool m_sizeGrip = true;
  bool m_autoHint = false;
  int m_hintToken = 0;
};

// ---------------------------------------------------------------- RichEdit

// Rich edit box (used as a read-only plain-text pane for long output).
class RichEdit : public Control {
 public:
  explicit RichEdit(Component* owner);

  bool ReadOnly() const noexcept { return m_readOnly; }
  void SetReadOnly(bool v);
  // Plain text: no formatting, one character set; fixed when the window is made.
  bool PlainText() const noexcept { return m_plainText; }
  void SetPlainText(bool v);
  TScrollStyle ScrollBars() const noexcept { return m_scrollBars; }
  void SetScrollBars(TScrollStyle v);
  bool WordWrap() const noexcept { return m_wordWrap; }
  void SetWordWrap(bool v);
  bool HideSelection() const noexcept { return m_hideSelection; }
  void SetHideSelection(bool v);
  TBorderStyle BorderStyle() const noexcept { return m_borderStyle; }
  void SetBorderStyle(TBorderStyle v);
  // Characters the box takes at most (0: practically unlimited).
  int MaxLength() const noexcept { return m_maxLength; }
  void SetMaxLength(int v);

  void SetText(const std::string& text) override;
  std::string GetText() const override;
  // Length of the text in characters.
  int TextLength() const;
  // Appends text at the end and keeps the end in view. Painting is held off
  // while it is added; wrap many appends in BeginUpdate/EndUpdate.
  void AppendText(const std::string& text);
  void Clear();
  void BeginUpdate();
  void EndUpdate();

  int LineCount() const;
  std::string Line(int index) const;
  void SelectAll();
  int SelStart() const;
  int SelLength() const;
  void SetSelStart(int v);
  void SetSelLength(int v);
  std::string SelText() const;
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();

  TNotifyEvent OnChange;
  TNotifyEvent OnSelectionChange;

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool CNCommand(WORD code) override;
  bool CNNotify(NMHDR* header, LRESULT& result) override;

 private:
  bool m_readOnly = false;
  bool m_plainText = false;
  TScrollStyle m_scrollBars = TScrollStyle::ssBoth;
  bool m_wordWrap = true;
  bool m_hideSelection = true;
  TBorderStyle m_borderStyle = TBorderStyle::bsSingle;
  int m_maxLength = 0;
  int m_updateCount = 0;
  bool m_scrollToEnd = false;
};

// ---------------------------------------------------------------- ProgressBar

class ProgressBar : public Control {
 public:
  explicit ProgressBar(Component* owner);
  int Min() const noexcept { return m_min; }
  int Max() const noexcept { return m_max; }
  void SetRange(int min, int max);
  void SetMin(int v) { SetRange(v, m_max); }
  void SetMax(int v) { SetRange(m_min, v); }
  int Position() const;
  void SetPosition(int v);
  int Step() const noexcept { return m_step; }
  void SetStep(int v);
  void StepIt();
  void StepBy(int delta);

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;

 private:
  int m_min = 0;
  int m_max = 100;
  int m_position = 0;
  int m_step = 10;
};

}  // namespace fw
