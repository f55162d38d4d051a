#include "tests/shell/ShellListTestSupport.h"

#include <gtest/gtest.h>

#include "framework/ui/Application.h"
#include "tests/common/MessagePump.h"
#include "tests/common/SharedForm.h"

namespace listtest {

ListForm::ListForm() {
  m_form = testsupport::SharedTestForm(30, 30, 660, 420);
  m_panel = fw::Make<fw::Panel>(m_form);
  m_panel->SetBevelOuter(fw::TBevelCut::bvNone);
  m_panel->SetParent(m_form);
  m_panel->SetAlign(fw::TAlign::alClient);
  m_panel->Handle();
}

ListForm::~ListForm() { fw::Free(m_panel); }

ShownFolder::ShownFolder(const std::vector<File>& files) {
  for (const auto& [name, bytes] : files) testsupport::WriteFile(dir / name, bytes);
  lv = form.Place();
  lv->SetPath(dir.Path());
}

void Settle(DWORD ms) { testsupport::PumpFor(ms); }

std::vector<std::string> Captions(TShellListView* lv) {
  std::vector<std::string> out;
  for (int i = 0; i < lv->FileList()->Count(); ++i) out.push_back(lv->GetFileItem(i)->GetCaption());
  return out;
}

int RowOf(TShellListView* lv, const std::string& caption) {
  for (int i = 0; i < lv->FileList()->Count(); ++i)
    if (lv->GetFileItem(i)->GetCaption() == caption) return i;
  return -1;
}

POINT RowCenter(TShellListView* lv, int row) {
  RECT r{};
  r.left = LVIR_LABEL;
  ::SendMessageA(lv->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void SelectOnly(TShellListView* lv, int row) {
  lv->ClearSelection();
  lv->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

std::string CellText(TShellListView* lv, int row, int column) {
  char buf[260] = {};
  LVITEMA it{};
  it.iSubItem = column;
  it.pszText = buf;
  it.cchTextMax = sizeof buf;
  ::SendMessageA(lv->Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
  return buf;
}

void RunOther(const std::string& commandLine) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi{};
  std::string line = commandLine;
  ASSERT_TRUE(
      ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
      << commandLine;
  // The other process runs on its own; keep serving this thread's messages.
  testsupport::PumpUntil([&] { return ::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 20000);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
}

void FakeTree::SetNameSpace(LPCITEMIDLIST list) {
  std::string path;
  GetPathFromItemIDList(list, path);
  setPaths.push_back(path);
  nameSpace.reset(CopyItemIDList(list));
}

// ---------------------------------------------------------------------------
// ColumnFolder

STDMETHODIMP ForwardingFolder::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IShellFolder) {
    *out = static_cast<IShellFolder*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ForwardingFolder::Release() {
  ULONG r = DoRelease();
  if (r == 0) delete this;
  return r;
}

namespace {
int Sign(long long v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

std::string Extension(const std::string& name) {
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}
}  // namespace

STDMETHODIMP ColumnFolder::CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) {
  ++compares;
  HRESULT byName = m_inner->CompareIDs(0, a, b);
  WIN32_FIND_DATAA fa{}, fb{};
  if (FAILED(::SHGetDataFromIDListA(m_inner.Get(), a, SHGDFIL_FINDDATA, &fa, sizeof fa)) ||
      FAILED(::SHGetDataFromIDListA(m_inner.Get(), b, SHGDFIL_FINDDATA, &fb, sizeof fb)))
    return byName;
  bool dirA = (fa.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  bool dirB = (fb.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (dirA != dirB) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(static_cast<short>(dirA ? -1 : 1)));
  int r = 0;
  switch (column & 0xFFFF) {
    case 1:
      r = Sign(static_cast<long long>(fa.nFileSizeLow) - static_cast<long long>(fb.nFileSizeLow));
      break;
    case 2:
      r = Sign(lstrcmpiA(Extension(fa.cFileName).c_str(), Extension(fb.cFileName).c_str()));
      break;
    case 3:
      r = ::CompareFileTime(&fa.ftLastWriteTime, &fb.ftLastWriteTime);
      break;
    case 4:
      r = Sign(static_cast<long long>(fa.dwFileAttributes) - static_cast<long long>(fb.dwFileAttributes));
      break;
    default:
      return byName;
  }
  if (r == 0) return byName;
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(static_cast<short>(r)));
}

TShellFolderWrapper ColumnFolderWrapper() {
  return [](fw::ComPtr<IShellFolder> inner) {
    auto* folder = new ColumnFolder(std::move(inner));
    return fw::ComPtr<IShellFolder>::Share(static_cast<IShellFolder*>(folder));
  };
}

}  // namespace listtest
