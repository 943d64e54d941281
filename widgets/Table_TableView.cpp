#include "widgets/Table_TableView.h"

#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Label.h"
#include "widgets/QuoteColors.h"

namespace {

// The strip an opened row's panel lies in: it moves with the rows and cuts the panel where the
// rows are cut (under the titles), and takes no touch of its own, so the rows under it keep
// theirs.
class RowPanelStrip : public ui::ScrollView {
 public:
  using ui::ScrollView::ScrollView;
  ui::View* hitTest(gfx::Point point, const ui::Event* event) override {
    ui::View* hit = ui::ScrollView::hitTest(point, event);
    return hit == this ? nullptr : hit;
  }
};

}  // namespace

Table_TableView::Table_TableView(const gfx::Rect& frame) : ui::View(frame) {}

Table_TableView::~Table_TableView() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

std::shared_ptr<Table_TableView> Table_TableView::create(const gfx::Rect& frame) {
  auto view = std::make_shared<Table_TableView>(frame);
  // Made from its interface: attributes first, then the subview tree.
  view->initAuttribute();
  view->buildInterface();
  return view;
}

std::shared_ptr<CustomTableView> Table_TableView::makeTable(int tag) {
  auto table = CustomTableView::create(gfx::Rect(0, 0, 100, 100));
  table->setTag(tag);
  table->setDataSource(sharedAs<Table_TableView>());
  table->setDelegate(sharedAs<Table_TableView>());
  table->setBackgroundColor(gfx::Color::clear());
  table->setSeparatorColor(gfx::Color::rgb255(40, 44, 52));
  // Pulls page the list even when its rows do not fill it.
  table->setAlwaysBounceVertical(true);
  return table;
}

void Table_TableView::buildInterface() {
  const gfx::Rect b = bounds();
  setBackgroundColor(gfx::Color::black());
  // The refresh strips and the opened row's panel move with the rows; whatever of them passes
  // the top edge must not be drawn over the bars above the list.
  setClipsToBounds(true);

  backgroundScrollView_ = ui::ScrollView::create(b);
  backgroundScrollView_->setUserInteractionEnabled(false);
  addSubview(backgroundScrollView_);

  leftTableView_ = makeTable(kLeftTableTag);
  leftTableView_->setFrame(gfx::Rect(0, 0, 80, b.height()));
  addSubview(leftTableView_);

  auto rightScroll =
      ui::ScrollView::create(gfx::Rect(80, 0, std::max(0.0, b.width() - 80), b.height()));
  rightScroll->setTag(kRightScrollViewTag);
  rightScroll->setDelegate(sharedAs<Table_TableView>());
  rightScroll->setBackgroundColor(gfx::Color::clear());
  rightScroll->setShowsVerticalScrollIndicator(false);
  rightTableView_ = makeTable(kRightTableTag);
  rightTableView_->setFrame(gfx::Rect(0, 0, rightScroll->frame().width(), b.height()));
  rightScroll->addSubview(rightTableView_);
  addSubview(rightScroll);

  // In front and not clipping: the refresh strips live in it and reach over the whole width.
  descriptionTableView_ = makeTable(kDescriptionTableTag);
  descriptionTableView_->setFrame(gfx::Rect(b.width(), 0, 0, b.height()));
  descriptionTableView_->setClipsToBounds(false);
  addSubview(descriptionTableView_);

  auto noData = ui::View::create(b);
  noData->setTag(kNoDataViewTag);
  noData->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
  noData->setUserInteractionEnabled(false);
  auto noDataLabel = ui::Label::create(gfx::Rect(0, b.height() / 2 - 15, b.width(), 30));
  noDataLabel->setAutoresizingMask(ui::Autoresizing::FlexibleWidth |
                                   ui::Autoresizing::FlexibleTopMargin |
                                   ui::Autoresizing::FlexibleBottomMargin);
  noDataLabel->setText("暂无数据");
  noDataLabel->setTextColor(gfx::Color::grey(0.6));
  noDataLabel->setTextAlignment(gfx::TextAlignment::Center);
  noDataLabel->setFont(gfx::Font::systemFont(16));
  noData->addSubview(noDataLabel);
  noData->setHidden(true);
  addSubview(noData);

  auto strip = std::make_shared<RowPanelStrip>(b);
  strip->setScrollEnabled(false);
  strip->setShowsHorizontalScrollIndicator(false);
  strip->setShowsVerticalScrollIndicator(false);
  strip->setBackgroundColor(gfx::Color::clear());
  extendedStrip_ = strip;
  auto extended = ui::View::create(gfx::Rect(0, 0, b.width(), 50));
  extended->setTag(kExtendedViewTag);
  extended->setBackgroundColor(gfx::Color::grey(0.15, 0.95));
  extended->setHidden(true);
  extendedStrip_->addSubview(extended);
  addSubview(extendedStrip_);
}

void Table_TableView::initAuttribute() {
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.removeObserversOf(this);
  std::weak_ptr<Table_TableView> weak = sharedAs<Table_TableView>();
  center.addObserver(this, kCellTouchBeginNotification,
                     [weak](const foundation::Notification& notification) {
                       if (auto self = weak.lock()) self->receiveTouchBegin(notification);
                     });
  pullRefurbish(false);
  autoReloading_ = true;
  loading_ = false;
  showNoDataMsg_ = false;
  showNoticeAboutCanMove_ = false;
  nextReloading_ = false;
  preReloading_ = false;
  showCanMoveLeftImageView_ = ui::ImageView::create(gfx::Image::named("arrow_left.png"));
  showCanMoveRightImageView_ = ui::ImageView::create(gfx::Image::named("arrow_right.png"));
}

void Table_TableView::setFrame(const gfx::Rect& frame) {
  const double oldHeight = this->frame().height();
  ui::View::setFrame(frame);
  if (backgroundScrollView_) backgroundScrollView_->setFrame(bounds());
  if (frame.height() != oldHeight) fitPartsToHeight();
}

void Table_TableView::fitPartsToHeight() {
  // The parts do not clip against this view: grown past its bottom they would be drawn where no
  // touch reaches them, shrunk above it they would leave rows undrawn. Each keeps its top and
  // ends at this view's bottom, so every row drawn takes its touches.
  if (!leftTableView_) return;
  const double h = bounds().height();
  auto fit = [h](ui::View& part) {
    const gfx::Rect f = part.frame();
    part.setFrame(gfx::Rect(f.x(), f.y(), f.width(), std::max(0.0, h - f.y())));
  };
  fit(*leftTableView_);
  fit(*descriptionTableView_);
  if (ui::ScrollView* rightScroll = rightScrollView()) {
    fit(*rightScroll);
    rightScroll->setContentSize(
        gfx::Size(rightScroll->contentSize().width, rightScroll->frame().height()));
    const gfx::Rect f = rightTableView_->frame();
    rightTableView_->setFrame(
        gfx::Rect(f.x(), f.y(), f.width(), std::max(0.0, rightScroll->frame().height() - f.y())));
  }
}

void Table_TableView::setViewCornerRadius(bool rounded) {
  if (!rounded) return;
  layer().setCornerRadius(8.0);
}

void Table_TableView::setRefreshStatusTextColor(const gfx::Color& color) {
  if (preRefreshHeaderView_) preRefreshHeaderView_->updateContentColor(color);
  if (nextRefreshHeaderView_) nextRefreshHeaderView_->updateContentColor(color);
}

// --- layout -------------------------------------------------------------------------------------

void Table_TableView::updateView() {
  auto delegate = delegate_.lock();
  if (!delegate) return;
  auto keep = sharedView();
  ui::ScrollView* rightScroll = rightScrollView();
  if (cellIdentify_.empty()) cellIdentify_ = "cellIdentify";

  const double th = delegate->titleHeightForTable_TableView(*this).value_or(0);
  titleHeight_ = std::max(0.0, th);

  double dw = delegate->widthForDescriptionAboutTableTableView(*this).value_or(0);
  if (dw <= 0) {
    descriptionTableView_->setHidden(true);
  } else {
    // A sliver of 1 or less is no column at all: the table only carries the refresh strips.
    if (dw <= 1) dw = 0;
    descriptionTableView_->setHidden(false);
    descriptionTableView_->setFrame(gfx::Rect(frame().width() - dw, th, dw, frame().height() - th));
  }

  double lw = 0;
  if (auto left = delegate->leftWidthForTable_TableView(*this)) {
    lw = *left;
    const double w = frame().width(), h = frame().height();
    leftTableView_->setFrame(gfx::Rect(0, th, lw, h - th));
    rightScroll->setFrame(gfx::Rect(lw, 0, w - lw, h));
    rightTableView_->setFrame(gfx::Rect(0, th, w - lw, h - th));
  }
  if (auto right = delegate->rightWidthForTable_TableView(*this))
    rightTableView_->setFrame(gfx::Rect(0, th, *right + dw, frame().height() - th));

  rightScroll->setAutoresizingMask(ui::Autoresizing::FlexibleWidth |
                                   ui::Autoresizing::FlexibleBottomMargin);
  if (auto content = delegate->rightContentWidthForTable_TableView(*this))
    rightScroll->setFrame(gfx::Rect(lw, 0, *content, rightScroll->frame().height()));

  const double cw = delegate->contentWidthFortableTableView(*this).value_or(480);
  rightScroll->setContentSize(gfx::Size(cw, rightScroll->frame().height()));
  rightScroll->setContentOffset(gfx::Point(0, 0), false);

  if (th != 0) {
    if (th > 0) {
      if (auto title = delegate->titleViewForTable_TableViewRightView(*this)) {
        if (ui::View* old = viewWithTag(kRightTitleTag)) old->removeFromSuperview();
        // The scrolling titles move sideways with their columns inside a strip of their own,
        // which cuts them at the fixed column as the rows are cut (they never pass under it).
        if (!rightTitleScroll_) {
          rightTitleScroll_ = ui::ScrollView::create(gfx::Rect());
          rightTitleScroll_->setScrollEnabled(false);
          rightTitleScroll_->setShowsHorizontalScrollIndicator(false);
          rightTitleScroll_->setShowsVerticalScrollIndicator(false);
          rightTitleScroll_->setBackgroundColor(gfx::Color::clear());
        }
        rightTitleScroll_->setFrame(
            gfx::Rect(rightScroll->frame().x(), 0, rightScroll->frame().width(), th));
        rightTitleScroll_->setContentSize(gfx::Size(rightScroll->contentSize().width, th));
        rightTitleScroll_->setContentOffset(gfx::Point(rightScroll->contentOffset().x, 0), false);
        title->setFrame(gfx::Rect(0, 0, rightScroll->contentSize().width, th));
        title->setTag(kRightTitleTag);
        rightTitleScroll_->addSubview(title);
        addSubview(rightTitleScroll_);
      }
    }
    if (th > 0 && lw > 0) {
      if (auto title = delegate->titleViewForTable_TableViewLeftView(*this)) {
        if (ui::View* old = viewWithTag(kLeftTitleTag)) old->removeFromSuperview();
        title->setFrame(gfx::Rect(0, 0, lw, th));
        // The scrolling titles pass under the fixed one: it hides them whole (on the view's own
        // black), as the fixed column hides the scrolling rows.
        if (title->backgroundColor().isClear()) title->setBackgroundColor(gfx::Color::black());
        title->setTag(kLeftTitleTag);
        addSubview(title);
      }
    }
    std::shared_ptr<ui::View> descTitle;
    if (th > 0 && dw > 0) descTitle = delegate->titleViewForTable_TableViewDescView(*this);
    if (ui::View* old = viewWithTag(kDescriptionTitleTag)) old->removeFromSuperview();
    if (descTitle) {
      descTitle->setFrame(gfx::Rect(descriptionTableView_->frame().x(), 0, dw, th));
      descTitle->setTag(kDescriptionTitleTag);
      addSubview(descTitle);
    }
  }

  if (nextRefreshHeaderView_) {
    const gfx::Rect f = nextRefreshHeaderView_->frame();
    nextRefreshHeaderView_->setFrame(gfx::Rect(f.x(), f.y(), frame().width(), kHeaderHeight));
  }
}

void Table_TableView::reloadView() {
  auto keep = sharedView();
  leftTableView_->reloadData();
  rightTableView_->reloadData();
  descriptionTableView_->reloadData();
  if (nextRefreshHeaderView_) {
    const double dW = descriptionTableView_->frame().width();
    const double W = frame().width();
    nextRefreshHeaderView_->setFrame(
        gfx::Rect(dW - W, descriptionTableView_->contentSize().height, W, kHeaderHeight));
  }
}

// --- paging -------------------------------------------------------------------------------------

void Table_TableView::updateRefreshStatus(int bits) {
  const double dW = descriptionTableView_->frame().width();
  const double W = frame().width();
  if ((bits & 1) && !preRefreshHeaderView_) {
    preReloading_ = false;
    preRefreshHeaderView_ =
        EGORefreshTableHeaderView::create(gfx::Rect(dW - W, -kHeaderHeight, W, kHeaderHeight));
    preRefreshHeaderView_->setDelegate(sharedAs<Table_TableView>());
    preRefreshHeaderView_->updateEGORefreashType(EGORefreshTableHeaderView::TopForm);
    descriptionTableView_->addSubview(preRefreshHeaderView_);
    showTopStripWhenPulled();
  }
  if (bits & 2) {
    if (nextRefreshHeaderView_) {
      nextRefreshHeaderView_->setFrame(
          gfx::Rect(dW - W, descriptionTableView_->contentSize().height, W, kHeaderHeight));
    } else {
      nextReloading_ = false;
      nextRefreshHeaderView_ =
          EGORefreshTableHeaderView::create(gfx::Rect(dW - W, 200, W, kHeaderHeight));
      nextRefreshHeaderView_->setDelegate(sharedAs<Table_TableView>());
      // Behind the rows.
      descriptionTableView_->insertSubview(nextRefreshHeaderView_, 0);
      nextRefreshHeaderView_->setHidden(true);
    }
  }
}

void Table_TableView::updateRefreshLoading(bool loading, int status) {
  if (status == 1) preReloading_ = loading;
  if (status == 2) nextReloading_ = loading;
}

void Table_TableView::hiddenRefreashHeaderView(int status, bool hidden) {
  if (status == 1 && preRefreshHeaderView_) preRefreshHeaderView_->setHidden(hidden);
  if (status == 2 && nextRefreshHeaderView_) nextRefreshHeaderView_->setHidden(hidden);
}

void Table_TableView::updateRefreshContent(const std::string& text, int status) {
  if (status == 1 && preRefreshHeaderView_) preRefreshHeaderView_->updateContentType(text);
  if (status == 2 && nextRefreshHeaderView_) nextRefreshHeaderView_->updateContentType(text);
}

void Table_TableView::showTopStripWhenPulled() {
  // The top strip waits above the first row, under the titles and the bars above the list: it
  // is seen only while the rows are pulled down to it, or while it loads.
  if (!preRefreshHeaderView_ || !rightTableView_) return;
  const bool pulled = rightTableView_->contentOffset().y < 0 ||
                      preRefreshHeaderView_->state() == EGORefreshTableHeaderView::Loading;
  preRefreshHeaderView_->setAlpha(pulled ? 1 : 0);
}

void Table_TableView::reloadDataDidEnd(int status) {
  auto keep = sharedView();
  const bool short_ = rightTableView_->contentSize().height < frame().height();
  if (status == 1) {
    if (preRefreshHeaderView_)
      preRefreshHeaderView_->egoRefreshScrollViewDataSourceDidFinishedLoading(*rightTableView_);
    showTopStripWhenPulled();
    if (nextRefreshHeaderView_ && short_) nextRefreshHeaderView_->setHidden(true);
  } else if (status == 2 && nextRefreshHeaderView_) {
    if (short_) {
      nextRefreshHeaderView_->setHidden(true);
    } else {
      nextRefreshHeaderView_->setHidden(false);
      nextRefreshHeaderView_->egoRefreshScrollViewDataSourceDidFinishedLoading(*rightTableView_);
    }
  }
}

// --- rows ---------------------------------------------------------------------------------------

void Table_TableView::scrollToTopRow() {
  auto keep = sharedView();
  for (ui::TableView* table : {static_cast<ui::TableView*>(rightTableView_.get()),
                               static_cast<ui::TableView*>(leftTableView_.get()),
                               static_cast<ui::TableView*>(descriptionTableView_.get())}) {
    if (table->numberOfSections() >= 1 && table->numberOfRowsInSection(0) >= 1)
      table->scrollToRowAtIndexPath(ui::IndexPath::forRow(0, 0), ui::TableViewScrollPosition::Top,
                                    true);
  }
}

void Table_TableView::initSelect(int row) {
  auto keep = sharedView();
  for (ui::TableView* table : {static_cast<ui::TableView*>(leftTableView_.get()),
                               static_cast<ui::TableView*>(rightTableView_.get()),
                               static_cast<ui::TableView*>(descriptionTableView_.get())}) {
    if (table->numberOfSections() >= 1 && row >= 0 && row < table->numberOfRowsInSection(0))
      table->selectRowAtIndexPath(ui::IndexPath::forRow(row, 0), false,
                                  ui::TableViewScrollPosition::Top);
  }
}

void Table_TableView::updateCellHeight(int height, const ui::IndexPath& path) {
  auto keep = sharedView();
  for (ui::TableView* table : {static_cast<ui::TableView*>(rightTableView_.get()),
                               static_cast<ui::TableView*>(leftTableView_.get())}) {
    ui::TableViewCell* cell = table->cellForRowAtIndexPath(path);
    table->deselectRowAtIndexPath(path, false);
    if (cell) {
      const gfx::Rect f = cell->frame();
      cell->setFrame(gfx::Rect(f.x(), f.y(), f.width(), height));
    }
  }
  rightTableView_->beginUpdates();
  leftTableView_->beginUpdates();
  descriptionTableView_->beginUpdates();
  rightTableView_->endUpdates();
  leftTableView_->endUpdates();
  descriptionTableView_->endUpdates();
}

void Table_TableView::upateExtentedViewCellFrame(const gfx::Rect& r) {
  extentedViewSelectCellY_ = r.y();
  ui::View* extended = extentedView();
  if (!extended) return;
  // The strip covers the rows (below the titles); the panel stands at its row's place in the
  // rows' own coordinates, and the strip follows the rows as they scroll.
  const gfx::Rect b = bounds();
  extendedStrip_->setFrame(
      gfx::Rect(0, titleHeight_, b.width(), std::max(0.0, b.height() - titleHeight_)));
  extendedStrip_->setContentSize(
      gfx::Size(b.width(), std::max(extendedStrip_->bounds().height(), r.maxY() - titleHeight_)));
  extended->setFrame(gfx::Rect(r.x(), r.y() - titleHeight_, r.width(), r.height()));
  extendedStrip_->setContentOffset(gfx::Point(0, rightTableView_->contentOffset().y), false);
  bringSubviewToFront(extendedStrip_.get());
  // The panel scrolls with its row: it passes under the column titles as the rows do.
  for (int tag : {kRightTitleTag, kLeftTitleTag, kDescriptionTitleTag}) {
    ui::View* title = viewWithTag(tag);
    while (title && title->superview() != this) title = title->superview();
    if (title) bringSubviewToFront(title);
  }
}

void Table_TableView::upateExtentedViewContentOffset() {
  ui::View* extended = extentedView();
  if (!extended || extended->isHidden()) return;
  extendedStrip_->setContentOffset(gfx::Point(0, rightTableView_->contentOffset().y), false);
}

void Table_TableView::receiveTouchBegin(const foundation::Notification& notification) {
  const auto* path = static_cast<const ui::IndexPath*>(notification.object);
  const int type = static_cast<int>(notification.userInfo["TYPE"].toInt(0));
  foundation::logVerbose("receiveTouchBegin type=%d, row: %ld section: %ld", type,
                         static_cast<long>(path ? path->row : 0),
                         static_cast<long>(path ? path->section : 0));
  if (!path) return;
  auto keep = sharedView();
  for (ui::TableView* table : {static_cast<ui::TableView*>(leftTableView_.get()),
                               static_cast<ui::TableView*>(rightTableView_.get()),
                               static_cast<ui::TableView*>(descriptionTableView_.get())}) {
    if (type == 1) {
      // A split view with fewer rows than the touched one has nothing to light up.
      if (path->section < table->numberOfSections() && path->row >= 0 &&
          path->row < table->numberOfRowsInSection(path->section))
        table->selectRowAtIndexPath(*path, false, ui::TableViewScrollPosition::None);
    } else {
      table->deselectRowAtIndexPath(*path, false);
    }
  }
}

// --- inner tables -------------------------------------------------------------------------------

int Table_TableView::numberOfSectionsInTableView(ui::TableView& table) {
  (void)table;
  return 1;
}

int Table_TableView::tableViewNumberOfRowsInSection(ui::TableView& table, int section) {
  auto delegate = delegate_.lock();
  if (!delegate) return 100;
  const int rows = delegate->numberOfRowsInSection(table, section, table.tag());
  if (ui::View* noData = viewWithTag(kNoDataViewTag))
    noData->setHidden(!(rows == 0 && showNoDataMsg_));
  return rows;
}

double Table_TableView::tableViewHeightForRowAtIndexPath(ui::TableView& table,
                                                         const ui::IndexPath& path) {
  auto delegate = delegate_.lock();
  if (!delegate) return 50.0;
  return delegate->heightForRowAtIndexPath(table, path, table.tag()).value_or(50.0);
}

std::shared_ptr<ui::TableViewCell> Table_TableView::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto delegate = delegate_.lock();
  auto cell = table.dequeueReusableCellWithIdentifier(cellIdentify_);
  if (!cell) {
    cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, cellIdentify_);
    auto selected = ui::View::create();
    // Dark enough that the rows' red, green and yellow values still read on a touched row.
    selected->setBackgroundColor(widgets::ListRowHighlight());
    selected->setClipsToBounds(true);
    cell->setSelectedBackgroundView(selected);
    cell->setBackgroundColor(gfx::Color::clear());
    if (delegate) delegate->tableViewCellContent(*cell, table, table.tag(), path);
  }
  if (delegate) delegate->updateCellContent(*cell, table, table.tag(), path);
  cell->contentView()->setBackgroundColor(gfx::Color::clear());
  return cell;
}

bool Table_TableView::tableViewCanEditRowAtIndexPath(ui::TableView& table,
                                                     const ui::IndexPath& path) {
  // Sideways drags scroll the columns; they never open a delete button.
  (void)table;
  (void)path;
  return false;
}

ui::TableViewCellEditingStyle Table_TableView::tableViewEditingStyleForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  (void)table;
  (void)path;
  return ui::TableViewCellEditingStyle::None;
}

void Table_TableView::tableViewDidSelectRowAtIndexPath(ui::TableView& table,
                                                       const ui::IndexPath& path) {
  auto delegate = delegate_.lock();
  if (!delegate) return;
  auto keep = sharedView();
  if (table.tag() == kLeftTableTag && delegate->tableTableViewLeftTableDidSelectIndex(*this, path))
    return;
  delegate->tableTableViewDidSelectIndex(*this, path);
}

bool Table_TableView::scrollViewShouldScrollToTop(ui::ScrollView& scrollView) {
  (void)scrollView;
  return false;
}

void Table_TableView::keepTablesInStep(ui::ScrollView& s) {
  if (&s == rightTableView_.get()) {
    const double y = s.contentOffset().y;
    leftTableView_->setContentOffset(gfx::Point(0, y), false);
    descriptionTableView_->setContentOffset(gfx::Point(0, y), false);
  } else if (&s == leftTableView_.get()) {
    leftTableView_->setShowsVerticalScrollIndicator(false);
    const double y = s.contentOffset().y;
    rightTableView_->setContentOffset(gfx::Point(0, y), false);
    descriptionTableView_->setContentOffset(gfx::Point(0, y), false);
  } else if (&s == descriptionTableView_.get()) {
    const double y = s.contentOffset().y;
    leftTableView_->setContentOffset(gfx::Point(0, y), false);
    rightTableView_->setContentOffset(gfx::Point(0, y), false);
  }
}

void Table_TableView::scrollViewDidScroll(ui::ScrollView& s) {
  auto keep = sharedView();
  auto delegate = delegate_.lock();
  ui::ScrollView* rightScroll = rightScrollView();
  const bool isRightScroll = &s == rightScroll;

  // 1. The right titles move with the columns.
  if (isRightScroll && rightTitleScroll_)
    rightTitleScroll_->setContentOffset(gfx::Point(rightScroll->contentOffset().x, 0), false);
  // 2. The arrows that tell that more columns lie to the side.
  if (showNoticeAboutCanMove_ && isRightScroll) {
    for (auto* arrow : {showCanMoveLeftImageView_.get(), showCanMoveRightImageView_.get()}) {
      if (arrow->superview()) continue;
      arrow->setAlpha(0.8);
      s.addSubview(arrow->sharedView());
      arrow->setCenter(arrow == showCanMoveLeftImageView_.get()
                           ? gfx::Point(20, 20)
                           : gfx::Point(s.frame().width() - 20, 20));
    }
    const double x = s.contentOffset().x;
    showCanMoveLeftImageView_->setCenter(gfx::Point(x + 20, 20));
    showCanMoveRightImageView_->setCenter(gfx::Point(s.frame().width() + x - 20, 20));
    showCanMoveLeftImageView_->setHidden(x < 20);
    showCanMoveRightImageView_->setHidden(!(x < s.contentSize().width - 20 - s.frame().width()));
    s.bringSubviewToFront(showCanMoveLeftImageView_.get());
    s.bringSubviewToFront(showCanMoveRightImageView_.get());
  }
  // 3.
  if (delegate && std::fabs(s.contentOffset().x) >= 10)
    delegate->tableTableViewWillBeginDragging(*this);
  // 4.
  s.setShowsVerticalScrollIndicator(false);
  s.setShowsHorizontalScrollIndicator(false);
  // 5. The three tables move as one.
  if (s.isTracking()) {
    keepTablesInStep(s);
    upateExtentedViewContentOffset();
  }
  if (s.isDecelerating()) {
    if (&s == leftTableView_.get() || &s == rightTableView_.get() ||
        &s == descriptionTableView_.get())
      keepTablesInStep(s);
    upateExtentedViewContentOffset();
  }
  // Rows moved for the user (back to the top, a new offset) take the panel under their row
  // along too, or it would stand over the rows beside it.
  if (&s == rightTableView_.get()) upateExtentedViewContentOffset();
  showTopStripWhenPulled();
  // 6. Automatic loading at the bottom.
  const double rh = tableViewHeightForRowAtIndexPath(*leftTableView_, ui::IndexPath::forRow(0, 0));
  const double y = leftTableView_->contentOffset().y;
  if (pullRefurbish_ && !loading_) {
    if (descriptionTableView_->frame().height() + y >
        descriptionTableView_->contentSize().height + rh) {
      loading_ = true;
      if (autoReloading_ && delegate)
        delegate->pullRefurbishLoadingWillBeginForTable_TableView(*this);
    }
  }
  // 7. The first visible row (rows without height have no row to name).
  if (!loading_ && y >= 0 && delegate && autoReloading_ && rh > 0)
    delegate->tableTableViewRefurshLoadingWithBeginIndexPath(
        *this, ui::IndexPath::forRow(static_cast<int>(y / rh), 0));
  // 8. Nothing lies left of the first column.
  if (isRightScroll) {
    if (s.contentOffset().x < 0) s.setContentOffset(gfx::Point(0, s.contentOffset().y), false);
    if (delegate) delegate->tableTableViewDidMove(*this, kRightScrollViewTag);
  }
  // 9.
  if (!autoReloading_) {
    if (preRefreshHeaderView_) preRefreshHeaderView_->egoRefreshScrollViewDidScroll(s);
    if (nextRefreshHeaderView_) nextRefreshHeaderView_->egoRefreshScrollViewDidScroll(s);
  }
}

void Table_TableView::scrollViewDidEndDragging(ui::ScrollView& s, bool willDecelerate) {
  (void)willDecelerate;
  if (autoReloading_) return;
  auto keep = sharedView();
  if (preRefreshHeaderView_) preRefreshHeaderView_->egoRefreshScrollViewDidEndDragging(s);
  if (nextRefreshHeaderView_) nextRefreshHeaderView_->egoRefreshScrollViewDidEndDragging(s);
}

// --- refresh strips -----------------------------------------------------------------------------

void Table_TableView::egoRefreshTableHeaderDidTriggerRefresh(EGORefreshTableHeaderView& header) {
  int status = 0;
  if (&header == preRefreshHeaderView_.get()) {
    preReloading_ = true;
    status = 1;
  } else if (&header == nextRefreshHeaderView_.get()) {
    nextReloading_ = true;
    status = 2;
  }
  if (status == 0) return;
  auto keep = sharedView();
  if (auto delegate = delegate_.lock()) delegate->tableTableViewReloadDataWithStatus(*this, status);
}

bool Table_TableView::egoRefreshTableHeaderDataSourceIsLoading(EGORefreshTableHeaderView& header) {
  if (&header == preRefreshHeaderView_.get()) return preReloading_;
  if (&header == nextRefreshHeaderView_.get()) return nextReloading_;
  return false;
}

bool Table_TableView::egoRefreshTableHeaderDidTriggerRefreshUpdateScrollInset(
    EGORefreshTableHeaderView& header, const gfx::EdgeInsets& insets) {
  (void)header;
  leftTableView_->setContentInset(insets);
  rightTableView_->setContentInset(insets);
  descriptionTableView_->setContentInset(insets);
  return true;
}
