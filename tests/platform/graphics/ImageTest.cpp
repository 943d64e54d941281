#include "platform/graphics/Image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "tests/platform/graphics/PixelTestSupport.h"

namespace gfx {
namespace {

using namespace gfx::testing;

// A 5 x 5 picture for nine-slice tests: red corners, green edges, a blue centre.
Image ninePatch() {
  std::vector<uint32_t> px(25);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      bool edgeX = x != 2, edgeY = y != 2;
      px[y * 5 + x] = edgeX && edgeY ? kRed : (edgeX || edgeY ? kGreen : kBlue);
    }
  return Image::fromArgb(5, 5, px);
}

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // One folder per test: ctest runs the tests of this program in parallel processes.
    bundle_ = VERDAN_BINARY_DIR;
    bundle_ += "/graphics-test-bundle/";
    bundle_ += ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(bundle_);
    std::filesystem::create_directories(bundle_);
    previous_ = foundation::bundleDir();
    foundation::setBundleDir(bundle_);
    Image::clearNamedCache();
    foundation::setLogSink([this](foundation::LogLevel level, const std::string& line) {
      if (level == foundation::LogLevel::Error) errors_.push_back(line);
    });
  }
  void TearDown() override {
    foundation::setLogSink(nullptr);
    foundation::setBundleDir(previous_);
    Image::clearNamedCache();
  }

  std::string bundle_, previous_;
  std::vector<std::string> errors_;
};

TEST_F(ImageTest, NamedImagesLoadFromTheBundleWithNonAsciiNames) {
  Image src = Image::fromArgb(3, 2, {kRed, kGreen, kBlue, kWhite, kBlack, 0x80ff0000});
  ASSERT_TRUE(src.writePng(bundle_ + "/标题栏.png"));
  Image a = Image::named("标题栏.png");
  ASSERT_FALSE(a.isEmpty());
  EXPECT_EQ(a.size(), Size(3, 2));
  EXPECT_EQ(a.name(), "标题栏.png");
  EXPECT_EQ(a.pixelArgb(2, 0), kBlue);
  EXPECT_EQ(a.pixelArgb(2, 1), 0x80ff0000u);  // straight alpha survives the round trip
  // Without the extension, and cached (same pixels shared).
  Image b = Image::named("标题栏");
  EXPECT_EQ(b.pixelArgb(0, 0), kRed);
  EXPECT_EQ(Image::named("标题栏.png"), a);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(ImageTest, DoubleDensityFileServesThePlainName) {
  ASSERT_TRUE(
      Image::fromArgb(4, 2, std::vector<uint32_t>(8, kRed)).writePng(bundle_ + "/btn@2x.png"));
  Image img = Image::named("btn.png");
  ASSERT_FALSE(img.isEmpty());
  EXPECT_EQ(img.scale(), 2);
  EXPECT_EQ(img.size(), Size(2, 1));
  EXPECT_EQ(img.pixelWidth(), 4);
}

TEST_F(ImageTest, MissingOrBrokenImagesAreEmptyAndLoggedOnce) {
  Image missing = Image::named("nothing-here.png");
  EXPECT_TRUE(missing.isEmpty());
  EXPECT_EQ(missing.size(), Size());
  Image::named("nothing-here.png");  // cached: no second line
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].rfind("!!!!!!!", 0), 0u);
  EXPECT_NE(errors_[0].find("nothing-here.png"), std::string::npos);

  std::ofstream(bundle_ + "/broken.png") << "not a png at all";
  EXPECT_TRUE(Image::named("broken.png").isEmpty());
  EXPECT_EQ(errors_.size(), 2u);
  EXPECT_TRUE(Image::fromPngData("\x89PNG", 4).isEmpty());
  EXPECT_TRUE(Image::fromPngData(nullptr, 0).isEmpty());
  // Empty images are harmless everywhere.
  Image empty;
  EXPECT_EQ(empty.pixelArgb(0, 0), 0u);
  EXPECT_TRUE(empty.stretchable(2, 2).isEmpty());
  EXPECT_TRUE(empty.scaled(Size(4, 4)).isEmpty());
  EXPECT_TRUE(empty.pngData().empty());
  EXPECT_FALSE(empty.writePng(bundle_ + "/x.png"));
}

TEST_F(ImageTest, PngBytesRoundTrip) {
  Image src = ninePatch();
  std::vector<uint8_t> png = src.pngData();
  ASSERT_FALSE(png.empty());
  Image back = Image::fromPngData(png.data(), png.size());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(back.pixelArgb(x, y), src.pixelArgb(x, y));
  EXPECT_EQ(src.pixelArgb(-1, 0), 0u);
  EXPECT_EQ(src.pixelArgb(5, 0), 0u);
}

TEST_F(ImageTest, NineSliceKeepsCapsAndStretchesTheMiddle) {
  Image nine = ninePatch().stretchable(2, 2);
  EXPECT_TRUE(nine.isStretchable());
  EXPECT_EQ(nine.capInsets(), EdgeInsets(2, 2, 2, 2));
  Image img = render(Size(12, 8), [&](Context& c) { c.drawImage(nine, Rect(0, 0, 12, 8)); });
  // Caps stay 2 pixels, the 1-pixel middle stretches.
  for (int x : {0, 1, 10, 11}) {
    EXPECT_EQ(img.pixelArgb(x, 0), kRed) << x;
    EXPECT_EQ(img.pixelArgb(x, 4), kGreen) << x;
  }
  for (int x = 2; x < 10; ++x) {
    EXPECT_EQ(img.pixelArgb(x, 1), kGreen) << x;
    EXPECT_EQ(img.pixelArgb(x, 4), kBlue) << x;
  }
  EXPECT_EQ(img.pixelArgb(11, 7), kRed);

  // Plain stretching scales everything.
  Image plain =
      render(Size(15, 15), [&](Context& c) { c.drawImage(ninePatch(), Rect(0, 0, 15, 15)); });
  EXPECT_EQ(plain.pixelArgb(7, 7), kBlue);
  EXPECT_EQ(plain.pixelArgb(0, 0), kRed);
  EXPECT_EQ(plain.pixelArgb(4, 4), kRed);  // the caps grew

  // Caps of zero stretch the whole image in that direction.
  Image bar = Image::fromArgb(1, 3, {kRed, kGreen, kBlue}).stretchable(0, 0);
  Image wide = render(Size(4, 3), [&](Context& c) { c.drawImage(bar, Rect(0, 0, 4, 3)); });
  EXPECT_EQ(mask(wide, kGreen), "????\n####\n????\n");
}

TEST_F(ImageTest, DrawAtNaturalSizeScaleCropAndTile) {
  Image src = ninePatch();
  Image at = render(Size(7, 7), [&](Context& c) { c.drawImage(src, Point(1, 2)); });
  EXPECT_EQ(at.pixelArgb(1, 2), kRed);
  EXPECT_EQ(at.pixelArgb(3, 4), kBlue);
  EXPECT_EQ(at.pixelArgb(0, 0), kClear);

  Image big = src.stretchable(2, 2).scaled(Size(9, 5));
  EXPECT_EQ(big.size(), Size(9, 5));
  EXPECT_EQ(big.pixelArgb(4, 2), kBlue);
  EXPECT_EQ(big.pixelArgb(8, 4), kRed);

  Image part = src.cropped(Rect(2, 2, 3, 1));
  EXPECT_EQ(part.size(), Size(3, 1));
  EXPECT_EQ(part.pixelArgb(0, 0), kBlue);
  EXPECT_EQ(part.pixelArgb(1, 0), kGreen);
  EXPECT_TRUE(src.cropped(Rect(10, 10, 2, 2)).isEmpty());

  Image tile = Image::fromArgb(2, 1, {kRed, kBlue});
  Image tiled = render(Size(5, 2), [&](Context& c) { c.drawTiledImage(tile, Rect(1, 0, 4, 2)); });
  EXPECT_EQ(mask(tiled, kRed), ".#?#?\n.#?#?\n");
  EXPECT_EQ(tiled.pixelArgb(2, 0), kBlue);
}

TEST_F(ImageTest, FilledAndPixelAccessors) {
  Image img = Image::filled(Size(2, 3), Color(0, 0, 1, 0.5));
  EXPECT_EQ(img.size(), Size(2, 3));
  EXPECT_EQ(img.pixelArgb(1, 2), 0x800000ffu);
  Color c = img.pixel(0, 0);
  EXPECT_NEAR(c.b(), 1.0, 1e-9);
  EXPECT_NEAR(c.a(), 128 / 255.0, 1e-9);
  ASSERT_NE(img.data(), nullptr);
  EXPECT_GE(img.stride(), 8);
  EXPECT_TRUE(Image::filled(Size(0, 3)).isEmpty());
  EXPECT_TRUE(Image::fromArgb(2, 2, {kRed}).isEmpty());  // too few pixels
}

}  // namespace
}  // namespace gfx
