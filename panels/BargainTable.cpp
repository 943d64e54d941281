#include "panels/BargainTable.h"

#include <algorithm>
#include <cstdint>

#include "core/QuoteFormat.h"
#include "core/ValueMath.h"
#include "panels/PriceShowView.h"
#include "panels/TableSetup.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/TableViewCell.h"

namespace {

constexpr int kLevels = 5;

}  // namespace

// --- RatioView ---------------------------------------------------------------------------------

RatioView::RatioView(const gfx::Rect& frame) : ui::View(frame) {
  const gfx::Color light = gfx::Color::rgb255(42, 183, 234, 0.8);
  const gfx::Color dark = gfx::Color::rgb255(17, 46, 121, 0.8);
  gradient = gfx::Gradient::linear(light, dark);
  gradientRight = gfx::Gradient::linear(dark, light);
}

void RatioView::SetRatioLeft(float value, float sum) {
  IsLeftRight = 1;
  // A volume from the wire may be negative or beyond the sum: the bar stays inside the cell.
  const float width = static_cast<float>(bounds().width());
  fRatioWidth = sum <= 0 ? 0.0f : static_cast<float>(
      std::clamp(vmath::Ratio(double{width} * value, sum), 0.0, double{width}));
  setNeedsDisplay();
}

void RatioView::SetRatioRight(float value, float sum) {
  IsLeftRight = 0;
  // A volume from the wire may be negative or beyond the sum: the bar stays inside the cell.
  const float width = static_cast<float>(bounds().width());
  fRatioWidth = sum <= 0 ? 0.0f : static_cast<float>(
      std::clamp(vmath::Ratio(double{width} * value, sum), 0.0, double{width}));
  setNeedsDisplay();
}

void RatioView::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)rect;
  ctx.clearRect(bounds());
  if (IsLeftRight == 1)
    RatioLeft(ctx);
  else
    RatioRight(ctx);
}

void RatioView::RatioLeft(gfx::Context& ctx) {
  const gfx::Rect b = bounds();
  gfx::StateSaver saver(ctx);
  ctx.clipToRect({b.x(), b.y(), fRatioWidth, b.height()});
  ctx.drawLinearGradient(gradient, gfx::Point(b.x(), 0), gfx::Point(fRatioWidth, 0));
}

void RatioView::RatioRight(gfx::Context& ctx) {
  const gfx::Rect b = bounds();
  const double left = b.width() - fRatioWidth;
  gfx::StateSaver saver(ctx);
  ctx.clipToRect({left, b.y(), fRatioWidth, b.height()});
  ctx.drawLinearGradient(gradientRight, gfx::Point(left, 0), gfx::Point(b.width(), 0));
}

// --- CellBargain -------------------------------------------------------------------------------

CellBargain::CellBargain(const gfx::Rect& frame) : ui::View(frame) {
  const double q = static_cast<int>(bounds().width() / 4);
  const double h = static_cast<int>(bounds().height());
  auto label = [this](const gfx::Rect& rect) {
    auto made = ui::Label::create(rect);
    made->setTextColor(gfx::Color::white());
    made->setBackgroundColor(gfx::Color::clear());
    made->setFont(PanelBoldFont(13));
    addSubview(made);
    return made;
  };
  ratioViewLeft_ = std::make_shared<RatioView>(gfx::Rect{0, 0, q, h});
  addSubview(ratioViewLeft_);
  buyVolLabel_ = label({0, 0, q, h});
  buyPriceLabel_ = label({q, 0, q, h});
  buyPriceLabel_->setTextAlignment(gfx::TextAlignment::Left);
  sellPriceLabel_ = label({2 * q, 0, q, h});
  sellPriceLabel_->setTextAlignment(gfx::TextAlignment::Right);
  ratioViewRight_ = std::make_shared<RatioView>(gfx::Rect{3 * q, 0, q, h});
  addSubview(ratioViewRight_);
  sellVolLabel_ = label({3 * q, 0, q, h});
}

void CellBargain::SetCellBargainOrderNo(const std::string& text) {
  const double s = bounds().width() / 20;
  auto button = ui::Button::create(gfx::Rect{s * 9.4, 1, s, s});
  button->setTitle(text, ui::ControlState::Normal);
  button->setTitleColor(gfx::Color::white(), ui::ControlState::Normal);
  button->setFont(gfx::Font::systemFont(9));
  button->setBackgroundImage(gfx::Image::named("cirle.png").stretchable(0, 0),
                             ui::ControlState::Disabled);
  button->setEnabled(false);
  addSubview(button);
}

// --- BargainTable ------------------------------------------------------------------------------

BargainTable::BargainTable(const gfx::Rect& frame) : ui::View(frame) {
  _DetailWidth = static_cast<float>(frame.width() / 2);
}

BargainTable::~BargainTable() {
  DetachTable(mTableView.get());
}

std::shared_ptr<BargainTable> BargainTable::create(const gfx::Rect& frame) {
  auto table = std::make_shared<BargainTable>(frame);
  table->build();
  return table;
}

void BargainTable::build() {
  setBackgroundColor(gfx::Color::black());
  mTableView = AddQuoteTable(*this, bounds(), false);
}

void BargainTable::setStockQuote(const tagLocalStockData& quote) {
  StockInfo = quote;
  SumVolumeBuy = 0;
  SumVolumeSell = 0;
  for (int i = 0; i < kLevels; ++i) {
    SumVolumeBuy += static_cast<float>(vmath::MarkToZero(StockInfo.buysell10.buy[i].volume));
    SumVolumeSell += static_cast<float>(vmath::MarkToZero(StockInfo.buysell10.sell[i].volume));
  }
  mTableView->reloadData();
}

std::string BargainTable::ReturnRomeNum(int32_t n) {
  static const char* const kNumbers[] = {"一", "二", "三", "四", "五"};
  if (n < 0 || n >= kLevels) return {};
  return kNumbers[n];
}

gfx::Color BargainTable::CheckPriceColor(int64_t change) {
  if (change > 0) return gfx::Color::rgb255(184, 6, 26);
  if (change < 0) return gfx::Color::rgb255(123, 159, 88);
  return gfx::Color::white();
}

int BargainTable::tableViewNumberOfRowsInSection(ui::TableView& table, int section) {
  (void)table;
  (void)section;
  return kLevels;
}

std::shared_ptr<ui::View> BargainTable::tableViewViewForHeaderInSection(ui::TableView& table,
                                                                        int section) {
  (void)table;
  (void)section;
  const double half = _DetailWidth;
  auto header = ui::View::create({0, 0, 2 * half, 20});
  auto buy = PriceShowView::createColumnTitle({0, 0, half, 20}, 1);
  buy->titleLabel()->setText("买入");
  buy->titleLabel()->setTextColor(gfx::Color::rgb255(0, 255, 255));
  header->addSubview(buy);
  auto sell = PriceShowView::createColumnTitle({half, 0, half, 20}, 2);
  sell->titleLabel()->setText("卖出");
  sell->titleLabel()->setTextColor(gfx::Color::rgb255(0, 255, 255));
  header->addSubview(sell);
  return header;
}

std::shared_ptr<ui::TableViewCell> BargainTable::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier(kQuoteCellIdentifier);
  if (!cell) {
    cell = NewQuoteCell();
    auto row = std::make_shared<CellBargain>(gfx::Rect{0, 0, 300, 15});
    row->setTag(kCellBargainTag);
    row->buyVolLabel()->setTextAlignment(gfx::TextAlignment::Left);
    row->buyPriceLabel()->setTextAlignment(gfx::TextAlignment::Center);
    row->sellVolLabel()->setTextAlignment(gfx::TextAlignment::Right);
    row->sellPriceLabel()->setTextAlignment(gfx::TextAlignment::Center);
    row->SetCellBargainOrderNo(ReturnRomeNum(path.row));
    cell->addSubview(row);
  }
  auto* row = dynamic_cast<CellBargain*>(cell->viewWithTag(kCellBargainTag));
  if (!row || path.row < 0 || path.row >= kLevels) return cell;
  const auto& buy = StockInfo.buysell10.buy[path.row];
  const auto& sell = StockInfo.buysell10.sell[path.row];
  const gfx::Color yellow = gfx::Color::rgb255(255, 255, 0);
  row->buyVolLabel()->setText(FormatVolumeString(StockInfo.market, buy.volume, StockInfo.unit, 6));
  row->buyVolLabel()->setTextColor(yellow);
  row->buyPriceLabel()->setText(FormatPriceString(buy.price, 8, StockInfo.pricedot, buy.price));
  row->buyPriceLabel()->setTextColor(
      CheckPriceColor(static_cast<int64_t>(buy.price) - StockInfo.yesterday));
  row->sellVolLabel()->setText(
      FormatVolumeString(StockInfo.market, sell.volume, StockInfo.unit, 6));
  row->sellVolLabel()->setTextColor(yellow);
  row->sellPriceLabel()->setText(FormatPriceString(sell.price, 8, StockInfo.pricedot, sell.price));
  row->sellPriceLabel()->setTextColor(
      CheckPriceColor(static_cast<int64_t>(sell.price) - StockInfo.yesterday));
  // Ten volumes from the wire may sum past the int64 range.
  const int64_t total =
      vmath::ClampToInt64(static_cast<double>(SumVolumeBuy) + static_cast<double>(SumVolumeSell));
  row->ratioViewLeft()->SetRatioLeft(static_cast<float>(buy.volume), static_cast<float>(total));
  row->ratioViewRight()->SetRatioRight(static_cast<float>(sell.volume), static_cast<float>(total));
  return cell;
}
