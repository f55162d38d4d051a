#include "framework/settings/IniFile.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "framework/base/Exception.h"
#include "framework/base/FileOpen.h"
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
  std::string_view name;       // section name or key, normalized (see NormalizeName)
  std::size_t valueBegin = 0;  // entries: first byte after the "="
};

bool IsBlank(char c) noexcept { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) noexcept {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// s without a last byte that is a lead byte with no trail byte after it.
std::string_view CutLoneLeadByte(std::string_view s) noexcept {
  std::size_t i = 0;
  while (i < s.size()) {
    if (IsLeadByte(static_cast<unsigned char>(s[i]))) {
      if (i + 1 == s.size()) return s.substr(0, i);
      i += 2;
    } else {
      ++i;
    }
  }
  return s;
}

// A name as the file holds it: no blanks around it and no lone lead byte at
// its end. Written as "[\x88]", such a byte would swallow the "]" when read
// (the reader takes the two bytes for one character), so the section would
// never be found again and every write would append another copy. Names read
// from the file go through the same cut, so both sides agree on every name.
std::string_view NormalizeName(std::string_view s) noexcept {
  for (;;) {
    std::string_view t = Trim(CutLoneLeadByte(s));
    if (t.size() == s.size()) return t;
    s = t;
  }
}

// The bytes "=", CR, LF and zero are below the Shift-JIS trail byte range, so
// a plain byte search finds only whole characters.
std::string_view CutAt(std::string_view s, std::string_view stops) noexcept {
  std::size_t p = s.find_first_of(stops);
  return p == std::string_view::npos ? s : s.substr(0, p);
}

const std::string_view kLineStops("\r\n\0", 3);
const std::string_view kKeyStops("\r\n\0=", 4);

// A key ends before its first "=" (the rest of the line is the value); a line
// break would split the entry. Applying the same cut on reading and writing
// keeps both sides agreeing on the key.
std::string NormalizeKey(std::string_view key) { return std::string(NormalizeName(CutAt(key, kKeyStops))); }

std::string NormalizeSection(std::string_view section) {
  std::string_view s = CutAt(section, kKeyStops);
  std::size_t close = FindFirstChar(s, ']');
  if (close != std::string_view::npos) s = s.substr(0, close);
  return std::string(NormalizeName(s));
}

std::string NormalizeValue(std::string_view value) { return std::string(CutAt(value, kLineStops)); }

void Classify(std::string_view text, Line& line) {
  std::string_view content = text.substr(line.begin, line.end - line.begin);
  std::size_t eq = content.find('=');
  if (eq != std::string_view::npos) {
    // A line holding "=" is an entry even when it starts with "[": a
    // launcher entry may well be named "[Tool]".
    line.kind = LineKind::Entry;
    line.name = NormalizeName(content.substr(0, eq));
    line.valueBegin = line.begin + eq + 1;
    return;
  }
  std::string_view t = Trim(content);
  if (!t.empty() && t.front() == '[') {
    std::size_t close = FindFirstChar(t.substr(1), ']');
    if (close != std::string_view::npos) {
      line.kind = LineKind::Section;
      line.name = NormalizeName(t.substr(1, close));
    }
  }
}

// Names compare as the system compares them, without regard to case; the
// lookup tables are keyed by the upper-case form.
std::string Fold(std::string_view name) {
  std::string out(name);
  if (out.empty()) return out;
  int n = ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, name.data(), static_cast<int>(name.size()), out.data(),
                         static_cast<int>(out.size()));
  if (n > 0) out.resize(static_cast<std::size_t>(n));
  return out;
}

// Lines of the first section of the name: [header + 1, end).
struct SectionRange {
  std::size_t header;
  std::size_t end;
};

// One parsed copy of the file's text, with tables for finding a section and
// a key in constant time: a start-up reads thousands of keys (launcher
// entries), and a linear search per read made that quadratic.
struct Parsed {
  std::string text;
  std::vector<Line> lines;
  std::unordered_map<std::string, SectionRange> sections;  // first section of each folded name
  // Per section header line: folded key -> first entry line of that key.
  std::unordered_map<std::size_t, std::unordered_map<std::string, std::size_t>> entries;

  explicit Parsed(std::string t) : text(std::move(t)) {
    std::string_view v(text);
    std::size_t pos = 0;
    // A byte-order mark some editors put in front would hide the first section.
    if (v.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
    while (pos < v.size()) {
      Line line;
      line.begin = pos;
      std::size_t br = v.find_first_of("\r\n", pos);
      if (br == std::string_view::npos) {
        line.end = line.next = v.size();
      } else {
        line.end = br;
        line.next = br + ((v[br] == '\r' && br + 1 < v.size() && v[br + 1] == '\n') ? 2 : 1);
      }
      Classify(v, line);
      lines.push_back(line);
      pos = line.next;
    }
    std::unordered_map<std::string, std::size_t>* current = nullptr;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const Line& line = lines[i];
      if (line.kind == LineKind::Section) {
        // Only the first section of a name counts; entries of a later one of
        // the same name are never found, as before.
        bool fresh = sections.try_emplace(Fold(line.name), SectionRange{i, lines.size()}).second;
        current = fresh ? &entries[i] : nullptr;
        continue;
      }
      if (line.kind == LineKind::Entry && current) current->try_emplace(Fold(line.name), i);
    }
    // Every section ends where the next section line (of any name) starts.
    std::size_t nextHeader = lines.size();
    std::vector<std::size_t> sectionEnd(lines.size(), lines.size());
    for (std::size_t i = lines.size(); i-- > 0;) {
      sectionEnd[i] = nextHeader;
      if (lines[i].kind == LineKind::Section) nextHeader = i;
    }
    for (auto& [name, range] : sections) range.end = sectionEnd[range.header];
  }

  std::optional<SectionRange> FindSection(std::string_view name) const {
    auto it = sections.find(Fold(name));
    if (it == sections.end()) return std::nullopt;
    return it->second;
  }

  std::optional<std::size_t> FindEntry(const SectionRange& range, std::string_view key) const {
    auto s = entries.find(range.header);
    if (s == entries.end()) return std::nullopt;
    auto e = s->second.find(Fold(key));
    if (e == s->second.end()) return std::nullopt;
    return e->second;
  }

  std::string_view Value(std::size_t entry) const {
    const Line& line = lines[entry];
    return std::string_view(text).substr(line.valueBegin, line.end - line.valueBegin);
  }
};

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

// ---------------------------------------------------------------------------
// The process's parsed copies, one per file, shared by every object opened on
// that file. A copy is used only while the file's size and last-write time
// are those it was read with; a change by another process drops it.

struct Stamp {
  bool exists = false;
  ULONGLONG size = 0;
  FILETIME written{};
  bool operator==(const Stamp& o) const noexcept {
    return exists == o.exists && size == o.size && written.dwLowDateTime == o.written.dwLowDateTime &&
           written.dwHighDateTime == o.written.dwHighDateTime;
  }
};

// False when the file's attributes cannot be read for another reason than
// its absence (then nothing may be cached).
bool StampOfPath(const std::string& path, Stamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  stamp = Stamp{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    DWORD err = ::GetLastError();
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
  }
  stamp.exists = true;
  stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.written = data.ftLastWriteTime;
  return true;
}

bool StampOfHandle(HANDLE file, Stamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info{};
  stamp = Stamp{};
  if (!::GetFileInformationByHandle(file, &info)) return false;
  stamp.exists = true;
  stamp.size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  stamp.written = info.ftLastWriteTime;
  return true;
}

struct CacheEntry {
  Stamp stamp;
  std::shared_ptr<const Parsed> parsed;
};

std::mutex& CacheLock() {
  static std::mutex lock;
  return lock;
}

std::unordered_map<std::string, CacheEntry>& Cache() {
  static std::unordered_map<std::string, CacheEntry> cache;
  return cache;
}

std::string CacheKey(const std::string& path) { return Fold(path); }

std::shared_ptr<const Parsed> CachedCopy(const std::string& key, const Stamp& stamp) {
  std::lock_guard<std::mutex> guard(CacheLock());
  auto it = Cache().find(key);
  if (it == Cache().end() || !(it->second.stamp == stamp)) return nullptr;
  return it->second.parsed;
}

void StoreCopy(const std::string& key, const Stamp& stamp, std::shared_ptr<const Parsed> parsed) {
  std::lock_guard<std::mutex> guard(CacheLock());
  Cache()[key] = CacheEntry{stamp, std::move(parsed)};
}

void DropCopy(const std::string& key) {
  std::lock_guard<std::mutex> guard(CacheLock());
  Cache().erase(key);
}

// Reading shares the file only with other readers: a writer rewrites it in
// place, and a read in the middle of that would see half of each version.
// While a writer holds it the open waits (OpenFileWaiting).
constexpr DWORD kReadShare = FILE_SHARE_READ | FILE_SHARE_DELETE;

// The file's current text, parsed; from the shared copy when the file has not
// changed since. Whatever cannot be read reads as empty, so every read yields
// its default. A missing file is empty.
std::shared_ptr<const Parsed> Snapshot(const std::string& path) {
  static const std::shared_ptr<const Parsed> empty = std::make_shared<const Parsed>(std::string());
  const std::string key = CacheKey(path);
  Stamp before;
  bool stampKnown = StampOfPath(path, before);
  if (stampKnown) {
    if (!before.exists) return empty;
    if (auto copy = CachedCopy(key, before)) return copy;
  }
  FileHandle file = OpenFileWaiting(path, GENERIC_READ, kReadShare, OPEN_EXISTING);
  if (!file) return empty;
  std::string text;
  Stamp stamp;
  if (!ReadAll(file.get(), text) || !StampOfHandle(file.get(), stamp)) return empty;
  auto parsed = std::make_shared<const Parsed>(std::move(text));
  // The stamp read through the handle belongs to the text read through it:
  // no writer could change the file while we held it.
  StoreCopy(key, stamp, parsed);
  return parsed;
}

[[noreturn]] void ThrowWriteError(const std::string& path) {
  throw Exception(Format("%s に書き込めません", path.c_str()));
}

// Reads the file, lets edit change its text and writes the result back, all
// through one handle that keeps other writers out meanwhile, so a write made
// by another object (or another instance) between our read and our write
// cannot be lost. edit returns nothing when there is nothing to change. With
// OPEN_EXISTING a missing file is left alone. A file held by someone else is
// waited for (OpenFileWaiting) before the write is reported as failed.
template <typename Edit>
void Modify(const std::string& path, DWORD disposition, Edit&& edit) {
  const std::string key = CacheKey(path);
  FileHandle file = OpenFileWaiting(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, disposition);
  if (!file) {
    DWORD err = ::GetLastError();
    if (disposition == OPEN_EXISTING && (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)) return;
    ThrowWriteError(path);
  }
  std::string text;
  // Rewriting a file we could not read would destroy what it holds.
  if (!ReadAll(file.get(), text)) ThrowWriteError(path);
  // The text is read again under our handle in any case; parsing it again is
  // spared when it is the text of the shared copy.
  Stamp current;
  std::shared_ptr<const Parsed> parsed;
  if (StampOfHandle(file.get(), current)) {
    auto copy = CachedCopy(key, current);
    if (copy && copy->text == text) parsed = std::move(copy);
  }
  if (!parsed) parsed = std::make_shared<const Parsed>(std::move(text));
  std::optional<std::string> updated = edit(*parsed);
  if (!updated) return;
  // Whatever happens from here, the shared copy may no longer match the file.
  DropCopy(key);
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
  Stamp held;
  bool heldKnown = StampOfHandle(file.get(), held);
  file.reset();
  // The system may settle the last-write time only when the handle closes;
  // keep the copy only when the file still shows what we saw through our
  // handle (otherwise someone else wrote in between, or the time moved: the
  // next read simply reads the file).
  Stamp after;
  if (heldKnown && StampOfPath(path, after) && after == held)
    StoreCopy(key, held, std::make_shared<const Parsed>(std::move(*updated)));
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

std::string IniFile::SectionName(const std::string& section) { return NormalizeSection(section); }

std::string IniFile::KeyName(const std::string& key) { return NormalizeKey(key); }

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  std::shared_ptr<const Parsed> parsed = Snapshot(m_fileName);
  std::optional<SectionRange> range = parsed->FindSection(NormalizeSection(section));
  if (!range) return def;
  std::optional<std::size_t> entry = parsed->FindEntry(*range, NormalizeKey(key));
  if (!entry) return def;
  return CutWholeChars(parsed->Value(*entry), kMaxValueLength);
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  const std::string sectionName = NormalizeSection(section);
  const std::string keyName = NormalizeKey(key);
  const std::string newValue = NormalizeValue(value);
  Modify(m_fileName, OPEN_ALWAYS, [&](const Parsed& parsed) -> std::optional<std::string> {
    const std::string& text = parsed.text;
    const std::vector<Line>& lines = parsed.lines;
    std::string_view br = LineBreakOf(text);
    std::optional<SectionRange> range = parsed.FindSection(sectionName);
    std::string out;
    if (!range) {
      out.reserve(text.size() + sectionName.size() + keyName.size() + newValue.size() + 8);
      out = text;
      if (!out.empty() && !EndsWithLineBreak(out)) out += br;
      out.append("[").append(sectionName).append("]").append(br);
      out.append(keyName).append("=").append(newValue).append(br);
      return out;
    }
    if (std::optional<std::size_t> entry = parsed.FindEntry(*range, keyName)) {
      const Line& line = lines[*entry];
      // Writing the value the file already holds changes nothing.
      if (parsed.Value(*entry) == newValue) return std::nullopt;
      // In place: only the value changes; the line keeps its spelling of the key.
      out.reserve(text.size() + newValue.size());
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
    out.reserve(text.size() + keyName.size() + newValue.size() + 4);
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
  std::shared_ptr<const Parsed> parsed = Snapshot(m_fileName);
  std::optional<SectionRange> range = parsed->FindSection(NormalizeSection(section));
  if (!range) return;
  std::unordered_set<std::string> seen;
  std::size_t used = 0;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    const Line& line = parsed->lines[i];
    // An empty name would end the platform's zero-separated list early, and
    // no key list of ours has a use for it.
    if (line.kind != LineKind::Entry || line.name.empty()) continue;
    if (!seen.insert(Fold(line.name)).second) continue;
    // Only whole names: a cut-off name would read as a different key.
    if (used + line.name.size() + 1 > kMaxSectionBytes) break;
    used += line.name.size() + 1;
    list.emplace_back(line.name);
  }
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
  const std::string sectionName = NormalizeSection(section);
  const std::string keyName = NormalizeKey(key);
  auto remove = [&](const Parsed& parsed) -> std::optional<std::string> {
    std::optional<SectionRange> range = parsed.FindSection(sectionName);
    if (!range || !parsed.FindEntry(*range, keyName)) return std::nullopt;
    const std::string& text = parsed.text;
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
      const Line& line = parsed.lines[i];
      if (line.kind != LineKind::Entry || !SameText(line.name, keyName)) continue;
      out.append(text, copied, line.begin - copied);
      copied = line.next;
    }
    out.append(text, copied, std::string::npos);
    return out;
  };
  // Look first without asking for write access: deleting a key that is not
  // there must not fail on a file we may only read, nor create the file.
  Stamp stamp;
  if (StampOfPath(m_fileName, stamp) && !stamp.exists) return;
  if (!remove(*Snapshot(m_fileName))) {
    // Only a file we could read says the key is absent; a file we cannot even
    // read may hold it: try, and report failure.
    FileHandle probe = OpenFileWaiting(m_fileName, GENERIC_READ, kReadShare, OPEN_EXISTING);
    if (probe) return;
  }
  Modify(m_fileName, OPEN_EXISTING, remove);
}

}  // namespace fw
