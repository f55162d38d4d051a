// The bookmark file with generated lines: whatever a user's tabs hold comes
// back line for line.
#include <gtest/gtest.h>

#include <random>

#include "app/Siori.h"
#include "framework/base/Exception.h"
#include "framework/base/Handle.h"
#include "tests/common/TempDir.h"

namespace {

TEST(SioriFile, GeneratedLinesRoundTrip) {
  testsupport::TempDir dir;
  const std::string path = dir / "siori.dat";
  const std::vector<std::string> pieces = {"C:\\",          "ソ", "表", "\x88", "\x81",        "]", "=", " ", "",
                                           "\\\\srv\\共有", "a",  "\t", "\x5C", "\xEF\xBB\xBF"};
  std::mt19937 rng(1208);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> lines(rng() % 6);
    for (auto& l : lines)
      for (int n = static_cast<int>(rng() % 5); n > 0; --n) l += pieces[rng() % pieces.size()];
    orvane::SaveSioriFile(path, lines);
    ASSERT_EQ(orvane::LoadSioriFile(path), lines) << "round " << round;
  }
}

TEST(SioriFile, HeldFileIsWaitedForThenReported) {
  testsupport::TempDir dir;
  const std::string path = dir / "siori.dat";
  orvane::SaveSioriFile(path, {"C:\\a"});
  fw::FileHandle held(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held.valid());
  EXPECT_THROW(orvane::LoadSioriFile(path), fw::Exception);
  EXPECT_THROW(orvane::SaveSioriFile(path, {"C:\\b"}), fw::Exception);
  held.reset();
  EXPECT_EQ(orvane::LoadSioriFile(path), std::vector<std::string>{"C:\\a"});
}

}  // namespace

namespace {

TEST(SioriFile, LineEndingsOfEveryKindAndJapanesePathsAreRead) {
  testsupport::TempDir dir;
  const std::string path = dir / "siori.dat";
  testsupport::WriteFile(path, "C:\\ソフト\nD:\\表\r\nE:\\x\rF:\\last");
  EXPECT_EQ(orvane::LoadSioriFile(path), (std::vector<std::string>{"C:\\ソフト", "D:\\表", "E:\\x", "F:\\last"}));
  testsupport::WriteFile(path, "");
  EXPECT_TRUE(orvane::LoadSioriFile(path).empty());
  // Written back, every line ends with CR LF, the last one too.
  orvane::SaveSioriFile(path, {"C:\\ソフト", "", "D:\\表"});
  EXPECT_EQ(testsupport::ReadFile(path), "C:\\ソフト\r\n\r\nD:\\表\r\n");
}

TEST(SioriFile, SavingReplacesTheWholeFileAndNeverLeavesItHalfWritten) {
  testsupport::TempDir dir;
  const std::string path = dir / "siori.dat";
  orvane::SaveSioriFile(path, {"C:\\old"});
  {
    // Another instance reading it at this moment (readers share deletion).
    fw::FileHandle reader(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader.valid());
    orvane::SaveSioriFile(path, {"C:\\new", "C:\\more"});
  }
  EXPECT_EQ(testsupport::ReadFile(path), "C:\\new\r\nC:\\more\r\n");

  // A file that cannot be replaced keeps what it held, and no temporary file is left.
  fw::FileHandle holder(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder.valid());
  EXPECT_THROW(orvane::SaveSioriFile(path, {"C:\\lost"}), fw::Exception);
  holder.reset();
  EXPECT_EQ(testsupport::ReadFile(path), "C:\\new\r\nC:\\more\r\n");
  WIN32_FIND_DATAA fd;
  HANDLE find = ::FindFirstFileA((dir / "*.tmp").c_str(), &fd);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE) << fd.cFileName;
  if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
}

}  // namespace
