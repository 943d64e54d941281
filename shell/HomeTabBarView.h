// The More screen's function bar: five slots holding the user's favourite functions, kept in the
// user default "Key_UserDefaults_ShowMoreItem". Bar tiles are tapped to open their function or,
// in edit mode, cleared with their delete badge; a grid tile dropped on a slot replaces it.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/ImageView.h"
#include "shell/HomeMoveView.h"

class HomeTabBarView : public HomeMoveView {
 public:
  static std::shared_ptr<HomeTabBarView> create(const gfx::Rect& frame);
  explicit HomeTabBarView(const gfx::Rect& frame);

  static constexpr int kSlotCount = 5;

  // Tiles not at a fixed position wobble; the bar's own move flag stays off.
  void setMoveEnabled(bool enabled) override;
  // The tile at position 4 or beyond leaves the bar; its function id, or -1 when none.
  int removeLastItem();
  // As the grid's, with bar tiles; the new tile does not wobble.
  void addItem(int functionID, int slot, gfx::Point startPoint) override;
  bool HomeItemMoveEnabled(HomeItemView&) override { return false; }
  void HomeTabBarItemClicked(HomeItemView& item) override;
  void HomeTabBarItemDidDelete(HomeItemView& item) override;
  // The stored choice when it has an entry, else the configured default.
  foundation::Array readItemsFunctionInfo() override;
  // Stores the function id of every slot (-1 empty) under "Key_UserDefaults_ShowMoreItem".
  void saveItemsFunctionInfo() override;
  // Only x counts: the slot under it, or -1 (also for a fixed slot).
  int getRectIndexFromPoint(gfx::Point point) override;
  // A slot (0..4) that never wobbles and never takes a drop.
  void addFixedItemPosition(int position);
  const std::vector<int>& fixedItems() const { return fixedItems_; }
  // Shows the replace highlight over slot k, or hides it.
  void updateInsteadStatus(bool show, int slot);
  // Puts function f (-1: none) into slot k with a flip; returns the id the slot held, -1 when no
  // tile stands there. An id outside the list changes nothing and raises an alert.
  int insteadItemView(int slot, int functionID);

  ui::ImageView* insteadBgView() const { return insteadBgView_.get(); }

 protected:
  void initSubItems(gfx::Size size) override;
  int itemTagBase() const override { return kHomeTabBarItemTagBase; }
  int itemStyle() const override { return kHomeItemStyleBar; }
  gfx::Rect layoutSlot(int position) const override;

 private:
  bool isFixed(int position) const;

  std::shared_ptr<ui::ImageView> insteadBgView_;
  std::vector<int> fixedItems_;
  double slotWidth_ = 0;
  double slotHeight_ = 0;
};
