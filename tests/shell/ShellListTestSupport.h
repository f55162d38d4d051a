#pragma once
// A form for the contents-list tests, a folder the tests prepare, test
// doubles of the linked tree and of a folder that sorts by column as Windows
// does (Wine's CompareIDs sorts every column by name).
#include <windows.h>
#include <shlobj.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "framework/ui/Form.h"
#include "framework/ui/StdCtrls.h"
#include "shell/ShellListView.h"
#include "tests/common/TempDir.h"
#include "tests/shell/ShellFakes.h"

namespace listtest {

// A panel on a visible form that the tests share (without a window manager
// Wine waits two seconds whenever a shown top-level window goes), with the
// test's list views on it; the panel and they go with this object.
class ListForm {
 public:
  ListForm();
  ~ListForm();
  ListForm(const ListForm&) = delete;
  ListForm& operator=(const ListForm&) = delete;
  template <typename T = TShellListView>
  T* Place() {
    T* lv = fw::Make<T>(m_panel);
    lv->SetParent(m_panel);
    lv->SetBounds(0, 0, 640, 400);
    lv->SetViewStyle(fw::TViewStyle::vsReport);
    lv->Handle();
    return lv;
  }
  fw::Form* get() const noexcept { return m_form; }
  fw::Panel* panel() const noexcept { return m_panel; }

 private:
  fw::Form* m_form;    // shared
  fw::Panel* m_panel;  // freed by the destructor
};

// A fresh folder with files (name, contents) shown in a report list on a
// ListForm: the start most list tests share. Unpack it as
// `auto& [dir, form, lv] = shown;`.
class ShownFolder {
 public:
  using File = std::pair<std::string, std::string>;
  explicit ShownFolder(const std::vector<File>& files);
  ShownFolder(std::initializer_list<File> files) : ShownFolder(std::vector<File>(files)) {}
  ShownFolder(const ShownFolder&) = delete;
  ShownFolder& operator=(const ShownFolder&) = delete;

  testsupport::TempDir dir;
  ListForm form;
  TShellListView* lv;
};

// Retrieves messages for ms milliseconds.
void Settle(DWORD ms = 50);

// The captions of all rows, in row order.
std::vector<std::string> Captions(TShellListView* lv);
// Row of the item with that caption, or -1.
int RowOf(TShellListView* lv, const std::string& caption);
// The text the control shows in a cell (asked from the window).
std::string CellText(TShellListView* lv, int row, int column);
// The middle of a row's label, in client coordinates.
POINT RowCenter(TShellListView* lv, int row);
// Selects and focuses that row alone.
void SelectOnly(TShellListView* lv, int row);
// Runs a command line in another process and waits for it to end.
void RunOther(const std::string& commandLine);

// The folder tree as the list view sees it: records what it is asked.
class FakeTree : public TShellTreeLink {
 public:
  UniqueIDList nameSpace;
  std::vector<std::string> setPaths;  // SetNameSpace calls, as paths
  int refreshes = 0;
  int includeHiddenCalls = 0;
  LPCITEMIDLIST GetNameSpace() override { return nameSpace.get(); }
  void SetNameSpace(LPCITEMIDLIST list) override;
  void SetIncludeHidden(bool) override { ++includeHiddenCalls; }
  void SetShVirtuaItems(TShVirtuaItems) override {}
  void RefreshFolder() override { ++refreshes; }
};

// A folder on the heap (freed with its last reference) that forwards every
// call to a real one: the base of folders that answer one call as Windows
// does where Wine differs.
class ForwardingFolder : public IShellFolder, public shellfakes::RefCounted {
 public:
  explicit ForwardingFolder(fw::ComPtr<IShellFolder> inner) : m_inner(std::move(inner)) {}
  virtual ~ForwardingFolder() = default;
  ForwardingFolder(const ForwardingFolder&) = delete;
  ForwardingFolder& operator=(const ForwardingFolder&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP ParseDisplayName(HWND w, IBindCtx* b, LPWSTR n, ULONG* e, PIDLIST_RELATIVE* l, ULONG* a) override {
    return m_inner->ParseDisplayName(w, b, n, e, l, a);
  }
  STDMETHODIMP EnumObjects(HWND w, SHCONTF f, IEnumIDList** out) override { return m_inner->EnumObjects(w, f, out); }
  STDMETHODIMP BindToObject(PCUIDLIST_RELATIVE l, IBindCtx* b, REFIID i, void** o) override {
    return m_inner->BindToObject(l, b, i, o);
  }
  STDMETHODIMP BindToStorage(PCUIDLIST_RELATIVE l, IBindCtx* b, REFIID i, void** o) override {
    return m_inner->BindToStorage(l, b, i, o);
  }
  STDMETHODIMP CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override {
    return m_inner->CompareIDs(column, a, b);
  }
  STDMETHODIMP CreateViewObject(HWND w, REFIID i, void** o) override { return m_inner->CreateViewObject(w, i, o); }
  STDMETHODIMP GetAttributesOf(UINT c, PCUITEMID_CHILD_ARRAY l, SFGAOF* io) override {
    return m_inner->GetAttributesOf(c, l, io);
  }
  STDMETHODIMP GetUIObjectOf(HWND w, UINT c, PCUITEMID_CHILD_ARRAY l, REFIID i, UINT* r, void** o) override {
    return m_inner->GetUIObjectOf(w, c, l, i, r, o);
  }
  STDMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD l, SHGDNF f, STRRET* n) override {
    return m_inner->GetDisplayNameOf(l, f, n);
  }
  STDMETHODIMP SetNameOf(HWND w, PCUITEMID_CHILD l, LPCWSTR n, SHGDNF f, PITEMID_CHILD* o) override {
    return m_inner->SetNameOf(w, l, n, f, o);
  }

 protected:
  fw::ComPtr<IShellFolder> m_inner;
};

// A folder that sorts every column as Windows does: name, size, type
// (extension), last write, attributes; folders first.
class ColumnFolder final : public ForwardingFolder {
 public:
  using ForwardingFolder::ForwardingFolder;
  int compares = 0;

  STDMETHODIMP CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override;
};

// A wrapper for TShellFileList::SetFolderWrapper that puts a heap
// ColumnFolder (freed with its last reference) around the real folder.
TShellFolderWrapper ColumnFolderWrapper();

}  // namespace listtest
