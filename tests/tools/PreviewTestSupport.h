#pragma once
// Support for the preview's tests: the fixture plug-ins built beside the
// test program, copied into a test's own folder, the log they write, and
// pictures in the fixture's own format.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace previewtest {

// Copies the fixture plug-in variant (fixture, decline, nopicture,
// zerowidth, failing, noblocks, short, inverted) into folder under name
// (for example "a.SPI"); returns the copy's full path.
std::string InstallPlugin(const std::string& variant, const std::string& folder, const std::string& name);

// Writes an OVPX picture: width x height, upper half top, lower half bottom (RGB).
void WriteOvpx(const std::string& path, std::int32_t width, std::int32_t height, COLORREF top, COLORREF bottom);
// Writes a 24-bit Windows bitmap of one colour.
void WriteBmp(const std::string& path, int width, int height, COLORREF colour);

// Points the plug-ins' call log at a file for the life of the object.
class PluginLog {
 public:
  explicit PluginLog(const std::string& path);
  ~PluginLog();
  PluginLog(const PluginLog&) = delete;
  PluginLog& operator=(const PluginLog&) = delete;
  // The lines written so far ("<variant> <call> [handles]").
  std::vector<std::string> Lines() const;
  // Every handle the plug-ins wrote into the log.
  std::vector<HANDLE> Handles() const;

 private:
  std::string m_path;
};

// True when a handle names no live memory block any more.
bool BlockFreed(HANDLE h);

// Colour of a bitmap's pixel (x, y from the top left).
COLORREF PixelOf(HBITMAP bitmap, int x, int y);

}  // namespace previewtest
