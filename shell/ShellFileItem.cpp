// TShellFileItem: one row of the contents list, and the column formatting.
#include "shell/ShellFileList.h"

#include <shellapi.h>

#include "framework/base/DateTime.h"
#include "framework/ui/WinUtil.h"
#include "shell/ShellListView.h"
#include "shell/Shellcst.h"
#include "shell/Shellutils.h"

namespace {

// SetNameOf flags of a row rename.
constexpr SHGDNF kRowRenameFlags = 0x60;

// The name part of a path: after the last backslash that is a whole
// character (the second byte of "ソ" is 0x5C too).
std::string FileNamePart(const std::string& path) {
  std::size_t start = 0;
  for (const char* p = path.c_str(); *p; p = ::CharNextA(p))
    if (*p == '\\') start = static_cast<std::size_t>(p - path.c_str()) + 1;
  return path.substr(start);
}

}  // namespace

const char* HeaderCaptionText(THeaderCaption column) noexcept {
  switch (column) {
    case hcName:
      return STR_HEADER_NAME;
    case hcSize:
      return STR_HEADER_SIZE;
    case hcType:
      return STR_HEADER_TYPE;
    case hcLastWrite:
      return STR_HEADER_LASTWRITE;
    case hcAttr:
      return STR_HEADER_ATTR;
  }
  return "";
}

std::string FormatSizeKB(std::uint64_t bytes) {
  std::uint64_t kb = bytes / 1024 + (bytes % 1024 ? 1 : 0);
  std::string digits = std::to_string(kb);
  std::string out;
  out.reserve(digits.size() + digits.size() / 3 + 2);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  out += "KB";
  return out;
}

TShellFileItem::TShellFileItem(TShellFileList* list, UniqueIDList itemID, fw::ComPtr<IShellFolder> folder) noexcept
    : TShellDataItem(std::move(itemID)), m_fileList(list) {
  // Every row of a folder has the same parent folder: share the list's
  // binding instead of binding it again per row.
  m_shellFolder = std::move(folder);
}

TShellFileItem::~TShellFileItem() = default;

int TShellFileItem::GetImageIndex() {
  TShellListView* view = m_fileList ? m_fileList->ListView() : nullptr;
  bool large = view && view->ViewStyle() == fw::TViewStyle::vsIcon;
  if (!large) {
    if (m_imageIndex < 0) {
      if (m_fileList && !m_fileList->FolderHasShellIcon() && view && view->ViewStyle() == fw::TViewStyle::vsReport &&
          !m_typeNameKnown) {
        ReadSmallIconAndTypeName();
      } else {
        if (m_fileList) ++m_fileList->Counters().icons;
        TShellDataItem::GetImageIndex();
      }
    }
    return m_imageIndex;
  }
  if (m_largeImageIndex >= 0) return m_largeImageIndex;
  fw::ComPtr<IShellFolder> folder;
  if (!GetShellFolder(folder)) return -1;
  if (m_fileList) ++m_fileList->Counters().icons;
  LPCITEMIDLIST root = GetRootItemID();
  int index = -1;
  fw::ComPtr<IShellIcon> shellIcon;
  if (m_fileList && m_fileList->FolderHasShellIcon()) shellIcon = folder.As<IShellIcon>();
  if (!shellIcon) {
    index = GetIconFromItemId(root, true, false);
  } else {
    LPCITEMIDLIST id = m_itemID.get();
    int cached = -1;
    if (shellIcon->GetIconOf(id, GIL_FORSHELL, &cached) == S_OK) {
      index = cached;
    } else {
      fw::ComPtr<IExtractIconA> extract;
      HWND owner = view && view->HandleAllocated() ? view->Handle() : nullptr;
      if (id && SUCCEEDED(folder->GetUIObjectOf(owner, 1, &id, IID_IExtractIconA, nullptr, extract.PutVoid())) &&
          extract) {
        char location[MAX_PATH] = {};
        int reported = -1;
        UINT flags = 0;
        if (SUCCEEDED(extract->GetIconLocation(GIL_FORSHELL, location, MAX_PATH, &reported, &flags)))
          index = (flags & GIL_PERCLASS) ? GetIconFromItemId(root, true, false) : reported;
      }
    }
    if (index < 0) index = GetIconFromItemId(root, true, false);
  }
  m_largeImageIndex = index;
  return m_largeImageIndex;
}

int TShellFileItem::CachedImageIndex() const noexcept {
  const TShellListView* view = m_fileList ? m_fileList->ListView() : nullptr;
  bool large = view && view->ViewStyle() == fw::TViewStyle::vsIcon;
  return large ? m_largeImageIndex : m_imageIndex;
}

void TShellFileItem::ReadSmallIconAndTypeName() {
  if (m_fileList) ++m_fileList->Counters().icons;
  SHFILEINFOA info{};
  UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_PIDL | SHGFI_TYPENAME;
  if (::SHGetFileInfoA(reinterpret_cast<LPCSTR>(GetRootItemID()), 0, &info, sizeof info, flags)) {
    m_imageIndex = info.iIcon;
    m_typeName = info.szTypeName;
    m_typeNameKnown = true;
  } else {
    m_imageIndex = GetIconFromItemId(GetRootItemID(), false, false);
  }
}

int TShellFileItem::GetIndex() { return m_fileList ? m_fileList->IndexOf(this) : -1; }

int TShellFileItem::GetLevel() { return m_fileList ? m_fileList->GetLevel() + 1 : -1; }

LPCITEMIDLIST TShellFileItem::GetParentItemID() { return m_fileList ? m_fileList->GetRootItemID() : nullptr; }

LPCITEMIDLIST TShellFileItem::GetRootItemID() {
  if (!m_rootItemID && m_fileList && m_itemID) {
    if (m_fileList->GetLevel() == 0)
      m_rootItemID = m_itemID.Copy();
    else
      m_rootItemID.reset(ConcatItemIDList(m_fileList->GetRootItemID(), m_itemID.get()));
  }
  return m_rootItemID.get();
}

int TShellFileItem::GetSelectedIndex() {
  TShellListView* view = m_fileList ? m_fileList->ListView() : nullptr;
  bool large = view && view->ViewStyle() == fw::TViewStyle::vsIcon;
  return GetIconFromItemId(GetRootItemID(), large, false);
}

bool TShellFileItem::HasCorrectData() { return m_fileList && m_itemID; }

std::string TShellFileItem::GetCaption() {
  if (!m_captionKnown && m_fileList) ++m_fileList->Counters().captions;
  return TShellDataItem::GetCaption();
}

void TShellFileItem::TakeFindData(const WIN32_FIND_DATAA& data) noexcept {
  m_record.attributes = data.dwFileAttributes;
  m_record.creation = data.ftCreationTime;
  m_record.lastAccess = data.ftLastAccessTime;
  m_record.lastWrite = data.ftLastWriteTime;
  m_record.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string TShellFileItem::GetFilePath() {
  // In a file-system folder the path is the folder's path and the item's
  // parsing name. Asking the shell for the whole path costs far more (under
  // Wine about 40 ms per item in a folder of 100,000 files).
  if (m_fileList && m_fileList->GetLevel() >= 1 && m_itemID) {
    const std::string& folderPath = m_fileList->CachedPath();
    fw::ComPtr<IShellFolder> folder;
    std::string name;
    if (!folderPath.empty() && GetShellFolder(folder) &&
        GetNameFromItemId(folder.Get(), m_itemID.get(), name, SHGDN_INFOLDER | SHGDN_FORPARSING) && !name.empty())
      return MakeFullPath(folderPath, name);
  }
  return GetPath();
}

bool TShellFileItem::ReadRecordFromDisk() {
  std::string path = GetFilePath();
  if (path.empty()) return false;
  // The file's own attributes by path: a 64-bit size, and no directory
  // search (FindFirstFileA under Wine reads the whole folder, about 40 ms
  // per call in a folder of 100,000 files).
  WIN32_FILE_ATTRIBUTE_DATA disk{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &disk)) return false;
  m_record.attributes = disk.dwFileAttributes;
  m_record.creation = disk.ftCreationTime;
  m_record.lastAccess = disk.ftLastAccessTime;
  m_record.lastWrite = disk.ftLastWriteTime;
  m_record.size = (static_cast<std::uint64_t>(disk.nFileSizeHigh) << 32) | disk.nFileSizeLow;
  return true;
}

void TShellFileItem::ReadFindData() {
  if (m_recordRead) return;
  m_recordRead = true;
  // The disk first: the record an item ID carries (SHGetDataFromIDListA)
  // holds a 32-bit size, so a file past 4 GiB would show a fraction of its
  // size. Items without a path (virtual ones) fall back to the item ID.
  if (ReadRecordFromDisk() || GetLevel() == 1) return;
  WIN32_FIND_DATAA data{};
  fw::ComPtr<IShellFolder> folder;
  if (!GetShellFolder(folder) || !m_itemID) return;
  if (SUCCEEDED(::SHGetDataFromIDListA(folder.Get(), m_itemID.get(), SHGDFIL_FINDDATA, &data, sizeof data)))
    TakeFindData(data);
}

void TShellFileItem::RefreshFindData() {
  if (ReadRecordFromDisk()) m_recordRead = true;
}

WIN32_FIND_DATAA TShellFileItem::GetWin32FindData() {
  ReadFindData();
  WIN32_FIND_DATAA data{};
  data.dwFileAttributes = m_record.attributes;
  data.ftCreationTime = m_record.creation;
  data.ftLastAccessTime = m_record.lastAccess;
  data.ftLastWriteTime = m_record.lastWrite;
  data.nFileSizeHigh = static_cast<DWORD>(m_record.size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(m_record.size);
  std::string path = GetFilePath();
  if (!path.empty()) lstrcpynA(data.cFileName, FileNamePart(path).c_str(), MAX_PATH);
  return data;
}

DWORD TShellFileItem::GetAttributes() {
  ReadFindData();
  return m_record.attributes;
}

DWORD TShellFileItem::GetSize() {
  // Sums over many rows (the selection, the folder's total) need only the
  // low 32 bits, which the item ID carries as the enumeration found them:
  // while the folder has reported no size change since, no disk is asked
  // for rows that were never drawn.
  if (!m_recordRead && m_fileList && !m_fileList->RecordsChanged() && GetLevel() >= 2 && m_itemID) {
    fw::ComPtr<IShellFolder> folder;
    WIN32_FIND_DATAA data{};
    if (GetShellFolder(folder) &&
        SUCCEEDED(::SHGetDataFromIDListA(folder.Get(), m_itemID.get(), SHGDFIL_FINDDATA, &data, sizeof data)))
      return data.nFileSizeLow;
  }
  ReadFindData();
  return static_cast<DWORD>(m_record.size);
}

std::uint64_t TShellFileItem::GetSize64() {
  ReadFindData();
  return m_record.size;
}

std::string TShellFileItem::GetSizeText() {
  fw::ComPtr<IShellFolder> folder;
  LPCITEMIDLIST id = ItemIDForParent();
  if (!GetShellFolder(folder) || !id) return {};
  // One question for both attributes: the shell answers per call.
  SFGAOF attributes = SFGAO_FILESYSTEM | SFGAO_FOLDER;
  if (FAILED(folder->GetAttributesOf(1, &id, &attributes))) return {};
  if (!(attributes & SFGAO_FILESYSTEM) || (attributes & SFGAO_FOLDER)) return {};
  ReadFindData();
  // The whole 64-bit size: showing the low half would make a 5 GiB file look
  // like 1 GiB.
  return FormatSizeKB(m_record.size);
}

std::string TShellFileItem::GetTypeName() {
  if (!m_typeNameKnown) {
    if (m_fileList) ++m_fileList->Counters().typeNames;
    SHFILEINFOA info{};
    if (::SHGetFileInfoA(reinterpret_cast<LPCSTR>(GetRootItemID()), 0, &info, sizeof info, SHGFI_TYPENAME | SHGFI_PIDL))
      m_typeName = info.szTypeName;
    m_typeNameKnown = true;
  }
  return m_typeName;
}

std::string TShellFileItem::GetLastWrite() {
  ReadFindData();
  fw::TDateTime when = FileTimeToDateTime(m_record.lastWrite);
  // No record (a virtual item): no date rather than 1899-12-30.
  if (when == 0) return {};
  SYSTEMTIME st = fw::DateTimeToSystemTime(when);
  char date[80] = {};
  char time[80] = {};
  ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date);
  ::GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, time, sizeof time);
  return std::string(date) + " " + time;
}

int TShellFileItem::GetOverlayIconIndex() {
  fw::ComPtr<IShellFolder> folder;
  LPCITEMIDLIST id = ItemIDForParent();
  if (!GetShellFolder(folder) || !id) return 0;
  if (auto overlay = folder.As<IShellIconOverlay>(IID_IShellIconOverlay)) {
    int index = 0;
    if (overlay->GetOverlayIndex(id, &index) != S_OK) return 0;
    return static_cast<int>(INDEXTOOVERLAYMASK(index));
  }
  SFGAOF attributes = SFGAO_SHARE | SFGAO_LINK;
  if (FAILED(folder->GetAttributesOf(1, &id, &attributes))) return 0;
  if (attributes & SFGAO_SHARE) return static_cast<int>(INDEXTOOVERLAYMASK(1));
  if (attributes & SFGAO_LINK) return static_cast<int>(INDEXTOOVERLAYMASK(2));
  return 0;
}

bool TShellFileItem::Rename(const std::string& newName) {
  fw::ComPtr<IShellFolder> folder;
  if (!HasCorrectData() || newName.empty() || !GetShellFolder(folder)) return false;
  std::wstring wide = fw::AnsiToWide(newName);
  if (wide.empty()) return false;
  TShellListView* view = m_fileList->ListView();
  HWND owner = view && view->HandleAllocated() ? view->Handle() : nullptr;
  UniqueIDList newID;
  if (FAILED(folder->SetNameOf(owner, ItemIDForParent(), wide.c_str(), kRowRenameFlags, newID.put()))) return false;
  // A folder may rename without handing the new list back; it can still
  // name the item by its new name.
  if (!newID) folder->ParseDisplayName(owner, nullptr, wide.data(), nullptr, newID.put(), nullptr);
  if (newID) {
    m_itemID = std::move(newID);
    m_rootItemID.reset();
  }
  m_imageIndex = -1;
  m_selectedIndex = -1;
  m_largeImageIndex = -1;
  ClearCaption();
  // The extension may have changed: the type and the record go with it.
  m_typeNameKnown = false;
  m_typeName.clear();
  m_recordRead = false;
  return true;
}
