// A grid of round title buttons, one of them marked as chosen (drawn as an outline). Rows of
// 55-point cells fill the view's width; the view takes the height its rows need.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/View.h"

class ItemSelectView;

class ItemSelectViewDelegate {
 public:
  virtual ~ItemSelectViewDelegate() = default;
  virtual void itemSelectChange(ItemSelectView* view, int index) {
    (void)view;
    (void)index;
  }
};

// Buttons carry tags 601 + index; the grid holds at most 10.
inline constexpr int kItemSelectFirstTag = 601;
inline constexpr int kItemSelectCapacity = 10;

class ItemSelectView : public ui::View {
 public:
  explicit ItemSelectView(const gfx::Rect& frame = {});
  static std::shared_ptr<ItemSelectView> create(const gfx::Rect& frame = {});

  void setDelegate(std::weak_ptr<ItemSelectViewDelegate> delegate) {
    _delegate = std::move(delegate);
  }
  // Replaces the buttons with one per title (the first 10) and resizes the view to the grid.
  void updateViewWithTitles(const std::vector<std::string>& titles);
  // Marks button `index` as chosen (disabled: the outline) and the others as choosable.
  void updateSelIndex(int index);
  void clearAllSubViews();
  void buttonClick(ui::Button& button);

  ui::Button* button(int index);

 private:
  std::weak_ptr<ItemSelectViewDelegate> _delegate;
};
