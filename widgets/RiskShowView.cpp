#include "widgets/RiskShowView.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace {

std::shared_ptr<ui::Button> PanelButton(const std::string& title, const gfx::Rect& frame,
                                        const gfx::Color& color) {
  auto button = ui::Button::create(ui::ButtonType::Custom, frame);
  button->setTitle(title);
  button->setTitleColor(gfx::Color::white());
  button->setFont(gfx::Font::boldSystemFont(16));
  button->setBackgroundColor(color);
  button->layer().setCornerRadius(6);
  return button;
}

}  // namespace

RiskShowView::RiskShowView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<RiskShowView> RiskShowView::createWithDefaultXib() {
  auto box = std::make_shared<RiskShowView>(ui::Screen::main().bounds());
  box->setBackgroundColor(gfx::Color::grey(0, 0.5));
  auto panel = ui::View::create(gfx::Rect(0, 0, 280, 320));
  panel->setBackgroundColor(gfx::Color::white());
  panel->layer().setCornerRadius(8);
  auto frame = ui::View::create(gfx::Rect(10, 10, 260, 196));
  frame->setTag(kRiskTextFrameTag);
  frame->setBackgroundColor(gfx::Color::grey(0.95));
  frame->layer().setBorderWidth(1);
  frame->layer().setBorderColor(gfx::Color::grey(0.8));
  panel->addSubview(frame);
  auto text = ui::Label::create(gfx::Rect(18, 14, 244, 188));
  text->setTag(kRiskTextTag);
  text->setNumberOfLines(0);
  text->setFont(gfx::Font::systemFont(14));
  text->setTextColor(gfx::Color::grey(0.15));
  panel->addSubview(text);
  box->btnCheckBox_ = ui::Button::create(ui::ButtonType::Custom, gfx::Rect(12, 218, 26, 26));
  box->btnCheckBox_->setImage(gfx::Image::named("guide_gou_normal.png"));
  box->btnCheckBox_->setImage(gfx::Image::named("guide_gou_sel.png"), ui::ControlState::Selected);
  box->btnCheckBox_->layer().setBorderWidth(1);
  box->btnCheckBox_->layer().setBorderColor(gfx::Color::grey(0.6));
  panel->addSubview(box->btnCheckBox_);
  auto caption = ui::Label::create(gfx::Rect(44, 218, 226, 26));
  caption->setTag(kRiskCheckCaptionTag);
  caption->setText("我已阅读并知晓上述风险");
  caption->setFont(gfx::Font::systemFont(14));
  caption->setTextColor(gfx::Color::grey(0.3));
  panel->addSubview(caption);
  box->YFBtnCancle_ =
      PanelButton("取消", gfx::Rect(12, 262, 124, 44), gfx::Color::rgb255(150, 150, 150));
  box->YFBtnOK_ =
      PanelButton("确定", gfx::Rect(144, 262, 124, 44), gfx::Color::rgb255(200, 40, 40));
  panel->addSubview(box->YFBtnCancle_);
  panel->addSubview(box->YFBtnOK_);
  box->readlyView_ = panel;
  box->addSubview(panel);
  std::weak_ptr<RiskShowView> weak = box;
  box->btnCheckBox_->addTarget(
      [weak](ui::Control& sender) {
        if (auto self = weak.lock()) self->button_CheckBox(sender);
      },
      ui::ControlEvent::TouchUpInside);
  return box;
}

void RiskShowView::setContentText(const std::string& text) {
  if (ui::View* frame = viewWithTag(kRiskTextFrameTag)) frame->layer().setCornerRadius(8);
  if (auto* label = dynamic_cast<ui::Label*>(viewWithTag(kRiskTextTag))) {
    label->setClipsToBounds(true);
    label->setText(text);
  }
}

void RiskShowView::hideCheckBox() {
  btnCheckBox_->setHidden(true);
  if (ui::View* caption = viewWithTag(kRiskCheckCaptionTag)) caption->setHidden(true);
  const double grow = btnCheckBox_->frame().height();
  for (int tag : {kRiskTextTag, kRiskTextFrameTag}) {
    if (ui::View* view = viewWithTag(tag)) {
      gfx::Rect f = view->frame();
      view->setFrame(gfx::Rect(f.x(), f.y(), f.width(), f.height() + grow));
    }
  }
}

void RiskShowView::showInWindow() {
  // Showing the box again must not make one tap answer twice.
  if (!tapsWired_) {
    tapsWired_ = true;
    std::weak_ptr<RiskShowView> weak = sharedAs<RiskShowView>();
    YFBtnOK_->addGestureRecognizer(ui::TapGestureRecognizer::create([weak](auto&) {
      if (auto self = weak.lock()) self->button_OK();
    }));
    YFBtnCancle_->addGestureRecognizer(ui::TapGestureRecognizer::create([weak](auto&) {
      if (auto self = weak.lock()) self->button_Cancel();
    }));
  }
  ui::Window* window = ui::Application::shared().keyWindow();
  if (!window) {
    foundation::logError("RiskShowView: no key window to show in");
    return;
  }
  showInView(*window);
}

void RiskShowView::showInView(ui::View& view) {
  auto self = sharedAs<ui::View>();
  if (!self) return;
  if (superview() != &view) view.addSubview(self);
  answered_ = false;
  setAlpha(0);
  const gfx::Rect f = view.frame();
  setCenter(gfx::Point(f.width() / 2, f.height() / 2));
  readlyView_->setCenter(bounds().center());
  ui::View::beginAnimations("Add");
  ui::View::setAnimationDuration(kFadeSeconds);
  setAlpha(1);
  ui::View::commitAnimations();
}

void RiskShowView::remove() {
  auto self = sharedAs<RiskShowView>();
  ui::View::beginAnimations("Remove");
  ui::View::setAnimationDuration(kFadeSeconds);
  ui::View::setAnimationDidStop([self](const std::string&, bool, void*) {
    if (self) self->removeFromSuperview();
  });
  setAlpha(0);
  ui::View::commitAnimations();
}

void RiskShowView::button_CheckBox(ui::Control& sender) {
  if (&sender == btnCheckBox_.get()) sender.setSelected(!sender.isSelected());
}

void RiskShowView::answer(int value) {
  // One answer per showing: a second tap while the box fades out is not a second answer.
  if (answered_) return;
  answered_ = true;
  auto self = sharedAs<RiskShowView>();
  if (auto delegate = delegate_.lock()) delegate->RiskViewDoneWithValue(value);
  remove();
}

void RiskShowView::button_OK() {
  answer(btnCheckBox_->isSelected() ? 1 : 0);
}

void RiskShowView::button_Cancel() {
  answer(-1);
}
