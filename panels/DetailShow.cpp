#include "panels/DetailShow.h"

#include "platform/graphics/Color.h"

DetailShow::DetailShow(const gfx::Rect& frame) : ui::View(frame) {
  // Whole points: a row is a quarter of the height, a column half the width; halves of a
  // column are cut to whole points too.
  const int r = static_cast<int>(frame.height() / 4);
  const int k = static_cast<int>(frame.width() / 2);
  const double R = r;
  const double half = k / 2;
  const double right = 3 * k / 2;
  auto add = [this](double x, double y, double w, double h) {
    auto label = ui::Label::create({x, y, w, h});
    label->setTextColor(gfx::Color::white());
    label->setBackgroundColor(gfx::Color::clear());
    addSubview(label);
    return label;
  };
  closeLabel_ = add(0, 0, k, 3 * R);
  updownLabel_ = add(0, 3 * R, half, R);
  rangeLabel_ = add(half, 3 * R, half, R);
  highLabel_ = add(right, 0, half, R);
  lowLabel_ = add(right, R, half, R);
  openLabel_ = add(right, 2 * R, half, R);
  volLabel_ = add(right, 3 * R, half, R);
  highStaticLabel_ = add(k, 0, half, R);
  lowStaticLabel_ = add(k, R, half, R);
  openStaticLabel_ = add(k, 2 * R, half, R);
  volStaticLabel_ = add(k, 3 * R, half, R);
}

std::shared_ptr<DetailShow> DetailShow::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<DetailShow>(frame);
}
