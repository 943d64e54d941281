#include "panels/ZLLHDataView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/QuoteFormat.h"
#include "core/QuoteMoment.h"
#include "panels/ZLLHTable.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Object.h"
#include "widgets/QuoteColors.h"

namespace {

// The figures box: six rows of caption and value, right of the pie.
constexpr double kFiguresX = 165;
constexpr double kFiguresWidth = 150;
constexpr double kRowHeight = 19;
constexpr double kCaptionWidth = 62;

struct ZLLHRow {
  const char* caption;
  int tag;
};

constexpr ZLLHRow kRows[] = {
    {"现价", ZLLHDataView::kPriceTag},       {"涨幅", ZLLHDataView::kChangeTag},
    {"买单数", ZLLHDataView::kBuyCountTag},  {"买单均量", ZLLHDataView::kBuyAverageTag},
    {"卖单数", ZLLHDataView::kSellCountTag}, {"卖单均量", ZLLHDataView::kSellAverageTag},
};

// Captions of the buy rows in the buy side's red, of the sell rows in the sell side's green.
gfx::Color CaptionColor(int tag) {
  if (tag == ZLLHDataView::kBuyCountTag || tag == ZLLHDataView::kBuyAverageTag)
    return gfx::Color::rgb255(255, 90, 90);
  if (tag == ZLLHDataView::kSellCountTag || tag == ZLLHDataView::kSellAverageTag)
    return gfx::Color::rgb255(102, 255, 102);
  return gfx::Color::grey(0.75);
}

// The average order of a side: volume per order, in lots; empty without orders or volume.
std::string AverageOrderText(uint8_t market, int64_t volume, int64_t orders, int unit) {
  if (orders == 0 || volume == 0) return "";
  return FormatVolumeString(market, zllh::Quotient(volume, orders), unit, 6);
}

float Sweep(int64_t volume, int64_t total) {
  if (total <= 0) return 0;
  return static_cast<float>(static_cast<double>(volume) * 180.0 / static_cast<double>(total));
}

}  // namespace

ZLLHDataView::ZLLHDataView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<ZLLHDataView> ZLLHDataView::create(const gfx::Rect& frame) {
  auto view =
      std::make_shared<ZLLHDataView>(frame.size.width > 0 ? frame : gfx::Rect{0, 0, 320, 160});
  view->buildInterface();
  view->awakeFromNib();
  return view;
}

void ZLLHDataView::registerClass() {
  ui::ClassRegistry::shared().registerClass(
      "ZLLHDataView", [] { return std::static_pointer_cast<ui::Object>(create()); });
}

void ZLLHDataView::buildInterface() {
  const double height = kRowHeight * std::size(kRows);
  auto box = ui::View::create({kFiguresX, (bounds().height() - height) / 2, kFiguresWidth, height});
  box->setTag(kFiguresTag);
  box->setBackgroundColor(gfx::Color::clear());
  box->setUserInteractionEnabled(false);
  double y = 0;
  for (const ZLLHRow& row : kRows) {
    auto caption = ui::Label::create({0, y, kCaptionWidth, kRowHeight});
    caption->setText(row.caption);
    caption->setFont(gfx::Font::named("Helvetica-Bold", 13));
    caption->setTextColor(CaptionColor(row.tag));
    caption->setBackgroundColor(gfx::Color::clear());
    box->addSubview(caption);
    auto value = ui::Label::create({kCaptionWidth, y, kFiguresWidth - kCaptionWidth, kRowHeight});
    value->setTag(row.tag);
    value->setText("--");
    value->setFont(gfx::Font::named("Helvetica-Bold", 14));
    value->setTextColor(row.tag == kPriceTag || row.tag == kChangeTag ? gfx::Color::white()
                                                                      : widgets::PaleYellowColor());
    value->setTextAlignment(gfx::TextAlignment::Right);
    value->setAdjustsFontSizeToFitWidth(true);
    value->setBackgroundColor(gfx::Color::clear());
    box->addSubview(value);
    y += kRowHeight;
  }
  addSubview(box);
}

void ZLLHDataView::awakeFromNib() {
  _buyColor = zllh::SideColors(zllh::kBuySide);
  _sellColor = zllh::SideColors(zllh::kSellSide);
}

ui::Label* ZLLHDataView::label(int tag) {
  return dynamic_cast<ui::Label*>(viewWithTag(tag));
}

void ZLLHDataView::layoutSubviews() {
  // The box stays centred beside the pie whenever the view is resized (a turn of the device
  // lays the page out again), its rows closing up rather than running under the table below.
  ui::View* box = viewWithTag(kFiguresTag);
  if (!box) return;
  const double row = std::min(kRowHeight, std::floor(bounds().height() / std::size(kRows)));
  const double height = row * std::size(kRows);
  box->setFrame({kFiguresX, std::floor((bounds().height() - height) / 2), kFiguresWidth, height});
  const auto& labels = box->subviews();
  for (size_t i = 0; i < labels.size(); ++i) {
    gfx::Rect f = labels[i]->frame();
    f.origin.y = row * static_cast<double>(i / 2);
    f.size.height = row;
    labels[i]->setFrame(f);
  }
}

void ZLLHDataView::updateDataView(const tagLocalStockData* quote) {
  setNeedsLayout();
  if (!quote) return;
  const tagLocalStockData& q = *quote;
  const gfx::Color change = widgets::UpDownColor(q.zd);
  if (auto* price = label(kPriceTag)) {
    price->setText(FormatPriceString(q.now, 8, q.pricedot, q.now));
    price->setTextColor(change);
  }
  if (auto* percent = label(kChangeTag)) {
    percent->setText(FormatValueString(q.zd, q.yesterday, q.now));
    percent->setTextColor(change);
  }
  auto setText = [this](int tag, const std::string& text) {
    if (auto* l = label(tag)) l->setText(text);
  };
  if (!MainForceKnown(q)) {
    // The table of an older minute than the price: nothing of it is shown until it comes again.
    for (int tag : {kBuyCountTag, kBuyAverageTag, kSellCountTag, kSellAverageTag}) setText(tag, "----");
    _buyAngle.fill(0);
    _sellAngle.fill(0);
    setNeedsDisplay();
    return;
  }
  const int64_t buyOrders = zllh::SideSum(&q.BuySellGold[0]);
  const int64_t sellOrders = zllh::SideSum(&q.BuySellGold[4]);
  const int64_t buyVolume = zllh::SideSum(&q.VolumeGold[0]);
  const int64_t sellVolume = zllh::SideSum(&q.VolumeGold[4]);
  setText(kBuyCountTag, buyOrders == 0 ? "0" : FormatVolumeString(q.market, buyOrders, 1, 6));
  setText(kBuyAverageTag, AverageOrderText(q.market, buyVolume, buyOrders, q.unit));
  setText(kSellCountTag, sellOrders == 0 ? "0" : FormatVolumeString(q.market, sellOrders, 1, 6));
  setText(kSellAverageTag, AverageOrderText(q.market, sellVolume, sellOrders, q.unit));
  for (size_t c = 0; c < 4; ++c) {
    _buyAngle[c] = Sweep(q.VolumeGold[c], buyVolume);
    _sellAngle[c] = Sweep(q.VolumeGold[4 + c], sellVolume);
  }
  setNeedsDisplay();
}

void ZLLHDataView::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  ui::View::drawRect(ctx, rect);
  const double cx = kPieCenterX;
  const double cy = std::floor(bounds().height() / 2);
  const float radius = static_cast<float>(std::min(cy - 5, 70.0));
  if (radius <= 0) return;
  const auto& s = _sellAngle;
  const auto& b = _buyAngle;
  // Sell classes fill the left half from the bottom (小) up to the top (庄), buy classes the
  // right half from the top (庄) down to the bottom (小); the two 庄 slices meet at the top.
  const double sellStarts[4] = {270.0 - s[0], 90.0 + s[3] + s[2], 90.0 + s[3], 90.0};
  const double buyStarts[4] = {270.0, 270.0 + b[0], 270.0 + b[0] + b[1], 450.0 - b[3]};
  for (int c = 3; c >= 0; --c)
    paintpie(ctx, sellStarts[c], s[static_cast<size_t>(c)], cx, cy, radius,
             _sellColor.empty() ? zllh::ClassColor(zllh::kSellSide, c)
                                : _sellColor[static_cast<size_t>(c)]);
  for (int c = 0; c < 4; ++c)
    paintpie(ctx, buyStarts[c], b[static_cast<size_t>(c)], cx, cy, radius,
             _buyColor.empty() ? zllh::ClassColor(zllh::kBuySide, c)
                               : _buyColor[static_cast<size_t>(c)]);
}

void ZLLHDataView::paintpie(gfx::Context& ctx, double start, double capacity, double pointx,
                            double pointy, float radius, const gfx::Color& piecolor) {
  // Negative sweeps come only from negative volumes, which have no slice to show.
  if (!(capacity > 0)) return;
  const double from = start * std::numbers::pi / 180;
  const double to = (start + capacity) * std::numbers::pi / 180;
  ctx.setStrokeColor(gfx::Color::white());
  ctx.setFillColor(piecolor);
  auto path = [&] {
    ctx.beginPath();
    ctx.moveTo(pointx, pointy);
    ctx.arc(pointx, pointy, radius, from, to, true);
    ctx.closePath();
  };
  path();
  ctx.fillPath();
  path();
  ctx.strokePath();
}
