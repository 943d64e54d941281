#include "platform/graphics/Text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/Font.h"
#include "tests/platform/graphics/PixelTestSupport.h"

namespace gfx {
namespace {

using namespace gfx::testing;

TEST(FontTest, NamesMapOntoTheInstalledFace) {
  struct Case {
    const char* description;
    double size;
    bool bold, italic, mono;
  } cases[] = {
      {"system 14", 14, false, false, false},
      {"bold system 12", 12, true, false, false},
      {"italic system 9.5", 9.5, false, true, false},
      {"Helvetica 15", 15, false, false, false},
      {"Helvetica-Bold 15", 15, true, false, false},
      {"Arial 10", 10, false, false, false},
      {"Arial-BoldMT 13", 13, true, false, false},
      {"Courier 11", 11, false, false, true},
      {"Courier-BoldOblique 11", 11, true, true, true},
      {"STHeitiSC-Medium 16", 16, true, false, false},
      {"system", 12, false, false, false},
      {"SomeUnknownFace 8", 8, false, false, false},
  };
  for (const Case& tc : cases) {
    Font f = Font::fromDescription(tc.description);
    EXPECT_EQ(f.pointSize(), tc.size) << tc.description;
    EXPECT_EQ(f.isBold(), tc.bold) << tc.description;
    EXPECT_EQ(f.isItalic(), tc.italic) << tc.description;
    EXPECT_EQ(f.isMonospace(), tc.mono) << tc.description;
    EXPECT_EQ(f.family().rfind("WenQuanYi Micro Hei", 0), 0u);
    EXPECT_EQ(Font::fromDescription(f.toString()), f) << tc.description;
  }
  EXPECT_EQ(Font::named("Helvetica-Bold", 15), Font::fromDescription("Helvetica-Bold 15"));
  EXPECT_EQ(Font::boldSystemFont(12).toString(), "bold system 12");
  EXPECT_EQ(Font::systemFont(-3).pointSize(), 12);  // nonsense sizes fall back
}

TEST(FontTest, MetricsScaleWithSize) {
  Font f10 = Font::systemFont(10), f20 = Font::systemFont(20);
  EXPECT_GT(f10.ascender(), 7);
  EXPECT_GT(f10.descender(), 1);
  EXPECT_GE(f10.lineHeight(), f10.ascender() + f10.descender() - 1e-9);
  EXPECT_NEAR(f20.lineHeight(), 2 * f10.lineHeight(), 1e-6);
  EXPECT_NEAR(f20.ascender(), 2 * f10.ascender(), 1e-6);
}

TEST(TextTest, IndexQuoteFitsItsCell) {
  Font font = Font::systemFont(14);
  Size s = measureText("上证指数 3245.67", font);
  // Four CJK glyphs at about one em each, a space and seven narrow figures.
  EXPECT_GT(s.width, 4 * 14);
  EXPECT_LE(s.width, 130);
  EXPECT_EQ(s.height, std::ceil(font.lineHeight()));
  // Deterministic, and additive enough: the whole is wider than either part.
  EXPECT_EQ(measureText("上证指数 3245.67", font), s);
  EXPECT_GT(s.width, measureText("上证指数", font).width);
  EXPECT_GT(s.width, measureText("3245.67", font).width);
  // A bold face at the same size is at least as wide.
  EXPECT_GE(measureText("上证指数 3245.67", Font::boldSystemFont(14)).width, s.width);
}

TEST(TextTest, MeasureWithinAWidth) {
  Font font = Font::systemFont(14);
  std::string text = "上证指数 3245.67 深证成指 10234.50 恒生指数 23456.78";
  struct Case {
    LineBreakMode mode;
    Size constraint;
    int lines;
  } cases[] = {
      // "10234.50" does not fit after "深证成指": word wrap takes one line more.
      {LineBreakMode::WordWrap, Size(100, 1000), 5},
      {LineBreakMode::CharacterWrap, Size(100, 1000), 4},
      {LineBreakMode::WordWrap, Size(100, 40), 2},  // cut to whole lines that fit
      {LineBreakMode::WordWrap, Size(100, 5), 1},   // the first line always shows
      {LineBreakMode::TruncateTail, Size(100, 40), 2},
      {LineBreakMode::Clip, Size(100, 1000), 1},
  };
  for (const Case& tc : cases) {
    Size s = measureText(text, font, tc.constraint, tc.mode);
    EXPECT_LE(s.width, tc.constraint.width) << static_cast<int>(tc.mode);
    EXPECT_NEAR(s.height, tc.lines * font.lineHeight(), 1.0)
        << static_cast<int>(tc.mode) << " " << toString(tc.constraint);
  }
  // Newlines break lines even without a width.
  EXPECT_NEAR(measureText("一\n二\n三", font).height, 3 * font.lineHeight(), 1.0);
  EXPECT_EQ(measureText("", font), Size());
}

TEST(TextTest, LineLimitsAndShrinkToFit) {
  Font font = Font::systemFont(20);
  std::string text = "成交量 123456789 成交额 987654321";
  TextStyle one(font);
  one.numberOfLines = 1;
  one.lineBreak = LineBreakMode::TruncateTail;
  Size s = measureText(text, one, Size(120, 1000));
  EXPECT_NEAR(s.height, font.lineHeight(), 1.0);
  EXPECT_LE(s.width, 120);

  TextStyle shrink = one;
  shrink.minimumScaleFactor = 0.5;
  double size = fittingFontSize(text, shrink, 200);
  EXPECT_LT(size, 20);
  EXPECT_GE(size, 10);
  EXPECT_LE(measureText(text, font.withSize(size)).width, 200);
  // Text that fits keeps its size; a factor of 1 or more never shrinks.
  EXPECT_EQ(fittingFontSize("12", shrink, 200), 20);
  shrink.minimumScaleFactor = 11.0;
  EXPECT_EQ(fittingFontSize(text, shrink, 200), 20);
  // The floor is honoured even when the text still does not fit.
  shrink.minimumScaleFactor = 0.9;
  EXPECT_EQ(fittingFontSize(text, shrink, 50), 18);
}

TEST(TextTest, InvalidUtf8IsDrawnNotRejected) {
  Size s = measureText(std::string("ab\xff\xfe"
                                   "cd",
                                   6),
                       Font::systemFont(12));
  EXPECT_GT(s.width, measureText("abcd", Font::systemFont(12)).width);
  EXPECT_GT(measureText(std::string("a\0b", 3), Font::systemFont(12)).width, 0);
}

TEST(TextTest, AlignmentPlacesInkInTheRect) {
  Font font = Font::boldSystemFont(12);
  auto inkFor = [&](TextAlignment align) {
    Image img = render(Size(100, 20), [&](Context& c) {
      c.setFillColor(Color::white());
      drawText(c, "88", Rect(0, 0, 100, 20), font, LineBreakMode::WordWrap, align);
    });
    return inkBounds(img);
  };
  Ink left = inkFor(TextAlignment::Left), centre = inkFor(TextAlignment::Center),
      right = inkFor(TextAlignment::Right);
  ASSERT_FALSE(left.empty());
  EXPECT_LT(left.x0, 3);
  EXPECT_GT(right.x1, 97);
  EXPECT_NEAR((centre.x0 + centre.x1) / 2.0, 50, 2);
  // Same glyphs, only sub-pixel placement differs.
  EXPECT_NEAR(left.x1 - left.x0, right.x1 - right.x0, 1);
  // Ink sits within the first line box.
  EXPECT_GE(left.y0, 0);
  EXPECT_LE(left.y1, std::ceil(font.lineHeight()));
}

TEST(TextTest, ClipModeCutsAtTheRectEdge) {
  Image img = render(Size(60, 20), [](Context& c) {
    c.setFillColor(Color::white());
    drawText(c, "WWWWWWWWWWWWWWWW", Rect(10, 0, 30, 20), Font::systemFont(14), LineBreakMode::Clip);
  });
  Ink ink = inkBounds(img);
  EXPECT_GE(ink.x0, 10);
  EXPECT_LE(ink.x1, 40);
  EXPECT_EQ(ink.x1, 40);  // it really reached the edge
}

TEST(TextTest, TruncationKeepsWithinWidth) {
  Font font = Font::systemFont(14);
  std::string text = "工商银行 中国银行 建设银行 农业银行";
  for (LineBreakMode mode :
       {LineBreakMode::TruncateHead, LineBreakMode::TruncateMiddle, LineBreakMode::TruncateTail}) {
    Size used;
    Image img = render(Size(100, 20), [&](Context& c) {
      c.setFillColor(Color::white());
      used = drawText(c, text, Point(0, 0), 80, font, mode);
    });
    EXPECT_LE(used.width, 80);
    EXPECT_GT(used.width, 40);
    EXPECT_EQ(measureText(text, font, 80, mode), used);
    Ink ink = inkBounds(img);
    EXPECT_LE(ink.x1, 81) << static_cast<int>(mode);
  }
}

TEST(TextTest, TextUsesFillColourAlphaAndTransform) {
  Image img = render(Size(40, 40), [](Context& c) {
    c.translate(20, 20);
    c.setFillColor(Color::red());
    drawText(c, "国", Point(0, 0), Font::systemFont(20));
  });
  Ink ink = inkBounds(img);
  EXPECT_GE(ink.x0, 20);
  EXPECT_GE(ink.y0, 20);
  int solidRed = countPixels(img, [](uint32_t p) { return p == kRed; });
  EXPECT_GT(solidRed, 5);
  int otherHue = countPixels(img, [](uint32_t p) { return greenOf(p) != 0 || blueOf(p) != 0; });
  EXPECT_EQ(otherHue, 0);
}

TEST(TextTest, WritesASampleForPeopleToLookAt) {
  ImageContext ic(Size(320, 200), 2);
  Context& c = ic.context();
  c.setFillColor(Color::black());
  c.fillRect(Rect(0, 0, 320, 200));
  struct Row {
    const char* font;
    Color colour;
    const char* text;
  } rows[] = {
      {"bold system 17", Color::white(), "自选股 行情 资讯 交易 更多"},
      {"system 14", Color::rgb255(255, 0, 0), "上证指数 3245.67 +12.34 +0.38%"},
      {"system 14", Color::rgb255(0, 187, 187), "深证成指 10234.50 -56.78 -0.55%"},
      {"Helvetica-Bold 15", Color::yellow(), "Helvetica-Bold 15: 0123456789 ABC xyz"},
      {"Courier 12", Color::cyan(), "Courier 12: 成交量 1.23亿 成交额 45.6万"},
      {"Arial 10", Color::lightGrey(), "请求超时，请确认网络通讯是否正常！"},
  };
  double y = 4;
  for (const Row& r : rows) {
    c.setFillColor(r.colour);
    Font f = Font::fromDescription(r.font);
    y += drawText(c, r.text, Rect(6, y, 308, 40), f).height + 4;
  }
  c.setFillColor(Color::white());
  TextStyle centred(Font::systemFont(12), TextAlignment::Center, LineBreakMode::TruncateMiddle);
  drawText(c, "居中截断：这是一段很长很长很长很长很长很长很长的文字", Rect(60, y, 200, 20),
           centred);
  std::string path = VERDAN_BINARY_DIR;
  path += "/graphics-text-sample.png";
  ASSERT_TRUE(ic.image().writePng(path));
  Image back = Image::fromFile(path);
  EXPECT_EQ(back.pixelWidth(), 640);
  EXPECT_GT(countPixels(back, [](uint32_t p) { return p == kRed; }), 20);
}

}  // namespace
}  // namespace gfx
