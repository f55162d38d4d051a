#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "purger/PurgeList.h"

namespace {

std::string Bytes(const purger::PurgeList& l, std::size_t n) { return std::string(l.Data(), n); }

TEST(PurgeList, TwoPathsEndWithDoubleZero) {
  purger::PurgeList l;
  EXPECT_TRUE(l.Empty());
  EXPECT_EQ(Bytes(l, 2), std::string("\0\0", 2));
  ASSERT_TRUE(l.Add("C:\\a.txt"));
  ASSERT_TRUE(l.Add("C:\\b.txt"));
  EXPECT_EQ(Bytes(l, 19), std::string("C:\\a.txt\0C:\\b.txt\0\0", 19));
  EXPECT_EQ(l.Used(), 18u);
  l.Clear();
  EXPECT_TRUE(l.Empty());
  EXPECT_EQ(Bytes(l, 2), std::string("\0\0", 2));
}

TEST(PurgeList, JapanesePathKeptByteForByte) {
  purger::PurgeList l;
  const std::string p = "C:\\ソフト\\表示.txt";  // trail bytes 0x5C inside
  ASSERT_TRUE(l.Add(p.c_str()));
  EXPECT_EQ(Bytes(l, p.size() + 2), p + std::string("\0\0", 2));
}

TEST(PurgeList, OverflowRefusesWholePathAndKeepsTheRest) {
  purger::PurgeList l;
  // 40 paths of 99 bytes + zero = 4000 bytes used.
  std::string p(99, 'x');
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(l.Add(p.c_str()));
  EXPECT_EQ(l.Used(), 4000u);
  // 94 bytes + zero + final zero = 96 more: exactly 4096, fits; 95 does not.
  std::string last(94, 'y');
  std::string tooLong(95, 'z');
  EXPECT_FALSE(l.Add(tooLong.c_str()));
  EXPECT_EQ(l.Used(), 4000u);
  EXPECT_EQ(l.Data()[4000], '\0');
  EXPECT_TRUE(l.Add(last.c_str()));
  EXPECT_EQ(l.Used(), 4095u);
  EXPECT_EQ(l.Data()[4094], '\0');
  EXPECT_EQ(l.Data()[4095], '\0');
  EXPECT_FALSE(l.Add("a"));
  // A path longer than the whole area is refused without reading past it.
  std::string huge(10000, 'h');
  purger::PurgeList fresh;
  EXPECT_FALSE(fresh.Add(huge.c_str()));
  EXPECT_TRUE(fresh.Empty());
}

TEST(PurgeList, EmptyAndNullPathsAreIgnored) {
  purger::PurgeList l;
  l.Add("C:\\a");
  EXPECT_FALSE(l.Add(""));
  EXPECT_FALSE(l.Add(nullptr));
  l.Add("C:\\b");
  EXPECT_EQ(Bytes(l, 10), std::string("C:\\a\0C:\\b\0\0", 10));
}

}  // namespace
