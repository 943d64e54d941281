#include "shell/HomeTabBarView.h"

#include <algorithm>

#include "core/AppHooks.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ConfigManager.h"

namespace {

constexpr unsigned kFlexibleLeftWidthTop = ui::Autoresizing::FlexibleLeftMargin |
                                           ui::Autoresizing::FlexibleWidth |
                                           ui::Autoresizing::FlexibleTopMargin;
constexpr double kFlipDuration = 0.4;

}  // namespace

HomeTabBarView::HomeTabBarView(const gfx::Rect& frame) : HomeMoveView(frame) {}

std::shared_ptr<HomeTabBarView> HomeTabBarView::create(const gfx::Rect& frame) {
  auto bar = std::make_shared<HomeTabBarView>(frame);
  bar->finishConstruction();
  bar->insteadBgView_ = ui::ImageView::create(bar->slotRect(0));
  bar->insteadBgView_->setImage(gfx::Image::named("insteading.png"));
  bar->insteadBgView_->setAlpha(0.4);
  bar->insteadBgView_->setAutoresizingMask(kFlexibleLeftWidthTop);
  bar->scrollView_->addSubview(bar->insteadBgView_);
  bar->insteadBgView_->setHidden(true);
  return bar;
}

void HomeTabBarView::initSubItems(gfx::Size size) {
  moveEnabled_ = false;
  nItemCount_ = 0;
  auto background = ui::ImageView::create(bounds());
  background->setImage(gfx::Image::named("bg_more.png"));
  background->setAutoresizingMask(kFlexibleLeftWidthTop);
  insertSubview(background, 0);
  setBackgroundColor(gfx::Color::midGrey());

  slotWidth_ = static_cast<int>(size.width / kSlotCount);
  slotHeight_ = static_cast<int>(size.height);

  auto config = ConfigManager::sharedObject();
  const foundation::Array ids = readItemsFunctionInfo();
  rectMoved_.clear();
  for (int k = 0; k < kSlotCount; ++k) {
    const int f = static_cast<size_t>(k) < ids.size()
                      ? static_cast<int>(ids[static_cast<size_t>(k)].toInt(-1))
                      : -1;
    rectMoved_.push_back(layoutSlot(k));
    auto item = HomeItemView::create(rectMoved_.back(), kHomeItemStyleBar);
    item->setDelegate(itemDelegate());
    if (config->isValidFunctionID(f))
      item->updateWithParamDict(config->functionAt(f), f);
    else
      item->updateToEmptyItem();
    item->setPositionID(k);
    item->setTag(kHomeTabBarItemTagBase + k);
    scrollView_->addSubview(item);
    ++nItemCount_;
  }
  ensureSlots();
}

gfx::Rect HomeTabBarView::layoutSlot(int position) const {
  if (position < 0) return {};
  return gfx::Rect(position * slotWidth_, 1, slotWidth_, slotHeight_ - 2);
}

bool HomeTabBarView::isFixed(int position) const {
  return std::find(fixedItems_.begin(), fixedItems_.end(), position) != fixedItems_.end();
}

void HomeTabBarView::setMoveEnabled(bool enabled) {
  for (const auto& view : scrollView_->subviews()) {
    auto* item = dynamic_cast<HomeItemView*>(view.get());
    if (!item || isFixed(item->positionID())) continue;
    if (enabled)
      item->startWobble();
    else
      item->stopWobble();
  }
}

int HomeTabBarView::removeLastItem() {
  for (const auto& view : scrollView_->subviews()) {
    auto* item = dynamic_cast<HomeItemView*>(view.get());
    if (!item || item->positionID() < kSlotCount - 1) continue;
    const int id = item->functionID();
    auto hold = view;
    item->removeFromSuperview();
    --nItemCount_;
    return id;
  }
  return -1;
}

void HomeTabBarView::addItem(int functionID, int slot, gfx::Point startPoint) {
  HomeMoveView::addItem(functionID, slot, startPoint);
}

void HomeTabBarView::HomeTabBarItemClicked(HomeItemView& item) {
  auto self = sharedView();
  if (auto delegate = delegate_.lock())
    delegate->HomeMoveViewItemClicked(*this, item.functionID(), item.positionID());
}

void HomeTabBarView::HomeTabBarItemDidDelete(HomeItemView& item) {
  item.updateToEmptyItem();
  saveItemsFunctionInfo();
}

foundation::Array HomeTabBarView::readItemsFunctionInfo() {
  const foundation::Value stored = foundation::UserDefaults::standard().object(kShowMoreItemKey);
  if (stored.isArray() && stored.size() > 0) return stored.asArray();
  const foundation::Value& defaults = ConfigManager::sharedObject()->moreDeaultShowControllers();
  return defaults.asArray();
}

void HomeTabBarView::saveItemsFunctionInfo() {
  std::vector<int> ids(static_cast<size_t>(std::max(nItemCount_, kSlotCount)), 0);
  for (int i = 0; i < nItemCount_; ++i) {
    HomeItemView* item = itemWithTag(kHomeTabBarItemTagBase + i);
    if (!item) continue;
    const int position = item->positionID();
    if (position >= 0 && static_cast<size_t>(position) < ids.size())
      ids[static_cast<size_t>(position)] = item->functionID();
  }
  foundation::Array list;
  for (int i = 0; i < nItemCount_; ++i) list.emplace_back(ids[static_cast<size_t>(i)]);
  foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  defaults.remove(kShowMoreItemKey);
  defaults.set(kShowMoreItemKey, foundation::Value(std::move(list)));
  defaults.synchronize();
  itemsChanged_ = true;
}

int HomeTabBarView::getRectIndexFromPoint(gfx::Point point) {
  const gfx::Point probe(point.x, 20.0);
  for (int k = 0; k <= nItemCount_; ++k) {
    if (!slotRect(k).contains(probe)) continue;
    // The spare slot after the last tile holds nothing to replace.
    return isFixed(k) || k >= nItemCount_ ? -1 : k;
  }
  return -1;
}

void HomeTabBarView::addFixedItemPosition(int position) {
  if (position >= 0 && position < kSlotCount) fixedItems_.push_back(position);
}

void HomeTabBarView::updateInsteadStatus(bool show, int slot) {
  if (!insteadBgView_) return;
  if (show) {
    insteadBgView_->setFrame(slotRect(slot));
    insteadBgView_->setHidden(false);
  } else {
    insteadBgView_->setHidden(true);
  }
}

int HomeTabBarView::insteadItemView(int slot, int functionID) {
  HomeItemView* item = nullptr;
  for (int i = 0; i < nItemCount_ && !item; ++i) {
    HomeItemView* candidate = itemWithTag(kHomeTabBarItemTagBase + i);
    if (candidate && candidate->positionID() == slot) item = candidate;
  }
  if (!item) return -1;
  const int previous = item->functionID();
  auto config = ConfigManager::sharedObject();
  if (functionID != -1 && !config->isValidFunctionID(functionID)) {
    foundation::logError("insteadItemView: no function %d", functionID);
    CoreAlert alert;
    alert.title = "insteadItemView nFunctionID error";
    alert.message = "Error";
    alert.buttons = {"确定"};
    ShowCoreAlert(std::move(alert));
    return previous;
  }
  ui::View::beginAnimations(kAnimationMoveEnd);
  ui::View::setAnimationDuration(kFlipDuration);
  ui::View::setAnimationDelegate(sharedAs<ui::AnimationDelegate>());
  ui::View::setAnimationTransition(ui::AnimationTransition::FlipFromRight, item, true);
  if (functionID == -1)
    item->updateToEmptyItem();
  else
    item->updateWithParamDict(config->functionAt(functionID), functionID);
  ui::View::commitAnimations();
  return previous;
}
