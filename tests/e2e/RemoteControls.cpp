#include "tests/e2e/RemoteControls.h"

#include <commctrl.h>

#include <cstring>

#include "framework/base/Handle.h"
#include "tests/e2e/Driver.h"

namespace e2e {
namespace {

// A block of memory in the process that owns a window, freed with it.
class RemoteBlock {
 public:
  RemoteBlock(HWND owner, std::size_t size) : m_size(size) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(owner, &pid);
    m_process.reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (m_process)
      m_address = ::VirtualAllocEx(m_process.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBlock() {
    if (m_address) ::VirtualFreeEx(m_process.get(), m_address, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  bool Valid() const noexcept { return m_address != nullptr; }
  char* Address(std::size_t offset = 0) const noexcept { return static_cast<char*>(m_address) + offset; }
  bool Write(std::size_t offset, const void* data, std::size_t size) {
    SIZE_T done = 0;
    return ::WriteProcessMemory(m_process.get(), Address(offset), data, size, &done) && done == size;
  }
  bool Read(std::size_t offset, void* data, std::size_t size) const {
    SIZE_T done = 0;
    return ::ReadProcessMemory(m_process.get(), Address(offset), data, size, &done) && done == size;
  }
  std::string ReadString(std::size_t offset, std::size_t max) const {
    std::string s(max, '\0');
    if (!Read(offset, s.data(), max)) return {};
    s.resize(std::strlen(s.c_str()));
    return s;
  }

 private:
  fw::Handle m_process;
  void* m_address = nullptr;
  std::size_t m_size;
};

constexpr std::size_t kTextOffset = 512;
constexpr std::size_t kTextSize = 2048;

LRESULT Send(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(wnd, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
  return static_cast<LRESULT>(result);
}

}  // namespace

std::vector<std::string> TabTexts(HWND tabControl) {
  std::vector<std::string> texts;
  RemoteBlock block(tabControl, kTextOffset + kTextSize);
  if (!block.Valid()) return texts;
  int count = static_cast<int>(Send(tabControl, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = block.Address(kTextOffset);
    item.cchTextMax = static_cast<int>(kTextSize);
    char zero = 0;
    block.Write(kTextOffset, &zero, 1);
    block.Write(0, &item, sizeof item);
    Send(tabControl, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(block.Address()));
    texts.push_back(block.ReadString(kTextOffset, kTextSize));
  }
  return texts;
}

int SelectedTab(HWND tabControl) { return static_cast<int>(Send(tabControl, TCM_GETCURSEL, 0, 0)); }

int ListRowCount(HWND listView) { return static_cast<int>(Send(listView, LVM_GETITEMCOUNT, 0, 0)); }

std::string ListCellText(HWND listView, int row, int column) {
  RemoteBlock block(listView, kTextOffset + kTextSize);
  if (!block.Valid()) return {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = block.Address(kTextOffset);
  item.cchTextMax = static_cast<int>(kTextSize);
  char zero = 0;
  block.Write(kTextOffset, &zero, 1);
  block.Write(0, &item, sizeof item);
  Send(listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.Address()));
  return block.ReadString(kTextOffset, kTextSize);
}

int ListColumnWidth(HWND listView, int column) {
  return static_cast<int>(Send(listView, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

std::vector<int> ListSelectedRows(HWND listView) {
  std::vector<int> rows;
  int i = -1;
  while ((i = static_cast<int>(Send(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0)
    rows.push_back(i);
  return rows;
}

bool ListHeaderItemRect(HWND listView, int column, RECT& screen) {
  HWND header = reinterpret_cast<HWND>(Send(listView, LVM_GETHEADER, 0, 0));
  if (!header) return false;
  RemoteBlock block(header, sizeof(RECT));
  if (!block.Valid()) return false;
  if (!Send(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(block.Address())))
    return false;
  RECT r{};
  if (!block.Read(0, &r, sizeof r)) return false;
  ::MapWindowPoints(header, nullptr, reinterpret_cast<POINT*>(&r), 2);
  screen = r;
  return true;
}

HTREEITEM TreeSelectedItem(HWND tree) {
  return reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

std::string TreeItemText(HWND tree, HTREEITEM item) {
  if (!item) return {};
  RemoteBlock block(tree, kTextOffset + kTextSize);
  if (!block.Valid()) return {};
  TVITEMA it{};
  it.mask = TVIF_TEXT | TVIF_HANDLE;
  it.hItem = item;
  it.pszText = block.Address(kTextOffset);
  it.cchTextMax = static_cast<int>(kTextSize);
  char zero = 0;
  block.Write(kTextOffset, &zero, 1);
  block.Write(0, &it, sizeof it);
  if (Send(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block.Address())) <= 0) return {};
  return block.ReadString(kTextOffset, kTextSize);
}

std::vector<HTREEITEM> TreeChildren(HWND tree, HTREEITEM parent) {
  std::vector<HTREEITEM> items;
  auto child = reinterpret_cast<HTREEITEM>(
      Send(tree, TVM_GETNEXTITEM, parent == TVI_ROOT ? TVGN_ROOT : TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
  while (child) {
    items.push_back(child);
    child = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
  }
  return items;
}

bool TreeItemRect(HWND tree, HTREEITEM item, RECT& screen) {
  RemoteBlock block(tree, sizeof(RECT));
  if (!block.Valid()) return false;
  // The item handle goes in the rectangle's first bytes; TRUE: the text only.
  block.Write(0, &item, sizeof item);
  if (!Send(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(block.Address()))) return false;
  RECT r{};
  if (!block.Read(0, &r, sizeof r)) return false;
  ::MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&r), 2);
  screen = r;
  return true;
}

bool TabRect(HWND tabControl, int index, RECT& screen) {
  RemoteBlock block(tabControl, sizeof(RECT));
  if (!block.Valid()) return false;
  if (!Send(tabControl, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(block.Address())))
    return false;
  RECT r{};
  if (!block.Read(0, &r, sizeof r)) return false;
  ::MapWindowPoints(tabControl, nullptr, reinterpret_cast<POINT*>(&r), 2);
  screen = r;
  return true;
}

bool ListItemRect(HWND listView, int row, RECT& screen) {
  RemoteBlock block(listView, sizeof(RECT));
  if (!block.Valid()) return false;
  RECT r{};
  r.left = LVIR_BOUNDS;
  block.Write(0, &r, sizeof r);
  if (!Send(listView, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.Address())))
    return false;
  if (!block.Read(0, &r, sizeof r)) return false;
  ::MapWindowPoints(listView, nullptr, reinterpret_cast<POINT*>(&r), 2);
  screen = r;
  return true;
}

bool ToolButtonRect(HWND toolBar, int index, RECT& screen) {
  RemoteBlock block(toolBar, sizeof(RECT));
  if (!block.Valid()) return false;
  if (!Send(toolBar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(block.Address())))
    return false;
  RECT r{};
  if (!block.Read(0, &r, sizeof r)) return false;
  ::MapWindowPoints(toolBar, nullptr, reinterpret_cast<POINT*>(&r), 2);
  screen = r;
  return true;
}

bool ToolButtonEnabled(HWND toolBar, int index) {
  RemoteBlock block(toolBar, sizeof(TBBUTTON));
  if (!block.Valid()) return false;
  if (!Send(toolBar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(block.Address()))) return false;
  TBBUTTON b{};
  if (!block.Read(0, &b, sizeof b)) return false;
  return (b.fsState & TBSTATE_ENABLED) != 0;
}

void PostClick(HWND wnd, POINT screen) {
  POINT p = screen;
  ::ScreenToClient(wnd, &p);
  LPARAM at = MAKELPARAM(p.x, p.y);
  ::PostMessageA(wnd, WM_MOUSEMOVE, 0, at);
  ::PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageA(wnd, WM_LBUTTONUP, 0, at);
}

void PostDoubleClick(HWND wnd, POINT screen) {
  POINT p = screen;
  ::ScreenToClient(wnd, &p);
  LPARAM at = MAKELPARAM(p.x, p.y);
  ::PostMessageA(wnd, WM_MOUSEMOVE, 0, at);
  ::PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageA(wnd, WM_LBUTTONUP, 0, at);
  ::PostMessageA(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  ::PostMessageA(wnd, WM_LBUTTONUP, 0, at);
}

bool WaitFor(const std::function<bool()>& done, DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  while (::GetTickCount64() < end) {
    if (done()) return true;
    ::Sleep(50);
  }
  return done();
}

HWND ListWithRow(HWND main, const std::string& name) {
  for (const auto& w : ChildWindows(main)) {
    if (w.className != "SysListView32") continue;
    int rows = ListRowCount(w.hwnd);
    for (int i = 0; i < rows && i < 50; ++i)
      if (ListCellText(w.hwnd, i, 0) == name) return w.hwnd;
  }
  return nullptr;
}

}  // namespace e2e
