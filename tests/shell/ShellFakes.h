#pragma once
// Test doubles of shell objects for the item tests.
//
// SpyFolder stands in for a parent folder: with an inner (real) folder it
// forwards every call and counts it, so a test can see whether an item asks
// the shell again; without one it answers from its fields. It can also offer
// the interfaces the system's own folders do not offer under Wine
// (IShellIcon, IShellIconOverlay) and hand out a FakeExtractIcon or a
// FakeContextMenu. All of them live on the test's stack and count their
// references, so a test can check that everything it lent was given back.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "framework/base/ComPtr.h"

namespace shellfakes {

// IUnknown bookkeeping for objects on the stack.
class RefCounted {
 public:
  ULONG Refs() const noexcept { return m_refs; }

 protected:
  ULONG DoAddRef() noexcept { return ++m_refs; }
  ULONG DoRelease() noexcept { return --m_refs; }
  ULONG m_refs = 0;
};

class FakeExtractIcon final : public IExtractIconA, public RefCounted {
 public:
  HRESULT result = S_OK;
  int index = 0;
  UINT flags = 0;
  int calls = 0;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IExtractIconA) {
      *out = static_cast<IExtractIconA*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }
  STDMETHODIMP GetIconLocation(UINT, LPSTR file, UINT size, int* outIndex, UINT* outFlags) override {
    ++calls;
    if (file && size) file[0] = '\0';
    *outIndex = index;
    *outFlags = flags;
    return result;
  }
  STDMETHODIMP Extract(LPCSTR, UINT, HICON*, HICON*, UINT) override { return E_NOTIMPL; }
};

class FakeContextMenu final : public IContextMenu, public RefCounted {
 public:
  HRESULT queryResult = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  HRESULT invokeResult = S_OK;
  // What the code under test asked.
  int queryCalls = 0;
  bool menuWasValid = false;
  UINT indexMenu = 0, idCmdFirst = 0, idCmdLast = 0, queryFlags = 0;
  int invokeCalls = 0;
  DWORD cbSize = 0, mask = 0;
  HWND hwnd = nullptr;
  bool verbIsNumeric = false;
  UINT verb = 0;
  int show = 0;
  bool noParameters = false;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IContextMenu) {
      *out = static_cast<IContextMenu*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) override {
    ++queryCalls;
    menuWasValid = ::IsMenu(menu) != FALSE;
    indexMenu = index;
    idCmdFirst = first;
    idCmdLast = last;
    queryFlags = flags;
    return queryResult;
  }
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override {
    ++invokeCalls;
    cbSize = info->cbSize;
    mask = info->fMask;
    hwnd = info->hwnd;
    verbIsNumeric = IS_INTRESOURCE(info->lpVerb);
    verb = verbIsNumeric ? LOWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb)) : 0;
    show = info->nShow;
    noParameters = !info->lpParameters && !info->lpDirectory;
    return invokeResult;
  }
  STDMETHODIMP GetCommandString(UINT_PTR, UINT, UINT*, LPSTR, UINT) override { return E_NOTIMPL; }
};

class SpyFolder final : public IShellFolder, public IShellIcon, public IShellIconOverlay, public RefCounted {
 public:
  // Forward to this folder when set.
  fw::ComPtr<IShellFolder> inner;
  // Answers without an inner folder.
  ULONG attributes = 0;
  std::string displayName = "fake";

  bool offerShellIcon = false;
  HRESULT iconOfResult = S_FALSE;
  int iconOfIndex = 0;
  bool offerOverlay = false;
  HRESULT overlayResult = S_OK;
  int overlayIndex = 1;
  FakeExtractIcon* extractIcon = nullptr;
  FakeContextMenu* contextMenu = nullptr;

  // Calls seen.
  int displayNameCalls = 0;
  int attributeCalls = 0;
  int shellIconQueries = 0;
  int overlayQueries = 0;
  int iconOfCalls = 0;
  int uiObjectCalls = 0;
  UINT lastUiObjectCount = 0;
  HWND lastUiObjectOwner = nullptr;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IShellFolder) {
      *out = static_cast<IShellFolder*>(this);
    } else if (iid == IID_IShellIcon) {
      ++shellIconQueries;
      if (offerShellIcon) *out = static_cast<IShellIcon*>(this);
    } else if (iid == IID_IShellIconOverlay) {
      ++overlayQueries;
      if (offerOverlay) *out = static_cast<IShellIconOverlay*>(this);
    }
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }

  // IShellFolder
  STDMETHODIMP ParseDisplayName(HWND wnd, IBindCtx* bc, LPWSTR name, ULONG* eaten, PIDLIST_RELATIVE* list,
                                ULONG* attr) override {
    return inner ? inner->ParseDisplayName(wnd, bc, name, eaten, list, attr) : E_NOTIMPL;
  }
  STDMETHODIMP EnumObjects(HWND wnd, SHCONTF flags, IEnumIDList** out) override {
    return inner ? inner->EnumObjects(wnd, flags, out) : E_NOTIMPL;
  }
  STDMETHODIMP BindToObject(PCUIDLIST_RELATIVE list, IBindCtx* bc, REFIID iid, void** out) override {
    return inner ? inner->BindToObject(list, bc, iid, out) : E_NOTIMPL;
  }
  STDMETHODIMP BindToStorage(PCUIDLIST_RELATIVE list, IBindCtx* bc, REFIID iid, void** out) override {
    return inner ? inner->BindToStorage(list, bc, iid, out) : E_NOTIMPL;
  }
  STDMETHODIMP CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override {
    return inner ? inner->CompareIDs(column, a, b) : E_NOTIMPL;
  }
  STDMETHODIMP CreateViewObject(HWND wnd, REFIID iid, void** out) override {
    return inner ? inner->CreateViewObject(wnd, iid, out) : E_NOTIMPL;
  }
  STDMETHODIMP GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY lists, SFGAOF* inOut) override {
    ++attributeCalls;
    if (inner) return inner->GetAttributesOf(count, lists, inOut);
    *inOut &= attributes;
    return S_OK;
  }
  STDMETHODIMP GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY lists, REFIID iid, UINT* reserved,
                             void** out) override {
    ++uiObjectCalls;
    lastUiObjectCount = count;
    lastUiObjectOwner = owner;
    *out = nullptr;
    if (iid == IID_IExtractIconA && extractIcon) return extractIcon->QueryInterface(iid, out);
    if (iid == IID_IContextMenu && contextMenu) return contextMenu->QueryInterface(iid, out);
    return inner ? inner->GetUIObjectOf(owner, count, lists, iid, reserved, out) : E_NOINTERFACE;
  }
  STDMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD list, SHGDNF flags, STRRET* name) override {
    ++displayNameCalls;
    if (inner) return inner->GetDisplayNameOf(list, flags, name);
    name->uType = STRRET_CSTR;
    lstrcpynA(name->cStr, displayName.c_str(), MAX_PATH);
    return S_OK;
  }
  STDMETHODIMP SetNameOf(HWND wnd, PCUITEMID_CHILD list, LPCWSTR name, SHGDNF flags, PITEMID_CHILD* out) override {
    return inner ? inner->SetNameOf(wnd, list, name, flags, out) : E_NOTIMPL;
  }

  // IShellIcon
  STDMETHODIMP GetIconOf(PCUITEMID_CHILD, UINT, int* index) override {
    ++iconOfCalls;
    *index = iconOfIndex;
    return iconOfResult;
  }

  // IShellIconOverlay
  STDMETHODIMP GetOverlayIndex(PCUITEMID_CHILD, int* index) override {
    *index = overlayIndex;
    return overlayResult;
  }
  STDMETHODIMP GetOverlayIconIndex(PCUITEMID_CHILD, int* index) override {
    *index = 0;
    return E_NOTIMPL;
  }
};

}  // namespace shellfakes
