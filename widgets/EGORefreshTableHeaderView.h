// A 40-point strip just outside a list's content, above its first row (top form) or below its
// last row (bottom form). Dragged past that edge and let go, it turns into a loading line with a
// spinner, keeps itself in sight by widening the list's content inset, and tells its delegate to
// load; when the data is shown it slides back. The owner forwards its scroll view's scroll and
// end-of-drag events; the strip observes nothing itself.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Geometry.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"

namespace foundation {
class Timer;
}

class EGORefreshTableHeaderView;

class EGORefreshTableHeaderDelegate {
 public:
  virtual ~EGORefreshTableHeaderDelegate() = default;
  // Start loading.
  virtual void egoRefreshTableHeaderDidTriggerRefresh(EGORefreshTableHeaderView& header) = 0;
  // True while a load for this header is under way or the header must not trigger; it blocks
  // every state change of dragging.
  virtual bool egoRefreshTableHeaderDataSourceIsLoading(EGORefreshTableHeaderView& header) = 0;
  // The delegate applies the insets itself and answers true; false (the default) lets the header
  // set them on the scroll view it was given.
  virtual bool egoRefreshTableHeaderDidTriggerRefreshUpdateScrollInset(
      EGORefreshTableHeaderView& header, const gfx::EdgeInsets& insets) {
    (void)header;
    (void)insets;
    return false;
  }
};

class EGORefreshTableHeaderView : public ui::View {
 public:
  enum State { Armed = 0, Idle = 1, Loading = 2 };
  enum Form { BottomForm = 0, TopForm = 1 };
  static constexpr double kEdge = 40;
  static constexpr double kTriggerDelay = 0.2;

  explicit EGORefreshTableHeaderView(const gfx::Rect& frame);
  ~EGORefreshTableHeaderView() override;
  static std::shared_ptr<EGORefreshTableHeaderView> create(const gfx::Rect& frame);

  EGORefreshTableHeaderDelegate* delegate() const { return delegate_.lock().get(); }
  void setDelegate(std::weak_ptr<EGORefreshTableHeaderDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  int state() const { return state_; }
  void setState(int state);
  int egoRefreashType() const { return type_; }
  // Stores the form; the top form shows its idle look at once.
  void updateEGORefreashType(int type);
  void updateContentType(const std::string& text);
  void updateContentFont(const gfx::Font& font);
  void updateContentColor(const gfx::Color& color);
  bool autoLoading() const { return autoLoading_; }
  void setAutoLoading(bool on) { autoLoading_ = on; }
  void refreshLastUpdatedDate() {}

  void egoRefreshScrollViewDidScroll(ui::ScrollView& scrollView);
  void egoRefreshScrollViewDidEndDragging(ui::ScrollView& scrollView);
  void egoRefreshScrollViewDataSourceDidFinishedLoading(ui::ScrollView& scrollView);

  // The parts, for the owner's styling and for tests.
  ui::Label* statusLabel() const { return statusLabel_.get(); }
  ui::Label* lastUpdatedLabel() const { return lastUpdatedLabel_.get(); }
  ui::View* arrowView() const { return arrow_.get(); }
  ui::ActivityIndicatorView* activityView() const { return activity_.get(); }
  // A trigger is waiting for its delay.
  bool isTriggerPending() const;

 private:
  bool delegateIsLoading();
  void applyInsets(ui::ScrollView& scrollView, const gfx::EdgeInsets& insets);
  gfx::AffineTransform idleTransform() const;
  gfx::AffineTransform armedTransform() const;

  std::weak_ptr<EGORefreshTableHeaderDelegate> delegate_;
  int state_ = Idle;
  int type_ = BottomForm;
  bool autoLoading_ = false;
  std::shared_ptr<ui::Label> lastUpdatedLabel_;
  std::shared_ptr<ui::Label> statusLabel_;
  std::shared_ptr<ui::View> arrow_;
  std::shared_ptr<ui::ActivityIndicatorView> activity_;
  std::shared_ptr<foundation::Timer> trigger_;
};
