#include "widgets/GroupBarView.h"

#include <cmath>

#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "widgets/BarParts.h"

namespace {

constexpr double kGroupButtonHeight = 30;
constexpr double kSubItemHeight = 26;

}  // namespace

GroupBarView::GroupBarView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<GroupBarView> GroupBarView::create(const gfx::Rect& frame) {
  auto bar = std::make_shared<GroupBarView>(frame);
  bar->build();
  return bar;
}

void GroupBarView::build() {
  setBackgroundColor(gfx::Color::pattern(gfx::Image::named("bg_titleview.png")));
  viewCanPageUp_ = AddPageIndicator(*this, "page_can_up.png");
  viewCanPageDown_ = AddPageIndicator(*this, "page_can_down.png");
  viewCanPageUp_->setAlpha(0.7);
  viewCanPageDown_->setAlpha(0.7);
}

void GroupBarView::preInit() {
  orientation_ = 0;
  nTotalGroupNum_ = 0;
  nSelGroupIndex_ = 0;
}

int GroupBarView::subItemsCount(int group) const {
  return validGroup(group) ? subItemsCount_[group] : -1;
}

int GroupBarView::selSubItemIndex(int group) const {
  return validGroup(group) ? selSubItemIndex_[group] : -1;
}

ui::Button* GroupBarView::groupButton(int group) {
  if (!validGroup(group)) return nullptr;
  return dynamic_cast<ui::Button*>(viewWithTag(groupButtonTag(group)));
}

ui::ScrollView* GroupBarView::row(int group) {
  if (!validGroup(group)) return nullptr;
  return dynamic_cast<ui::ScrollView*>(viewWithTag(rowTag(group)));
}

ui::Label* GroupBarView::noItemsLabel(int group) {
  if (!validGroup(group)) return nullptr;
  return dynamic_cast<ui::Label*>(viewWithTag(noItemsLabelTag(group)));
}

ui::Button* GroupBarView::subItem(int group, int index) {
  ui::ScrollView* items = row(group);
  if (!items || index < 0 || index >= subItemsCount_[group]) return nullptr;
  return dynamic_cast<ui::Button*>(items->viewWithTag(subItemTag(group, index)));
}

void GroupBarView::addSubItems(int group, ui::ScrollView& items,
                               const std::vector<std::string>& titles) {
  const double h = bounds().height();
  auto self = sharedAs<GroupBarView>();
  for (size_t j = 0; j < titles.size(); ++j) {
    auto button = ui::Button::create(ui::ButtonType::Custom);
    button->setFrame(
        gfx::Rect(j * kItemSlotWidth + 2, (h - kSubItemHeight) / 2, 66, kSubItemHeight));
    button->setTag(subItemTag(group, static_cast<int>(j)));
    button->setFont(gfx::Font::named("Helvetica-Bold", 12));
    button->setTitle(titles[j], ui::ControlState::Normal);
    button->setTitleColor(gfx::Color::white(), ui::ControlState::Normal);
    button->setTitleColor(gfx::Color::black(), ui::ControlState::Disabled);
    button->setBackgroundImage(gfx::Image::named("btn_disabled.png").stretchable(10, 0),
                               ui::ControlState::Disabled);
    OnItemTap(*button, self, &GroupBarView::subItemButtonClick);
    items.addSubview(button);
  }
  items.setContentSize(gfx::Size(titles.size() * kItemSlotWidth, 0));
}

void GroupBarView::addGroup(const std::string& title, const std::string& noItemsText,
                            int defaultSel, const std::vector<std::string>& titles) {
  if (title.empty() && titles.empty()) return;
  if (nTotalGroupNum_ >= kMaxGroups) return;
  const int g = nTotalGroupNum_;
  const double h = bounds().height();

  auto button = ui::Button::create(ui::ButtonType::Custom);
  button->setFrame(gfx::Rect(0, 0, kGroupButtonWidth, kGroupButtonHeight));
  button->setTag(groupButtonTag(g));
  button->setFont(gfx::Font::named("Helvetica-Bold", 13));
  button->setTitle(title, ui::ControlState::Normal);
  button->setTitleColor(gfx::Color::white(), ui::ControlState::Normal);
  button->setTitleColor(gfx::Color::yellow(), ui::ControlState::Disabled);
  button->setBackgroundImage(gfx::Image::named("groupbutton_sel.png"), ui::ControlState::Normal);
  button->setBackgroundImage(gfx::Image::named("groupbutton_sel.png"), ui::ControlState::Disabled);
  OnItemTap(*button, sharedAs<GroupBarView>(), &GroupBarView::groupButtonClick);
  addSubview(button);

  if (!noItemsText.empty()) {
    auto label = ui::Label::create(gfx::Rect(0, 0, 100, h));
    label->setTag(noItemsLabelTag(g));
    label->setBackgroundColor(gfx::Color::clear());
    label->layer().setCornerRadius(8);
    label->layer().setBorderColor(gfx::Color::darkGrey());
    label->layer().setBorderWidth(1);
    label->setFont(gfx::Font::named("Helvetica-Bold", 13));
    label->setTextColor(gfx::Color::white());
    label->setTextAlignment(gfx::TextAlignment::Center);
    label->setText(noItemsText);
    label->setHidden(true);
    addSubview(label);
  }

  auto items = ui::ScrollView::create(gfx::Rect(0, 0, 100, h));
  items->setTag(rowTag(g));
  items->setBackgroundColor(gfx::Color::clear());
  items->setShowsHorizontalScrollIndicator(false);
  items->setShowsVerticalScrollIndicator(false);
  items->setPagingEnabled(true);
  items->layer().setCornerRadius(8);
  items->layer().setBorderColor(gfx::Color::darkGrey());
  items->layer().setBorderWidth(1);
  items->setDelegate(sharedAs<ui::ScrollViewDelegate>());
  addSubItems(g, *items, titles);
  addSubview(items);

  subItemsCount_[g] = static_cast<int>(titles.size());
  selSubItemIndex_[g] = defaultSel;
  bShowNoItemsText_[g] = false;
  ++nTotalGroupNum_;
}

void GroupBarView::markSubItem(int group, int j) {
  ui::ScrollView* items = row(group);
  if (!items) return;
  for (int i = 0; i < subItemsCount_[group]; ++i) {
    if (auto* button = dynamic_cast<ui::Button*>(items->viewWithTag(subItemTag(group, i))))
      button->setEnabled(i != j);
  }
}

void GroupBarView::reportSubItem(int subItem, int group) {
  if (auto delegate = delegate_.lock()) delegate->GroupBarDidChangeToSubItem(subItem, group, *this);
}

void GroupBarView::updateGroupPosition(int group, int subItem, bool animated) {
  // Only an existing group can be laid out as the selected one.
  if (!validGroup(group)) return;
  if (animated) {
    viewCanPageUp_->setHidden(true);
    viewCanPageDown_->setHidden(true);
    ui::View::beginAnimations(kMoveAnimationName);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseIn);
    ui::View::setAnimationDuration(0.4);
    std::weak_ptr<GroupBarView> weak = sharedAs<GroupBarView>();
    ui::View::setAnimationDidStop([weak](const std::string& name, bool finished, void*) {
      if (auto self = weak.lock()) self->animationDidStop(name, finished);
    });
  }

  nSelGroupIndex_ = group;
  const double w = bounds().width();
  const double h = bounds().height();
  const int n = nTotalGroupNum_;
  const double slot = w - n * kGroupButtonWidth - 1;
  const double buttonY = (h - kGroupButtonHeight) / 2;
  for (int i = 0; i < n; ++i) {
    ui::Button* button = groupButton(i);
    ui::ScrollView* items = row(i);
    ui::Label* label = noItemsLabel(i);
    if (!button || !items) continue;
    auto placeAfterButton = [&] {
      const gfx::Rect f(button->frame().x() + kGroupButtonWidth, 0, slot, h);
      items->setFrame(f);
      if (label) label->setFrame(f);
    };
    if (i != group) {
      button->setEnabled(true);
      const double x = i < group ? i * kGroupButtonWidth : i * kGroupButtonWidth + slot;
      button->setFrame(gfx::Rect(x, buttonY, kGroupButtonWidth, kGroupButtonHeight));
      placeAfterButton();
      continue;
    }
    button->setEnabled(false);
    if (bShowNoItemsText_[i] && label) {
      items->setHidden(true);
      label->setHidden(false);
    } else {
      items->setHidden(false);
      if (label) label->setHidden(true);
    }
    if (n == 1) {
      button->setHidden(true);
      items->setFrame(gfx::Rect(0, 0, w, h));
      if (label) label->setFrame(gfx::Rect(0, 0, w, h));
    } else {
      button->setFrame(
          gfx::Rect(i * kGroupButtonWidth, buttonY, kGroupButtonWidth, kGroupButtonHeight));
      placeAfterButton();
    }
    const int c = subItemsCount_[i];
    const double rowWidth = items->bounds().width();
    double itemWidth = 0;
    if (c > 0 && c * kItemSlotWidth < rowWidth) {
      itemWidth = rowWidth / c;
    } else {
      const int per = static_cast<int>(rowWidth / kItemSlotWidth);
      if (per > 0) {
        itemWidth = rowWidth / per;
        items->setContentSize(gfx::Size(((c + per - 1) / per) * rowWidth, 0));
      }
    }
    for (int j = 0; j < c; ++j) {
      auto* item = dynamic_cast<ui::Button*>(items->viewWithTag(subItemTag(i, j)));
      if (!item) continue;
      if (itemWidth != 0) {
        const gfx::Rect f = item->frame();
        item->setFrame(gfx::Rect(j * itemWidth + 2, f.y(), itemWidth - 4, f.height()));
      }
      item->setEnabled(j != subItem);
    }
  }

  if (animated)
    ui::View::commitAnimations();
  else
    finishMove();
}

void GroupBarView::finishMove() {
  for (int i = 0; i < nTotalGroupNum_; ++i) {
    if (i == nSelGroupIndex_) continue;
    if (ui::ScrollView* items = row(i)) items->setHidden(true);
  }
  updatePageUpDownIndicator();
}

void GroupBarView::animationDidStop(const std::string& name, bool finished) {
  (void)finished;
  if (name == kMoveAnimationName) finishMove();
}

void GroupBarView::changeSelGroup(int group) {
  if (!validGroup(group)) return;
  updateGroupPosition(group, selSubItemIndex_[group], true);
}

void GroupBarView::changeSelSubItem(int subItem, int group) {
  // An index outside the group's items would mark nothing and report an item that is not there.
  if (!validGroup(group) || subItem < 0 || subItem >= subItemsCount_[group]) return;
  selSubItemIndex_[group] = subItem;
  markSubItem(group, subItem);
  reportSubItem(subItem, group);
}

void GroupBarView::setSelSubItem(int subItem, int group) {
  if (!validGroup(group) || subItem < 0 || subItem >= subItemsCount_[group]) return;
  selSubItemIndex_[group] = subItem;
  markSubItem(group, subItem);
  // The row turns to the page that holds the item, so the bar shows what it marks.
  ui::ScrollView* items = row(group);
  ui::View* item = items ? items->viewWithTag(subItemTag(group, subItem)) : nullptr;
  const double width = items ? items->bounds().width() : 0;
  if (!item || width <= 0) return;
  items->setContentOffset(gfx::Point(std::floor(item->frame().midX() / width) * width, 0), false);
  updatePageUpDownIndicator();
}

void GroupBarView::setGroupNoItems(bool show, int group) {
  if (!validGroup(group)) return;
  bShowNoItemsText_[group] = show;
}

void GroupBarView::changeShowingSubItems(int group, int count) {
  if (!validGroup(group)) return;
  ui::ScrollView* items = row(group);
  if (!items) return;
  bool hidSelected = false;
  for (int j = 0; j < subItemsCount_[group]; ++j) {
    auto* item = dynamic_cast<ui::Button*>(items->viewWithTag(subItemTag(group, j)));
    if (!item) continue;
    const bool shown = j < count;
    item->setHidden(!shown);
    if (!shown && !item->isEnabled()) {
      item->setEnabled(true);
      hidSelected = true;
    }
  }
  if (!hidSelected) return;
  if (ui::Button* first = subItem(group, 0)) first->setEnabled(false);
  selSubItemIndex_[group] = 0;
  reportSubItem(0, group);
}

void GroupBarView::resetGroupItems(int group, const std::vector<std::string>& titles) {
  if (!validGroup(group)) return;
  ui::ScrollView* items = row(group);
  if (!items) return;
  for (int j = 0; j < subItemsCount_[group]; ++j) {
    if (ui::View* item = items->viewWithTag(subItemTag(group, j))) item->removeFromSuperview();
  }
  addSubItems(group, *items, titles);
  subItemsCount_[group] = static_cast<int>(titles.size());
  if (selSubItemIndex_[group] >= subItemsCount_[group]) {
    if (ui::Button* first = subItem(group, 0)) first->setEnabled(false);
    selSubItemIndex_[group] = 0;
    reportSubItem(0, group);
  }
  updateGroupPosition(group, selSubItemIndex_[group], false);
}

void GroupBarView::updatePageUpDownIndicator() {
  ui::ScrollView* items = row(nSelGroupIndex_);
  if (!items) return;
  const double rowWidth = items->bounds().width();
  const int pages =
      rowWidth > 0 ? static_cast<int>((items->contentSize().width + 1) / rowWidth) : 0;
  if (pages <= 1) {
    viewCanPageUp_->setHidden(true);
    viewCanPageDown_->setHidden(true);
    return;
  }
  const gfx::Rect f = items->frame();
  const int page = static_cast<int>((items->contentOffset().x + rowWidth / 2) / rowWidth);
  if (page < 1) {
    viewCanPageUp_->setHidden(true);
  } else {
    viewCanPageUp_->setCenter(gfx::Point(f.x() + 6, f.y() + f.height() / 2));
    viewCanPageUp_->setHidden(false);
    bringSubviewToFront(viewCanPageUp_.get());
  }
  if (page + 1 >= pages) {
    viewCanPageDown_->setHidden(true);
  } else {
    viewCanPageDown_->setCenter(gfx::Point(f.x() + rowWidth - 6, f.y() + f.height() / 2));
    viewCanPageDown_->setHidden(false);
    bringSubviewToFront(viewCanPageDown_.get());
  }
}

void GroupBarView::groupButtonClick(ui::Button& button) {
  const int group = button.tag() / 100;
  auto keep = sharedAs<GroupBarView>();
  if (auto delegate = delegate_.lock()) {
    if (!delegate->GroupBarShouldChangeToGroup(group, *this)) return;
  }
  if (!validGroup(group) || subItemsCount_[group] < 1) return;
  if (auto delegate = delegate_.lock()) delegate->GroupBarDidChangeToGroup(group, *this);
  updateGroupPosition(group, selSubItemIndex_[group], true);
}

void GroupBarView::subItemButtonClick(ui::Button& button) {
  const int g = nSelGroupIndex_;
  if (!validGroup(g)) return;
  const int first = subItemTag(g, 0);
  const int tag = button.tag();
  if (tag < first || tag > first - 1 + subItemsCount_[g]) return;
  const int j = tag - first;
  auto keep = sharedAs<GroupBarView>();
  if (auto delegate = delegate_.lock()) {
    if (!delegate->GroupBarShouldChangeToSubItem(j, g, *this)) return;
  }
  selSubItemIndex_[g] = j;
  markSubItem(g, j);
  reportSubItem(j, g);
}

void GroupBarView::scrollViewWillBeginDragging(ui::ScrollView& scrollView) {
  (void)scrollView;
  viewCanPageUp_->setHidden(true);
  viewCanPageDown_->setHidden(true);
}

void GroupBarView::scrollViewDidEndDecelerating(ui::ScrollView& scrollView) {
  (void)scrollView;
  updatePageUpDownIndicator();
}
