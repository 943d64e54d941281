#include "watchlist/MiniTline.h"

#include <algorithm>

#include "core/ChartData.h"
#include "core/QuoteFormat.h"
#include "platform/graphics/Font.h"

MiniTline::MiniTline(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<MiniTline> MiniTline::create(const gfx::Rect& frame) {
  auto panel = std::make_shared<MiniTline>(frame);
  panel->InitializeMiniTlineView(frame);
  return panel;
}

void MiniTline::InitializeMiniTlineView(const gfx::Rect& frame) {
  setFrame(frame);
  setTag(kTag);
  drawTrendLine_ = false;
  gradient_ = gfx::Gradient(
      {{0.0, gfx::Color::black()}, {1.0, gfx::Color::rgb255(106, 166, 210).withAlpha(0.5)}});
  setBackgroundColor(gfx::Color::clear());
  auto label = [this](const char* text, const gfx::Color& color) {
    auto l = ui::Label::create(gfx::Rect(0, 0, 0, 0));
    l->setBackgroundColor(gfx::Color::clear());
    l->setFont(gfx::Font::boldSystemFont(12));
    l->setTextAlignment(gfx::TextAlignment::Left);
    l->setTextColor(color);
    if (text) l->setText(text);
    addSubview(l);
    return l;
  };
  const gfx::Color cyan = gfx::Color::rgb255(0, 255, 255);
  highName_ = label("最高:", cyan);
  lowName_ = label("最低:", cyan);
  yesterdayName_ = label("昨收:", cyan);
  highValue_ = label(nullptr, gfx::Color::rgb255(180, 6, 27));
  lowValue_ = label(nullptr, gfx::Color::rgb255(123, 159, 88));
  yesterdayValue_ = label(nullptr, gfx::Color::grey(0.5));
  leftFrame_ = ui::ImageView::create(gfx::Image::named("blueline.png").stretchable(0, 0));
  leftFrame_->setFrame(gfx::Rect(0, -2, 10, kChartHeight + 8));
  addSubview(leftFrame_);
  SetSubViewFrameToMin();
}

void MiniTline::SetSubViewFrameToMax() {
  const double q = kChartHeight / 4;
  const double nameWidth = 160.0 / 3;
  int row = 1;
  for (auto& [name, value] : {std::pair{highName_, highValue_}, std::pair{lowName_, lowValue_},
                              std::pair{yesterdayName_, yesterdayValue_}}) {
    name->setFrame(gfx::Rect(14, q * row, nameWidth, q));
    value->setFrame(gfx::Rect(45, q * row, nameWidth * 1.6, q));
    ++row;
  }
  leftFrame_->setFrame(gfx::Rect(0, -2, 10, kChartHeight + 8));
}

void MiniTline::SetSubViewFrameToMin() {
  const double nameWidth = 160.0 / 3;
  for (auto* name : {highName_.get(), lowName_.get(), yesterdayName_.get()})
    name->setFrame(gfx::Rect(14, 0, nameWidth, 0));
  for (auto* value : {highValue_.get(), lowValue_.get(), yesterdayValue_.get()})
    value->setFrame(gfx::Rect(45, 0, nameWidth * 1.6, 0));
  leftFrame_->setFrame(gfx::Rect(0, 0, 10, 0));
}

void MiniTline::SetDataValue(const tagLocalStockData& rec) {
  stock_ = rec;
  highValue_->setText(FormatPriceString(rec.high, 0, rec.pricedot, rec.now));
  lowValue_->setText(FormatPriceString(rec.low, 0, rec.pricedot, rec.now));
  yesterdayValue_->setText(FormatPriceString(rec.yesterday, 0, rec.pricedot, rec.now));
  // New figures of the same stock: the curve is scaled around the new previous close.
  if (!prices_.empty()) CalcTrendLine();
}

void MiniTline::SetTrendLineArray(const tagMiniTrendHead& head, const uint8_t* points, int count) {
  const int n = std::min<int>(count, head.count);
  if (n <= 0 || !points) return;
  std::vector<int32_t> taken(static_cast<size_t>(std::min(n, kMiniTrendCapacity)));
  const int got = AccumulateMiniTrend(points, n, PriceDotToScale(stock_), taken.data(),
                                      static_cast<int>(taken.size()));
  taken.resize(static_cast<size_t>(got));
  prices_ = std::move(taken);
  CalcTrendLine();
}

void MiniTline::SetLastPrice(int32_t price) {
  if (prices_.empty() || prices_.back() == price) return;
  prices_.back() = price;
  CalcTrendLine();
}

void MiniTline::CalcTrendLine() {
  if (prices_.empty()) return;
  offsets_.assign(prices_.size(), 0);
  MiniTrendOffsets(prices_.data(), static_cast<int>(prices_.size()), stock_.high, stock_.low,
                   stock_.yesterday, static_cast<float>(kChartHeight), offsets_.data());
  drawTrendLine_ = true;
  setNeedsDisplay();
}

double MiniTline::zoomScale() const {
  const int minutes = GetTradeMinutes(stock_);
  return kChartWidth / (minutes > 0 ? minutes : 241);
}

void MiniTline::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)rect;
  drawBackground(ctx);
  if (drawTrendLine_) drawTrendLine(ctx);
}

void MiniTline::drawBackground(gfx::Context& ctx) {
  ctx.save();
  ctx.setLineWidth(2);
  ctx.setStrokeColor(gfx::Color::white());
  ctx.strokeLine(gfx::Point(kChartLeft - 2, kBaseY + 3),
                 gfx::Point(kChartLeft + kChartWidth, kBaseY + 3));
  ctx.setLineWidth(0.5);
  ctx.setStrokeColor(gfx::Color::grey(0.5));
  ctx.strokeLine(gfx::Point(kChartLeft - 2, kBaseY - kChartHeight / 2),
                 gfx::Point(kChartLeft + kChartWidth, kBaseY - kChartHeight / 2));
  ctx.restore();
}

void MiniTline::drawTrendLine(gfx::Context& ctx) {
  const double zoom = zoomScale();
  const size_t n = offsets_.size();
  // The area under the curve: one column per point, filled by the gradient.
  ctx.save();
  std::vector<gfx::Rect> columns;
  columns.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const double x = kChartLeft + static_cast<double>(i) * zoom;
    columns.emplace_back(x, kBaseY + 2 + offsets_[i], 1, -static_cast<double>(offsets_[i]));
  }
  ctx.clipToRects(columns);
  ctx.drawLinearGradient(gradient_, gfx::Point(300, 70), gfx::Point(300, 10));
  ctx.restore();
  // The price curve.
  ctx.save();
  ctx.setLineWidth(1);
  ctx.setStrokeColor(gfx::Color::rgb255(238, 227, 217));
  ctx.setShadow(gfx::Size(2, -1), 1, gfx::Color::black());
  ctx.beginPath();
  for (size_t i = 0; i < n; ++i) {
    const double x = kChartLeft + static_cast<int>(static_cast<double>(i) * zoom);
    const double y = kBaseY + offsets_[i];
    if (i == 0) {
      ctx.moveTo(x, y);
    } else {
      ctx.lineTo(x, y);
    }
  }
  if (n > 1) ctx.strokePath();
  ctx.restore();
}
