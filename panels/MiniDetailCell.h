// A row of the mini detail tables (and of the Hong Kong ten levels): a name and one or two
// values over the row's background image, with an optional separator line along the bottom.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"

// Tags of the row's parts: labels from the left, then the separators.
inline constexpr int kMiniCellLabelTag = 701;
inline constexpr int kMiniCellTopLineTag = 801;
inline constexpr int kMiniCellBottomLineTag = 802;

class MiniDetailCell : public ui::TableViewCell {
 public:
  // The reuse identifier of the tables made of these rows.
  static constexpr char kReuseIdentifier[] = "identifier";

  explicit MiniDetailCell(ui::TableViewCellStyle style = ui::TableViewCellStyle::Default,
                          const std::string& reuseIdentifier = {});
  static std::shared_ptr<MiniDetailCell> create(
      ui::TableViewCellStyle style = ui::TableViewCellStyle::Default,
      const std::string& reuseIdentifier = {});

  // Builds n labels side by side over a row `width` x `height`, and the bottom separator
  // (hidden until shown). n 0 does nothing; a second build replaces the first.
  void setTextNum(int n, double width, double height);
  // Lays the labels out again from the left; labels past the list keep their width.
  void updateTextWidth(const std::vector<double>& widths);
  void updateText(const std::string& name, const std::string& value,
                  const std::string& value2 = {});
  // Colour of both values, or of each.
  void updateTextColor(const gfx::Color& color);
  void updateTextColor(const gfx::Color& value, const gfx::Color& value2);
  void showSeparatorLine(bool show);
  // The top line is never built, so only the bottom one can show.
  void showSeparatorLine(bool top, bool bottom);

  int labelCount() const { return _nLableNum; }
  // Label i from the left (0 name), or null.
  ui::Label* label(int i) const;
  ui::View* separator() const { return separator_.get(); }

 private:
  int _nLableNum = 0;
  // The parts by tag, kept so that refreshing a row does not search the cell.
  std::vector<std::shared_ptr<ui::Label>> labels_;
  std::shared_ptr<ui::View> separator_;
};
