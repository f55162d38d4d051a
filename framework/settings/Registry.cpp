#include "framework/settings/Registry.h"

#include <algorithm>
#include <utility>

namespace fw {

namespace {

// Registry names are at most 255 (keys) and 16383 (values) characters; in
// Shift-JIS a character may take two bytes. Growing beyond this means
// something is wrong, not that the name is long.
constexpr DWORD kMaxNameBytes = 2 * 16384;

enum class NameKind { Key, Value };

std::vector<std::string> EnumNames(HKEY key, NameKind kind) {
  std::vector<std::string> names;
  if (!key) return names;
  DWORD maxKey = 0, maxValue = 0;
  if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &maxKey, nullptr, nullptr, &maxValue, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  // The reported lengths count characters of the system's own form of the
  // name; double them so a Shift-JIS name fits at the first try.
  DWORD capacity = 2 * (kind == NameKind::Key ? maxKey : maxValue) + 2;
  std::string buf(capacity, '\0');
  for (DWORD index = 0;;) {
    DWORD len = static_cast<DWORD>(buf.size());
    LSTATUS r = kind == NameKind::Key
                    ? ::RegEnumKeyExA(key, index, buf.data(), &len, nullptr, nullptr, nullptr, nullptr)
                    : ::RegEnumValueA(key, index, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_MORE_DATA && buf.size() < kMaxNameBytes) {
      buf.resize(std::min<std::size_t>(buf.size() * 2, kMaxNameBytes));
      continue;  // the same index again with room enough
    }
    if (r != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS, or the key went away
    names.emplace_back(buf.data(), std::min<std::size_t>(len, buf.size()));
    ++index;
  }
  return names;
}

}  // namespace

bool Registry::OpenKeyReadOnly(HKEY root, const std::string& subKey) {
  m_key.reset();
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, subKey.empty() ? nullptr : subKey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return false;
  m_key.reset(opened);
  return true;
}

bool Registry::OpenKey(HKEY root, const std::string& subKey, bool canCreate) {
  m_key.reset();
  HKEY opened = nullptr;
  const REGSAM access = KEY_READ | KEY_WRITE;
  LSTATUS r = canCreate ? ::RegCreateKeyExA(root, subKey.empty() ? nullptr : subKey.c_str(), 0, nullptr,
                                            REG_OPTION_NON_VOLATILE, access, nullptr, &opened, nullptr)
                        : ::RegOpenKeyExA(root, subKey.empty() ? nullptr : subKey.c_str(), 0, access, &opened);
  if (r != ERROR_SUCCESS) return false;
  m_key.reset(opened);
  return true;
}

bool Registry::WriteString(const std::string& name, const std::string& value) {
  if (!m_key) return false;
  // The stored size counts the terminating zero, as readers expect.
  return ::RegSetValueExA(m_key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool Registry::KeyExists(HKEY root, const std::string& subKey) {
  RegKey key;
  return ::RegOpenKeyExA(root, subKey.empty() ? nullptr : subKey.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool Registry::DeleteKey(HKEY root, const std::string& subKey) {
  if (subKey.empty()) return false;
  // A key with subkeys cannot be deleted in one call on every system: empty
  // it first, deepest keys first.
  {
    Registry key;
    if (!key.OpenKey(root, subKey, false)) return false;
    for (const std::string& child : key.GetKeyNames()) DeleteKey(key.Key(), child);
  }
  return ::RegDeleteKeyA(root, subKey.c_str()) == ERROR_SUCCESS;
}

bool Registry::ValueExists(const std::string& name) const {
  return m_key && ::RegQueryValueExA(m_key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool Registry::ReadString(const std::string& name, std::string& value, bool expand) const {
  value.clear();
  if (!m_key) return false;
  std::string buf;
  DWORD type = 0;
  // The value can change between asking for its size and reading it: retry a
  // few times with the new size.
  for (int attempt = 0;; ++attempt) {
    DWORD size = 0;
    if (::RegQueryValueExA(m_key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    buf.assign(static_cast<std::size_t>(size) + 1, '\0');
    DWORD got = size;
    LSTATUS r =
        ::RegQueryValueExA(m_key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got);
    if (r == ERROR_MORE_DATA && attempt < 4) continue;
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    buf.resize(std::min<std::size_t>(got, buf.size()));
    break;
  }
  // The stored bytes may or may not include the terminating zero.
  std::string text(buf.c_str());
  if (expand && type == REG_EXPAND_SZ) {
    // The size the function reports may count characters, not bytes, and a
    // Shift-JIS character takes two: leave room for that and trust the
    // terminating zero rather than the count.
    DWORD need = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    for (int attempt = 0; need > 0 && attempt < 4; ++attempt) {
      std::string expanded(static_cast<std::size_t>(need) * 2 + 2, '\0');
      DWORD size = static_cast<DWORD>(expanded.size());
      DWORD n = ::ExpandEnvironmentStringsA(text.c_str(), expanded.data(), size);
      if (n == 0) break;
      if (n <= size) {
        text = expanded.c_str();
        break;
      }
      need = n;  // the environment grew meanwhile
    }
  }
  value = std::move(text);
  return true;
}

std::string Registry::ReadString(const std::string& name, bool expand) const {
  std::string value;
  ReadString(name, value, expand);
  return value;
}

bool Registry::ReadDWord(const std::string& name, DWORD& value) const {
  if (!m_key) return false;
  DWORD type = 0, data = 0, size = sizeof data;
  if (::RegQueryValueExA(m_key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof data)
    return false;
  value = data;
  return true;
}

DWORD Registry::ReadDWordDef(const std::string& name, DWORD def) const {
  DWORD value = 0;
  return ReadDWord(name, value) ? value : def;
}

std::vector<std::string> Registry::GetKeyNames() const { return EnumNames(m_key.get(), NameKind::Key); }

std::vector<std::string> Registry::GetValueNames() const { return EnumNames(m_key.get(), NameKind::Value); }

}  // namespace fw
