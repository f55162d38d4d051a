#pragma once
// The folder contents list: the model behind TShellListView. It holds the
// absolute list of the folder shown, enumerates the folder into one
// TShellFileItem per row, filters and sorts the rows, keeps the selection
// across a re-sort and keeps the rows current through two file watchers.
//
// The list view is an owner-data list: the row index in the control is the
// index here, and the control asks for a row only when it draws it. So a row
// costs nothing but its item ID until it is shown: the caption, icons, type
// name and file record are read on first use and cached in the row.
//
// Ownership: the list owns its rows (and each row its item ID); the rows share
// the folder shown as their parent folder (one COM reference each). Everything
// here runs on the user-interface thread.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/base/Set.h"
#include "shell/ShellItems.h"
#include "shell/Shellidfunc.h"

class TShellFileList;
class TShellListView;
class TShFilesWatcher;

// The columns of the contents list, in their default order. The ordinal is
// also the column number the folder's CompareIDs sorts by.
enum THeaderCaption : std::uint8_t { hcName, hcSize, hcType, hcLastWrite, hcAttr };
using THeaderCaptions = fw::Set<THeaderCaption, std::uint8_t>;
inline constexpr int kHeaderCaptionCount = 5;
// The caption of a column ("名前", "サイズ", ...).
const char* HeaderCaptionText(THeaderCaption column) noexcept;

// "#,##0KB" of the size in kibibytes rounded up: 0 -> "0KB", 1 -> "1KB",
// 1,048,576 -> "1,024KB". 64-bit, so files past 4 GiB show their real size.
std::string FormatSizeKB(std::uint64_t bytes);

// How often the rows did the expensive shell work (a display name, a system
// image list index, a type name). Lets the benchmark check that the control
// asks only for rows it draws or was told it will draw.
struct TShellFileListCounters {
  unsigned captions = 0;
  unsigned icons = 0;
  unsigned typeNames = 0;
  unsigned Total() const noexcept { return captions + icons + typeNames; }
};

// ---------------------------------------------------------------------------
// TShellFileItem: one row

class TShellFileItem : public TShellDataItem {
 public:
  // Takes over the item's list relative to the folder shown. folder is that
  // folder (shared with the list; may be null, then bound on demand).
  TShellFileItem(TShellFileList* list, UniqueIDList itemID, fw::ComPtr<IShellFolder> folder) noexcept;
  ~TShellFileItem() override;

  int GetImageIndex() override;
  int GetIndex() override;
  int GetLevel() override;
  LPCITEMIDLIST GetParentItemID() override;
  LPCITEMIDLIST GetRootItemID() override;
  int GetSelectedIndex() override;
  bool HasCorrectData() override;

  // The caption (the folder's in-folder display name), asked once.
  std::string GetCaption();
  // Whether the caption was asked already.
  bool CaptionCached() const noexcept { return m_captionKnown; }
  // The image index of the current view style if already known, else -1;
  // the type name if already known, else empty. Nothing is asked.
  int CachedImageIndex() const noexcept;
  std::string CachedTypeName() const { return m_typeNameKnown ? m_typeName : std::string(); }

  // The file-system record. The times, size and attributes are cached (read
  // once; re-read after an attribute change in the folder); the name fields
  // hold the item's file name. Zeroed for items outside the file system.
  WIN32_FIND_DATAA GetWin32FindData();
  DWORD GetAttributes();
  // The low 32 bits of the size: the selection and total sizes are 32-bit.
  DWORD GetSize();
  // The whole size.
  std::uint64_t GetSize64();
  // Size in KB for files; empty for folders and items outside the file system.
  std::string GetSizeText();
  // The shell's type name ("Text Document"); asked once.
  std::string GetTypeName();
  // Local short date and short time of the last write; empty without a record.
  std::string GetLastWrite();
  // Overlay as list-view state bits (INDEXTOOVERLAYMASK): from the folder's
  // IShellIconOverlay when offered, else 1 for shared, 2 for shortcuts, else 0.
  int GetOverlayIconIndex();
  // Renames the item through the folder (SetNameOf, flags 0x60). On success
  // the item takes the new list and forgets its caches; on failure nothing
  // changes.
  bool Rename(const std::string& newName);

  // Reads the record again from the disk (the attribute watcher saw a change).
  void RefreshFindData();

  TShellFileList* FileList() const noexcept { return m_fileList; }
  // Whether the record was read (only such records can go stale).
  bool RecordRead() const noexcept { return m_recordRead; }

 private:
  // The part of WIN32_FIND_DATA the columns use; the full record (320 bytes)
  // per row would dominate the memory of a large folder.
  struct FileRecord {
    DWORD attributes = 0;
    FILETIME creation{};
    FILETIME lastAccess{};
    FILETIME lastWrite{};
    std::uint64_t size = 0;
  };
  void ReadFindData();
  bool ReadRecordFromDisk();
  // The file-system path, put together from the folder's path where it can.
  std::string GetFilePath();
  void TakeFindData(const WIN32_FIND_DATAA& data) noexcept;
  // Small icon and type name in one shell call (each call is slow).
  void ReadSmallIconAndTypeName();

  TShellFileList* m_fileList;  // not owned
  int m_largeImageIndex = -1;
  FileRecord m_record;
  bool m_recordRead = false;
  bool m_typeNameKnown = false;
  std::string m_typeName;
};

// ---------------------------------------------------------------------------
// TShellFileList: the rows of one folder

// Wraps the folder shown whenever the list binds it. A test seam: a test puts
// a folder that behaves as Windows does (e.g. CompareIDs honouring the
// column) around the real one.
using TShellFolderWrapper = std::function<fw::ComPtr<IShellFolder>(fw::ComPtr<IShellFolder> folder)>;

class TShellFileList {
 public:
  static constexpr DWORD kNameFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;  // 3
  static constexpr DWORD kAttributeFilter =
      FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;  // 28

  // withWatchers false: no watcher threads (a list that is only a model).
  explicit TShellFileList(TShellListView* listView, bool withWatchers = true);
  ~TShellFileList();
  TShellFileList(const TShellFileList&) = delete;
  TShellFileList& operator=(const TShellFileList&) = delete;

  int Count() const noexcept { return static_cast<int>(m_items.size()); }
  // The row, or null outside 0 .. Count() - 1.
  TShellFileItem* GetFileItem(int index) const noexcept;
  int IndexOf(const TShellFileItem* item) const noexcept;

  // Shows another folder (the list is copied).
  void InitData(LPCITEMIDLIST rootItemID);
  // Re-enumerates the folder shown; returns the row count.
  int Refresh();
  // Enumerates folder (the folder shown, of the given level) into rows.
  int RetrieveItemID(IShellFolder* folder, int level);
  // Frees every row.
  void Clear();
  // Drops the selected rows without touching the files (they were deleted).
  void DeleteSelItem();
  // The selected rows' item IDs (borrowed; valid until the rows change),
  // with the folder shown as parent.
  TShellIDList& GetSelItemIDs();

  LPCITEMIDLIST GetRootItemID() const noexcept { return m_rootItemID.get(); }
  int GetLevel() const noexcept { return m_level; }
  LPCITEMIDLIST GetParentItemID();
  LPCITEMIDLIST GetPartItemID();
  bool GetShellFolder(fw::ComPtr<IShellFolder>& folder);
  bool GetParentFolder(fw::ComPtr<IShellFolder>& folder);
  bool HasShAttributesOf(TShItemAttribute attribute);
  TShItemIDType GetItemIDType();
  // File-system path of the folder (the desktop directory for the desktop);
  // empty outside the file system. Asked of the shell once per folder shown
  // and re-read (the shell is slow to answer).
  std::string GetPath();
  const std::string& CachedPath();
  bool GetDropTarget(fw::ComPtr<IDropTarget>& target);
  std::uint64_t GetDiskFree();
  std::uint64_t GetDiskSize();
  // Sum of the rows' 32-bit sizes; 0 for a folder without a path.
  DWORD GetTotalSize();

  // Sorting.
  THeaderCaption GetSortColumn() const noexcept { return m_sortColumn; }
  int GetSortDirection(THeaderCaption column) const noexcept { return m_sortDirections[column]; }
  void SetSortDirection(THeaderCaption column, int direction) noexcept {
    m_sortDirections[column] = direction < 0 ? -1 : 1;
  }
  // User-facing sort: keeps the selected rows and the focused row.
  void SortFileItem(THeaderCaption column);
  // Sorts all rows by the column in its direction (no selection handling).
  void IDSort(THeaderCaption column);
  // Hoare quicksort of rows low..high by CompareIDs(column) * direction.
  void ShQuickSort(IShellFolder* folder, int direction, THeaderCaption column, int high, int low);

  // Change watching.
  void SuspendNotify();
  void ResumeNotify();
  // A watcher saw a change (called on the UI thread).
  void ShellChangeNotify(fw::Object* watcher, const std::string& path);
  void NotifyThreadTerminate(fw::Object* watcher);
  TShFilesWatcher* NameWatcher() const noexcept { return m_nameWatcher; }
  TShFilesWatcher* AttributeWatcher() const noexcept { return m_attributeWatcher; }

  TShellListView* ListView() const noexcept { return m_listView; }
  // Whether sizes, times or attributes changed in the folder since it was
  // enumerated (the records the item IDs carry are then out of date).
  bool RecordsChanged() const noexcept { return m_recordsChanged; }
  // Whether the folder shown offers IShellIcon (asked once per folder).
  bool FolderHasShellIcon();

  // Test and benchmark seams.
  void SetFolderWrapper(TShellFolderWrapper wrapper) { m_folderWrapper = std::move(wrapper); }
  TShellFileListCounters& Counters() noexcept { return m_counters; }
  // The width of column i of the file-system layout: the live one while the
  // list shows it, else the one kept for it while a folder outside the file
  // system (a single name column) is shown; -1 when there is none.
  int FileColumnWidth(int i) const;

 private:
  friend class TShellListView;
  fw::ComPtr<IShellFolder> Wrap(fw::ComPtr<IShellFolder> folder);
  std::string ComputePath();
  void ForgetFolder() noexcept;
  void SaveColumns();
  std::vector<int> SelectedRows() const;
  void RestoreColumns();

  TShellListView* m_listView;  // not owned
  std::vector<std::unique_ptr<TShellFileItem>> m_items;
  THeaderCaption m_sortColumn = hcName;
  int m_sortDirections[kHeaderCaptionCount] = {1, 1, 1, 1, 1};
  std::vector<int> m_columnOrder;
  std::vector<int> m_columnWidths;
  DWORD m_totalSize = 0;
  bool m_totalSizeKnown = false;
  UniqueIDList m_rootItemID;
  UniqueIDList m_parentItemID;
  UniqueIDList m_partItemID;
  int m_level = -1;
  // The folder shown, bound once per folder: every row and every sort uses it.
  fw::ComPtr<IShellFolder> m_folder;
  int m_folderHasShellIcon = -1;  // -1 not asked yet
  std::string m_path;             // CachedPath
  bool m_pathKnown = false;
  bool m_recordsChanged = false;
  TShellIDList m_selection;
  TShFilesWatcher* m_nameWatcher = nullptr;       // frees itself; stopped by the destructor
  TShFilesWatcher* m_attributeWatcher = nullptr;  // likewise
  TShellFolderWrapper m_folderWrapper;
  TShellFileListCounters m_counters;
};
