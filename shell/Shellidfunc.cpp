#include "shell/Shellidfunc.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <string_view>

#include "framework/base/Mbcs.h"
#include "framework/ui/WinUtil.h"

namespace {

// ---------------------------------------------------------------------------
// Tables

constexpr std::uint8_t kCsidl[kShSpecialFolderCount] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x10, 0x11, 0x12,
    0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22,
};

constexpr ULONG kAttributeMask[kShItemAttributeCount] = {
    0x00000001,  // iaCanCopy
    0x00000002,  // iaCanMove
    0x00000004,  // iaCanLink
    0x00000010,  // iaCanRename
    0x00000020,  // iaCanDelete
    0x00000040,  // iaHasPropSheet
    0x00000100,  // iaDropTarget
    0x00000177,  // iaCapabilityMask
    0x00010000,  // iaLink
    0x00020000,  // iaShare
    0x00040000,  // iaReadOnly
    0x00080000,  // iaGhosted
    0x00080000,  // iaHidden
    0x000F0000,  // iaDisplayAttrMask
    0x10000000,  // iaFileSysAncestor
    0x20000000,  // iaFolder
    0x40000000,  // iaFileSystem
    0x80000000,  // iaHasSubFolder
    0x80000000,  // iaContentsMask
    0x01000000,  // iaValiDate
    0x02000000,  // iaRemovable
    0x04000000,  // iaCompressed
    0x08000000,  // iaBrowsable
    0x00100000,  // iaNoMenuMerated
    0x00200000,  // iaNewContent
};

// ---------------------------------------------------------------------------
// Unit state: the start-up count and the allocator it obtained.

struct UnitState {
  std::mutex lock;
  int count = 0;
  bool oleInitialized = false;
};

UnitState& Unit() {
  static UnitState state;
  return state;
}

// Constant-initialised (ComPtr's default constructor is trivial enough), so it
// is valid before any static constructor runs.
fw::ComPtr<IMalloc> g_malloc;
std::atomic<HWND> g_appWindow{nullptr};

// A list is never larger than a 16-bit size can say; anything that would be
// is refused instead of being allocated short and overrun.
constexpr std::size_t kMaxListBytes = 0xFFFF;

std::uint16_t Cb(const void* item) noexcept {
  std::uint16_t cb;
  std::memcpy(&cb, item, sizeof cb);
  return cb;
}

const BYTE* Bytes(LPCITEMIDLIST list) noexcept { return reinterpret_cast<const BYTE*>(list); }

// The real number of bytes of a list with its terminator, without the 16-bit
// wrap; used to decide whether a copy fits.
std::size_t ListBytes(LPCITEMIDLIST list) noexcept {
  std::size_t size = 0;
  const BYTE* p = Bytes(list);
  for (std::uint16_t cb; (cb = Cb(p)) != 0; p += cb) {
    size += cb;
    if (size > kMaxListBytes) break;  // already too large to copy; stop walking
  }
  return size + 2;
}

void* TaskAlloc(std::size_t size) noexcept {
  IMalloc* m = GMalloc();
  return m ? m->Alloc(size) : ::CoTaskMemAlloc(size);
}

void TaskFree(void* block) noexcept {
  IMalloc* m = GMalloc();
  if (m)
    m->Free(block);
  else
    ::CoTaskMemFree(block);
}

LPITEMIDLIST AllocList(std::size_t size) noexcept {
  if (size > kMaxListBytes) return nullptr;
  return CreateItemIDList(static_cast<std::uint16_t>(size));
}

}  // namespace

// ---------------------------------------------------------------------------
// Tables

int ShSpecialFolderCsidl(TShSpecialFolderID id) noexcept {
  auto i = static_cast<unsigned>(id);
  return i < kShSpecialFolderCount ? kCsidl[i] : -1;
}

ULONG ShItemAttributeMask(TShItemAttribute attribute) noexcept {
  auto i = static_cast<unsigned>(attribute);
  return i < kShItemAttributeCount ? kAttributeMask[i] : 0;
}

// ---------------------------------------------------------------------------
// Start-up and shut-down

EShellOleError::EShellOleError(HRESULT result, const std::string& context)
    : fw::Exception(fw::Format("%s (0x%08lX)", context.c_str(), static_cast<unsigned long>(result))),
      m_result(result) {}

void ShellidfuncInitialize() {
  UnitState& unit = Unit();
  std::lock_guard<std::mutex> guard(unit.lock);
  if (unit.count == 0) {
    // Drag and drop and the clipboard need OLE, not only COM, on this thread.
    // S_FALSE (already initialised here) still has to be balanced; a failure
    // (e.g. the thread is multithreaded already) leaves nothing to undo.
    HRESULT ole = ::OleInitialize(nullptr);
    fw::ComPtr<IMalloc> allocator;
    HRESULT hr = ::CoGetMalloc(1, allocator.Put());
    if (FAILED(hr) || !allocator) {
      if (SUCCEEDED(ole)) ::OleUninitialize();
      throw EShellOleError(FAILED(hr) ? hr : E_FAIL, "CoGetMalloc");
    }
    g_malloc = std::move(allocator);
    unit.oleInitialized = SUCCEEDED(ole);
  }
  ++unit.count;
}

void ShellidfuncFinalize() noexcept {
  UnitState& unit = Unit();
  std::lock_guard<std::mutex> guard(unit.lock);
  if (unit.count == 0) return;
  if (--unit.count > 0) return;
  g_malloc.Reset();
  if (unit.oleInitialized) ::OleUninitialize();
  unit.oleInitialized = false;
}

int ShellidfuncInitCount() noexcept {
  UnitState& unit = Unit();
  std::lock_guard<std::mutex> guard(unit.lock);
  return unit.count;
}

IMalloc* GMalloc() noexcept { return g_malloc.Get(); }

fw::ComPtr<IMalloc> ExchangeGMalloc(fw::ComPtr<IMalloc> allocator) noexcept {
  fw::ComPtr<IMalloc> previous = std::move(g_malloc);
  g_malloc = std::move(allocator);
  return previous;
}

void SetShellApplicationWindow(HWND wnd) noexcept { g_appWindow.store(wnd); }
HWND ShellApplicationWindow() noexcept { return g_appWindow.load(); }

// ---------------------------------------------------------------------------
// Allocation and size

LPITEMIDLIST CreateItemIDList(std::uint16_t size) noexcept {
  void* block = TaskAlloc(size);
  if (block) std::memset(block, 0, size);
  return static_cast<LPITEMIDLIST>(block);
}

void FreeItemID(LPITEMIDLIST& list) noexcept {
  if (list) TaskFree(list);
  list = nullptr;
}

std::uint16_t GetItemIDSize(LPCITEMIDLIST list) noexcept {
  if (!list) return 0;
  std::uint16_t cb = Cb(list);
  return cb == 0 ? 0 : static_cast<std::uint16_t>(cb + 2);
}

std::uint16_t GetItemIDListSize(LPCITEMIDLIST list) noexcept {
  if (!list) return 0;
  std::uint16_t size = 0;
  const BYTE* p = Bytes(list);
  for (std::uint16_t cb; (cb = Cb(p)) != 0; p += cb) size = static_cast<std::uint16_t>(size + cb);
  return static_cast<std::uint16_t>(size + 2);
}

// ---------------------------------------------------------------------------
// Walking

LPCITEMIDLIST NextItemIDList(LPCITEMIDLIST list) noexcept {
  if (!list) return nullptr;
  return reinterpret_cast<LPCITEMIDLIST>(Bytes(list) + Cb(list));
}

LPITEMIDLIST NextItemIDList(LPITEMIDLIST list) noexcept {
  return const_cast<LPITEMIDLIST>(NextItemIDList(static_cast<LPCITEMIDLIST>(list)));
}

LPCITEMIDLIST GetNextItemIDList(LPCITEMIDLIST list) noexcept {
  if (!list || Cb(list) == 0) return nullptr;
  LPCITEMIDLIST next = NextItemIDList(list);
  return Cb(next) == 0 ? nullptr : next;
}

LPITEMIDLIST GetNextItemIDList(LPITEMIDLIST list) noexcept {
  return const_cast<LPITEMIDLIST>(GetNextItemIDList(static_cast<LPCITEMIDLIST>(list)));
}

// ---------------------------------------------------------------------------
// Copying and joining

LPITEMIDLIST CopyItemID(LPCITEMIDLIST list) noexcept {
  if (!list) return nullptr;
  std::size_t cb = Cb(list);
  if (cb == 0) return nullptr;
  LPITEMIDLIST copy = AllocList(cb + 2);  // the terminator comes from the zero fill
  if (copy) std::memcpy(copy, list, cb);
  return copy;
}

LPITEMIDLIST CopyItemIDList(LPCITEMIDLIST list) noexcept {
  if (!list) return nullptr;
  std::size_t size = ListBytes(list);
  LPITEMIDLIST copy = AllocList(size);
  if (copy) std::memcpy(copy, list, size);
  return copy;
}

LPITEMIDLIST ConcatItemIDList(LPCITEMIDLIST first, LPCITEMIDLIST second) noexcept {
  if (!first || !second) return nullptr;
  std::size_t head = ListBytes(first) - 2;  // without the first list's terminator
  std::size_t tail = ListBytes(second);
  LPITEMIDLIST joined = AllocList(head + tail);
  if (!joined) return nullptr;
  auto* out = reinterpret_cast<BYTE*>(joined);
  std::memcpy(out, first, head);
  std::memcpy(out + head, second, tail);
  return joined;
}

LPITEMIDLIST ConcatItemIdsFree(LPITEMIDLIST& first, LPITEMIDLIST& second) noexcept {
  LPITEMIDLIST result = nullptr;
  if (first && second) {
    result = ConcatItemIDList(first, second);
    FreeItemID(first);
    FreeItemID(second);
  } else if (first) {
    // The one list is handed over as it is: the same bytes a copy would hold,
    // without an allocation that could fail after the input is gone.
    result = std::exchange(first, nullptr);
  } else if (second) {
    result = std::exchange(second, nullptr);
  }
  return result;
}

// ---------------------------------------------------------------------------
// Splitting

LPITEMIDLIST GetParentItemIDRoot(LPCITEMIDLIST list) noexcept {
  // Everything in front of the last item, in one block: the same list that
  // appending the items one by one would build.
  LPCITEMIDLIST last = list;
  for (LPCITEMIDLIST next; (next = GetNextItemIDList(last)) != nullptr;) last = next;
  if (!last || last == list) return nullptr;  // null, empty or one item
  std::size_t head = static_cast<std::size_t>(Bytes(last) - Bytes(list));
  LPITEMIDLIST parent = AllocList(head + 2);
  if (parent) std::memcpy(parent, list, head);
  return parent;
}

LPITEMIDLIST GetLastItemID(LPCITEMIDLIST list) noexcept {
  if (!list || Cb(list) == 0) return nullptr;
  LPCITEMIDLIST last = list;
  for (LPCITEMIDLIST next; (next = GetNextItemIDList(last)) != nullptr;) last = next;
  return CopyItemID(last);
}

int GetItemIDLevel(LPCITEMIDLIST list) noexcept {
  if (!list) return -1;
  fw::ComPtr<IShellFolder> desktop;
  if (FAILED(::SHGetDesktopFolder(desktop.Put())) || !desktop) return -1;
  UniqueIDList desktopList;
  if (GetSpecialFolderID(sfidDeskTop, desktopList) && CompareIDList(desktop.Get(), list, desktopList.get()) == cvEqual)
    return 0;
  int level = 0;
  for (const BYTE* p = Bytes(list); Cb(p) != 0; p += Cb(p)) ++level;
  return level;
}

// ---------------------------------------------------------------------------
// Comparison and shell queries

TCompareVal CompareIDList(IShellFolder* folder, LPCITEMIDLIST first, LPCITEMIDLIST second) noexcept {
  if (!folder || !first || !second) return cvError;
  HRESULT hr = folder->CompareIDs(0, first, second);
  if (FAILED(hr)) return cvError;
  auto order = static_cast<std::int16_t>(static_cast<std::uint32_t>(hr) & 0xFFFFu);
  if (order == 0) return cvEqual;
  return order > 0 ? cvPrev : cvNext;
}

TShItemAttributes GetItemAttributes(IShellFolder* folder, LPCITEMIDLIST list, TShItemAttribute attribute) noexcept {
  if (!folder || !list) return {};
  LPCITEMIDLIST one[1] = {list};
  return GetItemAttributes(folder, one, 1, attribute);
}

TShItemAttributes GetItemAttributes(IShellFolder* folder, LPCITEMIDLIST* lists, UINT count,
                                    TShItemAttribute attribute) noexcept {
  TShItemAttributes result;
  if (!folder || !lists || count == 0) return result;
  ULONG returned = ShItemAttributeMask(attribute);
  if (FAILED(folder->GetAttributesOf(count, lists, &returned))) return result;
  auto test = [&](TShItemAttribute member) {
    ULONG mask = ShItemAttributeMask(member);
    if ((mask & returned) == mask) result.Include(member);
  };
  switch (attribute) {
    case iaCapabilityMask:
      for (int i = iaCanCopy; i <= iaDropTarget; ++i) test(static_cast<TShItemAttribute>(i));
      break;
    case iaDisplayAttrMask:
      for (int i = iaLink; i <= iaHidden; ++i) test(static_cast<TShItemAttribute>(i));
      break;
    case iaContentsMask:
      if (returned & 0x80000000u) result.Include(iaHasSubFolder);
      break;
    default:
      test(attribute);
      break;
  }
  return result;
}

bool GetNameFromItemId(IShellFolder* folder, LPCITEMIDLIST list, std::string& name, unsigned flags) noexcept {
  name.clear();
  // No folder or no item: there is no name, and saying so lets a caller tell
  // this apart from a real (if empty) display name.
  if (!folder || !list) return false;
  STRRET str{};
  if (FAILED(folder->GetDisplayNameOf(list, flags, &str))) return false;
  try {
    switch (str.uType) {
      case STRRET_WSTR:
        if (str.pOleStr) {
          name = fw::WideToAnsi(str.pOleStr);
          ::CoTaskMemFree(str.pOleStr);
        }
        return true;
      case STRRET_OFFSET: {
        // The text lives inside the item itself; never read past the list.
        std::size_t size = ListBytes(list);
        if (str.uOffset >= size) return false;
        const char* text = reinterpret_cast<const char*>(list) + str.uOffset;
        name.assign(text, strnlen(text, size - str.uOffset));
        return true;
      }
      case STRRET_CSTR:
        name.assign(str.cStr, strnlen(str.cStr, sizeof str.cStr));
        return true;
      default:
        return false;
    }
  } catch (...) {
    name.clear();
    return false;
  }
}

bool GetPathFromItemIDList(LPCITEMIDLIST list, std::string& path) noexcept {
  path.clear();
  if (!list) return false;
  char buffer[MAX_PATH] = {};
  if (!::SHGetPathFromIDListA(list, buffer) || buffer[0] == '\0') return false;
  std::string_view text(buffer, strnlen(buffer, sizeof buffer));
  // Some shells answer for virtual folders with their parsing name
  // ("::{GUID}") instead of failing; that is no file-system path.
  if (text.starts_with("::")) return false;
  // Only a drive root keeps its trailing backslash ("C:\"); some shells add
  // one to other folders (e.g. the documents folder), which would make the
  // same folder compare unequal as a text.
  if (fw::EndsWithChar(text, '\\') && !(text.size() == 3 && text[1] == ':')) text.remove_suffix(1);
  try {
    path.assign(text);
  } catch (...) {
    return false;
  }
  return true;
}

bool GetSpecialFolderID(TShSpecialFolderID id, LPITEMIDLIST& list) noexcept {
  list = nullptr;
  int csidl = ShSpecialFolderCsidl(id);
  if (csidl < 0) return false;
  LPITEMIDLIST found = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(ShellApplicationWindow(), csidl, &found)) || !found) {
    UniqueIDList stray(found);  // a failing call should hand nothing out; free it if it did
    return false;
  }
  list = found;
  return true;
}

bool GetIDListFromPath(const std::string& path, LPITEMIDLIST& list) noexcept {
  list = nullptr;
  if (path.empty()) return false;
  try {
    fw::ComPtr<IShellFolder> desktop;
    if (FAILED(::SHGetDesktopFolder(desktop.Put())) || !desktop) return false;
    std::wstring wide = fw::AnsiToWide(path);
    if (wide.empty()) return false;
    LPITEMIDLIST parsed = nullptr;
    HRESULT hr = desktop->ParseDisplayName(ShellApplicationWindow(), nullptr, wide.data(), nullptr, &parsed, nullptr);
    if (FAILED(hr) || !parsed) {
      UniqueIDList stray(parsed);
      return false;
    }
    list = parsed;
    return true;
  } catch (...) {
    return false;
  }
}

int GetIconFromItemId(LPCITEMIDLIST list, bool large, bool open) noexcept {
  if (!list) return 0;
  UINT flags = SHGFI_SYSICONINDEX | SHGFI_PIDL;
  if (!large) flags |= SHGFI_SMALLICON;
  if (open) flags |= SHGFI_OPENICON;
  SHFILEINFOA info{};
  ::SHGetFileInfoA(reinterpret_cast<LPCSTR>(list), 0, &info, sizeof info, flags);
  return info.iIcon;
}

int GetIconFromPath(const std::string& path, bool large) noexcept {
  UINT flags = SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES;
  if (!large) flags |= SHGFI_SMALLICON;
  SHFILEINFOA info{};
  ::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, flags);
  return info.iIcon;
}

// ---------------------------------------------------------------------------
// Owner-friendly forms

void FreeItemID(UniqueIDList& list) noexcept { list.reset(); }

bool GetSpecialFolderID(TShSpecialFolderID id, UniqueIDList& list) noexcept {
  LPITEMIDLIST raw = nullptr;
  bool ok = GetSpecialFolderID(id, raw);
  list.reset(raw);
  return ok;
}

bool GetIDListFromPath(const std::string& path, UniqueIDList& list) noexcept {
  LPITEMIDLIST raw = nullptr;
  bool ok = GetIDListFromPath(path, raw);
  list.reset(raw);
  return ok;
}

UniqueIDList ConcatItemIdsFree(UniqueIDList& first, UniqueIDList& second) noexcept {
  LPITEMIDLIST a = first.release();
  LPITEMIDLIST b = second.release();
  return UniqueIDList(ConcatItemIdsFree(a, b));
}
