#include "tools/Preview.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "framework/base/Mbcs.h"

namespace orvane {
namespace {

// Longest extension (with its dot) the loader keeps.
constexpr std::size_t kMaxExtension = 31;

// Placeable metafiles start with this key and a 22-byte header that gives
// the picture's frame in logical units and the units per inch.
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
#pragma pack(push, 1)
struct PlaceableHeader {
  std::uint32_t key;
  std::uint16_t handle;
  std::int16_t left, top, right, bottom;
  std::uint16_t inch;
  std::uint32_t reserved;
  std::uint16_t checksum;
};
#pragma pack(pop)
static_assert(sizeof(PlaceableHeader) == 22);

std::string WithDelimiter(const std::string& folder) {
  return fw::EndsWithChar(folder, '\\') || folder.empty() ? folder : folder + "\\";
}

// A 32-bit top-down bitmap of the given size, filled with the window colour
// (metafiles and icons draw only part of it), selected into no DC.
fw::BitmapHandle MakeCanvas(int width, int height) {
  if (width <= 0 || height <= 0) return {};
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = -height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return fw::BitmapHandle(::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
}

int ScreenDpi(int index) {
  fw::WindowDC screen(nullptr);
  int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), index) : 96;
  return dpi > 0 ? dpi : 96;
}

fw::BitmapHandle RenderEnhMetaFile(HENHMETAFILE emf, int width, int height) {
  fw::BitmapHandle canvas = MakeCanvas(width, height);
  if (!canvas) return {};
  fw::DCHandle dc(::CreateCompatibleDC(nullptr));
  if (!dc) return {};
  fw::SelectGuard select(dc.get(), canvas.get());
  RECT r{0, 0, width, height};
  ::FillRect(dc.get(), &r, ::GetSysColorBrush(COLOR_WINDOW));
  if (!::PlayEnhMetaFile(dc.get(), emf, &r)) return {};
  return canvas;
}

// Size in pixels of an enhanced metafile's frame (hundredths of millimetres).
SIZE EnhMetaFileSize(HENHMETAFILE emf) {
  ENHMETAHEADER header{};
  if (!::GetEnhMetaFileHeader(emf, sizeof header, &header)) return SIZE{0, 0};
  const RECTL& f = header.rclFrame;
  long long w = (static_cast<long long>(f.right) - f.left) * ScreenDpi(LOGPIXELSX) / 2540;
  long long h = (static_cast<long long>(f.bottom) - f.top) * ScreenDpi(LOGPIXELSY) / 2540;
  if (w <= 0 || h <= 0) {
    // No frame: the bounds in the reference device's pixels.
    w = static_cast<long long>(header.rclBounds.right) - header.rclBounds.left + 1;
    h = static_cast<long long>(header.rclBounds.bottom) - header.rclBounds.top + 1;
  }
  // Pictures beyond this size are not worth a bitmap (and may not fit in memory).
  constexpr long long kMaxSide = 16384;
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return SIZE{0, 0};
  return SIZE{static_cast<LONG>(w), static_cast<LONG>(h)};
}

std::vector<unsigned char> ReadWholeFile(const std::string& path) {
  std::vector<unsigned char> bytes;
  fw::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return bytes;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 256 * 1024 * 1024) return bytes;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
  bytes.resize(read);
  return bytes;
}

fw::EnhMetaFileHandle ReadWindowsMetaFile(const std::string& path, SIZE& size) {
  std::vector<unsigned char> bytes = ReadWholeFile(path);
  size = SIZE{0, 0};
  if (bytes.size() < sizeof(PlaceableHeader)) return {};
  PlaceableHeader header;
  std::memcpy(&header, bytes.data(), sizeof header);
  if (header.key == kPlaceableKey && header.inch > 0) {
    int w = header.right - header.left, h = header.bottom - header.top;
    if (w < 0) w = -w;
    if (h < 0) h = -h;
    METAFILEPICT pict{};
    pict.mm = MM_ANISOTROPIC;
    pict.xExt = static_cast<LONG>(static_cast<long long>(w) * 2540 / header.inch);  // hundredths of a millimetre
    pict.yExt = static_cast<LONG>(static_cast<long long>(h) * 2540 / header.inch);
    fw::EnhMetaFileHandle emf(::SetWinMetaFileBits(static_cast<UINT>(bytes.size() - sizeof header),
                                                   bytes.data() + sizeof header, nullptr, &pict));
    if (emf) {
      size.cx = static_cast<LONG>(static_cast<long long>(w) * ScreenDpi(LOGPIXELSX) / header.inch);
      size.cy = static_cast<LONG>(static_cast<long long>(h) * ScreenDpi(LOGPIXELSY) / header.inch);
      if (size.cx <= 0 || size.cy <= 0 || size.cx > 16384 || size.cy > 16384) size = EnhMetaFileSize(emf.get());
    }
    return emf;
  }
  fw::EnhMetaFileHandle emf(::SetWinMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data(), nullptr, nullptr));
  if (emf) size = EnhMetaFileSize(emf.get());
  return emf;
}

}  // namespace

// ---------------------------------------------------------------- helpers

std::string ExtractExtension(const std::string& name) {
  std::size_t dot = std::string::npos;
  for (std::size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (fw::IsLeadByte(c) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (c == '.')
      dot = i;
    else if (c == '\\' || c == ':')
      dot = std::string::npos;
  }
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

namespace {
std::string FoldAscii(const std::string& s, bool upper) {
  std::string out = s;
  for (std::size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (fw::IsLeadByte(c)) {
      ++i;  // the second byte belongs to the character
      continue;
    }
    if (upper && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}
}  // namespace

std::string AsciiLower(const std::string& s) { return FoldAscii(s, false); }
std::string AsciiUpper(const std::string& s) { return FoldAscii(s, true); }

bool IsBuiltInPictureExtension(const std::string& ext) {
  return ext == ".BMP" || ext == ".ICO" || ext == ".WMF" || ext == ".EMF";
}

std::size_t DibInfoSize(const BITMAPINFOHEADER& h) noexcept {
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 4096) return 0;
  std::size_t colours = h.biClrUsed;
  if (colours == 0 && h.biBitCount <= 8) colours = std::size_t{1} << h.biBitCount;
  if (colours > 256 && h.biBitCount <= 8) return 0;
  std::size_t masks = (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) ? 3 : 0;
  if (colours > 65536) return 0;
  return h.biSize + (colours + masks) * sizeof(RGBQUAD);
}

std::size_t DibBitsSize(const BITMAPINFOHEADER& h, std::int32_t rows) noexcept {
  if (h.biWidth <= 0 || h.biPlanes != 1 || rows <= 0) return 0;
  switch (h.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return 0;
  }
  if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) {
    // Compressed rows: only the block's own stated size can be checked.
    return h.biSizeImage;
  }
  std::int32_t dibRows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  std::int32_t used = std::min(rows, dibRows);
  if (used <= 0) return 0;
  unsigned long long stride = ((static_cast<unsigned long long>(h.biWidth) * h.biBitCount + 31) / 32) * 4;
  unsigned long long total = stride * static_cast<unsigned long long>(used);
  if (total > 0x7FFFFFFFull) return 0;
  return static_cast<std::size_t>(total);
}

// ---------------------------------------------------------------- SpiPlugin

SpiPlugin::~SpiPlugin() {
  std::unique_ptr<SpiPlugin> rest = std::move(next);
  while (rest) rest = std::move(rest->next);
}

// ---------------------------------------------------------------- SpiLoader

SpiLoader::~SpiLoader() { Discard(); }

void SpiLoader::Discard() noexcept {
  m_picture.reset();
  m_chosen = nullptr;
  m_last = nullptr;
  m_first.reset();
  m_count = 0;
  m_size = SIZE{0, 0};
}

void SpiLoader::AddPlugin(std::unique_ptr<SpiPlugin> plugin) {
  if (!plugin) return;
  SpiPlugin* raw = plugin.get();
  if (m_last)
    m_last->next = std::move(plugin);
  else
    m_first = std::move(plugin);
  m_last = raw;
  ++m_count;
}

void SpiLoader::LoadPlugins(const std::string& folder) {
  m_folder = folder;
  const std::string prefix = WithDelimiter(folder);
  WIN32_FIND_DATAA found;
  fw::FindHandle find(::FindFirstFileA((prefix + "*.SPI").c_str(), &found));
  if (!find) return;
  // A file that is no library (or lacks one it needs) must fail quietly,
  // not with the system's error box.
  struct QuietErrors {
    DWORD old = 0;
    QuietErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old); }
    ~QuietErrors() { ::SetThreadErrorMode(old, nullptr); }
  } quiet;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    auto plugin = std::make_unique<SpiPlugin>();
    plugin->library.reset(::LoadLibraryA((prefix + found.cFileName).c_str()));
    if (!plugin->library) continue;
    HMODULE m = plugin->library.get();
    plugin->IsSupported = reinterpret_cast<SpiIsSupported>(::GetProcAddress(m, "IsSupported"));
    plugin->GetPictureInfo = reinterpret_cast<SpiGetPictureInfo>(::GetProcAddress(m, "GetPictureInfo"));
    plugin->GetPicture = reinterpret_cast<SpiGetPicture>(::GetProcAddress(m, "GetPicture"));
    plugin->GetPreview = ::GetProcAddress(m, "GetPreview");
    plugin->GetArchiveInfo = ::GetProcAddress(m, "GetArchiveInfo");
    plugin->GetFile = ::GetProcAddress(m, "GetFile");
    // Without both required entry points the record (and with it the library) goes now.
    if (plugin->IsSupported && plugin->GetPicture) AddPlugin(std::move(plugin));
  } while (::FindNextFileA(find.get(), &found));
}

bool SpiLoader::ChoosePlugin(const std::string& path) {
  m_file = path;
  m_extension = AsciiUpper(ExtractExtension(path));
  if (m_extension.size() > kMaxExtension) m_extension.clear();
  m_chosen = nullptr;
  if (IsBuiltInPictureExtension(m_extension)) return true;
  for (SpiPlugin* p = m_first.get(); p; p = p->next.get()) {
    fw::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    // What cannot be opened cannot be decoded by anyone.
    if (!file) return false;
    const DWORD handleValue = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(file.get()));
    if (p->IsSupported(path.c_str(), handleValue) != 0) {
      m_chosen = p;
      return true;
    }
  }
  return false;
}

bool SpiLoader::LoadPicture() {
  m_picture.reset();
  m_size = SIZE{0, 0};
  if (m_file.empty()) return false;
  if (IsBuiltInPictureExtension(m_extension)) return LoadBuiltIn();
  return LoadThroughPlugin();
}

bool SpiLoader::LoadBuiltIn() {
  const char* path = m_file.c_str();
  if (m_extension == ".BMP") {
    m_picture.reset(
        static_cast<HBITMAP>(::LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  } else if (m_extension == ".ICO") {
    fw::IconHandle icon(static_cast<HICON>(::LoadImageA(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE)));
    ICONINFO ii{};
    if (icon && ::GetIconInfo(icon.get(), &ii)) {
      fw::BitmapHandle mask(ii.hbmMask), colour(ii.hbmColor);
      BITMAP bm{};
      if (::GetObjectA(mask.get(), sizeof bm, &bm) == sizeof bm) {
        int w = bm.bmWidth, h = colour ? bm.bmHeight : bm.bmHeight / 2;
        fw::BitmapHandle canvas = MakeCanvas(w, h);
        fw::DCHandle dc(::CreateCompatibleDC(nullptr));
        if (canvas && dc) {
          fw::SelectGuard select(dc.get(), canvas.get());
          RECT r{0, 0, w, h};
          ::FillRect(dc.get(), &r, ::GetSysColorBrush(COLOR_BTNFACE));
          if (::DrawIconEx(dc.get(), 0, 0, icon.get(), w, h, 0, nullptr, DI_NORMAL)) m_picture = std::move(canvas);
        }
      }
    }
  } else {
    SIZE size{0, 0};
    fw::EnhMetaFileHandle emf;
    if (m_extension == ".EMF") {
      emf.reset(::GetEnhMetaFileA(path));
      if (emf) size = EnhMetaFileSize(emf.get());
    } else {
      emf = ReadWindowsMetaFile(m_file, size);
    }
    if (emf && size.cx > 0 && size.cy > 0) m_picture = RenderEnhMetaFile(emf.get(), size.cx, size.cy);
  }
  BITMAP bm{};
  if (!m_picture || ::GetObjectA(m_picture.get(), sizeof bm, &bm) != sizeof bm || bm.bmWidth <= 0 || bm.bmHeight == 0) {
    m_picture.reset();
    return false;
  }
  m_size = SIZE{bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight};
  return true;
}

bool SpiLoader::LoadThroughPlugin() {
  SpiPlugin* p = m_chosen;
  if (!p || !p->GetPicture || !p->GetPictureInfo) return false;

  SusiePictureInfo info{};
  int result = p->GetPictureInfo(m_file.c_str(), 0, 0, &info);
  // The extra information is never used; whatever the answer, a block it
  // handed out is ours to free.
  fw::GlobalHandle extra(info.hInfo);
  extra.reset();
  if (result != 0) return false;
  // A size of nothing (or less) can neither be drawn nor scaled to.
  if (info.width <= 0 || info.height <= 0) return false;

  HANDLE infoHandle = nullptr;
  HANDLE bitsHandle = nullptr;
  result = p->GetPicture(m_file.c_str(), 0, 0, &infoHandle, &bitsHandle, nullptr, 0);
  // Both blocks are ours now, and are freed on every way out.
  fw::GlobalHandle infoBlock(static_cast<HGLOBAL>(infoHandle));
  fw::GlobalHandle bitsBlock(static_cast<HGLOBAL>(bitsHandle));
  if (result != 0 || !infoBlock || !bitsBlock) return false;

  fw::GlobalLockGuard<BITMAPINFO> bmi(infoBlock.get());
  fw::GlobalLockGuard<void> bits(bitsBlock.get());
  if (!bmi || !bits) return false;
  // The blocks come from outside: they must hold what their header claims
  // before the copy reads them.
  const std::size_t infoBytes = ::GlobalSize(infoBlock.get());
  if (infoBytes < sizeof(BITMAPINFOHEADER)) return false;
  const BITMAPINFOHEADER& header = bmi.get()->bmiHeader;
  const std::size_t needInfo = DibInfoSize(header);
  const std::size_t needBits = DibBitsSize(header, info.height);
  if (needInfo == 0 || needInfo > infoBytes || needBits == 0 || needBits > ::GlobalSize(bitsBlock.get())) return false;

  fw::BitmapHandle picture = MakeCanvas(info.width, info.height);
  if (!picture) return false;
  fw::WindowDC screen(nullptr);
  int rows = ::SetDIBits(screen.get(), picture.get(), 0, static_cast<UINT>(info.height), bits.get(), bmi.get(),
                         DIB_RGB_COLORS);
  if (rows <= 0) return false;
  m_picture = std::move(picture);
  m_size = SIZE{info.width, info.height};
  return true;
}

}  // namespace orvane
