#include "kline/KlineToolBar.h"

#include <cmath>

#include "platform/graphics/Image.h"

namespace {

constexpr const char* kTitles[7] = {"日线", "周线", "月线", "5分钟", "15分钟", "30分钟", "60分钟"};
// 60 minutes is 5, 15 minutes 6, 30 minutes 7: the chart's period numbers.
constexpr uint16_t kCommands[KlineToolBar::kSlots] = {1, 2, 3, 4,
                                                      6, 7, 5, KlineToolBar::kSettingsCommand};

}  // namespace

KlineToolBar::KlineToolBar(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<KlineToolBar> KlineToolBar::initWithFrame(const gfx::Rect& frame) {
  auto bar = std::make_shared<KlineToolBar>(frame);
  bar->build();
  return bar;
}

uint16_t KlineToolBar::commandOf(int slot) {
  return slot >= 0 && slot < kSlots ? kCommands[slot] : 0;
}

void KlineToolBar::build() {
  const double w = bounds().width();
  const double h = bounds().height();
  setBackgroundColor(gfx::Color::pattern(gfx::Image::named("bg_titleview.png")));
  const double bw = w / kSlots;
  _menuBarSlideBg = ui::ImageView::create({0, 3, bw, h - 6});
  _menuBarSlideBg->setImage(gfx::Image::named("menubar_slider.png"));
  _menuBarSlideBg->setClipsToBounds(true);
  _menuBarSlideBg->layer().setCornerRadius(8);
  _menuBarSlideBg->layer().setBorderWidth(1);
  _menuBarSlideBg->layer().setBorderColor(gfx::Color::clear());
  addSubview(_menuBarSlideBg);
  double x = 0;
  for (int i = 0; i < kSlots; ++i) {
    auto b = ui::Button::create(ui::ButtonType::Custom, {x, 0, bw, h});
    if (i < 7) {
      b->setTitle(kTitles[i]);
      b->setTitleColor(gfx::Color::white());
      b->setTitleColor(gfx::Color::darkGrey(), ui::ControlState::Disabled);
      b->titleLabel()->setFont(gfx::Font::boldSystemFont(12));
      b->setEnabled(false);
    } else {
      b->setImage(gfx::Image::named("Settings.png"));
    }
    b->addTarget([this, i](ui::Control&) { tapped(i); }, ui::ControlEvent::TouchUpInside, this);
    addSubview(b);
    m_button[static_cast<size_t>(i)] = b;
    x = std::trunc(x + bw);
  }
}

void KlineToolBar::SetButtonStatus() {
  setActivedButton(*m_button[0]);
}

void KlineToolBar::setActivedButton(ui::Button& button) {
  _menuBarSlideBg->setCenter(button.center());
  for (auto& b : m_button) b->setEnabled(b.get() != &button);
}

void KlineToolBar::tapped(int slot) {
  if (slot < 7) setActivedButton(*m_button[static_cast<size_t>(slot)]);
  if (Delegate) Delegate->TimeframeCircle(kCommands[slot]);
}
