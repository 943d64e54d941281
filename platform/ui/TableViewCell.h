// A row of a table view: content view with text, detail and image, background and
// selected-background views, accessory, editing controls and the reuse identifier.
#pragma once

#include <compare>
#include <memory>
#include <string>

#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

namespace ui {

class TableView;

// A row in a section.
struct IndexPath {
  int section = 0;
  int row = 0;

  static IndexPath forRow(int row, int section) { return IndexPath{section, row}; }
  friend constexpr bool operator==(const IndexPath&, const IndexPath&) = default;
  friend constexpr auto operator<=>(const IndexPath&, const IndexPath&) = default;
};

enum class TableViewCellStyle { Default = 0, Value1 = 1, Value2 = 2, Subtitle = 3 };
enum class TableViewCellAccessoryType {
  None = 0,
  DisclosureIndicator = 1,
  DetailDisclosureButton = 2,
  Checkmark = 3
};
enum class TableViewCellSelectionStyle { None = 0, Blue = 1, Gray = 2 };
// MultipleSelect (insert and delete together): a mark circle on every row; a tap marks the row.
enum class TableViewCellEditingStyle { None = 0, Delete = 1, Insert = 2, MultipleSelect = 3 };
// The editing looks a row is in (a mask): its editing control, its delete button.
enum TableViewCellStateMask : unsigned {
  kTableViewCellStateDefault = 0,
  kTableViewCellStateShowingEditControl = 1,
  kTableViewCellStateShowingDeleteConfirmation = 2,
};
enum class TableViewCellSeparatorStyle { None = 0, SingleLine = 1, SingleLineEtched = 2 };

class TableViewCell : public View {
 public:
  explicit TableViewCell(TableViewCellStyle style = TableViewCellStyle::Default,
                         const std::string& reuseIdentifier = {});
  static std::shared_ptr<TableViewCell> create(
      TableViewCellStyle style = TableViewCellStyle::Default,
      const std::string& reuseIdentifier = {});

  TableViewCellStyle style() const { return style_; }
  const std::string& reuseIdentifier() const { return reuseIdentifier_; }
  // Screens put their own views here; it is laid out beside the editing controls and accessory.
  View* contentView() const { return contentView_.get(); }
  Label* textLabel() const { return textLabel_.get(); }
  // Null for the default style.
  Label* detailTextLabel() const { return detailTextLabel_.get(); }
  ImageView* imageView() const { return imageView_.get(); }

  View* backgroundView() const { return backgroundView_.get(); }
  void setBackgroundView(std::shared_ptr<View> view);
  // Shown behind the content while the cell is selected or highlighted (a blue or grey band
  // by default).
  View* selectedBackgroundView() const;
  void setSelectedBackgroundView(std::shared_ptr<View> view);

  TableViewCellAccessoryType accessoryType() const { return accessoryType_; }
  void setAccessoryType(TableViewCellAccessoryType type);
  // A custom accessory replaces the type's.
  View* accessoryView() const { return customAccessory_.get(); }
  void setAccessoryView(std::shared_ptr<View> view);
  TableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
  void setSelectionStyle(TableViewCellSelectionStyle style);

  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected, bool animated = false);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted, bool animated = false);

  // Editing (the table sets these when it enters editing mode).
  bool isEditing() const { return editing_; }
  virtual void setEditing(bool editing, bool animated = false);
  TableViewCellEditingStyle editingStyle() const { return editingStyle_; }
  void setEditingStyle(TableViewCellEditingStyle style);
  bool showsReorderControl() const { return showsReorder_; }
  void setShowsReorderControl(bool shows);
  // The mark of a row in multiple-selection editing (the table sets it).
  bool isMarked() const { return marked_; }
  void setMarked(bool marked);
  bool isShowingDeleteConfirmation() const { return showingDelete_; }
  void setShowingDeleteConfirmation(bool showing, const std::string& title = "删除");
  // The views of the editing controls (null while not shown).
  Button* editingControl() const { return editControl_.get(); }
  View* reorderControl() const { return reorderControl_.get(); }
  Button* deleteConfirmationButton() const { return deleteButton_.get(); }

  // The table the cell is in (null when off screen).
  TableView* tableView() const;

  // The editing looks the row shows now (TableViewCellStateMask bits).
  unsigned stateMask() const;
  // Sent when the row enters or leaves editing or shows or hides its delete button: will before
  // the change, did when its animation has ended. Subclasses lay their views out for the state.
  virtual void willTransitionToState(unsigned state) { (void)state; }
  virtual void didTransitionToState(unsigned state) { (void)state; }
  // Called before the table hands the cell out again; resets selection and editing state.
  virtual void prepareForReuse();

  void layoutSubviews() override;

  // The table's look for the cell: separator, grouped shape (0 single, 1 top, 2 middle,
  // 3 bottom; -1 plain).
  void applyTableStyle(TableViewCellSeparatorStyle separator, const gfx::Color& separatorColor,
                       int groupPosition);

 private:
  void updateHighlight();
  void rebuildAccessory();
  void rebuildEditingControls();

  TableViewCellStyle style_;
  std::string reuseIdentifier_;
  std::shared_ptr<View> contentView_;
  std::shared_ptr<Label> textLabel_;
  std::shared_ptr<Label> detailTextLabel_;
  std::shared_ptr<ImageView> imageView_;
  std::shared_ptr<View> backgroundView_;
  std::shared_ptr<View> groupBackground_;
  mutable std::shared_ptr<View> selectedBackgroundView_;
  std::shared_ptr<View> separator_;
  std::shared_ptr<View> accessory_;
  std::shared_ptr<View> customAccessory_;
  std::shared_ptr<Button> editControl_;
  std::shared_ptr<View> reorderControl_;
  std::shared_ptr<Button> deleteButton_;
  TableViewCellAccessoryType accessoryType_ = TableViewCellAccessoryType::None;
  TableViewCellSelectionStyle selectionStyle_ = TableViewCellSelectionStyle::Blue;
  TableViewCellEditingStyle editingStyle_ = TableViewCellEditingStyle::None;
  bool selected_ = false;
  bool highlighted_ = false;
  bool editing_ = false;
  bool showsReorder_ = false;
  bool showingDelete_ = false;
  bool marked_ = false;
  int groupPosition_ = -1;
};

}  // namespace ui
