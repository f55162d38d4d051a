// The contents list as drag source and drop target. The drag loop, the
// physical button state and the shell's drop targets are doubles that behave
// as Windows does (under Wine a real drag needs a real mouse, and the shell's
// targets accept every drop and copy nothing); the rows, the folder, the
// data object of the selection and the OLE registration are real.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "shell/ShellDragDrop.h"
#include "tests/common/TempDir.h"
#include "tests/shell/DragFakes.h"
#include "tests/shell/ShellListTestSupport.h"

namespace {

using dragfakes::DataKind;
using dragfakes::FakeDataObject;
using dragfakes::RecordingDropTarget;
using listtest::ListForm;
using listtest::RowCenter;
using listtest::RowOf;
using listtest::SelectOnly;
using listtest::Settle;

// Windows reports folders (and programs) as drop targets, not documents;
// Wine reports every file as one. This folder answers as Windows does.
class WindowsDropFolder final : public listtest::ForwardingFolder {
 public:
  using ForwardingFolder::ForwardingFolder;
  STDMETHODIMP GetAttributesOf(UINT c, PCUITEMID_CHILD_ARRAY l, SFGAOF* io) override {
    HRESULT hr = m_inner->GetAttributesOf(c, l, io);
    for (UINT i = 0; SUCCEEDED(hr) && i < c; ++i) {
      SFGAOF folder = SFGAO_FOLDER;
      if (FAILED(m_inner->GetAttributesOf(1, &l[i], &folder)) || !(folder & SFGAO_FOLDER)) *io &= ~SFGAO_DROPTARGET;
    }
    return hr;
  }
};

// The list with recording targets where it asks for the shell's: rowTarget
// for any row, folderTarget for the folder shown. It still asks the real
// shell too, so a test sees that a real target exists where the list looks.
class DragListView : public TShellListView {
 public:
  using TShellListView::TShellListView;
  RecordingDropTarget* rowTarget = nullptr;
  RecordingDropTarget* folderTarget = nullptr;
  std::vector<std::string> rowsAsked;
  int folderAsks = 0;
  bool shellHadRowTarget = false;
  bool shellHadFolderTarget = false;

 protected:
  bool GetItemDropTarget(TShellFileItem* item, fw::ComPtr<IDropTarget>& target) override {
    rowsAsked.push_back(item->GetCaption());
    fw::ComPtr<IDropTarget> real;
    shellHadRowTarget = TShellListView::GetItemDropTarget(item, real);
    if (!rowTarget) return false;
    target = fw::ComPtr<IDropTarget>::Share(rowTarget);
    return true;
  }
  bool GetFolderDropTarget(fw::ComPtr<IDropTarget>& target) override {
    ++folderAsks;
    fw::ComPtr<IDropTarget> real;
    shellHadFolderTarget = TShellListView::GetFolderDropTarget(real);
    if (!folderTarget) return false;
    target = fw::ComPtr<IDropTarget>::Share(folderTarget);
    return true;
  }
};

// The physical buttons as the test says they are.
class Buttons {
 public:
  Buttons() {
    SetAsyncKeyStateFunc([this](int key) -> SHORT {
      return (key == VK_LBUTTON && left) || (key == VK_RBUTTON && right) ? SHORT(0x8000) : SHORT(0);
    });
  }
  ~Buttons() { SetAsyncKeyStateFunc(nullptr); }
  Buttons(const Buttons&) = delete;
  Buttons& operator=(const Buttons&) = delete;
  bool left = false;
  bool right = false;
};

// Records the drags the list starts instead of running OLE's loop; `during`
// runs inside the loop (a drop, the source's answers).
struct DragLoop {
  int calls = 0;
  DWORD okEffects = 0;
  std::vector<std::string> files;  // what the data object carries
  TShDragState stateDuring = dsWait;
  std::function<void(IDataObject*, IDropSource*)> during;
  explicit DragLoop(TShellListView* lv) {
    SetDoDragDropFunc([this, lv](IDataObject* data, IDropSource* source, DWORD ok, DWORD* effect) {
      ++calls;
      okEffects = ok;
      stateDuring = lv->GetDragState();
      TShellDragObject drag(data);
      TShellIDList2& items = drag.GetDragItemIDs();
      for (int i = 0; i < items.Count(); ++i) files.push_back(items.GetPath(i));
      if (during) during(data, source);
      *effect = DROPEFFECT_NONE;
      return DRAGDROP_S_CANCEL;
    });
  }
  ~DragLoop() { SetDoDragDropFunc(nullptr); }
  DragLoop(const DragLoop&) = delete;
  DragLoop& operator=(const DragLoop&) = delete;
};

POINTL Screen(TShellListView* lv, POINT client) {
  ::ClientToScreen(lv->Handle(), &client);
  return POINTL{client.x, client.y};
}

// A button pressed on a row. The control may track the button itself until
// the pointer leaves a small square; a queued move just outside that square
// (but within the list's own 5-pixel threshold) ends the wait.
void Press(TShellListView* lv, POINT client, bool right) {
  HWND h = lv->Handle();
  WPARAM keys = right ? MK_RBUTTON : MK_LBUTTON;
  ::PostMessageA(h, WM_MOUSEMOVE, keys, MAKELPARAM(client.x + 5, client.y));
  ::SendMessageA(h, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, keys, MAKELPARAM(client.x, client.y));
  Settle(20);
}

void Move(TShellListView* lv, POINT client, bool right) {
  ::SendMessageA(lv->Handle(), WM_MOUSEMOVE, right ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(client.x, client.y));
}

bool RowShowsDropHighlight(TShellListView* lv, int row) {
  return (::SendMessageA(lv->Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_DROPHILITED) &
          LVIS_DROPHILITED) != 0;
}

// A folder of two files, a.txt and b.txt, shown in a list.
struct TwoFilesShown {
  testsupport::TempDir dir;
  ListForm form;
  DragListView* lv = nullptr;
  TwoFilesShown() {
    testsupport::WriteFile(dir / "a.txt", "a");
    testsupport::WriteFile(dir / "b.txt", "b");
    lv = form.Place<DragListView>();
    lv->SetPath(dir.Path());
  }
};

// ---------------------------------------------------------------------------
// Drag source

TEST(ShellListDragSource, StartsPastFivePixelsOnlyWhileTheButtonIsDown) {
  TwoFilesShown shown;
  testsupport::TempDir& dir = shown.dir;
  DragListView* lv = shown.lv;
  int row = RowOf(lv, "a.txt");
  ASSERT_GE(row, 0);
  Buttons buttons;
  DragLoop loop(lv);
  POINT at = RowCenter(lv, row);

  buttons.left = true;
  Press(lv, at, false);
  SelectOnly(lv, row);
  ASSERT_EQ(lv->GetDragState(), dsWaitDragging);
  Move(lv, POINT{at.x + 5, at.y - 5}, false);
  EXPECT_EQ(loop.calls, 0);
  Move(lv, POINT{at.x, at.y + 6}, false);
  ASSERT_EQ(loop.calls, 1);
  EXPECT_EQ(loop.stateDuring, dsDragging);
  EXPECT_EQ(lv->GetDragState(), dsWait);
  // The selection's own data object, and only drop effects allowed.
  ASSERT_EQ(loop.files.size(), 1u);
  EXPECT_EQ(loop.files[0], dir / "a.txt");
  EXPECT_NE(loop.okEffects & DROPEFFECT_COPY, 0u);
  EXPECT_EQ(loop.okEffects & ~static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK), 0u);

  // Pressed, but released before the pointer moved far: the button-up went
  // to the control's own click handling, so only the button's state tells.
  Press(lv, at, false);
  SelectOnly(lv, row);
  buttons.left = false;
  Move(lv, POINT{at.x + 30, at.y}, false);
  EXPECT_EQ(loop.calls, 1);

  // OnShBeginDrag may veto; it sees the start point and the selection.
  buttons.left = true;
  Press(lv, at, false);
  SelectOnly(lv, row);
  int asked = 0;
  POINT seenStart{};
  lv->OnShBeginDrag = [&](fw::Object*, TShellIDList& list, POINT pt, int, int, bool& canDrag) {
    ++asked;
    seenStart = pt;
    EXPECT_EQ(list.Count(), 1);
    canDrag = false;
  };
  Move(lv, POINT{at.x + 10, at.y}, false);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(seenStart.x, at.x);
  EXPECT_EQ(loop.calls, 1);
  lv->OnShBeginDrag = nullptr;
  ::SendMessageA(lv->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  EXPECT_EQ(lv->GetDragState(), dsWait);
  // No drag from the waiting state once the button went up.
  Move(lv, POINT{at.x + 30, at.y}, false);
  EXPECT_EQ(loop.calls, 1);
  ::ReleaseCapture();
}

TEST(ShellListDragSource, RightButtonDragsTooAndTheSourceAnswersAsTheShellExpects) {
  TwoFilesShown shown;
  DragListView* lv = shown.lv;
  Buttons buttons;
  DragLoop loop(lv);
  std::vector<HRESULT> answers;
  loop.during = [&](IDataObject*, IDropSource* source) {
    answers.push_back(source->QueryContinueDrag(FALSE, MK_RBUTTON));
    answers.push_back(source->QueryContinueDrag(TRUE, MK_RBUTTON));
    answers.push_back(source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON));
    answers.push_back(source->QueryContinueDrag(FALSE, 0));
    answers.push_back(source->GiveFeedback(DROPEFFECT_MOVE));
  };
  lv->SelectAll();
  POINT at = RowCenter(lv, 0);
  // Only the left button down: a right-button wait does not start.
  buttons.left = true;
  Press(lv, at, true);
  lv->SelectAll();
  if (lv->GetDragState() == dsRWaitDragging) {
    Move(lv, POINT{at.x + 8, at.y}, true);
    EXPECT_EQ(loop.calls, 0);
  }
  buttons.left = false;
  buttons.right = true;
  Press(lv, at, true);
  lv->SelectAll();
  ASSERT_EQ(lv->GetDragState(), dsRWaitDragging);
  Move(lv, POINT{at.x - 8, at.y}, true);
  ASSERT_EQ(loop.calls, 1);
  EXPECT_EQ(loop.files.size(), 2u);
  EXPECT_EQ(lv->GetDragState(), dsWait);
  ASSERT_EQ(answers.size(), 5u);
  EXPECT_EQ(answers[0], S_OK);
  EXPECT_EQ(answers[1], DRAGDROP_S_CANCEL);  // Escape
  EXPECT_EQ(answers[2], DRAGDROP_S_CANCEL);  // both buttons
  EXPECT_EQ(answers[3], DRAGDROP_S_DROP);
  EXPECT_EQ(answers[4], DRAGDROP_S_USEDEFAULTCURSORS);
  ::ReleaseCapture();
}

// ---------------------------------------------------------------------------
// Drop target

struct DropScene {
  testsupport::TempDir dir;    // the folder shown
  testsupport::TempDir other;  // where the dragged files come from
  std::vector<std::string> dragged;
  RecordingDropTarget rowTarget;
  RecordingDropTarget folderTarget;
  ListForm form;
  DragListView* lv = nullptr;
  int folderRow = -1;
  int fileRow = -1;

  DropScene() {
    ::CreateDirectoryA((dir / "箱").c_str(), nullptr);
    testsupport::WriteFile(dir / "a.txt", "a");
    testsupport::WriteFile(other / "x.txt", "x");
    testsupport::WriteFile(other / "ソ表.txt", "y");
    dragged = {other / "x.txt", other / "ソ表.txt"};
    rowTarget.name = "row";
    folderTarget.name = "folder";
    lv = form.Place<DragListView>();
    lv->FileList()->SetFolderWrapper([](fw::ComPtr<IShellFolder> inner) {
      return fw::ComPtr<IShellFolder>::Share(static_cast<IShellFolder*>(new WindowsDropFolder(std::move(inner))));
    });
    lv->SetPath(dir.Path());
    lv->rowTarget = &rowTarget;
    lv->folderTarget = &folderTarget;
    folderRow = RowOf(lv, "箱");
    fileRow = RowOf(lv, "a.txt");
  }
  POINTL At(int row) { return Screen(lv, RowCenter(lv, row)); }
  POINTL Empty() { return Screen(lv, POINT{600, 380}); }
};

TEST(ShellListDropTarget, ForeignOrUnreadableDataIsRefusedWithoutEvents) {
  DropScene s;
  int enters = 0;
  s.lv->OnShDragEnter = [&](fw::Object*, TShellDragObject*, fw::TShiftState, POINT, bool&) { ++enters; };
  IDropTarget* target = s.lv->DropTarget();
  for (DataKind kind : {DataKind::TextOnly, DataKind::Malformed, DataKind::Undelivered}) {
    SCOPED_TRACE(static_cast<int>(kind));
    FakeDataObject data(kind, s.dragged);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, s.At(s.folderRow), &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(s.lv->DragObject(), nullptr);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragOver(MK_LBUTTON, s.At(s.folderRow), &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(s.lv->DropHighlight(), -1);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(&data, 0, s.At(s.folderRow), &effect), E_INVALIDARG);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(target->DragLeave(), S_OK);
  }
  EXPECT_EQ(enters, 0);
  EXPECT_TRUE(s.rowTarget.calls.empty());
  EXPECT_TRUE(s.folderTarget.calls.empty());
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragEnter(nullptr, MK_LBUTTON, s.Empty(), &effect), E_INVALIDARG);
  // File names alone are enough.
  FakeDataObject files(DataKind::FilesOnly, s.dragged);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragEnter(&files, MK_LBUTTON, s.Empty(), &effect), S_OK);
  EXPECT_EQ(enters, 1);
  EXPECT_NE(s.lv->DragObject(), nullptr);
  target->DragLeave();
  s.lv->OnShDragEnter = nullptr;
}

TEST(ShellListDropTarget, FolderRowsTakeTheDropOtherwiseTheFolderShown) {
  DropScene s;
  ASSERT_GE(s.folderRow, 0);
  ASSERT_GE(s.fileRow, 0);
  FakeDataObject data(DataKind::Shell, s.dragged);
  IDropTarget* target = s.lv->DropTarget();
  fw::TShiftState enterShift;
  std::vector<TShellFileItem*> overItems;
  int leaves = 0;
  s.lv->OnShDragEnter = [&](fw::Object*, TShellDragObject* drag, fw::TShiftState shift, POINT, bool&) {
    enterShift = shift;
    EXPECT_EQ(drag->GetCount(), 2);
  };
  s.lv->OnShDragOver = [&](fw::Object*, TShellDragObject*, TShellFileItem* item, fw::TShiftState, int, int) {
    overItems.push_back(item);
  };
  s.lv->OnShDragLeave = [&](fw::Object*) { ++leaves; };

  const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  DWORD effect = all;
  ASSERT_EQ(target->DragEnter(&data, MK_LBUTTON | MK_SHIFT, s.At(s.folderRow), &effect), S_OK);
  EXPECT_TRUE(enterShift.Contains(fw::TShiftStateItem::ssShift));
  ASSERT_NE(s.lv->DragObject(), nullptr);

  // Over the folder row: its own target decides, the row is highlighted.
  s.rowTarget.choose = DROPEFFECT_MOVE;
  effect = all;
  EXPECT_EQ(target->DragOver(MK_LBUTTON | MK_SHIFT, s.At(s.folderRow), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(s.rowTarget.Sequence(), "enter over leave");
  EXPECT_EQ(s.rowTarget.calls[0].data, &data);
  EXPECT_EQ(s.rowTarget.calls[1].keyState, static_cast<DWORD>(MK_LBUTTON | MK_SHIFT));
  ASSERT_FALSE(s.lv->rowsAsked.empty());
  EXPECT_EQ(s.lv->rowsAsked.back(), "箱");
  EXPECT_TRUE(s.lv->shellHadRowTarget);
  EXPECT_EQ(s.lv->DropHighlight(), s.folderRow);
  EXPECT_TRUE(RowShowsDropHighlight(s.lv, s.folderRow));
  ASSERT_EQ(overItems.size(), 1u);
  EXPECT_EQ(overItems[0], s.lv->GetFileItem(s.folderRow));

  // Over a document: no target of its own, the folder shown decides.
  s.folderTarget.choose = DROPEFFECT_COPY;
  s.rowTarget.Clear();
  effect = all;
  EXPECT_EQ(target->DragOver(MK_LBUTTON, s.At(s.fileRow), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(s.rowTarget.calls.empty());
  EXPECT_EQ(s.folderTarget.Sequence(), "enter over leave");
  EXPECT_TRUE(s.lv->shellHadFolderTarget);
  EXPECT_EQ(s.lv->DropHighlight(), -1);
  EXPECT_FALSE(RowShowsDropHighlight(s.lv, s.folderRow));
  ASSERT_EQ(overItems.size(), 2u);
  EXPECT_EQ(overItems[1], s.lv->GetFileItem(s.fileRow));

  // Empty space: the folder shown, no item.
  effect = all;
  EXPECT_EQ(target->DragOver(MK_LBUTTON, s.Empty(), &effect), S_OK);
  ASSERT_EQ(overItems.size(), 3u);
  EXPECT_EQ(overItems[2], nullptr);

  // The drop there: the folder's target is told the left button dragged,
  // gets the key state as OLE gave it, and its effect is the answer.
  s.folderTarget.Clear();
  s.folderTarget.choose = DROPEFFECT_MOVE;
  effect = all;
  EXPECT_EQ(target->Drop(&data, MK_CONTROL, s.Empty(), &effect), S_OK);
  EXPECT_EQ(s.folderTarget.Sequence(), "enter over drop");
  EXPECT_EQ(s.folderTarget.calls[0].keyState, static_cast<DWORD>(MK_CONTROL | MK_LBUTTON));
  EXPECT_EQ(s.folderTarget.calls[2].keyState, static_cast<DWORD>(MK_CONTROL));
  EXPECT_EQ(s.folderTarget.calls[2].data, &data);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(s.lv->DragObject(), nullptr);
  EXPECT_EQ(s.lv->PendingDropTargetCount(), 1u);
  EXPECT_EQ(leaves, 0);

  // A right-button drag dropped on the folder row: the row's target hears
  // the right button (the shell then shows its copy/move/link menu).
  effect = all;
  ASSERT_EQ(target->DragEnter(&data, MK_RBUTTON, s.At(s.folderRow), &effect), S_OK);
  effect = all;
  target->DragOver(MK_RBUTTON, s.At(s.folderRow), &effect);
  s.rowTarget.Clear();
  s.rowTarget.choose = DROPEFFECT_LINK;
  effect = all;
  EXPECT_EQ(target->Drop(&data, 0, s.At(s.folderRow), &effect), S_OK);
  EXPECT_EQ(s.rowTarget.Sequence(), "enter over drop");
  EXPECT_EQ(s.rowTarget.calls[0].keyState, static_cast<DWORD>(MK_RBUTTON));
  EXPECT_EQ(s.rowTarget.calls[1].keyState, static_cast<DWORD>(MK_RBUTTON));
  EXPECT_EQ(s.rowTarget.calls[2].keyState, 0u);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_EQ(s.lv->DropHighlight(), -1);
  EXPECT_FALSE(RowShowsDropHighlight(s.lv, s.folderRow));

  // Leaving frees the drag and says so.
  effect = all;
  target->DragEnter(&data, MK_LBUTTON, s.At(s.folderRow), &effect);
  target->DragOver(MK_LBUTTON, s.At(s.folderRow), &effect);
  EXPECT_EQ(target->DragLeave(), S_OK);
  EXPECT_EQ(leaves, 1);
  EXPECT_EQ(s.lv->DragObject(), nullptr);
  EXPECT_EQ(s.lv->DropHighlight(), -1);

  // The shell holds the targets it is still copying with: the list cannot
  // close until they are released.
  fw::ComPtr<IDropTarget> stillCopying = fw::ComPtr<IDropTarget>::Share(&s.rowTarget);
  EXPECT_FALSE(s.lv->CanClose());
  stillCopying.Reset();
  EXPECT_TRUE(s.lv->CanClose());
  EXPECT_EQ(s.lv->PendingDropTargetCount(), 0u);
  s.lv->OnShDragEnter = nullptr;
  s.lv->OnShDragOver = nullptr;
  s.lv->OnShDragLeave = nullptr;
}

TEST(ShellListDropTarget, RefusalsEndWithNoEffectAndNoDrop) {
  DropScene s;
  FakeDataObject data(DataKind::Shell, s.dragged);
  IDropTarget* target = s.lv->DropTarget();
  const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE;

  // OnShDragEnter refuses: the drag is not taken.
  s.lv->OnShDragEnter = [](fw::Object*, TShellDragObject*, fw::TShiftState, POINT, bool& accept) { accept = false; };
  DWORD effect = all;
  EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, s.Empty(), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(s.lv->DragObject(), nullptr);
  s.lv->OnShDragEnter = nullptr;

  // OnShDragDrop keeps the default action from happening.
  TShellFileItem* dropItem = nullptr;
  s.lv->OnShDragDrop = [&](fw::Object*, TShellDragObject*, TShellFileItem* item, fw::TShiftState, int, int,
                           bool& defaultAction) {
    dropItem = item;
    defaultAction = false;
  };
  effect = all;
  target->DragEnter(&data, MK_LBUTTON, s.At(s.folderRow), &effect);
  target->DragOver(MK_LBUTTON, s.At(s.folderRow), &effect);
  s.rowTarget.Clear();
  effect = all;
  EXPECT_EQ(target->Drop(&data, 0, s.At(s.folderRow), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(dropItem, s.lv->GetFileItem(s.folderRow));
  EXPECT_TRUE(s.rowTarget.calls.empty());
  EXPECT_EQ(s.lv->DropHighlight(), -1);
  s.lv->OnShDragDrop = nullptr;

  // A folder that gives no drop target takes nothing, and says so.
  s.lv->folderTarget = nullptr;
  effect = all;
  target->DragEnter(&data, MK_LBUTTON, s.Empty(), &effect);
  effect = all;
  EXPECT_EQ(target->DragOver(MK_LBUTTON, s.Empty(), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = all;
  EXPECT_EQ(target->Drop(&data, 0, s.Empty(), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(s.lv->PendingDropTargetCount(), 0u);
}

TEST(ShellListDropTarget, TheDesktopTakesDropsIntoItsDirectory) {
  RecordingDropTarget folderTarget;
  ListForm form;
  auto* lv = form.Place<DragListView>();
  lv->folderTarget = &folderTarget;
  UniqueIDList desktop;
  ASSERT_TRUE(GetSpecialFolderID(sfidDeskTop, desktop));
  lv->SetNameSpace(desktop.get());
  ASSERT_EQ(lv->FileList()->GetLevel(), 0);
  testsupport::TempDir other;
  testsupport::WriteFile(other / "x.txt", "x");
  FakeDataObject data(DataKind::Shell, {other / "x.txt"});
  DWORD effect = DROPEFFECT_COPY;
  IDropTarget* target = lv->DropTarget();
  ASSERT_EQ(target->DragEnter(&data, MK_LBUTTON, Screen(lv, POINT{630, 390}), &effect), S_OK);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->Drop(&data, 0, Screen(lv, POINT{630, 390}), &effect), S_OK);
  EXPECT_EQ(folderTarget.Sequence(), "enter over drop");
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  // The shell has the desktop directory's target for it.
  EXPECT_TRUE(lv->shellHadFolderTarget);
}

TEST(ShellListDropTarget, OwnRowsDroppedOntoAFolderRowReachItsTarget) {
  DropScene s;
  Buttons buttons;
  DragLoop loop(s.lv);
  HRESULT dropAnswer = E_FAIL;
  DWORD dropEffect = 0;
  std::vector<std::string> droppedPaths;
  loop.during = [&](IDataObject* data, IDropSource* source) {
    IDropTarget* target = s.lv->DropTarget();
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    target->DragEnter(data, MK_LBUTTON, s.At(s.fileRow), &effect);
    target->DragOver(MK_LBUTTON, s.At(s.folderRow), &effect);
    if (source->QueryContinueDrag(FALSE, 0) == DRAGDROP_S_DROP) {
      dropEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
      dropAnswer = target->Drop(data, 0, s.At(s.folderRow), &dropEffect);
    }
    // What reached the folder row's target (the data object lives only
    // as long as the drag).
    if (const dragfakes::DropCall* drop = s.rowTarget.Last("drop")) {
      TShellDragObject dropped(drop->data);
      TShellIDList2& items = dropped.GetDragItemIDs();
      for (int i = 0; i < items.Count(); ++i) droppedPaths.push_back(items.GetPath(i));
    }
  };
  s.rowTarget.choose = DROPEFFECT_MOVE;
  POINT at = RowCenter(s.lv, s.fileRow);
  buttons.left = true;
  Press(s.lv, at, false);
  SelectOnly(s.lv, s.fileRow);
  Move(s.lv, POINT{at.x, at.y + 20}, false);
  ASSERT_EQ(loop.calls, 1);
  EXPECT_EQ(dropAnswer, S_OK);
  EXPECT_EQ(dropEffect, static_cast<DWORD>(DROPEFFECT_MOVE));
  ASSERT_EQ(droppedPaths.size(), 1u);
  EXPECT_EQ(droppedPaths[0], s.dir / "a.txt");
  ::ReleaseCapture();
}

TEST(ShellListDropTarget, RegisteredWithItsWindowAndScrollsNearTheEdges) {
  testsupport::TempDir dir;
  for (int i = 0; i < 80; ++i) testsupport::WriteFile(dir / ("f" + std::to_string(100 + i) + ".txt"), "x");
  ListForm form;
  auto* lv = form.Place<DragListView>();
  lv->SetPath(dir.Path());
  EXPECT_TRUE(lv->DropTargetRegistered());
  RecordingDropTarget other;
  EXPECT_EQ(::RegisterDragDrop(lv->Handle(), &other), DRAGDROP_E_ALREADYREGISTERED);
  // A re-created window is registered again.
  ::SendMessageA(lv->Handle(), TShellListView::kRecreateMessage, 0, 0);
  EXPECT_TRUE(lv->DropTargetRegistered());
  EXPECT_EQ(::RegisterDragDrop(lv->Handle(), &other), DRAGDROP_E_ALREADYREGISTERED);

  RECT rc{};
  ::GetClientRect(lv->Handle(), &rc);
  int top = lv->TopIndex();
  lv->DoAutoScroll(POINT{rc.right / 2, rc.bottom / 2});
  EXPECT_EQ(lv->TopIndex(), top);
  lv->DoAutoScroll(POINT{rc.right / 2, rc.bottom - 2});
  EXPECT_EQ(lv->TopIndex(), top + 1);
  lv->DoAutoScroll(POINT{rc.right / 2, 1});
  EXPECT_EQ(lv->TopIndex(), top);
}

}  // namespace
