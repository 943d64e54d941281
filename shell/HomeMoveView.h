// The More screen's function grid: every function of the bundle's list as a tile on paged rows of
// four. In edit mode a tile can be dragged down onto the function bar (HomeTabBarView); when it
// is let go it glides back to its own slot, so the grid always shows every function.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/ui/Animation.h"
#include "platform/ui/ScrollView.h"
#include "shell/BaseView.h"
#include "shell/HomeItemView.h"

class HomeMoveView;

// Tags of the views the More screen finds by tag.
inline constexpr int kHomeMoveViewTag = 120;
inline constexpr int kHomeTabBarViewTag = 121;
inline constexpr int kHomeMoveItemTagBase = 300;
inline constexpr int kHomeTabBarItemTagBase = 350;

// The animation after which the owner stores its contents.
inline constexpr char kAnimationMoveEnd[] = "Animation_MoveEnd";

// Every method is optional.
class HomeMoveViewDelegate {
 public:
  virtual ~HomeMoveViewDelegate() = default;
  // During a drag: whether the dragged tile is over the bar, and its page point; once with
  // (false, (0, 0)) when the drag ends.
  virtual void HomeMoveViewRefreshInsteadItem(bool over, gfx::Point point) {
    (void)over;
    (void)point;
  }
  // A drag ended over the bar: may the tile's function be taken?
  virtual bool HomeMoveViewItemShouldRemove(HomeMoveView& view, int position, gfx::Point point) {
    (void)view;
    (void)position;
    (void)point;
    return false;
  }
  virtual void HomeMoveViewItemRemoved(HomeMoveView& view, int functionID, int position,
                                       gfx::Point point) {
    (void)view;
    (void)functionID;
    (void)position;
    (void)point;
  }
  // A tile was tapped (grid tiles outside edit mode, bar tiles always).
  virtual void HomeMoveViewItemClicked(HomeMoveView& view, int functionID, int position) {
    (void)view;
    (void)functionID;
    (void)position;
  }
};

class HomeMoveView : public BaseView,
                     public HomeItemViewDelegate,
                     public ui::ScrollViewDelegate,
                     public ui::AnimationDelegate {
 public:
  // Lays the tiles out for the frame (use create(); the tiles need the view's shared owner).
  static std::shared_ptr<HomeMoveView> create(const gfx::Rect& frame);
  explicit HomeMoveView(const gfx::Rect& frame);

  void setDelegate(std::weak_ptr<HomeMoveViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  HomeMoveViewDelegate* delegate() const { return delegate_.lock().get(); }

  // Edit mode: tiles wobble and can be dragged.
  virtual void setMoveEnabled(bool enabled);
  bool moveEnabled() const { return moveEnabled_; }

  // Tells the delegate the tile's function was taken (the tile itself stays).
  void removeItem(HomeItemView& item);
  // Inserts a new tile for the function at slot k; later tiles move one slot on.
  virtual void addItem(int functionID, int slot, gfx::Point startPoint);
  // Status 2: the tiles between the tile and slot t make room; status 3: the tile glides to slot
  // t (and the contents are stored when it arrives).
  void moveItem(HomeItemView& item, int slot, int status);

  void animationDidStop(const std::string& name, bool finished, void* context) override;
  bool HomeItemMoveEnabled(HomeItemView& item) override;
  void HomeItemMoved(HomeItemView& item, int dx, int dy, int status) override;

  // The function ids to show: the grid shows them all.
  virtual foundation::Array readItemsFunctionInfo();
  virtual void saveItemsFunctionInfo() {}
  // Tiles of the account function read "登录" for a guest and "注销" for a user.
  void updateItemStatusAfterLogin(bool notLoggedIn);
  // Id -1: an empty tile; a valid id: a filled one; other ids: null.
  std::shared_ptr<HomeItemView> newItemViewWithFunctionID(int functionID, const gfx::Rect& frame,
                                                          int style);
  // The first position below the tile count whose slot holds the point, else -1.
  virtual int getRectIndexFromPoint(gfx::Point point);

  void scrollViewDidEndDecelerating(ui::ScrollView&) override {}

  bool itemsChanged() const { return itemsChanged_; }
  void setItemsChanged(bool changed) { itemsChanged_ = changed; }

  // Inspection.
  ui::ScrollView* scrollView() const { return scrollView_.get(); }
  int itemCount() const { return nItemCount_; }
  int horizontalCount() const { return nHorizontalCount_; }
  int verticalCount() const { return nVerticalCount_; }
  // Slot frames by position; one more than the tiles, ready for an insertion.
  const std::vector<gfx::Rect>& slotRects() const { return rectMoved_; }
  gfx::Rect slotRect(int position) const;
  int dropLine() const { return dropLine_; }
  // The tile with this position (null when none).
  HomeItemView* itemAtPosition(int position) const;
  HomeItemView* itemWithTag(int tag) const;

 protected:
  // Builds the tiles; create() calls it once the view has its shared owner.
  virtual void initSubItems(gfx::Size size);
  virtual int itemTagBase() const { return kHomeMoveItemTagBase; }
  virtual int itemStyle() const { return kHomeItemStyleGrid; }
  // Where the tile at `position` stands by the layout rule.
  virtual gfx::Rect layoutSlot(int position) const;
  // Keeps one slot more than there are tiles.
  void ensureSlots();
  // The dragged tile's point as the bar sees it: x within the visible page.
  gfx::Point pagePoint(gfx::Point point) const;
  std::weak_ptr<HomeItemViewDelegate> itemDelegate();
  void finishConstruction();

  std::weak_ptr<HomeMoveViewDelegate> delegate_;
  std::shared_ptr<ui::ScrollView> scrollView_;
  // Where the finger went down on a tile (window point), while it is down in edit mode.
  bool tilePressed_ = false;
  gfx::Point tilePressPoint_;
  bool moveEnabled_ = false;
  int nHorizontalCount_ = 0;
  int nVerticalCount_ = 4;
  int nItemCount_ = 0;
  std::vector<gfx::Rect> rectMoved_;
  bool itemsChanged_ = false;
  int dropLine_ = 0;
  double cellHeight_ = 0;
};
