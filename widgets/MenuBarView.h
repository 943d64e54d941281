// A one-row menu of item buttons (market tabs, list menus, section menus) with exactly one item
// selected. More items than fit on a page scroll, page by page or freely, and two small
// indicators at the ends show whether more items lie to either side. A tap asks the delegate
// whether the change is allowed, moves the selection and then tells the delegate.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"

class MenuBarView;

class MenuBarViewDelegate {
 public:
  virtual ~MenuBarViewDelegate() = default;
  // Asked for a tap only; false cancels the tap completely.
  virtual bool MenuBarShouldChangeToSubItem(int index, MenuBarView& bar) {
    (void)index;
    (void)bar;
    return true;
  }
  // After a tap moved the selection, and after changeSelSubItem.
  virtual void MenuBarDidChangeToSubItem(int index, MenuBarView& bar) = 0;
};

class MenuBarView : public ui::View, public ui::ScrollViewDelegate {
 public:
  static constexpr int kContainerTag = 102;
  // Extra views an owner lays over the bar; cleared with the items.
  static constexpr int kExtraViewTag = 103;
  static constexpr int kFirstItemTag = 105;

  explicit MenuBarView(const gfx::Rect& frame = {});
  // Builds the bar with its page indicators.
  static std::shared_ptr<MenuBarView> create(const gfx::Rect& frame = {});

  // Look and selection style, 0 to 3 (0 and 2 disable the selected item, 1 and 3 select it;
  // 2 and 3 are the first-level look). Call before adding items.
  void initMenuBarType(int type);
  // Items per page; values below 1 count as 1. Call before adding items.
  void setMaxItemsOnePage(int count);
  void setScrollPageEnabled(bool enabled) { scrollPageEnabled_ = enabled; }
  void setDelegate(std::weak_ptr<MenuBarViewDelegate> delegate) { delegate_ = std::move(delegate); }
  void preInit();

  // Builds the row; ignored when the bar already has items or there are no titles.
  void addItemsArray(int defaultSel, const std::vector<std::string>& titles);
  // The list form: titles up to the first null; ignored when the first one is null.
  void addItemsButtons(int defaultSel, const std::vector<const char*>& titles);
  void updateBarWithItemsArray(int defaultSel, const std::vector<std::string>& titles);
  // A null first title changes nothing.
  void updateBarWithItemsButtons(int defaultSel, const std::vector<const char*>& titles);
  void clearAllItems();

  // Selects without telling the delegate.
  void initSel(int index);
  // Selects and tells the delegate (did-change only).
  void changeSelSubItem(int index);
  // The selected item's title; "" when no item has the selected index.
  std::string getSelItemTitle();
  int nSelItemIndex() const { return nSelItemIndex_; }
  void updatePageUpDownIndicator();

  // The items' action.
  void subItemButtonClick(ui::Button& button);

  void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override { (void)scrollView; }
  void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;

  // --- parts and state ---
  int totalItemsNum() const { return nTotalItemsNum_; }
  int menuBarType() const { return menuBarType_; }
  int maxItemsOnePage() const { return nMaxItemsOnePage_; }
  bool scrollPageEnabled() const { return scrollPageEnabled_; }
  ui::ScrollView* container();
  ui::Button* itemButton(int index);
  ui::ImageView* pageUpIndicator() const { return viewCanPageUp_.get(); }
  ui::ImageView* pageDownIndicator() const { return viewCanPageDown_.get(); }

 private:
  void build();
  bool marksBySelecting() const { return menuBarType_ == 1 || menuBarType_ == 3; }
  void markItem(ui::Button& button, bool selected) const;
  void styleItem(ui::Button& button) const;
  int pageCount() const;

  std::weak_ptr<MenuBarViewDelegate> delegate_;
  int nTotalItemsNum_ = 0;
  int nSelItemIndex_ = 0;
  int menuBarType_ = 0;
  std::shared_ptr<ui::ImageView> viewCanPageUp_;
  std::shared_ptr<ui::ImageView> viewCanPageDown_;
  bool scrollPageEnabled_ = true;
  int nMaxItemsOnePage_ = 5;
};
