#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "InputTestSupport.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"
#include "shell/InputRoles.h"
#include "shell/ShellAlerts.h"
#include "widgets/InputClasses.h"
#include "widgets/NMButton.h"
#include "platform/ui/Keyboard.h"
#include "widgets/NewTimeInputAlertView.h"
#include "widgets/RiskShowView.h"
#include "widgets/SettingCell.h"
#include "widgets/SmallBoxes.h"

namespace {

using inputtest::InputTest;

// --- risk notice ----------------------------------------------------------------------------

struct RiskRecorder : RiskShowViewDelegate {
  std::vector<int> values;
  void RiskViewDoneWithValue(int value) override { values.push_back(value); }
};
struct RiskDeaf : RiskShowViewDelegate {};

class RiskTest : public InputTest {
 protected:
  std::shared_ptr<RiskShowView> shown(const std::shared_ptr<RiskShowViewDelegate>& delegate) {
    auto box = RiskShowView::createWithDefaultXib();
    box->setDelegate(delegate);
    box->setContentText("投资有风险");
    box->showInWindow();
    advance(RiskShowView::kFadeSeconds + 0.1);
    return box;
  }
  static size_t countIn(const ui::View& parent, const ui::View* child) {
    size_t n = 0;
    for (const auto& view : parent.subviews()) n += view.get() == child ? 1 : 0;
    return n;
  }
};

TEST_F(RiskTest, AnswersOneZeroOrMinusOneAndFadesAway) {
  auto recorder = std::make_shared<RiskRecorder>();
  auto box = shown(recorder);
  EXPECT_DOUBLE_EQ(box->presentationAlpha(), 1);
  EXPECT_EQ(box->readlyView()->center(), box->bounds().center());
  tapView(*box->btnCheckBox());
  EXPECT_TRUE(box->btnCheckBox()->isSelected());
  tapView(*box->YFBtnOK());
  tapView(*box->YFBtnOK());  // fading out: no second answer
  EXPECT_EQ(recorder->values, std::vector<int>{1});
  advance(RiskShowView::kFadeSeconds + 0.1);
  EXPECT_EQ(box->superview(), nullptr);

  auto plain = shown(recorder);
  tapView(*plain->YFBtnOK());
  auto ticked = shown(recorder);
  tapView(*ticked->btnCheckBox());
  tapView(*ticked->YFBtnCancle());
  EXPECT_EQ(recorder->values, (std::vector<int>{1, 0, -1}));
}

TEST_F(RiskTest, WithoutAListeningDelegateTheBoxStillLeaves) {
  auto none = shown(nullptr);
  tapView(*none->YFBtnOK());
  auto deaf = std::make_shared<RiskDeaf>();
  auto other = shown(deaf);
  tapView(*other->YFBtnCancle());
  advance(RiskShowView::kFadeSeconds + 0.1);
  EXPECT_EQ(none->superview(), nullptr);
  EXPECT_EQ(other->superview(), nullptr);
}

TEST_F(RiskTest, ShowingAgainAddsTheBoxOnceAndWiresTheButtonsOnce) {
  auto recorder = std::make_shared<RiskRecorder>();
  auto box = shown(recorder);
  box->showInView(*window);
  box->showInWindow();
  advance(RiskShowView::kFadeSeconds + 0.1);
  EXPECT_EQ(countIn(*window, box.get()), 1u);
  EXPECT_EQ(box->YFBtnOK()->gestureRecognizers().size(), 1u);
  tapView(*box->YFBtnOK());
  EXPECT_EQ(recorder->values, std::vector<int>{0});
}

TEST_F(RiskTest, HidingTheCheckBoxGivesItsRoomToTheText) {
  auto box = RiskShowView::createWithDefaultXib();
  const gfx::Rect text = box->viewWithTag(kRiskTextTag)->frame();
  const gfx::Rect frame = box->viewWithTag(kRiskTextFrameTag)->frame();
  const double h = box->btnCheckBox()->frame().height();
  box->hideCheckBox();
  EXPECT_TRUE(box->btnCheckBox()->isHidden());
  EXPECT_TRUE(box->viewWithTag(kRiskCheckCaptionTag)->isHidden());
  EXPECT_EQ(box->viewWithTag(kRiskTextTag)->frame(),
            gfx::Rect(text.x(), text.y(), text.width(), text.height() + h));
  EXPECT_EQ(box->viewWithTag(kRiskTextFrameTag)->frame(),
            gfx::Rect(frame.x(), frame.y(), frame.width(), frame.height() + h));
}

// --- phone and SMS-code box -----------------------------------------------------------------

struct LoginRecorder : alertViewDelegate {
  std::vector<std::string> codes;
  std::vector<std::pair<std::string, std::string>> logins;
  bool boxShownDuringLogin = false;
  void getCode(const std::string& phone) override { codes.push_back(phone); }
  void loginEvent(const std::string& phone, const std::string& code, ui::View& view) override {
    logins.emplace_back(phone, code);
    boxShownDuringLogin = view.superview() != nullptr;
  }
};
struct LoginDeaf : alertViewDelegate {};

class PhoneBoxTest : public InputTest {
 protected:
  std::shared_ptr<NewTimeInputAlertView> shown(const std::shared_ptr<alertViewDelegate>& d) {
    RegisterInputClasses();
    auto view = CreatePhoneLoginBox();
    auto box = std::dynamic_pointer_cast<NewTimeInputAlertView>(view);
    EXPECT_NE(box, nullptr);
    if (!box) return nullptr;
    static_cast<PhoneLoginBoxRole&>(*box).setDelegate(d);
    static_cast<PhoneLoginBoxRole&>(*box).showInWindow();
    ui::finishAllAnimations();
    return box;
  }
};

TEST_F(PhoneBoxTest, PassesTheNumberAndCodeAsTypedAndClosesAfterLogin) {
  auto recorder = std::make_shared<LoginRecorder>();
  auto box = shown(recorder);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->superview(), window.get());
  box->phoneNumText()->setText(" 138-0013 8000x");
  tapView(*box->codeButton());
  EXPECT_EQ(recorder->codes, std::vector<std::string>{" 138-0013 8000x"});
  EXPECT_EQ(box->superview(), window.get());  // asking for a code keeps the box
  box->codeText()->setText("１２３");
  tapView(*box->loginButton());
  ASSERT_EQ(recorder->logins.size(), 1u);
  EXPECT_EQ(recorder->logins[0].first, " 138-0013 8000x");
  EXPECT_EQ(recorder->logins[0].second, "１２３");
  EXPECT_TRUE(recorder->boxShownDuringLogin);
  EXPECT_EQ(box->superview(), nullptr);
}

TEST_F(PhoneBoxTest, PopsInOverTheWindowAndTakesTheKeyboardFromOtherFields) {
  auto other = ui::TextField::create(gfx::Rect(10, 10, 100, 30));
  window->addSubview(other);
  ASSERT_TRUE(other->becomeFirstResponder());
  auto box = NewTimeInputAlertView::createWithDefaultXib();
  box->showInWindow();
  EXPECT_FALSE(other->isFirstResponder());
  EXPECT_TRUE(box->mainView()->clipsToBounds());
  EXPECT_EQ(box->mainView()->layer().cornerRadius(), 5);
  // Starts small and overshoots before it settles.
  advance(0.01);
  auto start = box->mainView()->layer().animatedTransform();
  ASSERT_TRUE(start.has_value());
  EXPECT_LT(start->a, 0.3);
  advance(NewTimeInputAlertView::kPopSeconds / 3 - 0.01);
  EXPECT_GT(box->mainView()->layer().animatedTransform().value_or(gfx::AffineTransform()).a, 1.1);
  advance(NewTimeInputAlertView::kPopSeconds);
  EXPECT_FALSE(box->mainView()->layer().hasRunningAnimations());
}

TEST_F(PhoneBoxTest, ADelegateWithoutTheMethodsOnlyClosesOnLogin) {
  auto deaf = std::make_shared<LoginDeaf>();
  auto box = shown(deaf);
  ASSERT_NE(box, nullptr);
  box->requestCodeAction();
  EXPECT_EQ(box->superview(), window.get());
  box->loginAction();
  EXPECT_EQ(box->superview(), nullptr);
  auto again = shown(nullptr);
  ASSERT_NE(again, nullptr);
  tapView(*again->cancelButton());
  EXPECT_EQ(again->superview(), nullptr);
}

// The fault mended: with its number pad up the box's code field and every button lay under the
// pad, nothing put the pad away, and taps meant for the buttons typed digits (22 of them).
TEST_F(PhoneBoxTest, StaysUsableWithItsNumberPadUp) {
  auto recorder = std::make_shared<LoginRecorder>();
  auto box = shown(recorder);
  ASSERT_NE(box, nullptr);
  const gfx::Rect rest = box->mainView()->frame();
  tapView(*box->phoneNumText());
  advance(0.5);
  ui::Keyboard& keyboard = ui::Keyboard::shared();
  ASSERT_TRUE(keyboard.isVisible());
  const gfx::Rect pad = keyboard.frame();
  const gfx::Rect up = box->mainView()->convertRectToView(box->mainView()->bounds(), nullptr);
  EXPECT_LE(up.maxY(), pad.y()) << "the box goes under the pad";
  EXPECT_GE(up.y(), 20) << "the box goes under the status bar";
  // Key by key, and pasted: no more than the 11 digits of a mobile number, digits only.
  ui::SystemKeyboardView* keys = keyboard.systemKeyboard();
  ASSERT_NE(keys, nullptr);
  for (char c : std::string("139123456789876")) keys->pressKey(std::string(1, c));
  EXPECT_EQ(box->phoneNumText()->text(), "13912345678");
  box->phoneNumText()->setText("1391");
  auto* field = box->phoneNumText();
  EXPECT_FALSE(field->delegate()->textFieldShouldChangeCharactersInRange(*field, {4, 0}, "23x"));
  EXPECT_FALSE(field->delegate()->textFieldShouldChangeCharactersInRange(*field, {4, 0},
                                                                         "2345678999"));
  EXPECT_EQ(field->text(), "13912345678");
  // Every button is in reach: a tap asks for the code and types nothing.
  tapView(*box->codeButton());
  EXPECT_EQ(recorder->codes, std::vector<std::string>{"13912345678"});
  EXPECT_EQ(field->text(), "13912345678");
  tapView(*box->codeText());
  advance(0.5);
  EXPECT_TRUE(box->codeText()->isFirstResponder());
  // A tap beside the fields (the box's title) puts the pad away; the box goes back.
  tap(box->mainView()->convertPointToView(gfx::Point(20, 14), nullptr));
  advance(0.5);
  EXPECT_FALSE(keyboard.isVisible());
  EXPECT_EQ(box->mainView()->frame(), rest);
  tapView(*box->loginButton());
  ASSERT_EQ(recorder->logins.size(), 1u);
  EXPECT_EQ(recorder->logins[0].first, "13912345678");
}

// --- draggable edge button ------------------------------------------------------------------

class EdgeButtonTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    parent = ui::View::create(gfx::Rect(0, 0, 320, 480));
    window->addSubview(parent);
    button = NMButton::create(gfx::Rect(100, 200, 50, 50));
    parent->addSubview(button);
    button->addTarget([this](ui::Control&) { ++fired; }, ui::ControlEvent::TouchUpInside);
  }
  void drag(gfx::Point from, gfx::Point to) {
    touch(ui::TouchPhase::Began, from);
    touch(ui::TouchPhase::Moved, gfx::Point((from.x + to.x) / 2, (from.y + to.y) / 2));
    touch(ui::TouchPhase::Moved, to);
    touch(ui::TouchPhase::Ended, to);
    advance(NMButton::kSnapSeconds + 0.05);
  }

  std::shared_ptr<ui::View> parent;
  std::shared_ptr<NMButton> button;
  int fired = 0;
};

TEST_F(EdgeButtonTest, ATapWithoutMovementFiresOnce) {
  tap(gfx::Point(125, 225));
  EXPECT_EQ(fired, 1);
  button->setDragEnable(true);
  button->setAdsorbEnable(true);
  tap(gfx::Point(125, 225));
  EXPECT_EQ(fired, 2);
  EXPECT_FALSE(button->isHighlighted());
}

TEST_F(EdgeButtonTest, DraggedAndReleasedItSnapsToTheNearestEdge) {
  button->setDragEnable(true);
  button->setAdsorbEnable(true);
  // Into the middle, nearer the right edge: to the right edge, height kept.
  drag(gfx::Point(125, 225), gfx::Point(205, 245));
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(button->frame(), gfx::Rect(320 - 50 - 5, 220, 50, 50));
  // 20 points below the top, 100 from the left: to the top, x kept.
  button->setFrame(gfx::Rect(100, 20, 50, 50));
  touch(ui::TouchPhase::Began, gfx::Point(120, 40));
  touch(ui::TouchPhase::Moved, gfx::Point(125, 40));
  touch(ui::TouchPhase::Ended, gfx::Point(125, 40));
  advance(NMButton::kSnapSeconds + 0.05);
  EXPECT_EQ(button->frame(), gfx::Rect(105, 5, 50, 50));
  EXPECT_EQ(fired, 0);
}

TEST_F(EdgeButtonTest, SnappingRulesAtTheEdges) {
  const gfx::Size size(320, 480);
  // The bottom 40 points above the reserved strip: to the bottom.
  EXPECT_EQ(NMButton::snappedFrame(gfx::Rect(100, 480 - 30 - 40 - 50, 50, 50), size),
            gfx::Rect(100, 480 - 30 - 50 - 5, 50, 50));
  // Near the top and sticking out at a side: pulled in by the margin.
  EXPECT_EQ(NMButton::snappedFrame(gfx::Rect(2, 10, 50, 50), size), gfx::Rect(5, 5, 50, 50));
  EXPECT_EQ(NMButton::snappedFrame(gfx::Rect(290, 10, 50, 50), size), gfx::Rect(265, 5, 50, 50));
  EXPECT_EQ(NMButton::snappedFrame(gfx::Rect(100, 200, 50, 50), size), gfx::Rect(5, 200, 50, 50));
}

TEST_F(EdgeButtonTest, WithoutAdsorbItStaysWhereItWasDropped) {
  button->setDragEnable(true);
  drag(gfx::Point(125, 225), gfx::Point(145, 265));
  EXPECT_EQ(button->frame(), gfx::Rect(120, 240, 50, 50));
  // Without drag it neither moves nor fires after a moving touch.
  button->setDragEnable(false);
  drag(gfx::Point(145, 265), gfx::Point(165, 285));
  EXPECT_EQ(button->frame(), gfx::Rect(120, 240, 50, 50));
  EXPECT_EQ(fired, 0);
}

// --- small boxes ----------------------------------------------------------------------------

using SmallBoxTest = InputTest;

TEST_F(SmallBoxTest, AlertLoadingHidesAfterTenSecondsPerShowAndGivesTheLabelBack) {
  auto label = ui::Label::create(gfx::Rect(0, 0, 100, 20));
  auto box = AlertLoading::create(gfx::Rect(0, 0, 200, 30));
  window->addSubview(box);
  box->setHideLabel(label);
  EXPECT_TRUE(box->isHidden());
  EXPECT_EQ(box->label()->frame(), gfx::Rect(22, 0, 200, 30));
  EXPECT_EQ(box->activity()->frame(), gfx::Rect(4, 7, 16, 16));

  box->showAlertMsg();  // at 0 s
  EXPECT_TRUE(label->isHidden());
  EXPECT_TRUE(box->activity()->isAnimating());
  advance(6);
  box->showAlertMsg();  // at 6 s
  advance(3.9);
  EXPECT_FALSE(box->isHidden());
  advance(0.2);  // 10.1 s: the first timer
  EXPECT_TRUE(box->isHidden());
  EXPECT_FALSE(label->isHidden());
  EXPECT_FALSE(box->activity()->isAnimating());
  box->showAlertMsg();
  EXPECT_TRUE(label->isHidden());
  advance(6);  // 16.1 s: the second timer
  EXPECT_TRUE(box->isHidden());
  EXPECT_FALSE(label->isHidden());
}

TEST_F(SmallBoxTest, AlertLoadingTimersLeaveGoneLabelsAndBoxesAlone) {
  std::weak_ptr<AlertLoading> weakBox;
  {
    auto box = AlertLoading::create(gfx::Rect(0, 0, 200, 30));
    weakBox = box;
    {
      auto label = ui::Label::create();
      box->setHideLabel(label);
      box->showAlertMsg();
      EXPECT_TRUE(label->isHidden());
    }
    // The label went away while the box showed.
    advance(11);
    EXPECT_TRUE(box->isHidden());
    box->showAlertMsg();
  }
  EXPECT_TRUE(weakBox.expired());
  advance(11);  // the box's timer finds nothing
  // Without a label the box shows and hides only itself.
  auto alone = AlertLoading::create(gfx::Rect(0, 0, 200, 30));
  alone->showAlertMsg();
  advance(10.1);
  EXPECT_TRUE(alone->isHidden());
}

TEST_F(SmallBoxTest, AlertTextHidesTwoSecondsAfterEachShow) {
  auto box = AlertText::create(gfx::Rect(0, 0, 200, 160));
  window->addSubview(box);
  EXPECT_TRUE(box->isHidden());
  EXPECT_EQ(box->flagImage()->frame(), gfx::Rect(68, 20, 64, 64));
  EXPECT_EQ(box->label()->frame(), gfx::Rect(5, 80, 190, 80));
  box->setAlertTextMsg("已添加");
  box->showAlertMsg();
  advance(1);
  box->hideAlertMsg();
  box->showAlertMsg();  // the first timer still hides it at 2 s
  advance(1.05);
  EXPECT_TRUE(box->isHidden());
  std::weak_ptr<AlertText> weak = box;
  box->showAlertMsg();
  box->removeFromSuperview();
  box.reset();
  EXPECT_TRUE(weak.expired());
  advance(3);
}

TEST_F(SmallBoxTest, TextFieldPlacesItsAccessoriesTwoPointsIn) {
  auto field = myTextField::create(gfx::Rect(0, 0, 200, 44));
  EXPECT_EQ(field->borderStyle(), ui::TextBorderStyle::None);
  EXPECT_EQ(field->leftViewRectForBounds(gfx::Rect(1, 2, 3, 4)), gfx::Rect());
  EXPECT_EQ(field->rightViewRectForBounds(gfx::Rect(1, 2, 3, 4)), gfx::Rect());
  field->setLeftView(ui::View::create(gfx::Rect(0, 0, 30, 20)));
  field->setRightView(ui::View::create(gfx::Rect(0, 0, 24, 21)));
  EXPECT_EQ(field->leftViewRectForBounds(gfx::Rect()), gfx::Rect(2, 12, 30, 20));
  EXPECT_EQ(field->rightViewRectForBounds(gfx::Rect()), gfx::Rect(200 - 24 - 2, 11, 24, 21));
}

TEST_F(SmallBoxTest, EmptyStringsAndLeftAlignedAlertLabels) {
  EXPECT_TRUE(isEmptyString(""));
  EXPECT_TRUE(isEmptyString(std::string("\0abc", 4)));
  EXPECT_FALSE(isEmptyString(" "));

  auto alert =
      myUIAlertView::create("转账确认", "转出：100.00\n转入：工商银行", {}, "取消", {"确定"});
  auto inner = ui::Label::create();
  inner->setTextAlignment(gfx::TextAlignment::Center);
  auto holder = ui::View::create();
  holder->addSubview(inner);
  alert->addSubview(holder);
  alert->setAlignLeft();
  EXPECT_EQ(alert->titleLabel()->textAlignment(), gfx::TextAlignment::Left);
  EXPECT_EQ(alert->messageLabel()->textAlignment(), gfx::TextAlignment::Left);
  EXPECT_EQ(inner->textAlignment(), gfx::TextAlignment::Center);
  EXPECT_EQ(alert->cancelButtonIndex(), 0);
  EXPECT_EQ(alert->buttonTitleAtIndex(1), "确定");
}

TEST_F(SmallBoxTest, TextFieldCStringIsAsciiCutToTheBuffer) {
  char buf[8];
  std::memset(buf, 'z', sizeof buf);
  auto field = ui::TextField::create();
  EXPECT_EQ(GetTextFieldCString(field.get(), buf, sizeof buf), 0);
  EXPECT_EQ(buf[0], 0);
  field->setText("600000");
  EXPECT_EQ(GetTextFieldCString(field.get(), buf, sizeof buf), 6);
  EXPECT_STREQ(buf, "600000");
  field->setText("ABCDEFGHIJ");
  EXPECT_EQ(GetTextFieldCString(field.get(), buf, sizeof buf), 7);
  EXPECT_STREQ(buf, "ABCDEFG");
  field->setText("平安银行");
  std::memset(buf, 'z', sizeof buf);
  EXPECT_EQ(GetTextFieldCString(field.get(), buf, sizeof buf), 0);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(GetTextFieldCString(nullptr, buf, sizeof buf), 0);
  EXPECT_EQ(GetTextFieldCString(field.get(), nullptr, 4), 0);
}

TEST_F(SmallBoxTest, SettingCellLaysOutArrowNameAndCode) {
  auto cell = SettingCell::create(gfx::Rect(0, 0, 320, 36));
  ASSERT_EQ(cell->subviews().size(), 3u);
  EXPECT_EQ(cell->subviews()[0].get(), cell->arrow());
  EXPECT_EQ(cell->subviews()[1].get(), cell->NameLabel());
  EXPECT_EQ(cell->subviews()[2].get(), cell->CodeLabel());
  EXPECT_EQ(cell->arrow()->frame(), gfx::Rect(300, 12, 10, 15));
  EXPECT_FALSE(cell->arrow()->image().isEmpty());
  EXPECT_EQ(cell->NameLabel()->frame(), gfx::Rect(140, 8, 155, 22));
  EXPECT_EQ(cell->CodeLabel()->frame(), gfx::Rect(40, 8, 100, 22));
  EXPECT_EQ(cell->NameLabel()->textColor(), gfx::Color::white());
  auto replacement = ui::Label::create(gfx::Rect(0, 0, 10, 10));
  cell->setNameLabel(replacement);
  EXPECT_EQ(cell->NameLabel(), replacement.get());
  EXPECT_EQ(cell->subviews().size(), 3u);
}

}  // namespace
