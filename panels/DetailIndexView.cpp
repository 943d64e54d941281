#include "panels/DetailIndexView.h"

#include <string>

#include "core/QuoteFormat.h"
#include "panels/TableSetup.h"
#include "platform/graphics/Font.h"
#include "shell/SharedTool.h"

namespace {

int Sign(int64_t value) {
  return value > 0 ? 1 : (value < 0 ? -1 : 0);
}

void SetLabel(ui::Label* label, const std::string& text, const gfx::Color& color) {
  if (!label) return;
  label->setText(text);
  label->setTextColor(color);
}

}  // namespace

DetailIndexView::DetailIndexView(const gfx::Rect& frame) : ui::View(frame) {
  setBackgroundColor(gfx::Color::black());
  pDetailViewTopY = static_cast<float>(bounds().y());
}

std::shared_ptr<DetailIndexView> DetailIndexView::initWithFrame(const gfx::Rect& frame) {
  auto view = std::make_shared<DetailIndexView>(frame);
  view->SetDetailPricePanel();
  return view;
}

void DetailIndexView::SetDetailPricePanel() {
  const double top = pDetailViewTopY;
  if (!MainPriceShow) {
    MainPriceShow = PriceShowView::createQuote({10, top, pDetailWidth, pDetailViewHeight});
    SetLabel(MainPriceShow->nowLabel(), "--", gfx::Color::white());
    MainPriceShow->nowLabel()->setFont(PanelBoldFont(32));
    SetLabel(MainPriceShow->updownLabel(), "--", gfx::Color::white());
    MainPriceShow->updownLabel()->setFont(PanelBoldFont(14));
    // The placeholder is shown as written, both percent signs included.
    SetLabel(MainPriceShow->rangeLabel(), "--%%", gfx::Color::white());
    MainPriceShow->rangeLabel()->setFont(PanelBoldFont(14));
    addSubview(MainPriceShow);
  }
  std::shared_ptr<PriceShowView>* rows[5] = {&priceShow, &priceShow1, &priceShow2, &priceShow3,
                                             &priceShow4};
  const char* names[5] = {"开盘", "最高", "最低", "成交", "金额"};
  for (int i = 0; i < 5; ++i) {
    if (*rows[i]) continue;
    auto cell = PriceShowView::create(
        {pDetailStartX, top + pDetailHeight * i, pDetailWidth, pDetailHeight});
    SetLabel(cell->textName(), names[i], gfx::Color::cyan());
    cell->textName()->setFont(PanelBoldFont(12));
    SetLabel(cell->textPrice(), "--", gfx::Color::white());
    cell->textPrice()->setFont(PanelBoldFont(12));
    addSubview(cell);
    *rows[i] = cell;
  }
}

PriceShowView* DetailIndexView::row(int index) const {
  const std::shared_ptr<PriceShowView>* rows[5] = {&priceShow, &priceShow1, &priceShow2,
                                                   &priceShow3, &priceShow4};
  return index >= 0 && index < 5 ? rows[index]->get() : nullptr;
}

void DetailIndexView::SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) {
  (void)isPush;
  StockInfo = quote;
  RefreshTrendPricePanel(quote);
}

void DetailIndexView::RefreshTrendPricePanel(const tagLocalStockData& quote) {
  const int decimals = quote.pricedot;
  auto price = [decimals](int32_t value, int32_t reference) {
    return FormatPriceString(value, 8, decimals, reference);
  };
  // Differences in 64 bits: a missing price (0x80000000) must not wrap into the other colour.
  auto against = [&quote](int32_t value) {
    return CheckPriceColor(static_cast<int64_t>(value) - quote.yesterday);
  };
  const gfx::Color change = CheckPriceColor(quote.zd);
  if (MainPriceShow) {
    SetLabel(MainPriceShow->nowLabel(), price(quote.now, quote.now), change);
    SetLabel(MainPriceShow->updownLabel(), price(quote.zd, quote.now), change);
    SetLabel(MainPriceShow->rangeLabel(), FormatValueString(quote.zd, quote.yesterday, quote.now),
             change);
    if (auto* arrow = MainPriceShow->ImageUpDownFlag()) arrow->setImage(CheckPriceUpDown(quote.zd));
  }
  auto set = [](const std::shared_ptr<PriceShowView>& cell, const std::string& text,
                const gfx::Color& color) {
    if (cell) SetLabel(cell->textPrice(), text, color);
  };
  set(priceShow, price(quote.open, quote.open), against(quote.open));
  set(priceShow1, price(quote.high, quote.high), against(quote.high));
  set(priceShow2, price(quote.low, quote.low), against(quote.low));
  set(priceShow3, FormatVolumeString(quote.market, quote.volume, quote.unit, 6),
      gfx::Color::yellow());
  set(priceShow4, FormatAmountString(quote.market, quote.amount, 100, 6), change);
}

gfx::Color DetailIndexView::CheckPriceColor(int64_t difference) {
  return SharedTool::CheckPriceColor(Sign(difference));
}

gfx::Image DetailIndexView::CheckPriceUpDown(int64_t difference) {
  return SharedTool::CheckPriceUpDown(Sign(difference));
}
