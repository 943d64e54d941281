#include <cmath>
#include <vector>

#include "ShellTestSupport.h"
#include "platform/graphics/Text.h"
#include "platform/ui/NavigationController.h"
#include "shell/ArBaseViewController.h"
#include "shell/BaseView.h"
#include "shell/GPPopShareView.h"

namespace {

using gfx::Rect;
using shelltest::ShellTest;

class Answers : public GPPopShareViewDelegate {
 public:
  void clickPopShareView(GPPopShareView& view, int index) override {
    pressed.push_back(index);
    ticked.push_back(view.bolTag());
  }
  std::vector<int> pressed;
  std::vector<bool> ticked;
};

class PopShareViewTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    if (shelltest::skipTextLayoutUnderTsan()) GTEST_SKIP() << "text layout under ThreadSanitizer";
  }
  std::shared_ptr<GPPopShareView> prompt(const std::string& message, bool checkBox) {
    auto view = GPPopShareView::create(Rect(0, 0, 320, 480));
    view->setContentTitle("提示");
    view->setContentString(message);
    view->setBolShareButton(checkBox);
    view->setDelegate(answers);
    view->upView();
    return view;
  }
  // Taps the centre of a view of the prompt.
  void tapView(ui::View& view) {
    gfx::Point p = view.convertPointToView(
        gfx::Point(view.bounds().size.width / 2, view.bounds().size.height / 2), nullptr);
    tap(p.x, p.y);
    drain();
  }
  ui::Button* button(GPPopShareView& view, const char* title) {
    for (const auto& child : view.viewWithTag(kPopSharePanelTag)->subviews()) {
      auto* b = dynamic_cast<ui::Button*>(child.get());
      if (b && b->currentTitle() == title) return b;
    }
    return nullptr;
  }
  std::shared_ptr<Answers> answers = std::make_shared<Answers>();
};

TEST_F(PopShareViewTest, EmptyMessageShowsOnlyTheDimmingLayer) {
  auto view = prompt("", true);
  ASSERT_EQ(view->subviews().size(), 1u);
  EXPECT_EQ(view->subviews()[0]->frame(), Rect(0, 0, 320, 480));
  EXPECT_EQ(view->viewWithTag(kPopSharePanelTag), nullptr);
}

TEST_F(PopShareViewTest, PanelIsCentredAndAlwaysKeepsRoomForTheCheckBoxRow) {
  const std::string message = "您确定要删除这条价格预警吗？删除后将不再提醒。";
  const double tH = gfx::measureText("提示", gfx::Font::boldSystemFont(18), gfx::Size(252, 200),
                                     gfx::LineBreakMode::TruncateTail)
                        .height;
  const double mH = gfx::measureText(message, gfx::Font::systemFont(16), gfx::Size(252, 400),
                                     gfx::LineBreakMode::TruncateTail)
                        .height;
  for (bool checkBox : {false, true}) {
    auto view = prompt(message, checkBox);
    ui::View* panel = view->viewWithTag(kPopSharePanelTag);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->frame(), Rect(22, (480 - (mH + 148 + 35)) / 2, 276, tH + 22 + mH + 35 + 44));
    ui::Button* ok = button(*view, "确定");
    ui::Button* cancel = button(*view, "取消");
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->tag(), 1);
    EXPECT_EQ(cancel->frame(), Rect(0, panel->frame().height() - 44, 138, 44));
    EXPECT_EQ(ok->frame(), Rect(138, panel->frame().height() - 44, 138, 44));
    EXPECT_EQ(view->selButton() != nullptr, checkBox);
  }
}

TEST_F(PopShareViewTest, CheckBoxTogglesAndItsLabelIsCappedAtOneHundredFiftyPoints) {
  auto view = prompt("今日不再提示", true);
  view->showInWindow();
  ui::Button* box = view->selButton();
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(view->bolTag());
  tapView(*box);
  EXPECT_TRUE(view->bolTag());
  EXPECT_TRUE(box->isSelected());
  EXPECT_EQ(box->image(ui::ControlState::Normal)->name(),
            gfx::Image::named("guide_gou_sel.png").name());
  tapView(*box);
  EXPECT_FALSE(view->bolTag());
  EXPECT_EQ(box->image(ui::ControlState::Normal)->name(),
            gfx::Image::named("guide_gou_normal.png").name());

  const gfx::Font font = gfx::Font::systemFont(16);
  EXPECT_EQ(GPPopShareView::getTxtLength("", font, 150), 0);
  EXPECT_EQ(GPPopShareView::getTxtLength("这是一段很长很长很长很长的提示文字", font, 150), 150);
  const double shortWidth = GPPopShareView::getTxtLength("提醒", font, 150);
  EXPECT_GT(shortWidth, 0);
  EXPECT_LT(shortWidth, 150);
  EXPECT_EQ(shortWidth, std::ceil(shortWidth));
}

TEST_F(PopShareViewTest, ButtonsReportTheirIndexAndThePromptGoesAway) {
  struct Case {
    const char* title;
    int index;
    bool tick;
  } cases[] = {{"确定", 1, true}, {"取消", 0, false}};
  for (const Case& c : cases) {
    auto view = prompt("确认退出登录？", true);
    view->showInWindow();
    EXPECT_EQ(view->superview(), window.get());
    if (c.tick) view->clikeShare();
    advance(GPPopShareView::kPopDuration);
    tapView(*button(*view, c.title));
    EXPECT_EQ(answers->pressed.back(), c.index) << c.title;
    EXPECT_EQ(answers->ticked.back(), c.tick);
    EXPECT_EQ(view->superview(), nullptr);
  }
  EXPECT_EQ(answers->pressed.size(), 2u);

  // Without a delegate the prompt still goes.
  auto view = prompt("无人接收", false);
  view->setDelegate({});
  view->showInWindow();
  tapView(*button(*view, "确定"));
  EXPECT_EQ(view->superview(), nullptr);
  EXPECT_EQ(answers->pressed.size(), 2u);
}

TEST_F(PopShareViewTest, PopInScalesThePanelUpAndSettles) {
  auto view = prompt("行情提醒", false);
  view->showInWindow();
  ui::View* panel = view->viewWithTag(kPopSharePanelTag);
  EXPECT_LT(panel->presentationTransform().a, 1.0);
  advance(GPPopShareView::kPopDuration + 0.05);
  EXPECT_EQ(panel->presentationTransform(), gfx::AffineTransform::identity());
}

class Clicks : public myBaseViewDelegate {
 public:
  void myBaseViewDidClick(BaseView& view) override { views.push_back(&view); }
  std::vector<BaseView*> views;
};

TEST_F(PopShareViewTest, BaseViewReportsAFinishedTouchToItsDelegate) {
  auto clicks = std::make_shared<Clicks>();
  auto base = BaseView::create(Rect(0, 44, 320, 300));
  window->addSubview(base);
  tap(100, 100);
  base->setClickDelegate(clicks);
  tap(100, 100);
  ASSERT_EQ(clicks->views.size(), 1u);
  EXPECT_EQ(clicks->views[0], base.get());
  clicks.reset();
  tap(100, 100);
}

TEST_F(PopShareViewTest, PlainBaseScreenIsGreenWithLightStatusText) {
  auto screen = ArBaseViewController::create();
  auto navigation = ui::NavigationController::create(screen);
  window->addSubview(navigation->viewShared());
  drain();
  EXPECT_EQ(screen->view()->backgroundColor(), gfx::Color::green());
  EXPECT_EQ(screen->title(), "ArBaseViewController");
  EXPECT_EQ(screen->preferredStatusBarStyle(), ui::StatusBarStyle::LightContent);
  EXPECT_FALSE(screen->prefersStatusBarHidden());
  EXPECT_EQ(navigation->navigationBar()->tintColor(), gfx::Color::black());
  navigation->viewShared()->removeFromSuperview();
}

}  // namespace
