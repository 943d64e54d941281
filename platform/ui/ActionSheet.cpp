#include "platform/ui/ActionSheet.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/ui/Screen.h"

namespace ui {

namespace {

constexpr double kMargin = 20;

std::vector<std::shared_ptr<ActionSheet>>& shownSheets() {
  static auto* sheets = new std::vector<std::shared_ptr<ActionSheet>>();
  return *sheets;
}

bool darkStyle(ActionSheetStyle style) {
  return style == ActionSheetStyle::BlackTranslucent || style == ActionSheetStyle::BlackOpaque;
}

}  // namespace

ActionSheet::ActionSheet() : View(gfx::Rect(0, 0, 320, 100)) {
  titleLabel_ = Label::create();
  titleLabel_->setFont(gfx::Font::systemFont(13));
  titleLabel_->setTextAlignment(gfx::TextAlignment::Center);
  titleLabel_->setNumberOfLines(0);
  titleLabel_->setLineBreakMode(gfx::LineBreakMode::WordWrap);
  addSubview(titleLabel_);
  setActionSheetStyle(ActionSheetStyle::Default);
}

ActionSheet::~ActionSheet() = default;

std::shared_ptr<ActionSheet> ActionSheet::create(
    const std::string& title, std::weak_ptr<ActionSheetDelegate> delegate,
    const std::string& cancelButtonTitle, const std::string& destructiveButtonTitle,
    const std::vector<std::string>& otherButtonTitles) {
  auto sheet = std::make_shared<ActionSheet>();
  sheet->setTitle(title);
  sheet->setDelegate(std::move(delegate));
  if (!destructiveButtonTitle.empty())
    sheet->setDestructiveButtonIndex(sheet->addButtonWithTitle(destructiveButtonTitle));
  for (const auto& other : otherButtonTitles) sheet->addButtonWithTitle(other);
  if (!cancelButtonTitle.empty())
    sheet->setCancelButtonIndex(sheet->addButtonWithTitle(cancelButtonTitle));
  return sheet;
}

void ActionSheet::setTitle(const std::string& title) {
  title_ = title;
  titleLabel_->setText(title);
  relayout();
}

void ActionSheet::setActionSheetStyle(ActionSheetStyle style) {
  style_ = style;
  bool dark = darkStyle(style);
  double alpha = style == ActionSheetStyle::BlackTranslucent ? 0.8 : 1;
  setBackgroundColor(dark ? gfx::Color::grey(0, alpha) : gfx::Color::grey(0.9, 0.97));
  titleLabel_->setTextColor(dark ? gfx::Color::white() : gfx::Color::grey(0.45));
  styleButtons();
}

int ActionSheet::addButtonWithTitle(const std::string& title) {
  auto button = Button::create(ButtonType::Custom);
  button->setTitle(title);
  button->setFont(gfx::Font::boldSystemFont(19));
  button->layer().setCornerRadius(8);
  int index = static_cast<int>(buttons_.size());
  button->setTag(index + 1);
  button->addTarget([this](Control& sender) { pressButtonAtIndex(sender.tag() - 1); },
                    ControlEvent::TouchUpInside, this);
  buttons_.push_back(button);
  addSubview(button);
  styleButtons();
  relayout();
  return index;
}

void ActionSheet::styleButtons() {
  bool dark = darkStyle(style_);
  for (int i = 0; i < numberOfButtons(); ++i) {
    auto& b = buttons_[i];
    bool empty = b->title(ControlState::Normal).value_or("").empty();
    // Empty buttons only make room (for a picker laid over them).
    b->setHidden(empty);
    gfx::Color fill = i == destructiveIndex_ ? gfx::Color::rgb255(214, 40, 40)
                      : i == cancelIndex_    ? gfx::Color::grey(dark ? 0.15 : 0.35)
                      : dark                 ? gfx::Color::grey(0.3)
                                             : gfx::Color::white();
    b->setBackgroundColor(fill);
    bool lightText = dark || i == destructiveIndex_ || i == cancelIndex_;
    b->setTitleColor(lightText ? gfx::Color::white() : gfx::Color::rgb255(0, 122, 255));
    b->setTitleColor(gfx::Color::grey(0.6), ControlState::Highlighted);
  }
}

std::string ActionSheet::buttonTitleAtIndex(int index) const {
  if (index < 0 || index >= numberOfButtons()) return {};
  return buttons_[index]->title(ControlState::Normal).value_or("");
}

Button* ActionSheet::buttonAtIndex(int index) const {
  if (index < 0 || index >= numberOfButtons()) return nullptr;
  return buttons_[index].get();
}

void ActionSheet::setCancelButtonIndex(int index) {
  cancelIndex_ = index >= 0 && index < numberOfButtons() ? index : -1;
  styleButtons();
  relayout();
}

void ActionSheet::setDestructiveButtonIndex(int index) {
  destructiveIndex_ = index >= 0 && index < numberOfButtons() ? index : -1;
  styleButtons();
}

int ActionSheet::firstOtherButtonIndex() const {
  for (int i = 0; i < numberOfButtons(); ++i)
    if (i != cancelIndex_ && i != destructiveIndex_) return i;
  return -1;
}

void ActionSheet::relayout() {
  gfx::Rect screen = Screen::main().bounds();
  double width = screen.width();
  double y = 10;
  if (!title_.empty()) {
    double h =
        gfx::measureText(title_, titleLabel_->font(), gfx::Size(width - 2 * kMargin, 400)).height;
    titleLabel_->setFrame(gfx::Rect(kMargin, y, width - 2 * kMargin, h));
    y += h + 10;
  } else {
    titleLabel_->setFrame(gfx::Rect(kMargin, y, width - 2 * kMargin, 0));
    y += 6;
  }
  for (int i = 0; i < numberOfButtons(); ++i) {
    if (i == cancelIndex_) continue;
    buttons_[i]->setFrame(gfx::Rect(kMargin, y, width - 2 * kMargin, kButtonHeight));
    y += kButtonHeight + kButtonGap;
  }
  if (cancelIndex_ >= 0) {
    y += kButtonGap;
    buttons_[cancelIndex_]->setFrame(gfx::Rect(kMargin, y, width - 2 * kMargin, kButtonHeight));
    y += kButtonHeight + kButtonGap;
  }
  y += 8;
  setBounds(gfx::Rect(0, 0, width, y));
  setCenter(gfx::Point(width / 2, screen.height() - y / 2));
}

std::string ActionSheet::describe() const {
  std::string line = View::describe() + " title=" + title_;
  for (int i = 0; i < numberOfButtons(); ++i) line += " [" + buttonTitleAtIndex(i) + "]";
  return line;
}

void ActionSheet::showFromTabBar(View* tabBar) {
  showInView(tabBar);
}

void ActionSheet::showFromToolbar(View* toolbar) {
  showInView(toolbar);
}

void ActionSheet::showInView(View* view) {
  (void)view;
  if (visible_) return;
  auto self = sharedAs<ActionSheet>();
  if (!self) {
    foundation::logError("ActionSheet: show needs a sheet made by create()");
    return;
  }
  relayout();
  if (auto d = delegate_.lock()) d->willPresentActionSheet(*this);
  gfx::Rect screen = Screen::main().bounds();
  window_ = Window::create(screen);
  window_->setWindowLevel(WindowLevel::Alert);
  dimming_ = View::create(screen);
  dimming_->setBackgroundColor(gfx::Color::grey(0, 0.4));
  window_->addSubview(dimming_);
  window_->addSubview(self);
  visible_ = true;
  shownSheets().push_back(self);
  window_->makeKeyAndVisible();
  // Slides up from below the screen.
  gfx::Point shown = center();
  setCenter(gfx::Point(shown.x, screen.height() + bounds().height() / 2));
  dimming_->setAlpha(0);
  View::animate(0.3, [this, shown] {
    setCenter(shown);
    dimming_->setAlpha(1);
  });
  if (auto d = delegate_.lock()) d->didPresentActionSheet(*this);
}

bool ActionSheet::pressButtonAtIndex(int index) {
  if (!visible_ || index < 0 || index >= numberOfButtons()) return false;
  auto self = sharedAs<ActionSheet>();
  if (auto d = delegate_.lock()) d->actionSheetClickedButtonAtIndex(*this, index);
  if (clickedHandler_) clickedHandler_(*this, index);
  dismissWithClickedButtonIndex(index, true);
  return true;
}

void ActionSheet::dismissWithClickedButtonIndex(int buttonIndex, bool animated) {
  (void)animated;
  if (!visible_) return;
  auto self = sharedAs<ActionSheet>();
  visible_ = false;
  if (auto d = delegate_.lock()) d->actionSheetWillDismissWithButtonIndex(*this, buttonIndex);
  finishDismiss(buttonIndex);
}

void ActionSheet::finishDismiss(int buttonIndex) {
  auto self = sharedAs<ActionSheet>();
  auto& sheets = shownSheets();
  sheets.erase(std::remove(sheets.begin(), sheets.end(), self), sheets.end());
  if (window_) {
    window_->endEditing(true);
    removeFromSuperview();
    auto window = std::move(window_);
    window->setHidden(true);
    dimming_.reset();
    window.reset();
  }
  relayout();
  if (auto d = delegate_.lock()) d->actionSheetDidDismissWithButtonIndex(*this, buttonIndex);
}

std::vector<std::shared_ptr<ActionSheet>> ActionSheet::visibleSheets() {
  return shownSheets();
}

std::shared_ptr<ActionSheet> ActionSheet::topSheet() {
  auto& sheets = shownSheets();
  return sheets.empty() ? nullptr : sheets.back();
}

void ActionSheet::dismissAll() {
  auto sheets = shownSheets();
  for (auto& sheet : sheets) {
    sheet->visible_ = false;
    sheet->delegate_.reset();
    sheet->finishDismiss(sheet->cancelIndex_);
  }
  shownSheets().clear();
}

}  // namespace ui
