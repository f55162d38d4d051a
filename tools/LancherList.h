#pragma once
// The launcher tab's list: entries from the settings file with their
// programs' icons, the view styles, and starting an entry.
#include <windows.h>

#include <functional>
#include <string>

#include "framework/settings/IniFile.h"
#include "framework/ui/ImageList.h"
#include "framework/ui/ListView.h"

namespace orvane {

// The settings sections of the launcher: entry name = program path, and
// entry name = argument string (plus the view style "Stype").
inline constexpr const char* kLancherSection = "lancher";
inline constexpr const char* kLancherArgsSection = "lancher1";
inline constexpr const char* kLancherStyleKey = "Stype";

// The launcher's view-style codes: 0 large icons, 1 small icons, 2 list, 3 details.
fw::TViewStyle LancherViewStyle(int code);

// The command line for an entry: program, one blank, arguments. A program
// field that names an existing file and holds a blank is quoted, so that
// "C:\Program Files\x.exe" can never start a planted "C:\Program.exe"; any
// other field (a command with its own arguments, a name the system looks up,
// a path already quoted) and the arguments are passed exactly as typed.
std::string LancherCommandLine(const std::string& program, const std::string& args);

class TLancherList {
 public:
  // list shows the entries; large and small receive their icons. Reads the
  // entries from ini; a name whose program key has gone missing meanwhile
  // runs ownPath (the program itself).
  TLancherList(fw::ListView* list, fw::ImageList* large, fw::ImageList* small, fw::IniFile& ini, std::string ownPath);

  // Empties the list and fills it again from the settings, in file order.
  void Fill();
  // The stored view style ("Stype" of the arguments section), when it is a
  // valid code; any other value leaves the list's style as it is.
  void ApplyStoredViewStyle();
  void SetViewStyle(int code);

  // Starts the selected entry (nothing when no row is selected). Nothing is
  // awaited and a failure to start is not reported; the return value only
  // says whether the system took the command.
  bool RunSelected();

  // Starts a command line; tests and the end-to-end driver see what reached it.
  using Runner = std::function<bool(const std::string& commandLine)>;
  void SetRunner(Runner runner) { m_runner = std::move(runner); }
  // The command line RunSelected used last (empty before the first run).
  const std::string& LastCommandLine() const noexcept { return m_lastCommandLine; }

 private:
  fw::ListView* m_list;
  fw::ImageList* m_large;
  fw::ImageList* m_small;
  fw::IniFile& m_ini;
  std::string m_ownPath;
  Runner m_runner;
  std::string m_lastCommandLine;
};

}  // namespace orvane
