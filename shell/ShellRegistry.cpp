#include "shell/ShellRegistry.h"

#include <shlobj.h>

#include "framework/base/Mbcs.h"
#include "framework/ui/Application.h"
#include "shell/Shellutils.h"

namespace {

const char kDefault[] = "";  // a key's default value

// Lower case for single-byte letters only: a trail byte of a double-byte
// character may fall in 'A'..'Z' and must stay as it is.
std::string LowerText(std::string text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (fw::IsLeadByte(c) && i + 1 < text.size())
      ++i;
    else if (c >= 'A' && c <= 'Z')
      text[i] = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::string TShellRegistry::ExtensionKey(const std::string& extension) {
  std::string key = LowerText(extension);
  if (fw::FindFirstChar(key, '.') == std::string::npos) key.insert(0, 1, '.');
  return key;
}

std::string TShellRegistry::AutoTypeName(const std::string& extension) {
  // Without its leading dot: a type key named ".abc_auto_file" would itself
  // look like the key of the extension "abc_auto_file".
  std::string base = extension;
  while (!base.empty() && base.front() == '.') base.erase(0, 1);
  return LowerText(base + "_auto_file");
}

std::string TShellRegistry::OpenCommand(const std::string& program) { return "\"" + program + "\" \"%1\""; }

std::string TShellRegistry::ProgramPath() const { return fw::Application().ExeName(); }

void TShellRegistry::NotifyShell() { ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, nullptr, nullptr); }

void TShellRegistry::MakeAssociation(const std::string& extension, const std::string& description,
                                     std::int32_t iconIndex) {
  const std::string extKey = ExtensionKey(extension);
  const std::string program = ProgramPath();
  const bool existed = KeyExists(HKEY_CLASSES_ROOT, extKey);
  std::string typeName;
  if (OpenKey(HKEY_CLASSES_ROOT, extKey, !existed)) {
    if (existed) typeName = ReadString(kDefault);
    if (typeName.empty()) {
      typeName = AutoTypeName(extension);
      WriteString(kDefault, typeName);
    }
    CloseKey();
  }
  if (!typeName.empty()) {
    if (OpenKey(HKEY_CLASSES_ROOT, typeName, true)) {
      WriteString(kDefault, description);
      CloseKey();
    }
    if (iconIndex != -1 && OpenKey(HKEY_CLASSES_ROOT, typeName + "\\DefaultIcon", true)) {
      // A type that was there before may be read by older parts of the
      // system, which expect the short form of the program's path.
      std::string iconProgram = existed ? GetShortPathNameEx(program) : program;
      if (iconProgram.empty()) iconProgram = program;
      WriteString(kDefault, iconProgram + "," + std::to_string(iconIndex));
      CloseKey();
      if (OpenKey(HKEY_CLASSES_ROOT, typeName + "\\Shell\\Open\\Command", true)) {
        WriteString(kDefault, OpenCommand(program));
        CloseKey();
      }
    }
  }
  ++m_changeCount;
}

bool TShellRegistry::IsAssociated(const std::string& extension) {
  std::string typeName;
  {
    fw::Registry ext(HKEY_CLASSES_ROOT, ExtensionKey(extension));
    if (!ext.IsOpen()) return false;
    typeName = ext.ReadString(kDefault);
  }
  if (typeName.empty() || !KeyExists(HKEY_CLASSES_ROOT, typeName)) return false;
  fw::Registry command(HKEY_CLASSES_ROOT, typeName + "\\Shell\\Open\\Command");
  if (!command.IsOpen()) return false;
  return fw::SameText(command.ReadString(kDefault), OpenCommand(ProgramPath()));
}

void TShellRegistry::DeleteAssociation(const std::string& extension) {
  const std::string extKey = ExtensionKey(extension);
  if (KeyExists(HKEY_CLASSES_ROOT, extKey) && OpenKey(HKEY_CLASSES_ROOT, extKey, false)) {
    std::string typeName = ReadString(kDefault);
    WriteString(kDefault, "");
    CloseKey();
    // An extension key without a type has nothing to delete below the root.
    if (!typeName.empty()) DeleteKey(HKEY_CLASSES_ROOT, typeName);
  }
  ++m_changeCount;
}

void TShellRegistry::Update() {
  if (m_changeCount != 0) NotifyShell();
  m_changeCount = 0;
}
