#include "tests/tools/PreviewTestSupport.h"

#include <cstdlib>
#include <sstream>

#include "framework/base/Handle.h"
#include "tests/common/TempDir.h"

namespace previewtest {

std::string InstallPlugin(const std::string& variant, const std::string& folder, const std::string& name) {
  char exe[MAX_PATH];
  DWORD n = ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe, n);
  dir = dir.substr(0, dir.find_last_of('\\') + 1);
  std::string target = folder + "\\" + name;
  ::CopyFileA((dir + "spi_" + variant + ".dll").c_str(), target.c_str(), FALSE);
  return target;
}

void WriteOvpx(const std::string& path, std::int32_t width, std::int32_t height, COLORREF top, COLORREF bottom) {
  std::string bytes = "OVPX";
  bytes.append(reinterpret_cast<const char*>(&width), 4);
  bytes.append(reinterpret_cast<const char*>(&height), 4);
  for (COLORREF c : {top, bottom}) {
    bytes += static_cast<char>(GetRValue(c));
    bytes += static_cast<char>(GetGValue(c));
    bytes += static_cast<char>(GetBValue(c));
  }
  testsupport::WriteFile(path, bytes);
}

void WriteBmp(const std::string& path, int width, int height, COLORREF colour) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(stride * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  std::string row(static_cast<size_t>(stride), '\0');
  for (int x = 0; x < width; ++x) {
    row[static_cast<size_t>(x * 3)] = static_cast<char>(GetBValue(colour));
    row[static_cast<size_t>(x * 3 + 1)] = static_cast<char>(GetGValue(colour));
    row[static_cast<size_t>(x * 3 + 2)] = static_cast<char>(GetRValue(colour));
  }
  for (int y = 0; y < height; ++y) bytes += row;
  testsupport::WriteFile(path, bytes);
}

PluginLog::PluginLog(const std::string& path) : m_path(path) {
  ::DeleteFileA(path.c_str());
  ::SetEnvironmentVariableA("ORVANE_SPI_LOG", path.c_str());
}

PluginLog::~PluginLog() { ::SetEnvironmentVariableA("ORVANE_SPI_LOG", nullptr); }

std::vector<std::string> PluginLog::Lines() const {
  std::vector<std::string> lines;
  std::istringstream in(testsupport::ReadFile(m_path));
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::vector<HANDLE> PluginLog::Handles() const {
  std::vector<HANDLE> handles;
  for (const std::string& line : Lines()) {
    std::istringstream words(line);
    std::string word;
    words >> word >> word;  // variant and call
    while (words >> word) {
      // Handles are written as eight hexadecimal digits; words are not.
      if (word.size() != 8 || word.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) continue;
      unsigned long value = std::strtoul(word.c_str(), nullptr, 16);
      if (value) handles.push_back(reinterpret_cast<HANDLE>(value));
    }
  }
  return handles;
}

bool BlockFreed(HANDLE h) {
  // A freed movable handle has no size and no lock state any more.
  return ::GlobalSize(static_cast<HGLOBAL>(h)) == 0;
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
  fw::DCHandle dc(::CreateCompatibleDC(nullptr));
  fw::SelectGuard select(dc.get(), bitmap);
  return ::GetPixel(dc.get(), x, y);
}

}  // namespace previewtest
