#pragma once
// The settings file: one INI-kind text file in the ANSI code page.
//
// Every write goes to the file itself: it reads the file under a handle that
// keeps other writers out, changes it and rewrites it before returning, so
// there is no save or close step to forget. Reads use one parsed copy of the
// file shared by every object of the process opened on it (the main window's
// and the launcher's): every write through any of them replaces the copy, and
// a change of the file's size or last-write time (another program, another
// instance) drops it, so a reader always sees the last write.
//
// Another instance may hold the file for a moment (instances closing at once
// at logoff): opens wait up to about two seconds for a sharing or lock
// violation to clear before a write is reported as failed.
//
// The kernel's profile functions are not used: the ones we run against
// reformat lines they did not touch, strip quotes from values, duplicate a
// key containing "=" on every write and hand back a cut-off last name when a
// key list is long. This parser keeps every byte it does not have to change.
//
// Format, as read and written here:
//  - "[name]" opens a section; a line holding "=" is an entry whose key is the
//    text before the first "=" (blanks around it ignored) and whose value is
//    everything after it, unchanged. Lines of any other kind are ignored, and
//    so are entries before the first section.
//  - Section and key names are compared without regard to letter case; the
//    first section of a name is the one used. Blanks around a name and a lone
//    lead byte at its end are not part of it, on reading and on writing.
//  - A write replaces an existing entry in place, appends a new key after the
//    last entry of its section and a new section at the end of the file, and
//    creates the file when it does not exist. New lines end in CR LF.
#include <string>
#include <vector>

namespace fw {

class IniFile {
 public:
  // A string read returns at most this many bytes (whole characters only).
  static constexpr std::size_t kMaxValueLength = 2047;
  // ReadSection returns key names as far as they fit in this many bytes,
  // each name counted with a terminating zero byte.
  static constexpr std::size_t kMaxSectionBytes = 16384;

  explicit IniFile(std::string fileName);

  const std::string& FileName() const noexcept { return m_fileName; }

  // The value of the key, or def when the file, the section or the key is missing.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  // Writes the value; raises fw::Exception "<path> に書き込めません" when the
  // file cannot be written.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);

  // Decimal, or hexadecimal with a "0x"/"0X" prefix; def when missing or invalid.
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  void WriteInteger(const std::string& section, const std::string& key, int value);

  // Read as an integer (non-zero is true); def when missing or not an integer.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  // Written as "1" or "0".
  void WriteBool(const std::string& section, const std::string& key, bool value);

  // Clears list, then adds the key names of the section in file order (each
  // name once). A missing section leaves the list empty.
  void ReadSection(const std::string& section, std::vector<std::string>& list) const;

  // A section or key name as the file holds it: cut at a line break or "="
  // (and a section name at "]"), without blanks around it and without a lone
  // lead byte at its end. Names that give the same text (letter case aside)
  // name the same section or key.
  static std::string SectionName(const std::string& section);
  static std::string KeyName(const std::string& key);

  // Removes every entry of the key from its section. A missing key, section or
  // file is no error.
  void DeleteKey(const std::string& section, const std::string& key);

 private:
  std::string m_fileName;
};

// Parses a settings-file integer: optional blanks around, an optional sign and
// decimal digits within the 32-bit range, or "0x"/"0X" and 1 to 8 significant
// hexadecimal digits taken as a 32-bit pattern. False when it is none of these.
bool ParseIniInteger(const std::string& text, int& value) noexcept;

}  // namespace fw
