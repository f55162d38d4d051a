#include <gtest/gtest.h>

#include "framework/base/Mbcs.h"
#include "framework/base/Set.h"

namespace {

TEST(Mbcs, TrailByte5CIsNotABackslash) {
  // "ソ" is 0x83 0x5C in Shift-JIS: its second byte must not count as a separator.
  std::string so = "C:\\ソ";
  ASSERT_EQ(so.size(), 5u);
  EXPECT_FALSE(fw::EndsWithChar(so, '\\'));
  EXPECT_TRUE(fw::EndsWithChar(so + "\\", '\\'));
  EXPECT_EQ(fw::FindLastChar(so, '\\'), 2u);
  EXPECT_EQ(fw::LastCharPos(so), 3u);
  EXPECT_EQ(fw::LastCharPos(""), std::string::npos);
}

TEST(Mbcs, SameTextIgnoresCaseOnly) {
  EXPECT_TRUE(fw::SameText("SComboLeft", "scomboleft"));
  EXPECT_FALSE(fw::SameText("SComboLeft", "SComboTop"));
  EXPECT_TRUE(fw::SameText("ホーム", "ホーム"));
}

enum class Kind { a, b, c, d, e, f, g, h };
TEST(SetBits, OrdinalNIsBitN) {
  fw::Set<Kind> s{Kind::g, Kind::h};
  EXPECT_EQ(s.ToBits(), 192u);
  EXPECT_TRUE(s.Contains(Kind::g));
  EXPECT_FALSE(s.Contains(Kind::a));
  EXPECT_EQ((s - fw::Set<Kind>{Kind::g}).ToBits(), 128u);
}

}  // namespace
