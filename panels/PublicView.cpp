#include "panels/PublicView.h"

#include <algorithm>
#include <cmath>

#include "core/QuoteFormat.h"
#include "panels/TableSetup.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Button.h"
#include "shell/SharedTool.h"

PublicView::PublicView(const gfx::Rect& frame) : ui::View(frame) {}

PublicView::~PublicView() = default;

void PublicView::finishCreation() {
  if (built_) return;
  built_ = true;
  SetTrendPricePanel();
}

void PublicView::SetTrendPricePanel() {
  BuildPricePanel(bounds().width());
}

void PublicView::BuildPricePanel(double width) {
  const double c = std::max(0.0, std::floor((width - pDetailViewWidth) / 2.0));
  const double r = pDetailViewHeight / 3;
  const double w = pDetailViewWidth;

  MainPriceShow = PriceShowView::createQuote(
      {0, 0, static_cast<double>(pDetailViewWidth), static_cast<double>(pDetailViewHeight)});
  auto initLabel = [](ui::Label* label, const char* text, double size) {
    label->setText(text);
    label->setTextColor(gfx::Color::white());
    label->setFont(PanelBoldFont(size));
  };
  initLabel(MainPriceShow->nowLabel(), "--", 22);
  initLabel(MainPriceShow->updownLabel(), "--", 14);
  initLabel(MainPriceShow->rangeLabel(), "--%%", 14);

  struct Grid {
    std::shared_ptr<PriceShowView>* member;
    const char* name;
    double x;
    double y;
  };
  const Grid grid[] = {{&priceShow, "开盘:", w, 0},      {&priceShow1, "最高:", w, r},
                       {&priceShow2, "最低:", w, 2 * r}, {&priceShow3, "总量:", w + c, 0},
                       {&priceShow4, "金额:", w + c, r}, {&priceShow5, "现量:", w + c, 2 * r}};
  addSubview(MainPriceShow);
  for (const Grid& g : grid) {
    auto cell = PriceShowView::create({g.x, g.y, c, r});
    cell->textName()->setText(g.name);
    cell->textName()->setTextColor(gfx::Color::rgb255(0, 255, 255));
    cell->textName()->setFont(PanelBoldFont(12));
    cell->textPrice()->setText("--");
    cell->textPrice()->setTextColor(gfx::Color::white());
    cell->textPrice()->setFont(PanelBoldFont(12));
    *g.member = cell;
    addSubview(cell);
  }
}

PriceShowView* PublicView::gridCell(int index) const {
  const std::shared_ptr<PriceShowView>* cells[] = {&priceShow,  &priceShow1, &priceShow2,
                                                   &priceShow3, &priceShow4, &priceShow5};
  if (index < 0 || index > 5) return nullptr;
  return cells[index]->get();
}

void PublicView::RefreshTrendPricePanel(const tagLocalStockData& quote) {
  Yesterday = quote.yesterday;
  shownQuote_ = quote;
  // A subclass whose build left cells out still refreshes the ones it has.
  const int decimals = quote.xswsdot != 0 ? quote.xswsdot : quote.pricedot;
  if (MainPriceShow) {
    const gfx::Color color = SharedTool::CheckPriceColor(quote.zd);
    if (auto* label = MainPriceShow->nowLabel()) {
      label->setText(FormatPriceString(quote.now, 8, decimals, quote.now));
      label->setTextColor(color);
    }
    if (auto* label = MainPriceShow->updownLabel()) {
      label->setText(FormatPriceString(quote.zd, 8, decimals, quote.now));
      label->setTextColor(color);
    }
    if (auto* label = MainPriceShow->rangeLabel()) {
      label->setText(FormatValueString(quote.zd, quote.yesterday, quote.now));
      label->setTextColor(color);
    }
    if (auto* arrow = MainPriceShow->ImageUpDownFlag())
      arrow->setImage(SharedTool::CheckPriceUpDown(quote.zd));
  }
  auto set = [](const std::shared_ptr<PriceShowView>& cell, const std::string& text,
                const gfx::Color& color) {
    if (!cell || !cell->textPrice()) return;
    cell->textPrice()->setText(text);
    cell->textPrice()->setTextColor(color);
  };
  // Differences in 64 bits: a far-off price must not wrap into the wrong colour.
  auto against = [this](int32_t price) {
    const int64_t d = static_cast<int64_t>(price) - Yesterday;
    return d > 0 ? 1 : (d < 0 ? -1 : 0);
  };
  set(priceShow, FormatPriceString(quote.open, 8, decimals, quote.open),
      SharedTool::CheckPriceColor(against(quote.open)));
  set(priceShow1, FormatPriceString(quote.high, 8, decimals, quote.high),
      SharedTool::CheckPriceColor(against(quote.high)));
  set(priceShow2, FormatPriceString(quote.low, 8, decimals, quote.low),
      SharedTool::CheckPriceColor(against(quote.low)));
  set(priceShow3, FormatVolumeString(quote.market, quote.volume, quote.unit, 6),
      gfx::Color::rgb255(255, 255, 0));
  set(priceShow4, FormatAmountString(quote.market, quote.amount, 100, 6), gfx::Color::grey(0.5));
  set(priceShow5, FormatVolumeString(quote.market, quote.realvol, quote.unit, 6),
      gfx::Color::white());
}

void PublicView::addSelfStock(ui::Object* sender) {
  (void)sender;
  auto delegate = _delegate.lock();
  if (auto* receiver = dynamic_cast<AddSelfStockDelegate*>(delegate.get()))
    receiver->addStockToSelfStock(nullptr);
}

void PublicView::RefreshSelfStockState(bool selected) {
  if (auto* button = dynamic_cast<ui::Button*>(viewWithTag(kSelfStockButtonTag)))
    button->setSelected(selected);
}

bool PublicView::isPointInScrollRect(const ui::TouchSet& touches) {
  (void)touches;
  return false;
}

void PublicView::removeSubViews_AllButton() {
  std::vector<ui::ViewPtr> buttons;
  for (const auto& sub : subviews())
    if (dynamic_cast<ui::Button*>(sub.get())) buttons.push_back(sub);
  for (const auto& button : buttons) button->removeFromSuperview();
}
