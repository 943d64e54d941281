// Stand-in for the bottom index ticker: three index cells ("000001", "399001", "999999") that
// show their quotes from the cache, and a settings button. It does not scroll.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/View.h"

class IndexMarquee;
class MarqueeView;

class IndexMarqueeDelegate {
 public:
  virtual ~IndexMarqueeDelegate() = default;
  virtual void indexMarqueeTouchWillTouchWithIndexPath(IndexMarquee& marquee, int row) {
    (void)marquee;
    (void)row;
  }
  virtual void indexMarqueeTouchDidTouchWithIndexPath(IndexMarquee& marquee, int row) {
    (void)marquee;
    (void)row;
  }
};

class MarqueeViewDelegate {
 public:
  virtual ~MarqueeViewDelegate() = default;
  virtual void MarqueeViewClicked(MarqueeView& view, ui::Button& button) {
    (void)view;
    (void)button;
  }
};

class IndexMarquee : public ui::View {
 public:
  explicit IndexMarquee(const gfx::Rect& frame);
  void setDelegate(std::weak_ptr<IndexMarqueeDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  // Each cell re-reads its quote.
  void updateIndex();
  // A touch on cell `row` (0, 1, 2).
  void touchCell(int row);
  ui::Button* cell(int row) const;
  int updates() const { return updates_; }

 private:
  std::weak_ptr<IndexMarqueeDelegate> delegate_;
  std::vector<std::shared_ptr<ui::Button>> cells_;
  int updates_ = 0;
};

class MarqueeView : public ui::View {
 public:
  explicit MarqueeView(const gfx::Rect& frame);
  static std::shared_ptr<MarqueeView> initWithFrame(const gfx::Rect& frame);

  void setDelegate(std::weak_ptr<MarqueeViewDelegate> delegate) { delegate_ = std::move(delegate); }
  IndexMarquee* indexMarquee() const { return marquee_.get(); }
  void start() { running_ = true; }
  void updateIndex() { marquee_->updateIndex(); }
  void pauseAllActions() { running_ = false; }
  void resumeAllActions() { running_ = true; }
  bool isRunning() const { return running_; }
  void buttonTapped();
  ui::Button* settingsButton() const { return button_.get(); }

 private:
  std::weak_ptr<MarqueeViewDelegate> delegate_;
  std::shared_ptr<IndexMarquee> marquee_;
  std::shared_ptr<ui::Button> button_;
  bool running_ = false;
};
