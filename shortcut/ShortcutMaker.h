#pragma once
// A component without a window that writes a shortcut (".lnk") to a program
// into the user's desktop, Start menu or a given folder.
#include <functional>
#include <string>

#include "framework/ui/Component.h"

namespace orvane {

enum TShortcutDest { sdDeskTop, sdStartMenu, sdFolder, sdAll };

// Where the user's special folders are found. The per-user "Shell Folders"
// values are asked first; a profile without the value (it is only a cache the
// shell keeps) falls back on the shell's own special-folder query. Both are
// seams so tests can take either away.
struct ShellFolderSource {
  // Reads the "Shell Folders" value of that name; false when missing.
  std::function<bool(const std::string& valueName, std::string& path)> ReadRegistry;
  // Asks the shell for a special folder by its CSIDL; false when it has none.
  std::function<bool(int csidl, std::string& path)> QuerySpecialFolder;

  // The registry and the shell of this machine.
  static ShellFolderSource System();
  // The folder behind a "Shell Folders" value name ("Programs", "Startup",
  // "SendTo", "Desktop", "Start Menu"), empty when neither source knows it.
  std::string Resolve(const std::string& valueName) const;
};

// The CSIDL for a "Shell Folders" value name, -1 for a name it does not know.
int CsidlForShellFolder(const std::string& valueName);

class TShortcutMaker : public fw::Component {
 public:
  explicit TShortcutMaker(fw::Component* owner);

  std::string FullExePath;
  std::string ShortcutFolder;
  std::string ExeParameters;
  std::string ShortcutCaption;

  TShortcutDest Destination() const noexcept { return m_destination; }
  // A folder destination without a folder is refused with a warning; the
  // shortcut then goes to the desktop.
  void SetDestination(TShortcutDest dest);

  // CreateShortcut with the properties.
  void Execute();
  // Writes "<folder>\<caption>.lnk" pointing at exe for each place Destination
  // names; an existing file of that name is replaced. A place whose folder is
  // unknown gets nothing: an empty folder would put the file at the root of
  // the current drive.
  void CreateShortcut(const std::string& exe, const std::string& folder, const std::string& parameters,
                      const std::string& caption);

  ShellFolderSource Folders = ShellFolderSource::System();

 private:
  TShortcutDest m_destination = sdDeskTop;
};

}  // namespace orvane
