#include "widgets/AlertView.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Control.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Keyboard.h"

namespace {

// Room kept between the box and the keyboard's top, and under the status bar.
constexpr double kBoxKeyboardGap = 8;
constexpr double kBoxTopLimit = 20;

}  // namespace

AlertView::AlertView(const gfx::Rect& frame) : ui::View(frame), home_(frame) {
  // An opaque ground under the panel picture: the picture alone is a translucent black, and the
  // texts of the screen under the box read through it between the box's own text.
  setBackgroundColor(gfx::Color::grey(0.16));
  layer().setCornerRadius(8);
  background_ = ui::ImageView::create();
  background_->setBackgroundColor(gfx::Color::clear());
  background_->setImage(gfx::Image::named("bg.png").stretchable(0, 0));
  addSubview(background_);
  label_ = ui::Label::create();
  label_->setFont(gfx::Font::boldSystemFont(13));
  label_->setTextColor(gfx::Color::white());
  label_->setTextAlignment(gfx::TextAlignment::Center);
  label_->setBackgroundColor(gfx::Color::clear());
  addSubview(label_);
  myActivity_ = ui::ActivityIndicatorView::create(ui::ActivityIndicatorStyle::White);
  addSubview(myActivity_);
  layoutParts();
  setHidden(true);
}

AlertView::~AlertView() {
  if (watching_) foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  delegate_.reset();
  // The timer holds only a weak reference to the box; stopping it here keeps the run loop from
  // carrying a dead timer until it would have fired.
  if (!m_requestTimer) return;
  auto timer = std::move(m_requestTimer);
  if (foundation::RunLoop::isMainThread())
    timer->invalidate();
  else
    foundation::performOnMain([timer] { timer->invalidate(); }, true);
}

std::shared_ptr<AlertView> AlertView::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<AlertView>(frame);
}

void AlertView::setFrame(const gfx::Rect& frame) {
  if (!placing_) home_ = frame;
  ui::View::setFrame(frame);
  if (label_) layoutParts();
  if (!placing_ && watching_) fitAboveKeyboard();
}

void AlertView::fitAboveKeyboard() {
  gfx::Rect place = home_;
  ui::Keyboard& keyboard = ui::Keyboard::shared();
  ui::View* parent = superview();
  if (parent && watching_ && keyboard.isVisible()) {
    // The keyboard's top and the screen's in the parent's coordinates.
    const gfx::Point origin = parent->convertPointToView(gfx::Point(0, 0), nullptr);
    const double keyboardTop = keyboard.frame().y() - origin.y;
    const double screenTop = kBoxTopLimit - origin.y;
    if (place.maxY() > keyboardTop - kBoxKeyboardGap)
      place = gfx::Rect(place.x(),
                        std::max(screenTop, keyboardTop - kBoxKeyboardGap - place.height()),
                        place.width(), place.height());
  }
  if (frame() == place) return;
  placing_ = true;
  setFrame(place);
  placing_ = false;
}

void AlertView::watchKeyboard(bool watch) {
  if (watch == watching_) return;
  watching_ = watch;
  auto& centre = foundation::NotificationCenter::defaultCenter();
  if (!watch) {
    centre.removeObserversOf(this);
    return;
  }
  // Run after the keyboard's frame changed: the notifications come before its move.
  auto refit = [this](const foundation::Notification&) {
    std::weak_ptr<AlertView> weak = sharedAs<AlertView>();
    foundation::RunLoop::main()->perform([weak] {
      if (auto self = weak.lock()) self->fitAboveKeyboard();
    });
  };
  centre.addObserver(this, ui::kKeyboardDidShowNotification, refit);
  centre.addObserver(this, ui::kKeyboardDidHideNotification, refit);
  centre.addObserver(this, ui::kKeyboardWillHideNotification, refit);
  centre.addObserver(this, ui::kKeyboardWillShowNotification, refit);
}

void AlertView::layoutParts() {
  const double w = bounds().width();
  const double h = bounds().height();
  background_->setFrame(gfx::Rect(0, 0, w, h));
  label_->setFrame(gfx::Rect(5, h / 2, w - 10, h / 2));
  myActivity_->setFrame(gfx::Rect(w / 2 - 8, h / 5, 16, 16));
}

void AlertView::setDelegate(std::weak_ptr<AlertViewDelegate> delegate, int seconds) {
  delegate_ = std::move(delegate);
  m_nTimeOut = seconds;
}

void AlertView::setAlertTextMsg(const std::string& text) {
  label_->setText(text);
}

std::string AlertView::alertText() const {
  return label_->text();
}

void AlertView::showAlertMsg() {
  if (ui::View* parent = superview()) parent->bringSubviewToFront(this);
  if (!covering_ && !weak_from_this().expired()) {
    covering_ = true;
    ui::addCoveringView(*this);
  }
  if (!weak_from_this().expired()) watchKeyboard(true);
  fitAboveKeyboard();
  setHidden(false);
  startRequestTimer();
  myActivity_->startAnimating();
}

void AlertView::hideAlertMsg() {
  watchKeyboard(false);
  fitAboveKeyboard();
  setHidden(true);
  stopRequestTimer();
  myActivity_->stopAnimating();
}

void AlertView::showAlertMsg(ui::Control& button) {
  button.setEnabled(false);
  showAlertMsg();
}

void AlertView::hideAlertMsg(ui::Control& button, ui::Control& otherButton) {
  button.setEnabled(true);
  otherButton.setEnabled(true);
  hideAlertMsg();
}

void AlertView::clearTimer() {
  delegate_.reset();
  hideAlertMsg();
}

bool AlertView::isTimerRunning() const {
  return m_requestTimer && m_requestTimer->isValid();
}

void AlertView::startRequestTimer() {
  if (m_nTimeOut == 0 || delegate_.expired()) return;
  std::weak_ptr<AlertView> weak = sharedAs<AlertView>();
  if (weak.expired()) {
    startRequestTimer_MainThread();
    return;
  }
  foundation::performOnMain(
      [weak] {
        if (auto self = weak.lock()) self->startRequestTimer_MainThread();
      },
      true);
}

void AlertView::stopRequestTimer() {
  std::weak_ptr<AlertView> weak = sharedAs<AlertView>();
  if (weak.expired()) {
    stopRequestTimer_MainThread();
    return;
  }
  foundation::performOnMain(
      [weak] {
        if (auto self = weak.lock()) self->stopRequestTimer_MainThread();
      },
      true);
}

void AlertView::startRequestTimer_MainThread() {
  stopRequestTimer_MainThread();
  // A negative time-out would fire at once; it means no time-out, like 0.
  if (m_nTimeOut <= 0) return;
  std::weak_ptr<AlertView> weak = sharedAs<AlertView>();
  m_requestTimer = foundation::Timer::create(m_nTimeOut, false, [weak](foundation::Timer&) {
    if (auto self = weak.lock()) self->handleRequestTimer();
  });
  foundation::RunLoop::main()->addTimer(m_requestTimer, foundation::kDefaultRunLoopMode);
}

void AlertView::stopRequestTimer_MainThread() {
  if (!m_requestTimer) return;
  m_requestTimer->invalidate();
  m_requestTimer.reset();
}

void AlertView::handleRequestTimer() {
  foundation::logInfo("connect handleRequestTimer");
  m_requestTimer.reset();
  if (auto delegate = delegate_.lock()) delegate->handleTimeoutRequest();
}
