#pragma once
// Ready-made actions for menus and tool bars: clipboard and file commands and
// sorting on the shell list view, view styles and selection on any list view.
// An action is not tied to one control: it acts on the focused control, or
// else the first suitable control of the active form, unless it is pinned
// to one control with SetControl.
#include "framework/ui/Actions.h"
#include "framework/ui/ListView.h"
#include "shell/ShellListView.h"

// ---------------------------------------------------------------------------
// Actions on the shell list view

class TShellFileAction : public fw::Action {
 public:
  explicit TShellFileAction(fw::Component* owner);
  ~TShellFileAction() override;

  // A pinned control is the only target; without one any visible shell list
  // view will do.
  TShellListView* GetControl() const noexcept { return m_control; }
  void SetControl(TShellListView* control);

  bool HandlesTarget(fw::Object* target) override;

 protected:
  void Notification(fw::Component* component, fw::Operation operation) override;
  // The target as a shell list view; raises EInvalidCast for anything else.
  static TShellListView& ListViewOf(fw::Object* target);
  void Setup(const char* caption, const char* hint, fw::TShortCut shortCut);

 private:
  TShellListView* m_control = nullptr;
};

// Clipboard and file commands on the selected items.
class TShellFileCut : public TShellFileAction {
 public:
  explicit TShellFileCut(fw::Component* owner);
  void UpdateTarget(fw::Object* target) override;
  void ExecuteTarget(fw::Object* target) override;
};

class TShellFileCopy : public TShellFileAction {
 public:
  explicit TShellFileCopy(fw::Component* owner);
  void UpdateTarget(fw::Object* target) override;
  void ExecuteTarget(fw::Object* target) override;
};

// Pastes into the folder shown; only a file-system folder can take files.
class TShellFilePaste : public TShellFileAction {
 public:
  explicit TShellFilePaste(fw::Component* owner);
  void UpdateTarget(fw::Object* target) override;
  void ExecuteTarget(fw::Object* target) override;
};

// Disabled while a name is being edited, so Del edits the text there.
class TShellFileDelete : public TShellFileAction {
 public:
  explicit TShellFileDelete(fw::Component* owner);
  void UpdateTarget(fw::Object* target) override;
  void ExecuteTarget(fw::Object* target) override;
};

class TShellFileProperty : public TShellFileAction {
 public:
  explicit TShellFileProperty(fw::Component* owner);
  void UpdateTarget(fw::Object* target) override;
  void ExecuteTarget(fw::Object* target) override;
};

// Sorts by one column, ascending. Only names can be compared in a folder
// outside the file system; the other columns need file records.
class TShellFileSortAction : public TShellFileAction {
 public:
  TShellFileSortAction(fw::Component* owner, THeaderCaption column);
  THeaderCaption Column() const noexcept { return m_column; }
  void UpdateTarget(fw::Object* target) override;
  void ExecuteTarget(fw::Object* target) override;

 private:
  THeaderCaption m_column;
};

class TShellFileSortByName : public TShellFileSortAction {
 public:
  explicit TShellFileSortByName(fw::Component* owner);
};
class TShellFileSortBySize : public TShellFileSortAction {
 public:
  explicit TShellFileSortBySize(fw::Component* owner);
};
class TShellFileSortByType : public TShellFileSortAction {
 public:
  explicit TShellFileSortByType(fw::Component* owner);
};
class TShellFileSortByLastWrite : public TShellFileSortAction {
 public:
  explicit TShellFileSortByLastWrite(fw::Component* owner);
};
class TShellFileSortByAttr : public TShellFileSortAction {
 public:
  explicit TShellFileSortByAttr(fw::Component* owner);
};

// ---------------------------------------------------------------------------
// Actions on any list view

class TListViewAction : public fw::Action {
 public:
  explicit TListViewAction(fw::Component* owner);
  ~TListViewAction() override;

  fw::ListView* GetControl() const noexcept { return m_control; }
  void SetControl(fw::ListView* control);

  bool HandlesTarget(fw::Object* target) override;

 protected:
  void Notification(fw::Component* component, fw::Operation operation) override;
  void Setup(const char* caption, const char* hint);

 private:
  fw::ListView* m_control = nullptr;
};

// One view style; checked while the list shows it.
class TViewStyleAction : public TListViewAction {
 public:
  TViewStyleAction(fw::Component* owner, fw::TViewStyle style);
  fw::TViewStyle Style() const noexcept { return m_style; }
  void UpdateTarget(fw::Object* target) override;
  void ExecuteTarget(fw::Object* target) override;

 private:
  fw::TViewStyle m_style;
};

class TLargeIcon : public TViewStyleAction {
 public:
  explicit TLargeIcon(fw::Component* owner);
};
class TSmallIcon : public TViewStyleAction {
 public:
  explicit TSmallIcon(fw::Component* owner);
};
class TListIcon : public TViewStyleAction {
 public:
  explicit TListIcon(fw::Component* owner);
};
class TReportIcon : public TViewStyleAction {
 public:
  explicit TReportIcon(fw::Component* owner);
};

// Icon -> small icon -> list -> report -> icon.
class TSwitchViewStyle : public TListViewAction {
 public:
  explicit TSwitchViewStyle(fw::Component* owner);
  void ExecuteTarget(fw::Object* target) override;
};

class TSelectAllItem : public TListViewAction {
 public:
  explicit TSelectAllItem(fw::Component* owner);
  void ExecuteTarget(fw::Object* target) override;
};

// Swaps selected and unselected items, touching at most half of them one by
// one on a shell list view (its rows are served on demand).
class TReverseSelectedItem : public TListViewAction {
 public:
  explicit TReverseSelectedItem(fw::Component* owner);
  void ExecuteTarget(fw::Object* target) override;
};
