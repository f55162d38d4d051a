// A Susie image-decoder plug-in for the preview's tests. It decodes "OVPX",
// a format of our own: the magic "OVPX", width and height (32-bit little
// endian each), then the colour of the picture's upper half and of its lower
// half (3 bytes each, red green blue). One source builds every variant the
// tests need (SPI_VARIANT); each call is written to the file named by the
// environment variable ORVANE_SPI_LOG, with the handles it hands out, so
// the tests can see who was asked in which order and what was freed.
#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#ifndef SPI_VARIANT
#define SPI_VARIANT 0
#endif
#define SPI_FIXTURE 0    // decodes OVPX
#define SPI_DECLINE 1    // says no to everything
#define SPI_NOPICTURE 2  // accepts everything, exports no GetPicture
#define SPI_ZEROWIDTH 3  // reports a width of 0
#define SPI_FAIL 4       // GetPicture hands out blocks and reports an error
#define SPI_NOBLOCKS 5   // GetPicture reports success and returns no blocks
#define SPI_SHORT 6      // the pixel block is far smaller than the header says
#define SPI_INVERTED 7   // decodes OVPX with the two halves swapped

#ifndef SPI_NAME
#define SPI_NAME "fixture"
#endif

namespace {

#pragma pack(push, 1)
struct PictureInfo {
  std::int32_t left, top, width, height;
  std::uint16_t xDensity, yDensity;
  std::int16_t colorDepth;
  HLOCAL hInfo;
};
#pragma pack(pop)
static_assert(sizeof(PictureInfo) == 26);

struct Ovpx {
  std::int32_t width = 0, height = 0;
  unsigned char top[3] = {}, bottom[3] = {};
};

void Log(const char* fmt, ...) {
  char path[MAX_PATH];
  DWORD n = ::GetEnvironmentVariableA("ORVANE_SPI_LOG", path, sizeof path);
  if (n == 0 || n >= sizeof path) return;
  char line[256];
  int len = std::snprintf(line, sizeof line, "%s ", SPI_NAME);
  va_list args;
  va_start(args, fmt);
  len += std::vsnprintf(line + len, sizeof line - static_cast<size_t>(len) - 2, fmt, args);
  va_end(args);
  line[len++] = '\n';
  HANDLE f = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(f, line, static_cast<DWORD>(len), &written, nullptr);
  ::CloseHandle(f);
}

bool ReadOvpx(const char* name, long offset, Ovpx& out) {
  HANDLE f = ::CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  unsigned char b[18];
  DWORD read = 0;
  bool ok = ::SetFilePointer(f, offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
            ::ReadFile(f, b, sizeof b, &read, nullptr) && read == sizeof b && std::memcmp(b, "OVPX", 4) == 0;
  ::CloseHandle(f);
  if (!ok) return false;
  std::memcpy(&out.width, b + 4, 4);
  std::memcpy(&out.height, b + 8, 4);
  std::memcpy(out.top, b + 12, 3);
  std::memcpy(out.bottom, b + 15, 3);
  return true;
}

}  // namespace

extern "C" {

int WINAPI GetPluginInfo(int infono, LPSTR buf, int buflen) {
  static const char* const kInfo[] = {"00IN", "Orvane test fixture", "*.ovpx", "OVPX picture"};
  if (infono < 0 || infono > 3 || !buf || buflen <= 0) return 0;
  lstrcpynA(buf, kInfo[infono], buflen);
  return lstrlenA(buf);
}

int WINAPI IsSupported(LPCSTR filename, DWORD dw) {
  Log("IsSupported");
  if (!filename) return 0;
#if SPI_VARIANT == SPI_DECLINE
  (void)dw;
  return 0;
#elif SPI_VARIANT == SPI_NOPICTURE
  (void)dw;
  return 1;
#else
  // The second argument carries the handle of the file, opened for reading.
  HANDLE file = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(dw));
  char magic[4];
  DWORD read = 0;
  if (!::ReadFile(file, magic, sizeof magic, &read, nullptr) || read != sizeof magic) return 0;
  return std::memcmp(magic, "OVPX", 4) == 0 ? 1 : 0;
#endif
}

int WINAPI GetPictureInfo(LPCSTR buf, long len, unsigned int flag, PictureInfo* info) {
  Ovpx pic;
  if ((flag & 7) != 0 || !info || !ReadOvpx(buf, len, pic)) {
    Log("GetPictureInfo failed");
    return 2;
  }
  std::memset(info, 0, sizeof *info);
  info->width = pic.width;
  info->height = pic.height;
#if SPI_VARIANT == SPI_ZEROWIDTH
  info->width = 0;
#endif
  info->colorDepth = 24;
  info->hInfo = ::LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, 32);
  Log("GetPictureInfo %p", info->hInfo);
  return 0;
}

#if SPI_VARIANT != SPI_NOPICTURE
int WINAPI GetPicture(LPCSTR buf, long len, unsigned int flag, HANDLE* pHBInfo, HANDLE* pHBm, FARPROC progress,
                      long data) {
  (void)progress;
  (void)data;
  Ovpx pic;
  if ((flag & 7) != 0 || !pHBInfo || !pHBm || !ReadOvpx(buf, len, pic) || pic.width <= 0 || pic.height <= 0) {
    Log("GetPicture failed");
    return 2;
  }
#if SPI_VARIANT == SPI_NOBLOCKS
  *pHBInfo = nullptr;
  *pHBm = nullptr;
  Log("GetPicture none");
  return 0;
#else
#if SPI_VARIANT == SPI_INVERTED
  unsigned char swap[3];
  std::memcpy(swap, pic.top, 3);
  std::memcpy(pic.top, pic.bottom, 3);
  std::memcpy(pic.bottom, swap, 3);
#endif
  const DWORD stride = (static_cast<DWORD>(pic.width) * 3 + 3) & ~3u;
  const DWORD bytes = stride * static_cast<DWORD>(pic.height);
  HLOCAL infoBlock = ::LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER));
#if SPI_VARIANT == SPI_SHORT
  HLOCAL bitsBlock = ::LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, 16);
#else
  HLOCAL bitsBlock = ::LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, bytes);
#endif
  if (!infoBlock || !bitsBlock) {
    if (infoBlock) ::LocalFree(infoBlock);
    if (bitsBlock) ::LocalFree(bitsBlock);
    return 4;
  }
  auto* header = static_cast<BITMAPINFOHEADER*>(::LocalLock(infoBlock));
  header->biSize = sizeof *header;
  header->biWidth = pic.width;
  header->biHeight = pic.height;  // bottom-up rows
  header->biPlanes = 1;
  header->biBitCount = 24;
  header->biCompression = BI_RGB;
  header->biSizeImage = bytes;
  ::LocalUnlock(infoBlock);
#if SPI_VARIANT != SPI_SHORT
  auto* rows = static_cast<unsigned char*>(::LocalLock(bitsBlock));
  for (std::int32_t y = 0; y < pic.height; ++y) {
    // Row 0 is the bottom row; the lower half takes the second colour.
    const unsigned char* rgb = y < pic.height / 2 ? pic.bottom : pic.top;
    unsigned char* row = rows + static_cast<DWORD>(y) * stride;
    for (std::int32_t x = 0; x < pic.width; ++x) {
      row[x * 3 + 0] = rgb[2];
      row[x * 3 + 1] = rgb[1];
      row[x * 3 + 2] = rgb[0];
    }
  }
  ::LocalUnlock(bitsBlock);
#endif
  *pHBInfo = infoBlock;
  *pHBm = bitsBlock;
  Log("GetPicture %p %p", infoBlock, bitsBlock);
#if SPI_VARIANT == SPI_FAIL
  return 1;
#else
  return 0;
#endif
#endif
}
#endif

}  // extern "C"
