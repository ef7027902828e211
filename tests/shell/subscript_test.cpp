#include "common/test_support.h"
#include "runtime/windows.h"
#include "shell/kit/subscript.h"

namespace mv {
namespace {

using SubscriptTest = test::ProgramTest;

// Columns of the canvas that hold ink in rows top..bottom.
std::pair<int, int> InkColumns(int top, int bottom) {
  int first = -1, last = -1;
  for (int x = 0; x < 200; ++x)
    for (int y = top; y <= bottom; ++y)
      if (rt::CanvasPixel(x, y).red < 20000) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

TEST_F(SubscriptTest, SubscriptSitsBetweenThePiecesAndDropsBelowTheBaseline) {
  rt::OpenWindow(2, "O2", Rect{0, 0, 200, 60}, 6);
  rt::FillWindow(RGBColor{65535, 65535, 65535});
  rt::SetTextFont(rt::FontSpec{"", 14});
  DoSubscript(10, 30, "O", "2", " max", 6);
  int wO = rt::TextWidth("O", rt::TextFont());
  // Below the main baseline only the subscript has ink (the letters sit on it).
  auto [first, last] = InkColumns(32, 36);
  EXPECT_GE(first, 10 + wO - 1);
  EXPECT_LE(last, 10 + wO + rt::TextWidth("2", rt::TextFont()) + 1);
  // The trailing piece continues after the subscript on the first baseline.
  auto [mfirst, mlast] = InkColumns(20, 29);
  EXPECT_EQ(mfirst, InkColumns(18, 29).first);
  EXPECT_GT(mlast, 10 + wO + rt::TextWidth("2", rt::TextFont()) + 10);
}

}  // namespace
}  // namespace mv
