// One Hong Kong broker queue: the seats waiting at the best ask (or bid) in a grid of 5 rows by
// 4 columns on up to two pages, with markers for orders some price steps away. A tapped marker
// shows the price it stands for in a bubble; a tapped seat is reported to the delegate (the
// pager, which names the seat) and places the ten-level page's seat pop-up.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/StockData.h"
#include "panels/PageRoles.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/PageControl.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"
#include "shell/BaseView.h"

inline constexpr int kJJPWRows = 5;
inline constexpr int kJJPWColumns = 4;
inline constexpr int kJJPWPlaces = 40;
inline constexpr int kJJPWButtonTag = 200;

// Sides, as setJJPWType takes them.
inline constexpr int32_t kJJPWBid = 0;
inline constexpr int32_t kJJPWAsk = 1;

class HKJJPWView : public ui::View, public ui::ScrollViewDelegate, public myBaseViewDelegate {
 public:
  // Use create: the scroll view and the buttons report to the grid through its shared owner.
  explicit HKJJPWView(const gfx::Rect& frame = {});
  ~HKJJPWView() override;
  static std::shared_ptr<HKJJPWView> create(const gfx::Rect& frame);

  // The 40 seat buttons (tags 200..239), columns filled from the top, columns 4-7 on page two.
  void addAllSubItems();
  // Not retained.
  void setDelegate(std::weak_ptr<HKJJPWViewDelegate> delegate) { _delegate = std::move(delegate); }
  // kJJPWAsk reads broker_info_sell at sell[0]; anything else the bid side.
  void setJJPWType(int32_t type);
  void refreshView(const tagLocalStockData* quote);
  void subItemButtonClick(ui::Button& button);
  // An empty text hides the bubble; a point on the second page lands at its first-page place.
  void refreshPriceLabel(const std::string& text, const gfx::Rect& place);
  // Lays the scroll view, the dots and the buttons out for the grid's size.
  void layoutGrid();

  void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;
  void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) override;
  void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;
  void myBaseViewDidClick(BaseView& view) override;
  void setBounds(const gfx::Rect& bounds) override;

  int32_t jjpwType() const { return _jjpwType; }
  int32_t totalItems() const { return _nTotalItemsNum; }
  const std::string& buysell1Price() const { return _buysell1Price; }
  ui::ScrollView* scrollView() const { return _scrollView.get(); }
  ui::PageControl* pageControl() const { return _pageControl.get(); }
  // Place i (0..39), or null.
  ui::Button* button(int place) const;
  BaseView* priceView() const { return _priceView.get(); }
  ui::Label* priceLabel() const { return _priceLabel.get(); }

  static gfx::Color numberColor() { return gfx::Color::rgb255(88, 206, 255); }
  static gfx::Color markerColor() { return gfx::Color::rgb255(252, 84, 84); }

 private:
  void settle(ui::ScrollView& scrollView);

  std::weak_ptr<HKJJPWViewDelegate> _delegate;
  std::shared_ptr<ui::ScrollView> _scrollView;
  std::shared_ptr<ui::PageControl> _pageControl;
  int32_t _nTotalItemsNum = 0;
  int32_t _jjpwType = kJJPWBid;
  std::string _buysell1Price;
  std::shared_ptr<BaseView> _priceView;
  std::shared_ptr<ui::Label> _priceLabel;
};
