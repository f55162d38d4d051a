// Shortcut (".lnk") files of the shell library's utilities.
#include "shell/Shellutils.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "framework/base/ComPtr.h"
#include "framework/base/Mbcs.h"
#include "framework/ui/WinUtil.h"

namespace {

// One shortcut file: the target is set by setTarget on the link object, then
// the link is saved under fileName and made the object's current file.
template <typename SetTarget>
bool SaveShortCut(const std::string& fileName, const std::string& workFolder, SetTarget setTarget) {
  fw::ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid())))
    return false;
  auto file = link.As<IPersistFile>(IID_IPersistFile);
  if (!link || !file) return false;
  if (FAILED(setTarget(link.Get()))) return false;
  link->SetWorkingDirectory(workFolder.c_str());
  std::wstring wideName = fw::AnsiToWide(fileName);
  if (wideName.empty()) return false;
  return SUCCEEDED(file->Save(wideName.c_str(), TRUE));
}

fw::ComPtr<IShellFolder> DesktopFolder() {
  fw::ComPtr<IShellFolder> desktop;
  if (FAILED(::SHGetDesktopFolder(desktop.Put()))) desktop.Reset();
  return desktop;
}

}  // namespace

std::string GetShortCutName(const std::string& name) {
  std::string text = RemoveLastDelimiter(name);
  std::size_t slash = fw::FindLastChar(text, '\\');
  if (slash != std::string::npos) text.erase(0, slash + 1);
  // ':' never occurs as the second byte of a double-byte character, so a
  // byte-wise removal is safe here.
  std::erase(text, ':');
  return text + "へのショートカット.lnk";
}

bool SHLinkFiles(const std::vector<std::string>& paths, const std::string& linkFolder, const std::string& workFolder) {
  fw::ComPtr<IShellFolder> desktop = DesktopFolder();
  if (!desktop) return false;
  bool result = false;
  for (const std::string& path : paths) {
    if (path.empty() || ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      result = false;
      continue;
    }
    UniqueIDList list;
    std::string displayName;
    if (!GetIDListFromPath(path, list) || !GetNameFromItemId(desktop.Get(), list.get(), displayName, SHGDN_INFOLDER))
      continue;
    std::string linkName = AddPathDelimiter(linkFolder) + GetShortCutName(displayName);
    result = SaveShortCut(linkName, workFolder, [&](IShellLinkA* link) { return link->SetPath(path.c_str()); });
  }
  return result;
}

bool SHLinkIDList(const LPCITEMIDLIST* lists, int highIndex, const std::string& linkFolder,
                  const std::string& workFolder) {
  if (!lists || highIndex < 1) return false;
  fw::ComPtr<IShellFolder> desktop = DesktopFolder();
  if (!desktop) return false;
  LPCITEMIDLIST parent = lists[0];
  fw::ComPtr<IShellFolder> folder;
  if (!parent || FAILED(desktop->BindToObject(parent, nullptr, IID_IShellFolder, folder.PutVoid())) || !folder)
    folder = desktop;
  bool result = false;
  for (int i = 1; i <= highIndex; ++i) {
    if (!lists[i]) continue;
    // Without a parent list the joined list would be null: no target to set.
    UniqueIDList target(ConcatItemIDList(parent, lists[i]));
    std::string displayName;
    GetNameFromItemId(folder.Get(), lists[i], displayName, SHGDN_INFOLDER);
    std::string linkName = AddPathDelimiter(linkFolder) + GetShortCutName(displayName);
    if (!target) {
      result = false;
      continue;
    }
    result = SaveShortCut(linkName, workFolder, [&](IShellLinkA* link) { return link->SetIDList(target.get()); });
  }
  return result;
}

bool ShortCutToSpecialFolder(const std::string& path, TShSpecialFolderID id) {
  UniqueIDList list;
  std::string folderPath;
  if (!GetIDListFromPath(path, list) || !GetSpecialFolderPath(folderPath, id, nullptr)) return false;
  UniqueIDList parent(GetParentItemIDRoot(list.get()));
  UniqueIDList last(GetLastItemID(list.get()));
  if (!parent || !last) return false;  // an item on the desktop itself
  LPCITEMIDLIST lists[2] = {parent.get(), last.get()};
  return SHLinkIDList(lists, 1, folderPath, "");
}
