#include "messaging/BrokerDetail.h"

#include "messaging/BrokerDirectory.h"
#include "platform/foundation/Text.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "widgets/ScreenParts.h"

namespace {

constexpr double kCardHeightShort = 367;  // 480 less the status, navigation and tab bars
constexpr double kCardHeightTall = 455;

gfx::Color Ink() {
  return gfx::Color::rgb255(49, 49, 49);
}

std::shared_ptr<ui::Label> Caption(const gfx::Rect& frame, const std::string& text) {
  return MakeClearLabel(frame, gfx::Font::systemFont(14), gfx::Color::grey(0.45), text);
}

size_t CharacterCount(const std::string& utf8) {
  size_t count = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace

BrokerDetail::BrokerDetail(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<BrokerDetail> BrokerDetail::createFromInterface(bool tall) {
  auto card = std::make_shared<BrokerDetail>(
      gfx::Rect(0, 0, 320, tall ? kCardHeightTall : kCardHeightShort));
  card->build(tall);
  card->awakeFromNib();
  return card;
}

std::shared_ptr<BrokerDetail> BrokerDetail::load() {
  return createFromInterface(ui::Screen::main().bounds().height() >= 568);
}

void BrokerDetail::build(bool tall) {
  tall_ = tall;
  setBackgroundColor(gfx::Color(0, 0, 0, 0.45));
  const double panelHeight = tall ? 330 : 290;
  const double gap = tall ? 44 : 38;  // between the rows of the panel
  readyView_ = ui::View::create(gfx::Rect(20, 0, 280, panelHeight));
  readyView_->setBackgroundColor(gfx::Color::rgb255(246, 244, 238));
  readyView_->layer().setCornerRadius(8);
  readyView_->layer().setBorderWidth(1);
  readyView_->layer().setBorderColor(gfx::Color::rgb255(170, 150, 120));
  addSubview(readyView_);

  auto name = MakeClearLabel(gfx::Rect(14, 12, 222, 26), gfx::Font::boldSystemFont(17),
                             gfx::Color::rgb255(120, 69, 33));
  name->setTag(kTagName);
  readyView_->addSubview(name);

  auto close = MakeTextButton(gfx::Rect(244, 6, 30, 30), "×", gfx::Font::boldSystemFont(22),
                              gfx::Color::grey(0.4));
  close->setTag(kTagClose);
  BrokerDetail* self = this;
  close->addTarget([self](ui::Control&) { self->buttonAction_closeBroker(); },
                   ui::ControlEvent::TouchUpInside);
  readyView_->addSubview(close);

  double y = 48;
  for (auto [tag, caption] : {std::pair{kTagMobile, "手机"}, std::pair{kTagPhone, "电话"}}) {
    readyView_->addSubview(Caption(gfx::Rect(14, y, 50, 30), caption));
    auto number = ui::Button::create(ui::ButtonType::Custom, gfx::Rect(64, y, 200, 30));
    number->setTag(tag);
    number->setFont(gfx::Font::boldSystemFont(15));
    number->setTitleColor(gfx::Color::rgb255(40, 110, 170));
    number->setTitleColor(gfx::Color::rgb255(72, 153, 196), ui::ControlState::Highlighted);
    number->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Left);
    number->addTarget(
        [self](ui::Control& control) {
          if (auto* button = dynamic_cast<ui::Button*>(&control)) self->buttonAction_callBroker(*button);
        },
        ui::ControlEvent::TouchUpInside);
    readyView_->addSubview(number);
    y += gap;
  }
  readyView_->addSubview(Caption(gfx::Rect(14, y, 50, 30), "地址"));
  auto address = MakeClearLabel(gfx::Rect(64, y, 200, 44), gfx::Font::systemFont(14), Ink());
  address->setTag(kTagAddress);
  address->setNumberOfLines(2);
  readyView_->addSubview(address);
  y += gap + 14;

  readyView_->addSubview(Caption(gfx::Rect(14, y, 120, 30), "接收此投顾消息"));
  switchMessage_ = ui::Switch::create(gfx::Rect(180, y + 1, 79, 27));
  switchMessage_->addTarget([self](ui::Control&) { self->buttonAction_onOffMessage(); },
                            ui::ControlEvent::ValueChanged);
  readyView_->addSubview(switchMessage_);
  y += gap + 8;

  struct Action {
    int tag;
    const char* title;
    void (BrokerDetail::*method)();
  };
  const Action actions[] = {{kTagWrite, "写信", &BrokerDetail::buttonAction_emailBroker},
                            {kTagAddContact, "加为联系人", &BrokerDetail::buttonAction_addBroker},
                            {kTagConversation, "往来信件", &BrokerDetail::buttonAction_searchEmail}};
  double x = 14;
  for (const Action& a : actions) {
    auto button = MakeTextButton(gfx::Rect(x, y, 80, 34), a.title, gfx::Font::boldSystemFont(13),
                                 gfx::Color::white());
    button->setTag(a.tag);
    button->setBackgroundColor(gfx::Color::rgb255(176, 120, 60));
    button->layer().setCornerRadius(5);
    auto method = a.method;
    button->addTarget([self, method](ui::Control&) { (self->*method)(); },
                      ui::ControlEvent::TouchUpInside);
    readyView_->addSubview(button);
    x += 88;
  }
}

void BrokerDetail::awakeFromNib() {
  if (switchMessage_) switchMessage_->setOn(true);
}

void BrokerDetail::updateBrokerDetailView(const foundation::Value& row) {
  brokerDetail_ = row;
  updateView();
}

void BrokerDetail::updateView() {
  if (!readyView_) return;
  gfx::Rect frame = readyView_->frame();
  readyView_->setFrame(gfx::Rect(bounds().width() / 2 - frame.width() / 2,
                                 bounds().height() / 2 - frame.height() / 2, frame.width(),
                                 frame.height()));
  updateContent(kTagMobile, brokerDetail_["broker_mphone"].toString());
  updateContent(kTagPhone, brokerDetail_["broker_phone"].toString());
  const bool off = FindInOffMessageBrokers(brokerDetail_["broker_id"].toString(), 1) != -1;
  if (switchMessage_) switchMessage_->setOn(!off, true);
  std::string name = brokerDetail_["broker_name"].toString();
  std::string job = brokerDetail_["broker_job"].toString();
  updateContent(kTagName, CharacterCount(job) > 1 ? name + "(" + job + ")" : name);
  updateContent(kTagAddress, brokerDetail_["broker_address"].toString());
}

void BrokerDetail::updateContent(int tag, const std::string& text) {
  if (!readyView_) return;
  ui::View* view = readyView_->viewWithTag(tag);
  if (auto* label = dynamic_cast<ui::Label*>(view)) {
    label->setText(text);
  } else if (auto* button = dynamic_cast<ui::Button*>(view)) {
    button->setTitle(text);
  }
}

void BrokerDetail::report(int actionId) {
  if (auto delegate = delegate_.lock()) delegate->brokerDetailWithActionID(*this, actionId);
}

void BrokerDetail::buttonAction_callBroker(ui::Button& button) {
  auto title = button.title(ui::ControlState::Normal);
  if (!title || CharacterCount(*title) < 5) return;
  if (button.tag() == kTagMobile) {
    report(3);
  } else if (button.tag() == kTagPhone) {
    report(4);
  }
  removeBrokerDetail();
}

void BrokerDetail::buttonAction_emailBroker() {
  report(2);
  removeBrokerDetail();
}

void BrokerDetail::buttonAction_addBroker() {
  report(1);
  removeBrokerDetail();
}

void BrokerDetail::buttonAction_searchEmail() {
  report(5);
}

void BrokerDetail::buttonAction_onOffMessage() {
  report(6);
}

void BrokerDetail::buttonAction_closeBroker() {
  removeBrokerDetail();
  if (closeHandler_) closeHandler_();
}

void BrokerDetail::touchesEnded(const ui::TouchSet& touches, const ui::Event& event) {
  (void)event;
  if (touches.empty() || !readyView_) return;
  gfx::Point at = touches.front()->locationInView(this);
  if (readyView_->frame().contains(at)) return;
  removeBrokerDetail();
  if (closeHandler_) closeHandler_();
}
