#include "messaging/SenderTextView.h"

#include <algorithm>
#include <cstdlib>

#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/WhileAlive.h"

namespace {

gfx::Color LightGrey() {
  return gfx::Color::grey(2.0 / 3.0);
}

gfx::Color Blue() {
  return gfx::Color(0, 0, 1);
}

}  // namespace

SenderTextView::SenderTextView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<SenderTextView> SenderTextView::create(const gfx::Rect& frame) {
  auto field = std::make_shared<SenderTextView>(frame);
  field->build();
  return field;
}

namespace {

// The key catcher behind the tokens: it takes the delete key for a tapped token and shows
// nothing, no text and no caret (the field takes no typed receivers).
class KeyCatcherField : public ui::TextField {
 public:
  using ui::TextField::TextField;
  void drawRect(gfx::Context&, const gfx::Rect&) override {}
  // A tap on the field's blank part focuses nothing: typing there would pick no receiver. A
  // tapped token focuses the catcher for its delete key.
  ui::View* hitTest(gfx::Point, const ui::Event*) override { return nullptr; }
};

}  // namespace

void SenderTextView::build() {
  canEdit_ = true;
  const double w = frame().width();
  const double h = frame().height();
  scrollView_ = ui::ScrollView::create(gfx::Rect(0, 0, w, h));
  addSubview(scrollView_);
  textField_ = std::make_shared<KeyCatcherField>(gfx::Rect(0, 0, w, kLine));
  textField_->setReturnKeyType(ui::ReturnKeyType::Done);
  textField_->setBackgroundColor(gfx::Color::clear());
  textField_->setText(" ");
  textField_->setDelegate(weakAs<ui::TextFieldDelegate>());
  scrollView_->addSubview(textField_);
  setClipsToBounds(true);
  setBackgroundColor(gfx::Color::white());
}

ui::Button* SenderTextView::token(int position) const {
  return dynamic_cast<ui::Button*>(scrollView_->viewWithTag(kTokenTagBase + position));
}

void SenderTextView::updateSenders(const std::vector<std::string>& names) {
  removeAllSenders();
  allButtons_.clear();
  removeButtons_.clear();
  allButtons_ = names;
  updateSenders2(names);
}

void SenderTextView::updateSenders2(const std::vector<std::string>& names) {
  removeAllSenders();
  currentChoose_ = -1;
  const double half = frame().width() / 2;
  double extra = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    auto button = ui::Button::create(ui::ButtonType::Custom);
    button->setTitle(names[i]);
    button->setBackgroundColor(LightGrey());
    button->setBackgroundImage(gfx::Image::named("姓名BG.png"));
    button->setTitleColor(gfx::Color::black());
    button->setTag(kTokenTagBase + static_cast<int>(i));
    button->addTarget(ui::WhileAlive(this,
                                     [](SenderTextView& me, ui::Control& control) {
                                       if (auto* tapped = dynamic_cast<ui::Button*>(&control))
                                         me.buttonAction(*tapped);
                                     }),
                      ui::ControlEvent::TouchUpInside);
    button->setFont(textFont_);
    if (i % 2 == 1) extra += kLine;
    button->setFrame(gfx::Rect(static_cast<double>(i % 2) * half + 5,
                               static_cast<double>(i / 2) * kLine + 5, half - 10, 20));
    scrollView_->addSubview(button);
  }
  const double height = extra + kLine;
  scrollView_->setFrame(gfx::Rect(0, 0, scrollView_->frame().width(), height));
  textField_->setFrame(
      gfx::Rect(static_cast<double>(names.size() % 2) * half + 5, extra + 5, 2 * half, 20));
  const gfx::Rect own = frame();
  setFrame(gfx::Rect(own.x(), own.y(), own.width(), height));
}

void SenderTextView::updateSenders() {
  if (removeButtons_.empty()) return;
  std::vector<std::string> sorted = removeButtons_;
  std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
    return std::atoi(a.c_str()) > std::atoi(b.c_str());
  });
  for (const auto& text : sorted) {
    const int position = std::atoi(text.c_str());
    if (position >= 0 && position < static_cast<int>(allButtons_.size()))
      allButtons_.erase(allButtons_.begin() + position);
  }
  updateSenders2(allButtons_);
  if (auto delegate = delegate_.lock())
    delegate->senderTextViewDidDelete(*this, std::atoi(removeButtons_.front().c_str()));
  removeButtons_.clear();
}

void SenderTextView::removeAllSenders() {
  std::vector<std::shared_ptr<ui::View>> tokens;
  for (const auto& sub : scrollView_->subviews())
    if (std::dynamic_pointer_cast<ui::Button>(sub)) tokens.push_back(sub);
  for (auto& token : tokens) token->removeFromSuperview();
}

void SenderTextView::revertButtons() {
  for (const auto& sub : scrollView_->subviews())
    if (std::dynamic_pointer_cast<ui::Button>(sub)) sub->setBackgroundColor(LightGrey());
}

void SenderTextView::buttonAction(ui::Button& tapped) {
  currentChoose_ = tapped.tag() - kTokenTagBase;
  if (canEdit_) textField_->becomeFirstResponder();
  revertButtons();
  tapped.setBackgroundColor(Blue());
}

void SenderTextView::disableEdit() {
  canEdit_ = false;
  textField_->setUserInteractionEnabled(false);
}

void SenderTextView::senderTextViewResignFirstResponder() {
  textField_->resignFirstResponder();
}

bool SenderTextView::textFieldShouldChangeCharactersInRange(ui::TextField&, ui::TextRange range,
                                                            const std::string& string) {
  if (!(range.location == 0 && range.length == 1 && string.empty())) return false;
  if (currentChoose_ == -1) {
    if (!allButtons_.empty()) {
      removeButtons_.push_back(std::to_string(allButtons_.size() - 1));
      updateSenders();
    }
  } else {
    removeButtons_.push_back(std::to_string(currentChoose_));
    updateSenders();
  }
  currentChoose_ = -1;
  return false;
}

void SenderTextView::textFieldDidBeginEditing(ui::TextField&) {
  foundation::logVerbose("SenderTextView textFieldDidBeginEditing");
}
