#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "InputTestSupport.h"
#include "platform/ui/TextField.h"
#include "widgets/ModalAlert.h"

namespace {

using inputtest::InputTest;

class ModalAlertTest : public InputTest {
 protected:
  // What the user does once the alert shows: runs from a timer inside the call's nested loop.
  void whenShown(std::function<void(ui::AlertView&)> act) {
    foundation::Timer::schedule(0, false, [act = std::move(act), this](foundation::Timer&) {
      auto alert = ui::AlertView::topAlert();
      ASSERT_NE(alert, nullptr);
      shownTitle = alert->title();
      for (int i = 0; i < alert->numberOfButtons(); ++i) {
        shownButtons.push_back(alert->buttonTitleAtIndex(i));
      }
      act(*alert);
    });
  }
  static void type(ui::AlertView& alert, int field, const std::string& text) {
    auto* f =
        dynamic_cast<ui::TextField*>(alert.viewWithTag(ModalAlertDelegate::kFieldTagBase + field));
    ASSERT_NE(f, nullptr);
    f->setText(text);
  }
  static std::function<void(ui::AlertView&)> press(int index) {
    return [index](ui::AlertView& alert) { EXPECT_TRUE(alert.pressButtonAtIndex(index)); };
  }

  std::string shownTitle;
  std::vector<std::string> shownButtons;
};

TEST_F(ModalAlertTest, QuestionsReturnThePressedButtonAfterRunningTheLoop) {
  whenShown(press(2));
  EXPECT_EQ(ModalAlert::ask("选哪个？", "取消", {"甲", "乙"}), 2);
  EXPECT_EQ(shownTitle, "选哪个？");
  EXPECT_EQ(shownButtons, (std::vector<std::string>{"取消", "甲", "乙"}));
  EXPECT_EQ(ui::AlertView::topAlert(), nullptr);

  shownButtons.clear();
  whenShown(press(0));
  EXPECT_TRUE(ModalAlert::ask(std::string("继续？")));
  EXPECT_EQ(shownButtons, (std::vector<std::string>{"Yes", "No"}));
  whenShown(press(1));
  EXPECT_FALSE(ModalAlert::ask(std::string("继续？")));

  shownButtons.clear();
  whenShown(press(1));
  EXPECT_TRUE(ModalAlert::confirm("删除？"));
  EXPECT_EQ(shownButtons, (std::vector<std::string>{"Cancel", "OK"}));
  whenShown(press(0));
  EXPECT_FALSE(ModalAlert::confirm("删除？"));

  shownButtons.clear();
  whenShown(press(0));
  ModalAlert::say("完成");
  EXPECT_EQ(shownTitle, "完成");
  EXPECT_EQ(shownButtons, std::vector<std::string>{"Okay"});
}

TEST_F(ModalAlertTest, TextQueryReturnsTheEnteredTextOrNothingWhenCancelled) {
  whenShown([](ui::AlertView& alert) {
    type(alert, 0, "600000");
    alert.pressButtonAtIndex(1);
  });
  EXPECT_EQ(ModalAlert::askWithTextPrompt("代码", "请输入"), std::optional<std::string>("600000"));
  EXPECT_EQ(shownButtons, (std::vector<std::string>{"Cancel", "OK"}));

  whenShown([](ui::AlertView& alert) {
    type(alert, 0, "typed");
    alert.pressButtonAtIndex(0);
  });
  EXPECT_EQ(ModalAlert::textQueryWith("名称", "名称", "放弃", "确定"), std::nullopt);

  // An empty field gives the empty text, not nothing.
  whenShown(press(1));
  EXPECT_EQ(ModalAlert::textQueryWith("名称", "名称", "放弃", "确定"),
            std::optional<std::string>(""));
}

TEST_F(ModalAlertTest, SeveralPromptsGiveTheirTextsInFieldOrder) {
  whenShown([](ui::AlertView& alert) {
    for (int i = 0; i < 3; ++i) {
      auto* field = alert.viewWithTag(ModalAlertDelegate::kFieldTagBase + i);
      ASSERT_NE(field, nullptr);
      EXPECT_EQ(field->bounds().size, gfx::Size(260, 30));
      std::string placeholder = "p";
      placeholder += std::to_string(i);  // appended: GCC 12 -O2 warns falsely on "p" + string
      EXPECT_EQ(dynamic_cast<ui::TextField*>(field)->placeholder(), placeholder);
    }
    type(alert, 0, "one");
    type(alert, 2, "three");
    alert.pressButtonAtIndex(0);
  });
  auto texts = ModalAlert::ask({"p0", "p1", "p2"}, "登录", "登录", "取消");
  ASSERT_TRUE(texts.has_value());
  EXPECT_EQ(*texts, (std::vector<std::string>{"one", "", "three"}));

  whenShown(press(1));
  EXPECT_EQ(ModalAlert::ask({"p0"}, "登录", "登录", "取消"), std::nullopt);

  // Six prompts: no alert at all.
  EXPECT_EQ(ModalAlert::ask({"1", "2", "3", "4", "5", "6"}, "t", "a", "b"), std::nullopt);
  EXPECT_EQ(ui::AlertView::topAlert(), nullptr);
}

TEST_F(ModalAlertTest, TheFirstFieldIsMovedUpAndEditedAfterTheAlertRose) {
  bool checked = false;
  whenShown([&](ui::AlertView& alert) {
    // Inside the nested loop the clock moves on: the delayed move runs.
    foundation::Clock::advance(ModalAlert::kMoveDelay + 0.05);
    foundation::Timer::schedule(0, false, [&alert, &checked](foundation::Timer&) {
      ui::finishAllAnimations();
      // Moved up for the keyboard (which raises the alert further while it shows).
      EXPECT_EQ(alert.center().x, 160);
      EXPECT_LE(alert.center().y, 180);
      EXPECT_TRUE(alert.viewWithTag(ModalAlertDelegate::kFieldTagBase)->isFirstResponder());
      checked = true;
      type(alert, 0, "x");
      alert.pressButtonAtIndex(1);
    });
  });
  EXPECT_EQ(ModalAlert::askWithTextPrompt("q", "p"), std::optional<std::string>("x"));
  EXPECT_TRUE(checked);
  // The call is over and its alert gone: a late move finds nothing to do.
  advance(1);
}

TEST_F(ModalAlertTest, AnAlertCancelledByTheSystemEndsTheWait) {
  whenShown([](ui::AlertView& alert) { alert.cancel(); });
  EXPECT_EQ(ModalAlert::askWithTextPrompt("q", "p"), std::nullopt);
  whenShown([](ui::AlertView& alert) { alert.cancel(); });
  EXPECT_FALSE(ModalAlert::confirm("q"));
}

}  // namespace
