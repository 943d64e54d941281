#include "watchlist/SelfCell.h"

#include "platform/graphics/Font.h"

SelfCell::SelfCell(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<SelfCell> SelfCell::create(const gfx::Rect& frame) {
  auto cell = std::make_shared<SelfCell>(frame);
  cell->build();
  return cell;
}

ui::Label* SelfCell::ItemName(int k) const {
  return k >= 1 && k <= 4 ? itemNames_[static_cast<size_t>(k - 1)].get() : nullptr;
}

ui::Label* SelfCell::ItemValue(int k) const {
  return k >= 1 && k <= 5 ? itemValues_[static_cast<size_t>(k - 1)].get() : nullptr;
}

void SelfCell::build() {
  gradient_ = gfx::Gradient({{0.0, gfx::Color::rgb255(28, 63, 89)}, {1.0, gfx::Color::black()}});
  setBackgroundColor(gfx::Color::clear());
  const int w = static_cast<int>(bounds().width());
  const int h = static_cast<int>(bounds().height());
  // Integer layout units: a sixth of the width across, a quarter of the inner height down.
  const int u = w / 6;
  const int q = (h - 5) / 4;
  const int a = static_cast<int>(3.6 * u + 15);
  const int b = static_cast<int>(4.1 * u + 15);
  const int c = static_cast<int>(1.5 * u - 20);
  const gfx::Font big = gfx::Font::boldSystemFont(16);
  const gfx::Font small = gfx::Font::boldSystemFont(11);

  auto image = [this](const char* name, const gfx::Rect& frame, bool stretch) {
    gfx::Image img = gfx::Image::named(name);
    auto view = ui::ImageView::create(stretch ? img.stretchable(0, 0) : img);
    view->setFrame(frame);
    view->setBackgroundColor(gfx::Color::clear());
    addSubview(view);
    return view;
  };
  auto label = [this](const gfx::Rect& frame, const gfx::Font& font, const gfx::Color& color,
                      gfx::TextAlignment alignment) {
    auto l = ui::Label::create(frame);
    l->setBackgroundColor(gfx::Color::clear());
    l->setFont(font);
    l->setTextColor(color);
    l->setTextAlignment(alignment);
    addSubview(l);
    return l;
  };

  imageBackground_ = image("cellbg.png", gfx::Rect(0, 0, 320, h), true);
  imageFlag_ = image("+.png", gfx::Rect(0, 0, 10, h), false);
  imageUpDownFlag_ =
      image("equal.png", gfx::Rect(2 * u - 5, h / 7 + 2, 1.8 * u, 5 * h / 8 + 2), false);
  imageUpDownFlag_->setAutoresizingMask(ui::Autoresizing::FlexibleWidth |
                                        ui::Autoresizing::FlexibleHeight);
  stockCode_ =
      label(gfx::Rect(20, 12, 2 * u, 15), small, gfx::Color::grey(0.6), gfx::TextAlignment::Left);
  stockName_ =
      label(gfx::Rect(20, 17, 2 * u, 32), big, gfx::Color::white(), gfx::TextAlignment::Left);
  for (int k = 0; k < 4; ++k) {
    itemNames_[static_cast<size_t>(k)] = label(gfx::Rect(a - 5, 4 + k * q, u / 2, q), small,
                                               gfx::Color::grey(0.75), gfx::TextAlignment::Left);
  }
  itemValues_[0] = label(gfx::Rect(2.3 * u, h / 3 - 5, 1.3 * u, h / 3), big, gfx::Color::white(),
                         gfx::TextAlignment::Right);
  itemValues_[0]->setAdjustsFontSizeToFitWidth(true);
  itemSubValue1_ = label(gfx::Rect(2.6 * u, h / 3 + 15, u, h / 6), small, gfx::Color::white(),
                         gfx::TextAlignment::Right);
  for (int k = 0; k < 4; ++k) {
    itemValues_[static_cast<size_t>(k + 1)] = label(gfx::Rect(b - 5, 4 + k * q, c, q), small,
                                                    gfx::Color::white(), gfx::TextAlignment::Right);
  }
  disclosure_ = ui::Button::create(ui::ButtonType::Custom, gfx::Rect(w - 28, (h - 24) / 2, 24, 24));
  disclosure_->setBackgroundImage(gfx::Image::named("disclosure.png"));
  std::weak_ptr<SelfCell> weak = sharedAs<SelfCell>();
  disclosure_->addTarget(
      [weak](ui::Control&) {
        if (auto self = weak.lock()) self->DisclosureButton();
      },
      ui::ControlEvent::TouchUpInside, this);
  addSubview(disclosure_);
}

void SelfCell::DisclosureButton() {
  if (auto delegate = delegate_.lock()) delegate->DisclosureDetail(index_);
}

void SelfCell::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)rect;
  const gfx::Rect b = bounds();
  ctx.clearRect(b);
  ctx.save();
  ctx.clipToRect(b);
  ctx.drawLinearGradient(gradient_, gfx::Point(b.x(), b.y()), gfx::Point(b.x(), b.maxY()));
  ctx.setStrokeColor(gfx::Color::grey(1.0 / 3));
  ctx.setLineWidth(2);
  ctx.strokeLine(gfx::Point(b.x(), b.y()), gfx::Point(b.maxX(), b.y()));
  ctx.restore();
}
