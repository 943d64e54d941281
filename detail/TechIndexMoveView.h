// The band under the intraday trend chart that holds one indicator sub-chart per offered
// indicator in a paging scroll view. The pages are arranged so that the shown one always sits in
// the second slot with its neighbours either side: swiping wraps from the last indicator to the
// first and back. Landscape adds a bar of named buttons with a sliding highlight.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/StockData.h"
#include "detail/TrendTechIndexView.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"

namespace foundation {
class Timer;
}

namespace ui {
class PageControl;
class ImageView;
class Button;
}  // namespace ui

class TechIndexMoveView : public ui::View, public ui::ScrollViewDelegate {
 public:
  static constexpr int kPageTag = 160;
  static constexpr int kButtonTag = 260;
  // How long the page dots stay after the pane comes to rest (seconds).
  static constexpr double kPageDotsLinger = 1.5;

  static std::shared_ptr<TechIndexMoveView> initWithFrame(const gfx::Rect& frame);
  static std::shared_ptr<TechIndexMoveView> initWithFrame_Landscape(const gfx::Rect& frame);
  TechIndexMoveView(const gfx::Rect& frame, bool landscape);

  // Kept for the pages built afterwards; pages built earlier keep theirs.
  void setDelegate(std::weak_ptr<TrendTechIndexViewDelegate> delegate) {
    _delegate = std::move(delegate);
  }
  void refreshIndexList();
  void updateDrawIndexType(int32_t type);
  // Re-reads the offered list; rebuilds the pages and buttons when its length changed.
  void updateIndexBarView();
  void reDrawView();
  void updateViewWidth(int32_t width);
  void createTechIndexView(int32_t selected);
  void removeTechIndexView();
  void createIndexBarView(int32_t selected);
  void removeIndexBarView();
  void changeScrollViewPage(int32_t position);
  void updateScrollViewForCircle();
  void ClickIndexBtn(ui::View& button);

  // Scroll view delegate.
  void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;
  void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) override;
  void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;

  // The page of list position i (null when it is not built).
  TrendTechIndexView* page(int position) const;
  ui::Button* button(int position) const;
  ui::ScrollView* scrollView() const { return _scrollView.get(); }
  ui::PageControl* pageControl() const { return _pageControl.get(); }
  ui::View* indexBarView() const { return _indexBarView.get(); }
  ui::ImageView* menuBarSlideBg() const { return _menuBarSlideBg.get(); }
  const std::vector<int32_t>& indexList() const { return _pIndexList; }

  int32_t _drawIndexType = 0;
  int16_t iMaxIndex = 0;
  int32_t _nIndexButtonNum = 0;
  int32_t _nSelIndexInList = 0;
  int8_t _nMarketType = 0;
  int8_t _nStockType = 0;
  float tViewHeight = 0;
  float vViewHeight = 0;
  int8_t _bLandscape = 0;

 private:
  void setUp();
  // Enables or disables scrolling of every scroll view enclosing this band.
  void setEnclosingScrollEnabled(bool enabled);
  void markSelectedButton(int position);
  // The dots at once, or their end kPageDotsLinger later.
  void showPageDots(bool shown);

  std::weak_ptr<TrendTechIndexViewDelegate> _delegate;
  std::vector<int32_t> _pIndexList;
  std::shared_ptr<ui::View> _indexBarView;
  std::shared_ptr<ui::ImageView> _menuBarSlideBg;
  std::shared_ptr<ui::ScrollView> _scrollView;
  std::shared_ptr<ui::PageControl> _pageControl;
  // Enclosing scroll views this band switched off for its swipe.
  std::vector<std::weak_ptr<ui::View>> disabled_;
  std::shared_ptr<foundation::Timer> dotsTimer_;
};
