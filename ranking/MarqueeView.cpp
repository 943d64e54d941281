#include "ranking/MarqueeView.h"

#include <cmath>
#include <cstring>

#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Label.h"
#include "platform/ui/Touch.h"
#include "shell/Extend.h"
#include "shell/ThreadAction.h"
#include "widgets/QuoteColors.h"

namespace {

struct TickerIndex {
  const char* code;
  uint8_t market;
  uint8_t type;
  const char* name;
};
constexpr TickerIndex kTickerIndices[3] = {
    {"000001", 1, 1, "沪"}, {"399001", 2, 1, "深"}, {"999999", 3, 1, "港"}};

// Tag, x and width of the row's labels.
struct Slot {
  int tag;
  double x;
  double width;
};
constexpr Slot kSlots[7] = {{1, 4, 16},   {2, 20, 60},  {3, 80, 52}, {4, 132, 52},
                            {5, 184, 58}, {6, 244, 36}, {7, 282, 36}};

}  // namespace

// --- IndexItemView -------------------------------------------------------------------------------

IndexItemView::IndexItemView(const gfx::Rect& frame) : TableCell(frame) {
  for (const Slot& slot : kSlots) {
    auto label = ui::Label::create(gfx::Rect(slot.x, 0, slot.width, kRowHeight));
    label->setTag(slot.tag);
    label->setFont(slot.tag == 1 ? gfx::Font::boldSystemFont(13) : gfx::Font::systemFont(12));
    label->setTextColor(gfx::Color::white());
    label->setBackgroundColor(gfx::Color::clear());
    label->setAdjustsFontSizeToFitWidth(true);
    label->setTextAlignment(slot.tag == 1 ? gfx::TextAlignment::Left : gfx::TextAlignment::Right);
    ui::View::addSubview(label);
  }
}

std::shared_ptr<IndexItemView> IndexItemView::create() {
  auto view = std::make_shared<IndexItemView>();
  view->awakeFromNib();
  return view;
}

void IndexItemView::drawRect(gfx::Context&, const gfx::Rect&) {}

void IndexItemView::updateName(const std::string& name) {
  if (auto* l = label(1)) l->setText(name);
}

std::string IndexItemView::getUpString(const std::string& text, int zd) {
  return zd >= 1 ? "+" + text : text;
}

void IndexItemView::updateItemData(const tagLocalStockData& rec) {
  const int d = rec.pricedot;
  const gfx::Color c = widgets::UpDownColor(rec.zd);
  auto set = [this](int tag, const std::string& text, const gfx::Color& color) {
    if (auto* l = label(tag)) {
      l->setText(text);
      l->setTextColor(color);
    }
  };
  set(2, FormatPriceString(rec.now, 8, d, rec.now), c);
  set(3, getUpString(FormatPriceString(rec.zd, 8, d, rec.now), rec.zd), c);
  set(4, getUpString(FormatValueString(rec.zd, rec.yesterday, rec.now), rec.zd), c);
  set(5, FormatAmountString(rec.market, rec.amount, 100, 6), widgets::PaleYellowColor());
  set(6, std::to_string(rec.index_up) + "↑", widgets::UpDownColor(1));
  set(7, std::to_string(rec.index_down) + "↓", widgets::UpDownColor(-1));
}

void IndexItemView::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
  touchStrayed_ = false;
  if (!touches.empty()) touchStart_ = touches.front()->locationInView(nullptr);
  auto delegate = indexDelegate_.lock();
  if (delegate && indexPath())
    delegate->indexMarqueeTouchWillTouchWithIndexPath(*this, indexPath()->row);
  TableCell::touchesBegan(touches, event);
}

void IndexItemView::followTouch(const ui::TouchSet& touches) {
  if (touches.empty()) return;
  const gfx::Point p = touches.front()->locationInView(nullptr);
  if (std::hypot(p.x - touchStart_.x, p.y - touchStart_.y) >
      ui::TapGestureRecognizer::kAllowableMovement)
    touchStrayed_ = true;
}

void IndexItemView::touchesMoved(const ui::TouchSet& touches, const ui::Event& event) {
  followTouch(touches);
  TableCell::touchesMoved(touches, event);
}

void IndexItemView::touchesEnded(const ui::TouchSet& touches, const ui::Event& event) {
  auto keep = sharedAs<ui::View>();
  followTouch(touches);
  auto delegate = indexDelegate_.lock();
  if (delegate && indexPath() && !touchStrayed_)
    delegate->indexMarqueeTouchDidTouchWithIndexPath(*this, indexPath()->row);
  TableCell::touchesEnded(touches, event);
}

// --- IndexMarquee --------------------------------------------------------------------------------

IndexMarquee::IndexMarquee(const gfx::Rect& frame) : ui::View(frame) {
  build(frame.width());
}

std::shared_ptr<IndexMarquee> IndexMarquee::create(const gfx::Rect& frame) {
  return std::make_shared<IndexMarquee>(frame);
}

IndexMarquee::~IndexMarquee() {
  if (isScroll_) Extend::unscheduleUpdate(this);
}

void IndexMarquee::build(double width) {
  setDPCode(true);
  indexCells_.clear();
  scrollView_ = ui::ScrollView::create(gfx::Rect(0, 1, width, IndexItemView::kRowHeight));
  scrollView_->setContentSize(gfx::Size(width, m_DPNum * IndexItemView::kRowHeight));
  scrollView_->setPagingEnabled(true);
  scrollView_->setCanCancelContentTouches(false);
  scrollView_->setShowsHorizontalScrollIndicator(false);
  scrollView_->setShowsVerticalScrollIndicator(false);
  for (int i = 0; i < m_DPNum; ++i) {
    auto row = std::dynamic_pointer_cast<IndexItemView>(
        TableCell::defaultUsingXIB("tableViewCellContent", 12, this));
    if (!row) row = IndexItemView::create();
    row->setFrame(gfx::Rect(0, i * IndexItemView::kRowHeight, width, IndexItemView::kRowHeight));
    row->updateIndexPath(ui::IndexPath::forRow(i, 0));
    row->updateName(kTickerIndices[i].name);
    scrollView_->addSubview(row);
    indexCells_.push_back(row);
  }
  addSubview(scrollView_);
  scrollTime_ = 0;
  showIndex_ = 0;
  isScroll_ = false;
  scrollFlag_ = true;
  updateData();
}

void IndexMarquee::setFrame(const gfx::Rect& frame) {
  ui::View::setFrame(frame);
}

void IndexMarquee::setDelegate(std::weak_ptr<IndexMarqueeDelegate> delegate) {
  for (auto& row : indexCells_) row->setIndexDelegate(delegate);
}

void IndexMarquee::setDPCode(bool withHongKong) {
  m_DPNum = withHongKong ? 3 : 2;
}

void IndexMarquee::start() {
  if (isScroll_) return;
  Extend::scheduleUpdate(std::dynamic_pointer_cast<TickTarget>(sharedAs<ui::View>()));
  isScroll_ = true;
}

void IndexMarquee::clear() {
  Extend::unscheduleUpdate(this);
  isScroll_ = false;
}

void IndexMarquee::updateObject(float seconds) {
  scrollTime_ += seconds;
  if (scrollTime_ > kRollSeconds) {
    scrollTime_ = 0;
    scrollNext();
  }
}

void IndexMarquee::scrollNext() {
  ++showIndex_;
  if (showIndex_ > m_DPNum - 1) {
    showIndex_ = 0;
    // The first row enters from above: jump to one row over it, then roll down onto it.
    scrollView_->setContentOffset(gfx::Point(0, -IndexItemView::kRowHeight), false);
  }
  scrollView_->setContentOffset(gfx::Point(0, showIndex_ * IndexItemView::kRowHeight), true);
}

void IndexMarquee::updateData() {
  for (size_t i = 0; i < indexCells_.size() && i < 3; ++i) {
    tagLocalStockData rec{};
    QuoteCache_GetTickerQuote(rec, kTickerIndices[i].market, kTickerIndices[i].code);
    indexCells_[i]->updateItemData(rec);
  }
}

IndexItemView* IndexMarquee::cell(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= indexCells_.size()) return nullptr;
  return indexCells_[static_cast<size_t>(row)].get();
}

// --- MoveView ------------------------------------------------------------------------------------

MoveView::MoveView(const gfx::Rect& frame) : ui::View(frame) {
  backImageView_ = ui::ImageView::create(gfx::Rect(0, 0, frame.width(), frame.height()));
  backImageView_->setImage(gfx::Image::named("list_background.png"));
  ui::View::addSubview(backImageView_);
  moveReadlyView_ = ui::View::create(gfx::Rect(0, 0, frame.width(), frame.height()));
  moveReadlyView_->setClipsToBounds(true);
  ui::View::addSubview(moveReadlyView_);
}

std::shared_ptr<MoveView> MoveView::create(const gfx::Rect& frame) {
  return std::make_shared<MoveView>(frame);
}

MoveView::~MoveView() {
  for (auto& view : moveViews_) Extend::unscheduleAllActionsWithNoClean(view.get());
}

void MoveView::addSubview(const ui::ViewPtr& view) {
  if (!view) return;
  if (view == backImageView_ || view == moveReadlyView_) {
    ui::View::addSubview(view);
    return;
  }
  moveViews_.push_back(view);
  moveReadlyView_->addSubview(view);
}

void MoveView::setFrame(const gfx::Rect& frame) {
  ui::View::setFrame(frame);
  if (backImageView_) backImageView_->setFrame(gfx::Rect(0, 0, frame.width(), frame.height()));
  if (moveReadlyView_) moveReadlyView_->setFrame(gfx::Rect(0, 0, frame.width(), frame.height()));
}

void MoveView::setBgHidden(bool hidden) {
  backImageView_->setHidden(hidden);
}

void MoveView::start() {
  pauseAllActions();
  clearActionWithClean(false);
  go();
}

void MoveView::go() {
  // Side by side from the right edge; each drifts past the left edge at the same speed and
  // starts over, so the row takes `duration_` seconds to cross the view.
  const double width = bounds().width();
  const double speed = width > 0 && duration_ > 0 ? width / duration_ : 10;
  double x = width;
  for (auto& view : moveViews_) {
    const gfx::Rect f = view->frame();
    const gfx::Point begin(x + f.width() / 2, f.y() + f.height() / 2);
    const gfx::Point end(-f.width() / 2, begin.y);
    view->setCenter(begin);
    const float seconds = static_cast<float>((begin.x - end.x) / speed);
    Extend::scheduleAction(view, Repeat::create({MoveTo::create(seconds, begin, end)}));
    x += f.width() + 10;
  }
}

void MoveView::clear() {
  pauseAllActions();
  clearActionWithClean(true);
  moveViews_.clear();
}

void MoveView::clearActionWithClean(bool clean) {
  for (auto& view : moveViews_) {
    if (clean) {
      Extend::unscheduleAllActions(view.get());
    } else {
      Extend::unscheduleAllActionsWithNoClean(view.get());
    }
  }
}

void MoveView::pauseAllActions() {
  for (auto& view : moveViews_) Extend::pauseAllActions(view.get());
}

void MoveView::resumeAllActions() {
  for (auto& view : moveViews_) Extend::resumeAllActions(view.get());
}

void MoveView::updateMoveSizeWidth(double width) {
  const gfx::Rect f = frame();
  setFrame(gfx::Rect(f.x(), f.y(), width - 10, f.height()));
}

// --- MarqueeView ---------------------------------------------------------------------------------

MarqueeView::MarqueeView(const gfx::Rect& frame) : ui::View(frame) {
  bgImageView_ = ui::ImageView::create(gfx::Rect(0, 0, frame.width(), frame.height()));
  bgImageView_->setImage(gfx::Image::named("bg_marquee.png"));
  bgImageView_->setContentMode(ui::ContentMode::ScaleToFill);
  addSubview(bgImageView_);
  setBackgroundColor(gfx::Color::rgb255(10, 18, 26));
  indexMarquee_ = IndexMarquee::create(gfx::Rect(frame.x(), 0, 320, frame.height()));
  indexMarquee_->setTag(kIndexMarqueeTag);
  addSubview(indexMarquee_);
}

std::shared_ptr<MarqueeView> MarqueeView::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<MarqueeView>(frame);
}

MarqueeView::~MarqueeView() {
  if (indexMarquee_) indexMarquee_->clear();
}

void MarqueeView::setFrame(const gfx::Rect& frame) {
  ui::View::setFrame(frame);
  if (bgImageView_) bgImageView_->setFrame(gfx::Rect(0, 0, frame.width(), frame.height()));
}

void MarqueeView::updateIndex() {
  if (indexMarquee_) indexMarquee_->updateData();
}

void MarqueeView::start() {
  if (moveView_) moveView_->start();
  if (indexMarquee_) indexMarquee_->start();
}

void MarqueeView::setIndexDelegate(std::weak_ptr<IndexMarqueeDelegate> delegate) {
  if (indexMarquee_) indexMarquee_->setDelegate(std::move(delegate));
}

void MarqueeView::pauseAllActions() {
  Extend::pauseAllActions(this);
  if (moveView_) moveView_->pauseAllActions();
}

void MarqueeView::resumeAllActions() {
  Extend::resumeAllActions(this);
  if (moveView_) moveView_->resumeAllActions();
}

void MarqueeView::ButtonAction(ui::Button& button) {
  auto keep = sharedAs<ui::View>();
  if (auto delegate = delegate_.lock()) delegate->MarqueeViewClicked(*this, button);
}

void MarqueeView::updateMoveSizeWidth(double width) {
  if (!moveView_) return;
  moveView_->setFrame(gfx::Rect(320, 0, width - 320, moveView_->frame().height()));
}

void MarqueeView::setMoveView(std::shared_ptr<MoveView> view) {
  if (moveView_) moveView_->removeFromSuperview();
  moveView_ = std::move(view);
  if (moveView_) addSubview(moveView_);
}

void MarqueeView::setIndexMarquee(std::shared_ptr<IndexMarquee> marquee) {
  if (indexMarquee_) {
    indexMarquee_->clear();
    indexMarquee_->removeFromSuperview();
  }
  indexMarquee_ = std::move(marquee);
  if (indexMarquee_) addSubview(indexMarquee_);
}
