#include "panels/MiniDetailCell.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"

MiniDetailCell::MiniDetailCell(ui::TableViewCellStyle style, const std::string& reuseIdentifier)
    : ui::TableViewCell(style, reuseIdentifier) {
  setBackgroundColor(gfx::Color::clear());
}

std::shared_ptr<MiniDetailCell> MiniDetailCell::create(ui::TableViewCellStyle style,
                                                       const std::string& reuseIdentifier) {
  return std::make_shared<MiniDetailCell>(style, reuseIdentifier);
}

void MiniDetailCell::setTextNum(int n, double width, double height) {
  if (n <= 0) return;
  // A rebuilt row must not keep the labels of the first build under the new ones.
  for (const auto& old : labels_) old->removeFromSuperview();
  if (separator_) separator_->removeFromSuperview();
  labels_.clear();
  _nLableNum = n;
  const double lw = (width - 2) / n;
  auto background = ui::ImageView::create(gfx::Rect{0, 0, width, height});
  background->setImage(gfx::Image::named("miniListCell_BG.png"));
  setBackgroundView(background);
  for (int i = 0; i < n; ++i) {
    auto text = ui::Label::create({2 + i * lw, 0, lw, height});
    text->setTag(kMiniCellLabelTag + i);
    text->setBackgroundColor(gfx::Color::clear());
    text->setTextColor(gfx::Color::white());
    if (i == 0) {
      text->setTextAlignment(gfx::TextAlignment::Left);
      text->setFont(gfx::Font::named("Helvetica-Bold", 11));
    } else {
      text->setTextAlignment(gfx::TextAlignment::Right);
      text->setFont(gfx::Font::named("Helvetica-Bold", 10));
      text->setLineBreakMode(gfx::LineBreakMode::Clip);
      text->setAdjustsFontSizeToFitWidth(true);
    }
    contentView()->addSubview(text);
    labels_.push_back(text);
  }
  auto line = ui::ImageView::create(gfx::Rect{0, height - 1, width, 1});
  line->setImage(gfx::Image::named("separateline.png"));
  line->setTag(kMiniCellBottomLineTag);
  line->setHidden(true);
  addSubview(line);
  separator_ = line;
}

ui::Label* MiniDetailCell::label(int i) const {
  if (i < 0 || i >= static_cast<int>(labels_.size())) return nullptr;
  return labels_[static_cast<size_t>(i)].get();
}

void MiniDetailCell::updateTextWidth(const std::vector<double>& widths) {
  double x = 0;
  for (int i = 0; i < _nLableNum; ++i) {
    ui::Label* text = label(i);
    if (!text) continue;
    const gfx::Rect f = text->frame();
    const double w = i < static_cast<int>(widths.size()) ? widths[i] : f.width();
    text->setFrame({x, f.y(), w, f.height()});
    x += w;
  }
}

void MiniDetailCell::updateText(const std::string& name, const std::string& value,
                                const std::string& value2) {
  const std::string* texts[] = {&name, &value, &value2};
  for (int i = 0; i < 3; ++i)
    if (ui::Label* text = label(i)) text->setText(*texts[i]);
}

void MiniDetailCell::updateTextColor(const gfx::Color& color) {
  updateTextColor(color, color);
}

void MiniDetailCell::updateTextColor(const gfx::Color& value, const gfx::Color& value2) {
  if (ui::Label* text = label(1)) text->setTextColor(value);
  if (ui::Label* text = label(2)) text->setTextColor(value2);
}

void MiniDetailCell::showSeparatorLine(bool show) {
  showSeparatorLine(false, show);
}

void MiniDetailCell::showSeparatorLine(bool top, bool bottom) {
  // The top line (tag 801) is never built.
  (void)top;
  if (!separator_) return;
  separator_->setHidden(!bottom);
  if (bottom) bringSubviewToFront(separator_.get());
}
