// The five best bid and ask levels side by side under "买入" and "卖出", each side with a bar
// showing the level's share of the ten listed volumes.
#pragma once

#include <memory>
#include <string>

#include "core/StockData.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Label.h"
#include "panels/QuoteRowsSource.h"
#include "platform/ui/TableView.h"
#include "platform/ui/View.h"

inline constexpr int kCellBargainTag = 223;

// A horizontal bar growing from the left or from the right edge.
class RatioView : public ui::View {
 public:
  explicit RatioView(const gfx::Rect& frame = {});
  void SetRatioLeft(float value, float sum);
  void SetRatioRight(float value, float sum);
  float ratioWidth() const { return fRatioWidth; }
  bool growsFromLeft() const { return IsLeftRight != 0; }
  const gfx::Gradient& leftGradient() const { return gradient; }
  const gfx::Gradient& rightGradient() const { return gradientRight; }
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;

 private:
  void RatioLeft(gfx::Context& ctx);
  void RatioRight(gfx::Context& ctx);

  gfx::Gradient gradient;
  gfx::Gradient gradientRight;
  float fRatioWidth = 0;
  uint8_t IsLeftRight = 1;
};

// One order-book row: buy volume and price on the left, sell price and volume on the right.
class CellBargain : public ui::View {
 public:
  explicit CellBargain(const gfx::Rect& frame = {});
  // Puts the level number in a small round disabled button in the middle of the row.
  void SetCellBargainOrderNo(const std::string& text);

  ui::Label* buyVolLabel() const { return buyVolLabel_.get(); }
  ui::Label* buyPriceLabel() const { return buyPriceLabel_.get(); }
  ui::Label* sellVolLabel() const { return sellVolLabel_.get(); }
  ui::Label* sellPriceLabel() const { return sellPriceLabel_.get(); }
  RatioView* ratioViewLeft() const { return ratioViewLeft_.get(); }
  RatioView* ratioViewRight() const { return ratioViewRight_.get(); }

 private:
  std::shared_ptr<ui::Label> buyVolLabel_;
  std::shared_ptr<ui::Label> buyPriceLabel_;
  std::shared_ptr<ui::Label> sellVolLabel_;
  std::shared_ptr<ui::Label> sellPriceLabel_;
  std::shared_ptr<RatioView> ratioViewLeft_;
  std::shared_ptr<RatioView> ratioViewRight_;
};

class BargainTable : public ui::View, public QuoteRowsSource, public ui::TableViewDelegate {
 public:
  // Use create: the table needs the view's shared owner.
  explicit BargainTable(const gfx::Rect& frame);
  ~BargainTable() override;
  static std::shared_ptr<BargainTable> create(const gfx::Rect& frame);

  // Keeps the record, sums the five bid and the five ask volumes and reloads.
  void setStockQuote(const tagLocalStockData& quote);
  // "一" to "五" for 0 to 4; empty otherwise.
  static std::string ReturnRomeNum(int32_t n);
  static gfx::Color CheckPriceColor(int64_t change);

  ui::TableView* tableView() const { return mTableView.get(); }
  float sumVolumeBuy() const { return SumVolumeBuy; }
  float sumVolumeSell() const { return SumVolumeSell; }

  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  std::shared_ptr<ui::View> tableViewViewForHeaderInSection(ui::TableView& table,
                                                            int section) override;
  // The titles' strip is there even before the first row.
  double tableViewHeightForHeaderInSection(ui::TableView& table, int section) override {
    (void)section;
    return table.sectionHeaderHeight();
  }

 private:
  void build();

  tagLocalStockData StockInfo{};
  std::shared_ptr<ui::TableView> mTableView;
  float SumVolumeBuy = 0;
  float SumVolumeSell = 0;
  float _DetailWidth = 0;
};
