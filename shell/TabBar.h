// The application's own tab strip, laid over the hidden system tab bar: one button per tab with
// its icon (tag 135) and title, a sliding selection background, the highlighted icon of the
// selected tab and an unread-message badge on the tab titled "服务".
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class TabBarController;

inline constexpr int kTabIconTag = 135;
inline constexpr char kMessageTabTitle[] = "服务";

class TabBar : public ui::View {
 public:
  // Null when the controller has no tabs. Ends as if button 0 had been tapped.
  static std::shared_ptr<TabBar> create(TabBarController& controller);
  explicit TabBar(const gfx::Rect& frame = {});

  // Lays the buttons out again for the new width (centred when more buttons would fit).
  void setFrame(const gfx::Rect& frame) override;
  void updateFrame(const gfx::Rect& frame);
  // Button `index` of `count` in a strip of frame `rect`.
  void newCenterWithButton(int index, int count, const gfx::Rect& rect, ui::Button& button);

  // The icon's shape filled with the highlight gradient.
  gfx::Image beTouchedImage(const gfx::Image& image) const;
  // The selection background jumps to the button (no animation); null: the zero rectangle.
  void slideTabBg(const ui::Button* button);
  // Every icon plain.
  void revertButton();
  // Every icon plain except the selected tab's, highlighted.
  void deoxidizeButton();
  void deoxidizeSlide();
  // A tab button was tapped: asks the controller's delegate, then selects (answer 1), restores
  // the icons (2) or only highlights the tapped icon (anything else).
  void buttonAction_Item(ui::Button& button);

  // Below 1 hides the badge and empties it; otherwise shows the count ("%d", no cap).
  void updateUnreadMessageCount(int count);

  int currentSelectIndex() const { return currentSelectIndex_; }
  void updateCurrentSelectIndex(int index) { currentSelectIndex_ = index; }
  int defaultTabBarWidth() const { return defaultTabBarWidth_; }

  const std::vector<std::shared_ptr<ui::Button>>& items() const { return items_; }
  ui::ImageView* iconView(int index) const;
  ui::ImageView* slideBg() const { return slideBg_.get(); }
  ui::Label* messageCountLabel() const { return messageCountLabel_.get(); }
  ui::View* scrollView() const { return scrollView_.get(); }
  // The plain icon of each tab (empty when the tab has none).
  const std::vector<gfx::Image>& itemImages() const { return itemImages_; }

  static constexpr double kHeight = 49;

 private:
  void build(TabBarController& controller);
  void showIcon(int index, bool highlighted);

  std::shared_ptr<ui::View> scrollView_;
  std::weak_ptr<TabBarController> tabBarViewController_;
  std::vector<std::shared_ptr<ui::Button>> items_;
  std::vector<gfx::Image> itemImages_;
  gfx::Gradient gradient_;
  std::shared_ptr<ui::ImageView> slideBg_;
  int currentSelectIndex_ = 0;
  int defaultTabBarWidth_ = 0;
  std::shared_ptr<ui::Label> messageCountLabel_;
};
