// The bottom index ticker: a thin bar that shows one of the Shanghai, Shenzhen and Hong Kong
// indices at a time with its value, change, change rate, amount and the counts of rising and
// falling members, and rolls on to the next every 5 seconds on the action engine's ticks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/StockData.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"
#include "shell/MarqueeTicker.h"
#include "shell/ThreadCache.h"
#include "widgets/TableCell.h"

// One index row; subviews by tag: 1 name, 2 value, 3 change, 4 change rate, 5 amount,
// 6 rising count, 7 falling count.
class IndexItemView : public TableCell {
 public:
  static constexpr int kRowHeight = 26;
  explicit IndexItemView(const gfx::Rect& frame = gfx::Rect(0, 0, 320, kRowHeight));
  static std::shared_ptr<IndexItemView> create();

  void initColor() override {}
  void updateCell() override {}
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  void updateName(const std::string& name);
  void updateItemData(const tagLocalStockData& rec);
  // The text with "+" in front for a rise.
  static std::string getUpString(const std::string& text, int zd);
  void setIndexDelegate(std::weak_ptr<IndexMarqueeDelegate> delegate) {
    indexDelegate_ = std::move(delegate);
  }

  // Touch-down is told at once; touch-up only for a tap: a finger that strayed beyond tap reach
  // of where it came down (a drag off the bar) opens nothing.
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
  ui::Label* label(int tag) { return dynamic_cast<ui::Label*>(viewWithTag(tag)); }

 private:
  // Marks the touch as strayed when the finger is beyond tap reach of its start.
  void followTouch(const ui::TouchSet& touches);

  std::weak_ptr<IndexMarqueeDelegate> indexDelegate_;
  // Where the finger came down, in window coordinates (the rows themselves roll).
  gfx::Point touchStart_;
  bool touchStrayed_ = false;
};

// The rows in a paged vertical scroll view, rolled upwards on the engine's ticks.
class IndexMarquee : public ui::View, public TickTarget {
 public:
  static constexpr double kRollSeconds = 5.0;
  explicit IndexMarquee(const gfx::Rect& frame);
  static std::shared_ptr<IndexMarquee> create(const gfx::Rect& frame);
  ~IndexMarquee() override;

  void setFrame(const gfx::Rect& frame) override;
  void setDelegate(std::weak_ptr<IndexMarqueeDelegate> delegate);
  // Three rows with the Hong Kong index, or two without.
  void setDPCode(bool withHongKong);
  void start();
  void clear();
  void updateObject(float seconds) override;
  void scrollNext();
  void updateData();

  ui::ScrollView* scrollView() const { return scrollView_.get(); }
  IndexItemView* cell(int row) const;
  int showIndex() const { return showIndex_; }
  bool isScroll() const { return isScroll_; }
  float scrollTime() const { return scrollTime_; }
  int rowCount() const { return m_DPNum; }

 private:
  void build(double width);

  std::shared_ptr<ui::ScrollView> scrollView_;
  std::vector<std::shared_ptr<IndexItemView>> indexCells_;
  float scrollTime_ = 0;
  bool isScroll_ = false;
  int showIndex_ = 0;
  bool scrollFlag_ = false;
  int m_DPNum = 3;
};

// A row of views that drift to the left and start over, at a constant speed.
class MoveView : public ui::View {
 public:
  explicit MoveView(const gfx::Rect& frame = {});
  static std::shared_ptr<MoveView> create(const gfx::Rect& frame);
  ~MoveView() override;

  // Any view but its own parts joins the moving row.
  void addSubview(const ui::ViewPtr& view);
  void setFrame(const gfx::Rect& frame) override;
  void setBgHidden(bool hidden);
  void start();
  void go();
  void clear();
  void clearActionWithClean(bool clean);
  void pauseAllActions();
  void resumeAllActions();
  void updateDuration(float seconds) { duration_ = seconds; }
  void updateMoveSizeWidth(double width);
  void revert() {}
  float duration() const { return duration_; }
  const std::vector<std::shared_ptr<ui::View>>& moveViews() const { return moveViews_; }

 private:
  std::shared_ptr<ui::ImageView> backImageView_;
  std::shared_ptr<ui::View> moveReadlyView_;
  std::vector<std::shared_ptr<ui::View>> moveViews_;
  float duration_ = 30.0f;
};

// The bar: background, the rolling index rows and an optional mover.
class MarqueeView : public ui::View, public MarqueeViewRole {
 public:
  static constexpr int kIndexMarqueeTag = 2002;
  explicit MarqueeView(const gfx::Rect& frame = gfx::Rect(0, 0, 320, 28));
  static std::shared_ptr<MarqueeView> initWithFrame(const gfx::Rect& frame);
  ~MarqueeView() override;

  void setFrame(const gfx::Rect& frame) override;
  void updateIndex() override;
  void start() override;
  void setDelegate(std::weak_ptr<MarqueeViewDelegate> delegate) override {
    delegate_ = std::move(delegate);
  }
  void setIndexDelegate(std::weak_ptr<IndexMarqueeDelegate> delegate) override;
  void pauseAllActions() override;
  void resumeAllActions() override;
  std::shared_ptr<ui::View> barView() override { return sharedAs<ui::View>(); }

  void ButtonAction(ui::Button& button);
  void updateMoveSizeWidth(double width);
  MoveView* moveView() const { return moveView_.get(); }
  void setMoveView(std::shared_ptr<MoveView> view);
  IndexMarquee* indexMarquee() const { return indexMarquee_.get(); }
  void setIndexMarquee(std::shared_ptr<IndexMarquee> marquee);
  ui::ImageView* backgroundView() const { return bgImageView_.get(); }

 private:
  std::shared_ptr<MoveView> moveView_;
  std::shared_ptr<IndexMarquee> indexMarquee_;
  std::shared_ptr<ui::ImageView> bgImageView_;
  std::weak_ptr<MarqueeViewDelegate> delegate_;
};
