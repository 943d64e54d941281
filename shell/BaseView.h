// A plain view that keeps the touches it gets and tells its click delegate when one ends on it
// (the More screen's dimmed background, the screens' tappable panels).
#pragma once

#include <memory>

#include "platform/ui/View.h"

class BaseView;

class myBaseViewDelegate {
 public:
  virtual ~myBaseViewDelegate() = default;
  virtual void myBaseViewDidClick(BaseView& view) { (void)view; }
};

class BaseView : public ui::View {
 public:
  explicit BaseView(const gfx::Rect& frame = {}) : ui::View(frame) {}
  static std::shared_ptr<BaseView> create(const gfx::Rect& frame = {}) {
    return std::make_shared<BaseView>(frame);
  }
  // Not owned.
  void setClickDelegate(std::weak_ptr<myBaseViewDelegate> delegate) {
    clickDelegate_ = std::move(delegate);
  }

  void touchesBegan(const ui::TouchSet&, const ui::Event&) override {}
  void touchesMoved(const ui::TouchSet&, const ui::Event&) override {}
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;

 private:
  std::weak_ptr<myBaseViewDelegate> clickDelegate_;
};
