#pragma once
// Image-decoder plug-ins of the Susie interface ("*.SPI" libraries) and the
// picture loader the preview tab uses for one preview: it loads every
// plug-in of a folder, lets the first that accepts a file decode it into a
// bitmap, and unloads them all again when it goes away.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/base/Handle.h"

namespace orvane {

// The plug-ins' picture information record, exactly as they write it:
// 1-byte packing, 26 bytes.
#pragma pack(push, 1)
struct SusiePictureInfo {
  std::int32_t left;
  std::int32_t top;
  std::int32_t width;
  std::int32_t height;
  std::uint16_t xDensity;
  std::uint16_t yDensity;
  std::int16_t colorDepth;
  HLOCAL hInfo;  // extra information (text), owned by the caller afterwards
};
#pragma pack(pop)
static_assert(sizeof(void*) == 4, "plug-ins are 32-bit libraries");
static_assert(sizeof(SusiePictureInfo) == 26);
static_assert(offsetof(SusiePictureInfo, width) == 8);
static_assert(offsetof(SusiePictureInfo, height) == 12);
static_assert(offsetof(SusiePictureInfo, colorDepth) == 20);
static_assert(offsetof(SusiePictureInfo, hInfo) == 22);

// Entry points, exported under their plain names with the platform's
// standard calling convention. IsSupported's second argument carries the
// handle of the file opened for reading.
using SpiIsSupported = int(WINAPI*)(LPCSTR fileName, DWORD fileHandle);
using SpiGetPictureInfo = int(WINAPI*)(LPCSTR buffer, long length, unsigned int flags, SusiePictureInfo* info);
using SpiGetPicture = int(WINAPI*)(LPCSTR buffer, long length, unsigned int flags, HANDLE* bitmapInfo,
                                   HANDLE* bitmapBits, FARPROC progress, long userData);

// One loaded plug-in, a link of the loader's list (in load order).
struct SpiPlugin {
  fw::Module library;
  std::unique_ptr<SpiPlugin> next;
  SpiIsSupported IsSupported = nullptr;
  SpiGetPictureInfo GetPictureInfo = nullptr;
  SpiGetPicture GetPicture = nullptr;
  // Looked up with the others; this program never calls them.
  FARPROC GetPreview = nullptr;
  FARPROC GetArchiveInfo = nullptr;
  FARPROC GetFile = nullptr;

  SpiPlugin() = default;
  SpiPlugin(const SpiPlugin&) = delete;
  SpiPlugin& operator=(const SpiPlugin&) = delete;
  // Unlinks iteratively: a long list must not recurse once per plug-in.
  ~SpiPlugin();
};

// The extensions read without any plug-in.
bool IsBuiltInPictureExtension(const std::string& upperExtension);

// The plug-in set of one preview. Destroying it unloads every plug-in.
class SpiLoader {
 public:
  SpiLoader() = default;
  SpiLoader(const SpiLoader&) = delete;
  SpiLoader& operator=(const SpiLoader&) = delete;
  ~SpiLoader();

  // Loads every "*.SPI" of folder that exports both IsSupported and
  // GetPicture, in enumeration order; any other library is unloaded at once.
  void LoadPlugins(const std::string& folder);
  // Adds a plug-in made by the caller (its entry points may be the caller's
  // own functions) at the end of the list.
  void AddPlugin(std::unique_ptr<SpiPlugin> plugin);

  // Remembers path and its upper-case extension. True when the file can be
  // shown: a built-in format, or a plug-in accepted it (that one is chosen).
  bool ChoosePlugin(const std::string& path);
  // Decodes the file remembered by ChoosePlugin into Picture(). False (and
  // no picture) when reading or decoding fails.
  bool LoadPicture();

  // The decoded picture (owned here), or null.
  HBITMAP Picture() const noexcept { return m_picture.get(); }
  // Hands the decoded picture over.
  fw::BitmapHandle TakePicture() noexcept { return std::move(m_picture); }
  // Width and height the plug-in reported (built-in formats: the picture's).
  SIZE PictureSize() const noexcept { return m_size; }

  const std::string& Folder() const noexcept { return m_folder; }
  const std::string& FileName() const noexcept { return m_file; }
  // Upper case, with its dot; empty when the name has none or it is longer
  // than the 31 characters an extension may have here.
  const std::string& Extension() const noexcept { return m_extension; }
  int Count() const noexcept { return m_count; }
  SpiPlugin* First() const noexcept { return m_first.get(); }
  SpiPlugin* Chosen() const noexcept { return m_chosen; }

  // Frees the picture and unloads every plug-in.
  void Discard() noexcept;

 private:
  bool LoadBuiltIn();
  bool LoadThroughPlugin();

  std::string m_folder;
  std::string m_file;
  std::string m_extension;
  int m_count = 0;
  // The list is declared first so it goes last: nothing that came from a
  // plug-in may outlive its library.
  std::unique_ptr<SpiPlugin> m_first;
  SpiPlugin* m_last = nullptr;
  SpiPlugin* m_chosen = nullptr;
  fw::BitmapHandle m_picture;
  SIZE m_size{0, 0};
};

// ---- helpers shared with the preview tab (byte strings in code page 932)

// The extension of a name or path: from its last dot after the last "\" or
// ":", with the dot; empty when there is none.
std::string ExtractExtension(const std::string& name);
// ASCII letters folded; two-byte characters are left whole (their second
// byte may look like a letter).
std::string AsciiLower(const std::string& s);
std::string AsciiUpper(const std::string& s);

// Bytes needed by a device-independent bitmap's information block (header
// and colour table) and by its pixel rows for the given number of rows; 0
// when the header describes nothing this program can size.
std::size_t DibInfoSize(const BITMAPINFOHEADER& header) noexcept;
std::size_t DibBitsSize(const BITMAPINFOHEADER& header, std::int32_t rows) noexcept;

}  // namespace orvane
