// The base of screens that show a record table (MDBF) in the split table view, with the columns
// described by one INI section "f_<function number>": names, widths in characters (turned into
// points that fill a 320-point screen), the record fields each column shows, an optional fixed
// first column of one or two lines, and the request parameters a subclass uses (main and child
// type, field list, records per request). The base sends no request and has no paging: a
// subclass fills the record table from its replies and reloads the split view.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/MDBF.h"
#include "core/MIniFile.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ViewController.h"
#include "widgets/Table_TableView.h"

struct tagTableColItem {
  int32_t fieldid1;  // field of the first line; 0 ends the column list
  int32_t align1;    // 0 left, 1 centre, 2 right
  int32_t fieldid2;  // field of the second line (the fixed column only); 0 none
  int32_t align2;
  char name_utf8[40];
  float width;  // points, as the reader computed them
};

struct tagTableColsInfo {
  char title_utf8[60];
  int32_t bigFunc;  // the request's main type
  int32_t func;     // the request's child type
  int32_t colnum;
  int32_t fixedColCount;  // 0 or 1
  int32_t rowheight;
  tagTableColItem cols[40];
  char field[257];  // field ids to request, one byte each, ended by 0
  int32_t pagerecnum;
};

class UICustomTableBaseController : public ui::ViewController, public TableTableViewDelegate {
 public:
  static constexpr int kCellLabelsTag = 345;
  static constexpr int kMaxColumns = 40;
  static constexpr double kScreenWidth = 320;
  static constexpr double kTitleHeight = 25;
  static constexpr double kZeroWidthFallback = 80;

  UICustomTableBaseController();
  ~UICustomTableBaseController() override = default;

  void viewDidLoad() override;

  // Reads section "f_<funcNo>" of the INI file into a new layout and the width list. False (and
  // nothing changed) without a file.
  bool readQueryTableConfig(int funcNo, MIniFile* ini);
  void setColsInfo(const tagTableColsInfo* info);

  // --- hooks for subclasses ---
  // Text of a fixed-column line whose field is 9 and empty.
  virtual std::string getNameByCode(MDBF* table);
  virtual gfx::Image tableViewTitleBackgroundImage();
  virtual gfx::Image tableViewCellBackgroundImage();
  virtual gfx::Color tableViewTitleTextColor();
  virtual void updateTableViewStatus() {}

  // --- TableTableViewDelegate ---
  int numberOfRowsInSection(ui::TableView& table, int section, int position) override;
  std::optional<double> heightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path,
                                                int position) override;
  std::optional<double> titleHeightForTable_TableView(Table_TableView& view) override;
  std::optional<double> leftWidthForTable_TableView(Table_TableView& view) override;
  std::optional<double> rightWidthForTable_TableView(Table_TableView& view) override;
  std::optional<double> contentWidthFortableTableView(Table_TableView& view) override;
  std::optional<double> rightContentWidthForTable_TableView(Table_TableView& view) override;
  std::optional<double> widthForDescriptionAboutTableTableView(Table_TableView& view) override;
  std::shared_ptr<ui::View> titleViewForTable_TableViewLeftView(Table_TableView& view) override;
  std::shared_ptr<ui::View> titleViewForTable_TableViewRightView(Table_TableView& view) override;
  std::shared_ptr<ui::View> titleViewForTable_TableViewDescView(Table_TableView& view) override;
  void tableViewCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                            const ui::IndexPath& path) override;
  void updateCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                         const ui::IndexPath& path) override;

  // --- state ---
  const tagTableColsInfo& colsInfo() const { return m_cols; }
  MDBF& listDbf() { return m_listdbf; }
  const std::vector<double>& tableItemWidthArray() const { return _tableItemWidthArray; }
  bool addPrefixForZJZH() const { return _bAddPrefixForZJZH; }
  void setAddPrefixForZJZH(bool add) { _bAddPrefixForZJZH = add; }
  // One tenth of the width of "0123456789" in the system font of size 13.
  static double averageDigitWidth();

 protected:
  bool _bAddPrefixForZJZH = false;
  tagTableColsInfo m_cols;
  MDBF m_listdbf;
  std::vector<double> _tableItemWidthArray;

 private:
  double leftWidth() const;
  double rightWidth() const;
  // The record's text of the field, or none when it cannot be shown as text.
  std::optional<std::string> fieldText(int fieldId) const;
  gfx::Color rowColour() const;
  std::shared_ptr<ui::View> titleView(double width, const std::vector<std::string>& titles,
                                      const std::vector<int>& alignments, bool right);
};
