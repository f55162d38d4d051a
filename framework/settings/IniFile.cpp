#include "framework/settings/IniFile.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "framework/base/Exception.h"
#include "framework/base/Handle.h"
#include "framework/base/Mbcs.h"

namespace fw {

namespace {

// Anything larger is not a settings file; refusing it keeps a stray path from
// pulling a huge file into memory.
constexpr LONGLONG kMaxFileSize = 64LL * 1024 * 1024;

enum class LineKind { Other, Section, Entry };

struct Line {
  std::size_t begin = 0;  // first byte of the line
  std::size_t end = 0;    // end of its text, before the line break
  std::size_t next = 0;   // first byte of the following line
  LineKind kind = LineKind::Other;
  std::string_view name;       // section name or key, without surrounding blanks
  std::size_t valueBegin = 0;  // entries: first byte after the "="
};

bool IsBlank(char c) noexcept { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) noexcept {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Offset of the first whole character ch (never a trail byte), or npos. "]"
// (0x5D) can be the second byte of a Shift-JIS character.
std::size_t FindFirstChar(std::string_view s, char ch) noexcept {
  for (std::size_t i = 0; i < s.size();) {
    if (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      i += 2;
      continue;
    }
    if (s[i] == ch) return i;
    ++i;
  }
  return std::string_view::npos;
}

// The bytes "=", CR, LF and zero are below the Shift-JIS trail byte range, so
// a plain byte search finds only whole characters.
std::string_view CutAt(std::string_view s, std::string_view stops) noexcept {
  std::size_t p = s.find_first_of(stops);
  return p == std::string_view::npos ? s : s.substr(0, p);
}

const std::string_view kLineStops("\r\n\0", 3);
const std::string_view kKeyStops("\r\n\0=", 4);

// Names as the file can hold them. A key ends before its first "=" (the rest
// of the line is the value); a line break would split the entry. Applying the
// same cut on reading and writing keeps both sides agreeing on the key.
std::string NormalizeKey(std::string_view key) { return std::string(Trim(CutAt(key, kKeyStops))); }

std::string NormalizeSection(std::string_view section) {
  std::string_view s = CutAt(section, kKeyStops);
  std::size_t close = FindFirstChar(s, ']');
  if (close != std::string_view::npos) s = s.substr(0, close);
  return std::string(Trim(s));
}

std::string NormalizeValue(std::string_view value) { return std::string(CutAt(value, kLineStops)); }

void Classify(std::string_view text, Line& line) {
  std::string_view content = text.substr(line.begin, line.end - line.begin);
  std::size_t eq = content.find('=');
  if (eq != std::string_view::npos) {
    // A line holding "=" is an entry even when it starts with "[": a
    // launcher entry may well be named "[Tool]".
    line.kind = LineKind::Entry;
    line.name = Trim(content.substr(0, eq));
    line.valueBegin = line.begin + eq + 1;
    return;
  }
  std::string_view t = Trim(content);
  if (!t.empty() && t.front() == '[') {
    std::size_t close = FindFirstChar(t.substr(1), ']');
    if (close != std::string_view::npos) {
      line.kind = LineKind::Section;
      line.name = Trim(t.substr(1, close));
    }
  }
}

// The file's lines. A line ends at CR LF, LF or a lone CR.
std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  // A byte-order mark some editors put in front would hide the first section.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  while (pos < text.size()) {
    Line line;
    line.begin = pos;
    std::size_t br = text.find_first_of("\r\n", pos);
    if (br == std::string_view::npos) {
      line.end = line.next = text.size();
    } else {
      line.end = br;
      line.next = br + ((text[br] == '\r' && br + 1 < text.size() && text[br + 1] == '\n') ? 2 : 1);
    }
    Classify(text, line);
    lines.push_back(line);
    pos = line.next;
  }
  return lines;
}

// Lines of the first section of the name: [header + 1, end).
struct SectionRange {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionRange> FindSection(const std::vector<Line>& lines, std::string_view name) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != LineKind::Section || !SameText(lines[i].name, name)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && lines[end].kind != LineKind::Section) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindEntry(const std::vector<Line>& lines, const SectionRange& range, std::string_view key) {
  for (std::size_t i = range.header + 1; i < range.end; ++i)
    if (lines[i].kind == LineKind::Entry && SameText(lines[i].name, key)) return i;
  return std::nullopt;
}

// New lines follow the file's own line breaks; CR LF for a new file.
std::string_view LineBreakOf(std::string_view text) {
  std::size_t br = text.find_first_of("\r\n");
  if (br == std::string_view::npos) return "\r\n";
  if (text[br] == '\n') return "\n";
  return (br + 1 < text.size() && text[br + 1] == '\n') ? std::string_view("\r\n") : std::string_view("\r");
}

bool EndsWithLineBreak(std::string_view text) { return !text.empty() && (text.back() == '\n' || text.back() == '\r'); }

bool ReadAll(HANDLE file, std::string& out) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size) || size.QuadPart > kMaxFileSize) return false;
  out.clear();
  out.reserve(static_cast<std::size_t>(size.QuadPart));
  char buf[16384];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file, buf, sizeof buf, &got, nullptr)) return false;
    if (got == 0) return true;
    out.append(buf, got);
    if (out.size() > static_cast<std::size_t>(kMaxFileSize)) return false;
  }
}

// The file's text into text. A missing file reads as empty and is no
// failure; false when the file is there but cannot be read (text empty).
bool Load(const std::string& path, std::string& text) {
  text.clear();
  FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DWORD err = ::GetLastError();
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
  }
  if (ReadAll(file.get(), text)) return true;
  text.clear();
  return false;
}

// For reading: whatever cannot be read reads as empty, so every read yields
// its default.
std::string Load(const std::string& path) {
  std::string text;
  Load(path, text);
  return text;
}

[[noreturn]] void ThrowWriteError(const std::string& path) {
  throw Exception(Format("%s に書き込めません", path.c_str()));
}

// Reads the file, lets edit change its text and writes the result back, all
// through one handle that keeps other writers out meanwhile, so a write made
// by another object between our read and our write cannot be lost. edit
// returns nothing when there is nothing to change. With OPEN_EXISTING a
// missing file is left alone.
template <typename Edit>
void Modify(const std::string& path, DWORD disposition, Edit&& edit) {
  FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DWORD err = ::GetLastError();
    if (disposition == OPEN_EXISTING && (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)) return;
    ThrowWriteError(path);
  }
  std::string text;
  // Rewriting a file we could not read would destroy what it holds.
  if (!ReadAll(file.get(), text)) ThrowWriteError(path);
  std::optional<std::string> updated = edit(text);
  if (!updated) return;
  if (::SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) ThrowWriteError(path);
  std::size_t done = 0;
  while (done < updated->size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(updated->size() - done, 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file.get(), updated->data() + done, chunk, &written, nullptr) || written == 0)
      ThrowWriteError(path);
    done += written;
  }
  if (!::SetEndOfFile(file.get())) ThrowWriteError(path);
}

// At most max bytes of s, never splitting a double-byte character.
std::string CutWholeChars(std::string_view s, std::size_t max) {
  if (s.size() <= max) return std::string(s);
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t step = (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
    if (i + step > max) break;
    i += step;
  }
  return std::string(s.substr(0, i));
}

int HexDigit(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseIniInteger(const std::string& text, int& value) noexcept {
  std::string_view s = Trim(text);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    std::uint64_t v = 0;
    for (char c : s.substr(2)) {
      int d = HexDigit(c);
      if (d < 0) return false;
      v = v * 16 + static_cast<unsigned>(d);
      if (v > 0xFFFFFFFFull) return false;
    }
    // Eight hexadecimal digits are a 32-bit pattern: 0xFFFFFFFF is -1.
    value = static_cast<int>(static_cast<std::uint32_t>(v));
    return true;
  }
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return false;
  std::int64_t v = 0;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > limit) return false;
  }
  value = static_cast<int>(negative ? -v : v);
  return true;
}

IniFile::IniFile(std::string fileName) : m_fileName(std::move(fileName)) {}

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  std::string text = Load(m_fileName);
  std::vector<Line> lines = SplitLines(text);
  std::optional<SectionRange> range = FindSection(lines, NormalizeSection(section));
  if (!range) return def;
  std::optional<std::size_t> entry = FindEntry(lines, *range, NormalizeKey(key));
  if (!entry) return def;
  const Line& line = lines[*entry];
  return CutWholeChars(std::string_view(text).substr(line.valueBegin, line.end - line.valueBegin), kMaxValueLength);
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  const std::string sectionName = NormalizeSection(section);
  const std::string keyName = NormalizeKey(key);
  const std::string newValue = NormalizeValue(value);
  Modify(m_fileName, OPEN_ALWAYS, [&](const std::string& text) -> std::optional<std::string> {
    std::vector<Line> lines = SplitLines(text);
    std::string_view br = LineBreakOf(text);
    std::optional<SectionRange> range = FindSection(lines, sectionName);
    std::string out;
    if (!range) {
      out = text;
      if (!out.empty() && !EndsWithLineBreak(out)) out += br;
      out.append("[").append(sectionName).append("]").append(br);
      out.append(keyName).append("=").append(newValue).append(br);
      return out;
    }
    if (std::optional<std::size_t> entry = FindEntry(lines, *range, keyName)) {
      // In place: only the value changes; the line keeps its spelling of the key.
      const Line& line = lines[*entry];
      out.assign(text, 0, line.valueBegin);
      out.append(newValue);
      out.append(text, line.end, std::string::npos);
      return out;
    }
    // After the section's last entry, so blank lines or notes that end the
    // section stay where they are.
    std::size_t after = range->header;
    for (std::size_t i = range->header + 1; i < range->end; ++i)
      if (lines[i].kind == LineKind::Entry) after = i;
    const Line& line = lines[after];
    out.assign(text, 0, line.next);
    if (line.next == line.end) out += br;  // the file's last line had no line break
    out.append(keyName).append("=").append(newValue).append(br);
    out.append(text, line.next, std::string::npos);
    return out;
  });
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  int value = 0;
  return ParseIniInteger(ReadString(section, key, std::string()), value) ? value : def;
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::ReadSection(const std::string& section, std::vector<std::string>& list) const {
  list.clear();
  std::string text = Load(m_fileName);
  std::vector<Line> lines = SplitLines(text);
  std::optional<SectionRange> range = FindSection(lines, NormalizeSection(section));
  if (!range) return;
  std::size_t used = 0;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    const Line& line = lines[i];
    // An empty name would end the platform's zero-separated list early, and
    // no key list of ours has a use for it.
    if (line.kind != LineKind::Entry || line.name.empty()) continue;
    bool seen = false;
    for (const std::string& n : list) {
      if (SameText(n, line.name)) {
        seen = true;
        break;
      }
    }
    if (seen) continue;
    // Only whole names: a cut-off name would read as a different key.
    if (used + line.name.size() + 1 > kMaxSectionBytes) break;
    used += line.name.size() + 1;
    list.emplace_back(line.name);
  }
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
  const std::string sectionName = NormalizeSection(section);
  const std::string keyName = NormalizeKey(key);
  auto remove = [&](const std::string& text) -> std::optional<std::string> {
    std::vector<Line> lines = SplitLines(text);
    std::optional<SectionRange> range = FindSection(lines, sectionName);
    if (!range) return std::nullopt;
    std::string out;
    std::size_t copied = 0;
    bool removed = false;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
      const Line& line = lines[i];
      if (line.kind != LineKind::Entry || !SameText(line.name, keyName)) continue;
      out.append(text, copied, line.begin - copied);
      copied = line.next;
      removed = true;
    }
    if (!removed) return std::nullopt;
    out.append(text, copied, std::string::npos);
    return out;
  };
  // Look first without asking for write access: deleting a key that is not
  // there must not fail on a file we may only read, nor create the file. A
  // file we cannot even read may hold the key: try, and report failure.
  std::string text;
  if (Load(m_fileName, text) && !remove(text)) return;
  Modify(m_fileName, OPEN_EXISTING, remove);
}

}  // namespace fw
