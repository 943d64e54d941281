#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Switch.h"
#include "platform/ui/Toolbar.h"

namespace {

using gfx::Rect;
using ui::Button;
using ui::Control;
using ui::TouchPhase;
using uitest::UiTest;
namespace Ev = ui::ControlEvent;
namespace St = ui::ControlState;

std::string eventNames(unsigned events) {
  static const std::pair<unsigned, const char*> names[] = {
      {Ev::TouchDown, "down"},         {Ev::TouchDownRepeat, "repeat"},
      {Ev::TouchDragInside, "dragIn"}, {Ev::TouchDragOutside, "dragOut"},
      {Ev::TouchDragEnter, "enter"},   {Ev::TouchDragExit, "exit"},
      {Ev::TouchUpInside, "upIn"},     {Ev::TouchUpOutside, "upOut"},
      {Ev::TouchCancel, "cancel"},     {Ev::ValueChanged, "value"}};
  std::string s;
  for (auto& [bit, name] : names)
    if (events & bit) s += std::string(s.empty() ? "" : "+") + name;
  return s;
}

// Logs every control event the control sends, one entry per event bit.
void logEvents(Control& control, std::vector<std::string>& log) {
  static const unsigned bits[] = {Ev::TouchDown,        Ev::TouchDownRepeat, Ev::TouchDragInside,
                                  Ev::TouchDragOutside, Ev::TouchDragEnter,  Ev::TouchDragExit,
                                  Ev::TouchUpInside,    Ev::TouchUpOutside,  Ev::TouchCancel,
                                  Ev::ValueChanged};
  for (unsigned bit : bits)
    control.addTarget([&log, bit](Control&) { log.push_back(eventNames(bit)); }, bit);
}

struct TouchScript {
  const char* name;
  std::vector<std::pair<TouchPhase, gfx::Point>> steps;
  std::vector<std::string> events;
  bool highlightedAtEnd;
};

class ControlEvents : public UiTest, public ::testing::WithParamInterface<TouchScript> {};

TEST_P(ControlEvents, TouchSequencesProduceTheRightEvents) {
  auto button = Button::create(Rect(100, 100, 100, 40));
  window->addSubview(button);
  std::vector<std::string> log;
  logEvents(*button, log);
  for (auto& [phase, p] : GetParam().steps) touch(phase, p.x, p.y);
  EXPECT_EQ(log, GetParam().events);
  EXPECT_EQ(button->isHighlighted(), GetParam().highlightedAtEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ControlEvents,
    ::testing::Values(
        TouchScript{"tap",
                    {{TouchPhase::Began, {150, 120}}, {TouchPhase::Ended, {150, 120}}},
                    {"down", "upIn"},
                    false},
        TouchScript{"slop",  // lifted a little outside still counts as inside
                    {{TouchPhase::Began, {150, 120}}, {TouchPhase::Ended, {250, 120}}},
                    {"down", "upIn"},
                    false},
        TouchScript{"dragOut",
                    {{TouchPhase::Began, {150, 120}},
                     {TouchPhase::Moved, {160, 120}},
                     {TouchPhase::Moved, {310, 300}},
                     {TouchPhase::Ended, {310, 300}}},
                    {"down", "dragIn", "dragOut", "exit", "upOut"},
                    false},
        TouchScript{"dragBack",
                    {{TouchPhase::Began, {150, 120}},
                     {TouchPhase::Moved, {310, 300}},
                     {TouchPhase::Moved, {150, 120}}},
                    {"down", "dragOut", "exit", "dragIn", "enter"},
                    true},
        TouchScript{"cancel",
                    {{TouchPhase::Began, {150, 120}}, {TouchPhase::Cancelled, {150, 120}}},
                    {"down", "cancel"},
                    false}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(UiTest, DisabledControlsSendNothingAndTargetsCanBeRemoved) {
  auto button = Button::create(Rect(0, 100, 100, 40));
  window->addSubview(button);
  int owned = 0, other = 0;
  int ownerTag = 0;
  button->addTarget([&](Control&) { ++owned; }, Ev::TouchUpInside, &ownerTag);
  auto id = button->addTarget([&](Control&) { ++other; }, Ev::TouchUpInside | Ev::TouchDown);
  button->setEnabled(false);
  EXPECT_EQ(button->state(), St::Disabled);
  tap(10, 110);
  EXPECT_EQ(owned + other, 0);
  button->setEnabled(true);
  tap(10, 110);
  EXPECT_EQ(owned, 1);
  EXPECT_EQ(other, 2);
  button->removeTarget(&ownerTag, Ev::TouchUpInside);
  button->removeAction(id);
  tap(10, 110);
  EXPECT_EQ(owned, 1);
  EXPECT_EQ(other, 2);
  EXPECT_EQ(button->allControlEvents(), 0u);
}

TEST_F(UiTest, ButtonResolvesPerStateValues) {
  auto normal = gfx::Image::filled(gfx::Size(10, 10), gfx::Color::red());
  auto pressed = gfx::Image::filled(gfx::Size(10, 10), gfx::Color::blue());
  auto selected = gfx::Image::filled(gfx::Size(12, 12), gfx::Color::green());
  auto background = gfx::Image::filled(gfx::Size(4, 4), gfx::Color::grey(0.5));
  auto button = Button::create(Rect(0, 100, 100, 40));
  window->addSubview(button);
  button->setTitle("买入");
  button->setTitle("选中", St::Selected);
  button->setTitleColor(gfx::Color::black());
  button->setTitleColor(gfx::Color::red(), St::Highlighted);
  button->setImage(normal);
  button->setImage(pressed, St::Highlighted);
  button->setImage(selected, St::Selected);
  button->setBackgroundImage(background);

  EXPECT_EQ(button->currentTitle(), "买入");
  EXPECT_EQ(button->currentImage(), normal);
  EXPECT_EQ(button->currentBackgroundImage(), background);
  EXPECT_FALSE(button->title(St::Highlighted).has_value());  // exact-state getter

  touch(TouchPhase::Began, 50, 120);
  EXPECT_EQ(button->state(), St::Highlighted);
  EXPECT_EQ(button->currentTitle(), "买入");  // falls back to normal
  EXPECT_EQ(button->currentTitleColor(), gfx::Color::red());
  EXPECT_EQ(button->currentImage(), pressed);
  EXPECT_EQ(button->imageView()->image(), pressed);
  EXPECT_FALSE(button->imageView()->isDimmed());  // it has its own highlighted image
  touch(TouchPhase::Ended, 50, 120);

  button->setSelected(true);
  EXPECT_EQ(button->currentTitle(), "选中");
  EXPECT_EQ(button->titleLabel()->text(), "选中");
  EXPECT_EQ(button->currentImage(), selected);
  // Pressed while selected: the selected values, not the normal ones.
  touch(TouchPhase::Began, 50, 120);
  EXPECT_EQ(button->state(), St::Selected | St::Highlighted);
  EXPECT_EQ(button->currentImage(), selected);
  EXPECT_TRUE(button->imageView()->isDimmed());
  touch(TouchPhase::Ended, 50, 120);
  EXPECT_FALSE(button->imageView()->isDimmed());

  button->setAdjustsImageWhenHighlighted(false);
  touch(TouchPhase::Began, 50, 120);
  EXPECT_FALSE(button->imageView()->isDimmed());
  touch(TouchPhase::Cancelled, 50, 120);
}

TEST_F(UiTest, ButtonLaysOutImageAndTitleInsideInsets) {
  auto button = Button::create(Rect(0, 0, 200, 40));
  button->setImage(gfx::Image::filled(gfx::Size(20, 20), gfx::Color::red()));
  button->layoutIfNeeded();
  // Image alone: centred.
  EXPECT_EQ(button->imageView()->frame(), Rect(90, 10, 20, 20));
  EXPECT_TRUE(button->titleLabel()->isHidden());
  button->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Left);
  button->setContentEdgeInsets(gfx::EdgeInsets(0, 10, 0, 0));
  button->setImageEdgeInsets(gfx::EdgeInsets(0, 5, 0, -5));
  button->layoutIfNeeded();
  EXPECT_EQ(button->imageView()->frame(), Rect(15, 10, 20, 20));
  button->setTitle("确定");
  button->layoutIfNeeded();
  EXPECT_FALSE(button->titleLabel()->isHidden());
  EXPECT_DOUBLE_EQ(button->titleLabel()->frame().x(), 30);  // right after the image
}

TEST_F(UiTest, SwitchAndSegmentedControlReportValueChanges) {
  auto toggle = ui::Switch::create(Rect(10, 100, 0, 0));
  window->addSubview(toggle);
  EXPECT_EQ(toggle->frame().size, gfx::Size(79, 27));
  std::vector<std::string> log;
  toggle->addTarget(
      [&](Control& c) { log.push_back(static_cast<ui::Switch&>(c).isOn() ? "on" : "off"); },
      Ev::ValueChanged);
  tap(20, 110);
  tap(20, 110);
  toggle->setOn(true);  // in code: no event
  EXPECT_EQ(log, (std::vector<std::string>{"on", "off"}));
  EXPECT_TRUE(toggle->isOn());

  auto segments = ui::SegmentedControl::create({"分时", "日K", "周K"});
  segments->setFrame(Rect(0, 200, 300, 30));
  window->addSubview(segments);
  std::vector<int> picks;
  segments->addTarget(
      [&](Control& c) {
        picks.push_back(static_cast<ui::SegmentedControl&>(c).selectedSegmentIndex());
      },
      Ev::ValueChanged);
  EXPECT_EQ(segments->selectedSegmentIndex(), ui::SegmentedControl::kNoSegment);
  tap(150, 210);
  tap(150, 210);  // the selected segment again: no change
  segments->setEnabled(false, 2);
  tap(250, 210);                         // a disabled segment ignores touches
  segments->setSelectedSegmentIndex(0);  // in code: no event
  tap(250, 210);
  EXPECT_EQ(picks, (std::vector<int>{1}));
  EXPECT_EQ(segments->selectedSegmentIndex(), 0);
  segments->setEnabled(true, 2);
  segments->setMomentary(true);
  tap(250, 210);
  EXPECT_EQ(picks, (std::vector<int>{1, 0}));  // momentary: the selection does not move
  segments->removeSegment(0);
  EXPECT_EQ(segments->selectedSegmentIndex(), ui::SegmentedControl::kNoSegment);
}

TEST_F(UiTest, ToolbarSharesRoomAmongFlexibleSpacesAndRunsItemActions) {
  auto bar = ui::Toolbar::create(Rect(0, 436, 320, 44));
  window->addSubview(bar);
  std::vector<std::string> log;
  auto left = ui::BarButtonItem::withTitle("行情", ui::BarButtonItemStyle::Bordered,
                                           [&](ui::BarButtonItem&) { log.push_back("left"); });
  auto custom = ui::Button::create(Rect(0, 0, 40, 30));
  auto right = ui::BarButtonItem::withCustomView(custom);
  auto fixed = ui::BarButtonItem::fixedSpace(30);
  fixed->setWidth(30);
  bar->setItems({left, ui::BarButtonItem::flexibleSpace(), right, fixed});
  bar->layoutIfNeeded();
  EXPECT_EQ(bar->viewForItem(1), nullptr);
  EXPECT_EQ(bar->viewForItem(2), custom.get());
  // The custom view ends where the fixed space and the edge margin begin.
  EXPECT_DOUBLE_EQ(custom->frame().maxX(), 320 - 6 - 30);
  EXPECT_DOUBLE_EQ(custom->frame().y(), 7);
  EXPECT_DOUBLE_EQ(bar->viewForItem(0)->frame().x(), 6);

  gfx::Point p = bar->viewForItem(0)->convertPointToView(gfx::Point(5, 5), nullptr);
  tap(p.x, p.y);
  EXPECT_EQ(log, (std::vector<std::string>{"left"}));
  left->setEnabled(false);  // the bar rebuilds its button
  p = bar->viewForItem(0)->convertPointToView(gfx::Point(5, 5), nullptr);
  tap(p.x, p.y);
  EXPECT_EQ(log.size(), 1u);
}

}  // namespace
