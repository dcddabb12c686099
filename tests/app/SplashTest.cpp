// The splash window's arithmetic: the fade weights, the blend of one frame
// (row padding untouched), and the version text read from a program file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Registry.h"
#include "app/Splash.h"
#include "tests/support/TestFiles.h"

namespace memo {
namespace {

TEST(SplashTest, FadeWeightsComeInQuicklyAndEndOnThePicture) {
  struct Case {
    int step, background, picture;
  } cases[] = {
      {0, 255, 0},     // the first frame is the screen alone
      {4, 247, 7},     // (251² / 255 = 247.06), (255² - 251²) / 255 = 7.94
      {128, 63, 191},  // half way the picture already has three quarters
      {252, 0, 254},   // the last fade frame: 3² / 255 rounds down to nothing
      {255, 0, 255},
  };
  for (const Case& c : cases) {
    BlendWeights w = SplashBlendWeights(c.step);
    EXPECT_EQ(w.background, c.background) << c.step;
    EXPECT_EQ(w.picture, c.picture) << c.step;
  }
  // The weights never drop back while the step grows.
  for (int step = 4; step <= 252; step += 4) {
    EXPECT_LE(SplashBlendWeights(step).background, SplashBlendWeights(step - 4).background) << step;
    EXPECT_GE(SplashBlendWeights(step).picture, SplashBlendWeights(step - 4).picture) << step;
  }
}

TEST(SplashTest, BlendMixesColourBytesAndLeavesRowPaddingAlone) {
  // Width 3: nine colour bytes and three padding bytes per row.
  ASSERT_EQ(DibRowBytes24(3), 12u);
  std::vector<unsigned char> composition(24, 200), picture(24, 100);
  for (size_t row = 0; row < 2; ++row) {
    for (size_t i = 9; i < 12; ++i) composition[row * 12 + i] = 0xEE;  // padding
  }
  picture[0] = 255;
  BlendInto(composition.data(), picture.data(), 3, 2, SplashBlendWeights(128));
  EXPECT_EQ(composition[0], (200 * 63 + 255 * 191) / 256);
  EXPECT_EQ(composition[1], (200 * 63 + 100 * 191) / 256);
  EXPECT_EQ(composition[12 + 8], (200 * 63 + 100 * 191) / 256) << "last colour byte of the second row";
  for (size_t row = 0; row < 2; ++row) {
    for (size_t i = 9; i < 12; ++i) EXPECT_EQ(composition[row * 12 + i], 0xEE) << row << "," << i;
  }
  // The first step keeps the screen as it was, up to the division by 256.
  std::vector<unsigned char> screen(12, 255), any(12, 0);
  BlendInto(screen.data(), any.data(), 3, 1, SplashBlendWeights(0));
  EXPECT_EQ(screen[0], 254);
}

TEST(SplashTest, VersionTextFromTheProductVersion) {
  EXPECT_EQ(SplashVersionText(MAKELONG(0, 1), MAKELONG(0, 0)), "Ver 1.0a");
  EXPECT_EQ(SplashVersionText(MAKELONG(0, 2), MAKELONG(0, 16)), "Ver 2.0q");
  EXPECT_EQ(SplashVersionText(MAKELONG(12, 3), MAKELONG(7, 1)), "Ver 3.12b");
  // This program carries the product's version resource, written from the
  // version the build was configured with.
  EXPECT_EQ(FileVersionText(ProgramPath()), MEMOPANE_SPLASH_VERSION_TEXT);
  // A file without one, or no file at all, reads as version 0.0.
  test::TempFolder folder;
  ASSERT_TRUE(test::WriteBytes(folder / "plain.txt", "no resources here"));
  EXPECT_EQ(FileVersionText(folder / "plain.txt"), "Ver 0.0a");
  EXPECT_EQ(FileVersionText(folder / "missing.exe"), "Ver 0.0a");
  EXPECT_EQ(FileVersionText(""), "Ver 0.0a");
}

}  // namespace
}  // namespace memo
