#include "shell/GPPopShareView.h"

#include <cmath>

#include "platform/graphics/Text.h"
#include "platform/ui/Application.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayerAnimation.h"
#include "platform/ui/Window.h"

namespace {

constexpr double kPanelWidth = 276;
constexpr double kTextWidth = 252;
constexpr double kButtonHeight = 44;
constexpr double kCheckRowHeight = 35;

std::shared_ptr<ui::View> Rule(const gfx::Rect& frame) {
  auto rule = ui::View::create(frame);
  rule->setBackgroundColor(gfx::Color(0, 0, 0, 0.1));
  return rule;
}

std::shared_ptr<ui::Label> TextLabel(const gfx::Rect& frame, const std::string& text,
                                     const gfx::Font& font) {
  auto label = ui::Label::create(frame);
  label->setBackgroundColor(gfx::Color::clear());
  label->setNumberOfLines(0);
  label->setTextAlignment(gfx::TextAlignment::Center);
  label->setFont(font);
  label->setTextColor(gfx::Color::black());
  label->setText(text);
  return label;
}

}  // namespace

GPPopShareView::GPPopShareView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<GPPopShareView> GPPopShareView::create(const gfx::Rect& frame) {
  return std::make_shared<GPPopShareView>(frame);
}

double GPPopShareView::getTxtLength(const std::string& text, const gfx::Font& font, double limit) {
  if (text.empty()) return 0;
  const double width =
      gfx::measureText(text, font, gfx::Size(900000, 30), gfx::LineBreakMode::WordWrap).width;
  if (limit > 0 && width > limit) return limit;
  return std::ceil(width);
}

void GPPopShareView::upView() {
  const double height = bounds().size.height;
  setBackgroundColor(gfx::Color::clear());
  auto dim = ui::View::create(gfx::Rect(0, 0, 320, height));
  dim->setBackgroundColor(gfx::Color(0, 0, 0, 0.5));
  addSubview(dim);
  if (contentString_.empty()) return;

  const gfx::Font titleFont = gfx::Font::boldSystemFont(18);
  const gfx::Font messageFont = gfx::Font::systemFont(16);
  const double tH = gfx::measureText(contentTitle_, titleFont, gfx::Size(kTextWidth, 200),
                                     gfx::LineBreakMode::TruncateTail)
                        .height;
  const double mH = gfx::measureText(contentString_, messageFont, gfx::Size(kTextWidth, 400),
                                     gfx::LineBreakMode::TruncateTail)
                        .height;
  // The panel always keeps room for the check box row.
  const double panelHeight = tH + 22 + mH + kCheckRowHeight + kButtonHeight;
  auto panel = ui::ImageView::create(
      gfx::Rect(22, (height - (mH + 148 + kCheckRowHeight)) / 2, kPanelWidth, panelHeight));
  panel->setTag(kPopSharePanelTag);
  panel->setBackgroundColor(gfx::Color::white());
  panel->layer().setCornerRadius(8);
  panel->setClipsToBounds(true);
  panel->setUserInteractionEnabled(true);
  addSubview(panel);

  double y = 10;
  panel->addSubview(TextLabel(gfx::Rect(12, y, kTextWidth, tH), contentTitle_, titleFont));
  y += tH + 12;
  panel->addSubview(TextLabel(gfx::Rect(12, y, kTextWidth, mH), contentString_, messageFont));
  y += mH;

  if (bolShareButton_) {
    auto row = ui::View::create(gfx::Rect(12, y, kTextWidth, kCheckRowHeight));
    row->setBackgroundColor(gfx::Color::clear());
    const double w = getTxtLength(kPopShareCheckText, messageFont, 150);
    selButton_ = ui::Button::create(ui::ButtonType::Custom, gfx::Rect((219 - w) / 2, 9, 17, 17));
    selButton_->setImage(gfx::Image::named("guide_gou_normal.png"), ui::ControlState::Normal);
    selButton_->setImage(gfx::Image::named("guide_gou_sel.png"), ui::ControlState::Selected);
    bolTag_ = false;
    btnWithGesture(*selButton_, &GPPopShareView::clikeShare);
    row->addSubview(selButton_);
    auto label = ui::Label::create(gfx::Rect(selButton_->frame().x() + 20, 10, w, 15));
    label->setBackgroundColor(gfx::Color::clear());
    label->setFont(messageFont);
    label->setTextAlignment(gfx::TextAlignment::Left);
    label->setTextColor(gfx::Color::black());
    label->setText(kPopShareCheckText);
    row->addSubview(label);
    panel->addSubview(row);
  }

  panel->addSubview(Rule(gfx::Rect(0, panelHeight - kButtonHeight, kPanelWidth, 1)));
  panel->addSubview(Rule(gfx::Rect(137, panelHeight - 43, 1, 43)));
  const struct {
    double x;
    int tag;
    const char* title;
    void (GPPopShareView::*action)();
  } buttons[] = {{0, 0, "取消", &GPPopShareView::LeftAction_Click},
                 {138, 1, "确定", &GPPopShareView::rightAction_Click}};
  for (const auto& item : buttons) {
    auto button = ui::Button::create(
        ui::ButtonType::Custom, gfx::Rect(item.x, panelHeight - kButtonHeight, 138, kButtonHeight));
    button->setTag(item.tag);
    button->setTitle(item.title, ui::ControlState::Normal);
    button->setFont(gfx::Font::boldSystemFont(16));
    button->setTitleColor(gfx::Color(0, 0.5, 1.0, 1.0), ui::ControlState::Normal);
    button->setTitleColor(gfx::Color(0.2, 0.2, 0.2, 0.5), ui::ControlState::Highlighted);
    btnWithGesture(*button, item.action);
    panel->addSubview(button);
  }
  leftButtonTag_ = 0;
  rightButtonTag_ = 1;
}

void GPPopShareView::btnWithGesture(ui::Button& button, void (GPPopShareView::*action)()) {
  button.setAdjustsImageWhenHighlighted(false);
  std::weak_ptr<GPPopShareView> weakSelf = sharedAs<GPPopShareView>();
  button.addGestureRecognizer(ui::TapGestureRecognizer::create([weakSelf, action](auto&) {
    if (auto self = weakSelf.lock()) ((*self).*action)();
  }));
}

void GPPopShareView::clikeShare() {
  if (!selButton_) return;
  if (selButton_->isSelected()) {
    selButton_->setImage(gfx::Image::named("guide_gou_normal.png"), ui::ControlState::Normal);
    selButton_->setSelected(false);
    bolTag_ = false;
  } else {
    selButton_->setImage(gfx::Image::named("guide_gou_sel.png"), ui::ControlState::Normal);
    selButton_->setSelected(true);
    bolTag_ = true;
  }
}

void GPPopShareView::showInWindow() {
  if (ui::View* panel = viewWithTag(kPopSharePanelTag)) {
    auto pop = ui::LayerAnimation::keyframe("transform");
    pop->setDuration(kPopDuration);
    pop->setTimingCurve(ui::AnimationCurve::EaseIn);
    pop->setValues({gfx::AffineTransform::scaling(0.1, 0.1),
                    gfx::AffineTransform::scaling(1.2, 1.2),
                    gfx::AffineTransform::scaling(0.9, 0.9), gfx::AffineTransform::identity()});
    pop->setRemovedOnCompletion(true);
    pop->setFillMode(ui::FillMode::Forwards);
    panel->layer().addAnimation(pop);
  }
  ui::Window* window = ui::Application::shared().keyWindow();
  if (!window) return;
  window->addSubview(sharedView());
  window->endEditing(true);
}

void GPPopShareView::finish(int index) {
  // Keep this view alive while it leaves its window and tells the delegate.
  auto self = sharedView();
  if (auto delegate = delegate_.lock()) delegate->clickPopShareView(*this, index);
  removeFromSuperview();
}

void GPPopShareView::LeftAction_Click() {
  finish(leftButtonTag_);
}

void GPPopShareView::rightAction_Click() {
  finish(rightButtonTag_);
}
