#include "platform/ui/Demo.h"

#include "platform/foundation/Log.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/LayerAnimation.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Switch.h"
#include "platform/ui/Toolbar.h"

namespace ui {

namespace {

std::shared_ptr<Label> makeLabel(const gfx::Rect& frame, const std::string& text,
                                 const gfx::Font& font, const gfx::Color& color,
                                 gfx::TextAlignment alignment = gfx::TextAlignment::Left) {
  auto label = Label::create(frame);
  label->setText(text);
  label->setFont(font);
  label->setTextColor(color);
  label->setTextAlignment(alignment);
  return label;
}

}  // namespace

void registerDemoClasses() {
  ClassRegistry::shared().registerClass<ViewsDemoDelegate>("ViewsDemoAppDelegate");
}

bool ViewsDemoDelegate::applicationDidFinishLaunchingWithOptions(Application& app) {
  foundation::logInfo("views demo: did finish launching");
  app.setStatusBarStyle(StatusBarStyle::LightContent);
  gfx::Rect screen = Screen::main().bounds();
  window_ = Window::create(screen);
  window_->setBackgroundColor(gfx::Color::grey(0.92));

  auto top = Toolbar::create(gfx::Rect(0, 20, screen.width(), 44));
  top->setBarStyle(BarStyle::Black);
  window_->addSubview(top);
  auto title =
      makeLabel(gfx::Rect(0, 20, screen.width(), 44), "视图演示", gfx::Font::boldSystemFont(20),
                gfx::Color::white(), gfx::TextAlignment::Center);
  title->setTag(DemoTag::Title);
  window_->addSubview(title);

  auto panel = View::create(gfx::Rect(10, 74, 300, 84));
  panel->setBackgroundColor(gfx::Color::white());
  panel->layer().setCornerRadius(8);
  panel->layer().setBorderWidth(1);
  panel->layer().setBorderColor(gfx::Color::grey(0.7));
  window_->addSubview(panel);
  auto index = makeLabel(gfx::Rect(12, 8, 276, 30), "上证指数 3245.67",
                         gfx::Font::boldSystemFont(22), gfx::Color::rgb255(184, 6, 26));
  index->setTag(DemoTag::Index);
  panel->addSubview(index);
  panel->addSubview(makeLabel(gfx::Rect(12, 40, 276, 36),
                              "涨跌 +12.34  涨幅 +0.38%  成交 1234.5亿  A multi-line label wraps "
                              "words and truncates the tail",
                              gfx::Font::systemFont(13), gfx::Color::grey(0.3)));
  static_cast<Label*>(panel->subviews().back().get())->setNumberOfLines(2);

  auto animate = Button::create(ButtonType::RoundedRect, gfx::Rect(10, 170, 145, 44));
  animate->setTitle("开始动画");
  animate->setTag(DemoTag::AnimateButton);
  animate->addTarget([this](Control&) { toggleAnimation(); }, ControlEvent::TouchUpInside);
  window_->addSubview(animate);

  auto flip = Button::create(ButtonType::Custom, gfx::Rect(165, 170, 145, 44));
  flip->setTitle("翻转");
  flip->setTitle("翻转中…", ControlState::Highlighted);
  flip->setBackgroundColor(gfx::Color::rgb255(0, 122, 255));
  flip->layer().setCornerRadius(8);
  flip->setTag(DemoTag::FlipButton);
  flip->addTarget([this](Control&) { flipPanel(); }, ControlEvent::TouchUpInside);
  window_->addSubview(flip);

  // The animated view moves on a track; the flip panel changes colour under a flip.
  auto track = View::create(gfx::Rect(10, 226, 300, 60));
  track->setBackgroundColor(gfx::Color::grey(0.8));
  track->setClipsToBounds(true);
  window_->addSubview(track);
  auto box = View::create(gfx::Rect(5, 5, 50, 50));
  box->setBackgroundColor(gfx::Color::rgb255(255, 149, 0));
  box->layer().setCornerRadius(10);
  box->setTag(DemoTag::AnimatedView);
  track->addSubview(box);

  auto flipPanel = View::create(gfx::Rect(10, 298, 140, 70));
  flipPanel->setBackgroundColor(gfx::Color::rgb255(76, 217, 100));
  flipPanel->setTag(DemoTag::FlipPanel);
  flipPanel->addSubview(makeLabel(gfx::Rect(0, 0, 140, 70), "正面", gfx::Font::boldSystemFont(18),
                                  gfx::Color::white(), gfx::TextAlignment::Center));
  window_->addSubview(flipPanel);

  auto toggle = Switch::create(gfx::Rect(165, 298, 0, 0));
  toggle->setTag(DemoTag::Switch);
  toggle->addTarget(
      [this](Control& c) { setStatus(static_cast<Switch&>(c).isOn() ? "开关: 开" : "开关: 关"); },
      ControlEvent::ValueChanged);
  window_->addSubview(toggle);

  auto spinner = ActivityIndicatorView::create(ActivityIndicatorStyle::Gray);
  spinner->setCenter(gfx::Point(280, 312));
  spinner->setTag(DemoTag::Spinner);
  window_->addSubview(spinner);
  spinner->startAnimating();

  auto segments = SegmentedControl::create({"分时", "日K", "周K", "月K"});
  segments->setFrame(gfx::Rect(165, 335, 145, 30));
  segments->setSegmentedControlStyle(SegmentedControlStyle::Bar);
  segments->setSelectedSegmentIndex(0);
  segments->setTag(DemoTag::Segments);
  segments->addTarget(
      [this](Control& c) {
        auto& s = static_cast<SegmentedControl&>(c);
        setStatus("选择: " + s.titleForSegment(static_cast<size_t>(s.selectedSegmentIndex())));
      },
      ControlEvent::ValueChanged);
  window_->addSubview(segments);

  status_ = makeLabel(gfx::Rect(10, 380, 300, 40), "就绪", gfx::Font::systemFont(15),
                      gfx::Color::black(), gfx::TextAlignment::Center);
  status_->setTag(DemoTag::Status);
  window_->addSubview(status_);
  auto tapArea = View::create(gfx::Rect(10, 380, 300, 40));
  tapArea->addGestureRecognizer(
      TapGestureRecognizer::create([this](GestureRecognizer&) { setStatus("点击了状态栏"); }));
  window_->addSubview(tapArea);

  auto bottom = Toolbar::create(gfx::Rect(0, screen.height() - 44, screen.width(), 44));
  bottom->setTag(DemoTag::Toolbar);
  bottom->setItems({
      BarButtonItem::withTitle("行情", BarButtonItemStyle::Bordered,
                               [this](BarButtonItem&) { setStatus("工具栏: 行情"); }),
      BarButtonItem::flexibleSpace(),
      BarButtonItem::withSystemItem(BarButtonSystemItem::Refresh,
                                    [this](BarButtonItem&) { setStatus("工具栏: 刷新"); }),
      BarButtonItem::withTitle("完成", BarButtonItemStyle::Done,
                               [this](BarButtonItem&) { setStatus("工具栏: 完成"); }),
  });
  window_->addSubview(bottom);

  window_->makeKeyAndVisible();
  return true;
}

void ViewsDemoDelegate::applicationDidEnterBackground(Application&) {
  setStatus("进入后台");
}
void ViewsDemoDelegate::applicationWillEnterForeground(Application&) {
  setStatus("回到前台");
}

std::string ViewsDemoDelegate::status() const {
  return status_ ? status_->text() : "";
}

void ViewsDemoDelegate::setStatus(const std::string& text) {
  if (status_) status_->setText(text);
  foundation::logInfo("views demo: %s", text.c_str());
}

void ViewsDemoDelegate::toggleAnimation() {
  View* box = window_->viewWithTag(DemoTag::AnimatedView);
  auto* button = static_cast<Button*>(window_->viewWithTag(DemoTag::AnimateButton));
  if (!box || !button) return;
  animating_ = !animating_;
  if (animating_) {
    button->setTitle("停止动画");
    setStatus("动画开始");
    View::animate(
        1.0, 0,
        AnimationOption::Repeat | AnimationOption::Autoreverse | AnimationOption::CurveEaseInOut,
        [box] { box->setCenter(gfx::Point(270, 30)); });
    auto pulse = LayerAnimation::keyframe("transform");
    pulse->setDuration(0.4);
    pulse->setValues({gfx::AffineTransform::scaling(0.1, 0.1),
                      gfx::AffineTransform::scaling(1.2, 1.2),
                      gfx::AffineTransform::scaling(0.9, 0.9), gfx::AffineTransform()});
    box->layer().addAnimation(pulse, "pulse");
  } else {
    button->setTitle("开始动画");
    // Back to the start from wherever the box is now; the repeat ends there.
    View::animate(
        0.3, 0, AnimationOption::BeginFromCurrentState,
        [box] { box->setCenter(gfx::Point(30, 30)); }, [this](bool) { setStatus("动画停止"); });
  }
}

void ViewsDemoDelegate::flipPanel() {
  View* panel = window_->viewWithTag(DemoTag::FlipPanel);
  if (!panel) return;
  flipped_ = !flipped_;
  bool front = !flipped_;
  View::transition(
      panel, 0.6,
      front ? AnimationOption::TransitionFlipFromLeft : AnimationOption::TransitionFlipFromRight,
      [panel, front] {
        panel->setBackgroundColor(front ? gfx::Color::rgb255(76, 217, 100)
                                        : gfx::Color::rgb255(88, 86, 214));
        if (!panel->subviews().empty())
          static_cast<Label*>(panel->subviews().front().get())->setText(front ? "正面" : "背面");
      },
      [this, front](bool) { setStatus(front ? "翻到正面" : "翻到背面"); });
}

}  // namespace ui
