// Orvane.exe binds purger.dll by ordinal: its import table, read from the
// built file, names purger.dll once with ordinals 1 and 2 and no names.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "framework/base/Mbcs.h"

namespace {

std::string ExeFolder() {
  char buf[MAX_PATH];
  DWORD n = ::GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string path(buf, n);
  return path.substr(0, fw::FindLastChar(path, '\\'));
}

// The bytes of a PE image file, with reads by relative virtual address.
class PeFile {
 public:
  explicit PeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    m_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Valid() const {
    const auto* dos = At<IMAGE_DOS_HEADER>(0);
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
    const auto* nt = At<IMAGE_NT_HEADERS32>(dos->e_lfanew);
    return nt && nt->Signature == IMAGE_NT_SIGNATURE && nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC;
  }
  const IMAGE_NT_HEADERS32* Nt() const { return At<IMAGE_NT_HEADERS32>(At<IMAGE_DOS_HEADER>(0)->e_lfanew); }
  // File offset of an RVA, through the section that holds it; 0 when none does.
  std::size_t Offset(DWORD rva) const {
    const IMAGE_NT_HEADERS32* nt = Nt();
    const std::size_t first = static_cast<std::size_t>(At<IMAGE_DOS_HEADER>(0)->e_lfanew) +
                              offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader;
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const auto* s = At<IMAGE_SECTION_HEADER>(first + i * sizeof(IMAGE_SECTION_HEADER));
      if (!s) return 0;
      const DWORD size = std::max(s->Misc.VirtualSize, s->SizeOfRawData);
      if (rva >= s->VirtualAddress && rva < s->VirtualAddress + size)
        return rva - s->VirtualAddress + s->PointerToRawData;
    }
    return 0;
  }
  template <typename T>
  const T* At(std::size_t offset) const {
    if (offset == 0 && sizeof(T) > m_bytes.size()) return nullptr;
    if (offset + sizeof(T) > m_bytes.size()) return nullptr;
    return reinterpret_cast<const T*>(m_bytes.data() + offset);
  }
  std::string CString(DWORD rva) const {
    const std::size_t off = Offset(rva);
    if (!off || off >= m_bytes.size()) return {};
    return std::string(m_bytes.data() + off, strnlen(m_bytes.data() + off, m_bytes.size() - off));
  }

 private:
  std::vector<char> m_bytes;
};

TEST(ImportTable, PurgerIsBoundByOrdinalsOneAndTwoOnly) {
  PeFile pe(ExeFolder() + "\\Orvane.exe");
  ASSERT_TRUE(pe.Valid()) << "Orvane.exe not found or not a 32-bit image";
  const IMAGE_DATA_DIRECTORY& dir = pe.Nt()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(dir.VirtualAddress, 0u);
  std::size_t off = pe.Offset(dir.VirtualAddress);
  ASSERT_NE(off, 0u);

  int purgerDescriptors = 0;
  std::vector<DWORD> ordinals;
  int named = 0;
  std::vector<std::string> dlls;
  for (;; off += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto* d = pe.At<IMAGE_IMPORT_DESCRIPTOR>(off);
    ASSERT_NE(d, nullptr);
    if (d->Name == 0 && d->FirstThunk == 0) break;
    const std::string name = pe.CString(d->Name);
    dlls.push_back(name);
    if (!fw::SameText(name, "purger.dll")) continue;
    ++purgerDescriptors;
    // The lookup table when there is one, else the address table (unbound).
    const DWORD table = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
    for (std::size_t t = pe.Offset(table);; t += sizeof(IMAGE_THUNK_DATA32)) {
      const auto* thunk = pe.At<IMAGE_THUNK_DATA32>(t);
      ASSERT_NE(thunk, nullptr);
      if (thunk->u1.AddressOfData == 0) break;
      if (IMAGE_SNAP_BY_ORDINAL32(thunk->u1.Ordinal))
        ordinals.push_back(IMAGE_ORDINAL32(thunk->u1.Ordinal));
      else
        ++named;
    }
  }
  EXPECT_EQ(purgerDescriptors, 1) << testing::PrintToString(dlls);
  std::sort(ordinals.begin(), ordinals.end());
  EXPECT_EQ(ordinals, (std::vector<DWORD>{1, 2}));
  EXPECT_EQ(named, 0);
}

}  // namespace
