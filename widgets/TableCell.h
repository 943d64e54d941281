// The base of the row and title views that quote lists put into table cells, the table class of
// the split table view's inner tables (it broadcasts the row a touch began on), a cell class that
// passes touches on, and the transparent toolbar screens put into their navigation bars.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Context.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/View.h"

// Posted synchronously when a touch begins on a CustomTableView. The object points at the
// touched row's IndexPath for the duration of the post, or is null when no row is under the
// finger; userInfo {"TYPE": "1"}.
inline constexpr const char* kCellTouchBeginNotification = "notification_cellTouchBegin";

// Root of the delegate protocols of the row views (CustomLabelsDelegate,
// ChangeDetailView2Delegate, ...). A row view asks its cell delegate for its own protocol with a
// dynamic cast: an owner that does not adopt it is simply not asked. Protocols derive virtually
// so that one owner can adopt several.
class TableCellDelegate {
 public:
  virtual ~TableCellDelegate() = default;
};

class TableCell : public ui::View {
 public:
  explicit TableCell(const gfx::Rect& frame = {});
  static std::shared_ptr<TableCell> create(const gfx::Rect& frame = {});

  // The row view registered as `name` (index 0) or `name` followed by the index in decimal
  // ("tableViewCellContent2"), built with its subviews and awoken; null (logged) when no such
  // view is registered or it is not a TableCell. The owner is the object the interface was made
  // for; the built-in interfaces wire nothing to it.
  static std::shared_ptr<TableCell> defaultUsingXIB(const std::string& name, int index,
                                                    ui::Object* owner);
  // The file name the loader uses for (name, index).
  static std::string interfaceName(const std::string& name, int index);

  // What loading from an interface does after the subviews exist: initAttribute, draw type 0,
  // initColor.
  virtual void awakeFromNib();
  // Subclasses' set-up hook.
  virtual void initAttribute() {}
  // Makes the background gradient (subclasses without one override it with nothing).
  virtual void initColor();
  // Owners send it to make the view refresh its content.
  virtual void updateCell() {}
  virtual void showInWindow() {}

  const std::optional<ui::IndexPath>& indexPath() const { return indexPath_; }
  void updateIndexPath(std::optional<ui::IndexPath> path) { indexPath_ = path; }
  // Only when a path is set: keep the row (or section) and change the other.
  void updateSection(int section);
  void updateRow(int row);

  TableCellDelegate* delegate() const { return cellDelegate_.lock().get(); }
  void setCellDelegate(std::weak_ptr<TableCellDelegate> delegate) {
    cellDelegate_ = std::move(delegate);
  }

  // 0: paint the gradient background; any other value paints nothing. No redraw is requested.
  int drawType() const { return drawType_; }
  void setDrawType(int type) { drawType_ = type; }
  const std::optional<gfx::Gradient>& gradient() const { return gradient_; }

  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;

 protected:
  void clearGradient() { gradient_.reset(); }
  // The cell delegate held for the length of a call.
  std::shared_ptr<TableCellDelegate> delegateShared() const { return cellDelegate_.lock(); }
  // The cell delegate as the protocol P, or null.
  template <class P>
  P* delegateAs() const {
    return dynamic_cast<P*>(delegate());
  }

 private:
  std::optional<ui::IndexPath> indexPath_;
  std::optional<gfx::Gradient> gradient_;
  std::weak_ptr<TableCellDelegate> cellDelegate_;
  int drawType_ = 0;
};

// The inner table of the split table view: every touch that begins on it is broadcast with the
// row under the finger, so that all columns of a logical row light up together.
class CustomTableView : public ui::TableView {
 public:
  explicit CustomTableView(const gfx::Rect& frame = {},
                           ui::TableViewStyle style = ui::TableViewStyle::Plain);
  static std::shared_ptr<CustomTableView> create(
      const gfx::Rect& frame = {}, ui::TableViewStyle style = ui::TableViewStyle::Plain);

  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  // A touch that turns into a drag (or is taken by a scroll view) puts the lit row out again.
  void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) override;

 private:
  void putOutTouchedRow();

  std::optional<ui::IndexPath> touchedRow_;
  gfx::Point touchStart_;
};

// A table cell that passes its touches on unchanged.
class CustomTableViewCell : public ui::TableViewCell {
 public:
  using ui::TableViewCell::TableViewCell;
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
};

// A black, transparent toolbar that draws no bar, only its items: the container of the bar
// buttons screens put into their navigation bars.
class MyToolBar : public ui::Toolbar {
 public:
  explicit MyToolBar(const gfx::Rect& frame = {});
  static std::shared_ptr<MyToolBar> initWithFrame(const gfx::Rect& frame);
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
};
