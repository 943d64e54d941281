// Spinning-wheel pickers: PickerView (columns of rows from a data source, titles or custom row
// views, a selection band in the middle) and DatePicker (a date, a time, both, or a count-down
// duration built on a picker view).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/ui/Control.h"
#include "platform/ui/View.h"

namespace ui {

class PickerView;

class PickerViewDataSource {
 public:
  virtual ~PickerViewDataSource() = default;
  virtual int numberOfComponentsInPickerView(PickerView& picker) = 0;
  virtual int pickerViewNumberOfRowsInComponent(PickerView& picker, int component) = 0;
};

// Every method is optional.
class PickerViewDelegate {
 public:
  virtual ~PickerViewDelegate() = default;
  // 0: the columns share the width equally.
  virtual double pickerViewWidthForComponent(PickerView& picker, int component) {
    (void)picker;
    (void)component;
    return 0;
  }
  // 0: the standard 40 points.
  virtual double pickerViewRowHeightForComponent(PickerView& picker, int component) {
    (void)picker;
    (void)component;
    return 0;
  }
  virtual std::string pickerViewTitleForRow(PickerView& picker, int row, int component) {
    (void)picker;
    (void)row;
    (void)component;
    return {};
  }
  // A custom view for the row (null: the title is shown). `reusing` is the view shown for the
  // row before a reload, or null.
  virtual std::shared_ptr<View> pickerViewViewForRow(PickerView& picker, int row, int component,
                                                     std::shared_ptr<View> reusing) {
    (void)picker;
    (void)row;
    (void)component;
    (void)reusing;
    return nullptr;
  }
  // The user chose a row (by a tap or a spin); not sent for selectRow.
  virtual void pickerViewDidSelectRow(PickerView& picker, int row, int component) {
    (void)picker;
    (void)row;
    (void)component;
  }
};

class PickerView : public View {
 public:
  static constexpr double kDefaultHeight = 216;
  static constexpr double kDefaultRowHeight = 40;

  explicit PickerView(const gfx::Rect& frame = {});
  ~PickerView() override;
  // A zero-sized frame gets the standard size (320 x 216).
  static std::shared_ptr<PickerView> create(const gfx::Rect& frame = {});

  void setDataSource(std::weak_ptr<PickerViewDataSource> dataSource);
  PickerViewDataSource* dataSource() const { return dataSource_.lock().get(); }
  void setDelegate(std::weak_ptr<PickerViewDelegate> delegate);
  PickerViewDelegate* delegate() const { return delegate_.lock().get(); }

  bool showsSelectionIndicator() const { return showsIndicator_; }
  void setShowsSelectionIndicator(bool shows);

  void reloadAllComponents();
  void reloadComponent(int component);
  int numberOfComponents() const;
  int numberOfRowsInComponent(int component) const;
  gfx::Size rowSizeForComponent(int component) const;
  // The view showing the row (a label for titled rows); null when out of range.
  View* viewForRow(int row, int component) const;
  // The title shown for the row ("" for custom views or out of range).
  std::string titleForRow(int row, int component) const;

  // -1 when the component is out of range or has no rows.
  int selectedRowInComponent(int component) const;
  // Rows beyond the end are clamped; the delegate is not told.
  void selectRow(int row, int component, bool animated);
  // Chooses a row as the user would (the delegate hears pickerViewDidSelectRow).
  void userSelectRow(int row, int component);

  // The column frames, in the picker's coordinates.
  gfx::Rect frameForComponent(int component) const;

  void layoutSubviews() override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;

 private:
  struct Column {
    std::shared_ptr<View> clip;     // the column, clipping its rows
    std::shared_ptr<View> content;  // the rows, moved to show the selection in the band
    std::vector<std::shared_ptr<View>> rows;
    std::vector<std::string> titles;
    double rowHeight = kDefaultRowHeight;
    double width = 0;
    int selected = 0;
  };
  void ensureLoaded() const;
  void loadColumn(int component);
  void placeColumns();
  void placeContent(int component, double rowOffset, bool animated);
  int componentAt(gfx::Point point) const;

  std::weak_ptr<PickerViewDataSource> dataSource_;
  std::weak_ptr<PickerViewDelegate> delegate_;
  std::vector<Column> columns_;
  bool showsIndicator_ = false;
  bool loaded_ = false;
  // Touch tracking.
  int trackComponent_ = -1;
  double trackStartY_ = 0;
  double trackStartOffset_ = 0;
  bool dragged_ = false;
};

enum class DatePickerMode { Time = 0, Date = 1, DateAndTime = 2, CountDownTimer = 3 };

// Sends ValueChanged when the user changes the date.
class DatePicker : public Control {
 public:
  explicit DatePicker(const gfx::Rect& frame = {});
  ~DatePicker() override;
  static std::shared_ptr<DatePicker> create(const gfx::Rect& frame = {});

  DatePickerMode datePickerMode() const { return mode_; }
  void setDatePickerMode(DatePickerMode mode);
  // The date shown (whole minutes; seconds are dropped).
  foundation::Date date() const { return date_; }
  void setDate(foundation::Date date, bool animated = false);
  // Limits (a zero date: none; the year columns then run 1970 to 2037).
  foundation::Date minimumDate() const { return minimum_; }
  void setMinimumDate(foundation::Date date);
  foundation::Date maximumDate() const { return maximum_; }
  void setMaximumDate(foundation::Date date);
  // Count-down mode: seconds (whole minutes).
  double countDownDuration() const { return countDown_; }
  void setCountDownDuration(double seconds);

  PickerView* pickerView() const { return picker_.get(); }

  void layoutSubviews() override;

 private:
  struct Adapter;
  friend struct Adapter;
  int componentCount() const;
  int rowCount(int component) const;
  std::string title(int row, int component) const;
  double width(int component) const;
  void userChanged();
  void showDate(bool animated);
  foundation::Date clamp(foundation::Date date) const;
  int firstYear() const;
  int lastYear() const;

  std::shared_ptr<PickerView> picker_;
  std::shared_ptr<Adapter> adapter_;
  DatePickerMode mode_ = DatePickerMode::DateAndTime;
  foundation::Date date_;
  foundation::Date minimum_;
  foundation::Date maximum_;
  double countDown_ = 0;
};

}  // namespace ui
