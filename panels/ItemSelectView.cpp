#include "panels/ItemSelectView.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"

namespace {

constexpr double kCellWidth = 55;
constexpr double kCellHeight = 25;
constexpr double kMargin = 5;

}  // namespace

ItemSelectView::ItemSelectView(const gfx::Rect& frame) : ui::View(frame) {
  layer().setCornerRadius(10);
  setBackgroundColor(gfx::Color::darkGrey());
  setAlpha(0.8);
}

std::shared_ptr<ItemSelectView> ItemSelectView::create(const gfx::Rect& frame) {
  return std::make_shared<ItemSelectView>(frame);
}

ui::Button* ItemSelectView::button(int index) {
  if (index < 0 || index >= kItemSelectCapacity) return nullptr;
  return dynamic_cast<ui::Button*>(viewWithTag(kItemSelectFirstTag + index));
}

void ItemSelectView::updateViewWithTitles(const std::vector<std::string>& titles) {
  clearAllSubViews();
  // Tags past the tenth would never be cleared or marked again.
  const int count = std::min<int>(static_cast<int>(titles.size()), kItemSelectCapacity);
  // A frame narrower than one cell still lays out one button per row.
  const int perRow = std::max(1, static_cast<int>(std::floor(frame().width() / kCellWidth)));
  const int rows = (count + perRow - 1) / perRow;
  const gfx::Rect f = frame();
  setFrame({f.x(), f.y(), perRow * kCellWidth + kMargin, rows * kCellHeight + kMargin});
  std::weak_ptr<ItemSelectView> weak = sharedAs<ItemSelectView>();
  for (int i = 0; i < count; ++i) {
    auto b = ui::Button::create(
        ui::ButtonType::Custom,
        {(i % perRow) * kCellWidth + kMargin, (i / perRow) * kCellHeight + kMargin, 50, 20});
    b->setTag(kItemSelectFirstTag + i);
    b->setTitle(titles[static_cast<size_t>(i)]);
    b->setTitleColor(gfx::Color::black());
    b->setFont(gfx::Font::named("Helvetica-Bold", 11));
    b->setBackgroundImage(gfx::Image::named("Button_Round.png"));
    b->setBackgroundImage(gfx::Image::named("Button_Round_Outline.png"),
                          ui::ControlState::Disabled);
    b->addTarget(
        [weak](ui::Control& sender) {
          auto self = weak.lock();
          if (auto* pressed = dynamic_cast<ui::Button*>(&sender); self && pressed)
            self->buttonClick(*pressed);
        },
        ui::ControlEvent::TouchUpInside, this);
    addSubview(b);
  }
}

void ItemSelectView::buttonClick(ui::Button& button) {
  const int index = button.tag() - kItemSelectFirstTag;
  updateSelIndex(index);
  if (auto delegate = _delegate.lock()) delegate->itemSelectChange(this, index);
}

void ItemSelectView::updateSelIndex(int index) {
  for (int i = 0; i < kItemSelectCapacity; ++i)
    if (ui::Button* b = button(i)) b->setEnabled(i != index);
}

void ItemSelectView::clearAllSubViews() {
  for (int i = 0; i < kItemSelectCapacity; ++i)
    if (ui::View* b = viewWithTag(kItemSelectFirstTag + i)) b->removeFromSuperview();
}
