#include "panels/ZLLHTable.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "core/QuoteFormat.h"
#include "core/QuoteMoment.h"
#include "panels/TableSetup.h"
#include "platform/graphics/CairoContext.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Screen.h"
#include "widgets/CustomLabels.h"
#include "widgets/QuoteColors.h"

namespace zllh {

namespace {

struct ClassInfo {
  const char* name;
  int buy[3];
  int sell[3];
};

constexpr ClassInfo kClassInfo[kClasses] = {
    {"庄", {255, 0, 0}, {102, 255, 102}},
    {"大", {173, 0, 0}, {61, 150, 61}},
    {"中", {114, 0, 0}, {41, 84, 41}},
    {"小", {62, 0, 0}, {0, 43, 0}},
};

int ClampClass(int cls) {
  return cls < 0 ? 0 : (cls >= kClasses ? kClasses - 1 : cls);
}

}  // namespace

const std::string& ClassName(int cls) {
  static const std::string names[kClasses] = {kClassInfo[0].name, kClassInfo[1].name,
                                              kClassInfo[2].name, kClassInfo[3].name};
  return names[ClampClass(cls)];
}

gfx::Color ClassColor(int side, int cls) {
  const int* c =
      side == kSellSide ? kClassInfo[ClampClass(cls)].sell : kClassInfo[ClampClass(cls)].buy;
  return gfx::Color::rgb255(c[0], c[1], c[2]);
}

std::vector<gfx::Color> SideColors(int side) {
  std::vector<gfx::Color> colors;
  for (int c = 0; c < kClasses; ++c) colors.push_back(ClassColor(side, c));
  return colors;
}

gfx::Color GradientPattern(gfx::Size size, const gfx::Color& top, const gfx::Color& bottom) {
  if (!(size.width > 0 && size.height > 0)) return gfx::Color::clear();
  gfx::ImageContext image(size, ui::Screen::main().scale());
  if (!image.isValid()) return gfx::Color::clear();
  gfx::Context& ctx = image.context();
  ctx.clearRect({0, 0, size.width, size.height});
  ctx.drawLinearGradient(gfx::Gradient::linear(top, bottom), {0, 0}, {0, size.height});
  return gfx::Color::pattern(image.image());
}

int64_t SideSum(const int64_t* values) {
  uint64_t sum = 0;
  for (int c = 0; c < kClasses; ++c) sum += static_cast<uint64_t>(values[c]);
  return static_cast<int64_t>(sum);
}

int64_t SideSum(const int32_t* values) {
  int64_t sum = 0;
  for (int c = 0; c < kClasses; ++c) sum += values[c];
  return sum;
}

int64_t Quotient(int64_t a, int64_t b) {
  if (b == 0 || (b == -1 && a == std::numeric_limits<int64_t>::min())) return 0;
  return a / b;
}

}  // namespace zllh

namespace {

const gfx::Color kBorderGrey = gfx::Color::darkGrey();

// The share of a class in its side's volume, rounded half up to a whole percent.
std::string ShareText(int64_t volume, int64_t total) {
  if (total == 0) return "----";
  double share = static_cast<double>(volume) * 100.0 / static_cast<double>(total) + 0.5;
  // Absurd wire values must not turn into an out-of-range conversion.
  share = std::fmax(std::fmin(share, 2147483647.0), -2147483648.0);
  char text[32];
  std::snprintf(text, sizeof text, "%d%%", static_cast<int>(share));
  return text;
}

// Average price AmountGold x 100 / VolumeGold in 1/10000. An average that does not fit a price
// (only absurd figures give one) shows as no value rather than as a wrapped number.
std::string AveragePriceText(int64_t amount, int64_t volume, int decimals) {
  int64_t value = 0;
  if (volume != 0) {
    const __int128 average = static_cast<__int128>(amount) * 100 / volume;
    if (average >= std::numeric_limits<int32_t>::min() &&
        average <= std::numeric_limits<int32_t>::max())
      value = static_cast<int64_t>(average);
  }
  return FormatPriceString(static_cast<int32_t>(value), 8, decimals, 0);
}

}  // namespace

ZLLHTable::ZLLHTable(const gfx::Rect& frame) : ui::View(frame) {}

ZLLHTable::~ZLLHTable() {
  DetachTable(_tableView.get());
}

std::shared_ptr<ZLLHTable> ZLLHTable::create(const gfx::Rect& frame) {
  auto table = std::make_shared<ZLLHTable>(frame);
  table->build();
  return table;
}

void ZLLHTable::build() {
  setBackgroundColor(gfx::Color::clear());
  const double w = bounds().width();
  const double h = bounds().height();
  _labelMM = ui::Label::create({0, 0, 30, h});
  _labelMM->setBackgroundColor(gfx::Color::clear());
  _labelMM->setFont(gfx::Font::boldSystemFont(15));
  _labelMM->setTextColor(gfx::Color::cyan());
  _labelMM->setNumberOfLines(2);
  _labelMM->setLineBreakMode(gfx::LineBreakMode::CharacterWrap);
  _labelMM->layer().setBorderColor(kBorderGrey);
  _labelMM->layer().setBorderWidth(1);
  addSubview(_labelMM);
  _tableView = ui::TableView::create({30, 0, w - 30, h});
  auto self = sharedAs<ZLLHTable>();
  _tableView->setDataSource(std::static_pointer_cast<ui::TableViewDataSource>(self));
  _tableView->setDelegate(std::static_pointer_cast<ui::TableViewDelegate>(self));
  _tableView->setScrollEnabled(false);
  _tableView->setBackgroundColor(gfx::Color::clear());
  _tableView->setRowHeight(h / 4);
  _tableView->setSeparatorColor(kBorderGrey);
  _tableView->layer().setBorderColor(kBorderGrey);
  _tableView->layer().setBorderWidth(1);
  addSubview(_tableView);
  setTradeType(false);
}

void ZLLHTable::setTradeType(bool sell) {
  _nTradeType = sell ? zllh::kSellSide : zllh::kBuySide;
  _colorArray = zllh::SideColors(_nTradeType);
  if (!_labelMM) return;  // not built (made without create)
  _labelMM->setText(sell ? " 卖 \n 盘 " : " 买 \n 盘 ");
  const gfx::Color top = sell ? gfx::Color::rgb255(38, 140, 4) : gfx::Color::rgb255(182, 1, 23);
  _labelMM->setBackgroundColor(
      zllh::GradientPattern(_labelMM->bounds().size, top, gfx::Color::black()));
  // The squares of rows already on screen take the side's colours at once.
  if (_tableView) _tableView->reloadData();
}

void ZLLHTable::setDataInfo(const tagLocalStockData* quote) {
  if (!quote) return;
  _stockInfo = *quote;
  _totalVolume[0] = zllh::SideSum(&_stockInfo.VolumeGold[0]);
  _totalVolume[1] = zllh::SideSum(&_stockInfo.VolumeGold[4]);
  if (_tableView) _tableView->reloadData();
}

std::vector<std::string> ZLLHTable::rowTexts(int row) const {
  if (row < 0 || row >= zllh::kClasses) return {};
  const int side = _nTradeType;
  const size_t k = static_cast<size_t>(4 * side + row);
  const tagLocalStockData& q = _stockInfo;
  const int32_t count = q.BuySellGold[k];
  const int64_t volume = q.VolumeGold[k];
  // A table of another minute than the quote's is not shown: not known until it comes again.
  if (!MainForceKnown(q)) return {zllh::ClassName(row), "----", "----", "----", "----"};
  return {
      zllh::ClassName(row),
      count == 0 ? "0" : FormatVolumeString(q.market, count, 1, 6),
      volume == 0 ? "0" : FormatVolumeString(q.market, volume, q.unit, 6),
      ShareText(volume, _totalVolume[static_cast<size_t>(side)]),
      AveragePriceText(q.AmountGold[k], volume, q.pricedot),
  };
}

int ZLLHTable::tableViewNumberOfRowsInSection(ui::TableView& table, int section) {
  (void)table;
  (void)section;
  return zllh::kClasses;
}

std::shared_ptr<ui::TableViewCell> ZLLHTable::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
  if (!cell) {
    cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, kCellIdentifier);
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    cell->setBackgroundColor(gfx::Color::black());
    configCell(*cell, table, path);
  }
  updateCell(*cell, table, path);
  return cell;
}

void ZLLHTable::configCell(ui::TableViewCell& cell, ui::TableView& table,
                           const ui::IndexPath& path) {
  (void)path;
  // Class-wide settings of the title rows: later rows made elsewhere keep them.
  CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
  CustomLabels::customLabelsFont(gfx::Font::systemFont(13));
  const double rowHeight = table.rowHeight();
  const double width = table.frame().width();
  ui::View* content = cell.contentView();
  auto square = ui::Label::create({4, (rowHeight - 14) / 2, 14, 14});
  square->setBackgroundColor(gfx::Color::clear());
  square->setTag(kSquareTag);
  content->addSubview(square);
  auto columns =
      CustomLabels::create({10, 0, width - 20, rowHeight}, gfx::Size((width - 20) / 5, rowHeight),
                           false, 1, {"", "单数", "成交量", "比例", "均价"});
  columns->updateTitleTextColor(gfx::Color::white());
  columns->setDrawBackground(false);
  columns->setUserInteractionEnabled(false);
  columns->setBackgroundColor(gfx::Color::clear());
  columns->setTag(kColumnsTag);
  content->addSubview(columns);
}

void ZLLHTable::updateCell(ui::TableViewCell& cell, ui::TableView& table,
                           const ui::IndexPath& path) {
  (void)table;
  const int row = path.row;
  if (row < 0 || row >= zllh::kClasses) return;
  if (auto* columns = dynamic_cast<CustomLabels*>(cell.viewWithTag(kColumnsTag))) {
    columns->updateTitleContentWithArray(rowTexts(row));
    columns->updateTitleColorWithIndex(2, widgets::LightBlueColor());
  }
  if (auto* square = cell.viewWithTag(kSquareTag))
    square->setBackgroundColor(_colorArray[static_cast<size_t>(row)]);
}
