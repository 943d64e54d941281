// The base of the detail pages that carry the price panel across their top: one quote cell on
// the left and a grid of open/high/low and volume/amount/last-volume cells on the right. It is
// built once while the page is created, through the most derived SetTrendPricePanel, and
// refreshed from a whole quote record.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

#include "core/StockData.h"
#include "panels/PriceShowView.h"
#include "platform/ui/Object.h"
#include "platform/ui/Responder.h"
#include "platform/ui/View.h"

// Receiver of the panel's watch-list request (the detail pager).
class AddSelfStockDelegate {
 public:
  virtual ~AddSelfStockDelegate() = default;
  virtual void addStockToSelfStock(ui::Object* sender) = 0;
};

// Tag of the watch-list button a subclass may place on the panel.
inline constexpr int kSelfStockButtonTag = 180;

class PublicView : public ui::View {
 public:
  // Constructors only size the panel; a view is complete after the build. Make every PublicView
  // (and subclass) with create<T>(), which runs the build through T's own override.
  explicit PublicView(const gfx::Rect& frame = {});
  ~PublicView() override;

  template <class T = PublicView, class... Args>
  static std::shared_ptr<T> create(const gfx::Rect& frame, Args&&... args) {
    static_assert(std::is_base_of_v<PublicView, T>);
    auto view = std::make_shared<T>(frame, std::forward<Args>(args)...);
    view->finishCreation();
    return view;
  }
  // Runs the panel build once; later calls do nothing. For owners that construct the view
  // themselves (a class registry).
  void finishCreation();
  bool isBuilt() const { return built_; }

  // Builds the seven cells from the bounds and pDetailViewWidth/Height.
  virtual void SetTrendPricePanel();
  // Writes every cell's text and colour from the record.
  void RefreshTrendPricePanel(const tagLocalStockData& quote);

  void setDelegate(std::weak_ptr<ui::Object> delegate) { _delegate = std::move(delegate); }
  // Asks the delegate to add the shown security to the watch list, when it can.
  void addSelfStock(ui::Object* sender);
  // Selects or deselects the watch-list button (tag 180), when there is one.
  void RefreshSelfStockState(bool selected);
  // Whether the touch lies where the page handles touches itself; the pager then does not scroll.
  virtual bool isPointInScrollRect(const ui::TouchSet& touches);
  // Removes the direct subviews that are buttons.
  void removeSubViews_AllButton();

  PriceShowView* mainPriceShow() const { return MainPriceShow.get(); }
  // 0 open, 1 high, 2 low, 3 volume, 4 amount, 5 last volume; null before the build.
  PriceShowView* gridCell(int index) const;
  int32_t yesterday() const { return Yesterday; }
  // The record the panel's texts were last written from.
  const tagLocalStockData& shownQuote() const { return shownQuote_; }

 protected:
  // The build over a panel `width` points wide: an override that keeps a strip free at the
  // right edge passes less than the bounds' width.
  void BuildPricePanel(double width);

  std::weak_ptr<ui::Object> _delegate;
  std::shared_ptr<PriceShowView> priceShow;
  std::shared_ptr<PriceShowView> priceShow1;
  std::shared_ptr<PriceShowView> priceShow2;
  std::shared_ptr<PriceShowView> priceShow3;
  std::shared_ptr<PriceShowView> priceShow4;
  std::shared_ptr<PriceShowView> priceShow5;
  std::shared_ptr<PriceShowView> MainPriceShow;
  int32_t pDetailViewWidth = 120;
  int32_t pDetailViewHeight = 51;
  int32_t Yesterday = 0;

 private:
  bool built_ = false;
  tagLocalStockData shownQuote_{};
};
