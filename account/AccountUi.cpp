#include "account/AccountUi.h"

#include <algorithm>
#include <cmath>

#include "account/AccountAnswers.h"
#include "core/PacketHeader.h"
#include "platform/graphics/Font.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/TextInput.h"
#include "platform/ui/Window.h"
#include "shell/ShellAlerts.h"
#include "widgets/ScreenParts.h"

namespace accountui {

const char* UserNameProblem(const std::string& typed) {
  if (typed.empty()) return kUserNameEmptyText;
  for (unsigned char c : typed) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
      return kUserNameCharsText;
  }
  if (typed.size() > kUserNameMaxLength) return kUserNameTooLongText;
  return nullptr;
}

const char* PasswordProblem(const std::string& typed) {
  if (typed.empty()) return kPasswordEmptyText;
  for (unsigned char c : typed)
    if (c < 0x20 || c > 0x7E) return kPasswordCharsText;
  return nullptr;
}

std::shared_ptr<ui::GestureRecognizer> TapBesideClosesKeyboard(const std::shared_ptr<ui::View>& view) {
  std::weak_ptr<ui::View> weak = view;
  auto tap = ui::TapGestureRecognizer::create([weak](ui::GestureRecognizer& recognizer) {
    auto form = weak.lock();
    if (!form) return;
    const gfx::Point at = recognizer.locationInView(form.get());
    for (ui::View* hit = form->hitTest(at, nullptr); hit && hit != form.get(); hit = hit->superview())
      if (dynamic_cast<ui::TextInputClient*>(hit)) return;
    form->endEditing(true);
  });
  tap->setCancelsTouchesInView(false);
  view->addGestureRecognizer(tap);
  return tap;
}

// Wider than any bar: the bar gives a title view no wider than itself, so this one spans it.
BarTitleView::BarTitleView(const std::string& title) : ui::View(gfx::Rect(0, 0, 1024, 44)) {
  setBackgroundColor(gfx::Color::clear());
  setUserInteractionEnabled(false);
  label_ = ui::Label::create();
  label_->setText(title);
  label_->setFont(gfx::Font::boldSystemFont(20));
  label_->setTextColor(gfx::Color::white());
  label_->setShadowColor(gfx::Color::grey(0, 0.5));
  label_->setTextAlignment(gfx::TextAlignment::Center);
  label_->setAdjustsFontSizeToFitWidth(true);
  label_->setMinimumFontSize(12);
  label_->setBackgroundColor(gfx::Color::clear());
  addSubview(label_);
}

std::shared_ptr<BarTitleView> BarTitleView::create(const std::string& title) {
  return std::make_shared<BarTitleView>(title);
}

void BarTitleView::setFrame(const gfx::Rect& frame) {
  ui::View::setFrame(frame);
  // The bar places its buttons before its title: where they now stand decides the label's room.
  setNeedsLayout();
}

void BarTitleView::didMoveToSuperview() {
  setNeedsLayout();
}

void BarTitleView::layoutSubviews() {
  const gfx::Rect own = frame();
  auto* bar = dynamic_cast<ui::NavigationBar*>(superview());
  if (!bar) {
    label_->setFrame(bounds());
    return;
  }
  const double barWidth = bar->bounds().width();
  const double left = bar->leftView() ? bar->leftView()->frame().maxX() + kGap : kGap;
  const double right = bar->rightView() ? bar->rightView()->frame().x() - kGap : barWidth - kGap;
  const double room = std::max(0.0, right - left);
  const double w = std::min(room, std::ceil(label_->sizeThatFits({}).width));
  const double x = std::clamp((barWidth - w) / 2, left, std::max(left, right - w));
  label_->setFrame(gfx::Rect(x - own.x(), 0, w, own.height()));
}

void SetClearTitle(ui::ViewController& screen, const std::string& title, bool shortBack) {
  screen.setTitle(title);
  screen.navigationItem().setTitleView(BarTitleView::create(title));
  if (shortBack)
    screen.navigationItem().setBackBarButtonItem(
        ui::BarButtonItem::withTitle("返回", ui::BarButtonItemStyle::Bordered, {}));
}

FormKeyboard::~FormKeyboard() {
  detach();
}

void FormKeyboard::attach(const std::shared_ptr<ui::ScrollView>& form,
                          std::function<void()> refitted) {
  detach();
  form_ = form;
  refitted_ = std::move(refitted);
  frame_ = form->frame();
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.addObserver(this, ui::kKeyboardWillShowNotification,
                     [this](const foundation::Notification& n) { shown(n); });
  center.addObserver(this, ui::kKeyboardWillHideNotification,
                     [this](const foundation::Notification&) { hidden(); });
  tap_ = TapBesideClosesKeyboard(form);
}

void FormKeyboard::detach() {
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.removeObserversOf(this);
  if (auto form = form_.lock()) {
    if (tap_) form->removeGestureRecognizer(tap_.get());
    if (fitted_) form->setFrame(frame_);
  }
  tap_.reset();
  form_.reset();
  fitted_ = false;
  refitted_ = nullptr;
}

void FormKeyboard::shown(const foundation::Notification& notification) {
  auto form = form_.lock();
  if (!form || !form->window()) return;
  keyboard_ = ui::keyboardFrame(notification.userInfo, ui::kKeyboardFrameEndUserInfoKey);
  if (!fitted_) frame_ = form->frame();
  // The form's frame in the window, against the keyboard's top (both in screen points).
  const gfx::Rect inWindow = form->superview()
                                 ? form->superview()->convertRectToView(frame_, nullptr)
                                 : frame_;
  const double covered = inWindow.maxY() - keyboard_.y();
  gfx::Rect fitted = frame_;
  if (covered > 0) fitted.size.height = std::max(0.0, frame_.height() - covered);
  form->setFrame(fitted);
  fitted_ = true;
  if (refitted_) refitted_();
  reveal();
}

void FormKeyboard::hidden() {
  auto form = form_.lock();
  if (!form || !fitted_) return;
  form->setFrame(frame_);
  fitted_ = false;
  if (refitted_) refitted_();
}

void FormKeyboard::reveal() {
  auto form = form_.lock();
  if (!form || !fitted_ || !form->window()) return;
  auto* editing = dynamic_cast<ui::View*>(form->window()->firstResponder());
  if (!editing || !editing->isDescendantOfView(form.get())) return;
  // The whole field and a little room under it; the caption above comes along when it fits.
  gfx::Rect wanted = editing->convertRectToView(editing->bounds(), form.get());
  wanted = gfx::Rect(wanted.x(), wanted.y() - 24, wanted.width(), wanted.height() + 32);
  if (wanted.height() > form->bounds().height())
    wanted = gfx::Rect(wanted.x(), wanted.y() + 24, wanted.width(), form->bounds().height());
  form->scrollRectToVisible(wanted, false);
}


gfx::Color FormBackground() {
  return gfx::Color::rgb255(22, 28, 40);
}

std::shared_ptr<ui::Button> MakeButton(const std::string& title, const gfx::Rect& frame,
                                       const gfx::Color& colour) {
  auto button = ui::Button::create(frame);
  button->setTitle(title);
  button->setTitleColor(gfx::Color::white());
  button->setTitleColor(gfx::Color::midGrey(), ui::ControlState::Disabled);
  button->setFont(gfx::Font::boldSystemFont(15));
  button->setBackgroundColor(colour);
  button->layer().setCornerRadius(6);
  return button;
}

std::shared_ptr<ui::Label> MakeLabel(const std::string& text, const gfx::Rect& frame, double size,
                                     const gfx::Color& colour) {
  return MakeClearLabel(frame, gfx::Font::systemFont(size), colour, text);
}

std::shared_ptr<myTextField> MakeField(const gfx::Rect& frame, const std::string& placeholder,
                                       bool secure) {
  auto field = myTextField::create(frame);
  field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
  field->setBackgroundColor(gfx::Color::white());
  field->setTextColor(gfx::Color::black());
  field->setFont(gfx::Font::systemFont(15));
  field->setPlaceholder(placeholder);
  field->setSecureTextEntry(secure);
  field->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
  return field;
}

bool TakeLoginPageAnswer(const foundation::Notification& notification, ReceiveRecordView& view,
                         const std::function<void()>& hideWaiting,
                         const std::function<void()>& onConnectFailed,
                         const std::function<void()>& onLoginRefused) {
  if (!ReceiveRecordView::From(notification, view)) return false;
  if (view.status == kReceiveStatusConnectFailed) {
    hideWaiting();
    onConnectFailed();
    foundation::NotificationCenter::defaultCenter().post("login_fail");
    ShowAlertMessage("", kConnectFailText);
    return false;
  }
  const PacketHeader& h = view.header;
  if (h.MainType != kMainTypeLogin || h.PageID != kLoginPageId) return false;
  if (h.isError()) {
    hideWaiting();
    if (LoginChild::IsLogin(h.ChildType)) onLoginRefused();
    ShowErrorText(view);
    return false;
  }
  return true;
}

void PacketGather::reset() {
  table_.Clear();
  next_ = 0;
}

PacketGather::Step PacketGather::add(const ReceiveRecordView& packet) {
  const int no = packet.header.PackageNo;
  if (no == 0) {
    table_.Clear();
    // An empty table may come as an empty body.
    next_ = packet.bodyLen == 0 || table_.Parse(packet.body, packet.bodyLen) >= 0 ? 1 : kBroken;
  } else if (next_ == kTaken) {
    return Step::Stray;
  } else if (no == next_) {
    next_ = table_.AppendPacket(packet.body, packet.bodyLen) >= 0 ? no + 1 : kBroken;
  } else {
    next_ = kBroken;
  }
  if (!packet.header.isLastPart()) return Step::More;
  if (next_ == kBroken) {
    next_ = 0;
    return Step::Broken;
  }
  next_ = kTaken;
  return Step::Whole;
}

}  // namespace accountui
