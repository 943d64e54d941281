// Row views of the quote lists built on TableCell: the change box of the ranking rows
// (last price, change, change rate and an up/down mark), a larger row with an add/remove button,
// and a row that shows its own copy of one quote record in one of two label layouts. Their
// subviews are made with the view ("the interface") and found by tag; the views only fill them.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/StockData.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "widgets/TableCell.h"

class ChangeDetailView2;
class ChangeDetailView;

// The change box asks its owner for every text; nullopt counts as not implemented.
class ChangeDetailView2Delegate : public virtual TableCellDelegate {
 public:
  using Path = std::optional<ui::IndexPath>;
  virtual std::optional<std::string> currentPriceOfChangeDetailView2(ChangeDetailView2& box,
                                                                     const Path& path) {
    (void)box;
    (void)path;
    return std::nullopt;
  }
  virtual std::optional<std::string> changeRangeOfChangeDetailView2(ChangeDetailView2& box,
                                                                    const Path& path) {
    (void)box;
    (void)path;
    return std::nullopt;
  }
  // Its sign picks the mark: below 0 down, 0 level, above 0 up.
  virtual std::optional<int> currentRangeBackgroundOfChangeDetailView2(ChangeDetailView2& box,
                                                                       const Path& path) {
    (void)box;
    (void)path;
    return std::nullopt;
  }
  virtual std::optional<std::string> nowPriceOfChangeDetailView2(ChangeDetailView2& box,
                                                                 const Path& path) {
    (void)box;
    (void)path;
    return std::nullopt;
  }
};

class ChangeDetailView2 : public TableCell {
 public:
  static constexpr int kPriceTag = 12;
  static constexpr int kRangeTag = 14;
  static constexpr int kImageTag = 16;
  static constexpr int kNowPriceTag = 18;
  // Size of the box as made: narrow enough to sit over the first value column of every list.
  static constexpr double kWidth = 84;
  static constexpr double kHeight = 40;

  explicit ChangeDetailView2(const gfx::Rect& frame = {});
  // Built with its labels and mark, and awoken.
  static std::shared_ptr<ChangeDetailView2> create();

  void initColor() override {}
  void updateCell() override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;

  ui::Label* priceLabel() { return dynamic_cast<ui::Label*>(viewWithTag(kPriceTag)); }
  ui::Label* rangLabel() { return dynamic_cast<ui::Label*>(viewWithTag(kRangeTag)); }
  ui::ImageView* changeImage() { return dynamic_cast<ui::ImageView*>(viewWithTag(kImageTag)); }
  ui::Label* nowPriceLabel() { return dynamic_cast<ui::Label*>(viewWithTag(kNowPriceTag)); }

 private:
  void buildInterface();
};

class ChangeDetailViewDelegate : public virtual TableCellDelegate {
 public:
  using Path = std::optional<ui::IndexPath>;
  virtual std::optional<std::string> changeDetailViewTitle(ChangeDetailView& view,
                                                           const Path& path) {
    (void)view;
    (void)path;
    return std::nullopt;
  }
  virtual std::optional<std::string> changeDetailViewChangeSize(ChangeDetailView& view,
                                                                const Path& path) {
    (void)view;
    (void)path;
    return std::nullopt;
  }
  // The direction: colours and mark.
  virtual std::optional<int> changeDetailViewCurrentType(ChangeDetailView& view, const Path& path) {
    (void)view;
    (void)path;
    return std::nullopt;
  }
  virtual std::optional<std::string> changeDetailViewCurrentPrice(ChangeDetailView& view,
                                                                  const Path& path) {
    (void)view;
    (void)path;
    return std::nullopt;
  }
  virtual std::optional<std::string> changeDetailViewChangeRange(ChangeDetailView& view,
                                                                 const Path& path) {
    (void)view;
    (void)path;
    return std::nullopt;
  }
  virtual std::optional<std::string> changeDetailViewIndexValue(ChangeDetailView& view,
                                                                const Path& path) {
    (void)view;
    (void)path;
    return std::nullopt;
  }
  // Non-zero: the button adds; 0: it removes.
  virtual std::optional<int> changeDetailViewAddType(ChangeDetailView& view, const Path& path) {
    (void)view;
    (void)path;
    return std::nullopt;
  }
  virtual void changeDetailViewNext(ChangeDetailView& view, const Path& path) {
    (void)view;
    (void)path;
  }
  virtual void changeDetailViewPrevious(ChangeDetailView& view, const Path& path) {
    (void)view;
    (void)path;
  }
  virtual void changeDetailViewAdd(ChangeDetailView& view, const Path& path) {
    (void)view;
    (void)path;
  }
  virtual void changeDetailViewRemove(ChangeDetailView& view, const Path& path) {
    (void)view;
    (void)path;
  }
};

class ChangeDetailView : public TableCell {
 public:
  static constexpr int kTitleTag = 11;
  static constexpr int kPriceTag = 12;
  static constexpr int kSizeTag = 13;
  static constexpr int kRangeTag = 14;
  static constexpr int kValueTag = 15;
  static constexpr int kImageTag = 16;
  static constexpr int kAddTag = 17;

  explicit ChangeDetailView(const gfx::Rect& frame = {});
  static std::shared_ptr<ChangeDetailView> create();

  void awakeFromNib() override;
  void updateCell() override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;

  void buttonAction_next();
  void buttonAction_previous();
  void buttonAction_add();

  int addType() const { return addType_; }
  ui::Label* titleLabel() { return dynamic_cast<ui::Label*>(viewWithTag(kTitleTag)); }
  ui::Label* priceLabel() { return dynamic_cast<ui::Label*>(viewWithTag(kPriceTag)); }
  ui::Label* sizeLabel() { return dynamic_cast<ui::Label*>(viewWithTag(kSizeTag)); }
  ui::Label* rangLabel() { return dynamic_cast<ui::Label*>(viewWithTag(kRangeTag)); }
  ui::Label* valueLabel() { return dynamic_cast<ui::Label*>(viewWithTag(kValueTag)); }
  ui::ImageView* changeImage() { return dynamic_cast<ui::ImageView*>(viewWithTag(kImageTag)); }
  ui::Button* addImage() { return dynamic_cast<ui::Button*>(viewWithTag(kAddTag)); }

 private:
  void buildInterface();
  int addType_ = 1;
};

class SelfStockListView : public TableCell {
 public:
  explicit SelfStockListView(const gfx::Rect& frame = {});
  ~SelfStockListView() override;
  static std::shared_ptr<SelfStockListView> create();

  // Records the status-bar orientation, lays the labels out for it and follows its changes.
  void initAttribute() override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  // Copies the record (a null record is refused and changes nothing) and shows it in `layout`
  // (0: the detail columns, 1: code, name and prices).
  void updateStockData(const tagLocalStockData* data, int layout);
  void updateCell() override;
  // Layout 1 only: moves labels 13-17 between their portrait and landscape places.
  void rateToWithInterface(int orientation);
  void receiveRate(const foundation::Notification& notification);

  const tagLocalStockData& stockData() const { return stockData_; }
  int selfStockType() const { return selfStockType_; }
  int orignalInterfaceOrientation() const { return orignalInterfaceOrientation_; }
  ui::Label* label(int tag) { return dynamic_cast<ui::Label*>(viewWithTag(tag)); }

 private:
  void buildInterface();
  void setLabel(int tag, const std::string& text, const gfx::Color& color);

  tagLocalStockData stockData_{};
  int selfStockType_ = 0;
  int orignalInterfaceOrientation_ = 1;
};
