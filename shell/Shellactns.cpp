#include "shell/Shellactns.h"

#include <vector>

#include "framework/base/Exception.h"
#include "shell/Shellcst.h"

namespace {
bool IsShownControl(fw::Object* target) {
  auto* c = dynamic_cast<fw::Control*>(target);
  return c && c->Visible();
}

void FocusIfPossible(fw::ListView& lv) {
  if (lv.CanFocus()) lv.SetFocus();
}
}  // namespace

// ===========================================================================
// TShellFileAction

TShellFileAction::TShellFileAction(fw::Component* owner) : fw::Action(owner) {}

TShellFileAction::~TShellFileAction() { SetControl(nullptr); }

void TShellFileAction::SetControl(TShellListView* control) {
  if (m_control == control) return;
  if (m_control) RemoveFreeNotification(m_control);
  m_control = control;
  if (control) FreeNotification(control);
}

void TShellFileAction::Notification(fw::Component* component, fw::Operation operation) {
  fw::Action::Notification(component, operation);
  if (operation == fw::Operation::opRemove && component == m_control) m_control = nullptr;
}

bool TShellFileAction::HandlesTarget(fw::Object* target) {
  if (!IsShownControl(target)) return false;
  if (m_control) return target == m_control;
  return dynamic_cast<TShellListView*>(target) != nullptr;
}

TShellListView& TShellFileAction::ListViewOf(fw::Object* target) {
  auto* lv = dynamic_cast<TShellListView*>(target);
  if (!lv) throw fw::EInvalidCast();
  return *lv;
}

void TShellFileAction::Setup(const char* caption, const char* hint, fw::TShortCut shortCut) {
  SetCaption(caption);
  SetHint(hint);
  SetShortCut(shortCut);
}

// ===========================================================================
// Clipboard and file commands

TShellFileCut::TShellFileCut(fw::Component* owner) : TShellFileAction(owner) {
  Setup(sShellFileCutCaption, sShellFileCutHint, fw::scCtrl | 'X');
}
void TShellFileCut::UpdateTarget(fw::Object* target) { SetEnabled(ListViewOf(target).SelCount() > 0); }
void TShellFileCut::ExecuteTarget(fw::Object* target) { ListViewOf(target).InvokeCommand(icCut); }

TShellFileCopy::TShellFileCopy(fw::Component* owner) : TShellFileAction(owner) {
  Setup(sShellFileCopyCaption, sShellFileCopyHint, fw::scCtrl | 'C');
}
void TShellFileCopy::UpdateTarget(fw::Object* target) { SetEnabled(ListViewOf(target).SelCount() > 0); }
void TShellFileCopy::ExecuteTarget(fw::Object* target) { ListViewOf(target).InvokeCommand(icCopy); }

TShellFilePaste::TShellFilePaste(fw::Component* owner) : TShellFileAction(owner) {
  Setup(sShellFilePasteCaption, sShellFilePasteHint, fw::scCtrl | 'V');
}
void TShellFilePaste::UpdateTarget(fw::Object* target) {
  TShellListView& lv = ListViewOf(target);
  SetEnabled(!lv.GetPath().empty() && ::IsClipboardFormatAvailable(CF_HDROP));
}
void TShellFilePaste::ExecuteTarget(fw::Object* target) { ListViewOf(target).InvokeCommand(icPaste); }

TShellFileDelete::TShellFileDelete(fw::Component* owner) : TShellFileAction(owner) {
  Setup(sShellFileDeleteCaption, sShellFileDeleteHint, VK_DELETE);
}
void TShellFileDelete::UpdateTarget(fw::Object* target) {
  TShellListView& lv = ListViewOf(target);
  SetEnabled(!lv.IsEditing() && lv.SelCount() > 0);
}
void TShellFileDelete::ExecuteTarget(fw::Object* target) { ListViewOf(target).InvokeCommand(icDelete); }

TShellFileProperty::TShellFileProperty(fw::Component* owner) : TShellFileAction(owner) {
  Setup(sShellFilePropertyCaption, sShellFilePropertyHint, fw::scNone);
}
void TShellFileProperty::UpdateTarget(fw::Object* target) { SetEnabled(ListViewOf(target).SelCount() > 0); }
void TShellFileProperty::ExecuteTarget(fw::Object* target) { ListViewOf(target).InvokeCommand(icProperty); }

// ===========================================================================
// Sorting

TShellFileSortAction::TShellFileSortAction(fw::Component* owner, THeaderCaption column)
    : TShellFileAction(owner), m_column(column) {}

void TShellFileSortAction::UpdateTarget(fw::Object* target) {
  TShellListView& lv = ListViewOf(target);
  SetEnabled(m_column == hcName || !lv.GetPath().empty());
}

void TShellFileSortAction::ExecuteTarget(fw::Object* target) { ListViewOf(target).Sort(m_column, true); }

TShellFileSortByName::TShellFileSortByName(fw::Component* owner) : TShellFileSortAction(owner, hcName) {
  Setup(sShellFileSortByNameCaption, sShellFileSortByNameHint, fw::scNone);
}
TShellFileSortBySize::TShellFileSortBySize(fw::Component* owner) : TShellFileSortAction(owner, hcSize) {
  Setup(sShellFileSortBySizeCaption, sShellFileSortBySizeHint, fw::scNone);
}
TShellFileSortByType::TShellFileSortByType(fw::Component* owner) : TShellFileSortAction(owner, hcType) {
  Setup(sShellFileSortByTypeCaption, sShellFileSortByTypeHint, fw::scNone);
}
TShellFileSortByLastWrite::TShellFileSortByLastWrite(fw::Component* owner) : TShellFileSortAction(owner, hcLastWrite) {
  Setup(sShellFileSortByLastWriteCaption, sShellFileSortByLastWriteHint, fw::scNone);
}
TShellFileSortByAttr::TShellFileSortByAttr(fw::Component* owner) : TShellFileSortAction(owner, hcAttr) {
  Setup(sShellFileSortByAttrCaption, sShellFileSortByAttrHint, fw::scNone);
}

// ===========================================================================
// TListViewAction

TListViewAction::TListViewAction(fw::Component* owner) : fw::Action(owner) {}

TListViewAction::~TListViewAction() { SetControl(nullptr); }

void TListViewAction::SetControl(fw::ListView* control) {
  if (m_control == control) return;
  if (m_control) RemoveFreeNotification(m_control);
  m_control = control;
  if (control) FreeNotification(control);
}

void TListViewAction::Notification(fw::Component* component, fw::Operation operation) {
  fw::Action::Notification(component, operation);
  if (operation == fw::Operation::opRemove && component == m_control) m_control = nullptr;
}

bool TListViewAction::HandlesTarget(fw::Object* target) {
  if (!IsShownControl(target)) return false;
  if (m_control) return target == m_control;
  return dynamic_cast<fw::ListView*>(target) != nullptr;
}

void TListViewAction::Setup(const char* caption, const char* hint) {
  SetCaption(caption);
  SetHint(hint);
}

// ===========================================================================
// View styles

TViewStyleAction::TViewStyleAction(fw::Component* owner, fw::TViewStyle style)
    : TListViewAction(owner), m_style(style) {}

void TViewStyleAction::UpdateTarget(fw::Object* target) {
  SetChecked(static_cast<fw::ListView*>(target)->ViewStyle() == m_style);
}

// The plain list-view setter, also on a shell list view: only the cycling
// action asks the shell list to keep its first row in view.
void TViewStyleAction::ExecuteTarget(fw::Object* target) {
  static_cast<fw::ListView*>(target)->fw::ListView::SetViewStyle(m_style);
}

TLargeIcon::TLargeIcon(fw::Component* owner) : TViewStyleAction(owner, fw::TViewStyle::vsIcon) {
  Setup(sLargeIconCaption, sLargeIconHint);
}
TSmallIcon::TSmallIcon(fw::Component* owner) : TViewStyleAction(owner, fw::TViewStyle::vsSmallIcon) {
  Setup(sSmallIconCaption, sSmallIconHint);
}
TListIcon::TListIcon(fw::Component* owner) : TViewStyleAction(owner, fw::TViewStyle::vsList) {
  Setup(sListIconCaption, sListIconHint);
}
TReportIcon::TReportIcon(fw::Component* owner) : TViewStyleAction(owner, fw::TViewStyle::vsReport) {
  Setup(sReportIconCaption, sReportIconHint);
}

TSwitchViewStyle::TSwitchViewStyle(fw::Component* owner) : TListViewAction(owner) {
  Setup(sSwitchViewStyleCaption, "");
}

void TSwitchViewStyle::ExecuteTarget(fw::Object* target) {
  using V = fw::TViewStyle;
  auto* lv = static_cast<fw::ListView*>(target);
  V next;
  switch (lv->ViewStyle()) {
    case V::vsIcon:
      next = V::vsSmallIcon;
      break;
    case V::vsSmallIcon:
      next = V::vsList;
      break;
    case V::vsList:
      next = V::vsReport;
      break;
    case V::vsReport:
      next = V::vsIcon;
      break;
    default:
      return;
  }
  // The virtual setter: a shell list view keeps its first row in view.
  lv->SetViewStyle(next);
}

// ===========================================================================
// Selection

TSelectAllItem::TSelectAllItem(fw::Component* owner) : TListViewAction(owner) {
  Setup(sSelectAllItemCaption, sSelectAllItemHint);
}

void TSelectAllItem::ExecuteTarget(fw::Object* target) {
  auto* lv = static_cast<fw::ListView*>(target);
  if (lv->ItemCount() == 0) return;
  lv->SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  FocusIfPossible(*lv);
}

TReverseSelectedItem::TReverseSelectedItem(fw::Component* owner) : TListViewAction(owner) {
  Setup(sReverseSelectedItemCaption, sReverseSelectedItemHint);
}

void TReverseSelectedItem::ExecuteTarget(fw::Object* target) {
  auto* lv = static_cast<fw::ListView*>(target);
  const int n = lv->ItemCount();
  if (n == 0) return;
  if (auto* shell = dynamic_cast<TShellListView*>(lv)) {
    // One selection event for the whole change, not one per row.
    shell->BeginUpDate();
    try {
      const int s = lv->SelCount();
      std::vector<int> touched;
      if (s > n / 2) {
        // Few unselected rows: remember them, clear all, select them.
        touched.reserve(static_cast<size_t>(n - s));
        for (int i = 0; i < n && static_cast<int>(touched.size()) < n - s; ++i)
          if (!(lv->ItemState(i, LVIS_SELECTED) & LVIS_SELECTED)) touched.push_back(i);
        lv->SetItemState(-1, 0, LVIS_SELECTED);
        for (int i : touched) lv->SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
      } else {
        touched.reserve(static_cast<size_t>(s));
        for (int i = lv->GetNextItem(-1, LVNI_SELECTED); i >= 0 && static_cast<int>(touched.size()) < s;
             i = lv->GetNextItem(i, LVNI_SELECTED))
          touched.push_back(i);
        lv->SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        for (int i : touched) lv->SetItemState(i, 0, LVIS_SELECTED);
      }
    } catch (...) {
      shell->EndUpDate();
      throw;
    }
    shell->EndUpDate();
  } else {
    for (int i = 0; i < n; ++i) {
      const bool selected = (lv->ItemState(i, LVIS_SELECTED) & LVIS_SELECTED) != 0;
      lv->SetItemState(i, selected ? 0 : LVIS_SELECTED, LVIS_SELECTED);
    }
  }
  FocusIfPossible(*lv);
}
