#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/View.h"

namespace {

using gfx::Rect;
using ui::ContentMode;
using ui::View;
using uitest::UiTest;

struct ModeCase {
  ContentMode mode;
  Rect expected;
};

class ContentModes : public ::testing::TestWithParam<ModeCase> {};

// A 20 x 10 image in a 100 x 50 view at (10, 10).
TEST_P(ContentModes, PlaceTheImage) {
  EXPECT_EQ(ui::imageRectForContentMode(GetParam().mode, Rect(10, 10, 100, 50), 20, 10),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, ContentModes,
    ::testing::Values(ModeCase{ContentMode::ScaleToFill, Rect(10, 10, 100, 50)},
                      ModeCase{ContentMode::ScaleAspectFit, Rect(10, 10, 100, 50)},
                      ModeCase{ContentMode::Center, Rect(50, 30, 20, 10)},
                      ModeCase{ContentMode::TopLeft, Rect(10, 10, 20, 10)},
                      ModeCase{ContentMode::BottomRight, Rect(90, 50, 20, 10)},
                      ModeCase{ContentMode::Left, Rect(10, 30, 20, 10)},
                      ModeCase{ContentMode::Top, Rect(50, 10, 20, 10)}));

TEST(ContentModesAspect, FitAndFillKeepTheAspectRatio) {
  // A 10 x 10 image in a 100 x 50 view.
  EXPECT_EQ(ui::imageRectForContentMode(ContentMode::ScaleAspectFit, Rect(0, 0, 100, 50), 10, 10),
            Rect(25, 0, 50, 50));
  EXPECT_EQ(ui::imageRectForContentMode(ContentMode::ScaleAspectFill, Rect(0, 0, 100, 50), 10, 10),
            Rect(0, -25, 100, 100));
}

TEST_F(UiTest, ImageViewShowsTheHighlightedImageAndLayerContentsUseGravity) {
  auto normal = gfx::Image::filled(gfx::Size(8, 8), gfx::Color::red());
  auto lit = gfx::Image::filled(gfx::Size(8, 8), gfx::Color::blue());
  auto iv = ui::ImageView::create(normal);
  EXPECT_EQ(iv->frame(), Rect(0, 0, 8, 8));
  EXPECT_FALSE(iv->isUserInteractionEnabled());
  iv->setHighlightedImage(lit);
  iv->setHighlighted(true);
  EXPECT_EQ(iv->currentImage(), lit);
  iv->setHighlightedImage(gfx::Image());
  EXPECT_EQ(iv->currentImage(), normal);  // no highlighted image: the normal one

  auto v = View::create(Rect(0, 0, 40, 20));
  v->layer().setContents(normal);
  v->layer().setContentsGravity(ui::ContentsGravity::ResizeAspect);
  window->addSubview(v);
  gfx::RecordingContext ctx;
  window->render(ctx);
  const gfx::DrawOp* draw = ctx.first("drawImage");
  ASSERT_NE(draw, nullptr);
  EXPECT_EQ(draw->args, (std::vector<double>{10, 0, 20, 20}));
}

TEST_F(UiTest, ActivityIndicatorTurnsOnTheClockAndHidesWhenStopped) {
  auto spinner = ui::ActivityIndicatorView::create(ui::ActivityIndicatorStyle::WhiteLarge);
  window->addSubview(spinner);
  EXPECT_EQ(spinner->frame().size, gfx::Size(37, 37));
  EXPECT_TRUE(spinner->isHidden());
  spinner->startAnimating();
  EXPECT_FALSE(spinner->isHidden());
  int first = spinner->step();
  advance(1.0 / 12 + 0.001);
  EXPECT_EQ(spinner->step(), (first + 1) % 12);
  spinner->stopAnimating();
  EXPECT_TRUE(spinner->isHidden());
  advance(1);
  EXPECT_EQ(spinner->step(), (first + 1) % 12);
  spinner->setHidesWhenStopped(false);
  EXPECT_FALSE(spinner->isHidden());
  spinner->setStyle(ui::ActivityIndicatorStyle::Gray);
  EXPECT_EQ(spinner->bounds().size, gfx::Size(20, 20));
  // A spinner freed while turning leaves no timer behind that touches it.
  spinner->startAnimating();
  spinner->removeFromSuperview();
  spinner.reset();
  advance(0.5);
}

// Notes every hierarchy notification.
class HookView : public View {
 public:
  HookView(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}

 protected:
  void willMoveToSuperview(View* s) override { note(s ? "willMoveToSuperview" : "willLeave"); }
  void didMoveToSuperview() override { note("didMoveToSuperview"); }
  void willMoveToWindow(ui::Window* w) override { note(w ? "willEnterWindow" : "willLeaveWindow"); }
  void didMoveToWindow() override { note(window() ? "didEnterWindow" : "didLeaveWindow"); }

 private:
  void note(const std::string& what) { log_->push_back(name_ + " " + what); }
  std::vector<std::string>* log_;
  std::string name_;
};

struct OwnerController : ui::Responder {
  std::vector<std::string>* log = nullptr;
  void ownedViewWillMoveToWindow(ui::Window* w) override {
    log->push_back(w ? "controller will appear" : "controller will disappear");
  }
  void ownedViewDidMoveToWindow(ui::Window* w) override {
    log->push_back(w ? "controller did appear" : "controller did disappear");
  }
};

TEST_F(UiTest, HierarchyHooksReachSubtreesAndControllers) {
  std::vector<std::string> log;
  auto parent = std::make_shared<HookView>(&log, "parent");
  auto child = std::make_shared<HookView>(&log, "child");
  parent->addSubview(child);
  auto controller = std::make_shared<OwnerController>();
  controller->log = &log;
  child->setViewController(controller);
  log.clear();
  window->addSubview(parent);
  EXPECT_EQ(log, (std::vector<std::string>{"parent willMoveToSuperview", "parent willEnterWindow",
                                           "child willEnterWindow", "controller will appear",
                                           "parent didEnterWindow", "child didEnterWindow",
                                           "controller did appear", "parent didMoveToSuperview"}));
  log.clear();
  parent->removeFromSuperview();
  EXPECT_EQ(log, (std::vector<std::string>{
                     "parent willLeave", "parent willLeaveWindow", "child willLeaveWindow",
                     "controller will disappear", "parent didLeaveWindow", "child didLeaveWindow",
                     "controller did disappear", "parent didMoveToSuperview"}));
}

TEST_F(UiTest, KeyWindowReturnsWhenAnOverlayWindowGoesAway) {
  auto& app = ui::Application::shared();
  {
    auto alert = ui::Window::create(ui::Screen::main().bounds());
    alert->setWindowLevel(ui::WindowLevel::Alert);
    alert->makeKeyAndVisible();
    EXPECT_EQ(app.keyWindow(), alert.get());
    EXPECT_TRUE(alert->isKeyWindow());
  }
  EXPECT_EQ(app.keyWindow(), window.get());
}

TEST(BarButtonItems, SystemItemsAndSpacesAreMadeRight) {
  auto done = ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Done);
  EXPECT_EQ(done->title(), "完成");
  EXPECT_EQ(done->style(), ui::BarButtonItemStyle::Done);
  auto flex = ui::BarButtonItem::flexibleSpace();
  EXPECT_TRUE(flex->isFlexibleSpace());
  EXPECT_EQ(flex->makeView(ui::BarStyle::Default, std::nullopt), nullptr);
  auto fixed = ui::BarButtonItem::fixedSpace(12);
  EXPECT_TRUE(fixed->isFixedSpace());
  EXPECT_DOUBLE_EQ(fixed->width(), 12);
  int fired = 0;
  auto item = ui::BarButtonItem::withTitle("编辑", ui::BarButtonItemStyle::Bordered,
                                           [&](ui::BarButtonItem&) { ++fired; });
  auto view = item->makeView(ui::BarStyle::Black, std::nullopt);
  ASSERT_NE(view, nullptr);
  EXPECT_DOUBLE_EQ(view->frame().height(), 30);
  item->trigger();
  item->setEnabled(false);
  item->trigger();
  EXPECT_EQ(fired, 1);
}

}  // namespace
