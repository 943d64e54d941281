#include "widgets/CustomKeyboardView.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"

namespace {

const gfx::Color kPageColor = gfx::Color::rgb255(28, 32, 40);
const gfx::Color kKeyColor = gfx::Color::rgb255(70, 76, 88);
const gfx::Color kCommandColor = gfx::Color::rgb255(44, 50, 62);

constexpr double kRowHeight = CustomKeyboardView::kHeight / 4;
constexpr double kGap = 3;

gfx::Rect Cell(double x, double y, double w, double h) {
  return gfx::Rect(x + kGap, y + kGap, w - 2 * kGap, h - 2 * kGap);
}

}  // namespace

CustomKeyboardView::CustomKeyboardView(const gfx::Rect& frame) : ui::View(frame) {}

CustomKeyboardView::~CustomKeyboardView() {
  delegate_.reset();
}

std::shared_ptr<CustomKeyboardView> CustomKeyboardView::create() {
  auto keyboard = std::make_shared<CustomKeyboardView>(gfx::Rect(0, 0, kWidth, kHeight));
  keyboard->setBackgroundColor(kPageColor);
  keyboard->buildPages();
  keyboard->awakeFromNib();
  return keyboard;
}

std::shared_ptr<ui::Button> CustomKeyboardView::makeKey(ui::View& page, const std::string& name,
                                                        const std::string& title,
                                                        const gfx::Rect& frame, bool command) {
  auto key = ui::Button::create(ui::ButtonType::Custom, frame);
  key->setTitle(title);
  key->setTitleColor(gfx::Color::white());
  key->setTitleColor(gfx::Color::rgb255(255, 210, 80), ui::ControlState::Highlighted);
  key->setFont(command ? gfx::Font::systemFont(16) : gfx::Font::boldSystemFont(20));
  key->setBackgroundColor(command ? kCommandColor : kKeyColor);
  key->layer().setCornerRadius(5);
  page.addSubview(key);
  outlets_[name] = key;
  return key;
}

// The interface: two pages of keys. The keys carry the text they type as their title.
void CustomKeyboardView::buildPages() {
  viewNumber_ = ui::View::create(bounds());
  viewAlphabet_ = ui::View::create(bounds());
  viewNumber_->setBackgroundColor(kPageColor);
  viewAlphabet_->setBackgroundColor(kPageColor);
  addSubview(viewNumber_);
  addSubview(viewAlphabet_);

  // Digit page: five columns, four rows.
  ui::View& num = *viewNumber_;
  const double cw = kWidth / 5;
  const char* groups[] = {"600", "601", "000", "002"};
  for (int row = 0; row < 4; ++row) {
    makeKey(num, std::string("btn") + groups[row], groups[row],
            Cell(0, row * kRowHeight, cw, kRowHeight), false);
  }
  for (int digit = 1; digit <= 9; ++digit) {
    const int row = (digit - 1) / 3;
    const int col = (digit - 1) % 3 + 1;
    const std::string text = std::to_string(digit);
    makeKey(num, "btn" + text, text, Cell(col * cw, row * kRowHeight, cw, kRowHeight), false);
  }
  makeKey(num, "btn300", "300", Cell(cw, 3 * kRowHeight, cw, kRowHeight), false);
  makeKey(num, "btn0", "0", Cell(2 * cw, 3 * kRowHeight, cw, kRowHeight), false);
  makeKey(num, "btnNumBack", "删除", Cell(4 * cw, 0, cw, kRowHeight), true);
  makeKey(num, "btnNumHide", "隐藏", Cell(4 * cw, kRowHeight, cw, kRowHeight), true);
  makeKey(num, "btnABC", "ABC", Cell(4 * cw, 2 * kRowHeight, cw, kRowHeight), true);
  makeKey(num, "btnNumQD", "确定", Cell(3 * cw, 3 * kRowHeight, 2 * cw, kRowHeight), true);

  // Letter page: the usual three letter rows and a command row.
  ui::View& let = *viewAlphabet_;
  const double lw = kWidth / 10;
  const std::string rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  for (int row = 0; row < 3; ++row) {
    const double start = row == 0 ? 0 : lw / 2 * row;
    for (size_t i = 0; i < rows[row].size(); ++i) {
      const std::string letter(1, rows[row][i]);
      makeKey(let, "btn" + letter, letter, Cell(start + i * lw, row * kRowHeight, lw, kRowHeight),
              false);
    }
  }
  makeKey(let, "btnLetBack", "删除", Cell(8.5 * lw, 2 * kRowHeight, 1.5 * lw, kRowHeight), true);
  makeKey(let, "btn123", "123", Cell(0, 3 * kRowHeight, 2.5 * lw, kRowHeight), true);
  makeKey(let, "btnLetHide", "隐藏", Cell(2.5 * lw, 3 * kRowHeight, 2.5 * lw, kRowHeight), true);
  makeKey(let, "btnLetQD", "确定", Cell(5 * lw, 3 * kRowHeight, 5 * lw, kRowHeight), true);
}

ui::Button* CustomKeyboardView::outlet(const std::string& name) const {
  auto it = outlets_.find(name);
  return it == outlets_.end() ? nullptr : it->second.get();
}

void CustomKeyboardView::awakeFromNib() {
  btnArr_.clear();
  for (const char* name : {"btn600", "btn601", "btn000", "btn002", "btn300"}) {
    btnArr_.push_back(outlets_[name]);
  }
  for (int digit = 1; digit <= 10; ++digit) {
    btnArr_.push_back(outlets_["btn" + std::to_string(digit % 10)]);
  }
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    btnArr_.push_back(outlets_[std::string("btn") + letter]);
  }
  delegate_.reset();
  viewNumber_->setFrame(bounds());
  viewAlphabet_->setFrame(bounds());
  viewNumber_->setHidden(false);
  viewAlphabet_->setHidden(true);
  test();
  testElse();
}

void CustomKeyboardView::addTap(ui::Button* key,
                                void (CustomKeyboardView::*action)(ui::GestureRecognizer&)) {
  if (!key) return;
  // The key lives inside the keyboard; a weak reference keeps the recogniser from owning it.
  std::weak_ptr<CustomKeyboardView> weak = sharedAs<CustomKeyboardView>();
  key->addGestureRecognizer(
      ui::TapGestureRecognizer::create([weak, action](ui::GestureRecognizer& recognizer) {
        if (auto self = weak.lock()) ((*self).*action)(recognizer);
      }));
}

void CustomKeyboardView::test() {
  for (const auto& key : btnArr_) addTap(key.get(), &CustomKeyboardView::BtnClick_InputText);
}

void CustomKeyboardView::testElse() {
  addTap(outlet("btnNumQD"), &CustomKeyboardView::BtnClick_OK);
  addTap(outlet("btnLetQD"), &CustomKeyboardView::BtnClick_OK);
  addTap(outlet("btnLetHide"), &CustomKeyboardView::BtnClick_Hide);
  addTap(outlet("btnNumHide"), &CustomKeyboardView::BtnClick_Hide);
  addTap(outlet("btnNumBack"), &CustomKeyboardView::BtnClick_BackSpace);
  addTap(outlet("btnLetBack"), &CustomKeyboardView::BtnClick_BackSpace);
  addTap(outlet("btnABC"), &CustomKeyboardView::BtnClick_ChangeToAlphabet);
  addTap(outlet("btn123"), &CustomKeyboardView::BtnClick_ChangeToNumber);
}

void CustomKeyboardView::report(int kind, const std::string& text) {
  if (auto delegate = delegate_.lock()) delegate->CustomKeyboardInput(kind, text);
}

void CustomKeyboardView::BtnClick_InputText(ui::GestureRecognizer& recognizer) {
  auto* key = dynamic_cast<ui::Button*>(recognizer.view());
  if (!key) return;
  report(kKeyboardInputText, key->title(ui::ControlState::Normal).value_or(""));
}

void CustomKeyboardView::BtnClick_BackSpace(ui::GestureRecognizer&) {
  report(kKeyboardInputBackSpace, "");
}

void CustomKeyboardView::BtnClick_OK(ui::GestureRecognizer&) {
  report(kKeyboardInputOK, "");
}

void CustomKeyboardView::BtnClick_Hide(ui::GestureRecognizer&) {
  report(kKeyboardInputHide, "");
}

void CustomKeyboardView::flipTo(ui::View& shown, ui::View& hidden,
                                ui::AnimationTransition transition) {
  shown.setHidden(false);
  shown.setAlpha(1);
  ui::View::beginAnimations();
  ui::View::setAnimationDuration(kFlipSeconds);
  // The page that fades out stays unhidden at alpha 0.
  hidden.setAlpha(0);
  ui::View::setAnimationTransition(transition, &shown, true);
  ui::View::commitAnimations();
  bringSubviewToFront(&shown);
}

void CustomKeyboardView::BtnClick_ChangeToAlphabet(ui::GestureRecognizer&) {
  flipTo(*viewAlphabet_, *viewNumber_, ui::AnimationTransition::FlipFromRight);
}

void CustomKeyboardView::BtnClick_ChangeToNumber(ui::GestureRecognizer&) {
  flipTo(*viewNumber_, *viewAlphabet_, ui::AnimationTransition::FlipFromLeft);
}
