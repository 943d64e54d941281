// Page 0 of the stock detail pager, the intraday trend page: the price panel across the top,
// the intraday chart below it on the left and the mini detail rows in a 99-point column at the
// right. A zoom button at the top right widens the chart to the whole page and slides the rows
// out, and back. The page never asks for data: the pager hands it every quote and tick list
// and it passes each to the child that shows it.
#pragma once

#include <cstdint>
#include <memory>

#include "core/StockData.h"
#include "detail/TrendlineView.h"
#include "panels/MiniDetailView.h"
#include "panels/PageRoles.h"
#include "panels/PriceShowView.h"
#include "panels/PublicView.h"
#include "platform/foundation/Coalescer.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"

class TrendFrameView : public PublicView, public TrendPageRole {
 public:
  static constexpr double kPageWidth = 320;
  static constexpr double kMiniWidth = 100;
  static constexpr double kZoomStrip = 30;
  static constexpr double kZoomDuration = 0.4;

  // Make it with PublicView::create<TrendFrameView>(frame): the page is built once it is
  // shared-owned. `chart` replaces the page's own chart (laid out by the page) when given.
  explicit TrendFrameView(const gfx::Rect& frame = {}, std::shared_ptr<TrendlineView> chart = {});
  ~TrendFrameView() override;

  // The base's panel over all but the zoom strip at the right edge; then the rest of the page.
  void SetTrendPricePanel() override;

  // Panel first, then the rows, then the chart.
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override;
  void awaitQuote() override { awaitingQuote_ = true; }
  void SetDetailData(const tagDealHead& head, const uint8_t* records) override;
  void refreshMiniDetailViewWithStockType(uint8_t stockType, uint8_t market) override;
  // Handed on to the board list, which this page does not hold.
  void setSuperViewController(ui::ViewController* controller) override;
  TrendChartRole* trendlineView() override { return _trendLineView.get(); }

  // Whether a touch lies on the chart or on the visible rows: the page handles it, not the
  // pager's scrolling.
  bool isPointInScrollRect(const ui::TouchSet& touches) override;
  bool isPointInScrollRect(gfx::Point pointInPage) const;

  // Makes a tap on `button` run `action` on this page, without the highlight's darkening.
  void btnWithGesture(ui::Button& button, void (TrendFrameView::*action)(ui::GestureRecognizer*));
  // Toggles the zoom.
  void btnLeftRight(ui::GestureRecognizer* recognizer);

  TrendlineView* chartView() const { return _trendLineView.get(); }
  MiniDetailView* miniDetailView() const { return _miniDetailView.get(); }
  ui::Button* zoomButton() const { return _btnZoomTrendView.get(); }
  bool isSelected() const { return _isSelected; }
  void setIsSelected(bool selected) { _isSelected = selected; }

 private:
  void buildPage();

  std::shared_ptr<TrendlineView> _trendLineView;
  std::shared_ptr<ui::Button> _btnZoomTrendView;
  std::shared_ptr<MiniDetailView> _miniDetailView;
  std::shared_ptr<PriceShowView> zoomBackdrop_;
  bool _isSelected = false;
  // Pushed quotes set the price panel once per turn of the loop, with the latest of them.
  tagLocalStockData panelQuote_{};
  bool awaitingQuote_ = false;
  foundation::Coalescer panelRefresh_{[this] { RefreshTrendPricePanel(panelQuote_); }};
};
