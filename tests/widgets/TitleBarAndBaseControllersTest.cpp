#include <memory>
#include <utility>
#include <vector>

#include "BarsTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/TextField.h"
#include "widgets/BaseControllers.h"
#include "widgets/CustomTitleView.h"

namespace {

using barstest::BarsTest;

struct TitleTaps : CustomTitleViewDelegate {
  std::vector<bool> taps;
  void CustomTitleViewClickItem(CustomTitleView& bar, bool left) override {
    (void)bar;
    taps.push_back(left);
  }
};

using TitleBarTest = BarsTest;

TEST_F(TitleBarTest, ReportsItsTwoButtons) {
  auto bar = CustomTitleView::create(gfx::Rect(0, 0, 320, 44));
  auto taps = std::make_shared<TitleTaps>();
  window->addSubview(bar);
  EXPECT_TRUE(bar->leftButton()->isHidden());
  EXPECT_TRUE(bar->rightButton()->isHidden());
  EXPECT_EQ(bar->leftButton()->currentTitle(), "返回");
  EXPECT_EQ(bar->rightButton()->frame(), gfx::Rect(269, 7, 47, 32));
  EXPECT_EQ(bar->titleLabel()->frame(), gfx::Rect(70, 5, 180, 34));
  bar->setTitle("预警设置");
  EXPECT_EQ(bar->titleLabel()->text(), "预警设置");

  // Without a delegate a tap goes nowhere.
  bar->leftButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  bar->setDelegate(taps);
  bar->setRightText("保存");
  EXPECT_FALSE(bar->rightButton()->isHidden());
  EXPECT_EQ(bar->rightButton()->currentTitle(), "保存");
  bar->leftButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  bar->rightButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(taps->taps, (std::vector<bool>{true, false}));
  bar->hideRightButton(true);
  EXPECT_TRUE(bar->rightButton()->isHidden());

  // Another sender reports nothing.
  auto stray = ui::Button::create(ui::ButtonType::Custom);
  bar->buttonAction(*stray);
  EXPECT_EQ(taps->taps.size(), 2u);
}

TEST_F(TitleBarTest, AReplacedButtonReachesTheDelegateOnlyThroughButtonAction) {
  auto bar = CustomTitleView::create(gfx::Rect(0, 0, 320, 44));
  auto taps = std::make_shared<TitleTaps>();
  bar->setDelegate(taps);
  auto own = ui::Button::create(ui::ButtonType::Custom);
  int ownTaps = 0;
  own->addTarget([&](ui::Control&) { ++ownTaps; }, ui::ControlEvent::TouchUpInside);
  bar->setLeftButton(own);
  EXPECT_EQ(bar->leftButton(), own.get());
  EXPECT_EQ(own->superview(), bar.get());
  own->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(ownTaps, 1);
  EXPECT_TRUE(taps->taps.empty());

  std::weak_ptr<CustomTitleView> weak = bar;
  auto wired = ui::Button::create(ui::ButtonType::Custom);
  wired->addTarget(
      [weak](ui::Control& sender) {
        if (auto b = weak.lock()) b->buttonAction(sender);
      },
      ui::ControlEvent::TouchUpInside);
  bar->setRightButton(wired);
  wired->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(taps->taps, std::vector<bool>{false});
  bar->setRightButton(nullptr);
  EXPECT_EQ(bar->rightButton(), nullptr);
  EXPECT_EQ(wired->superview(), nullptr);
}

class Settings : public ArScrollViewController {
 public:
  void viewDidLoad() override {
    ArScrollViewController::viewDidLoad();
    setHeightToBottomScreen(49);
    mView()->setContentSize(gfx::Size(320, 900));
    for (double y : {40.0, 380.0}) {
      auto field = ui::TextField::create(gfx::Rect(20, y, 280, 31));
      field->setDelegate(sharedAs<ui::TextFieldDelegate>());
      mView()->addSubview(field);
      fields.push_back(field);
    }
  }
  std::vector<std::shared_ptr<ui::TextField>> fields;
};

class KeyboardAvoidingTest : public BarsTest {
 protected:
  void SetUp() override {
    BarsTest::SetUp();
    screen = std::make_shared<Settings>();
    window->addSubview(screen->viewShared());
    screen->view()->setFrame(gfx::Rect(0, 20, 320, 460));
  }
  void TearDown() override {
    screen.reset();
    BarsTest::TearDown();
  }
  static void Post(const char* name, double beginHeight, double endHeight) {
    foundation::Dictionary info{
        {ui::kKeyboardFrameBeginUserInfoKey,
         ui::valueWithRect(gfx::Rect(0, 480 - beginHeight, 320, beginHeight))},
        {ui::kKeyboardFrameEndUserInfoKey,
         ui::valueWithRect(gfx::Rect(0, 480 - endHeight, 320, endHeight))}};
    foundation::NotificationCenter::defaultCenter().post(name, nullptr, foundation::Value(info));
  }
  std::shared_ptr<Settings> screen;
};

TEST_F(KeyboardAvoidingTest, ShrinksForTheKeyboardScrollsTheFieldInAndRestores) {
  screen->viewWillAppear(false);
  ui::ScrollView* scroll = screen->mView();
  ASSERT_NE(scroll, nullptr);
  const gfx::Rect before = scroll->frame();
  EXPECT_EQ(screen->scrollViewFrame(), before);
  EXPECT_FALSE(scroll->isPagingEnabled());

  ASSERT_TRUE(screen->fields[1]->becomeFirstResponder());
  drain();
  // The keyboard's own notification did the work (216 points, 49 of them kept).
  EXPECT_TRUE(screen->keyboardIsShowing());
  EXPECT_DOUBLE_EQ(scroll->frame().height(), before.height() - 167);
  // The scroll view glides to the field.
  EXPECT_TRUE(scroll->isScrollAnimating());
  advance(0.5);
  const gfx::Rect field = screen->fields[1]->frame();
  EXPECT_GE(scroll->contentOffset().y + scroll->bounds().height(), field.y() + 10 + field.height());

  // The same size again changes nothing; a taller keyboard shrinks it further.
  Post(ui::kKeyboardWillShowNotification, 216, 216);
  EXPECT_DOUBLE_EQ(scroll->frame().height(), before.height() - 167);
  Post(ui::kKeyboardWillShowNotification, 216, 252);
  EXPECT_DOUBLE_EQ(scroll->frame().height(), before.height() - 203);

  screen->fields[1]->resignFirstResponder();
  drain();
  EXPECT_FALSE(screen->keyboardIsShowing());
  EXPECT_EQ(scroll->frame(), before);
}

TEST_F(KeyboardAvoidingTest, HidesWithoutShowAndShowsWithoutFieldsChangeOnlyWhatTheyShould) {
  screen->viewWillAppear(false);
  ui::ScrollView* scroll = screen->mView();
  const gfx::Rect before = scroll->frame();
  Post(ui::kKeyboardWillHideNotification, 216, 216);
  EXPECT_EQ(scroll->frame(), before);
  EXPECT_FALSE(screen->keyboardIsShowing());

  // No field is editing: the view shrinks but does not scroll.
  Post(ui::kKeyboardWillShowNotification, 216, 216);
  EXPECT_DOUBLE_EQ(scroll->frame().height(), before.height() - 167);
  ui::finishAllAnimations();
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
  Post(ui::kKeyboardWillHideNotification, 216, 216);
  EXPECT_EQ(scroll->frame(), before);

  // Away from the screen the keyboard is not heard.
  screen->viewWillDisappear(false);
  Post(ui::kKeyboardWillShowNotification, 216, 216);
  EXPECT_EQ(scroll->frame(), before);
  // A strip taller than the keyboard does not grow the view.
  screen->viewWillAppear(false);
  screen->setHeightToBottomScreen(300);
  Post(ui::kKeyboardWillShowNotification, 216, 216);
  EXPECT_EQ(scroll->frame(), before);
}

}  // namespace
