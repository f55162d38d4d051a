#pragma once
// Test doubles for the shell context menu component: a parent folder whose
// GetUIObjectOf hands out a context menu object that behaves like the
// Windows shell's (its commands at the offsets Windows uses), and records
// what the menu component asked of it. Both live on the test's stack and
// count their references, so a test can see that everything was given back.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/base/ComPtr.h"
#include "shell/ShellItems.h"

namespace menufakes {

inline const IID kIIDContextMenu2 = {0x000214F4, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline const IID kIIDContextMenu3 = {0xBCFCE0A0, 0xEC17, 0x11D0, {0x8D, 0x10, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x19}};

// The shell's command offsets on Windows.
enum : UINT { kOpen = 0, kCreateShortcut = 16, kDelete = 17, kRename = 18, kProperties = 19, kCut = 24, kCopy = 25 };

class FakeShellMenu final : public IContextMenu3 {
 public:
  // Which interfaces the object answers: 1 plain, 2 with IContextMenu2, 3 with IContextMenu3.
  int level = 3;
  HRESULT invokeResult = S_OK;
  // Items it inserts: offset and text, in this order.
  std::vector<std::pair<UINT, std::string>> commands = {{kOpen, "開く(&O)"},
                                                        {kCut, "切り取り(&T)"},
                                                        {kCopy, "コピー(&C)"},
                                                        {kCreateShortcut, "ショートカットの作成(&S)"},
                                                        {kDelete, "削除(&D)"},
                                                        {kRename, "名前の変更(&M)"},
                                                        {kProperties, "プロパティ(&R)"}};

  // What it was asked.
  int queryCalls = 0;
  UINT indexMenu = 0, idCmdFirst = 0, idCmdLast = 0, queryFlags = 0;
  std::vector<UINT> invokedVerbs;
  HWND invokeOwner = nullptr;
  int invokeShow = 0;
  DWORD invokeSize = 0;
  std::vector<UINT> handled2;                             // messages given to HandleMenuMsg2
  std::vector<UINT> handled;                              // messages given to HandleMenuMsg
  std::vector<std::pair<UINT_PTR, UINT>> commandStrings;  // offset, kind

  ULONG Refs() const noexcept { return m_refs; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IContextMenu) {
      *out = static_cast<IContextMenu*>(this);
    } else if (iid == kIIDContextMenu2 && level >= 2) {
      *out = static_cast<IContextMenu2*>(this);
    } else if (iid == kIIDContextMenu3 && level >= 3) {
      *out = static_cast<IContextMenu3*>(this);
    }
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override { return --m_refs; }

  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) override {
    ++queryCalls;
    indexMenu = index;
    idCmdFirst = first;
    idCmdLast = last;
    queryFlags = flags;
    if (flags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    UINT pos = index, highest = 0;
    for (const auto& [offset, text] : commands) {
      if (offset == kRename && !(flags & CMF_CANRENAME)) continue;
      ::InsertMenuA(menu, pos++, MF_BYPOSITION | MF_STRING, first + offset, text.c_str());
      highest = std::max(highest, offset);
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, highest + 1);
  }
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override {
    invokeSize = info->cbSize;
    invokeOwner = info->hwnd;
    invokeShow = info->nShow;
    if (!IS_INTRESOURCE(info->lpVerb)) return E_INVALIDARG;
    invokedVerbs.push_back(LOWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb)));
    return invokeResult;
  }
  STDMETHODIMP GetCommandString(UINT_PTR offset, UINT kind, UINT*, LPSTR text, UINT size) override {
    commandStrings.emplace_back(offset, kind);
    if (kind != GCS_HELPTEXTA) return E_INVALIDARG;
    for (const auto& [o, t] : commands) {
      if (o != offset) continue;
      std::string help = "help:" + t;
      lstrcpynA(text, help.c_str(), static_cast<int>(size));
      return S_OK;
    }
    return E_INVALIDARG;
  }
  STDMETHODIMP HandleMenuMsg(UINT msg, WPARAM, LPARAM) override {
    handled.push_back(msg);
    return S_OK;
  }
  STDMETHODIMP HandleMenuMsg2(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
    handled2.push_back(msg);
    if (result) *result = 0;
    return S_OK;
  }

 private:
  ULONG m_refs = 0;
};

// A parent folder that only hands out its context menu object.
class FakeMenuFolder final : public IShellFolder {
 public:
  FakeShellMenu* menu = nullptr;
  HRESULT uiObjectResult = S_OK;
  int uiObjectCalls = 0;
  UINT lastCount = 0;
  HWND lastOwner = nullptr;

  ULONG Refs() const noexcept { return m_refs; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IShellFolder) return E_NOINTERFACE;
    *out = static_cast<IShellFolder*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
  STDMETHODIMP ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
  STDMETHODIMP BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override { return E_NOTIMPL; }
  STDMETHODIMP CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY, REFIID iid, UINT*, void** out) override {
    ++uiObjectCalls;
    lastCount = count;
    lastOwner = owner;
    *out = nullptr;
    if (FAILED(uiObjectResult)) return uiObjectResult;
    if (iid == IID_IContextMenu && menu) return menu->QueryInterface(iid, out);
    return E_NOINTERFACE;
  }
  STDMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF, STRRET*) override { return E_NOTIMPL; }
  STDMETHODIMP SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override { return E_NOTIMPL; }

 private:
  ULONG m_refs = 0;
};

// An item set whose parent folder is a fake (the items are opaque to it).
class FakeIDList final : public TShellIDList {
 public:
  explicit FakeIDList(IShellFolder* folder, int count = 1) : m_folder(folder) {
    for (int i = 0; i < count; ++i) Add(reinterpret_cast<LPCITEMIDLIST>(kItem));
  }
  bool GetShellFolder(fw::ComPtr<IShellFolder>& folder) override {
    folder = fw::ComPtr<IShellFolder>::Share(m_folder);
    return m_folder != nullptr;
  }

 private:
  // One item of two bytes' data, then the terminator.
  static constexpr BYTE kItem[] = {4, 0, 'a', 'b', 0, 0};
  IShellFolder* m_folder;
};

}  // namespace menufakes
