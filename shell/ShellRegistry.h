#pragma once
// File-type associations under HKEY_CLASSES_ROOT, pointing at this program.
//
// Layout (each value is the key's default value):
//   ".ext"                          -> type name
//   type                            -> description
//   type\DefaultIcon                -> "<program>,<icon index>"
//   type\Shell\Open\Command         -> "\"<program>\" \"%1\""
// The extension key is the extension in lower case, with a "." put in front
// when it holds none. A type name made up by the program is the extension
// without its leading "." followed by "_auto_file", in lower case.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/settings/Registry.h"

class TShellRegistry : public fw::Registry {
 public:
  TShellRegistry() = default;
  virtual ~TShellRegistry() = default;

  // Associates the extension with this program: the extension key (made when
  // missing, or given the made-up type name when it names none), the type's
  // description, and unless iconIndex is -1 its icon and open command. The
  // icon names the program by its short path when the extension was already
  // known, by its full path when it was new.
  void MakeAssociation(const std::string& extension, const std::string& description, std::int32_t iconIndex);
  // True when the extension's type opens with this program's command (the
  // command compared without regard to case).
  bool IsAssociated(const std::string& extension);
  // Forgets the extension's type: the extension key stays with an empty
  // default value, the type key goes with everything below it.
  void DeleteAssociation(const std::string& extension);
  // Tells the shell once that associations changed, when any did since the
  // last Update.
  void Update();

  std::int32_t ChangeCount() const noexcept { return m_changeCount; }

  // The key of an extension: lower case, "." in front unless it holds one.
  static std::string ExtensionKey(const std::string& extension);
  // The type name the program makes for an extension it finds without one.
  static std::string AutoTypeName(const std::string& extension);
  // The open command the program writes and looks for.
  static std::string OpenCommand(const std::string& program);

 protected:
  // The program the associations point at: this executable. A seam for tests,
  // which are not the program.
  virtual std::string ProgramPath() const;
  // The change notice to the shell (SHChangeNotify); a seam, so that tests
  // can see the notice without making every shell window reload.
  virtual void NotifyShell();

 private:
  std::int32_t m_changeCount = 0;
};
