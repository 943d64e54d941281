// A tile of the More screen: a function's icon above its title. The function grid and the
// function bar (HomeMoveView, HomeTabBarView) own the tiles, fill them from the function list and
// hear their touches through HomeItemViewDelegate, to drag them or to open their function.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "shell/BaseView.h"

class HomeItemView;

// Touch states reported to HomeItemViewDelegate::HomeItemMoved.
inline constexpr int kHomeItemTouchBegan = 1;
inline constexpr int kHomeItemTouchMoved = 2;
inline constexpr int kHomeItemTouchEnded = 3;

// Tile styles.
inline constexpr int kHomeItemStyleGrid = 0;
inline constexpr int kHomeItemStyleSmall = 1;
inline constexpr int kHomeItemStyleBar = 2;

class HomeItemViewDelegate {
 public:
  virtual ~HomeItemViewDelegate() = default;
  // May the tile be dragged now?
  virtual bool HomeItemMoveEnabled(HomeItemView& item) = 0;
  // status 1: touch began; 2: moved by (dx, dy) since the last report; 3: touch ended.
  virtual void HomeItemMoved(HomeItemView& item, int dx, int dy, int status) = 0;
  // Optional: a bar tile was tapped; its delete badge was tapped.
  virtual void HomeTabBarItemClicked(HomeItemView& item) { (void)item; }
  virtual void HomeTabBarItemDidDelete(HomeItemView& item) { (void)item; }
};

class HomeItemView : public BaseView {
 public:
  // A grid tile of the large layout (44-point icon, 15-point title), without selection
  // background.
  explicit HomeItemView(const gfx::Rect& frame);
  // The tile of the grid (style 0) or the bar (style 2, with a delete badge).
  HomeItemView(const gfx::Rect& frame, int style);
  static std::shared_ptr<HomeItemView> create(const gfx::Rect& frame);
  static std::shared_ptr<HomeItemView> create(const gfx::Rect& frame, int style);

  // Not owned.
  void setDelegate(std::weak_ptr<HomeItemViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  HomeItemViewDelegate* delegate() const { return delegate_.lock().get(); }

  // A new icon and title in the compact layout become the tile's (the old ones stay).
  void createWithTabBarStyle();
  // The selection background over `rect`, hidden.
  void addSelectBg(const gfx::Rect& rect);

  // Fills the tile from a "MoreControllers" entry ("Icon", "Title"); a negative id empties it.
  void updateWithParamDict(const foundation::Value& param, int functionID);
  // Icon "empty_item.png", title "空", id -1, no delete badge.
  void updateToEmptyItem();
  void updateWithTitle(const std::string& title);
  // Pressed: a little larger and lighter (not in the bar).
  void updateTouchState(bool pressed);
  // Selected: background shown and the icon filled with the touch gradient.
  void updateSelectState(bool selected);
  // The icon's shape filled with the shared touch gradient.
  static gfx::Image beTouchedImage(const gfx::Image& image);

  // Edit mode: the delete badge shows while wobbling on a tile that holds a function.
  void startWobble();
  void stopWobble();
  bool isWobbling() const { return isWobbling_; }
  // Adds the endless rocking animation "woggle".
  void wobble();
  void deleteButtonClick();

  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
  // A cancelled touch ends like a lifted one, so a drag always finishes.
  void touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) override;

  const gfx::Image& _iconImage() const { return iconImage_; }
  void set_iconImage(const gfx::Image& image) { iconImage_ = image; }
  ui::ImageView* imageView() const { return imageView_.get(); }
  void setImageView(std::shared_ptr<ui::ImageView> view) { imageView_ = std::move(view); }
  ui::Label* titleLabel() const { return titleLabel_.get(); }
  void setTitleLabel(std::shared_ptr<ui::Label> label) { titleLabel_ = std::move(label); }
  ui::Button* deleteButton() const { return deleteButton_.get(); }
  ui::ImageView* selectedBg() const { return selectedBg_.get(); }
  int functionID() const { return functionID_; }
  void setFunctionID(int id) { functionID_ = id; }
  int positionID() const { return positionID_; }
  void setPositionID(int position) { positionID_ = position; }
  int itemStyle() const { return itemStyle_; }
  void setItemStyle(int style) { itemStyle_ = style; }
  gfx::Point startPoint() const { return startPoint_; }

  static constexpr int kMoveStep = 6;
  // How far outside a bar tile a lifted finger still opens it.
  static constexpr double kLiftSlop = 30;
  static constexpr char kWobbleKey[] = "woggle";

 private:
  void addIconAndTitle(const gfx::Rect& iconFrame, const gfx::Rect& titleFrame, double fontSize);
  void finishTouch(const ui::TouchSet& touches, bool cancelled);
  bool moveEnabled();

  std::weak_ptr<HomeItemViewDelegate> delegate_;
  std::shared_ptr<ui::Button> deleteButton_;
  gfx::Image iconImage_;
  std::shared_ptr<ui::ImageView> imageView_;
  std::shared_ptr<ui::Label> titleLabel_;
  int functionID_ = -1;
  int positionID_ = 0;
  gfx::Point startPoint_;
  std::shared_ptr<ui::ImageView> selectedBg_;
  int itemStyle_ = kHomeItemStyleGrid;
  bool isWobbling_ = false;
};
