#include "widgets/TableCell.h"

#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Touch.h"

// --- TableCell ----------------------------------------------------------------------------------

TableCell::TableCell(const gfx::Rect& frame) : ui::View(frame) {
  setDrawType(0);
  // Made in code: the gradient now; views built from an interface remake it in awakeFromNib.
  TableCell::initColor();
}

std::shared_ptr<TableCell> TableCell::create(const gfx::Rect& frame) {
  return std::make_shared<TableCell>(frame);
}

std::string TableCell::interfaceName(const std::string& name, int index) {
  return index == 0 ? name : name + std::to_string(index);
}

std::shared_ptr<TableCell> TableCell::defaultUsingXIB(const std::string& name, int index,
                                                      ui::Object* owner) {
  (void)owner;
  const std::string file = interfaceName(name, index);
  auto& registry = ui::ClassRegistry::shared();
  if (!registry.contains(file)) {
    foundation::logError("TableCell: no interface named %s", file.c_str());
    return nullptr;
  }
  return registry.create<TableCell>(file);
}

void TableCell::awakeFromNib() {
  initAttribute();
  setDrawType(0);
  initColor();
}

void TableCell::initColor() {
  // Blue-grey at the top to black at the bottom.
  gradient_ = gfx::Gradient::linear(gfx::Color(0.10980392, 0.24705882, 0.34901962, 1.0),
                                    gfx::Color(0, 0, 0, 1.0));
}

void TableCell::updateSection(int section) {
  if (indexPath_) indexPath_ = ui::IndexPath::forRow(indexPath_->row, section);
}

void TableCell::updateRow(int row) {
  if (indexPath_) indexPath_ = ui::IndexPath::forRow(row, indexPath_->section);
}

void TableCell::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)rect;
  if (drawType_ != 0) return;
  const gfx::Rect b = bounds();
  ctx.clearRect(b);
  gfx::StateSaver saver(ctx);
  ctx.clipToRect(b);
  if (gradient_)
    ctx.drawLinearGradient(*gradient_, gfx::Point(b.x(), b.y()),
                           gfx::Point(b.x(), b.y() + b.height()));
  // A separator along the top edge; half of the 2-point line lies inside the clip.
  ctx.setLineWidth(2.0);
  ctx.setStrokeColor(gfx::Color::darkGrey());
  ctx.strokeLine(gfx::Point(b.x(), b.y()), gfx::Point(b.width(), b.y()));
}

// --- CustomTableView ----------------------------------------------------------------------------

CustomTableView::CustomTableView(const gfx::Rect& frame, ui::TableViewStyle style)
    : ui::TableView(frame, style) {}

std::shared_ptr<CustomTableView> CustomTableView::create(const gfx::Rect& frame,
                                                         ui::TableViewStyle style) {
  return std::make_shared<CustomTableView>(frame, style);
}

void CustomTableView::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
  auto keep = sharedView();
  ui::TableView::touchesBegan(touches, event);
  if (touches.empty()) return;
  const gfx::Point p = touches.front()->locationInView(this);
  const std::optional<ui::IndexPath> path = indexPathForRowAtPoint(p);
  touchedRow_ = path;
  touchStart_ = p;
  foundation::Value info;
  info.mutableDictionary().set("TYPE", foundation::Value("1"));
  foundation::NotificationCenter::defaultCenter().post(kCellTouchBeginNotification,
                                                       path ? &*path : nullptr, std::move(info));
}

void CustomTableView::touchesMoved(const ui::TouchSet& touches, const ui::Event& event) {
  auto keep = sharedView();
  ui::TableView::touchesMoved(touches, event);
  if (!touchedRow_ || touches.empty()) return;
  // Beyond a finger's wobble the touch is a drag (sideways it scrolls the columns): no tap.
  constexpr double kWobble = 6;
  const gfx::Point p = touches.front()->locationInView(this);
  if (std::hypot(p.x - touchStart_.x, p.y - touchStart_.y) > kWobble || isDragging())
    putOutTouchedRow();
}

void CustomTableView::touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) {
  auto keep = sharedView();
  ui::TableView::touchesCancelled(touches, event);
  putOutTouchedRow();
}

void CustomTableView::putOutTouchedRow() {
  if (!touchedRow_) return;
  const ui::IndexPath path = *touchedRow_;
  touchedRow_.reset();
  foundation::Value info;
  info.mutableDictionary().set("TYPE", foundation::Value("0"));
  foundation::NotificationCenter::defaultCenter().post(kCellTouchBeginNotification, &path,
                                                       std::move(info));
}

// --- CustomTableViewCell ------------------------------------------------------------------------

void CustomTableViewCell::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
  ui::TableViewCell::touchesBegan(touches, event);
}
void CustomTableViewCell::touchesMoved(const ui::TouchSet& touches, const ui::Event& event) {
  ui::TableViewCell::touchesMoved(touches, event);
}
void CustomTableViewCell::touchesEnded(const ui::TouchSet& touches, const ui::Event& event) {
  ui::TableViewCell::touchesEnded(touches, event);
}

// --- MyToolBar ----------------------------------------------------------------------------------

MyToolBar::MyToolBar(const gfx::Rect& frame) : ui::Toolbar(frame) {
  setBarStyle(ui::BarStyle::Black);
  setOpaque(false);
  setBackgroundColor(gfx::Color::clear());
  setDrawsBackground(false);
}

std::shared_ptr<MyToolBar> MyToolBar::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<MyToolBar>(frame);
}

void MyToolBar::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)ctx;
  (void)rect;
}
