// A tappable tile with a security's name, current price and change percent; a tap reports the
// tile's tag to its delegate.
#pragma once

#include <memory>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class StockViewDelegate {
 public:
  virtual ~StockViewDelegate() = default;
  virtual void ExcuteIndexShow(int tag) = 0;
};

class StockView : public ui::View {
 public:
  explicit StockView(const gfx::Rect& frame);
  static std::shared_ptr<StockView> initWithFrame(const gfx::Rect& frame);

  // Reports the tile's tag to the delegate, when there is one.
  void toggleBtn(ui::Control& sender);

  // Not owned.
  void setDelegate(std::weak_ptr<StockViewDelegate> delegate) { Delegate = std::move(delegate); }
  std::shared_ptr<StockViewDelegate> delegate() const { return Delegate.lock(); }
  ui::Button* IndexBtn() const { return indexBtn_.get(); }
  ui::Label* StockName() const { return stockName_.get(); }
  // Kept for the holder; the tile does not show it.
  ui::Label* StockCode() const { return stockCode_.get(); }
  ui::Label* Price() const { return price_.get(); }
  ui::Label* Rate() const { return rate_.get(); }
  void setIndexBtn(std::shared_ptr<ui::Button> button) { indexBtn_ = std::move(button); }
  void setStockName(std::shared_ptr<ui::Label> label) { stockName_ = std::move(label); }
  void setStockCode(std::shared_ptr<ui::Label> label) { stockCode_ = std::move(label); }
  void setPrice(std::shared_ptr<ui::Label> label) { price_ = std::move(label); }
  void setRate(std::shared_ptr<ui::Label> label) { rate_ = std::move(label); }

 private:
  std::weak_ptr<StockViewDelegate> Delegate;
  std::shared_ptr<ui::Button> indexBtn_;
  std::shared_ptr<ui::Label> stockName_;
  std::shared_ptr<ui::Label> stockCode_;
  std::shared_ptr<ui::Label> price_;
  std::shared_ptr<ui::Label> rate_;
};
