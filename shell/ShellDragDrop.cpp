#include "shell/ShellDragDrop.h"

#include <cstdlib>
#include <utility>

#include <shlobj.h>

#include <cstring>

#include "framework/base/Exception.h"
#include "framework/base/Handle.h"
#include "shell/ShellItems.h"
#include "shell/Shellcst.h"

// ---------------------------------------------------------------------------
// IShellDropClient defaults

HRESULT IShellDropClient::DropQueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  return ShellQueryContinueDrag(escapePressed, keyState);
}

HRESULT IShellDropClient::DropGiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

// ---------------------------------------------------------------------------
// TShellDropBridge

HRESULT STDMETHODCALLTYPE TShellDropBridge::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDropTarget)
    *out = static_cast<IDropTarget*>(this);
  else if (iid == IID_IDropSource)
    *out = static_cast<IDropSource*>(this);
  else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE TShellDropBridge::AddRef() { return ++m_refs; }

ULONG STDMETHODCALLTYPE TShellDropBridge::Release() {
  ULONG left = --m_refs;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE TShellDropBridge::DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  if (!m_client) {
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
  return m_client->DropDragEnter(data, keyState, pt, effect);
}

HRESULT STDMETHODCALLTYPE TShellDropBridge::DragOver(DWORD keyState, POINTL pt, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  if (!m_client) {
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
  return m_client->DropDragOver(keyState, pt, effect);
}

HRESULT STDMETHODCALLTYPE TShellDropBridge::DragLeave() { return m_client ? m_client->DropDragLeave() : E_UNEXPECTED; }

HRESULT STDMETHODCALLTYPE TShellDropBridge::Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  if (!m_client) {
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
  return m_client->DropDrop(data, keyState, pt, effect);
}

HRESULT STDMETHODCALLTYPE TShellDropBridge::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  return m_client ? m_client->DropQueryContinueDrag(escapePressed, keyState) : DRAGDROP_S_CANCEL;
}

HRESULT STDMETHODCALLTYPE TShellDropBridge::GiveFeedback(DWORD effect) {
  return m_client ? m_client->DropGiveFeedback(effect) : DRAGDROP_S_USEDEFAULTCURSORS;
}

// ---------------------------------------------------------------------------
// TShellDropRegistration

TShellDropRegistration::TShellDropRegistration(IShellDropClient* client) : m_bridge(new TShellDropBridge(client)) {}

TShellDropRegistration::~TShellDropRegistration() {
  Revoke();
  m_bridge->Detach();
  m_bridge->Release();
}

void TShellDropRegistration::Register(HWND window) {
  Revoke();
  HRESULT hr = ::RegisterDragDrop(window, m_bridge);
  if (FAILED(hr)) throw fw::EOSError(static_cast<DWORD>(hr), "RegisterDragDrop");
  m_window = window;
}

void TShellDropRegistration::Revoke() noexcept {
  if (!m_window) return;
  // The window may already be on its way out; OLE then has dropped its
  // reference itself and the call only fails.
  ::RevokeDragDrop(std::exchange(m_window, nullptr));
}

// ---------------------------------------------------------------------------
// Helpers

bool OffersShellData(IDataObject* data) noexcept {
  if (!data) return false;
  FORMATETC idList = IDLISTFormat();
  FORMATETC hdrop = HDROPFormat();
  return data->QueryGetData(&idList) == S_OK || data->QueryGetData(&hdrop) == S_OK;
}

HRESULT AskShellDropTarget(IDropTarget* target, IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  DWORD enterEffect = *effect;
  target->DragEnter(data, keyState, pt, &enterEffect);
  HRESULT hr = target->DragOver(keyState, pt, effect);
  target->DragLeave();
  return hr;
}

HRESULT ReplayShellDrop(IDropTarget* target, IDataObject* data, DWORD keyState, bool rightDrag, POINTL pt,
                        DWORD* effect) {
  DWORD withButton = keyState | (rightDrag ? MK_RBUTTON : MK_LBUTTON);
  DWORD copy = *effect;
  if (FAILED(target->DragEnter(data, withButton, pt, &copy))) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  copy = *effect;
  if (FAILED(target->DragOver(withButton, pt, &copy))) {
    target->DragLeave();
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  return target->Drop(data, keyState, pt, effect);
}

bool PruneDropTargets(std::vector<fw::ComPtr<IDropTarget>>& targets) {
  bool idle = true;
  for (auto i = targets.size(); i-- > 0;) {
    fw::ComPtr<IDropTarget> probe = targets[i];  // the temporary reference
    ULONG count = probe->AddRef();               // one more, to read the count
    probe->Release();
    // The list entry, the temporary reference and the probe: nobody else.
    if (count < 4)
      targets.erase(targets.begin() + static_cast<std::ptrdiff_t>(i));
    else
      idle = false;
  }
  return idle;
}

HRESULT ShellQueryContinueDrag(BOOL escapePressed, DWORD keyState) noexcept {
  bool left = (keyState & MK_LBUTTON) != 0;
  bool right = (keyState & MK_RBUTTON) != 0;
  if (escapePressed || (left && right)) return DRAGDROP_S_CANCEL;
  if (!left && !right) return DRAGDROP_S_DROP;
  return S_OK;
}

namespace {

bool HasScrollRange(HWND window, int bar) {
  int low = 0, high = 0;
  return ::GetScrollRange(window, bar, &low, &high) && high > low;
}

}  // namespace

void ShellAutoScroll(HWND window, int fontHeight, POINT client) {
  RECT rc{};
  if (!::GetClientRect(window, &rc)) return;
  int h = std::abs(fontHeight);
  int thumb = ::GetSystemMetrics(SM_CXHTHUMB);
  int mv = HasScrollRange(window, SB_VERT) ? thumb : 0;
  int mh = HasScrollRange(window, SB_HORZ) ? thumb : 0;
  int height = rc.bottom - rc.top;
  int width = rc.right - rc.left;
  if (client.y < h)
    ::SendMessageA(window, WM_VSCROLL, SB_LINEUP, 0);
  else if (client.y > height - h - mv)
    ::SendMessageA(window, WM_VSCROLL, SB_LINEDOWN, 0);
  if (client.x < h)
    ::SendMessageA(window, WM_HSCROLL, SB_LINELEFT, 0);
  else if (client.x > width - h - mh)
    ::SendMessageA(window, WM_HSCROLL, SB_LINERIGHT, 0);
}

bool PastDragThreshold(POINT start, int x, int y) noexcept {
  return std::abs(x - start.x) > 5 || std::abs(y - start.y) > 5;
}

namespace {

TAsyncKeyStateFunc& AsyncKeyStateFunc() {
  static TAsyncKeyStateFunc func;
  return func;
}

TDoDragDropFunc& DoDragDropFunc() {
  static TDoDragDropFunc func;
  return func;
}

}  // namespace

void SetAsyncKeyStateFunc(TAsyncKeyStateFunc func) { AsyncKeyStateFunc() = std::move(func); }

void SetDoDragDropFunc(TDoDragDropFunc func) { DoDragDropFunc() = std::move(func); }

bool PhysicalButtonDown(bool secondary) {
  bool swapped = ::GetSystemMetrics(SM_SWAPBUTTON) != 0;
  int key = (secondary != swapped) ? VK_RBUTTON : VK_LBUTTON;
  SHORT state = AsyncKeyStateFunc() ? AsyncKeyStateFunc()(key) : ::GetAsyncKeyState(key);
  return (state & 0x8000) != 0;
}

HRESULT ShellDoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) {
  if (DoDragDropFunc()) return DoDragDropFunc()(data, source, okEffects, effect);
  return ::DoDragDrop(data, source, okEffects, effect);
}

namespace {

// A medium read from a data object, released however the reading ends.
struct OwnedMedium {
  STGMEDIUM medium{};
  bool held = false;
  ~OwnedMedium() {
    if (held) ::ReleaseStgMedium(&medium);
  }
};

// Whether a CF_HDROP block names at least one file and ends inside itself:
// the system's reader trusts the block's offset and walks to a double NUL.
bool HDropBlockIsSound(IDataObject* data) {
  FORMATETC format = HDROPFormat();
  OwnedMedium owned;
  if (data->GetData(&format, &owned.medium) != S_OK) return false;
  owned.held = true;
  if (owned.medium.tymed != TYMED_HGLOBAL || !owned.medium.hGlobal) return false;
  std::size_t size = ::GlobalSize(owned.medium.hGlobal);
  fw::GlobalLockGuard<const char> lock(owned.medium.hGlobal);
  if (!lock || size < sizeof(DROPFILES)) return false;
  const auto* header = reinterpret_cast<const DROPFILES*>(lock.get());
  std::size_t at = header->pFiles;
  if (at < sizeof(DROPFILES) || at >= size) return false;
  // Names are NUL-separated, the list ends with an empty name; wide names
  // (from programs that write UTF-16) the same in two-byte units.
  const char* names = lock.get() + at;
  std::size_t unit = header->fWide ? 2 : 1;
  std::size_t count = (size - at) / unit;
  auto isNul = [&](std::size_t i) {
    if (unit == 1) return names[i] == '\0';
    WCHAR c;
    std::memcpy(&c, names + 2 * i, sizeof c);
    return c == L'\0';
  };
  if (count < 2 || isNul(0)) return false;  // no file at all
  for (std::size_t i = 1; i < count; ++i)
    if (isNul(i) && isNul(i - 1)) return true;
  return false;
}

}  // namespace

std::unique_ptr<TShellDragObject> MakeReadableDragObject(IDataObject* data) {
  if (!data) return nullptr;
  FORMATETC idList = IDLISTFormat();
  FORMATETC hdrop = HDROPFormat();
  auto object = std::make_unique<TShellDragObject>(data);
  // The shell reads the item list first when there is one, so that is the
  // one that has to be sound; a file list stands in only without it.
  if (data->QueryGetData(&idList) == S_OK) return object->GetDragItemIDs().Count() > 0 ? std::move(object) : nullptr;
  if (data->QueryGetData(&hdrop) == S_OK && HDropBlockIsSound(data)) return object;
  return nullptr;
}

std::unique_ptr<TShellDragObject> EnterShellDrag(IDataObject* data, DWORD keyState, DWORD* effect, bool& rightDrag,
                                                 HRESULT& refusal) {
  refusal = S_OK;
  if (!data) {
    *effect = DROPEFFECT_NONE;
    refusal = E_INVALIDARG;
    return nullptr;
  }
  rightDrag = (keyState & MK_RBUTTON) != 0;
  std::unique_ptr<TShellDragObject> drag = MakeReadableDragObject(data);
  if (!drag) *effect = DROPEFFECT_NONE;
  return drag;
}

HRESULT RefuseUnenteredDrop(IDataObject* data, DWORD* effect) {
  *effect = DROPEFFECT_NONE;
  return data && !MakeReadableDragObject(data) ? S_OK : E_INVALIDARG;
}
