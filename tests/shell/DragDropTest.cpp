// The OLE plumbing the shell controls share: the bridge OLE holds after the
// control has gone, replaying a drop onto a shell target, keeping busy drop
// targets alive, the drop-source answers and the physical-button check.
#include <gtest/gtest.h>

#include "shell/ShellDragDrop.h"
#include "tests/common/TempDir.h"
#include "tests/shell/DragFakes.h"

namespace {

using dragfakes::DataKind;
using dragfakes::FakeDataObject;
using dragfakes::RecordingDropTarget;

// A control that counts what reaches it.
class CountingClient : public IShellDropClient {
 public:
  int calls = 0;
  HRESULT DropDragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return ++calls, S_OK; }
  HRESULT DropDragOver(DWORD, POINTL, DWORD*) override { return ++calls, S_OK; }
  HRESULT DropDragLeave() override { return ++calls, S_OK; }
  HRESULT DropDrop(IDataObject*, DWORD, POINTL, DWORD*) override { return ++calls, S_OK; }
};

TEST(ShellDropBridge, AfterTheControlWentLateCallsAreRefusedNotForwarded) {
  FakeDataObject data(DataKind::Shell, {});
  CountingClient client;
  IDropTarget* target = nullptr;
  IDropSource* source = nullptr;
  {
    TShellDropRegistration registration(&client);
    // OLE's own references, as it holds them during a drag.
    ASSERT_EQ(registration.Target()->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&target)), S_OK);
    ASSERT_EQ(registration.Target()->QueryInterface(IID_IDropSource, reinterpret_cast<void**>(&source)), S_OK);
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, POINTL{1, 1}, &effect), S_OK);
    EXPECT_EQ(client.calls, 1);
  }
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, POINTL{1, 1}, &effect), E_UNEXPECTED);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragOver(MK_LBUTTON, POINTL{1, 1}, &effect), E_UNEXPECTED);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(target->DragLeave(), E_UNEXPECTED);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->Drop(&data, 0, POINTL{1, 1}, &effect), E_UNEXPECTED);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(target->DragOver(0, POINTL{}, nullptr), E_INVALIDARG);
  // A drag the control started ends instead of dropping into nowhere.
  EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_CANCEL);
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
  EXPECT_EQ(client.calls, 1);
  source->Release();
  EXPECT_EQ(target->Release(), 0u);
}

TEST(ShellDropHelpers, AskingATargetLetsItDecideAfreshAndLeaves) {
  FakeDataObject data(DataKind::Shell, {});
  RecordingDropTarget target;
  target.choose = DROPEFFECT_MOVE;
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(AskShellDropTarget(&target, &data, MK_LBUTTON | MK_SHIFT, POINTL{7, 8}, &effect), S_OK);
  EXPECT_EQ(target.Sequence(), "enter over leave");
  EXPECT_EQ(target.calls[0].data, &data);
  EXPECT_EQ(target.calls[1].keyState, static_cast<DWORD>(MK_LBUTTON | MK_SHIFT));
  EXPECT_EQ(target.calls[1].effectIn, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE));
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  // A failing DragOver is what OLE hears.
  target.Clear();
  target.overResult = E_FAIL;
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(AskShellDropTarget(&target, &data, 0, POINTL{}, &effect), E_FAIL);
  EXPECT_EQ(target.Sequence(), "enter over leave");
}

TEST(ShellDropHelpers, ReplayedDropTellsTheTargetWhichButtonDragged) {
  FakeDataObject data(DataKind::Shell, {});
  for (bool right : {false, true}) {
    RecordingDropTarget target;
    target.choose = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(ReplayShellDrop(&target, &data, MK_CONTROL, right, POINTL{3, 4}, &effect), S_OK);
    ASSERT_EQ(target.Sequence(), "enter over drop");
    DWORD button = right ? MK_RBUTTON : MK_LBUTTON;
    EXPECT_EQ(target.calls[0].keyState, MK_CONTROL | button);
    EXPECT_EQ(target.calls[1].keyState, MK_CONTROL | button);
    // The drop itself gets the key state as OLE reported it.
    EXPECT_EQ(target.calls[2].keyState, static_cast<DWORD>(MK_CONTROL));
    EXPECT_EQ(target.calls[2].data, &data);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE));
  }
  // A target that refuses on the way never gets the drop; the refusal is a
  // success with no effect.
  RecordingDropTarget enterFails;
  enterFails.enterResult = E_FAIL;
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(ReplayShellDrop(&enterFails, &data, 0, false, POINTL{}, &effect), S_OK);
  EXPECT_EQ(enterFails.Sequence(), "enter");
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  RecordingDropTarget overFails;
  overFails.overResult = E_FAIL;
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(ReplayShellDrop(&overFails, &data, 0, true, POINTL{}, &effect), S_OK);
  EXPECT_EQ(overFails.Sequence(), "enter over leave");
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST(ShellDropHelpers, BusyTargetsStayUntilTheShellLetsGo) {
  RecordingDropTarget done;
  RecordingDropTarget busy;
  std::vector<fw::ComPtr<IDropTarget>> pending;
  pending.push_back(fw::ComPtr<IDropTarget>::Share(&done));
  pending.push_back(fw::ComPtr<IDropTarget>::Share(&busy));
  // The shell's copy thread holds its target while it works.
  fw::ComPtr<IDropTarget> shellThread = fw::ComPtr<IDropTarget>::Share(&busy);
  EXPECT_FALSE(PruneDropTargets(pending));
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].Get(), &busy);
  EXPECT_EQ(done.Refs(), 0u);
  shellThread.Reset();
  EXPECT_TRUE(PruneDropTargets(pending));
  EXPECT_TRUE(pending.empty());
  EXPECT_EQ(busy.Refs(), 0u);
}

TEST(ShellDropHelpers, SourceAnswersAndThreshold) {
  EXPECT_EQ(ShellQueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
  EXPECT_EQ(ShellQueryContinueDrag(FALSE, MK_RBUTTON | MK_SHIFT), S_OK);
  EXPECT_EQ(ShellQueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(ShellQueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(ShellQueryContinueDrag(FALSE, MK_CONTROL), DRAGDROP_S_DROP);

  POINT start{100, 100};
  EXPECT_FALSE(PastDragThreshold(start, 105, 95));
  EXPECT_FALSE(PastDragThreshold(start, 95, 105));
  EXPECT_TRUE(PastDragThreshold(start, 106, 100));
  EXPECT_TRUE(PastDragThreshold(start, 100, 94));

  FakeDataObject shell(DataKind::Shell, {});
  FakeDataObject files(DataKind::FilesOnly, {});
  FakeDataObject text(DataKind::TextOnly, {});
  EXPECT_TRUE(OffersShellData(&shell));
  EXPECT_TRUE(OffersShellData(&files));
  EXPECT_FALSE(OffersShellData(&text));
  EXPECT_FALSE(OffersShellData(nullptr));
}

// The primary button is the physical right one when the buttons are
// swapped; the key state function reads physical buttons. Wine reports a
// swap made with SwapMouseButton (not saved) through SM_SWAPBUTTON.
TEST(ShellDropHelpers, PhysicalButtonFollowsSwappedButtons) {
  struct Restore {
    bool swapped = ::GetSystemMetrics(SM_SWAPBUTTON) != 0;
    ~Restore() {
      ::SwapMouseButton(swapped);
      SetAsyncKeyStateFunc(nullptr);
    }
  } restore;
  int physicallyDown = VK_RBUTTON;
  SetAsyncKeyStateFunc([&](int key) -> SHORT { return key == physicallyDown ? SHORT(0x8000) : SHORT(0); });
  ::SwapMouseButton(FALSE);
  EXPECT_FALSE(PhysicalButtonDown(false));
  EXPECT_TRUE(PhysicalButtonDown(true));
  ::SwapMouseButton(TRUE);
  ASSERT_NE(::GetSystemMetrics(SM_SWAPBUTTON), 0);
  EXPECT_TRUE(PhysicalButtonDown(false));
  EXPECT_FALSE(PhysicalButtonDown(true));
  physicallyDown = VK_LBUTTON;
  EXPECT_FALSE(PhysicalButtonDown(false));
  EXPECT_TRUE(PhysicalButtonDown(true));
}

TEST(ShellDropHelpers, DragLoopSeamGetsTheDragAndGivesItsAnswer) {
  FakeDataObject data(DataKind::Shell, {});
  CountingClient client;
  TShellDropRegistration registration(&client);
  IDataObject* seen = nullptr;
  DWORD seenEffects = 0;
  SetDoDragDropFunc([&](IDataObject* d, IDropSource* source, DWORD ok, DWORD* effect) {
    seen = d;
    seenEffects = ok;
    *effect = DROPEFFECT_LINK;
    return source->QueryContinueDrag(FALSE, 0);
  });
  DWORD effect = 0;
  EXPECT_EQ(ShellDoDragDrop(&data, registration.Source(), DROPEFFECT_COPY, &effect), DRAGDROP_S_DROP);
  SetDoDragDropFunc(nullptr);
  EXPECT_EQ(seen, &data);
  EXPECT_EQ(seenEffects, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
}

}  // namespace
