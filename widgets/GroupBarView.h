// A two-level tab bar of up to five groups: each group has a 50-point group button and a row of
// sub-item buttons, and only the selected group shows its row, in the free width between the
// group buttons (the buttons of earlier groups stand to its left, the others to its right).
// Selecting another group slides the buttons and rows to their new places. A group may show a
// text in place of its sub-items. Each group keeps its own selected sub-item.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"

class GroupBarView;

class GroupBarViewDelegate {
 public:
  virtual ~GroupBarViewDelegate() = default;
  virtual void GroupBarDidChangeToSubItem(int subItem, int group, GroupBarView& bar) = 0;
  // Asked for a tap on a sub-item; false cancels it.
  virtual bool GroupBarShouldChangeToSubItem(int subItem, int group, GroupBarView& bar) {
    (void)subItem;
    (void)group;
    (void)bar;
    return true;
  }
  // Asked for a tap on a group button; false cancels it.
  virtual bool GroupBarShouldChangeToGroup(int group, GroupBarView& bar) {
    (void)group;
    (void)bar;
    return true;
  }
  virtual void GroupBarDidChangeToGroup(int group, GroupBarView& bar) {
    (void)group;
    (void)bar;
  }
};

class GroupBarView : public ui::View, public ui::ScrollViewDelegate {
 public:
  static constexpr int kMaxGroups = 5;
  static constexpr double kGroupButtonWidth = 50;
  static constexpr double kItemSlotWidth = 70;
  static constexpr const char* kMoveAnimationName = "Animation_GroupMove";

  // Tags of group g's parts.
  static constexpr int groupButtonTag(int g) { return g * 100 + 1; }
  static constexpr int rowTag(int g) { return g * 100 + 2; }
  static constexpr int noItemsLabelTag(int g) { return g * 100 + 3; }
  static constexpr int subItemTag(int g, int j) { return g * 100 + 5 + j; }

  explicit GroupBarView(const gfx::Rect& frame = {});
  // Builds the bar with its page indicators.
  static std::shared_ptr<GroupBarView> create(const gfx::Rect& frame = {});

  void preInit();
  void setDelegate(std::weak_ptr<GroupBarViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  void setGroupBarOrientation(int orientation) { orientation_ = orientation; }

  // Adds the next group (at most five); ignored when both the title and the items are empty. A
  // non-empty noItemsText gives the group a text it can show instead of its row. Lays nothing
  // out: add every group, then call updateGroupPosition.
  void addGroup(const std::string& title, const std::string& noItemsText, int defaultSel,
                const std::vector<std::string>& items);
  // Selects the group, marks the sub-item in its row and lays the bar out (silently).
  void updateGroupPosition(int group, int subItem, bool animated);
  // Selects the group with its kept sub-item, animated (silently).
  void changeSelGroup(int group);
  // Selects the sub-item of the group and reports it (did-change only).
  void changeSelSubItem(int subItem, int group);
  // Marks the sub-item of the group as the selected one and turns its row to the item's page,
  // without reporting it (the owner shows what the item stands for already).
  void setSelSubItem(int subItem, int group);
  // Whether the group shows its text instead of its row, from the next layout on.
  void setGroupNoItems(bool show, int group);
  // Shows only the first `count` sub-items; hiding the selected one falls back to item 0.
  void changeShowingSubItems(int group, int count);
  // Replaces the group's sub-items and makes it the selected group.
  void resetGroupItems(int group, const std::vector<std::string>& items);

  void updatePageUpDownIndicator();
  void animationDidStop(const std::string& name, bool finished);

  // The buttons' actions.
  void groupButtonClick(ui::Button& button);
  void subItemButtonClick(ui::Button& button);

  void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;
  void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;

  // --- parts and state ---
  int totalGroupNum() const { return nTotalGroupNum_; }
  int selGroupIndex() const { return nSelGroupIndex_; }
  int orientation() const { return orientation_; }
  // -1 for a group out of range.
  int subItemsCount(int group) const;
  int selSubItemIndex(int group) const;
  ui::Button* groupButton(int group);
  ui::ScrollView* row(int group);
  ui::Label* noItemsLabel(int group);
  ui::Button* subItem(int group, int index);
  ui::ImageView* pageUpIndicator() const { return viewCanPageUp_.get(); }
  ui::ImageView* pageDownIndicator() const { return viewCanPageDown_.get(); }

 private:
  void build();
  bool validGroup(int group) const { return group >= 0 && group < nTotalGroupNum_; }
  void addSubItems(int group, ui::ScrollView& row, const std::vector<std::string>& items);
  // Disables item j of the group's row and enables the others.
  void markSubItem(int group, int j);
  void finishMove();
  void reportSubItem(int subItem, int group);

  std::weak_ptr<GroupBarViewDelegate> delegate_;
  int orientation_ = 0;
  int nTotalGroupNum_ = 0;
  int nSelGroupIndex_ = 0;
  std::array<int, kMaxGroups> subItemsCount_{};
  std::array<int, kMaxGroups> selSubItemIndex_{};
  std::array<bool, kMaxGroups> bShowNoItemsText_{};
  std::shared_ptr<ui::ImageView> viewCanPageUp_;
  std::shared_ptr<ui::ImageView> viewCanPageDown_;
};
