#include "platform/graphics/RecordingContext.h"

#include <gtest/gtest.h>

#include "platform/foundation/Log.h"
#include "tests/platform/graphics/PixelTestSupport.h"

namespace gfx {
namespace {

using namespace gfx::testing;

// A small chart drawn through the common interface, the way the chart views draw.
void drawMiniChart(Context& c) {
  c.save();
  c.clipToRect(Rect(0, 0, 40, 30));
  c.drawLinearGradient(Gradient::linear(Color::rgb255(28, 63, 89), Color::black()), Point(0, 0),
                       Point(0, 30));
  c.setStrokeColor(Color::darkGrey());
  c.setLineWidth(2);
  c.strokeLine(Point(0, 0), Point(40, 0));
  c.restore();

  c.save();
  c.clipToRects({Rect(0, 20, 5, 10), Rect(5, 15, 5, 15)});
  c.setFillColor(Color(0.2, 0.35, 0.5, 0.5));
  c.fillRect(Rect(0, 0, 40, 30));
  c.restore();

  c.setStrokeColor(Color::white());
  c.setLineWidth(0.3);
  c.setLineDash(0, {1, 1});
  c.strokeLine(Point(20, 0), Point(20, 30));
  c.setLineDash(0, {});

  c.setStrokeColor(Color::rgb255(238, 227, 217));
  c.setShadow(Size(2, -1), 1, Color::black());
  c.setLineWidth(1);
  c.beginPath();
  c.moveTo(0, 25);
  c.lineTo(10, 20);
  c.lineTo(20, 22);
  c.lineTo(30, 10);
  c.strokePath();
  c.clearShadow();

  c.setFillColor(Color::white());
  drawText(c, "3245.67", Rect(0, 0, 38, 12), Font::named("Helvetica-Bold", 10), LineBreakMode::Clip,
           TextAlignment::Right);
}

TEST(RecordingContextTest, RecordsWhatTheChartDid) {
  RecordingContext rec(Size(40, 30));
  drawMiniChart(rec);
  EXPECT_EQ(rec.saveDepth(), 0);

  std::vector<DrawOp> paints = rec.paintOps();
  ASSERT_EQ(paints.size(), 6u);
  EXPECT_EQ(paints[0].name, "drawLinearGradient");
  EXPECT_EQ(paints[0].gradient.stops.size(), 2u);
  EXPECT_EQ(paints[0].args, (std::vector<double>{0, 0, 0, 30, 0, 0}));
  EXPECT_EQ(paints[1].name, "strokeLineSegments");
  EXPECT_EQ(paints[1].state.lineWidth, 2);
  EXPECT_EQ(paints[1].color, Color::darkGrey());

  EXPECT_EQ(paints[2].name, "fillRect");
  EXPECT_EQ(paints[2].state.deviceClipBounds, Rect(0, 15, 10, 15));
  const DrawOp* clip = rec.first("clipToRects");
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(clip->rects, (std::vector<Rect>{Rect(0, 20, 5, 10), Rect(5, 15, 5, 15)}));

  EXPECT_EQ(paints[3].state.dashLengths, (std::vector<double>{1, 1}));
  EXPECT_EQ(paints[3].points, (std::vector<Point>{Point(20, 0), Point(20, 30)}));

  const DrawOp& line = paints[4];
  EXPECT_EQ(line.name, "strokePath");
  EXPECT_EQ(line.path.elements().size(), 4u);
  EXPECT_EQ(line.path.boundingBox(), Rect(0, 10, 30, 15));
  EXPECT_EQ(line.state.shadow.offset, Size(2, -1));
  EXPECT_TRUE(line.state.dashLengths.empty());
  EXPECT_EQ(line.color, Color::rgb255(238, 227, 217));

  const DrawOp& text = paints[5];
  EXPECT_EQ(text.name, "drawText");
  EXPECT_EQ(text.text, "3245.67");
  EXPECT_EQ(text.textStyle.font, Font::named("Helvetica-Bold", 10));
  EXPECT_EQ(text.textStyle.alignment, TextAlignment::Right);
  EXPECT_FALSE(text.state.shadow.isVisible());
  EXPECT_EQ(text.describe(), "drawText {{0, 0}, {38, 12}} \"3245.67\" rgba(1, 1, 1, 1)");
}

TEST(RecordingContextTest, SameDrawingPaintsOnCairo) {
  // The chart code runs unchanged on the pixel backend.
  Image img = render(Size(40, 30), drawMiniChart);
  EXPECT_EQ(alphaOf(img.pixelArgb(1, 29)), 255);  // gradient, then the fill on top
  EXPECT_EQ(alphaOf(img.pixelArgb(39, 29)), 255);
  Ink ink = inkBounds(img);
  EXPECT_EQ(ink.x0, 0);
  EXPECT_EQ(ink.x1, 40);
}

TEST(RecordingContextTest, StateStackTransformsAndClipBounds) {
  RecordingContext rec(Size(100, 100));
  rec.translate(10, 20);
  rec.scale(2, 2);
  EXPECT_EQ(rec.ctm().apply(Point(1, 1)), Point(12, 22));
  rec.save();
  rec.clipToRect(Rect(0, 0, 5, 5));
  EXPECT_EQ(rec.state().deviceClipBounds, Rect(10, 20, 10, 10));
  EXPECT_EQ(rec.clipBoundingBox(), Rect(0, 0, 5, 5));
  rec.setFillColor(Color::red());
  rec.fillEllipse(Rect(0, 0, 4, 2));
  rec.restore();
  EXPECT_EQ(rec.fillColor(), Color::black());
  EXPECT_EQ(rec.state().deviceClipBounds, Rect(0, 0, 100, 100));
  const DrawOp* ellipse = rec.last("fillEllipse");
  ASSERT_NE(ellipse, nullptr);
  EXPECT_EQ(ellipse->color, Color::red());
  EXPECT_EQ(ellipse->state.ctm, AffineTransform(2, 0, 0, 2, 10, 20));
  EXPECT_EQ(ellipse->path.boundingBox(), Rect(0, 0, 4, 2));
  EXPECT_EQ(rec.count("save"), 1u);
  EXPECT_EQ(rec.count("restore"), 1u);

  std::vector<std::string> errors;
  foundation::setLogSink([&](foundation::LogLevel level, const std::string& line) {
    if (level == foundation::LogLevel::Error) errors.push_back(line);
  });
  rec.restore();
  rec.endTransparencyLayer();
  foundation::setLogSink(nullptr);
  EXPECT_EQ(errors.size(), 2u);
  EXPECT_EQ(rec.count("restore"), 1u);
  EXPECT_EQ(rec.ctm(), AffineTransform(2, 0, 0, 2, 10, 20));
}

TEST(RecordingContextTest, PathOpsConsumeThePathAndShapesLeaveIt) {
  RecordingContext rec;
  rec.moveTo(0, 0);
  rec.lineTo(5, 5);
  rec.fillRect(Rect(0, 0, 1, 1));  // does not touch the current path
  EXPECT_EQ(rec.currentPath().elements().size(), 2u);
  rec.drawPath(PathDrawingMode::FillStroke);
  EXPECT_TRUE(rec.currentPath().isEmpty());
  EXPECT_EQ(rec.last("drawPath")->path.elements().size(), 2u);
  rec.addRect(Rect(1, 1, 2, 2));
  rec.clip();
  EXPECT_TRUE(rec.currentPath().isEmpty());
  EXPECT_EQ(rec.state().deviceClipBounds, Rect(1, 1, 2, 2));
  EXPECT_EQ(rec.count("clip"), 1u);
}

TEST(RecordingContextTest, TextAndImagesReportTheirArguments) {
  RecordingContext rec;
  Image img = Image::filled(Size(4, 4), Color::red()).stretchable(1, 1);
  rec.drawImage(img, Rect(0, 0, 20, 10));
  rec.drawImage(img, Point(3, 4));
  auto images = rec.ops("drawImage");
  ASSERT_EQ(images.size(), 2u);
  EXPECT_TRUE(images[0].image.isStretchable());
  EXPECT_EQ(images[1].args, (std::vector<double>{3, 4, 4, 4}));

  TextStyle style(Font::systemFont(14), TextAlignment::Center, LineBreakMode::TruncateTail);
  style.numberOfLines = 1;
  Size used = rec.drawText("上证指数 3245.67", Rect(0, 0, 60, 20), style);
  EXPECT_LE(used.width, 60);
  EXPECT_GT(used.width, 30);
  EXPECT_EQ(rec.last("drawText")->textStyle.numberOfLines, 1);
}

}  // namespace
}  // namespace gfx
