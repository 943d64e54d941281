#include "platform/ui/AlertView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Screen.h"

namespace ui {

namespace {

constexpr double kButtonHeight = 44;
constexpr double kFieldHeight = 30;
constexpr double kAlertMargin = 16;
// Room kept between an alert and the bottom of the screen or the top of the keyboard.
constexpr double kScreenMargin = 10;
// A scrolled message shows at least this many lines.
constexpr int kMinimumMessageLines = 2;

gfx::Color tintColor() {
  return gfx::Color::rgb255(0, 122, 255);
}

}  // namespace

AlertView::AlertView() : View(gfx::Rect(0, 0, kWidth, 120)) {
  setBackgroundColor(gfx::Color::grey(0.97, 0.97));
  layer().setCornerRadius(8);
  setClipsToBounds(true);
  titleLabel_ = Label::create();
  titleLabel_->setFont(gfx::Font::boldSystemFont(17));
  titleLabel_->setTextAlignment(gfx::TextAlignment::Center);
  titleLabel_->setNumberOfLines(0);
  titleLabel_->setLineBreakMode(gfx::LineBreakMode::WordWrap);
  addSubview(titleLabel_);
  messageLabel_ = Label::create();
  messageLabel_->setFont(gfx::Font::systemFont(15));
  messageLabel_->setTextAlignment(gfx::TextAlignment::Center);
  messageLabel_->setNumberOfLines(0);
  messageLabel_->setLineBreakMode(gfx::LineBreakMode::WordWrap);
  addSubview(messageLabel_);
}

AlertView::~AlertView() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

std::shared_ptr<AlertView> AlertView::create(const std::string& title, const std::string& message,
                                             std::weak_ptr<AlertViewDelegate> delegate,
                                             const std::string& cancelButtonTitle,
                                             const std::vector<std::string>& otherButtonTitles) {
  auto alert = std::make_shared<AlertView>();
  alert->setTitle(title);
  alert->setMessage(message);
  alert->setDelegate(std::move(delegate));
  if (!cancelButtonTitle.empty())
    alert->setCancelButtonIndex(alert->addButtonWithTitle(cancelButtonTitle));
  for (const auto& other : otherButtonTitles) alert->addButtonWithTitle(other);
  return alert;
}

void AlertView::setTitle(const std::string& title) {
  title_ = title;
  titleLabel_->setText(title);
  relayout();
}

void AlertView::setMessage(const std::string& message) {
  message_ = message;
  messageLabel_->setText(message);
  relayout();
}

int AlertView::addButtonWithTitle(const std::string& title) {
  int index = numberOfButtons();
  auto button =
      addModalButton(*this, buttons_, title, [this](int pressed) { pressButtonAtIndex(pressed); });
  button->setTitleColor(tintColor());
  button->setTitleColor(gfx::Color::grey(0.5), ControlState::Highlighted);
  button->setFont(gfx::Font::systemFont(17));
  relayout();
  return index;
}

std::string AlertView::buttonTitleAtIndex(int index) const {
  return modalButtonTitle(buttons_, index);
}

Button* AlertView::buttonAtIndex(int index) const {
  return modalButton(buttons_, index);
}

void AlertView::setCancelButtonIndex(int index) {
  cancelIndex_ = index >= 0 && index < numberOfButtons() ? index : -1;
  for (int i = 0; i < numberOfButtons(); ++i)
    buttons_[i]->setFont(i == cancelIndex_ ? gfx::Font::boldSystemFont(17)
                                           : gfx::Font::systemFont(17));
  relayout();
}

int AlertView::firstOtherButtonIndex() const {
  for (int i = 0; i < numberOfButtons(); ++i)
    if (i != cancelIndex_) return i;
  return -1;
}

void AlertView::setAlertViewStyle(AlertViewStyle style) {
  style_ = style;
  rebuildFields();
  relayout();
}

void AlertView::rebuildFields() {
  for (auto& field : fields_) field->removeFromSuperview();
  fields_.clear();
  int count = style_ == AlertViewStyle::Default                 ? 0
              : style_ == AlertViewStyle::LoginAndPasswordInput ? 2
                                                                : 1;
  for (int i = 0; i < count; ++i) {
    auto field = TextField::create(gfx::Rect(0, 0, kWidth - 2 * kAlertMargin, kFieldHeight));
    field->setBorderStyle(TextBorderStyle::Line);
    field->setBackgroundColor(gfx::Color::white());
    field->setFont(gfx::Font::systemFont(15));
    field->setContentVerticalAlignment(ContentVerticalAlignment::Center);
    field->setKeyboardAppearance(KeyboardAppearance::Alert);
    field->setAutocapitalizationType(TextAutocapitalizationType::None);
    bool secure = style_ == AlertViewStyle::SecureTextInput ||
                  (style_ == AlertViewStyle::LoginAndPasswordInput && i == 1);
    field->setSecureTextEntry(secure);
    if (style_ == AlertViewStyle::LoginAndPasswordInput)
      field->setPlaceholder(i == 0 ? "用户名" : "密码");
    fields_.push_back(field);
    addSubview(field);
  }
}

TextField* AlertView::textFieldAtIndex(int index) const {
  if (index < 0 || index >= static_cast<int>(fields_.size())) {
    foundation::logError("AlertView: no text field at index %d", index);
    return nullptr;
  }
  return fields_[index].get();
}

// --- layout -----------------------------------------------------------------------------------

gfx::Rect AlertView::availableArea() const {
  gfx::Rect screen = Screen::main().bounds();
  double top = Screen::main().applicationFrame().y();
  double bottom = (keyboardTop_ > 0 ? std::min(keyboardTop_, screen.height()) : screen.height()) -
                  kScreenMargin;
  return gfx::Rect(screen.x(), top, screen.width(), std::max(0.0, bottom - top));
}

void AlertView::relayout() {
  double width = kWidth - 2 * kAlertMargin;
  double y = 20;
  if (!title_.empty()) {
    double h = gfx::measureText(title_, titleLabel_->font(), gfx::Size(width, 1000)).height;
    titleLabel_->setFrame(gfx::Rect(kAlertMargin, y, width, h));
    y += h + 4;
  } else {
    titleLabel_->setFrame(gfx::Rect(kAlertMargin, y, width, 0));
  }
  // The message's own height and the height of everything else decide whether it must scroll.
  double messageHeight = 0;
  double lineHeight = std::ceil(messageLabel_->font().pointSize() * 1.25);
  if (!message_.empty()) {
    // Each line break counts, so screens can make room for their own subviews with "\n".
    size_t breaks = std::count(message_.begin(), message_.end(), '\n');
    double h = gfx::measureText(message_, messageLabel_->font(), gfx::Size(width, 1e7)).height;
    messageHeight = std::max(h, (breaks + 1) * lineHeight);
  }
  double below = 16 + static_cast<double>(fields_.size()) * (6 + kFieldHeight);
  int n = numberOfButtons();
  int rows = n == 2 ? 1 : n;
  below += rows * kButtonHeight;
  double messageBlock = message_.empty() ? 0 : messageHeight + 4;
  naturalHeight_ = y + messageBlock + below;
  double room = availableArea().height();
  double shownMessage = messageHeight;
  if (!message_.empty() && naturalHeight_ > room) {
    double minimum = std::min(messageHeight, kMinimumMessageLines * lineHeight);
    shownMessage = std::max(minimum, std::floor(room - y - 4 - below));
  }

  if (!message_.empty() && shownMessage < messageHeight) {
    if (!messageScroll_) {
      messageScroll_ = ScrollView::create();
      messageScroll_->setBackgroundColor(gfx::Color::clear());
      messageScroll_->setShowsHorizontalScrollIndicator(false);
      messageScroll_->setScrollsToTop(false);
    }
    if (messageLabel_->superview() != messageScroll_.get()) {
      messageLabel_->removeFromSuperview();
      messageScroll_->addSubview(messageLabel_);
    }
    if (!messageScroll_->superview()) addSubview(messageScroll_);
    messageScroll_->setFrame(gfx::Rect(kAlertMargin, y, width, shownMessage));
    messageLabel_->setFrame(gfx::Rect(0, 0, width, messageHeight));
    messageScroll_->setContentSize(gfx::Size(width, messageHeight));
    messageScroll_->setContentOffset(gfx::Point(0, 0));
    y += shownMessage + 4;
  } else {
    // A message that fits is the alert's own subview, where screens find it among the others.
    if (messageScroll_ && messageScroll_->superview()) messageScroll_->removeFromSuperview();
    if (messageLabel_->superview() != this) {
      messageLabel_->removeFromSuperview();
      insertSubview(messageLabel_, 1);
    }
    messageLabel_->setFrame(gfx::Rect(kAlertMargin, y, width, messageHeight));
    y += messageBlock;
  }
  for (auto& field : fields_) {
    y += 6;
    field->setFrame(gfx::Rect(kAlertMargin, y, width, kFieldHeight));
    y += kFieldHeight;
  }
  y += 16;
  double buttonsTop = y;
  if (n == 2) {
    buttons_[0]->setFrame(gfx::Rect(0, y, kWidth / 2, kButtonHeight));
    buttons_[1]->setFrame(gfx::Rect(kWidth / 2, y, kWidth / 2, kButtonHeight));
    y += kButtonHeight;
  } else {
    // Stacked in index order; with more than two buttons the cancel button goes last.
    for (int i = 0; i < n; ++i) {
      if (i == cancelIndex_ && n > 2) continue;
      buttons_[i]->setFrame(gfx::Rect(0, y, kWidth, kButtonHeight));
      y += kButtonHeight;
    }
    if (cancelIndex_ >= 0 && n > 2) {
      buttons_[cancelIndex_]->setFrame(gfx::Rect(0, y, kWidth, kButtonHeight));
      y += kButtonHeight;
    }
  }
  buttonsArea_ = gfx::Rect(0, buttonsTop, kWidth, y - buttonsTop);
  setBounds(gfx::Rect(0, 0, kWidth, y));
  placeOnScreen();
  setNeedsDisplay();
}

void AlertView::placeOnScreen() {
  gfx::Rect screen = Screen::main().bounds();
  gfx::Rect area = availableArea();
  double h = bounds().height();
  // Centred on the screen, or on the part above the keyboard while one shows; moved down
  // below the status bar and up above the bottom where it would cross them.
  double visibleBottom =
      keyboardTop_ > 0 ? std::min(keyboardTop_, screen.height()) : screen.height();
  double cy = std::round(visibleBottom / 2);
  cy = std::min(cy, area.y() + area.height() - h / 2);
  cy = std::max(cy, area.y() + h / 2);
  setCenter(gfx::Point(std::round(screen.center().x), std::round(cy)));
}

void AlertView::fitAboveKeyboard() {
  // Only a height change needs a new layout; otherwise the alert just moves, keeping whatever a
  // screen placed inside it.
  if (naturalHeight_ > availableArea().height() || messageScrollView()) {
    relayout();
  } else {
    placeOnScreen();
  }
}

void AlertView::layoutSubviews() {}

void AlertView::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  // Hairlines between the buttons.
  ctx.setFillColor(gfx::Color::grey(0.8));
  for (int i = 0; i < numberOfButtons(); ++i) {
    gfx::Rect f = buttons_[i]->frame();
    ctx.fillRect(gfx::Rect(f.x(), f.y(), f.width(), 0.5));
    if (f.x() > 0) ctx.fillRect(gfx::Rect(f.x(), f.y(), 0.5, f.height()));
  }
}

std::string AlertView::describe() const {
  std::string line = View::describe() + " title=" + title_;
  for (int i = 0; i < numberOfButtons(); ++i) line += " [" + buttonTitleAtIndex(i) + "]";
  return line;
}

// --- showing and dismissing -------------------------------------------------------------------

void AlertView::show() {
  if (visible_) return;
  auto self = sharedAs<AlertView>();
  if (!self) {
    foundation::logError("AlertView: show needs an alert made by create()");
    return;
  }
  Keyboard& keyboard = Keyboard::shared();
  keyboardTop_ = keyboard.isVisible() ? keyboard.frame().y() : 0;
  relayout();
  if (auto* d = delegate()) d->willPresentAlertView(*this);
  overlay_.build(self);
  visible_ = true;
  shownModals<AlertView>().push_back(self);
  // The box rises above the keyboard while one shows, so its buttons stay reachable.
  auto& notifications = foundation::NotificationCenter::defaultCenter();
  notifications.addObserver(
      this, kKeyboardWillShowNotification, [this](const foundation::Notification& n) {
        keyboardTop_ = keyboardFrame(n.userInfo, kKeyboardFrameEndUserInfoKey).y();
        fitAboveKeyboard();
      });
  notifications.addObserver(this, kKeyboardWillHideNotification,
                            [this](const foundation::Notification&) {
                              keyboardTop_ = 0;
                              fitAboveKeyboard();
                            });
  overlay_.makeKeyAndVisible();
  setAlpha(0);
  overlay_.dimming().setAlpha(0);
  View::animate(0.2, [this] {
    setAlpha(1);
    overlay_.dimming().setAlpha(1);
  });
  if (!fields_.empty()) fields_.front()->becomeFirstResponder();
  if (auto* d = delegate()) d->didPresentAlertView(*this);
}

bool AlertView::pressButtonAtIndex(int index) {
  if (!visible_ || index < 0 || index >= numberOfButtons()) return false;
  auto self = sharedAs<AlertView>();
  auto delegate = delegate_.lock();
  if (delegate) delegate->alertViewClickedButtonAtIndex(*this, index);
  if (clickedHandler_) clickedHandler_(*this, index);
  dismissWithClickedButtonIndex(index, true);
  return true;
}

void AlertView::cancel() {
  if (!visible_) return;
  auto self = sharedAs<AlertView>();
  if (auto d = delegate_.lock()) d->alertViewCancel(*this);
  dismissWithClickedButtonIndex(cancelIndex_, false);
}

void AlertView::dismissWithClickedButtonIndex(int buttonIndex, bool animated) {
  (void)animated;
  if (!visible_) return;
  auto self = sharedAs<AlertView>();
  visible_ = false;
  if (auto d = delegate_.lock()) d->alertViewWillDismissWithButtonIndex(*this, buttonIndex);
  finishDismiss(buttonIndex);
}

void AlertView::finishDismiss(int buttonIndex) {
  auto self = sharedAs<AlertView>();
  forgetShownModal(self);
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  overlay_.tearDown(*this);
  setAlpha(1);
  if (auto d = delegate_.lock()) d->alertViewDidDismissWithButtonIndex(*this, buttonIndex);
  if (auto done = std::move(onDismissed_)) done(buttonIndex);
}

int AlertView::runModal() {
  auto self = sharedAs<AlertView>();
  if (!self) return -1;
  int result = cancelIndex_;
  auto loop = foundation::RunLoop::current();
  bool done = false;
  onDismissed_ = [&](int index) {
    result = index;
    done = true;
    loop->stop();
  };
  show();
  while (!done && visible_) loop->run();
  onDismissed_ = nullptr;
  return result;
}

std::vector<std::shared_ptr<AlertView>> AlertView::visibleAlerts() {
  return shownModals<AlertView>();
}

std::shared_ptr<AlertView> AlertView::topAlert() {
  return topShownModal<AlertView>();
}

void AlertView::dismissAll() {
  auto alerts = shownModals<AlertView>();
  for (auto& alert : alerts) {
    alert->visible_ = false;
    alert->delegate_.reset();
    alert->finishDismiss(alert->cancelIndex_);
  }
  shownModals<AlertView>().clear();
}

}  // namespace ui
