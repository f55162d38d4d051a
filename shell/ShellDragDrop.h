#pragma once
// OLE drag and drop shared by the shell controls (contents list, folder tree,
// path box). The controls are not COM objects themselves: each owns a
// TShellDropBridge, a small reference-counted object that OLE holds, which
// forwards IDropTarget and IDropSource calls to the control as long as the
// control lives. The helpers below carry the parts that every control does
// the same way: asking the shell's own drop target for the effect, replaying
// a drop, auto-scrolling, the drop-source answers and the physical-button
// check.
#include <windows.h>
#include <ole2.h>
#include <oleidl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "framework/base/ComPtr.h"

// What a control answers when it is a drop target and a drop source. Every
// method runs on the UI thread from OLE's modal loop and must not throw.
class IShellDropClient {
 public:
  virtual HRESULT DropDragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) = 0;
  virtual HRESULT DropDragOver(DWORD keyState, POINTL pt, DWORD* effect) = 0;
  virtual HRESULT DropDragLeave() = 0;
  virtual HRESULT DropDrop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) = 0;
  // Drop-source side. The defaults are what every control here answers.
  virtual HRESULT DropQueryContinueDrag(BOOL escapePressed, DWORD keyState);
  virtual HRESULT DropGiveFeedback(DWORD effect);

 protected:
  ~IShellDropClient() = default;
};

// The COM face of a control. Created with one reference (the control's);
// Detach() cuts the link when the control goes, after which OLE's late calls
// answer E_UNEXPECTED (target) or cancel (source) instead of reaching freed
// memory.
class TShellDropBridge final : public IDropTarget, public IDropSource {
 public:
  explicit TShellDropBridge(IShellDropClient* client) noexcept : m_client(client) {}
  TShellDropBridge(const TShellDropBridge&) = delete;
  TShellDropBridge& operator=(const TShellDropBridge&) = delete;

  void Detach() noexcept { m_client = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
  // IDropSource
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

 private:
  ~TShellDropBridge() = default;
  std::atomic<ULONG> m_refs{1};
  IShellDropClient* m_client;
};

// Owns a control's bridge and its registration with OLE for one window.
// Register raises fw::EOSError (code: the HRESULT) when OLE refuses; Revoke (also on
// destruction) is safe to call twice.
class TShellDropRegistration {
 public:
  explicit TShellDropRegistration(IShellDropClient* client);
  ~TShellDropRegistration();
  TShellDropRegistration(const TShellDropRegistration&) = delete;
  TShellDropRegistration& operator=(const TShellDropRegistration&) = delete;

  void Register(HWND window);
  void Revoke() noexcept;
  bool Registered() const noexcept { return m_window != nullptr; }
  TShellDropBridge* Bridge() const noexcept { return m_bridge; }
  IDropTarget* Target() const noexcept { return m_bridge; }
  IDropSource* Source() const noexcept { return m_bridge; }

 private:
  TShellDropBridge* m_bridge;
  HWND m_window = nullptr;
};

// True when the data object offers "Shell IDList Array" or CF_HDROP: the only
// data a shell control can hand on.
bool OffersShellData(IDataObject* data) noexcept;

// Asks a shell drop target what a drag at this point would do: DragEnter on
// a copy of the effect, DragOver on the effect itself (its answer is
// returned), then DragLeave. The shell decides afresh on every move.
HRESULT AskShellDropTarget(IDropTarget* target, IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect);

// Replays a drop onto a shell drop target. By the time OLE reports a drop the
// button is up, so DragEnter and DragOver are told the button that began the
// drag (MK_RBUTTON for a right drag, else MK_LBUTTON) -- the shell shows its
// copy/move/link menu only for a right drag. Either failing refuses the drop
// (effect none, S_OK). Then Drop with the key state as received.
HRESULT ReplayShellDrop(IDropTarget* target, IDataObject* data, DWORD keyState, bool rightDrag, POINTL pt,
                        DWORD* effect);

// Forgets the drop targets that only this list still holds. A shell drop may
// finish on another thread after Drop returned; its target holds itself while
// busy. True when none is busy any more.
bool PruneDropTargets(std::vector<fw::ComPtr<IDropTarget>>& targets);

// The drop source's answer: cancel on Escape or with both buttons down, drop
// once no button is down, go on otherwise.
HRESULT ShellQueryContinueDrag(BOOL escapePressed, DWORD keyState) noexcept;

// Scrolls a control one line or column when the client point is within the
// font height of an edge (less the scroll bar's width where one shows).
void ShellAutoScroll(HWND window, int fontHeight, POINT client);

// More than 5 pixels from the start point horizontally or vertically.
bool PastDragThreshold(POINT start, int x, int y) noexcept;

// Whether the primary (left) or secondary (right) button is physically down,
// honouring swapped buttons. Read from GetAsyncKeyState: the message's own
// flags may be stale once the control has waited out a click.
bool PhysicalButtonDown(bool secondary);

// Test seams. Under Wine a real drag loop needs a real mouse, and the
// physical button state cannot be set from a test; tests install doubles that
// behave like Windows. Empty functions restore the platform's.
using TAsyncKeyStateFunc = std::function<SHORT(int virtualKey)>;
void SetAsyncKeyStateFunc(TAsyncKeyStateFunc func);
using TDoDragDropFunc = std::function<HRESULT(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect)>;
void SetDoDragDropFunc(TDoDragDropFunc func);
// Runs the drag loop (DoDragDrop or the installed double).
HRESULT ShellDoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect);

// The drag object of a data object that names something to drop, else null:
// one that offers neither shell format, or whose data is missing or
// malformed (nothing can be read from it), is refused like any foreign data.
class TShellDragObject;
std::unique_ptr<TShellDragObject> MakeReadableDragObject(IDataObject* data);

// The steps every control's DragEnter begins with. Null when the drag is
// refused before any event of the control, with the effect none: without a
// data object (refusal E_INVALIDARG, the caller's fault), or when nothing
// readable is in it (refusal S_OK, as for any foreign data). Otherwise the
// drag object, and rightDrag tells whether the right button began the drag.
// What follows (the control's own event and drag state) is the control's.
std::unique_ptr<TShellDragObject> EnterShellDrag(IDataObject* data, DWORD keyState, DWORD* effect, bool& rightDrag,
                                                 HRESULT& refusal);

// The answer to a Drop with no drag accepted at the entry, effect none:
// data refused there (nothing readable in it) is refused again, quietly
// (S_OK); a drop that never entered is the caller's fault (E_INVALIDARG).
HRESULT RefuseUnenteredDrop(IDataObject* data, DWORD* effect);
