#include <string>
#include <utility>
#include <vector>

#include "InputTestSupport.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Runner.h"
#include "platform/ui/TextField.h"
#include "widgets/CustomKeyboardView.h"
#include "widgets/InputClasses.h"

namespace {

using inputtest::InputTest;

struct KeyRecorder : CustomKeyboardViewDelegate {
  std::vector<std::pair<int, std::string>> inputs;
  void CustomKeyboardInput(int kind, const std::string& text) override {
    inputs.emplace_back(kind, text);
  }
};

// A delegate that does not take the key reports.
struct Deaf : CustomKeyboardViewDelegate {};

class KeyboardTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    keyboard = CustomKeyboardView::create();
    keyboard->setFrame(gfx::Rect(0, 264, 320, 216));
    window->addSubview(keyboard);
    recorder = std::make_shared<KeyRecorder>();
    keyboard->setDelegate(recorder);
  }
  void press(const std::string& name) {
    ui::Button* key = keyboard->outlet(name);
    ASSERT_NE(key, nullptr) << name;
    tapView(*key);
  }

  std::shared_ptr<CustomKeyboardView> keyboard;
  std::shared_ptr<KeyRecorder> recorder;
};

TEST_F(KeyboardTest, TextKeysReportTheirTitlesInTheirFixedOrder) {
  const auto& keys = keyboard->btnArr();
  ASSERT_EQ(keys.size(), 41u);
  std::vector<std::string> expected = {"600", "601", "000", "002", "300"};
  for (int digit = 1; digit <= 10; ++digit) expected.push_back(std::to_string(digit % 10));
  for (char letter = 'A'; letter <= 'Z'; ++letter) expected.emplace_back(1, letter);

  // The digit page shows first; its keys answer taps.
  for (size_t i = 0; i < 15; ++i) tapView(*keys[i]);
  press("btnABC");
  ui::finishAllAnimations();
  for (size_t i = 15; i < keys.size(); ++i) tapView(*keys[i]);

  ASSERT_EQ(recorder->inputs.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(recorder->inputs[i].first, kKeyboardInputText);
    EXPECT_EQ(recorder->inputs[i].second, expected[i]);
  }
}

TEST_F(KeyboardTest, CommandKeysReportTheSameKindsOnBothPages) {
  press("btnNumBack");
  press("btnNumQD");
  press("btnNumHide");
  press("btnABC");
  ui::finishAllAnimations();
  press("btnLetBack");
  press("btnLetQD");
  press("btnLetHide");
  const std::vector<std::pair<int, std::string>> expected = {{1, ""}, {2, ""}, {3, ""},
                                                             {1, ""}, {2, ""}, {3, ""}};
  EXPECT_EQ(recorder->inputs, expected);
}

TEST_F(KeyboardTest, KeysDoNothingWithoutADelegateThatTakesThem) {
  keyboard->setDelegate({});
  press("btn600");
  press("btnNumQD");
  auto deaf = std::make_shared<Deaf>();
  keyboard->setDelegate(deaf);
  press("btn1");
  // A delegate that went away is not called either.
  {
    auto gone = std::make_shared<KeyRecorder>();
    keyboard->setDelegate(gone);
  }
  press("btn2");
  EXPECT_TRUE(recorder->inputs.empty());
}

TEST_F(KeyboardTest, SwitchingPagesFlipsAndTwoSwitchesBringTheDigitsBack) {
  ui::View* digits = keyboard->viewNumber();
  ui::View* letters = keyboard->viewAlphabet();
  EXPECT_FALSE(digits->isHidden());
  EXPECT_TRUE(letters->isHidden());
  EXPECT_EQ(digits->frame(), keyboard->bounds());

  press("btnABC");
  EXPECT_FALSE(letters->isHidden());
  EXPECT_DOUBLE_EQ(letters->alpha(), 1);
  EXPECT_DOUBLE_EQ(digits->alpha(), 0);
  EXPECT_FALSE(digits->isHidden());  // faded out, not hidden
  EXPECT_GT(ui::runningAnimationCount(), 0);
  advance(CustomKeyboardView::kFlipSeconds + 0.1);
  // The faded page takes no taps: the letter page answers where a digit key lay.
  press("btnA");
  ASSERT_EQ(recorder->inputs.size(), 1u);
  EXPECT_EQ(recorder->inputs.back().second, "A");

  press("btn123");
  advance(CustomKeyboardView::kFlipSeconds + 0.1);
  EXPECT_DOUBLE_EQ(digits->alpha(), 1);
  EXPECT_FALSE(digits->isHidden());
  EXPECT_DOUBLE_EQ(letters->alpha(), 0);
  press("btn7");
  EXPECT_EQ(recorder->inputs.back().second, "7");
}

TEST_F(KeyboardTest, RegisteredUnderItsNameAndDropsItsDelegateWhenMade) {
  RegisterInputClasses();
  auto made = ui::ClassRegistry::shared().create<CustomKeyboardView>("CustomKeyboardView");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->delegate(), nullptr);
  EXPECT_EQ(made->btnArr().size(), 41u);
  EXPECT_EQ(made->bounds().size,
            gfx::Size(CustomKeyboardView::kWidth, CustomKeyboardView::kHeight));
}

// The keyboard as the search screen shows it: the input view of a code field.
TEST_F(KeyboardTest, ShowsUnderASearchFieldAsItsInputView) {
  keyboard->removeFromSuperview();
  window->setBackgroundColor(gfx::Color::rgb255(20, 24, 30));
  auto field = ui::TextField::create(gfx::Rect(10, 30, 300, 32));
  field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
  field->setPlaceholder("输入股票代码/拼音首字母");
  field->setInputView(keyboard);
  window->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  ui::finishAllAnimations();
  EXPECT_EQ(ui::Keyboard::shared().currentInputView(), keyboard.get());
  press("btn600");
  press("btn5");
  ASSERT_EQ(recorder->inputs.size(), 2u);
  for (const auto& [kind, text] : recorder->inputs) field->insertText(text);
  EXPECT_EQ(field->text(), "6005");
  ui::finishAllAnimations();
  EXPECT_TRUE(ui::writeScreenshot(std::string(VERDAN_BINARY_DIR) + "/widgets-keyboard.png", 2));
}

}  // namespace
