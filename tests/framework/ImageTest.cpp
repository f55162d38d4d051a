// The picture box: it owns its bitmap, copies what it is asked to copy, and
// draws the picture stretched over its whole client area.
#include <gtest/gtest.h>

#include "framework/base/Handle.h"
#include "framework/ui/Image.h"
#include "tests/framework/ControlTestSupport.h"

namespace {

// A bitmap whose left half is one colour and right half another.
fw::BitmapHandle TwoColours(int width, int height, COLORREF left, COLORREF right) {
  fw::WindowDC screen(nullptr);
  fw::BitmapHandle bmp(::CreateCompatibleBitmap(screen.get(), width, height));
  fw::DCHandle dc(::CreateCompatibleDC(screen.get()));
  fw::SelectGuard select(dc.get(), bmp.get());
  fw::BrushHandle l(::CreateSolidBrush(left)), r(::CreateSolidBrush(right));
  RECT lr{0, 0, width / 2, height}, rr{width / 2, 0, width, height};
  ::FillRect(dc.get(), &lr, l.get());
  ::FillRect(dc.get(), &rr, r.get());
  return bmp;
}

TEST(Image, OwnsItsBitmapAndCopiesOnAssign) {
  controltest::Host host;
  auto* image = controltest::Place<fw::Image>(host.get(), host.get());
  EXPECT_TRUE(image->Empty());
  fw::BitmapHandle mine = TwoColours(20, 10, RGB(255, 0, 0), RGB(0, 0, 255));
  ASSERT_TRUE(image->Assign(mine.get()));
  EXPECT_NE(image->Bitmap(), mine.get());
  EXPECT_EQ(image->PictureSize().cx, 20);
  EXPECT_EQ(image->PictureSize().cy, 10);
  mine.reset();  // the copy lives on
  BITMAP bm{};
  EXPECT_EQ(::GetObjectA(image->Bitmap(), sizeof bm, &bm), static_cast<int>(sizeof bm));
  image->SetBitmap(fw::BitmapHandle());
  EXPECT_TRUE(image->Empty());
  EXPECT_EQ(image->PictureSize().cx, 0);
}

TEST(Image, DrawsThePictureStretchedOverTheWholeBox) {
  controltest::Host host;
  auto* image = controltest::Place<fw::Image>(host.get(), host.get());
  image->SetBounds(0, 0, 120, 40);
  image->SetBitmap(TwoColours(10, 10, RGB(255, 0, 0), RGB(0, 0, 255)));
  ASSERT_NE(image->Handle(), nullptr);
  fw::WindowDC screen(nullptr);
  fw::BitmapHandle target(::CreateCompatibleBitmap(screen.get(), 120, 40));
  fw::DCHandle dc(::CreateCompatibleDC(screen.get()));
  fw::SelectGuard select(dc.get(), target.get());
  ::SendMessageA(image->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
  // The 10-pixel picture covers all 120 pixels: red in the left half, blue in
  // the right (smoothing blends only around the middle).
  EXPECT_EQ(::GetPixel(dc.get(), 2, 2), RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(dc.get(), 35, 38), RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(dc.get(), 85, 2), RGB(0, 0, 255));
  EXPECT_EQ(::GetPixel(dc.get(), 118, 38), RGB(0, 0, 255));
}

}  // namespace
