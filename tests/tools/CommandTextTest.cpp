// Recall arithmetic and the cutting of output into lines, without windows.
#include <gtest/gtest.h>

#include "tools/CommandText.h"

namespace {

using orvane::TChunkJoiner;
using orvane::TCommandRecall;

TEST(CommandRecall, UpWalksBackToTheOldestAndStaysThere) {
  std::vector<std::string> lines;
  TCommandRecall recall(lines);
  EXPECT_EQ(recall.Up(), std::nullopt) << "an empty history recalls nothing";
  for (const char* l : {"A", "B", "C"}) recall.Add(l);
  EXPECT_EQ(recall.Up(), "C");
  EXPECT_EQ(recall.Up(), "B");
  EXPECT_EQ(recall.Up(), "A");
  EXPECT_EQ(recall.Up(), std::nullopt) << "a fourth Up keeps the oldest";
  EXPECT_EQ(recall.Pos(), 3);
  // At position N Down leaves the box alone and only steps to N - 1.
  EXPECT_EQ(recall.Down(), std::nullopt);
  EXPECT_EQ(recall.Pos(), 2);
  EXPECT_EQ(recall.Down(), "B");
  EXPECT_EQ(recall.Pos(), 1);
  // At position 1 Down shows the newest again and stays.
  EXPECT_EQ(recall.Down(), "C");
  EXPECT_EQ(recall.Down(), "C");
  EXPECT_EQ(recall.Pos(), 1);
}

TEST(CommandRecall, DownRightAfterEnterDoesNothingAndEscapeGoesToTheNewest) {
  std::vector<std::string> lines;
  TCommandRecall recall(lines);
  for (const char* l : {"A", "B", "C"}) recall.Add(l);
  EXPECT_EQ(recall.Down(), std::nullopt);
  EXPECT_EQ(recall.Pos(), 0);
  recall.Up();
  recall.Up();
  recall.Escape();
  EXPECT_EQ(recall.Pos(), 1);
  EXPECT_EQ(recall.Down(), "C") << "after Escape Down shows the newest";
  recall.Escape();
  EXPECT_EQ(recall.Up(), "B") << "after Escape Up shows the second newest";
  // A new line starts recall afresh, empty lines included.
  recall.Add("");
  EXPECT_EQ(recall.Pos(), 0);
  EXPECT_EQ(recall.Count(), 4);
  EXPECT_EQ(recall.Up(), "");
  EXPECT_EQ(recall.Up(), "C");
}

TEST(CommandRecall, OneLineHistory) {
  std::vector<std::string> lines;
  TCommandRecall recall(lines);
  recall.Add("only");
  // Position N = 1: Down shows nothing and stays at 1.
  EXPECT_EQ(recall.Up(), "only");
  EXPECT_EQ(recall.Down(), std::nullopt);
  EXPECT_EQ(recall.Pos(), 1);
  EXPECT_EQ(recall.Up(), std::nullopt);
}

TEST(ChunkJoiner, TrailBytesWithLeadValuesAreNotMistakenForCutCharacters) {
  // "亜" is 0x88 0x9F and "日" 0x93 0xFA: both trail bytes are lead-byte
  // values, yet the chunks end on whole characters.
  EXPECT_FALSE(orvane::EndsInsideChar("亜"));
  EXPECT_FALSE(orvane::EndsInsideChar("x日"));
  EXPECT_FALSE(orvane::EndsInsideChar("表"));  // 0x95 0x5C: a backslash as trail byte
  EXPECT_TRUE(orvane::EndsInsideChar("x\x88"));
  EXPECT_TRUE(orvane::EndsInsideChar("亜\x93"));
  EXPECT_FALSE(orvane::EndsInsideChar(""));
  TChunkJoiner j;
  EXPECT_EQ(j.Take("ab亜"), "ab亜");
  EXPECT_FALSE(j.Holding());
}

TEST(ChunkJoiner, ACutCharacterIsCompletedFromTheNextChunk) {
  const std::string text = "x日本語";
  TChunkJoiner j;
  // Cut after the lead byte of "本".
  EXPECT_EQ(j.Take(std::string_view(text).substr(0, 4)), "x日");
  EXPECT_TRUE(j.Holding());
  EXPECT_EQ(j.Take(std::string_view(text).substr(4)), "本語");
  EXPECT_EQ(j.Flush(), std::nullopt);
}

TEST(ChunkJoiner, AChunkOfOnlyTheHeldByteMakesNoLineAndALoneByteShowsAtTheEnd) {
  TChunkJoiner j;
  EXPECT_EQ(j.Take("\x93"), std::nullopt) << "nothing whole to show yet";
  EXPECT_EQ(j.Take("\xFA"), "日");
  EXPECT_EQ(j.Take("ab\x88"), "ab");
  auto rest = j.Flush();
  ASSERT_TRUE(rest.has_value());
  EXPECT_EQ(*rest, "\x88");
  EXPECT_FALSE(j.Holding());
}

TEST(ChunkJoiner, TextStopsAtTheFirstZeroByte) {
  TChunkJoiner j;
  using namespace std::string_literals;
  EXPECT_EQ(j.Take("ab\0cd"s), "ab");
  // A lead byte just before a zero byte was cut by the child: shown, not held.
  EXPECT_EQ(j.Take("ab\x88\0"s), "ab\x88");
  EXPECT_FALSE(j.Holding());
  // A held byte in front of a chunk that starts with a zero byte shows alone.
  j.Take("\x88");
  EXPECT_EQ(j.Take("\0x"s), "\x88");
  // An empty chunk is an empty line.
  EXPECT_EQ(j.Take("\0"s), "");
}

}  // namespace
