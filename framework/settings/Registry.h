#pragma once
// Access to one registry key: string and DWORD values, names of subkeys and
// values, and the few writes the program makes (string values, keys created
// and deleted). Every failure reads as empty or false; the callers (the shell
// folder locations, file-type associations) fall back on their own.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/Handle.h"

namespace fw {

class Registry {
 public:
  Registry() noexcept = default;
  // Opens root\subKey for reading; same as OpenKeyReadOnly.
  Registry(HKEY root, const std::string& subKey) { OpenKeyReadOnly(root, subKey); }

  // Opens root\subKey for reading, closing the key held before. An empty
  // subKey opens root itself. False when the key cannot be opened.
  bool OpenKeyReadOnly(HKEY root, const std::string& subKey);
  // Opens root\subKey for reading and writing, creating it (and the keys on
  // the way) when canCreate is set. False when it cannot be opened or made.
  bool OpenKey(HKEY root, const std::string& subKey, bool canCreate);
  void CloseKey() noexcept { m_key.reset(); }
  bool IsOpen() const noexcept { return m_key.valid(); }
  HKEY Key() const noexcept { return m_key.get(); }

  // True when the value exists (any type). "" names the key's default value.
  bool ValueExists(const std::string& name) const;

  // A REG_SZ or REG_EXPAND_SZ value. With expand, environment variables in a
  // REG_EXPAND_SZ value ("%SystemRoot%") are replaced. False (and value
  // empty) when missing or of another type.
  bool ReadString(const std::string& name, std::string& value, bool expand = false) const;
  // The same, empty when missing.
  std::string ReadString(const std::string& name, bool expand = false) const;

  // A REG_DWORD value; false when missing or of another type.
  bool ReadDWord(const std::string& name, DWORD& value) const;
  // The same, def when missing.
  DWORD ReadDWordDef(const std::string& name, DWORD def) const;

  // Writes a REG_SZ value ("" is the default value); false when the key is
  // not open for writing or the write fails.
  bool WriteString(const std::string& name, const std::string& value);

  // True when root\subKey exists (opened for reading only to look).
  static bool KeyExists(HKEY root, const std::string& subKey);
  // Deletes root\subKey with every key below it. False when the key is
  // missing or part of the tree could not be deleted. An empty subKey is
  // refused: that would be the root itself.
  static bool DeleteKey(HKEY root, const std::string& subKey);

  // Names of the key's subkeys and values, in the registry's order; empty
  // when the key is not open.
  std::vector<std::string> GetKeyNames() const;
  std::vector<std::string> GetValueNames() const;

 private:
  RegKey m_key;
};

}  // namespace fw
