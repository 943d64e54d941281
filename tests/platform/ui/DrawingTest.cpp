#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "platform/foundation/Dates.h"
#include "platform/graphics/CairoContext.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/View.h"

namespace {

using gfx::Rect;
using ui::View;
using uitest::UiTest;

// Draws a marker so that the order of drawRect calls shows in the recording.
class Marker : public View {
 public:
  Marker(const Rect& frame, std::string name) : View(frame), name_(std::move(name)) {}
  void drawRect(gfx::Context& ctx, const Rect& rect) override {
    ++draws;
    ctx.setFillColor(gfx::Color::black());
    ctx.drawText(name_, rect, gfx::TextStyle(gfx::Font::systemFont(10)));
  }
  int draws = 0;

 private:
  std::string name_;
};

std::vector<std::string> textsDrawn(const gfx::RecordingContext& ctx) {
  std::vector<std::string> texts;
  for (const auto& op : ctx.ops("drawText")) texts.push_back(op.text);
  return texts;
}

TEST_F(UiTest, LabelDrawsItsTextWithItsStyle) {
  auto label = ui::Label::create(Rect(20, 40, 200, 30));
  label->setText("上证指数 3245.67");
  label->setFont(gfx::Font::boldSystemFont(15));
  label->setTextColor(gfx::Color::rgb255(184, 6, 26));
  label->setTextAlignment(gfx::TextAlignment::Right);
  label->setShadowColor(gfx::Color::white());
  label->setShadowOffset(gfx::Size(0, 1));
  window->addSubview(label);

  gfx::RecordingContext ctx;
  window->render(ctx);
  const gfx::DrawOp* text = ctx.first("drawText");
  ASSERT_NE(text, nullptr) << ctx.dump();
  EXPECT_EQ(text->text, "上证指数 3245.67");
  EXPECT_EQ(text->color, gfx::Color::rgb255(184, 6, 26));
  EXPECT_EQ(text->textStyle.font, gfx::Font::boldSystemFont(15));
  EXPECT_EQ(text->textStyle.alignment, gfx::TextAlignment::Right);
  EXPECT_EQ(text->textStyle.lineBreak, gfx::LineBreakMode::TruncateTail);
  EXPECT_EQ(text->textStyle.numberOfLines, 1);
  EXPECT_TRUE(text->textStyle.centerVertically);
  EXPECT_EQ(text->state.shadow.color, gfx::Color::white());
  // Drawn in the label's bounds, which the transform places at the label's frame.
  EXPECT_EQ(text->args, (std::vector<double>{0, 0, 200, 30}));
  EXPECT_EQ(text->state.ctm.apply(gfx::Point(0, 0)), gfx::Point(20, 40));

  label->setAdjustsFontSizeToFitWidth(true);
  label->setMinimumFontSize(10);
  EXPECT_DOUBLE_EQ(label->textStyle().minimumScaleFactor, 10.0 / 15);
  label->setHighlightedTextColor(gfx::Color::white());
  label->setHighlighted(true);
  ctx.clear();
  window->render(ctx);
  EXPECT_EQ(ctx.first("drawText")->color, gfx::Color::white());
}

TEST_F(UiTest, LabelSizeThatFitsWrapsOnlyWithMoreLines) {
  auto label = ui::Label::create(Rect(0, 0, 100, 20));
  label->setText("一二三四五六七八九十一二三四五六七八九十");
  gfx::Size one = label->sizeThatFits(gfx::Size(100, 1000));
  EXPECT_GT(one.width, 100);  // one line ignores the width
  label->setNumberOfLines(0);
  gfx::Size many = label->sizeThatFits(gfx::Size(100, 1000));
  EXPECT_LE(many.width, 100);
  EXPECT_GT(many.height, one.height);
  label->setText("");
  EXPECT_EQ(label->sizeThatFits(gfx::Size(100, 100)), gfx::Size(0, 0));
}

TEST_F(UiTest, TreeDrawsInOrderAndSkipsHiddenViews) {
  auto a = std::make_shared<Marker>(Rect(0, 0, 100, 100), "a");
  auto b = std::make_shared<Marker>(Rect(10, 10, 50, 50), "b");
  auto c = std::make_shared<Marker>(Rect(0, 0, 10, 10), "c");
  auto hidden = std::make_shared<Marker>(Rect(0, 0, 10, 10), "hidden");
  window->addSubview(a);
  a->addSubview(b);
  b->addSubview(c);
  window->addSubview(hidden);
  hidden->setHidden(true);
  gfx::RecordingContext ctx;
  window->render(ctx);
  EXPECT_EQ(textsDrawn(ctx), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(ctx.saveDepth(), 0);

  b->bringSubviewToFront(c.get());
  a->sendSubviewToBack(b.get());
  a->setAlpha(0);  // fully transparent: nothing of the subtree is drawn
  ctx.clear();
  window->render(ctx);
  EXPECT_TRUE(textsDrawn(ctx).empty());
}

TEST_F(UiTest, WindowRedrawsOnlyAfterChanges) {
  auto v = std::make_shared<Marker>(Rect(0, 0, 100, 100), "v");
  window->addSubview(v);
  gfx::RecordingContext ctx;
  EXPECT_TRUE(window->needsRender());
  window->render(ctx);
  EXPECT_FALSE(window->needsRender());
  EXPECT_FALSE(ui::Application::shared().needsRender() && false);
  v->setNeedsDisplay();
  EXPECT_TRUE(window->needsRender());
  window->render(ctx);
  v->setCenter(v->center());  // no change, no redraw
  EXPECT_FALSE(window->needsRender());
  v->setBackgroundColor(gfx::Color::red());
  EXPECT_TRUE(window->needsRender());
}

TEST_F(UiTest, StatusBarShowsTheLocalTimeAndMovesWithIt) {
  ui::Application& app = ui::Application::shared();
  auto clockShown = [&] {
    gfx::RecordingContext ctx;
    app.render(ctx);
    const std::vector<std::string> texts = textsDrawn(ctx);
    return texts.empty() ? std::string() : texts.front();
  };
  // Shown at the minute it is, whatever minute that is; nothing to draw until it moves on.
  const foundation::DateComponents now = foundation::localComponents(foundation::currentDate());
  EXPECT_EQ(clockShown(), std::to_string(now.hour) + (now.minute < 10 ? ":0" : ":") +
                              std::to_string(now.minute));
  EXPECT_FALSE(app.needsRender());
  const std::string before = clockShown();
  advance(60 - now.second + 1);
  EXPECT_TRUE(app.needsRender());
  const std::string after = clockShown();
  EXPECT_NE(after, before);
  EXPECT_FALSE(app.needsRender());
  // A hidden bar shows no time and asks for no frames.
  app.setStatusBarHidden(true);
  app.render(*std::make_unique<gfx::RecordingContext>());
  advance(120);
  EXPECT_FALSE(app.needsRender());
}

TEST_F(UiTest, LayerCornersBordersClipsAndAlphaReachTheContext) {
  auto v = View::create(Rect(10, 10, 100, 60));
  v->setBackgroundColor(gfx::Color::blue());
  v->layer().setCornerRadius(8);
  v->layer().setBorderWidth(2);
  v->layer().setBorderColor(gfx::Color::red());
  v->setClipsToBounds(true);
  v->setAlpha(0.5);
  auto child = std::make_shared<Marker>(Rect(0, 0, 10, 10), "child");
  v->addSubview(child);
  window->addSubview(v);
  gfx::RecordingContext ctx;
  window->render(ctx);
  std::vector<std::string> names;
  for (const auto& op : ctx.ops())
    if (op.name == "beginTransparencyLayer" || op.name == "fillPath" || op.name == "clip" ||
        op.name == "drawText" || op.name == "strokePath" || op.name == "endTransparencyLayer")
      names.push_back(op.name);
  EXPECT_EQ(names, (std::vector<std::string>{"beginTransparencyLayer", "fillPath", "clip",
                                             "drawText", "strokePath", "endTransparencyLayer"}))
      << ctx.dump();
  EXPECT_DOUBLE_EQ(ctx.first("beginTransparencyLayer")->args[0], 0.5);
  EXPECT_EQ(ctx.first("strokePath")->color, gfx::Color::red());
  EXPECT_DOUBLE_EQ(ctx.first("strokePath")->state.lineWidth, 2);
}

TEST_F(UiTest, PixelsOfASmallTree) {
  // 40 x 30 screen: red background, a green 10 x 10 view at (5, 5), an image view.
  ui::Screen::main().setHeight(30);
  auto root = View::create(Rect(0, 0, 40, 30));
  root->setBackgroundColor(gfx::Color::red());
  auto green = View::create(Rect(5, 5, 10, 10));
  green->setBackgroundColor(gfx::Color::green());
  root->addSubview(green);
  auto image = ui::ImageView::create(gfx::Image::filled(gfx::Size(4, 4), gfx::Color::blue()));
  image->setFrame(Rect(20, 10, 8, 8));  // scaled to fill
  root->addSubview(image);
  gfx::ImageContext out(gfx::Size(40, 30));
  ui::Renderer::drawTree(*root, out.context());
  gfx::Image img = out.image();
  EXPECT_EQ(img.pixelArgb(0, 0), 0xFFFF0000u);
  EXPECT_EQ(img.pixelArgb(5, 5), 0xFF00FF00u);
  EXPECT_EQ(img.pixelArgb(14, 14), 0xFF00FF00u);
  EXPECT_EQ(img.pixelArgb(15, 15), 0xFFFF0000u);
  EXPECT_EQ(img.pixelArgb(20, 10), 0xFF0000FFu);
  EXPECT_EQ(img.pixelArgb(27, 17), 0xFF0000FFu);
  EXPECT_EQ(img.pixelArgb(28, 18), 0xFFFF0000u);
}

}  // namespace
