// The main-force trades of one side of the day: four rows, one per order-size class (庄, 大, 中,
// 小), each with its colour square, order count, volume, share of the side's volume and average
// price, beside a vertical side label. The owner hands it the quote record; the table keeps its
// own copy and sends nothing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/StockData.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Label.h"
#include "panels/QuoteRowsSource.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/View.h"

// Order-size classes and the two sides: class c of side s is index 4 * s + c of the quote's
// main-force arrays (BuySellGold, VolumeGold, AmountGold).
namespace zllh {

inline constexpr int kClasses = 4;
inline constexpr int kBuySide = 0;
inline constexpr int kSellSide = 1;

// "庄", "大", "中", "小".
const std::string& ClassName(int cls);
// The colour of a class on a side (red shades for buying, green shades for selling).
gfx::Color ClassColor(int side, int cls);
// The classes' colours of one side, class 0 first.
std::vector<gfx::Color> SideColors(int side);

// A pattern colour of `size` holding a top-to-bottom linear gradient from `top` to `bottom`: the
// backgrounds of the side label and of the main-force page's panels.
gfx::Color GradientPattern(gfx::Size size, const gfx::Color& top, const gfx::Color& bottom);

// Sum of the side's four values; wraps instead of overflowing on absurd wire values.
int64_t SideSum(const int64_t* values);
int64_t SideSum(const int32_t* values);
// a / b truncated, 0 when b is 0 (also the one quotient that does not fit, INT64_MIN / -1).
int64_t Quotient(int64_t a, int64_t b);

}  // namespace zllh

class ZLLHTable : public ui::View, public QuoteRowsSource, public ui::TableViewDelegate {
 public:
  static constexpr int kSquareTag = 344;
  static constexpr int kColumnsTag = 345;

  // Use create: the table view needs this view's shared owner.
  explicit ZLLHTable(const gfx::Rect& frame);
  ~ZLLHTable() override;
  static std::shared_ptr<ZLLHTable> create(const gfx::Rect& frame);

  // Non-zero: the sell side; zero: the buy side. Recolours the squares and the side label.
  void setTradeType(bool sell);
  // Copies the record and reloads the rows; null changes nothing.
  void setDataInfo(const tagLocalStockData* quote);

  int tradeType() const { return _nTradeType; }
  const tagLocalStockData& stockInfo() const { return _stockInfo; }
  int64_t totalVolume(int side) const { return _totalVolume[side == 0 ? 0 : 1]; }
  ui::Label* sideLabel() const { return _labelMM.get(); }
  ui::TableView* tableView() const { return _tableView.get(); }

  // The texts of row `row` (columns: class name, count, volume, share, average price).
  std::vector<std::string> rowTexts(int row) const;

  // Table data source.
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;

  void configCell(ui::TableViewCell& cell, ui::TableView& table, const ui::IndexPath& path);
  void updateCell(ui::TableViewCell& cell, ui::TableView& table, const ui::IndexPath& path);

 private:
  static constexpr char kCellIdentifier[] = "cell";

  void build();

  tagLocalStockData _stockInfo{};
  int32_t _nTradeType = 0;
  std::shared_ptr<ui::Label> _labelMM;
  std::shared_ptr<ui::TableView> _tableView;
  std::vector<gfx::Color> _colorArray;
  std::array<int64_t, 2> _totalVolume{};
};
