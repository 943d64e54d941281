#include "platform/ui/TableView.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Touch.h"

namespace ui {

namespace {

constexpr double kGroupedInset = 10;
// Cells kept per identifier for reuse beyond what is on screen.
constexpr size_t kMaxReusable = 64;
constexpr double kSwipeDistance = 20;

}  // namespace

double TableViewDelegate::tableViewHeightForRowAtIndexPath(TableView& table, const IndexPath&) {
  return table.rowHeight();
}
double TableViewDelegate::tableViewHeightForHeaderInSection(TableView& table, int section) {
  return table.standardHeaderHeight(section);
}
double TableViewDelegate::tableViewHeightForFooterInSection(TableView& table, int section) {
  return table.standardFooterHeight(section);
}

TableView::TableView(const gfx::Rect& frame, TableViewStyle style)
    : ScrollView(frame), style_(style) {
  setAlwaysBounceVertical(true);
  setBackgroundColor(style == TableViewStyle::Grouped ? gfx::Color::groupTableBackground()
                                                      : gfx::Color::white());
  if (style == TableViewStyle::Grouped) separatorColor_ = gfx::Color::grey(0.67);
}

TableView::~TableView() {
  if (highlightTimer_) highlightTimer_->invalidate();
}

std::shared_ptr<TableView> TableView::create(const gfx::Rect& frame, TableViewStyle style) {
  return std::make_shared<TableView>(frame, style);
}

void TableView::setDataSource(std::weak_ptr<TableViewDataSource> dataSource) {
  dataSource_ = std::move(dataSource);
  loaded_ = false;
  setNeedsLayout();
}

void TableView::setDelegate(std::weak_ptr<TableViewDelegate> delegate) {
  tableDelegate_ = delegate;
  std::shared_ptr<ScrollViewDelegate> base = delegate.lock();
  ScrollView::setDelegate(base);
}

void TableView::setRowHeight(double height) {
  rowHeight_ = std::max(0.0, height);
  if (loaded_) {
    computeGeometry();
    layoutCells();
  }
}

double TableView::standardHeaderHeight(int section) {
  auto ds = dataSource_.lock();
  bool titled = ds && !ds->tableViewTitleForHeaderInSection(*this, section).empty();
  if (style_ == TableViewStyle::Grouped) return titled ? 36 : 10;
  return titled ? sectionHeaderHeight_ : 0;
}

double TableView::standardFooterHeight(int section) {
  auto ds = dataSource_.lock();
  bool titled = ds && !ds->tableViewTitleForFooterInSection(*this, section).empty();
  if (style_ == TableViewStyle::Grouped) return titled ? 30 : 10;
  return titled ? sectionFooterHeight_ : 0;
}

void TableView::setSeparatorStyle(TableViewCellSeparatorStyle style) {
  separatorStyle_ = style;
  for (auto& [path, cell] : visible_) configureCell(*cell, path);
}

void TableView::setSeparatorColor(const gfx::Color& color) {
  separatorColor_ = color;
  for (auto& [path, cell] : visible_) configureCell(*cell, path);
}

void TableView::setBackgroundView(std::shared_ptr<View> view) {
  if (backgroundView_) backgroundView_->removeFromSuperview();
  backgroundView_ = std::move(view);
  if (backgroundView_) {
    backgroundView_->setFrame(bounds());
    insertSubview(backgroundView_, 0);
  }
}

void TableView::setTableHeaderView(std::shared_ptr<View> view) {
  if (tableHeaderView_) tableHeaderView_->removeFromSuperview();
  tableHeaderView_ = std::move(view);
  if (tableHeaderView_) addSubview(tableHeaderView_);
  if (loaded_) {
    computeGeometry();
    layoutCells();
  }
}

void TableView::setTableFooterView(std::shared_ptr<View> view) {
  if (tableFooterView_) tableFooterView_->removeFromSuperview();
  tableFooterView_ = std::move(view);
  if (tableFooterView_) addSubview(tableFooterView_);
  if (loaded_) {
    computeGeometry();
    layoutCells();
  }
}

// --- geometry ---------------------------------------------------------------------------------

void TableView::computeGeometry() {
  auto ds = dataSource_.lock();
  auto dl = tableDelegate_.lock();
  int count = ds ? std::max(0, ds->numberOfSectionsInTableView(*this)) : 0;
  double y = tableHeaderView_ ? tableHeaderView_->bounds().height() : 0;
  headerTop_ = y;
  sections_.assign(static_cast<size_t>(count), SectionInfo{});
  for (int s = 0; s < count; ++s) {
    SectionInfo& info = sections_[static_cast<size_t>(s)];
    info.rows = std::max(0, ds->tableViewNumberOfRowsInSection(*this, s));
    info.top = y;
    info.header = std::max(
        0.0, dl ? dl->tableViewHeightForHeaderInSection(*this, s) : standardHeaderHeight(s));
    info.rowTops.assign(1, 0.0);
    info.rowTops.reserve(static_cast<size_t>(info.rows) + 1);
    double acc = 0;
    for (int r = 0; r < info.rows; ++r) {
      double h =
          dl ? dl->tableViewHeightForRowAtIndexPath(*this, IndexPath::forRow(r, s)) : rowHeight_;
      acc += std::max(0.0, h);
      info.rowTops.push_back(acc);
    }
    info.footer = std::max(
        0.0, dl ? dl->tableViewHeightForFooterInSection(*this, s) : standardFooterHeight(s));
    y += info.header + acc + info.footer;
  }
  footerTop_ = y;
  if (tableFooterView_) y += tableFooterView_->bounds().height();
  setContentSize(gfx::Size(bounds().width(), y));
}

int TableView::numberOfRowsInSection(int section) const {
  if (section < 0 || section >= numberOfSections()) return 0;
  return sections_[static_cast<size_t>(section)].rows;
}

gfx::Rect TableView::rectForSection(int section) const {
  if (section < 0 || section >= numberOfSections()) return {};
  const SectionInfo& info = sections_[static_cast<size_t>(section)];
  return gfx::Rect(0, info.top, bounds().width(), info.header + info.rowTops.back() + info.footer);
}

gfx::Rect TableView::rectForHeaderInSection(int section) const {
  if (section < 0 || section >= numberOfSections()) return {};
  const SectionInfo& info = sections_[static_cast<size_t>(section)];
  return gfx::Rect(0, info.top, bounds().width(), info.header);
}

gfx::Rect TableView::rectForFooterInSection(int section) const {
  if (section < 0 || section >= numberOfSections()) return {};
  const SectionInfo& info = sections_[static_cast<size_t>(section)];
  return gfx::Rect(0, info.top + info.header + info.rowTops.back(), bounds().width(), info.footer);
}

gfx::Rect TableView::rectForRowAtIndexPath(const IndexPath& path) const {
  if (path.section < 0 || path.section >= numberOfSections()) return {};
  const SectionInfo& info = sections_[static_cast<size_t>(path.section)];
  if (path.row < 0 || path.row >= info.rows) return {};
  size_t r = static_cast<size_t>(path.row);
  return gfx::Rect(0, info.top + info.header + info.rowTops[r], bounds().width(),
                   info.rowTops[r + 1] - info.rowTops[r]);
}

int TableView::globalIndex(const IndexPath& path) const {
  int g = 0;
  for (int s = 0; s < path.section && s < numberOfSections(); ++s)
    g += sections_[static_cast<size_t>(s)].rows;
  return g + path.row;
}

gfx::Rect TableView::cellFrame(const IndexPath& path) const {
  gfx::Rect r = rectForRowAtIndexPath(path);
  if (style_ == TableViewStyle::Grouped)
    r = gfx::Rect(kGroupedInset, r.y(), std::max(0.0, r.width() - 2 * kGroupedInset), r.height());
  // While a row is dragged, the rows between its place and the drop point make room.
  if (reorderFrom_ && reorderTo_ && path != *reorderFrom_) {
    int g = globalIndex(path), from = globalIndex(*reorderFrom_), to = globalIndex(*reorderTo_);
    double h = rectForRowAtIndexPath(*reorderFrom_).height();
    if (from < g && g <= to) r = r.offset(0, -h);
    if (to <= g && g < from) r = r.offset(0, h);
  }
  return r;
}

int TableView::groupPosition(const IndexPath& path) const {
  if (style_ != TableViewStyle::Grouped) return -1;
  int rows = numberOfRowsInSection(path.section);
  if (rows <= 1) return 0;
  if (path.row == 0) return 1;
  if (path.row == rows - 1) return 3;
  return 2;
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(gfx::Point point) const {
  for (int s = 0; s < numberOfSections(); ++s) {
    const SectionInfo& info = sections_[static_cast<size_t>(s)];
    double first = info.top + info.header;
    double y = point.y - first;
    if (y < 0 || y >= info.rowTops.back()) continue;
    auto it = std::upper_bound(info.rowTops.begin(), info.rowTops.end(), y);
    int row = static_cast<int>(it - info.rowTops.begin()) - 1;
    if (row >= 0 && row < info.rows) return IndexPath::forRow(row, s);
  }
  return std::nullopt;
}

std::vector<IndexPath> TableView::indexPathsForRowsInRect(const gfx::Rect& rect) const {
  std::vector<IndexPath> out;
  double lo = rect.minY(), hi = rect.maxY();
  for (int s = 0; s < numberOfSections(); ++s) {
    const SectionInfo& info = sections_[static_cast<size_t>(s)];
    double first = info.top + info.header;
    if (first + info.rowTops.back() <= lo) continue;
    if (first >= hi) break;
    // Rows whose span [top, bottom) meets [lo, hi).
    auto begin = std::upper_bound(info.rowTops.begin(), info.rowTops.end(), lo - first);
    int row = std::max(0, static_cast<int>(begin - info.rowTops.begin()) - 1);
    for (; row < info.rows; ++row) {
      double top = first + info.rowTops[static_cast<size_t>(row)];
      double bottom = first + info.rowTops[static_cast<size_t>(row) + 1];
      if (top >= hi) break;
      if (bottom > lo && bottom > top) out.push_back(IndexPath::forRow(row, s));
    }
  }
  return out;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const {
  std::vector<IndexPath> out;
  for (const auto& entry : visible_) out.push_back(entry.first);
  return out;
}

std::vector<TableViewCell*> TableView::visibleCells() const {
  std::vector<TableViewCell*> out;
  for (const auto& entry : visible_) out.push_back(entry.second.get());
  return out;
}

TableViewCell* TableView::cellForRowAtIndexPath(const IndexPath& path) const {
  auto it = visible_.find(path);
  return it == visible_.end() ? nullptr : it->second.get();
}

std::shared_ptr<TableViewCell> TableView::cellForRowAtIndexPathShared(const IndexPath& path) const {
  auto it = visible_.find(path);
  return it == visible_.end() ? nullptr : it->second;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell* cell) const {
  for (const auto& [path, c] : visible_)
    if (c.get() == cell) return path;
  return std::nullopt;
}

View* TableView::headerViewForSection(int section) const {
  auto it = headers_.find(section);
  return it == headers_.end() ? nullptr : it->second.get();
}

size_t TableView::cellCount() const {
  size_t n = visible_.size() + leaving_.size();
  for (const auto& entry : reusable_) n += entry.second.size();
  return n;
}

// --- cells ------------------------------------------------------------------------------------

std::shared_ptr<TableViewCell> TableView::dequeueReusableCellWithIdentifier(
    const std::string& identifier) {
  auto it = reusable_.find(identifier);
  if (it == reusable_.end() || it->second.empty()) return nullptr;
  auto cell = it->second.back();
  it->second.pop_back();
  cell->prepareForReuse();
  return cell;
}

std::shared_ptr<TableViewCell> TableView::makeCell(const IndexPath& path) {
  std::shared_ptr<TableViewCell> cell;
  if (auto ds = dataSource_.lock()) cell = ds->tableViewCellForRowAtIndexPath(*this, path);
  if (!cell) {
    foundation::logError("TableView: no cell for section %d row %d", path.section, path.row);
    cell = TableViewCell::create();
  }
  return cell;
}

void TableView::configureCell(TableViewCell& cell, const IndexPath& path, bool animated) {
  cell.applyTableStyle(separatorStyle_, separatorColor_, groupPosition(path));
  auto ds = dataSource_.lock();
  if (editing_) {
    auto dl = tableDelegate_.lock();
    bool editable = ds && ds->tableViewCanEditRowAtIndexPath(*this, path);
    cell.setEditingStyle(!editable ? TableViewCellEditingStyle::None
                         : dl      ? dl->tableViewEditingStyleForRowAtIndexPath(*this, path)
                                   : TableViewCellEditingStyle::Delete);
    cell.setShowsReorderControl(ds && ds->tableViewCanMoveRowAtIndexPath(*this, path));
  }
  cell.setEditing(editing_, animated);
  cell.setMarked(editing_ && marked_.count(path) != 0);
  cell.setSelected(selected_ && *selected_ == path);
  if (!animated) cell.layoutIfNeeded();
}

void TableView::recycle(const std::shared_ptr<TableViewCell>& cell) {
  if (!cell) return;
  cell->setHighlighted(false);
  cell->removeFromSuperview();
  if (cell->reuseIdentifier().empty()) return;
  auto& pool = reusable_[cell->reuseIdentifier()];
  if (pool.size() < kMaxReusable && std::find(pool.begin(), pool.end(), cell) == pool.end())
    pool.push_back(cell);
}

void TableView::layoutCells(bool) {
  if (!loaded_) return;
  auto keep = sharedView();
  gfx::Rect visibleRect = bounds();
  std::vector<IndexPath> paths = indexPathsForRowsInRect(visibleRect);
  if (reorderFrom_) {
    // The rows that slide into view while a row is dragged.
    auto more = indexPathsForRowsInRect(visibleRect.inset(0, -rowHeight_ * 2));
    paths = more;
  }
  std::set<IndexPath> wanted(paths.begin(), paths.end());
  for (auto it = visible_.begin(); it != visible_.end();) {
    if (!wanted.count(it->first) && it->second != reorderCell_) {
      recycle(it->second);
      it = visible_.erase(it);
    } else {
      ++it;
    }
  }
  auto dl = tableDelegate_.lock();
  size_t cellIndex = backgroundView_ && backgroundView_->superview() == this ? 1 : 0;
  for (const auto& path : paths) {
    auto it = visible_.find(path);
    if (it != visible_.end()) {
      if (it->second != reorderCell_) it->second->setFrame(cellFrame(path));
      continue;
    }
    auto cell = makeCell(path);
    visible_[path] = cell;
    cell->setFrame(cellFrame(path));
    configureCell(*cell, path);
    insertSubview(cell, cellIndex);
    cell->layoutIfNeeded();
    if (dl) dl->tableViewWillDisplayCell(*this, *cell, path);
  }
  if (reorderCell_) bringSubviewToFront(reorderCell_.get());
  if (tableHeaderView_)
    tableHeaderView_->setFrame(
        gfx::Rect(0, 0, bounds().width(), tableHeaderView_->bounds().height()));
  if (tableFooterView_)
    tableFooterView_->setFrame(
        gfx::Rect(0, footerTop_, bounds().width(), tableFooterView_->bounds().height()));
  layoutHeaders();
  if (backgroundView_) {
    backgroundView_->setFrame(bounds());
    sendSubviewToBack(backgroundView_.get());
  }
}

std::shared_ptr<View> TableView::makeHeaderView(int section, bool footer) {
  auto dl = tableDelegate_.lock();
  std::shared_ptr<View> view;
  if (dl)
    view = footer ? dl->tableViewViewForFooterInSection(*this, section)
                  : dl->tableViewViewForHeaderInSection(*this, section);
  if (view) return view;
  auto ds = dataSource_.lock();
  if (!ds) return nullptr;
  std::string title = footer ? ds->tableViewTitleForFooterInSection(*this, section)
                             : ds->tableViewTitleForHeaderInSection(*this, section);
  if (title.empty()) return nullptr;
  double w = bounds().width();
  view = View::create(gfx::Rect(0, 0, w, 22));
  auto label = Label::create();
  label->setText(title);
  label->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
  if (style_ == TableViewStyle::Plain && !footer) {
    view->setBackgroundColor(gfx::Color::rgb255(151, 164, 176, 0.95));
    label->setFont(gfx::Font::boldSystemFont(17));
    label->setTextColor(gfx::Color::white());
    label->setShadowColor(gfx::Color::grey(0.3, 0.6));
    label->setFrame(gfx::Rect(12, 0, std::max(0.0, w - 24), 22));
  } else {
    view->setBackgroundColor(gfx::Color::clear());
    label->setFont(footer ? gfx::Font::systemFont(15) : gfx::Font::boldSystemFont(17));
    label->setTextColor(gfx::Color::rgb255(76, 86, 108));
    label->setTextAlignment(footer && style_ == TableViewStyle::Grouped ? gfx::TextAlignment::Center
                                                                        : gfx::TextAlignment::Left);
    label->setFrame(gfx::Rect(20, 0, std::max(0.0, w - 40), 22));
  }
  view->addSubview(label);
  return view;
}

void TableView::layoutHeaders() {
  gfx::Rect visibleRect = bounds();
  double pinTop = visibleRect.y() + contentInset().top;
  for (int footer = 0; footer < 2; ++footer) {
    auto& cache = footer ? footers_ : headers_;
    for (auto it = cache.begin(); it != cache.end();) {
      gfx::Rect sectionRect = rectForSection(it->first);
      if (it->first >= numberOfSections() || !sectionRect.intersects(visibleRect)) {
        if (it->second) it->second->removeFromSuperview();
        it = cache.erase(it);
      } else {
        ++it;
      }
    }
    for (int s = 0; s < numberOfSections(); ++s) {
      gfx::Rect sectionRect = rectForSection(s);
      if (sectionRect.minY() >= visibleRect.maxY()) break;
      gfx::Rect r = footer ? rectForFooterInSection(s) : rectForHeaderInSection(s);
      if (r.height() <= 0 || !sectionRect.intersects(visibleRect)) continue;
      auto found = cache.find(s);
      if (found == cache.end()) found = cache.emplace(s, makeHeaderView(s, footer != 0)).first;
      auto& view = found->second;
      if (!view) continue;
      if (!footer && style_ == TableViewStyle::Plain) {
        // Plain headers stay at the top while their section scrolls under them.
        double y = std::clamp(pinTop, r.y(), std::max(r.y(), sectionRect.maxY() - r.height()));
        r = gfx::Rect(r.x(), y, r.width(), r.height());
      }
      view->setFrame(r);
      if (view->superview() != this) addSubview(view);
      bringSubviewToFront(view.get());
    }
  }
}

void TableView::reloadData() {
  auto keep = sharedView();
  loaded_ = true;
  swipeDeleteRow_.reset();
  marked_.clear();
  clearTouchState();
  for (auto& [path, cell] : visible_) recycle(cell);
  visible_.clear();
  for (auto& cell : leaving_) recycle(cell);
  leaving_.clear();
  for (auto* cache : {&headers_, &footers_}) {
    for (auto& [s, view] : *cache)
      if (view) view->removeFromSuperview();
    cache->clear();
  }
  selected_.reset();
  computeGeometry();
  layoutCells();
  rebuildSectionIndex();
}

namespace {

// The strip of section index titles: one line of small text per title; a touch or a drag
// picks the title under the finger.
class SectionIndexStrip : public View {
 public:
  SectionIndexStrip(TableView* table, std::vector<std::string> titles)
      : table_(table), titles_(std::move(titles)) {
    setBackgroundColor(gfx::Color(0, 0, 0, 0.05));
    setOpaque(false);
  }
  const std::vector<std::string>& titles() const { return titles_; }
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override {
    (void)rect;
    if (titles_.empty()) return;
    const double step = bounds().height() / static_cast<double>(titles_.size());
    const gfx::Font font = gfx::Font::boldSystemFont(std::min(11.0, std::max(6.0, step - 2)));
    for (size_t i = 0; i < titles_.size(); ++i) {
      ctx.setFillColor(gfx::Color::rgb255(40, 80, 150));
      gfx::drawText(ctx, titles_[i],
                    gfx::Rect(0, step * static_cast<double>(i), bounds().width(), step), font,
                    gfx::LineBreakMode::Clip, gfx::TextAlignment::Center);
    }
  }
  void touchesBegan(const TouchSet& touches, const Event&) override { pick(touches); }
  void touchesMoved(const TouchSet& touches, const Event&) override { pick(touches); }
  void touchesEnded(const TouchSet&, const Event&) override {}

 private:
  void pick(const TouchSet& touches) {
    if (touches.empty() || titles_.empty() || bounds().height() <= 0) return;
    const double y = touches.front()->locationInView(this).y;
    int index = static_cast<int>(y / (bounds().height() / static_cast<double>(titles_.size())));
    index = std::clamp(index, 0, static_cast<int>(titles_.size()) - 1);
    table_->scrollToSectionIndex(index);
  }
  TableView* table_;
  std::vector<std::string> titles_;
};

}  // namespace

void TableView::rebuildSectionIndex() {
  std::vector<std::string> titles;
  if (auto ds = dataSource_.lock()) titles = ds->sectionIndexTitlesForTableView(*this);
  if (sectionIndex_) sectionIndex_->removeFromSuperview();
  sectionIndex_.reset();
  if (titles.empty()) return;
  sectionIndex_ = std::make_shared<SectionIndexStrip>(this, std::move(titles));
  addSubview(sectionIndex_);
  placeSectionIndex();
}

void TableView::placeSectionIndex() {
  if (!sectionIndex_) return;
  // Fixed over the visible rows whatever the scroll position.
  const gfx::Rect b = bounds();
  const auto& titles = static_cast<SectionIndexStrip*>(sectionIndex_.get())->titles();
  const double height = std::min(b.height(), 16.0 * static_cast<double>(titles.size()));
  sectionIndex_->setFrame(gfx::Rect(b.x() + b.width() - kSectionIndexWidth,
                                    b.y() + (b.height() - height) / 2, kSectionIndexWidth, height));
  bringSubviewToFront(sectionIndex_.get());
}

void TableView::scrollToSectionIndex(int index) {
  if (index < 0 || index >= numberOfSections()) return;
  // The first section from that one on that has a row.
  for (int section = index; section < numberOfSections(); ++section) {
    if (numberOfRowsInSection(section) > 0) {
      scrollToRowAtIndexPath(IndexPath::forRow(0, section), TableViewScrollPosition::Top, false);
      return;
    }
  }
}

void TableView::layoutSubviews() {
  ScrollView::layoutSubviews();
  if (!loaded_) {
    reloadData();
    return;
  }
  if (contentSize().width != bounds().width())
    setContentSize(gfx::Size(bounds().width(), contentSize().height));
  layoutCells();
  placeSectionIndex();
}

void TableView::setFrame(const gfx::Rect& frame) {
  ScrollView::setFrame(frame);
  if (loaded_) layoutCells();
}

void TableView::contentOffsetDidChange() {
  layoutCells();
  placeSectionIndex();
}

// --- updates ----------------------------------------------------------------------------------

void TableView::beginUpdates() {
  ++updateDepth_;
}

void TableView::flushIfOutsideUpdates() {
  if (updateDepth_ > 0) return;
  PendingUpdate update = std::move(pending_);
  pending_ = {};
  applyUpdate(update);
}

void TableView::endUpdates() {
  if (updateDepth_ == 0) {
    foundation::logError("TableView: endUpdates without beginUpdates");
    return;
  }
  if (--updateDepth_ > 0) return;
  PendingUpdate update = std::move(pending_);
  pending_ = {};
  applyUpdate(update);
}

void TableView::insertRowsAtIndexPaths(const std::vector<IndexPath>& paths,
                                       TableViewRowAnimation animation) {
  pending_.inserted.insert(pending_.inserted.end(), paths.begin(), paths.end());
  pending_.animation = animation;
  flushIfOutsideUpdates();
}

void TableView::deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths,
                                       TableViewRowAnimation animation) {
  pending_.deleted.insert(pending_.deleted.end(), paths.begin(), paths.end());
  pending_.animation = animation;
  flushIfOutsideUpdates();
}

void TableView::reloadRowsAtIndexPaths(const std::vector<IndexPath>& paths,
                                       TableViewRowAnimation animation) {
  pending_.reloaded.insert(pending_.reloaded.end(), paths.begin(), paths.end());
  pending_.animation = animation;
  flushIfOutsideUpdates();
}

void TableView::insertSections(const std::vector<int>& sections, TableViewRowAnimation animation) {
  pending_.insertedSections.insert(pending_.insertedSections.end(), sections.begin(),
                                   sections.end());
  pending_.animation = animation;
  flushIfOutsideUpdates();
}

void TableView::deleteSections(const std::vector<int>& sections, TableViewRowAnimation animation) {
  pending_.deletedSections.insert(pending_.deletedSections.end(), sections.begin(), sections.end());
  pending_.animation = animation;
  flushIfOutsideUpdates();
}

bool TableView::applyUpdate(const PendingUpdate& u) {
  // Rows move: the marks no longer name what was marked (the data source marks again).
  if (!u.inserted.empty() || !u.deleted.empty() || !u.insertedSections.empty() ||
      !u.deletedSections.empty())
    marked_.clear();
  auto keep = sharedView();
  auto ds = dataSource_.lock();
  if (!loaded_ || !ds) {
    reloadData();
    return true;
  }
  std::set<int> delSections(u.deletedSections.begin(), u.deletedSections.end());
  std::set<int> insSections(u.insertedSections.begin(), u.insertedSections.end());
  std::set<IndexPath> deleted(u.deleted.begin(), u.deleted.end());
  std::set<IndexPath> inserted(u.inserted.begin(), u.inserted.end());
  std::set<IndexPath> reloaded(u.reloaded.begin(), u.reloaded.end());
  int oldCount = numberOfSections();
  int newCount = std::max(0, ds->numberOfSectionsInTableView(*this));

  auto mapSection = [&](int s) -> int {
    if (delSections.count(s)) return -1;
    int m = s - static_cast<int>(std::count_if(delSections.begin(), delSections.end(),
                                               [s](int d) { return d < s; }));
    for (int ins : insSections)
      if (ins <= m) ++m;
    return m;
  };
  auto fail = [&](const char* what, int a, int b) {
    foundation::logError("TableView: invalid update (%s: %d, expected %d); reloading", what, a, b);
    reloadData();
    return false;
  };
  for (int s : delSections)
    if (s < 0 || s >= oldCount) return fail("deleted section", s, oldCount - 1);
  for (const auto& p : deleted)
    if (p.section < 0 || p.section >= oldCount || p.row < 0 ||
        p.row >= sections_[static_cast<size_t>(p.section)].rows)
      return fail("deleted row", p.row, numberOfRowsInSection(p.section) - 1);
  int expectedSections =
      oldCount - static_cast<int>(delSections.size()) + static_cast<int>(insSections.size());
  if (newCount != expectedSections) return fail("sections", newCount, expectedSections);
  std::vector<int> oldSectionOf(static_cast<size_t>(newCount), -1);
  for (int s = 0; s < oldCount; ++s)
    if (int m = mapSection(s); m >= 0 && m < newCount) oldSectionOf[static_cast<size_t>(m)] = s;
  for (int m = 0; m < newCount; ++m) {
    int old = oldSectionOf[static_cast<size_t>(m)];
    if (old < 0) continue;
    int rows = std::max(0, ds->tableViewNumberOfRowsInSection(*this, m));
    int del = static_cast<int>(std::count_if(
        deleted.begin(), deleted.end(), [old](const IndexPath& p) { return p.section == old; }));
    int ins = static_cast<int>(std::count_if(inserted.begin(), inserted.end(),
                                             [m](const IndexPath& p) { return p.section == m; }));
    int expected = sections_[static_cast<size_t>(old)].rows - del + ins;
    if (rows != expected) return fail("rows in a section", rows, expected);
  }

  auto mapPath = [&](const IndexPath& p) -> std::optional<IndexPath> {
    int s = mapSection(p.section);
    if (s < 0 || deleted.count(p)) return std::nullopt;
    int r = p.row -
            static_cast<int>(std::count_if(deleted.begin(), deleted.end(), [&](const IndexPath& d) {
              return d.section == p.section && d.row < p.row;
            }));
    for (const auto& ins : inserted)
      if (ins.section == s && ins.row <= r) ++r;
    return IndexPath::forRow(r, s);
  };

  // Cells that stay move to their new rows; the others leave.
  std::vector<std::pair<std::shared_ptr<TableViewCell>, gfx::Rect>> survivors;
  std::vector<std::shared_ptr<TableViewCell>> leavingNow;
  std::map<IndexPath, std::shared_ptr<TableViewCell>> moved;
  for (auto& [path, cell] : visible_) {
    auto to = mapPath(path);
    if (!to || reloaded.count(path)) {
      leavingNow.push_back(cell);
      continue;
    }
    moved[*to] = cell;
    survivors.emplace_back(cell, cell->frame());
  }
  visible_ = std::move(moved);
  if (selected_) selected_ = mapPath(*selected_);
  if (swipeDeleteRow_) swipeDeleteRow_ = mapPath(*swipeDeleteRow_);
  std::set<IndexPath> fresh;
  for (const auto& p : inserted) fresh.insert(p);
  for (const auto& p : reloaded)
    if (auto m = mapPath(p)) fresh.insert(*m);
  for (int s : insSections)
    for (int r = 0; r < std::max(0, ds->tableViewNumberOfRowsInSection(*this, s)); ++r)
      fresh.insert(IndexPath::forRow(r, s));
  for (auto* cache : {&headers_, &footers_}) {
    for (auto& [s, view] : *cache)
      if (view) view->removeFromSuperview();
    cache->clear();
  }

  computeGeometry();
  bool animate =
      u.animation != TableViewRowAnimation::None && window() && View::areAnimationsEnabled();
  if (!animate) {
    for (auto& cell : leavingNow) recycle(cell);
    layoutCells();
    for (auto& [path, cell] : visible_) configureCell(*cell, path);
    return true;
  }
  layoutCells();
  for (auto& [path, cell] : visible_) configureCell(*cell, path);
  // Start from where things were and animate to the new layout.
  std::vector<std::pair<std::shared_ptr<TableViewCell>, gfx::Rect>> moves;
  for (auto& [cell, oldFrame] : survivors) {
    if (cell->superview() != this) continue;
    gfx::Rect target = cell->frame();
    if (!(target == oldFrame)) {
      cell->setFrame(oldFrame);
      moves.emplace_back(cell, target);
    }
  }
  TableViewRowAnimation kind = u.animation;
  double width = bounds().width();
  std::vector<std::pair<std::shared_ptr<TableViewCell>, gfx::Rect>> arrivals;
  for (auto& [path, cell] : visible_) {
    if (!fresh.count(path)) continue;
    gfx::Rect target = cell->frame();
    arrivals.emplace_back(cell, target);
    if (kind == TableViewRowAnimation::Left)
      cell->setFrame(target.offset(width, 0));
    else if (kind == TableViewRowAnimation::Right)
      cell->setFrame(target.offset(-width, 0));
    else
      cell->setAlpha(0);
  }
  for (auto& cell : leavingNow) {
    leaving_.push_back(cell);
    bringSubviewToFront(cell.get());
  }
  for (auto& [s, view] : headers_)
    if (view) bringSubviewToFront(view.get());
  std::weak_ptr<View> weak = sharedView();
  View::animate(
      kUpdateAnimationDuration,
      [&] {
        for (auto& [cell, target] : moves) cell->setFrame(target);
        for (auto& [cell, target] : arrivals) {
          cell->setFrame(target);
          cell->setAlpha(1);
        }
        for (auto& cell : leavingNow) {
          if (kind == TableViewRowAnimation::Left)
            cell->setFrame(cell->frame().offset(-width, 0));
          else if (kind == TableViewRowAnimation::Right)
            cell->setFrame(cell->frame().offset(width, 0));
          cell->setAlpha(0);
        }
      },
      [weak, leavingNow](bool) {
        auto view = weak.lock();
        auto* self = static_cast<TableView*>(view.get());
        for (auto& cell : leavingNow) {
          if (self) {
            auto it = std::find(self->leaving_.begin(), self->leaving_.end(), cell);
            if (it == self->leaving_.end()) continue;
            self->leaving_.erase(it);
            cell->setAlpha(1);
            self->recycle(cell);
          } else {
            cell->removeFromSuperview();
          }
        }
      });
  return true;
}

// --- scrolling and selection ------------------------------------------------------------------

void TableView::scrollToRowAtIndexPath(const IndexPath& path, TableViewScrollPosition position,
                                       bool animated) {
  if (!loaded_) reloadData();
  gfx::Rect r = rectForRowAtIndexPath(path);
  if (path.section < 0 || path.section >= numberOfSections() || path.row < 0 ||
      path.row >= numberOfRowsInSection(path.section)) {
    foundation::logError("TableView: no row %d in section %d to scroll to", path.row, path.section);
    return;
  }
  gfx::Rect visible = bounds();
  double h = visible.height();
  double y = visible.y();
  gfx::EdgeInsets in = contentInset();
  if (position == TableViewScrollPosition::None) {
    if (r.minY() < visible.minY() + in.top)
      position = TableViewScrollPosition::Top;
    else if (r.maxY() > visible.maxY() - in.bottom)
      position = TableViewScrollPosition::Bottom;
    else
      return;
  }
  switch (position) {
    case TableViewScrollPosition::Top:
      y = r.minY() - in.top;
      break;
    case TableViewScrollPosition::Middle:
      y = r.midY() - h / 2;
      break;
    case TableViewScrollPosition::Bottom:
      y = r.maxY() - h + in.bottom;
      break;
    case TableViewScrollPosition::None:
      break;
  }
  y = std::clamp(y, minimumContentOffset().y, maximumContentOffset().y);
  setContentOffset(gfx::Point(contentOffset().x, y), animated);
}

void TableView::selectRowAtIndexPath(const IndexPath& path, bool animated,
                                     TableViewScrollPosition position) {
  if (!loaded_) reloadData();
  if (path.section < 0 || path.section >= numberOfSections() || path.row < 0 ||
      path.row >= numberOfRowsInSection(path.section)) {
    foundation::logError("TableView: no row %d in section %d to select", path.row, path.section);
    return;
  }
  if (selected_ && *selected_ != path)
    if (auto* old = cellForRowAtIndexPath(*selected_)) old->setSelected(false, animated);
  selected_ = path;
  if (auto* cell = cellForRowAtIndexPath(path)) cell->setSelected(true, animated);
  if (position != TableViewScrollPosition::None) scrollToRowAtIndexPath(path, position, animated);
}

void TableView::deselectRowAtIndexPath(const IndexPath& path, bool animated) {
  if (auto* cell = cellForRowAtIndexPath(path)) cell->setSelected(false, animated);
  if (selected_ && *selected_ == path) selected_.reset();
}

void TableView::selectByUser(const IndexPath& path) {
  auto keep = sharedView();
  if (editing_ && marksRow(path)) {
    toggleMark(path);
    return;
  }
  auto dl = tableDelegate_.lock();
  std::optional<IndexPath> target = path;
  if (dl) target = dl->tableViewWillSelectRowAtIndexPath(*this, path);
  if (!target || target->section < 0 || target->section >= numberOfSections() || target->row < 0 ||
      target->row >= numberOfRowsInSection(target->section))
    return;
  if (selected_ && *selected_ != *target) {
    std::optional<IndexPath> old = selected_;
    if (dl) old = dl->tableViewWillDeselectRowAtIndexPath(*this, *selected_);
    if (old) {
      deselectRowAtIndexPath(*selected_, false);
      if (dl) dl->tableViewDidDeselectRowAtIndexPath(*this, *old);
    }
  }
  selected_ = target;
  if (auto* cell = cellForRowAtIndexPath(*target)) cell->setSelected(true);
  if (dl) dl->tableViewDidSelectRowAtIndexPath(*this, *target);
}

// --- editing ----------------------------------------------------------------------------------

bool TableView::marksRow(const IndexPath& path) {
  auto ds = dataSource_.lock();
  auto dl = tableDelegate_.lock();
  return ds && dl && ds->tableViewCanEditRowAtIndexPath(*this, path) &&
         dl->tableViewEditingStyleForRowAtIndexPath(*this, path) ==
             TableViewCellEditingStyle::MultipleSelect;
}

void TableView::toggleMark(const IndexPath& path) {
  auto keep = sharedView();
  auto dl = tableDelegate_.lock();
  const bool marked = marked_.count(path) != 0;
  if (marked) {
    marked_.erase(path);
  } else {
    marked_.insert(path);
  }
  if (auto* cell = cellForRowAtIndexPath(path)) cell->setMarked(!marked);
  if (!dl) return;
  if (marked) {
    dl->tableViewDidDeselectRowAtIndexPath(*this, path);
  } else {
    dl->tableViewDidSelectRowAtIndexPath(*this, path);
  }
}

void TableView::toggleMarkByUser(TableViewCell& cell) {
  auto path = indexPathForCell(&cell);
  if (path && editing_ && marksRow(*path)) toggleMark(*path);
}

std::vector<IndexPath> TableView::indexPathsForMarkedRows() const {
  return std::vector<IndexPath>(marked_.begin(), marked_.end());
}

void TableView::markRowAtIndexPath(const IndexPath& path, bool animated) {
  (void)animated;
  if (!editing_ || path.section < 0 || path.section >= numberOfSections() || path.row < 0 ||
      path.row >= numberOfRowsInSection(path.section))
    return;
  marked_.insert(path);
  if (auto* cell = cellForRowAtIndexPath(path)) cell->setMarked(true);
}

void TableView::unmarkRowAtIndexPath(const IndexPath& path, bool animated) {
  (void)animated;
  marked_.erase(path);
  if (auto* cell = cellForRowAtIndexPath(path)) cell->setMarked(false);
}

void TableView::setEditing(bool editing, bool animated) {
  if (editing_ == editing) return;
  hideDeleteConfirmation();
  editing_ = editing;
  if (!editing) marked_.clear();
  auto keep = sharedView();
  bool anim = animated && window() && View::areAnimationsEnabled();
  for (auto& [path, cell] : visible_) configureCell(*cell, path, anim);
}

std::optional<IndexPath> TableView::reorderingIndexPath() const {
  return reorderFrom_;
}

void TableView::accessoryButtonTapped(TableViewCell& cell) {
  auto path = indexPathForCell(&cell);
  if (!path) return;
  if (auto dl = tableDelegate_.lock())
    dl->tableViewAccessoryButtonTappedForRowWithIndexPath(*this, *path);
}

void TableView::commitEditing(TableViewCell& cell, TableViewCellEditingStyle style) {
  auto path = indexPathForCell(&cell);
  if (!path) return;
  auto keep = sharedView();
  bool swiped = swipeDeleteRow_.has_value() && !editing_;
  cell.setShowingDeleteConfirmation(false);
  swipeDeleteRow_.reset();
  if (auto ds = dataSource_.lock()) ds->tableViewCommitEditingStyle(*this, style, *path);
  if (swiped)
    if (auto dl = tableDelegate_.lock()) dl->tableViewDidEndEditingRowAtIndexPath(*this, *path);
}

void TableView::toggleDeleteConfirmation(TableViewCell& cell) {
  auto path = indexPathForCell(&cell);
  if (!path) return;
  if (cell.isShowingDeleteConfirmation()) {
    hideDeleteConfirmation();
    return;
  }
  hideDeleteConfirmation();
  auto dl = tableDelegate_.lock();
  cell.setShowingDeleteConfirmation(
      true,
      dl ? dl->tableViewTitleForDeleteConfirmationButtonForRowAtIndexPath(*this, *path) : "删除");
  swipeDeleteRow_ = path;
}

void TableView::hideDeleteConfirmation() {
  if (!swipeDeleteRow_) return;
  IndexPath path = *swipeDeleteRow_;
  swipeDeleteRow_.reset();
  if (auto* cell = cellForRowAtIndexPath(path)) cell->setShowingDeleteConfirmation(false);
  if (!editing_)
    if (auto dl = tableDelegate_.lock()) dl->tableViewDidEndEditingRowAtIndexPath(*this, path);
}

std::optional<IndexPath> TableView::proposedMoveTarget(double contentY) const {
  double y = std::clamp(contentY, 0.0, std::max(0.0, contentSize().height - 1));
  auto path = indexPathForRowAtPoint(gfx::Point(1, y));
  if (!path) return reorderTo_;
  return path;
}

void TableView::finishReorder() {
  if (!reorderFrom_ || !reorderTo_) return;
  auto keep = sharedView();
  IndexPath from = *reorderFrom_, to = *reorderTo_;
  auto cell = reorderCell_;
  reorderFrom_.reset();
  reorderTo_.reset();
  reorderCell_.reset();
  if (from != to) {
    auto map = [&](IndexPath p) {
      if (p == from) return to;
      if (p.section == from.section && p.row > from.row) --p.row;
      if (p.section == to.section && p.row >= to.row) ++p.row;
      return p;
    };
    std::map<IndexPath, std::shared_ptr<TableViewCell>> remapped;
    for (auto& [path, c] : visible_) remapped[map(path)] = c;
    visible_ = std::move(remapped);
    if (selected_) selected_ = map(*selected_);
    if (auto ds = dataSource_.lock()) ds->tableViewMoveRowAtIndexPath(*this, from, to);
    computeGeometry();
  }
  if (window() && View::areAnimationsEnabled())
    View::animate(0.2, [this] { layoutCells(); });
  else
    layoutCells();
  for (auto& [path, c] : visible_) configureCell(*c, path);
}

// --- touches ----------------------------------------------------------------------------------

TableViewCell* TableView::cellAt(gfx::Point point) const {
  for (const auto& [path, cell] : visible_)
    if (cell->frame().contains(point)) return cell.get();
  return nullptr;
}

void TableView::clearTouchState() {
  if (highlightTimer_) highlightTimer_->invalidate();
  highlightTimer_.reset();
  if (touchRow_)
    if (auto* cell = cellForRowAtIndexPath(*touchRow_)) cell->setHighlighted(false);
  touchRow_.reset();
  touchMoved_ = false;
}

bool TableView::gestureRecognizerShouldBegin(GestureRecognizer& recognizer) {
  if (reorderFrom_ && isPanRecognizer(recognizer)) return false;
  return ScrollView::gestureRecognizerShouldBegin(recognizer);
}

void TableView::touchesBegan(const TouchSet& touches, const Event& event) {
  ScrollView::touchesBegan(touches, event);
  if (touches.empty()) return;
  auto keep = sharedView();
  gfx::Point p = touches.front()->locationInView(this);
  clearTouchState();
  if (swipeDeleteRow_) {
    // A touch anywhere but on the row with the delete button puts the button away.
    TableViewCell* cell = cellAt(p);
    if (!cell || indexPathForCell(cell) != swipeDeleteRow_) {
      hideDeleteConfirmation();
      return;
    }
  }
  if (editing_) {
    if (TableViewCell* cell = cellAt(p); cell && cell->reorderControl()) {
      gfx::Point local = cell->convertPointFromView(p, this);
      if (cell->reorderControl()->frame().contains(local)) {
        reorderFrom_ = reorderTo_ = indexPathForCell(cell);
        reorderCell_ = cellForRowAtIndexPathShared(*reorderFrom_);
        reorderGrab_ = p.y - cell->frame().y();
        cell->layer().setShadowOpacity(0.4);
        bringSubviewToFront(cell);
        return;
      }
    }
  }
  if (hasPendingContentTouch()) return;  // a control inside gets the touch
  auto path = indexPathForRowAtPoint(p);
  if (!path) return;
  // A row of multiple-selection editing takes taps to toggle its mark.
  const bool marking = editing_ && marksRow(*path);
  if (!marking && (!allowsSelection_ || (editing_ && !allowsSelectionDuringEditing_))) return;
  touchRow_ = path;
  touchStart_ = p;
  std::weak_ptr<View> weak = sharedView();
  highlightTimer_ = foundation::Timer::create(
      delaysContentTouches() ? kContentTouchDelay : 0, false, [weak](foundation::Timer&) {
        auto view = weak.lock();
        auto* self = static_cast<TableView*>(view.get());
        if (!self || !self->touchRow_ || self->touchMoved_ || self->isDragging()) return;
        if (auto* cell = self->cellForRowAtIndexPath(*self->touchRow_)) cell->setHighlighted(true);
      });
  foundation::RunLoop::main()->addTimer(highlightTimer_, foundation::kCommonRunLoopModes);
}

void TableView::touchesMoved(const TouchSet& touches, const Event& event) {
  ScrollView::touchesMoved(touches, event);
  if (touches.empty()) return;
  auto keep = sharedView();
  gfx::Point p = touches.front()->locationInView(this);
  if (reorderFrom_ && reorderCell_) {
    gfx::Rect f = reorderCell_->frame();
    double y =
        std::clamp(p.y - reorderGrab_, 0.0, std::max(0.0, contentSize().height - f.height()));
    reorderCell_->setFrame(gfx::Rect(f.x(), y, f.width(), f.height()));
    auto proposed = proposedMoveTarget(y + f.height() / 2);
    if (proposed) {
      IndexPath target = *proposed;
      if (auto dl = tableDelegate_.lock())
        target =
            dl->tableViewTargetIndexPathForMoveFromRowAtIndexPath(*this, *reorderFrom_, target);
      if (target != *reorderTo_) {
        reorderTo_ = target;
        if (window() && View::areAnimationsEnabled())
          View::animate(0.2, [this] { layoutCells(); });
        else
          layoutCells();
      }
    }
    return;
  }
  if (!touchRow_) return;
  double dx = p.x - touchStart_.x, dy = p.y - touchStart_.y;
  bool sideways = !touchMoved_ && !editing_ && std::fabs(dx) > 2 * std::fabs(dy);
  if (sideways && std::fabs(dx) <= kSwipeDistance) return;  // may still become a swipe
  if (sideways) {
    // Swipe to delete.
    IndexPath row = *touchRow_;
    clearTouchState();
    touchMoved_ = true;
    auto ds = dataSource_.lock();
    auto dl = tableDelegate_.lock();
    if (!ds || !ds->tableViewCanEditRowAtIndexPath(*this, row)) return;
    if (dl &&
        dl->tableViewEditingStyleForRowAtIndexPath(*this, row) != TableViewCellEditingStyle::Delete)
      return;
    TableViewCell* cell = cellForRowAtIndexPath(row);
    if (!cell) return;
    if (dl) dl->tableViewWillBeginEditingRowAtIndexPath(*this, row);
    cell->setShowingDeleteConfirmation(
        true,
        dl ? dl->tableViewTitleForDeleteConfirmationButtonForRowAtIndexPath(*this, row) : "删除");
    swipeDeleteRow_ = row;
    return;
  }
  if (std::hypot(dx, dy) > kDragThreshold) {
    clearTouchState();
    touchMoved_ = true;
  }
}

void TableView::touchesEnded(const TouchSet& touches, const Event& event) {
  ScrollView::touchesEnded(touches, event);
  auto keep = sharedView();
  if (reorderFrom_) {
    if (reorderCell_) reorderCell_->layer().setShadowOpacity(0);
    finishReorder();
    return;
  }
  if (touchRow_ && !touchMoved_ && !isDragging()) {
    IndexPath row = *touchRow_;
    clearTouchState();
    selectByUser(row);
    return;
  }
  clearTouchState();
}

void TableView::touchesCancelled(const TouchSet& touches, const Event& event) {
  ScrollView::touchesCancelled(touches, event);
  if (reorderFrom_) {
    if (reorderCell_) reorderCell_->layer().setShadowOpacity(0);
    finishReorder();
    return;
  }
  clearTouchState();
}

}  // namespace ui
