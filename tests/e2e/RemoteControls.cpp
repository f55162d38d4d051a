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

// Sends msg with an item record whose text buffer sits at kTextOffset of block (which must hold
// kTextOffset + kTextSize bytes), and reads the text back. The buffer is cleared first so that a
// control that writes nothing reads as empty; checkAnswer: an answer of 0 or less means no text.
template <class Item>
std::string RemoteItemText(RemoteBlock& block, HWND wnd, UINT msg, WPARAM wp, Item item, bool checkAnswer = false) {
  item.pszText = block.Address(kTextOffset);
  item.cchTextMax = static_cast<int>(kTextSize);
  char zero = 0;
  block.Write(kTextOffset, &zero, 1);
  block.Write(0, &item, sizeof item);
  LRESULT answer = Send(wnd, msg, wp, reinterpret_cast<LPARAM>(block.Address()));
  if (checkAnswer && answer <= 0) return {};
  return block.ReadString(kTextOffset, kTextSize);
}

// Sends msg with a record of size bytes placed in wnd's process (seeded with data's bytes when the
// message reads its input there) and copies the control's answer back into data. False when the
// block cannot be placed, the control answers 0 or the answer cannot be read.
bool RemoteQuery(HWND wnd, UINT msg, WPARAM wp, void* data, std::size_t size, bool seeded) {
  RemoteBlock block(wnd, size);
  if (!block.Valid()) return false;
  if (seeded) block.Write(0, data, size);
  if (!Send(wnd, msg, wp, reinterpret_cast<LPARAM>(block.Address()))) return false;
  return block.Read(0, data, size);
}

// A rectangle the control gives in its client coordinates, on the screen.
bool RemoteRect(HWND wnd, UINT msg, WPARAM wp, RECT r, bool seeded, RECT& screen) {
  if (!RemoteQuery(wnd, msg, wp, &r, sizeof r, seeded)) return false;
  ::MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  screen = r;
  return true;
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
    texts.push_back(RemoteItemText(block, tabControl, TCM_GETITEMA, static_cast<WPARAM>(i), item));
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
  return RemoteItemText(block, listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), item);
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
  return RemoteRect(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), RECT{}, false, screen);
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
  return RemoteItemText(block, tree, TVM_GETITEMA, 0, it, true);
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
  // The item handle goes in the rectangle's first bytes; TRUE: the text only.
  RECT r{};
  std::memcpy(&r, &item, sizeof item);
  return RemoteRect(tree, TVM_GETITEMRECT, TRUE, r, true, screen);
}

bool TabRect(HWND tabControl, int index, RECT& screen) {
  return RemoteRect(tabControl, TCM_GETITEMRECT, static_cast<WPARAM>(index), RECT{}, false, screen);
}

bool ListItemRect(HWND listView, int row, RECT& screen) {
  RECT r{};
  r.left = LVIR_BOUNDS;
  return RemoteRect(listView, LVM_GETITEMRECT, static_cast<WPARAM>(row), r, true, screen);
}

bool ToolButtonRect(HWND toolBar, int index, RECT& screen) {
  return RemoteRect(toolBar, TB_GETITEMRECT, static_cast<WPARAM>(index), RECT{}, false, screen);
}

bool ToolButtonEnabled(HWND toolBar, int index) {
  TBBUTTON b{};
  if (!RemoteQuery(toolBar, TB_GETBUTTON, static_cast<WPARAM>(index), &b, sizeof b, false)) return false;
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
  PostClick(wnd, screen);
  POINT p = screen;
  ::ScreenToClient(wnd, &p);
  LPARAM at = MAKELPARAM(p.x, p.y);
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
