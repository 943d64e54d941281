#include "shell/HomeMoveView.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/foundation/Log.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/View.h"
#include "shell/ConfigManager.h"

namespace {

constexpr double kCellWidth = 80;
constexpr double kMaxCellHeight = 80;
constexpr double kMoveDuration = 0.4;
constexpr char kAccountClass[] = "AccountManager";
constexpr char kLoginTitle[] = "登录";
constexpr char kLogoutTitle[] = "注销";

}  // namespace

namespace {

// The grid's pages. While tiles move, a drag that starts on a tile turns the page only when it
// heads sideways (a swipe); heading down as much as sideways (to the bar's leftmost slot from
// the right-hand columns) it stays the tile's.
class TileGridScrollView : public ui::ScrollView {
 public:
  using ui::ScrollView::ScrollView;
  std::function<bool(gfx::Point)> mayPage;  // the finger's window point now -> page?
  bool gestureRecognizerShouldBegin(ui::GestureRecognizer& recognizer) override {
    if (isPanRecognizer(recognizer) && mayPage && !mayPage(recognizer.locationInView(nullptr)))
      return false;
    return ui::ScrollView::gestureRecognizerShouldBegin(recognizer);
  }
};

}  // namespace

HomeMoveView::HomeMoveView(const gfx::Rect& frame) : BaseView(frame) {
  setClipsToBounds(false);
  setAutoresizesSubviews(false);
  setBackgroundColor(gfx::Color::black());
  auto grid = std::make_shared<TileGridScrollView>(bounds());
  grid->mayPage = [this](gfx::Point now) {
    if (!moveEnabled_ || !tilePressed_) return true;
    const double dx = std::abs(now.x - tilePressPoint_.x), dy = std::abs(now.y - tilePressPoint_.y);
    return dx > 2 * dy;
  };
  scrollView_ = grid;
  scrollView_->setBackgroundColor(gfx::Color::clear());
  scrollView_->setPagingEnabled(true);
  scrollView_->setShowsVerticalScrollIndicator(false);
  scrollView_->setClipsToBounds(false);
  addSubview(scrollView_);
}

std::shared_ptr<HomeMoveView> HomeMoveView::create(const gfx::Rect& frame) {
  auto view = std::make_shared<HomeMoveView>(frame);
  view->finishConstruction();
  return view;
}

void HomeMoveView::finishConstruction() {
  scrollView_->setDelegate(sharedAs<ui::ScrollViewDelegate>());
  initSubItems(bounds().size);
  // Tiles whose lower edge passes this line are over the bar below.
  dropLine_ = static_cast<int>(bounds().height() + 20);
}

std::weak_ptr<HomeItemViewDelegate> HomeMoveView::itemDelegate() {
  return sharedAs<HomeItemViewDelegate>();
}

void HomeMoveView::initSubItems(gfx::Size size) {
  moveEnabled_ = false;
  nHorizontalCount_ = static_cast<int>(size.width / kCellWidth);
  nVerticalCount_ = 4;
  if (nHorizontalCount_ <= 0) return;
  cellHeight_ = std::min(static_cast<double>(static_cast<int>(size.height / 4)), kMaxCellHeight);

  auto config = ConfigManager::sharedObject();
  const foundation::Value& functions = config->allMoreControllers();
  const unsigned perPage = static_cast<unsigned>(nHorizontalCount_ * nVerticalCount_);
  const unsigned pages = (static_cast<unsigned>(functions.size()) + perPage - 1) / perPage;
  scrollView_->setContentSize(gfx::Size(scrollView_->bounds().width() * pages, 0));

  // One slot per function and one more for an insertion, however long the list is.
  rectMoved_.clear();
  rectMoved_.reserve(functions.size() + 1);
  for (size_t i = 0; i < functions.size(); ++i) {
    const int n = nItemCount_;
    rectMoved_.push_back(layoutSlot(n));
    auto item = HomeItemView::create(rectMoved_.back(), kHomeItemStyleGrid);
    item->setDelegate(itemDelegate());
    item->updateWithParamDict(functions.at(i), static_cast<int>(i));
    item->setPositionID(n);
    item->setTag(kHomeMoveItemTagBase + n);
    scrollView_->addSubview(item);
    ++nItemCount_;
  }
  ensureSlots();
}

gfx::Rect HomeMoveView::layoutSlot(int n) const {
  if (nHorizontalCount_ <= 0 || n < 0) return {};
  const int perPage = nHorizontalCount_ * nVerticalCount_;
  const int page = n / perPage;
  const int column = n % nHorizontalCount_;
  const int row = (n % perPage) / nHorizontalCount_;
  return gfx::Rect(page * scrollView_->bounds().width() + kCellWidth * column, row * cellHeight_,
                   kCellWidth, cellHeight_);
}

void HomeMoveView::ensureSlots() {
  while (rectMoved_.size() < static_cast<size_t>(nItemCount_) + 1)
    rectMoved_.push_back(layoutSlot(static_cast<int>(rectMoved_.size())));
}

gfx::Rect HomeMoveView::slotRect(int position) const {
  if (position >= 0 && static_cast<size_t>(position) < rectMoved_.size())
    return rectMoved_[static_cast<size_t>(position)];
  return layoutSlot(position);
}

HomeItemView* HomeMoveView::itemWithTag(int tag) const {
  for (const auto& view : scrollView_->subviews())
    if (view->tag() == tag)
      if (auto* item = dynamic_cast<HomeItemView*>(view.get())) return item;
  return nullptr;
}

HomeItemView* HomeMoveView::itemAtPosition(int position) const {
  for (int i = 0; i < nItemCount_; ++i) {
    HomeItemView* item = itemWithTag(itemTagBase() + i);
    if (item && item->positionID() == position) return item;
  }
  return nullptr;
}

void HomeMoveView::setMoveEnabled(bool enabled) {
  moveEnabled_ = enabled;
  for (const auto& view : scrollView_->subviews()) {
    auto* item = dynamic_cast<HomeItemView*>(view.get());
    if (!item) continue;
    if (enabled)
      item->startWobble();
    else
      item->stopWobble();
  }
}

gfx::Point HomeMoveView::pagePoint(gfx::Point point) const {
  const int pageWidth = static_cast<int>(scrollView_->bounds().width());
  if (pageWidth <= 0) return point;
  return gfx::Point(static_cast<int>(point.x) % pageWidth, point.y);
}

void HomeMoveView::removeItem(HomeItemView& item) {
  if (auto delegate = delegate_.lock())
    delegate->HomeMoveViewItemRemoved(*this, item.functionID(), item.positionID(),
                                      pagePoint(item.center()));
}

std::shared_ptr<HomeItemView> HomeMoveView::newItemViewWithFunctionID(int functionID,
                                                                      const gfx::Rect& frame,
                                                                      int style) {
  auto config = ConfigManager::sharedObject();
  if (functionID != -1 && !config->isValidFunctionID(functionID)) return nullptr;
  auto item = HomeItemView::create(frame, style);
  item->setDelegate(itemDelegate());
  if (functionID == -1)
    item->updateToEmptyItem();
  else
    item->updateWithParamDict(config->functionAt(functionID), functionID);
  return item;
}

void HomeMoveView::addItem(int functionID, int slot, gfx::Point startPoint) {
  slot = std::clamp(slot, 0, nItemCount_);
  auto item = newItemViewWithFunctionID(functionID, slotRect(slot), itemStyle());
  if (!item) {
    foundation::logError("HomeMoveView::addItem: no function %d", functionID);
    return;
  }
  const bool grid = itemStyle() != kHomeItemStyleBar;
  if (grid) {
    item->setCenter(startPoint);
    item->startWobble();
  }
  scrollView_->addSubview(item);
  ++nItemCount_;
  ensureSlots();

  ui::View::beginAnimations(kAnimationMoveEnd);
  ui::View::setAnimationDuration(kMoveDuration);
  ui::View::setAnimationCurve(ui::AnimationCurve::EaseOut);
  ui::View::setAnimationDelegate(sharedAs<ui::AnimationDelegate>());
  int freeTag = -1;
  for (int i = 0; i <= nItemCount_; ++i) {
    HomeItemView* other = itemWithTag(itemTagBase() + i);
    if (!other) {
      if (freeTag < 0) freeTag = itemTagBase() + i;
      continue;
    }
    if (other->positionID() >= slot) {
      other->setPositionID(other->positionID() + 1);
      other->setFrame(slotRect(other->positionID()));
    }
  }
  item->setPositionID(slot);
  item->setFrame(slotRect(slot));
  item->setTag(freeTag);
  ui::View::commitAnimations();
}

void HomeMoveView::moveItem(HomeItemView& item, int slot, int status) {
  if (slot >= nItemCount_) slot = nItemCount_ - 1;
  if (slot < 0) return;
  if (status == kHomeItemTouchMoved) {
    const int from = item.positionID();
    ui::View::beginAnimations();
    ui::View::setAnimationDuration(kMoveDuration);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseOut);
    for (const auto& view : scrollView_->subviews()) {
      auto* other = dynamic_cast<HomeItemView*>(view.get());
      if (!other || other == &item) continue;
      const int position = other->positionID();
      if (slot < from && position >= slot && position < from) {
        other->setPositionID(position + 1);
        other->setFrame(slotRect(position + 1));
      } else if (slot > from && position > from && position <= slot) {
        other->setPositionID(position - 1);
        other->setFrame(slotRect(position - 1));
      }
    }
    item.setPositionID(slot);
    ui::View::commitAnimations();
  } else if (status == kHomeItemTouchEnded) {
    ui::View::beginAnimations(kAnimationMoveEnd);
    ui::View::setAnimationDuration(kMoveDuration);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseOut);
    ui::View::setAnimationDelegate(sharedAs<ui::AnimationDelegate>());
    item.setFrame(slotRect(slot));
    ui::View::commitAnimations();
  }
}

void HomeMoveView::animationDidStop(const std::string& name, bool, void*) {
  if (name == kAnimationMoveEnd) saveItemsFunctionInfo();
}

bool HomeMoveView::HomeItemMoveEnabled(HomeItemView& item) {
  if (item.itemStyle() == kHomeItemStyleBar) return false;
  return moveEnabled_;
}

void HomeMoveView::HomeItemMoved(HomeItemView& item, int dx, int dy, int status) {
  // The delegate may close the screen; keep this view and the tile alive until the end.
  auto self = sharedView();
  auto hold = item.sharedView();
  auto delegate = delegate_.lock();
  if (!moveEnabled_) {
    if (status == kHomeItemTouchEnded && delegate)
      delegate->HomeMoveViewItemClicked(*this, item.functionID(), item.positionID());
    return;
  }
  const gfx::Point c = item.center().offset(dx, dy);
  const double lowerEdge = c.y + item.bounds().height() / 2;
  if (status == kHomeItemTouchBegan) {
    tilePressed_ = true;
    tilePressPoint_ = scrollView_->convertPointToView(item.startPoint(), nullptr);
  } else if (status == kHomeItemTouchEnded) {
    tilePressed_ = false;
  }
  if (status == kHomeItemTouchMoved) {
    scrollView_->stopScrolling();
    scrollView_->setScrollEnabled(false);
    // The dragged tile passes over its neighbours.
    scrollView_->bringSubviewToFront(&item);
    item.setCenter(c);
    for (int k = 0; k < nItemCount_; ++k) {
      if (slotRect(k).contains(c)) break;
      const bool overBar = lowerEdge > dropLine_;
      if (delegate) delegate->HomeMoveViewRefreshInsteadItem(overBar, pagePoint(c));
      if (overBar) break;
    }
  } else if (status == kHomeItemTouchEnded) {
    scrollView_->setScrollEnabled(true);
    if (lowerEdge > dropLine_ && delegate &&
        delegate->HomeMoveViewItemShouldRemove(*this, item.positionID(), pagePoint(c)))
      removeItem(item);
    if (delegate) delegate->HomeMoveViewRefreshInsteadItem(false, gfx::Point(0, 0));
    moveItem(item, item.positionID(), kHomeItemTouchEnded);
  }
}

foundation::Array HomeMoveView::readItemsFunctionInfo() {
  foundation::Array ids;
  const int count = ConfigManager::sharedObject()->functionCount();
  ids.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) ids.emplace_back(i);
  return ids;
}

void HomeMoveView::updateItemStatusAfterLogin(bool notLoggedIn) {
  auto config = ConfigManager::sharedObject();
  for (const auto& view : scrollView_->subviews()) {
    auto* item = dynamic_cast<HomeItemView*>(view.get());
    if (item && config->functionClassName(item->functionID()) == kAccountClass)
      item->updateWithTitle(notLoggedIn ? kLoginTitle : kLogoutTitle);
  }
}

int HomeMoveView::getRectIndexFromPoint(gfx::Point point) {
  for (int k = 0; k < nItemCount_; ++k)
    if (slotRect(k).contains(point)) return k;
  return -1;
}
