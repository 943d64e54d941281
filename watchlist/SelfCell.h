// A self-drawing watch-list row: a dark gradient ground, a status mark and a change mark, the
// stock's code and name, four captions with five values and one sub-value, and a disclosure
// button that reports the row to its delegate.
#pragma once

#include <array>
#include <memory>

#include "platform/graphics/Context.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class SelfCellDelegate {
 public:
  virtual ~SelfCellDelegate() = default;
  virtual void DisclosureDetail(int row) = 0;
};

class SelfCell : public ui::View {
 public:
  explicit SelfCell(const gfx::Rect& frame = {});
  static std::shared_ptr<SelfCell> create(const gfx::Rect& frame);

  void setDelegate(std::weak_ptr<SelfCellDelegate> delegate) { delegate_ = std::move(delegate); }
  int index() const { return index_; }
  void setIndex(int index) { index_ = index; }
  // Sends the row to the delegate (the disclosure button's action).
  void DisclosureButton();
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;

  ui::ImageView* ImageBackground() const { return imageBackground_.get(); }
  ui::ImageView* ImageFlag() const { return imageFlag_.get(); }
  ui::ImageView* ImageUpDownFlag() const { return imageUpDownFlag_.get(); }
  ui::Label* StockCode() const { return stockCode_.get(); }
  ui::Label* StockName() const { return stockName_.get(); }
  // k from 1 to 4.
  ui::Label* ItemName(int k) const;
  // k from 1 to 5.
  ui::Label* ItemValue(int k) const;
  ui::Label* ItemSubValue1() const { return itemSubValue1_.get(); }
  ui::Button* disclosureButton() const { return disclosure_.get(); }

 private:
  void build();

  std::weak_ptr<SelfCellDelegate> delegate_;
  int index_ = 0;
  gfx::Gradient gradient_;
  std::shared_ptr<ui::ImageView> imageBackground_, imageFlag_, imageUpDownFlag_;
  std::shared_ptr<ui::Label> stockCode_, stockName_;
  std::array<std::shared_ptr<ui::Label>, 4> itemNames_;
  std::array<std::shared_ptr<ui::Label>, 5> itemValues_;
  std::shared_ptr<ui::Label> itemSubValue1_;
  std::shared_ptr<ui::Button> disclosure_;
};
