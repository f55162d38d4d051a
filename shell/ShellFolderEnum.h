#pragma once
// Reading a folder's child folders for the folder tree and the path combo
// box: both read, filter and sort the same way, into their own item kinds.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/base/ComPtr.h"
#include "shell/ShellItems.h"

// CompareIDs' answer as a sort wants it: the low 16 bits, signed; 0 when it fails.
inline int ShellSortCompare(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  HRESULT hr = folder->CompareIDs(0, a, b);
  return FAILED(hr) ? 0 : static_cast<int>(static_cast<std::int16_t>(static_cast<std::uint32_t>(hr) & 0xFFFFu));
}

// Enumerates the folders of `folder` (the folder of `parent`), makes one item
// per child with make(relative, absolute), drops what the special-item set
// hides, and sorts the kept items in the folder's own order. Returns the count.
//
// Only the desktop's children and those of the computer and network folders
// are filtered: asking every child for its kind costs shell calls.
template <class Item, class Make>
int ReadFolderChildren(IShellFolder* folder, HWND owner, bool includeHidden, TShVirtuaItems virtuaItems,
                       TShellDataItem* parent, Make make, std::vector<std::unique_ptr<Item>>& items) {
  if (!folder || !parent) return 0;
  SHCONTF flags = SHCONTF_FOLDERS | (includeHidden ? SHCONTF_INCLUDEHIDDEN : 0);
  fw::ComPtr<IEnumIDList> enumerator;
  if (folder->EnumObjects(owner, flags, enumerator.Put()) != S_OK || !enumerator) return 0;
  const int parentLevel = parent->GetLevel();
  const TShItemIDType parentType = parentLevel == 1 ? parent->GetItemIDType() : itUnknown;
  LPCITEMIDLIST parentRoot = parent->GetRootItemID();
  const std::size_t first = items.size();
  // Every child is asked its name and attributes through this same folder.
  const fw::ComPtr<IShellFolder> shared = fw::ComPtr<IShellFolder>::Share(folder);
  for (;;) {
    UniqueIDList child;
    ULONG fetched = 0;
    if (enumerator->Next(1, child.put(), &fetched) != S_OK || fetched == 0) break;
    if (!child) continue;
    UniqueIDList root(parentLevel == 0 ? CopyItemIDList(child.get()) : ConcatItemIDList(parentRoot, child.get()));
    std::unique_ptr<Item> item = make(std::move(child), std::move(root));
    if (!item) continue;
    item->SetShellFolder(shared);
    bool keep = true;
    if (parentLevel == 0) {
      switch (item->GetItemIDType()) {
        case itBitBucket:
          keep = virtuaItems.Contains(itBitBucket);
          break;
        case itNetWork:
          keep = virtuaItems.Contains(itNetWork);
          break;
        case itVirtual:
          keep = false;  // virtual items never appear directly under the desktop
          break;
        default:
          break;
      }
    } else if (parentLevel == 1 && parentType == itMyComputer) {
      keep = virtuaItems.Contains(itVirtual) || item->GetItemIDType() != itVirtual;
    } else if (parentLevel == 1 && parentType == itNetWork) {
      keep = virtuaItems.Contains(itNetWork);
    }
    if (keep) items.push_back(std::move(item));
  }
  std::stable_sort(
      items.begin() + static_cast<std::ptrdiff_t>(first), items.end(),
      [folder](const auto& a, const auto& b) { return ShellSortCompare(folder, a->GetItemID(), b->GetItemID()) < 0; });
  return static_cast<int>(items.size() - first);
}

// The folder an item stands for: the desktop itself at level 0, else the
// item bound through its parent folder.
inline bool BindItemFolder(TShellDataItem* item, fw::ComPtr<IShellFolder>& folder) {
  folder.Reset();
  if (!item || !item->GetRootItemID() || !item->GetItemID()) return false;
  if (item->GetLevel() == 0) return SUCCEEDED(::SHGetDesktopFolder(folder.Put())) && folder;
  fw::ComPtr<IShellFolder> parent;
  if (!item->GetShellFolder(parent)) return false;
  return SUCCEEDED(parent->BindToObject(item->GetItemID(), nullptr, IID_IShellFolder, folder.PutVoid())) && folder;
}
