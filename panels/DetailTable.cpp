#include "panels/DetailTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/QuoteFormat.h"
#include "panels/FigureChecks.h"
#include "panels/PriceShowView.h"
#include "panels/TableSetup.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/TableViewCell.h"

namespace {

constexpr int kStandardRows = 6;
constexpr double kExtendBy = 105;

const gfx::Color kDetailRise = gfx::Color::rgb255(184, 6, 26);
const gfx::Color kDetailFall = gfx::Color::rgb255(123, 159, 88);

}  // namespace

// --- CellDetail --------------------------------------------------------------------------------

CellDetail::CellDetail(const gfx::Rect& frame) : ui::View(frame) {
  auto make = [this](const gfx::Rect& rect, const gfx::Color& color) {
    auto label = ui::Label::create(rect);
    label->setTextColor(color);
    label->setBackgroundColor(gfx::Color::clear());
    label->setFont(PanelBoldFont(13));
    addSubview(label);
    return label;
  };
  timeLabel_ = make({0, 0, 100, 15}, gfx::Color::white());
  closeLabel_ = make({100, 0, 100, 15}, gfx::Color::white());
  volLabel_ = make({200, 0, 82, 15}, gfx::Color::rgb255(255, 255, 0));
  mark_ = ui::ImageView::create(gfx::Rect{284, 0, 12, 15});
  mark_->setImage(gfx::Image::named("xiashang.png"));
  mark_->setTag(kCellMarkTag);
  addSubview(mark_);
}

void CellDetail::setCellWidth(int32_t w) {
  const double c = (w - 10) / 3;
  // Three equal columns leave the mark past the row's right edge (the screen's, on the trend
  // page): it keeps a point inside the row, and the volume ends a point before it.
  const double markX = std::min(3 * c + 5, w - 9.0);
  timeLabel_->setFrame({0, 0, c, 15});
  closeLabel_->setFrame({c, 0, c + 4, 15});
  volLabel_->setFrame({2 * c + 4, 0, std::max(0.0, std::min(c, markX - 1 - (2 * c + 4))), 15});
  for (auto* label : {timeLabel_.get(), closeLabel_.get(), volLabel_.get()}) {
    label->setFont(PanelBoldFont(10));
    label->setAdjustsFontSizeToFitWidth(true);
  }
  mark_->setFrame({markX, 0, 8, 12});
}

void CellDetail::setVolLabelState(int32_t flag) {
  mark_->setHidden(false);
  if (flag == 0) {
    volLabel_->setTextColor(kDetailRise);
    mark_->setImage(gfx::Image::named("xiashang.png"));
  } else if (flag == 1) {
    volLabel_->setTextColor(kDetailFall);
    mark_->setImage(gfx::Image::named("xiajiang.png"));
  } else {
    volLabel_->setTextColor(gfx::Color::white());
    mark_->setHidden(true);
  }
}

// --- DetailTable -------------------------------------------------------------------------------

DetailTable::DetailTable(const gfx::Rect& frame, bool custom)
    : ui::View(frame), _bCustom(custom ? 1 : 0) {
  _DetailWidth = static_cast<float>(frame.width() / 2);
  _defaultHeight = static_cast<float>(frame.height() - 20);
}

DetailTable::~DetailTable() {
  DetachTable(mTableView.get());
}

std::shared_ptr<DetailTable> DetailTable::createCustom(const gfx::Rect& frame) {
  auto table = std::make_shared<DetailTable>(frame, true);
  table->build(frame);
  return table;
}

std::shared_ptr<DetailTable> DetailTable::createStandard(const gfx::Rect& frame) {
  auto table = std::make_shared<DetailTable>(frame, false);
  table->build(frame);
  return table;
}

void DetailTable::build(const gfx::Rect& frame) {
  (void)frame;
  setBackgroundColor(gfx::Color::clear());
  const gfx::Rect b = bounds();
  const bool custom = _bCustom != 0;
  ui::addScreenInvariant(*this, "ticks list", [weak = weakAs<DetailTable>()] {
    auto self = weak.lock();
    return self ? figures::TicksShowTheNewest(*self) : std::string();
  });
  if (custom) {
    // Whole rows under the title strip: scrolled to its newest tick, the list's top row then
    // begins right under the strip instead of lying half under it.
    const double rows = std::floor(std::max(0.0, b.height() - kQuoteTitleHeight) / kQuoteRowHeight);
    mTableView =
        AddQuoteTable(*this, {0, 0, b.width(), kQuoteTitleHeight + rows * kQuoteRowHeight}, true);
    return;
  }
  mTableView = AddQuoteTable(*this, {0, 0, b.width(), b.height() - 40}, false);
  extendButton_ = ui::Button::create(gfx::Rect{90, b.height() - 40, 120, 20});
  setExtendImage("downSpread.png");
  extendButton_->setFont(gfx::Font::boldSystemFont(12));
  std::weak_ptr<DetailTable> weak = sharedAs<DetailTable>();
  extendButton_->addTarget(
      [weak](ui::Control&) {
        if (auto table = weak.lock()) table->extendBehavior();
      },
      ui::ControlEvent::TouchUpInside, this);
  addSubview(extendButton_);
}

void DetailTable::setExtendImage(const char* name) {
  extendButton_->setBackgroundImage(gfx::Image::named(name).stretchable(0, 0));
}

void DetailTable::SetDataInfo(const tagLocalStockData* quote) {
  if (quote) StockInfo = *quote;
}

void DetailTable::setDetailDataArray(
    std::span<const tagLocalDealData, kDetailTableCapacity> entries, int32_t count) {
  std::copy(entries.begin(), entries.end(), detailDataArray.begin());
  // The newest trade is the last row: a list that showed its last row (or had nothing to
  // scroll) keeps showing it as trades come; one the user scrolled up stays where it is.
  const bool follow = showsLastRow();
  // Row r reads entry r of the 20: a larger count would read past the list.
  iStockNumPerPage = std::clamp(count, 0, kDetailTableCapacity);
  mTableView->reloadData();
  // The last row shown: a shrunk standard table has only 6, and row 19 is not there.
  const int last = tableViewNumberOfRowsInSection(*mTableView, 0) - 1;
  if (follow && last >= 0) {
    // At once, not animated: the next trade asks where the list stands, and a list still on
    // its way down would count as scrolled up by the user.
    mTableView->layoutIfNeeded();
    mTableView->scrollToRowAtIndexPath(ui::IndexPath::forRow(last, 0),
                                       ui::TableViewScrollPosition::Bottom, false);
    _hadMoveToBottom = 1;
  }
}

void DetailTable::scrollViewWillBeginDragging(ui::ScrollView& scrollView) {
  if (&scrollView == mTableView.get()) userScrolled_ = true;
}

void DetailTable::scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) {
  // Let go on the newest trade, the list follows the trades again.
  if (&scrollView == mTableView.get() && !willDecelerate && showsLastRow()) userScrolled_ = false;
}

void DetailTable::scrollViewDidEndDecelerating(ui::ScrollView& scrollView) {
  if (&scrollView == mTableView.get() && showsLastRow()) userScrolled_ = false;
}

bool DetailTable::showsLastRow() const {
  const double bottom = mTableView->contentSize().height - mTableView->bounds().height();
  return bottom <= 0.5 || mTableView->contentOffset().y >= bottom - 0.5;
}

std::string DetailTable::CalcTime(int32_t t) {
  const int h = t / 100;
  const int m = t - 100 * h;
  char text[32];
  std::snprintf(text, sizeof text, "%s%d:%s%d", h < 10 ? "0" : "", h, m < 10 ? "0" : "", m);
  return text;
}

gfx::Color DetailTable::CheckPriceColor(int64_t change) {
  if (change > 0) return kDetailRise;
  if (change < 0) return kDetailFall;
  return gfx::Color::white();
}

void DetailTable::extendBehavior() {
  if (IsExtend == 1) {
    IsExtend = 0;
    pinchDetailTable();
  } else {
    IsExtend = 1;
    extendDetailTable();
  }
}

void DetailTable::extendDetailTable() {
  if (!extendButton_) return;
  mTableView->setScrollEnabled(true);
  ui::View::animate(0.3, 0, ui::AnimationOption::CurveEaseIn, [this] {
    const gfx::Rect b = bounds();
    mTableView->setFrame({b.x(), b.y(), b.width(), _defaultHeight - 20 + kExtendBy});
    const gfx::Rect f = frame();
    setFrame({f.x(), f.y(), f.width(), _defaultHeight + kExtendBy});
    extendButton_->setFrame({90, bounds().height() - 20, 120, 20});
  });
  mTableView->reloadData();
  setExtendImage("upPinch.png");
}

void DetailTable::pinchDetailTable() {
  if (!extendButton_) return;
  mTableView->setScrollEnabled(false);
  ui::View::animate(0.3, 0, ui::AnimationOption::CurveEaseIn, [this] {
    const gfx::Rect b = bounds();
    mTableView->setFrame({b.x(), b.y(), b.width(), _defaultHeight - 20});
    const gfx::Rect f = frame();
    setFrame({f.x(), f.y(), f.width(), _defaultHeight});
    extendButton_->setFrame({90, bounds().height() - 20, 120, 20});
  });
  mTableView->reloadData();
  setExtendImage("downSpread.png");
}

int DetailTable::tableViewNumberOfRowsInSection(ui::TableView& table, int section) {
  (void)table;
  (void)section;
  if (_bCustom == 0 && IsExtend == 0) return std::min(iStockNumPerPage, kStandardRows);
  return iStockNumPerPage;
}

std::shared_ptr<ui::View> DetailTable::tableViewViewForHeaderInSection(ui::TableView& table,
                                                                       int section) {
  (void)table;
  (void)section;
  const double width = 2.0 * _DetailWidth;
  auto header = ui::View::create({0, 0, width, 20});
  // The strip floats over the rows scrolled under it: it hides them rather than letting them
  // read through its titles.
  header->setBackgroundColor(gfx::Color::black());
  const double c = static_cast<int>((width - 10) / 3);
  struct Column {
    const char* title;
    gfx::Rect frame;
  };
  for (const Column& column : {Column{"时间", {0, 0, c, 20}}, Column{"现价", {c, 0, c + 5, 20}},
                               Column{"现量", {2 * c + 5, 0, width - (2 * c + 5), 20}}}) {
    auto cell = PriceShowView::createColumnTitle(column.frame, 0);
    cell->titleLabel()->setText(column.title);
    cell->titleLabel()->setTextColor(gfx::Color::rgb255(0, 255, 255));
    header->addSubview(cell);
  }
  return header;
}

std::shared_ptr<ui::TableViewCell> DetailTable::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier(kQuoteCellIdentifier);
  if (!cell) {
    cell = NewQuoteCell();
    auto row = std::make_shared<CellDetail>(gfx::Rect{});
    row->setTag(kCellDetailTag);
    if (_bCustom) row->setCellWidth(static_cast<int32_t>(table.frame().width()));
    row->timeLabel()->setTextAlignment(gfx::TextAlignment::Center);
    row->closeLabel()->setTextAlignment(gfx::TextAlignment::Center);
    row->volLabel()->setTextAlignment(gfx::TextAlignment::Right);
    cell->addSubview(row);
  }
  cell->setBackgroundColor(gfx::Color::clear());
  auto* row = dynamic_cast<CellDetail*>(cell->viewWithTag(kCellDetailTag));
  if (!row || path.row < 0 || path.row >= kDetailTableCapacity) return cell;
  const tagLocalDealData& e = detailDataArray[static_cast<size_t>(path.row)];
  row->timeLabel()->setText(CalcTime(e.time));
  row->timeLabel()->setTextColor(gfx::Color::grey(0.5));
  const int decimals = StockInfo.xswsdot != 0 ? StockInfo.xswsdot : StockInfo.pricedot;
  row->closeLabel()->setText(FormatPriceString(e.price, 8, decimals, e.price));
  row->closeLabel()->setTextColor(
      CheckPriceColor(static_cast<int64_t>(e.price) - StockInfo.yesterday));
  int64_t volume = e.volume;
  if (StockInfo.market == 3) volume *= StockInfo.unit;
  row->volLabel()->setText(FormatVolumeString(StockInfo.market, volume, 1, 6));
  row->setVolLabelState(e.inoutflag);
  return cell;
}
