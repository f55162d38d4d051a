#pragma once
// Item identifier lists and the small shell queries built on them.
//
// Every list that the shell library makes, joins, splits or frees goes through
// the functions of this unit. A list is one raw block of the shell's task
// allocator (GMalloc): items with a 16-bit size prefix, ended by a zero size.
// Functions that return a list return a FRESH block that the caller owns and
// must free with FreeItemID -- in practice by holding it in a UniqueIDList.
// Functions that take a list only read it; a null pointer means "no list" and
// is accepted everywhere.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdint>
#include <string>
#include <utility>

#include "framework/base/ComPtr.h"
#include "framework/base/Exception.h"
#include "framework/base/Set.h"

// ---------------------------------------------------------------------------
// Enumerations shared by every shell control

// Special folders, in ascending order of their CSIDL number (see
// ShSpecialFolderCsidl). 0x0C-0x0F and 0x1C have no member.
enum TShSpecialFolderID : std::uint8_t {
  sfidDeskTop,              // 0x00
  sfidInterNet,             // 0x01
  sfidPrograms,             // 0x02
  sfidControls,             // 0x03
  sfidPrinters,             // 0x04
  sfidPersonal,             // 0x05
  sfidFavorites,            // 0x06
  sfidStartUp,              // 0x07
  sfidRecent,               // 0x08
  sfidSendTo,               // 0x09
  sfidBitBucket,            // 0x0A
  sfidStartMenu,            // 0x0B
  sfidDeskTopFolder,        // 0x10
  sfidDrives,               // 0x11
  sfidNetWork,              // 0x12
  sfidNetHood,              // 0x13
  sfidFonts,                // 0x14
  sfidTemplates,            // 0x15
  sfidCommonStartMenu,      // 0x16
  sfidCommonPrograms,       // 0x17
  sfidCommonStartUp,        // 0x18
  sfidCommonDeskTopFolder,  // 0x19
  sfidAppData,              // 0x1A
  sfidPrintHood,            // 0x1B
  sfidAltStartUp,           // 0x1D
  sfidCommonAltStartUp,     // 0x1E
  sfidCommonFavorites,      // 0x1F
  sfidInterNetCache,        // 0x20
  sfidCookies,              // 0x21
  sfidHistory,              // 0x22
};
inline constexpr int kShSpecialFolderCount = 30;

// The CSIDL_ number passed to the shell for a special folder.
int ShSpecialFolderCsidl(TShSpecialFolderID id) noexcept;

// Shell item attributes. The set TShItemAttributes keeps bit n for the member
// of ordinal n (not the SFGAO_ bit); ShItemAttributeMask gives the SFGAO_ mask
// that each member tests. Some members share a mask (iaGhosted/iaHidden,
// iaHasSubFolder/iaContentsMask); three are composites (iaCapabilityMask,
// iaDisplayAttrMask, iaContentsMask) that GetItemAttributes expands.
enum TShItemAttribute : std::uint8_t {
  iaCanCopy,          // 0  0x00000001
  iaCanMove,          // 1  0x00000002
  iaCanLink,          // 2  0x00000004
  iaCanRename,        // 3  0x00000010
  iaCanDelete,        // 4  0x00000020
  iaHasPropSheet,     // 5  0x00000040
  iaDropTarget,       // 6  0x00000100
  iaCapabilityMask,   // 7  0x00000177
  iaLink,             // 8  0x00010000
  iaShare,            // 9  0x00020000
  iaReadOnly,         // 10 0x00040000
  iaGhosted,          // 11 0x00080000
  iaHidden,           // 12 0x00080000
  iaDisplayAttrMask,  // 13 0x000F0000
  iaFileSysAncestor,  // 14 0x10000000
  iaFolder,           // 15 0x20000000
  iaFileSystem,       // 16 0x40000000
  iaHasSubFolder,     // 17 0x80000000
  iaContentsMask,     // 18 0x80000000
  iaValiDate,         // 19 0x01000000
  iaRemovable,        // 20 0x02000000
  iaCompressed,       // 21 0x04000000
  iaBrowsable,        // 22 0x08000000
  iaNoMenuMerated,    // 23 0x00100000
  iaNewContent,       // 24 0x00200000
};
inline constexpr int kShItemAttributeCount = 25;
using TShItemAttributes = fw::Set<TShItemAttribute, std::uint32_t>;

// The SFGAO_ mask that a member requests from and tests in GetAttributesOf.
ULONG ShItemAttributeMask(TShItemAttribute attribute) noexcept;

// Kind of a namespace item (decided by the shell items, not here).
enum TShItemIDType : std::uint8_t {
  itDeskTop,     // 0
  itMyComputer,  // 1
  itRootDrive,   // 2
  itFolder,      // 3
  itFile,        // 4
  itInterNet,    // 5
  itBitBucket,   // 6
  itNetWork,     // 7
  itVirtual,     // 8
  itUnknown,     // 9
};

// The special items a control may show: the subrange itBitBucket..itVirtual of
// TShItemIDType. The set is 16 bits wide and keeps bit n for ordinal n of
// TShItemIDType, so {itBitBucket, itNetWork} is the value 192 -- the value the
// settings and the controls' defaults rely on.
using TShVirtuaItem = TShItemIDType;
using TShVirtuaItems = fw::Set<TShItemIDType, std::uint16_t>;
inline constexpr bool IsShVirtuaItem(TShItemIDType t) noexcept { return t >= itBitBucket && t <= itVirtual; }
inline constexpr TShVirtuaItems kDefaultShVirtuaItems{itBitBucket, itNetWork};
// Keeps only the members of the subrange (for values read from outside).
inline constexpr TShVirtuaItems ShVirtuaItemsFromBits(std::uint16_t bits) noexcept {
  return TShVirtuaItems::FromBits(static_cast<std::uint16_t>(bits & 0x01C0u));
}

// Result of CompareIDList. Note the direction: cvPrev means the first list
// sorts AFTER the second (it is the second that comes previous), cvNext means
// the first sorts before it.
enum TCompareVal : std::uint8_t { cvEqual, cvPrev, cvNext, cvError };

// ---------------------------------------------------------------------------
// Unit start-up and the task allocator

// Raised when the unit cannot start (the task allocator cannot be had).
class EShellOleError : public fw::Exception {
 public:
  EShellOleError(HRESULT result, const std::string& context);
  HRESULT Result() const noexcept { return m_result; }

 private:
  HRESULT m_result;
};

// Counted start-up: the first call initialises OLE on the calling thread
// (OleInitialize) and obtains the shell task allocator (CoGetMalloc); later
// calls only count. Throws EShellOleError when the allocator cannot be had
// (the count is not raised then). Call it on the user-interface thread.
void ShellidfuncInitialize();
// Counted shut-down: the last call releases the allocator and calls
// OleUninitialize. Must run on the thread that made the first start-up call.
void ShellidfuncFinalize() noexcept;
// Current nesting depth of start-ups (0 = not started).
int ShellidfuncInitCount() noexcept;

// Scoped start-up/shut-down pair, e.g. in main() or a test environment.
class ShellidfuncScope {
 public:
  ShellidfuncScope() { ShellidfuncInitialize(); }
  ~ShellidfuncScope() { ShellidfuncFinalize(); }
  ShellidfuncScope(const ShellidfuncScope&) = delete;
  ShellidfuncScope& operator=(const ShellidfuncScope&) = delete;
};

// The shell task allocator held between start-up and shut-down (borrowed
// pointer; null outside). All lists are allocated from and returned to it.
// Outside start-up the unit falls back to CoTaskMemAlloc/CoTaskMemFree, which
// are the same allocator, so a list freed late (e.g. by a static) is still
// returned to the right heap.
IMalloc* GMalloc() noexcept;
// Test seam: puts another allocator in place of GMalloc (for example a
// counting spy that forwards to the real one) and returns the previous one.
fw::ComPtr<IMalloc> ExchangeGMalloc(fw::ComPtr<IMalloc> allocator) noexcept;

// The owner window the shell gets for UI it may raise while resolving names or
// special folders: the application's hidden top-level window. The application
// sets it once its window exists; until then null is passed.
void SetShellApplicationWindow(HWND wnd) noexcept;
HWND ShellApplicationWindow() noexcept;

// ---------------------------------------------------------------------------
// Allocation and size

// size bytes from GMalloc, zero-filled; null if the allocation fails.
LPITEMIDLIST CreateItemIDList(std::uint16_t size) noexcept;
// Returns the block to GMalloc and sets the pointer to null (null is fine).
void FreeItemID(LPITEMIDLIST& list) noexcept;
// Size of the first item plus a terminator (cb + 2, 16-bit); 0 for null/empty.
std::uint16_t GetItemIDSize(LPCITEMIDLIST list) noexcept;
// Sum of all items' cb plus 2 (16-bit, wraps); 2 for an empty list, 0 for null.
std::uint16_t GetItemIDListSize(LPCITEMIDLIST list) noexcept;

// ---------------------------------------------------------------------------
// Walking (results point into the given block; they are not fresh)

// list + cb of the first item, without looking there; null for null.
LPCITEMIDLIST NextItemIDList(LPCITEMIDLIST list) noexcept;
LPITEMIDLIST NextItemIDList(LPITEMIDLIST list) noexcept;
// The second item, or null when the list is null, empty or has one item.
LPCITEMIDLIST GetNextItemIDList(LPCITEMIDLIST list) noexcept;
LPITEMIDLIST GetNextItemIDList(LPITEMIDLIST list) noexcept;

// ---------------------------------------------------------------------------
// Copying and joining (results fresh)

// The first item alone as a one-item list; null for null or empty input.
LPITEMIDLIST CopyItemID(LPCITEMIDLIST list) noexcept;
// The whole list with its terminator; an empty list copies to an empty list.
LPITEMIDLIST CopyItemIDList(LPCITEMIDLIST list) noexcept;
// The items of first followed by the whole of second; null if either is null
// (an empty list is not null). Null as well when the joined list would not fit
// the 16-bit size of a list.
LPITEMIDLIST ConcatItemIDList(LPCITEMIDLIST first, LPCITEMIDLIST second) noexcept;
// Joins and frees: both non-null -> ConcatItemIDList(first, second); exactly one
// non-null -> a copy of it; both null -> null. Every non-null input is freed and
// set to null.
LPITEMIDLIST ConcatItemIdsFree(LPITEMIDLIST& first, LPITEMIDLIST& second) noexcept;

// ---------------------------------------------------------------------------
// Splitting (results fresh)

// All items but the last; null (meaning "the parent is the desktop") for a
// one-item, empty or null list.
LPITEMIDLIST GetParentItemIDRoot(LPCITEMIDLIST list) noexcept;
// The last item alone as a one-item list; null for null or empty input.
LPITEMIDLIST GetLastItemID(LPCITEMIDLIST list) noexcept;
// Depth of an absolute list: -1 for null or without a desktop folder, 0 for the
// desktop itself, else the number of items.
int GetItemIDLevel(LPCITEMIDLIST list) noexcept;

// ---------------------------------------------------------------------------
// Comparison and shell queries

// IShellFolder::CompareIDs with column 0; the low 16 bits of the result, signed,
// decide: 0 cvEqual, positive cvPrev, negative cvNext. Null input or a failed
// call gives cvError.
TCompareVal CompareIDList(IShellFolder* folder, LPCITEMIDLIST first, LPCITEMIDLIST second) noexcept;

// Attributes of one relative list (see the array form); empty set for null.
TShItemAttributes GetItemAttributes(IShellFolder* folder, LPCITEMIDLIST list, TShItemAttribute attribute) noexcept;
// GetAttributesOf for count relative lists, requesting only the attribute's
// mask; a member is in the result when all bits of its mask came back. The
// composites are expanded into their single members (and never returned
// themselves): iaCapabilityMask -> ordinals 0..6, iaDisplayAttrMask -> 8..12,
// iaContentsMask -> iaHasSubFolder. For several items the shell returns what
// they all share. Failure, null folder/array or count 0 -> empty set.
TShItemAttributes GetItemAttributes(IShellFolder* folder, LPCITEMIDLIST* lists, UINT count,
                                    TShItemAttribute attribute) noexcept;

// Display name (GetDisplayNameOf with flags, e.g. SHGDN_INFOLDER) in the ANSI
// code page. name is cleared first. False when the shell refuses, the STRRET
// kind is unknown, or folder or list is null.
bool GetNameFromItemId(IShellFolder* folder, LPCITEMIDLIST list, std::string& name, unsigned flags) noexcept;
// File-system path of an absolute list (SHGetPathFromIDListA); false and an
// empty path for non-file-system objects and null. Only a drive root ends in a
// backslash.
bool GetPathFromItemIDList(LPCITEMIDLIST list, std::string& path) noexcept;
// Sets list to null, then SHGetSpecialFolderLocation; true with a fresh list.
// (The previous pointer is not freed: pass an empty pointer, or the
// UniqueIDList overload, which frees what it held.)
bool GetSpecialFolderID(TShSpecialFolderID id, LPITEMIDLIST& list) noexcept;
// Sets list to null, then the desktop's ParseDisplayName for a non-empty path
// (a drive, a full path or a namespace path); true with a fresh absolute list.
bool GetIDListFromPath(const std::string& path, LPITEMIDLIST& list) noexcept;
// Index in the system image list (SHGetFileInfoA with SHGFI_PIDL); 0 for null.
int GetIconFromItemId(LPCITEMIDLIST list, bool large, bool open) noexcept;
// The same for a name, from its extension alone (the file need not exist).
int GetIconFromPath(const std::string& path, bool large) noexcept;

// ---------------------------------------------------------------------------
// Owner of one list from GMalloc. Move-only; its destructor frees through
// FreeItemID, so nothing in the library frees a list by hand. It also adopts
// lists handed out by the shell (ParseDisplayName, IEnumIDList::Next,
// SetNameOf, SHGetSpecialFolderLocation): they come from the same allocator.
class UniqueIDList {
 public:
  UniqueIDList() noexcept = default;
  UniqueIDList(std::nullptr_t) noexcept {}
  // Takes ownership of a fresh list.
  explicit UniqueIDList(LPITEMIDLIST list) noexcept : m_list(list) {}
  UniqueIDList(const UniqueIDList&) = delete;
  UniqueIDList& operator=(const UniqueIDList&) = delete;
  UniqueIDList(UniqueIDList&& o) noexcept : m_list(o.release()) {}
  UniqueIDList& operator=(UniqueIDList&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  ~UniqueIDList() { FreeItemID(m_list); }

  LPITEMIDLIST get() const noexcept { return m_list; }
  explicit operator bool() const noexcept { return m_list != nullptr; }
  // Gives up ownership without freeing.
  LPITEMIDLIST release() noexcept { return std::exchange(m_list, nullptr); }
  // Frees the held list and takes another (or none).
  void reset(LPITEMIDLIST list = nullptr) noexcept {
    if (list == m_list) return;
    FreeItemID(m_list);
    m_list = list;
  }
  // For platform calls that return a list through a pointer out-parameter
  // (typed for the shell's PIDLIST_ABSOLUTE/PITEMID_CHILD etc.): frees first.
  LPITEMIDLIST* put() noexcept {
    reset();
    return &m_list;
  }
  // A fresh copy of the whole list (an empty owner for null).
  UniqueIDList Copy() const noexcept { return UniqueIDList(CopyItemIDList(m_list)); }

  // Fresh lists as owners.
  static UniqueIDList CopyOf(LPCITEMIDLIST list) noexcept { return UniqueIDList(CopyItemIDList(list)); }

 private:
  LPITEMIDLIST m_list = nullptr;
};

// Owner-friendly forms of the functions that hand lists back through a var
// parameter. They free what the owner held before.
void FreeItemID(UniqueIDList& list) noexcept;
bool GetSpecialFolderID(TShSpecialFolderID id, UniqueIDList& list) noexcept;
bool GetIDListFromPath(const std::string& path, UniqueIDList& list) noexcept;
// Joins two owned lists (same rules as the raw form); both owners end empty.
UniqueIDList ConcatItemIdsFree(UniqueIDList& first, UniqueIDList& second) noexcept;
