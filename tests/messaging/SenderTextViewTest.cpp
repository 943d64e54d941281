#include "messaging/SenderTextView.h"
#include "tests/widgets/WidgetTestSupport.h"

namespace {

class SenderTextViewTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "text layout: not under ThreadSanitizer";
#endif
  }
  std::shared_ptr<SenderTextView> Field(double width) {
    auto field = SenderTextView::create(gfx::Rect(10, 70, width, 30));
    window->addSubview(field);
    return field;
  }
  // The delete key as the text field hands it on.
  static void PressDelete(SenderTextView& field) {
    field.textField()->becomeFirstResponder();
    field.textField()->deleteBackward();
  }
};

class Deletions : public SenderTextViewDelegate {
 public:
  void senderTextViewDidDelete(SenderTextView&, int position) override { positions.push_back(position); }
  std::vector<int> positions;
};

TEST_F(SenderTextViewTest, TokensTwoToALineAndTheFieldGrowsByLines) {
  auto field = Field(300);
  field->updateSenders({"王明", "李华", "张伟"});
  EXPECT_EQ(field->token(0)->frame(), gfx::Rect(5, 5, 140, 20));
  EXPECT_EQ(field->token(1)->frame(), gfx::Rect(155, 5, 140, 20));
  EXPECT_EQ(field->token(2)->frame(), gfx::Rect(5, 35, 140, 20));
  EXPECT_EQ(field->token(2)->title(ui::ControlState::Normal), "张伟");
  EXPECT_EQ(field->textField()->frame(), gfx::Rect(155, 35, 300, 20));
  EXPECT_EQ(field->frame().height(), 60);
  EXPECT_EQ(field->scrollView()->frame().height(), 60);

  field->updateSenders({});
  EXPECT_EQ(field->frame().height(), 30);
  EXPECT_EQ(field->textField()->frame().origin, gfx::Point(5, 5));

  auto odd = Field(301);
  odd->updateSenders({"a", "b"});
  EXPECT_DOUBLE_EQ(odd->token(0)->frame().width(), 140.5);
  EXPECT_DOUBLE_EQ(odd->token(1)->frame().x(), 155.5);
}

TEST_F(SenderTextViewTest, DeleteRemovesTheLastOrTheChosenTokenAndTypingDoesNothing) {
  auto field = Field(300);
  auto deletions = std::make_shared<Deletions>();
  field->setSenderTextViewDelegate(deletions);
  PressDelete(*field);
  EXPECT_TRUE(deletions->positions.empty()) << "no receivers: nothing";
  EXPECT_EQ(field->frame().height(), 30);

  // The receivers given take no focus (the field takes no typed text); the token tapped takes
  // the delete key.
  field->textField()->resignFirstResponder();
  field->updateSenders({"王明", "李华", "张伟"});
  EXPECT_FALSE(field->textField()->isFirstResponder());
  PressDelete(*field);
  EXPECT_EQ(deletions->positions, (std::vector<int>{2}));
  EXPECT_EQ(field->names(), (std::vector<std::string>{"王明", "李华"}));
  EXPECT_EQ(field->frame().height(), 60);

  field->updateSenders({"王明", "李华", "张伟"});
  field->token(0)->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(field->currentChoose(), 0);
  EXPECT_EQ(field->token(0)->backgroundColor(), gfx::Color(0, 0, 1));
  PressDelete(*field);
  EXPECT_EQ(deletions->positions.back(), 0);
  EXPECT_EQ(field->names(), (std::vector<std::string>{"李华", "张伟"}));
  EXPECT_EQ(field->currentChoose(), -1);
  EXPECT_EQ(field->token(0)->title(ui::ControlState::Normal), "李华");

  field->textField()->insertText("abc");
  EXPECT_EQ(field->textField()->text(), " ");
  EXPECT_EQ(field->names().size(), 2u);
  field->textField()->becomeFirstResponder();
  EXPECT_TRUE(field->textFieldShouldReturn(*field->textField()));
  EXPECT_FALSE(field->textField()->isFirstResponder()) << "return hides the keyboard";

  field->disableEdit();
  field->token(1)->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(field->currentChoose(), 1) << "a tap still chooses";
  EXPECT_FALSE(field->textField()->isFirstResponder());
  EXPECT_FALSE(field->textField()->isUserInteractionEnabled());
}

}  // namespace
