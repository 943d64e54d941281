#include "platform/ui/ActionSheet.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/ui/Screen.h"

namespace ui {

namespace {

constexpr double kMargin = 20;

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
  int index = numberOfButtons();
  auto button =
      addModalButton(*this, buttons_, title, [this](int pressed) { pressButtonAtIndex(pressed); });
  button->setFont(gfx::Font::boldSystemFont(19));
  button->layer().setCornerRadius(8);
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
  return modalButtonTitle(buttons_, index);
}

Button* ActionSheet::buttonAtIndex(int index) const {
  return modalButton(buttons_, index);
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
  overlay_.build(self);
  visible_ = true;
  shownModals<ActionSheet>().push_back(self);
  overlay_.makeKeyAndVisible();
  // Slides up from below the screen.
  gfx::Point shown = center();
  setCenter(gfx::Point(shown.x, Screen::main().bounds().height() + bounds().height() / 2));
  overlay_.dimming().setAlpha(0);
  View::animate(0.3, [this, shown] {
    setCenter(shown);
    overlay_.dimming().setAlpha(1);
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
  forgetShownModal(self);
  overlay_.tearDown(*this);
  relayout();
  if (auto d = delegate_.lock()) d->actionSheetDidDismissWithButtonIndex(*this, buttonIndex);
}

std::vector<std::shared_ptr<ActionSheet>> ActionSheet::visibleSheets() {
  return shownModals<ActionSheet>();
}

std::shared_ptr<ActionSheet> ActionSheet::topSheet() {
  return topShownModal<ActionSheet>();
}

void ActionSheet::dismissAll() {
  auto sheets = shownModals<ActionSheet>();
  for (auto& sheet : sheets) {
    sheet->visible_ = false;
    sheet->delegate_.reset();
    sheet->finishDismiss(sheet->cancelIndex_);
  }
  shownModals<ActionSheet>().clear();
}

}  // namespace ui
