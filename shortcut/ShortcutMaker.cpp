#include "shortcut/ShortcutMaker.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "framework/base/ComPtr.h"
#include "framework/base/Mbcs.h"
#include "framework/settings/Registry.h"
#include "framework/ui/Application.h"
#include "framework/ui/WinUtil.h"

namespace orvane {

namespace {

constexpr const char* kShellFoldersKey = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The folder part of a path with its trailing "\" (whole characters: a
// Shift-JIS second byte may be 0x5C).
std::string FolderPartOf(const std::string& path) {
  std::size_t slash = fw::FindLastChar(path, '\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// "<folder>\<caption>.lnk"; a folder already ending in "\" (a drive root)
// gets no second one.
std::string LinkFileName(const std::string& folder, const std::string& caption) {
  std::string name = folder;
  if (!fw::EndsWithChar(name, '\\')) name += '\\';
  return name + caption + ".lnk";
}

std::string ErrorText(HRESULT hr) {
  char* buffer = nullptr;
  DWORD n =
      ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text;
  if (n != 0 && buffer) text.assign(buffer, n);
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty()) {
    char code[32];
    wsprintfA(code, "0x%08lX", static_cast<unsigned long>(hr));
    text = std::string("ショートカットを保存できません (") + code + ")";
  }
  return text;
}

}  // namespace

int CsidlForShellFolder(const std::string& valueName) {
  struct Entry {
    const char* name;
    int csidl;
  };
  static constexpr Entry kEntries[] = {{"Programs", CSIDL_PROGRAMS},
                                       {"Startup", CSIDL_STARTUP},
                                       {"SendTo", CSIDL_SENDTO},
                                       {"Desktop", CSIDL_DESKTOPDIRECTORY},
                                       {"Start Menu", CSIDL_STARTMENU}};
  for (const Entry& e : kEntries)
    if (fw::SameText(valueName, e.name)) return e.csidl;
  return -1;
}

ShellFolderSource ShellFolderSource::System() {
  ShellFolderSource source;
  source.ReadRegistry = [](const std::string& valueName, std::string& path) {
    fw::Registry reg(HKEY_CURRENT_USER, kShellFoldersKey);
    return reg.IsOpen() && reg.ReadString(valueName, path, true) && !path.empty();
  };
  source.QuerySpecialFolder = [](int csidl, std::string& path) {
    char buffer[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)) || buffer[0] == '\0')
      return false;
    path = buffer;
    return true;
  };
  return source;
}

std::string ShellFolderSource::Resolve(const std::string& valueName) const {
  std::string path;
  if (ReadRegistry && ReadRegistry(valueName, path) && !path.empty()) return path;
  path.clear();
  int csidl = CsidlForShellFolder(valueName);
  if (csidl >= 0 && QuerySpecialFolder && QuerySpecialFolder(csidl, path) && !path.empty()) return path;
  return {};
}

TShortcutMaker::TShortcutMaker(fw::Component* owner) : fw::Component(owner) {}

void TShortcutMaker::SetDestination(TShortcutDest dest) {
  if ((dest == sdFolder || dest == sdAll) && ShortcutFolder.empty()) {
    fw::Application().MessageBox("You must specify a folder for the shortcut !", "", MB_OK | MB_ICONWARNING);
    m_destination = sdDeskTop;
    return;
  }
  m_destination = dest;
}

void TShortcutMaker::Execute() { CreateShortcut(FullExePath, ShortcutFolder, ExeParameters, ShortcutCaption); }

void TShortcutMaker::CreateShortcut(const std::string& exe, const std::string& folder, const std::string& parameters,
                                    const std::string& caption) {
  fw::ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid())))
    return;
  auto file = link.As<IPersistFile>(IID_IPersistFile);
  if (!file) return;
  link->SetPath(exe.c_str());
  link->SetArguments(parameters.c_str());
  link->SetIconLocation(exe.c_str(), 0);
  link->SetWorkingDirectory(FolderPartOf(exe).c_str());

  auto save = [&](const std::string& where) -> HRESULT {
    std::wstring name = fw::AnsiToWide(LinkFileName(where, caption));
    if (name.empty()) return E_INVALIDARG;
    return file->Save(name.c_str(), TRUE);
  };

  if (m_destination == sdDeskTop || m_destination == sdAll) {
    std::string desktop = Folders.Resolve("Desktop");
    if (!desktop.empty()) save(desktop);
  }
  if (m_destination == sdStartMenu || m_destination == sdAll) {
    std::string startMenu = Folders.Resolve("Start Menu");
    if (!startMenu.empty()) {
      ::SHCreateDirectoryExA(nullptr, startMenu.c_str(), nullptr);
      save(startMenu);
    }
  }
  if ((m_destination == sdFolder || m_destination == sdAll) && !folder.empty()) {
    HRESULT hr = save(folder);
    if (FAILED(hr)) fw::Application().MessageBox(ErrorText(hr), "", MB_OK);
  }
}

}  // namespace orvane
