#include <memory>
#include <string>
#include <vector>

#include "InputTestSupport.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ScrollView.h"

namespace {

using uitest::InputTest;

class RecordingAlertDelegate : public ui::AlertViewDelegate {
 public:
  std::vector<std::string> calls;
  void alertViewClickedButtonAtIndex(ui::AlertView& a, int i) override {
    calls.push_back("clicked " + std::to_string(i) + " tag " + std::to_string(a.tag()));
  }
  void alertViewCancel(ui::AlertView&) override { calls.push_back("cancel"); }
  void willPresentAlertView(ui::AlertView&) override { calls.push_back("will present"); }
  void didPresentAlertView(ui::AlertView&) override { calls.push_back("did present"); }
  void alertViewWillDismissWithButtonIndex(ui::AlertView& a, int i) override {
    calls.push_back("will dismiss " + std::to_string(i) + " visible " +
                    std::to_string(a.isVisible()));
  }
  void alertViewDidDismissWithButtonIndex(ui::AlertView&, int i) override {
    calls.push_back("did dismiss " + std::to_string(i) + " shown " +
                    std::to_string(ui::AlertView::visibleAlerts().size()));
  }
};

class AlertViewTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    delegate = std::make_shared<RecordingAlertDelegate>();
  }
  std::shared_ptr<RecordingAlertDelegate> delegate;
};

TEST_F(AlertViewTest, ButtonsReachTheDelegateWithIndexesAndTag) {
  auto alert = ui::AlertView::create("", "确认删除自选股(浦发银行-600000)吗？", delegate, "取消",
                                     {"确定", "稍后"});
  alert->setTag(103);
  ASSERT_EQ(alert->numberOfButtons(), 3);
  EXPECT_EQ(alert->cancelButtonIndex(), 0);
  EXPECT_EQ(alert->firstOtherButtonIndex(), 1);
  EXPECT_EQ(alert->buttonTitleAtIndex(2), "稍后");
  alert.reset();
  ui::AlertView::create("t", "m", delegate, "取消", {"确定"})->show();  // a second alert
  auto shown = ui::AlertView::visibleAlerts();
  ASSERT_EQ(shown.size(), 1u);
  shown[0]->setTag(101);
  delegate->calls.clear();

  // A real tap on "确定" (the right half of the two-button row).
  ui::Button* ok = shown[0]->buttonAtIndex(1);
  gfx::Point p = ok->convertPointToView(ok->bounds().center(), nullptr);
  p = ok->window()->transformToSuperview().apply(p);
  tap(p.x, p.y);
  EXPECT_EQ(delegate->calls,
            (std::vector<std::string>{"clicked 1 tag 101", "will dismiss 1 visible 0",
                                      "did dismiss 1 shown 0"}));
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty());
  EXPECT_EQ(ui::Application::shared().keyWindow(), window.get());
  // A dismissed alert no longer answers.
  EXPECT_FALSE(shown[0]->pressButtonAtIndex(0));
}

TEST_F(AlertViewTest, StackedButtonsPutCancelLastAndPresentCallsCome) {
  auto alert = ui::AlertView::create("标题", "", delegate, "关闭", {"一", "二"});
  alert->show();
  EXPECT_EQ(delegate->calls, (std::vector<std::string>{"will present", "did present"}));
  EXPECT_GT(alert->buttonAtIndex(0)->frame().y(), alert->buttonAtIndex(2)->frame().y());
  EXPECT_GT(alert->buttonAtIndex(2)->frame().y(), alert->buttonAtIndex(1)->frame().y());
  // The alert is centred on the screen and its window is the key window over a dim layer.
  EXPECT_EQ(alert->center(), gfx::Point(160, 240));
  EXPECT_EQ(ui::Application::shared().keyWindow(), alert->window());
  delegate->calls.clear();
  alert->cancel();
  EXPECT_EQ(delegate->calls, (std::vector<std::string>{"cancel", "will dismiss 0 visible 0",
                                                       "did dismiss 0 shown 0"}));
}

TEST_F(AlertViewTest, TextFieldStylesReturnTheEnteredText) {
  struct Case {
    ui::AlertViewStyle style;
    int fields;
    bool secondSecure;
  };
  const Case cases[] = {{ui::AlertViewStyle::PlainTextInput, 1, false},
                        {ui::AlertViewStyle::SecureTextInput, 1, false},
                        {ui::AlertViewStyle::LoginAndPasswordInput, 2, true}};
  for (const auto& c : cases) {
    auto alert = ui::AlertView::create("输入", "", delegate, "取消", {"确定"});
    alert->setAlertViewStyle(c.style);
    std::vector<std::string> entered;
    alert->setClickedHandler([&](ui::AlertView& a, int) {
      for (int i = 0; i < c.fields; ++i) entered.push_back(a.textFieldAtIndex(i)->text());
    });
    alert->show();
    // The first field edits at once; typed text goes to it.
    ui::Application::shared().sendText("abc");
    if (c.fields == 2) {
      alert->textFieldAtIndex(1)->becomeFirstResponder();
      ui::Application::shared().sendText("pw");
      EXPECT_EQ(alert->textFieldAtIndex(1)->isSecureTextEntry(), c.secondSecure);
    } else {
      EXPECT_EQ(alert->textFieldAtIndex(0)->isSecureTextEntry(),
                c.style == ui::AlertViewStyle::SecureTextInput);
    }
    EXPECT_TRUE(ui::Keyboard::shared().isVisible());
    EXPECT_EQ(alert->textFieldAtIndex(c.fields), nullptr);
    alert->pressButtonAtIndex(1);
    ASSERT_EQ(static_cast<int>(entered.size()), c.fields);
    EXPECT_EQ(entered[0], "abc");
    if (c.fields == 2) {
      EXPECT_EQ(entered[1], "pw");
    }
    advance(0.3);
    EXPECT_FALSE(ui::Keyboard::shared().isVisible());
  }
}

TEST_F(AlertViewTest, ScreensAddTheirOwnFieldsAndRealignLabels) {
  auto alert = ui::AlertView::create("请输入", "\n", delegate, "Cancel", {"OK"});
  alert->show();
  auto field = ui::TextField::create(gfx::Rect(0, 0, 260, 30));
  field->setTag(9999);
  field->setCenter({alert->bounds().width() / 2, alert->bounds().height() / 2 - 10});
  alert->addSubview(field);
  field->becomeFirstResponder();
  ui::Application::shared().sendText("hello");
  for (auto& sub : alert->subviews())
    if (auto* label = dynamic_cast<ui::Label*>(sub.get()))
      label->setTextAlignment(gfx::TextAlignment::Left);
  EXPECT_EQ(alert->messageLabel()->textAlignment(), gfx::TextAlignment::Left);
  auto* found = dynamic_cast<ui::TextField*>(alert->viewWithTag(9999));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->text(), "hello");
  // The message "\n" leaves two lines of room above the buttons.
  EXPECT_GE(alert->messageLabel()->frame().height(), 36);
}

// A server may send an error text of any length. Whatever its length, and with or without the
// keyboard of a text field, the alert stays between the status bar and the bottom of the screen
// (or the top of the keyboard), its buttons can be tapped, and a long text scrolls inside.
TEST_F(AlertViewTest, EveryAlertStaysOnScreenAndALongMessageScrollsInside) {
  const ui::AlertViewStyle styles[] = {ui::AlertViewStyle::Default,
                                       ui::AlertViewStyle::PlainTextInput,
                                       ui::AlertViewStyle::LoginAndPasswordInput};
  for (int length : {1, 40, 1400}) {
    std::string message;
    for (int i = 0; i < length; ++i) message += (i % 7 == 6) ? "。" : "错";
    for (auto style : styles) {
      SCOPED_TRACE(std::to_string(length) + " characters, style " +
                   std::to_string(static_cast<int>(style)));
      auto alert =
          ui::AlertView::create("登录失败", message, delegate, "", {"重新登录", "游客登录"});
      alert->setAlertViewStyle(style);
      alert->show();
      advance(0.3);
      double top = ui::Screen::main().applicationFrame().y();
      double bottom = ui::Screen::main().bounds().height();
      if (style != ui::AlertViewStyle::Default) {
        ASSERT_TRUE(ui::Keyboard::shared().isVisible());
        bottom = ui::Keyboard::shared().frame().y();
      }
      gfx::Rect box = alert->frame();
      EXPECT_GE(box.y(), top);
      EXPECT_LE(box.y() + box.height(), bottom);
      for (int i = 0; i < 2; ++i) {
        ui::Button* button = alert->buttonAtIndex(i);
        gfx::Rect r = button->convertRectToView(button->bounds(), nullptr);
        EXPECT_GE(r.y(), top);
        EXPECT_LE(r.y() + r.height(), bottom);
      }

      ui::ScrollView* scroll = alert->messageScrollView();
      if (length == 1400) {
        // Only part of the text shows at once; scrolling reaches its last line.
        ASSERT_NE(scroll, nullptr);
        EXPECT_EQ(alert->messageLabel()->superview(), scroll);
        EXPECT_GE(scroll->frame().height(), 30);
        EXPECT_LT(scroll->frame().height(), alert->messageLabel()->frame().height());
        EXPECT_EQ(scroll->contentSize().height, alert->messageLabel()->frame().height());
        scroll->setContentOffset(scroll->maximumContentOffset());
        EXPECT_DOUBLE_EQ(scroll->contentOffset().y + scroll->frame().height(),
                         scroll->contentSize().height);
      } else {
        // The whole text shows, a subview of the alert itself.
        EXPECT_EQ(scroll, nullptr);
        EXPECT_EQ(alert->messageLabel()->superview(), alert.get());
      }

      // A tap where "游客登录" is drawn reaches the delegate.
      delegate->calls.clear();
      ui::Button* guest = alert->buttonAtIndex(1);
      gfx::Point p = guest->convertPointToView(guest->bounds().center(), nullptr);
      p = guest->window()->transformToSuperview().apply(p);
      tap(p.x, p.y);
      EXPECT_FALSE(alert->isVisible());
      ASSERT_FALSE(delegate->calls.empty());
      EXPECT_EQ(delegate->calls.front(), "clicked 1 tag 0");
      advance(0.3);
    }
  }
}

TEST_F(AlertViewTest, NestedBlockingAlertReturnsThePressedButton) {
  auto loop = foundation::RunLoop::main();
  int answer = -2;
  bool returned = false;
  std::vector<std::string> order;
  // A callback (as a button action would) asks and blocks until the answer comes; the nested
  // loop keeps serving queued work, which here taps "No" where it is drawn.
  loop->perform([&] {
    loop->perform([&] {
      order.push_back("tap");
      auto top = ui::AlertView::topAlert();
      ASSERT_NE(top, nullptr);
      ui::Button* no = top->buttonAtIndex(1);
      gfx::Point p = no->convertPointToView(no->bounds().center(), nullptr);
      p = no->window()->transformToSuperview().apply(p);
      tap(p.x, p.y);
    });
    auto alert = ui::AlertView::create("继续吗？", "", {}, "", {"Yes", "No"});
    answer = alert->runModal();
    order.push_back("returned");
    returned = true;
  });
  for (int i = 0; i < 10 && !returned; ++i) advance(0.1);
  EXPECT_TRUE(returned);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(order, (std::vector<std::string>{"tap", "returned"}));
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty());
}

}  // namespace
