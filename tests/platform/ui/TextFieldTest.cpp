#include <memory>
#include <string>
#include <vector>

#include "InputTestSupport.h"
#include "platform/ui/TextField.h"

namespace {

using uitest::InputTest;

// Allows at most `limit` characters and only digits; records each question.
class LimitDelegate : public ui::TextFieldDelegate {
 public:
  size_t limit = 6;
  bool allowBegin = true;
  bool allowEnd = true;
  bool allowClear = true;
  bool answerReturn = true;
  int returns = 0;
  int began = 0, ended = 0;
  std::vector<std::pair<ui::TextRange, std::string>> asked;

  bool textFieldShouldBeginEditing(ui::TextField&) override { return allowBegin; }
  void textFieldDidBeginEditing(ui::TextField&) override { ++began; }
  bool textFieldShouldEndEditing(ui::TextField&) override { return allowEnd; }
  void textFieldDidEndEditing(ui::TextField&) override { ++ended; }
  bool textFieldShouldChangeCharactersInRange(ui::TextField& field, ui::TextRange range,
                                              const std::string& string) override {
    asked.emplace_back(range, string);
    for (char c : string)
      if (c < '0' || c > '9') return false;
    return ui::utf16Length(field.text()) - range.length + ui::utf16Length(string) <= limit;
  }
  bool textFieldShouldClear(ui::TextField&) override { return allowClear; }
  bool textFieldShouldReturn(ui::TextField&) override {
    ++returns;
    return answerReturn;
  }
};

class TextFieldTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    field = ui::TextField::create(gfx::Rect(10, 40, 300, 36));
    field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    delegate = std::make_shared<LimitDelegate>();
    field->setDelegate(delegate);
    window->addSubview(field);
  }
  std::shared_ptr<ui::TextField> field;
  std::shared_ptr<LimitDelegate> delegate;
};

TEST_F(TextFieldTest, TypingHonoursTheDelegatesAnswers) {
  struct Step {
    const char* kind;  // "type" or "back"
    const char* text;
    const char* expected;
  };
  const Step steps[] = {
      {"type", "60", "60"},    {"type", "0", "600"},      {"type", "x", "600"},
      {"type", "0001", "600"}, {"type", "000", "600000"}, {"type", "1", "600000"},
      {"back", "", "60000"},   {"back", "", "6000"},      {"type", "9", "60009"},
  };
  ASSERT_TRUE(field->becomeFirstResponder());
  for (const auto& step : steps) {
    if (std::string(step.kind) == "type")
      ui::Application::shared().sendText(step.text);
    else
      ui::Application::shared().sendKey("BackSpace");
    EXPECT_EQ(field->text(), step.expected) << step.kind << " " << step.text;
  }
  // The ranges asked: insertion at the caret, deletion of the last character.
  ASSERT_GE(delegate->asked.size(), 8u);
  EXPECT_EQ(delegate->asked[1].first, (ui::TextRange{2, 0}));
  EXPECT_EQ(delegate->asked[6].first, (ui::TextRange{5, 1}));
  EXPECT_EQ(delegate->asked[6].second, "");
}

TEST_F(TextFieldTest, EditingNeedsTheDelegatesConsentAndTextGoesOnlyToTheEditingField) {
  delegate->allowBegin = false;
  EXPECT_FALSE(field->becomeFirstResponder());
  ui::Application::shared().sendText("1");
  EXPECT_EQ(field->text(), "");
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());

  delegate->allowBegin = true;
  tap(100, 58);
  EXPECT_TRUE(field->isEditing());
  EXPECT_EQ(delegate->began, 1);
  delegate->allowEnd = false;
  EXPECT_FALSE(field->resignFirstResponder());
  EXPECT_TRUE(field->isEditing());
  delegate->allowEnd = true;
  EXPECT_TRUE(field->resignFirstResponder());
  EXPECT_EQ(delegate->ended, 1);
  ui::Application::shared().sendText("1");
  EXPECT_EQ(field->text(), "");
}

TEST_F(TextFieldTest, SecureEntryShowsDotsAndKeepsTheText) {
  field->setDelegate({});
  field->setSecureTextEntry(true);
  field->becomeFirstResponder();
  ui::Application::shared().sendText("pa");
  ui::Application::shared().sendText("密");
  EXPECT_EQ(field->text(), "pa密");
  EXPECT_EQ(field->displayText(), "●●●");
  EXPECT_EQ(field->describe().find("pa"), std::string::npos);
}

TEST_F(TextFieldTest, ClearButtonFollowsItsModeAndAsksTheDelegate) {
  struct Case {
    ui::TextFieldViewMode mode;
    bool editing;
    const char* text;
    bool visible;
  };
  const Case cases[] = {
      {ui::TextFieldViewMode::Never, true, "1", false},
      {ui::TextFieldViewMode::Always, false, "1", true},
      {ui::TextFieldViewMode::Always, true, "", false},
      {ui::TextFieldViewMode::WhileEditing, false, "1", false},
      {ui::TextFieldViewMode::WhileEditing, true, "1", true},
      {ui::TextFieldViewMode::UnlessEditing, true, "1", false},
      {ui::TextFieldViewMode::UnlessEditing, false, "1", true},
  };
  for (const auto& c : cases) {
    field->setClearButtonMode(c.mode);
    field->setText(c.text);
    if (c.editing)
      field->becomeFirstResponder();
    else
      field->resignFirstResponder();
    EXPECT_EQ(field->isClearButtonVisible(), c.visible)
        << static_cast<int>(c.mode) << " editing " << c.editing;
  }

  field->setClearButtonMode(ui::TextFieldViewMode::Always);
  field->setText("600000");
  field->resignFirstResponder();
  delegate->allowClear = false;
  EXPECT_FALSE(field->pressClearButton());
  EXPECT_EQ(field->text(), "600000");
  delegate->allowClear = true;
  int changes = 0;
  field->addTarget([&](ui::Control&) { ++changes; }, ui::ControlEvent::EditingChanged);
  // A tap on the clear button of a field not being edited clears it and starts editing.
  gfx::Rect clear = field->clearButtonRectForBounds(field->bounds());
  gfx::Point p = field->convertPointToView(clear.center(), nullptr);
  tap(p.x, p.y);
  EXPECT_EQ(field->text(), "");
  EXPECT_TRUE(field->isEditing());
  EXPECT_EQ(changes, 1);
  // Clearing does not ask should-change.
  for (const auto& q : delegate->asked) EXPECT_NE(q.second, "");
}

TEST_F(TextFieldTest, ReturnKeyAsksTheDelegateAndEndsOnExitWhenAsked) {
  field->becomeFirstResponder();
  ui::Application::shared().sendKey("Return");
  EXPECT_EQ(delegate->returns, 1);
  EXPECT_TRUE(field->isEditing());  // no end-on-exit action: the field keeps editing

  int exits = 0;
  field->addTarget([&](ui::Control&) { ++exits; }, ui::ControlEvent::EditingDidEndOnExit);
  delegate->answerReturn = false;
  ui::Application::shared().sendText("\n");
  EXPECT_EQ(delegate->returns, 2);
  EXPECT_EQ(exits, 0);
  delegate->answerReturn = true;
  ui::Application::shared().sendKey("Return");
  EXPECT_EQ(exits, 1);
  EXPECT_FALSE(field->isEditing());
  EXPECT_FALSE(field->isFirstResponder());
}

TEST_F(TextFieldTest, CaretKeysEditInTheMiddle) {
  field->setDelegate({});
  field->becomeFirstResponder();
  ui::Application::shared().sendText("6001");
  ui::Application::shared().sendKey("Left");
  ui::Application::shared().sendKey("Left");
  ui::Application::shared().sendText("9");
  EXPECT_EQ(field->text(), "60901");
  ui::Application::shared().sendKey("BackSpace");
  ui::Application::shared().sendKey("BackSpace");
  EXPECT_EQ(field->text(), "601");
  ui::Application::shared().sendKey("Home");
  ui::Application::shared().sendKey("BackSpace");
  EXPECT_EQ(field->text(), "601");
  ui::Application::shared().sendKey("Delete");
  EXPECT_EQ(field->text(), "01");
}

TEST_F(TextFieldTest, AccessoryViewsFollowTheirModes) {
  auto left = ui::View::create(gfx::Rect(0, 0, 20, 20));
  auto right = ui::View::create(gfx::Rect(0, 0, 30, 21));
  field->setLeftView(left);
  field->setLeftViewMode(ui::TextFieldViewMode::Always);
  field->setRightView(right);
  field->setRightViewMode(ui::TextFieldViewMode::WhileEditing);
  field->layoutIfNeeded();
  EXPECT_EQ(left->frame(), gfx::Rect(0, 8, 20, 20));
  EXPECT_FALSE(left->isHidden());
  EXPECT_TRUE(right->isHidden());
  EXPECT_GE(field->textRectForBounds(field->bounds()).x(), 22);
  field->becomeFirstResponder();
  field->layoutIfNeeded();
  EXPECT_FALSE(right->isHidden());
  EXPECT_EQ(right->frame(), gfx::Rect(270, 7, 30, 21));
}

// --- keyboard ---------------------------------------------------------------------------------

class KeyboardTest : public TextFieldTest {};

TEST_F(KeyboardTest, NotificationsCarryTheFramesAndDuration) {
  record({ui::kKeyboardWillShowNotification, ui::kKeyboardDidShowNotification,
          ui::kKeyboardWillHideNotification, ui::kKeyboardDidHideNotification});
  field->becomeFirstResponder();
  EXPECT_TRUE(ui::Keyboard::shared().isVisible());
  EXPECT_EQ(ui::Keyboard::shared().frame(), gfx::Rect(0, 264, 320, 216));
  ASSERT_EQ(postedNames(), std::vector<std::string>{ui::kKeyboardWillShowNotification});
  advance(0.3);
  field->resignFirstResponder();
  advance(0.3);
  ASSERT_EQ(postedNames(),
            (std::vector<std::string>{
                ui::kKeyboardWillShowNotification, ui::kKeyboardDidShowNotification,
                ui::kKeyboardWillHideNotification, ui::kKeyboardDidHideNotification}));
  const gfx::Rect below(0, 480, 320, 216), shown(0, 264, 320, 216);
  for (size_t i = 0; i < posted.size(); ++i) {
    bool showing = i < 2;
    const auto& info = posted[i].userInfo;
    EXPECT_EQ(ui::keyboardFrame(info, ui::kKeyboardFrameBeginUserInfoKey), showing ? below : shown)
        << posted[i].name;
    EXPECT_EQ(ui::keyboardFrame(info, ui::kKeyboardFrameEndUserInfoKey), showing ? shown : below)
        << posted[i].name;
    EXPECT_DOUBLE_EQ(info[ui::kKeyboardAnimationDurationUserInfoKey].toReal(), 0.25);
  }
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());
  EXPECT_EQ(ui::Keyboard::shared().window(), nullptr);
}

TEST_F(KeyboardTest, MovingBetweenFieldsKeepsTheKeyboardUp) {
  auto other = ui::TextField::create(gfx::Rect(10, 100, 300, 36));
  window->addSubview(other);
  field->becomeFirstResponder();
  advance(0.3);
  record({ui::kKeyboardWillHideNotification, ui::kKeyboardDidHideNotification});
  other->becomeFirstResponder();
  advance(0.3);
  EXPECT_TRUE(posted.empty());
  EXPECT_EQ(ui::Keyboard::shared().client(), other.get());
  // Removing the editing field from its window takes the keyboard away.
  other->removeFromSuperview();
  advance(0.3);
  EXPECT_EQ(postedNames(), (std::vector<std::string>{ui::kKeyboardWillHideNotification,
                                                     ui::kKeyboardDidHideNotification}));
}

TEST_F(KeyboardTest, CustomInputViewAndAccessoryReplaceTheSystemKeyboard) {
  auto pad = ui::View::create(gfx::Rect(0, 0, 320, 200));
  auto bar = ui::View::create(gfx::Rect(0, 0, 320, 44));
  field->setInputView(pad);
  field->setInputAccessoryView(bar);
  record({ui::kKeyboardWillShowNotification});
  field->becomeFirstResponder();
  advance(0.3);
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(ui::keyboardFrame(posted[0].userInfo, ui::kKeyboardFrameEndUserInfoKey),
            gfx::Rect(0, 236, 320, 244));
  EXPECT_EQ(ui::Keyboard::shared().systemKeyboard(), nullptr);
  EXPECT_EQ(ui::Keyboard::shared().currentInputView(), pad.get());
  EXPECT_EQ(pad->window(), ui::Keyboard::shared().window());
  EXPECT_EQ(bar->frame(), gfx::Rect(0, 0, 320, 44));
  EXPECT_EQ(pad->frame(), gfx::Rect(0, 44, 320, 200));
  // Taps on the input view do not steal the keys from the field's window.
  EXPECT_EQ(ui::Application::shared().windowAtPoint({160, 400}), ui::Keyboard::shared().window());
  tap(160, 400);
  EXPECT_EQ(ui::Application::shared().keyWindow(), window.get());
}

TEST_F(KeyboardTest, SystemKeysTypeIntoTheField) {
  field->setDelegate({});
  field->setKeyboardType(ui::KeyboardType::NumberPad);
  field->becomeFirstResponder();
  advance(0.3);
  auto* keys = ui::Keyboard::shared().systemKeyboard();
  ASSERT_NE(keys, nullptr);
  // Tap the "6" key where it is drawn, then press others by name.
  const ui::SystemKeyboardView::Key* six = nullptr;
  for (const auto& key : keys->keys())
    if (key.label == "6") six = &key;
  ASSERT_NE(six, nullptr);
  gfx::Point p = keys->convertPointToView(six->frame.center(), nullptr);
  gfx::Point screen = ui::Keyboard::shared().window()->transformToSuperview().apply(p);
  tap(screen.x, screen.y);
  EXPECT_TRUE(keys->pressKey("0"));
  EXPECT_TRUE(keys->pressKey("1"));
  EXPECT_TRUE(keys->pressKey("BackSpace"));
  EXPECT_FALSE(keys->pressKey("q"));
  EXPECT_EQ(field->text(), "60");

  field->resignFirstResponder();
  field->setKeyboardType(ui::KeyboardType::Default);
  field->setReturnKeyType(ui::ReturnKeyType::Search);
  field->becomeFirstResponder();
  keys = ui::Keyboard::shared().systemKeyboard();
  ASSERT_NE(keys, nullptr);
  EXPECT_TRUE(keys->pressKey("Shift"));
  EXPECT_TRUE(keys->pressKey("A"));
  EXPECT_TRUE(keys->pressKey("b"));
  EXPECT_TRUE(keys->pressKey("搜索"));
  EXPECT_EQ(field->text(), "60Ab");

  // A field of capitals keeps the shift key down.
  field->resignFirstResponder();
  field->setAutocapitalizationType(ui::TextAutocapitalizationType::AllCharacters);
  field->becomeFirstResponder();
  keys = ui::Keyboard::shared().systemKeyboard();
  EXPECT_TRUE(keys->pressKey("P"));
  EXPECT_TRUE(keys->pressKey("F"));
  EXPECT_FALSE(keys->pressKey("f"));
  EXPECT_EQ(field->text(), "60AbPF");
}

}  // namespace
