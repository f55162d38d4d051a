// The plug-in loader and the helpers the preview decides with: the
// extension-list walk, extensions and case in Shift-JIS names, the plug-ins'
// record layout, which libraries stay loaded, which plug-in is chosen, and
// what happens to everything a plug-in hands out when decoding fails.
#include <gtest/gtest.h>

#include <cstddef>

#include "tests/common/TempDir.h"
#include "tests/tools/PreviewTestSupport.h"
#include "tools/Preview.h"
#include "tools/PreviewTab.h"

namespace {

using orvane::SpiLoader;
using previewtest::InstallPlugin;
using previewtest::PluginLog;
using previewtest::WriteOvpx;

TEST(PreviewText, ExtensionListWalk) {
  const std::string def = orvane::kDefaultTextExtensions;
  EXPECT_TRUE(orvane::TextListMatches(def, ".txt"));
  EXPECT_TRUE(orvane::TextListMatches(def, ".ini"));
  EXPECT_FALSE(orvane::TextListMatches(def, ".ht"));  // whole entries only
  EXPECT_FALSE(orvane::TextListMatches(def, ""));     // a name without an extension
  // The list is compared exactly: an entry in capitals never matches the
  // lower-cased extension.
  EXPECT_FALSE(orvane::TextListMatches(".TXT;", ".txt"));
  // The last entry counts only with its ";".
  EXPECT_TRUE(orvane::TextListMatches(".txt;.log", ".txt"));
  EXPECT_FALSE(orvane::TextListMatches(".txt;.log", ".log"));
  // An empty entry ends the list, also at its start.
  EXPECT_FALSE(orvane::TextListMatches(";.txt;", ".txt"));
  EXPECT_FALSE(orvane::TextListMatches(".txt;;.log;", ".log"));
}

TEST(PreviewText, ExtensionsAndCaseLeaveTwoByteCharactersWhole) {
  EXPECT_EQ(orvane::ExtractExtension("readme.TXT"), ".TXT");
  EXPECT_EQ(orvane::ExtractExtension("a.b\\name"), "");
  EXPECT_EQ(orvane::ExtractExtension("noext"), "");
  // "ア" is 0x83 0x41: its second byte is an "A" that must not be folded.
  const std::string a = "\x83\x41";
  EXPECT_EQ(orvane::AsciiLower(a + ".TXT"), a + ".txt");
  EXPECT_EQ(orvane::AsciiUpper("\x83\x61.bmp"), "\x83\x61.BMP");
  // "ソ" (0x83 0x5C) ends in a backslash byte that is no folder delimiter.
  EXPECT_EQ(orvane::ExtractExtension("\x83\x5C.txt"), ".txt");
}

TEST(PreviewText, LineBreaksBecomeCrLfAndTheTextEndsAtAZeroByte) {
  const char text[] = "a\nb\r\nc\rd\r\r\ne";
  EXPECT_EQ(orvane::ToBoxLineBreaks(text, sizeof text - 1), "a\r\nb\r\nc\r\nd\r\n\r\ne");
  const char binary[] = {'x', '\n', '\0', 'y'};
  EXPECT_EQ(orvane::ToBoxLineBreaks(binary, sizeof binary), "x\r\n");
}

TEST(SpiLoader, PictureInformationRecordLayout) {
  EXPECT_EQ(sizeof(orvane::SusiePictureInfo), 26u);
  EXPECT_EQ(offsetof(orvane::SusiePictureInfo, left), 0u);
  EXPECT_EQ(offsetof(orvane::SusiePictureInfo, top), 4u);
  EXPECT_EQ(offsetof(orvane::SusiePictureInfo, width), 8u);
  EXPECT_EQ(offsetof(orvane::SusiePictureInfo, height), 12u);
  EXPECT_EQ(offsetof(orvane::SusiePictureInfo, xDensity), 16u);
  EXPECT_EQ(offsetof(orvane::SusiePictureInfo, yDensity), 18u);
  EXPECT_EQ(offsetof(orvane::SusiePictureInfo, colorDepth), 20u);
  EXPECT_EQ(offsetof(orvane::SusiePictureInfo, hInfo), 22u);
}

TEST(SpiLoader, KeepsOnlyLibrariesWithBothRequiredEntryPointsAndUnloadsAllAtTheEnd) {
  testsupport::TempDir dir;
  const std::string good = InstallPlugin("fixture", dir.Path(), "good.SPI");
  const std::string lacking = InstallPlugin("nopicture", dir.Path(), "lacking.spi");
  testsupport::WriteFile(dir / "junk.SPI", "not a library");
  ::CreateDirectoryA((dir / "folder.spi").c_str(), nullptr);
  testsupport::WriteFile(dir / "other.dll", "ignored");
  {
    SpiLoader loader;
    loader.LoadPlugins(dir.Path());
    EXPECT_EQ(loader.Count(), 1);
    ASSERT_NE(loader.First(), nullptr);
    EXPECT_EQ(loader.First()->next, nullptr);
    EXPECT_NE(loader.First()->GetPictureInfo, nullptr);
    EXPECT_EQ(loader.First()->GetPreview, nullptr);
    EXPECT_NE(::GetModuleHandleA(good.c_str()), nullptr);
    // The one without GetPicture went at once, while the loader still lives.
    EXPECT_EQ(::GetModuleHandleA(lacking.c_str()), nullptr);
  }
  EXPECT_EQ(::GetModuleHandleA(good.c_str()), nullptr);
}

TEST(SpiLoader, AMissingFolderLoadsNothing) {
  testsupport::TempDir dir;
  SpiLoader loader;
  loader.LoadPlugins(dir / "missing");
  EXPECT_EQ(loader.Count(), 0);
  EXPECT_FALSE(loader.ChoosePlugin(dir / "x.ovpx"));
}

TEST(SpiLoader, TheFirstAcceptingPluginInEnumerationOrderIsChosen) {
  testsupport::TempDir dir;
  PluginLog log(dir / "calls.log");
  ::CreateDirectoryA((dir / "spi").c_str(), nullptr);
  InstallPlugin("decline", dir / "spi", "a.SPI");
  InstallPlugin("fixture", dir / "spi", "b.SPI");
  InstallPlugin("inverted", dir / "spi", "c.SPI");
  WriteOvpx(dir / "pic.ovpx", 4, 4, RGB(255, 0, 0), RGB(0, 0, 255));

  // The order the folder enumerates in decides, whatever it is.
  std::vector<std::string> order;
  WIN32_FIND_DATAA fd;
  HANDLE find = ::FindFirstFileA((dir / "spi\\*.SPI").c_str(), &fd);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    std::string n = fd.cFileName;
    order.push_back(n == "a.SPI" ? "decline" : n == "b.SPI" ? "fixture" : "inverted");
  } while (::FindNextFileA(find, &fd));
  ::FindClose(find);
  ASSERT_EQ(order.size(), 3u);
  std::vector<std::string> expectedAsked;
  for (const std::string& v : order) {
    expectedAsked.push_back(v + " IsSupported");
    if (v != "decline") break;
  }
  const std::string winner = expectedAsked.back().substr(0, expectedAsked.back().find(' '));

  SpiLoader loader;
  loader.LoadPlugins(dir / "spi");
  ASSERT_EQ(loader.Count(), 3);
  ASSERT_TRUE(loader.ChoosePlugin(dir / "pic.ovpx"));
  EXPECT_EQ(loader.Extension(), ".OVPX");
  EXPECT_EQ(log.Lines(), expectedAsked);
  ASSERT_TRUE(loader.LoadPicture());
  // The fixture paints the upper half red; the inverted one blue.
  COLORREF top = previewtest::PixelOf(loader.Picture(), 0, 0);
  EXPECT_EQ(top, winner == "fixture" ? RGB(255, 0, 0) : RGB(0, 0, 255));
}

TEST(SpiLoader, DecodesThroughTheFixtureAndFreesEveryBlock) {
  testsupport::TempDir dir;
  PluginLog log(dir / "calls.log");
  InstallPlugin("fixture", dir.Path(), "fixture.SPI");
  WriteOvpx(dir / "wide.ovpx", 200, 100, RGB(10, 200, 30), RGB(250, 250, 0));
  SpiLoader loader;
  loader.LoadPlugins(dir.Path());
  ASSERT_TRUE(loader.ChoosePlugin(dir / "wide.ovpx"));
  ASSERT_TRUE(loader.LoadPicture());
  EXPECT_EQ(loader.PictureSize().cx, 200);
  EXPECT_EQ(loader.PictureSize().cy, 100);
  BITMAP bm{};
  ASSERT_EQ(::GetObjectA(loader.Picture(), sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 200);
  EXPECT_EQ(std::abs(bm.bmHeight), 100);
  // Rows arrive bottom-up: the upper half must still be on top.
  EXPECT_EQ(previewtest::PixelOf(loader.Picture(), 0, 0), RGB(10, 200, 30));
  EXPECT_EQ(previewtest::PixelOf(loader.Picture(), 199, 99), RGB(250, 250, 0));
  // Extra information, information block and pixel block: three handles, all freed.
  std::vector<HANDLE> handles = log.Handles();
  ASSERT_EQ(handles.size(), 3u);
  for (HANDLE h : handles) EXPECT_TRUE(previewtest::BlockFreed(h)) << h;
}

// Plug-ins that misbehave: none of them yields a picture, and whatever they
// handed out is freed.
TEST(SpiLoader, MisbehavingPluginsYieldNoPictureAndLeaveNothingAllocated) {
  struct Case {
    const char* variant;
    size_t handles;  // handed out before the loader gives up
    bool getPictureCalled;
  };
  for (const Case& c :
       {Case{"zerowidth", 1, false}, Case{"failing", 3, true}, Case{"noblocks", 1, true}, Case{"short", 3, true}}) {
    SCOPED_TRACE(c.variant);
    testsupport::TempDir dir;
    PluginLog log(dir / "calls.log");
    InstallPlugin(c.variant, dir.Path(), "p.SPI");
    WriteOvpx(dir / "pic.ovpx", 20, 10, RGB(1, 2, 3), RGB(4, 5, 6));
    SpiLoader loader;
    loader.LoadPlugins(dir.Path());
    ASSERT_TRUE(loader.ChoosePlugin(dir / "pic.ovpx"));
    EXPECT_FALSE(loader.LoadPicture());
    EXPECT_EQ(loader.Picture(), nullptr);
    bool called = false;
    for (const std::string& line : log.Lines()) called |= line.find("GetPicture ") != std::string::npos;
    EXPECT_EQ(called, c.getPictureCalled);
    std::vector<HANDLE> handles = log.Handles();
    EXPECT_EQ(handles.size(), c.handles);
    for (HANDLE h : handles) EXPECT_TRUE(previewtest::BlockFreed(h)) << h;
  }
}

TEST(SpiLoader, BuiltInFormatsNeedNoPluginAndNeverFallBackToOne) {
  testsupport::TempDir dir;
  PluginLog log(dir / "calls.log");
  InstallPlugin("fixture", dir.Path(), "fixture.SPI");
  previewtest::WriteBmp(dir / "blue.Bmp", 30, 20, RGB(0, 0, 255));
  // An OVPX picture under a bitmap's name: the fixture could read it, but
  // built-in extensions are never offered to plug-ins.
  WriteOvpx(dir / "fake.bmp", 8, 8, RGB(1, 1, 1), RGB(2, 2, 2));
  {
    SpiLoader none;  // no plug-ins at all
    ASSERT_TRUE(none.ChoosePlugin(dir / "blue.Bmp"));
    EXPECT_EQ(none.Chosen(), nullptr);
    ASSERT_TRUE(none.LoadPicture());
    EXPECT_EQ(none.PictureSize().cx, 30);
    EXPECT_EQ(none.PictureSize().cy, 20);
    EXPECT_EQ(previewtest::PixelOf(none.Picture(), 5, 5), RGB(0, 0, 255));
  }
  SpiLoader loader;
  loader.LoadPlugins(dir.Path());
  ASSERT_TRUE(loader.ChoosePlugin(dir / "fake.bmp"));
  EXPECT_FALSE(loader.LoadPicture());
  EXPECT_TRUE(log.Lines().empty());

  // An enhanced metafile is drawn at its frame's size.
  HDC rec = ::CreateEnhMetaFileA(nullptr, (dir / "pic.emf").c_str(), nullptr, nullptr);
  ASSERT_NE(rec, nullptr);
  ::Rectangle(rec, 0, 0, 60, 40);
  ::DeleteEnhMetaFile(::CloseEnhMetaFile(rec));
  ASSERT_TRUE(loader.ChoosePlugin(dir / "pic.emf"));
  ASSERT_TRUE(loader.LoadPicture());
  EXPECT_GT(loader.PictureSize().cx, loader.PictureSize().cy);
}

// An icon file of one 16 x 16 image, 32 bits per pixel, all of one colour.
std::string IconFile(COLORREF colour) {
  const int size = 16;
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = size;
  h.biHeight = size * 2;  // colour rows and mask rows
  h.biPlanes = 1;
  h.biBitCount = 32;
  std::string image(reinterpret_cast<const char*>(&h), sizeof h);
  for (int i = 0; i < size * size; ++i) {
    const char px[4] = {static_cast<char>(GetBValue(colour)), static_cast<char>(GetGValue(colour)),
                        static_cast<char>(GetRValue(colour)), static_cast<char>(0xFF)};
    image.append(px, 4);
  }
  image.append(static_cast<size_t>(size * 4), '\0');  // mask rows of 4 bytes: all opaque
  std::string file("\0\0\1\0\1\0", 6);
  const unsigned char entry[16] = {size, size, 0, 0, 1, 0, 32, 0};
  std::string dirEntry(reinterpret_cast<const char*>(entry), 16);
  const DWORD bytes = static_cast<DWORD>(image.size()), offset = 6 + 16;
  dirEntry.replace(8, 4, reinterpret_cast<const char*>(&bytes), 4);
  dirEntry.replace(12, 4, reinterpret_cast<const char*>(&offset), 4);
  return file + dirEntry + image;
}

// A placeable metafile: a frame of 200 x 100 units at 100 units per inch.
std::string PlaceableMetaFile() {
  HDC rec = ::CreateMetaFileA(nullptr);
  ::Rectangle(rec, 0, 0, 200, 100);
  HMETAFILE mf = ::CloseMetaFile(rec);
  std::string bits(::GetMetaFileBitsEx(mf, 0, nullptr), '\0');
  ::GetMetaFileBitsEx(mf, static_cast<UINT>(bits.size()), bits.data());
  ::DeleteMetaFile(mf);
  std::uint16_t head[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 200, 100, 100, 0, 0, 0};
  std::uint16_t sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= head[i];
  head[10] = sum;
  return std::string(reinterpret_cast<const char*>(head), sizeof head) + bits;
}

TEST(SpiLoader, IconsAndPlaceableMetafilesAreReadWithoutPlugins) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "red.ico", IconFile(RGB(255, 0, 0)));
  testsupport::WriteFile(dir / "frame.WMF", PlaceableMetaFile());
  SpiLoader loader;
  ASSERT_TRUE(loader.ChoosePlugin(dir / "red.ico"));
  ASSERT_TRUE(loader.LoadPicture());
  EXPECT_EQ(loader.PictureSize().cx, 16);
  EXPECT_EQ(loader.PictureSize().cy, 16);
  EXPECT_EQ(previewtest::PixelOf(loader.Picture(), 8, 8), RGB(255, 0, 0));
  ASSERT_TRUE(loader.ChoosePlugin(dir / "frame.WMF"));
  ASSERT_TRUE(loader.LoadPicture());
  // Two inches by one, whatever the screen's resolution.
  EXPECT_EQ(loader.PictureSize().cx, 2 * loader.PictureSize().cy);
  EXPECT_GT(loader.PictureSize().cy, 0);
}

TEST(SpiLoader, ExtensionsKeepAtMost31Characters) {
  testsupport::TempDir dir;
  SpiLoader loader;
  loader.ChoosePlugin(dir / ("x." + std::string(30, 'a')));
  EXPECT_EQ(loader.Extension(), "." + std::string(30, 'A'));
  // One more and the name counts as having none (no built-in format, no
  // cut-off that could look like one).
  loader.ChoosePlugin(dir / ("x." + std::string(31, 'a')));
  EXPECT_EQ(loader.Extension(), "");
}

}  // namespace
