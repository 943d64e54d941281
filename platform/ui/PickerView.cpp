#include "platform/ui/PickerView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Dates.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Label.h"
#include "platform/ui/Touch.h"

namespace ui {

namespace {

constexpr double kColumnGap = 4;
constexpr double kSideMargin = 9;
constexpr double kTapSlop = 6;

}  // namespace

PickerView::PickerView(const gfx::Rect& frame) : View(frame) {
  setBackgroundColor(gfx::Color::grey(0.96));
  setClipsToBounds(true);
}

PickerView::~PickerView() = default;

std::shared_ptr<PickerView> PickerView::create(const gfx::Rect& frame) {
  gfx::Rect f = frame;
  if (f.isEmpty()) f = gfx::Rect(f.x(), f.y(), 320, kDefaultHeight);
  return std::make_shared<PickerView>(f);
}

void PickerView::setDataSource(std::weak_ptr<PickerViewDataSource> dataSource) {
  dataSource_ = std::move(dataSource);
  loaded_ = false;
  setNeedsLayout();
}

void PickerView::setDelegate(std::weak_ptr<PickerViewDelegate> delegate) {
  delegate_ = std::move(delegate);
  loaded_ = false;
  setNeedsLayout();
}

void PickerView::setShowsSelectionIndicator(bool shows) {
  showsIndicator_ = shows;
  setNeedsDisplay();
}

void PickerView::ensureLoaded() const {
  if (!loaded_) const_cast<PickerView*>(this)->reloadAllComponents();
}

void PickerView::reloadAllComponents() {
  loaded_ = true;
  auto source = dataSource_.lock();
  int count = source ? std::max(0, source->numberOfComponentsInPickerView(*this)) : 0;
  std::vector<int> selected;
  for (auto& column : columns_) {
    selected.push_back(column.selected);
    column.clip->removeFromSuperview();
  }
  columns_.clear();
  columns_.resize(count);
  for (int c = 0; c < count; ++c) {
    columns_[c].clip = View::create();
    columns_[c].clip->setClipsToBounds(true);
    columns_[c].clip->setUserInteractionEnabled(false);
    columns_[c].content = View::create();
    columns_[c].clip->addSubview(columns_[c].content);
    addSubview(columns_[c].clip);
    columns_[c].selected = c < static_cast<int>(selected.size()) ? selected[c] : 0;
    loadColumn(c);
  }
  placeColumns();
}

void PickerView::reloadComponent(int component) {
  ensureLoaded();
  if (component < 0 || component >= numberOfComponents()) return;
  loadColumn(component);
  placeColumns();
}

void PickerView::loadColumn(int c) {
  Column& column = columns_[c];
  auto source = dataSource_.lock();
  auto delegate = delegate_.lock();
  int rows = source ? std::max(0, source->pickerViewNumberOfRowsInComponent(*this, c)) : 0;
  double height = delegate ? delegate->pickerViewRowHeightForComponent(*this, c) : 0;
  column.rowHeight = height > 0 ? height : kDefaultRowHeight;
  double width = delegate ? delegate->pickerViewWidthForComponent(*this, c) : 0;
  column.width = width;
  std::vector<std::shared_ptr<View>> old = std::move(column.rows);
  for (auto& view : old) view->removeFromSuperview();
  column.rows.clear();
  column.titles.clear();
  for (int r = 0; r < rows; ++r) {
    std::shared_ptr<View> reuse = r < static_cast<int>(old.size()) ? old[r] : nullptr;
    std::shared_ptr<View> view =
        delegate ? delegate->pickerViewViewForRow(*this, r, c, reuse) : nullptr;
    std::string title;
    if (!view) {
      title = delegate ? delegate->pickerViewTitleForRow(*this, r, c) : std::string();
      auto label = Label::create();
      label->setText(title);
      label->setFont(gfx::Font::systemFont(20));
      label->setTextAlignment(gfx::TextAlignment::Center);
      label->setAdjustsFontSizeToFitWidth(true);
      label->setMinimumFontSize(11);
      view = label;
    }
    column.titles.push_back(title);
    column.rows.push_back(view);
    column.content->addSubview(view);
  }
  column.selected = rows == 0 ? 0 : std::clamp(column.selected, 0, rows - 1);
}

gfx::Rect PickerView::frameForComponent(int c) const {
  ensureLoaded();
  if (c < 0 || c >= numberOfComponents()) return gfx::Rect();
  double available = bounds().width() - 2 * kSideMargin - kColumnGap * (numberOfComponents() - 1);
  double fixed = 0;
  int flexible = 0;
  for (const auto& column : columns_) {
    if (column.width > 0)
      fixed += column.width;
    else
      ++flexible;
  }
  double share = flexible > 0 ? std::max(0.0, (available - fixed) / flexible) : 0;
  double total = fixed + share * flexible + kColumnGap * (numberOfComponents() - 1);
  // Columns are centred as a block.
  double x = std::floor((bounds().width() - total) / 2);
  for (int i = 0; i < c; ++i) x += (columns_[i].width > 0 ? columns_[i].width : share) + kColumnGap;
  double w = columns_[c].width > 0 ? columns_[c].width : share;
  return gfx::Rect(x, 0, w, bounds().height());
}

void PickerView::placeColumns() {
  for (int c = 0; c < numberOfComponents(); ++c) {
    Column& column = columns_[c];
    gfx::Rect f = frameForComponent(c);
    column.clip->setFrame(f);
    for (size_t r = 0; r < column.rows.size(); ++r) {
      auto& view = column.rows[r];
      gfx::Rect cell(0, r * column.rowHeight, f.width(), column.rowHeight);
      if (dynamic_cast<Label*>(view.get()) && r < column.titles.size()) {
        view->setFrame(cell.inset(2, 0));
      } else {
        gfx::Size s = view->bounds().size;
        if (s.width <= 0 || s.height <= 0) s = cell.size;
        view->setFrame(gfx::Rect(std::floor((f.width() - s.width) / 2),
                                 cell.y() + std::floor((column.rowHeight - s.height) / 2), s.width,
                                 s.height));
      }
    }
    placeContent(c, column.selected, false);
  }
  setNeedsDisplay();
}

void PickerView::placeContent(int c, double rowOffset, bool animated) {
  Column& column = columns_[c];
  gfx::Rect f = column.clip->bounds();
  double top = std::floor(f.height() / 2 - column.rowHeight / 2 - rowOffset * column.rowHeight);
  gfx::Rect content(0, top, f.width(), column.rowHeight * column.rows.size());
  if (animated) {
    auto view = column.content;
    View::animate(0.25, [view, content] { view->setFrame(content); });
  } else {
    column.content->setFrame(content);
  }
}

void PickerView::layoutSubviews() {
  ensureLoaded();
  placeColumns();
}

int PickerView::numberOfComponents() const {
  ensureLoaded();
  return static_cast<int>(columns_.size());
}

int PickerView::numberOfRowsInComponent(int component) const {
  ensureLoaded();
  if (component < 0 || component >= numberOfComponents()) return 0;
  return static_cast<int>(columns_[component].rows.size());
}

gfx::Size PickerView::rowSizeForComponent(int component) const {
  ensureLoaded();
  if (component < 0 || component >= numberOfComponents()) return gfx::Size();
  return gfx::Size(frameForComponent(component).width(), columns_[component].rowHeight);
}

View* PickerView::viewForRow(int row, int component) const {
  ensureLoaded();
  if (component < 0 || component >= numberOfComponents()) return nullptr;
  const auto& rows = columns_[component].rows;
  if (row < 0 || row >= static_cast<int>(rows.size())) return nullptr;
  return rows[row].get();
}

std::string PickerView::titleForRow(int row, int component) const {
  ensureLoaded();
  if (component < 0 || component >= numberOfComponents()) return {};
  const auto& titles = columns_[component].titles;
  if (row < 0 || row >= static_cast<int>(titles.size())) return {};
  return titles[row];
}

int PickerView::selectedRowInComponent(int component) const {
  ensureLoaded();
  if (component < 0 || component >= numberOfComponents()) return -1;
  if (columns_[component].rows.empty()) return -1;
  return columns_[component].selected;
}

void PickerView::selectRow(int row, int component, bool animated) {
  ensureLoaded();
  if (component < 0 || component >= numberOfComponents()) return;
  Column& column = columns_[component];
  if (column.rows.empty()) return;
  column.selected = std::clamp(row, 0, static_cast<int>(column.rows.size()) - 1);
  placeContent(component, column.selected, animated);
}

void PickerView::userSelectRow(int row, int component) {
  ensureLoaded();
  if (component < 0 || component >= numberOfComponents()) return;
  Column& column = columns_[component];
  if (column.rows.empty()) return;
  int old = column.selected;
  selectRow(row, component, true);
  auto hold = sharedView();
  if (column.selected != old || dragged_)
    if (auto d = delegate_.lock())
      d->pickerViewDidSelectRow(*this, columns_[component].selected, component);
}

void PickerView::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  ensureLoaded();
  gfx::Rect b = bounds();
  // Shade towards the top and bottom edges like a wheel, and mark the selection band.
  double rowHeight = numberOfComponents() > 0 ? columns_[0].rowHeight : kDefaultRowHeight;
  gfx::Rect band(0, std::floor(b.height() / 2 - rowHeight / 2), b.width(), rowHeight);
  ctx.setFillColor(gfx::Color::white());
  for (int c = 0; c < numberOfComponents(); ++c) ctx.fillRect(frameForComponent(c));
  if (showsIndicator_) {
    ctx.setFillColor(gfx::Color::rgb(0.55, 0.6, 0.85, 0.25));
    ctx.fillRect(band);
    ctx.setFillColor(gfx::Color::grey(0.55));
    ctx.fillRect(gfx::Rect(0, band.y(), b.width(), 1));
    ctx.fillRect(gfx::Rect(0, band.maxY() - 1, b.width(), 1));
  } else {
    ctx.setFillColor(gfx::Color::grey(0.8));
    ctx.fillRect(gfx::Rect(0, band.y(), b.width(), 0.5));
    ctx.fillRect(gfx::Rect(0, band.maxY() - 0.5, b.width(), 0.5));
  }
}

int PickerView::componentAt(gfx::Point point) const {
  for (int c = 0; c < numberOfComponents(); ++c) {
    gfx::Rect f = frameForComponent(c);
    if (point.x >= f.x() - kColumnGap / 2 && point.x < f.maxX() + kColumnGap / 2) return c;
  }
  return -1;
}

void PickerView::touchesBegan(const TouchSet& touches, const Event&) {
  ensureLoaded();
  trackComponent_ = -1;
  dragged_ = false;
  if (touches.empty()) return;
  gfx::Point p = touches.front()->locationInView(this);
  trackComponent_ = componentAt(p);
  trackStartY_ = p.y;
  if (trackComponent_ >= 0) trackStartOffset_ = columns_[trackComponent_].selected;
}

void PickerView::touchesMoved(const TouchSet& touches, const Event&) {
  if (trackComponent_ < 0 || trackComponent_ >= numberOfComponents() || touches.empty()) return;
  gfx::Point p = touches.front()->locationInView(this);
  Column& column = columns_[trackComponent_];
  double dy = p.y - trackStartY_;
  if (std::abs(dy) > kTapSlop) dragged_ = true;
  if (!dragged_) return;
  double offset = trackStartOffset_ - dy / column.rowHeight;
  double maxRow = std::max(0.0, static_cast<double>(column.rows.size()) - 1);
  placeContent(trackComponent_, std::clamp(offset, -0.5, maxRow + 0.5), false);
}

void PickerView::touchesEnded(const TouchSet& touches, const Event&) {
  int c = trackComponent_;
  trackComponent_ = -1;
  if (c < 0 || touches.empty() || c >= numberOfComponents()) return;
  gfx::Point p = touches.front()->locationInView(this);
  Column& column = columns_[c];
  int row;
  if (dragged_) {
    row =
        static_cast<int>(std::lround(trackStartOffset_ - (p.y - trackStartY_) / column.rowHeight));
  } else {
    // A tap on a row above or below the band spins it into the band.
    double fromCenter = p.y - bounds().height() / 2;
    row = column.selected + static_cast<int>(std::lround(fromCenter / column.rowHeight));
  }
  userSelectRow(row, c);
  dragged_ = false;
}

void PickerView::touchesCancelled(const TouchSet&, const Event&) {
  if (trackComponent_ >= 0 && trackComponent_ < numberOfComponents())
    placeContent(trackComponent_, columns_[trackComponent_].selected, true);
  trackComponent_ = -1;
  dragged_ = false;
}

// --- date picker ------------------------------------------------------------------------------

struct DatePicker::Adapter : PickerViewDataSource, PickerViewDelegate {
  DatePicker* owner = nullptr;
  int numberOfComponentsInPickerView(PickerView&) override { return owner->componentCount(); }
  int pickerViewNumberOfRowsInComponent(PickerView&, int c) override { return owner->rowCount(c); }
  std::string pickerViewTitleForRow(PickerView&, int row, int c) override {
    return owner->title(row, c);
  }
  double pickerViewWidthForComponent(PickerView&, int c) override { return owner->width(c); }
  void pickerViewDidSelectRow(PickerView&, int, int) override { owner->userChanged(); }
};

namespace {

int daysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return days[std::clamp(month, 1, 12) - 1];
}

}  // namespace

DatePicker::DatePicker(const gfx::Rect& frame) : Control(frame) {
  adapter_ = std::make_shared<Adapter>();
  adapter_->owner = this;
  picker_ = PickerView::create(gfx::Rect(0, 0, frame.width() > 0 ? frame.width() : 320,
                                         frame.height() > 0 ? frame.height() : 216));
  picker_->setShowsSelectionIndicator(true);
  picker_->setDataSource(adapter_);
  picker_->setDelegate(adapter_);
  addSubview(picker_);
  foundation::Date now = foundation::currentDate();
  date_.secondsSince1970 = std::floor(now.secondsSince1970 / 60) * 60;
  showDate(false);
}

DatePicker::~DatePicker() = default;

std::shared_ptr<DatePicker> DatePicker::create(const gfx::Rect& frame) {
  gfx::Rect f = frame;
  if (f.isEmpty()) f = gfx::Rect(f.x(), f.y(), 320, PickerView::kDefaultHeight);
  return std::make_shared<DatePicker>(f);
}

void DatePicker::layoutSubviews() {
  picker_->setFrame(bounds());
}

void DatePicker::setDatePickerMode(DatePickerMode mode) {
  mode_ = mode;
  picker_->reloadAllComponents();
  showDate(false);
}

int DatePicker::firstYear() const {
  return minimum_.secondsSince1970 != 0 ? foundation::localComponents(minimum_).year : 1970;
}

int DatePicker::lastYear() const {
  return maximum_.secondsSince1970 != 0 ? foundation::localComponents(maximum_).year : 2037;
}

int DatePicker::componentCount() const {
  switch (mode_) {
    case DatePickerMode::Date:
      return 3;
    case DatePickerMode::DateAndTime:
      return 5;
    case DatePickerMode::Time:
    case DatePickerMode::CountDownTimer:
      return 2;
  }
  return 0;
}

int DatePicker::rowCount(int c) const {
  auto parts = foundation::localComponents(date_);
  bool dateColumns = mode_ == DatePickerMode::Date || mode_ == DatePickerMode::DateAndTime;
  if (dateColumns && c < 3) {
    if (c == 0) return std::max(1, lastYear() - firstYear() + 1);
    if (c == 1) return 12;
    return daysInMonth(parts.year, parts.month);
  }
  int timeColumn = dateColumns ? c - 3 : c;
  return timeColumn == 0 ? 24 : 60;
}

std::string DatePicker::title(int row, int c) const {
  bool dateColumns = mode_ == DatePickerMode::Date || mode_ == DatePickerMode::DateAndTime;
  if (dateColumns && c < 3) {
    if (c == 0) return foundation::format("%d年", firstYear() + row);
    if (c == 1) return foundation::format("%d月", row + 1);
    return foundation::format("%d日", row + 1);
  }
  int timeColumn = dateColumns ? c - 3 : c;
  if (mode_ == DatePickerMode::CountDownTimer)
    return foundation::format(timeColumn == 0 ? "%d小时" : "%d分", row);
  return foundation::format("%02d", row);
}

double DatePicker::width(int c) const {
  if (mode_ == DatePickerMode::DateAndTime) return c == 0 ? 76 : 50;
  if (mode_ == DatePickerMode::Date) return c == 0 ? 100 : 80;
  return 100;
}

foundation::Date DatePicker::clamp(foundation::Date date) const {
  double s = std::floor(date.secondsSince1970 / 60) * 60;
  if (minimum_.secondsSince1970 != 0) s = std::max(s, minimum_.secondsSince1970);
  if (maximum_.secondsSince1970 != 0) s = std::min(s, maximum_.secondsSince1970);
  return foundation::Date{s};
}

void DatePicker::setDate(foundation::Date date, bool animated) {
  date_ = clamp(date);
  showDate(animated);
}

void DatePicker::setMinimumDate(foundation::Date date) {
  minimum_ = date;
  picker_->reloadAllComponents();
  setDate(date_);
}

void DatePicker::setMaximumDate(foundation::Date date) {
  maximum_ = date;
  picker_->reloadAllComponents();
  setDate(date_);
}

void DatePicker::setCountDownDuration(double seconds) {
  countDown_ = std::clamp(std::floor(seconds / 60) * 60, 0.0, 23 * 3600.0 + 59 * 60);
  showDate(false);
}

void DatePicker::showDate(bool animated) {
  if (mode_ == DatePickerMode::CountDownTimer) {
    int minutes = static_cast<int>(countDown_ / 60);
    picker_->selectRow(minutes / 60, 0, animated);
    picker_->selectRow(minutes % 60, 1, animated);
    return;
  }
  auto parts = foundation::localComponents(date_);
  int c = 0;
  if (mode_ != DatePickerMode::Time) {
    picker_->reloadComponent(2);  // the month's length
    picker_->selectRow(parts.year - firstYear(), 0, animated);
    picker_->selectRow(parts.month - 1, 1, animated);
    picker_->selectRow(parts.day - 1, 2, animated);
    c = 3;
  }
  if (mode_ != DatePickerMode::Date) {
    picker_->selectRow(parts.hour, c, animated);
    picker_->selectRow(parts.minute, c + 1, animated);
  }
}

void DatePicker::userChanged() {
  auto hold = sharedView();
  if (mode_ == DatePickerMode::CountDownTimer) {
    countDown_ =
        picker_->selectedRowInComponent(0) * 3600.0 + picker_->selectedRowInComponent(1) * 60.0;
    sendActionsForControlEvents(ControlEvent::ValueChanged);
    return;
  }
  auto parts = foundation::localComponents(date_);
  int c = 0;
  if (mode_ != DatePickerMode::Time) {
    parts.year = firstYear() + picker_->selectedRowInComponent(0);
    parts.month = picker_->selectedRowInComponent(1) + 1;
    // A day beyond the new month's end moves to its last day.
    parts.day =
        std::min(picker_->selectedRowInComponent(2) + 1, daysInMonth(parts.year, parts.month));
    c = 3;
  }
  if (mode_ != DatePickerMode::Date) {
    parts.hour = picker_->selectedRowInComponent(c);
    parts.minute = picker_->selectedRowInComponent(c + 1);
  }
  parts.second = 0;
  parts.millisecond = 0;
  date_ = clamp(foundation::dateFromLocalComponents(parts));
  showDate(true);
  sendActionsForControlEvents(ControlEvent::ValueChanged);
}

}  // namespace ui
