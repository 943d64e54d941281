// A row of text labels, one per column: the column titles the list screens hand to the split
// table view, and the value rows and section headers of some tables. Tapping a title selects
// it -- yellow text, a rounded highlight behind it and a sort arrow at its right edge -- and
// tells the delegate the title and the sort direction; a second tap on the selected title
// reverses the direction.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Font.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "widgets/TableCell.h"

class CustomLabels;

class CustomLabelsDelegate : public virtual TableCellDelegate {
 public:
  // `index`: the tapped title among the labels, in subview order; `type`: the sort direction
  // after the tap (1: the "xiashang.png" arrow, 0: "xiajiang.png").
  virtual void customLabelDidSelectIndex(CustomLabels& labels, int index, int type) = 0;
};

class CustomLabels : public TableCell {
 public:
  // The class-wide orientation that lays titles side by side; any other value stacks them.
  static constexpr int kSideBySide = 17;
  static constexpr int kTitleTagBase = 10;

  explicit CustomLabels(const gfx::Rect& frame = {});

  // --- class-wide state (labels take it when they are made) ---
  static void customLabelsFont(const gfx::Font& font);
  static gfx::Font getCustomLabelsFont();
  static void customLabelsOrientation(int orientation);
  static int getCustomLabelsOrientation();
  // Back to the start-up values (system 20, side by side); for tests.
  static void resetClassState();

  // Adds a label of `size` centred at `center` to `view`, unless a view with `tag` already lies
  // anywhere under it. Alignment 0 left, 1 centre, 2 right. The text is set only when `show`.
  static void createLabelInView(const std::string& text, gfx::Size size, gfx::Point center,
                                const gfx::Font& font, ui::View& view, bool show, int tag,
                                int alignment);

  // --- title rows (title i gets tag 10 + i) ---
  static std::shared_ptr<CustomLabels> create(const gfx::Rect& frame, double height,
                                              gfx::Size titleSize, bool showTitle, int alignment,
                                              const std::vector<std::string>& titles);
  static std::shared_ptr<CustomLabels> create(const gfx::Rect& frame, gfx::Size titleSize,
                                              bool showTitle, int alignment,
                                              const std::vector<std::string>& titles);
  static std::shared_ptr<CustomLabels> createWithOrientation(const gfx::Rect& frame,
                                                             gfx::Size titleSize, bool showTitle,
                                                             int alignment,
                                                             const std::vector<std::string>& titles,
                                                             bool sideBySide);
  // At most `count` titles; title i is placed at position i and tagged indexes[i] + 10.
  static std::shared_ptr<CustomLabels> createWithIndexes(const gfx::Rect& frame,
                                                         gfx::Size titleSize, bool showTitle,
                                                         int alignment,
                                                         const std::vector<int>& indexes, int count,
                                                         const std::vector<std::string>& titles);

  // --- texts, colours, fonts, alignment (title i is the label tagged 10 + i) ---
  void updateTitleContent(const std::vector<std::string>& titles);
  void updateTitleContentWithArray(const std::vector<std::string>& titles);
  void updateTitleAllContent(const std::string& text);
  // Title k gets titles[indexes[k]] for k below count; indexes outside the titles are skipped.
  void updateTitleWithIndex(const std::vector<int>& indexes, int count,
                            const std::vector<std::string>& titles);
  void updateTitleTextColor(const std::optional<gfx::Color>& color);
  void updateTitleColorWithIndex(int index, const gfx::Color& color);
  void updateTitleColorWithIndex(const std::vector<int>& indexes, int count,
                                 const std::vector<gfx::Color>& colors);
  void updateTitleAllToFont(const gfx::Font& font);
  void updateTitleFontWithIndex(const std::vector<int>& indexes, int count,
                                const std::vector<gfx::Font>& fonts);
  void updateTitleTextAlignment(const std::vector<int>& alignments);
  void updateTitleAllAlignment(const std::vector<int>& alignments);
  void setCanShowTwoLines();

  // --- widths (labels placed left to right from x 0) ---
  void updateTitleAllWidth(const std::vector<double>& widths);
  void updateTitleAllWidth(const std::vector<double>& widths, bool allSubView);
  void updateTitleAllWidth2(int width);
  void updateTitleWithArray(const std::vector<std::string>& titles,
                            const std::vector<double>& widths, int start, int count);
  void updateTitleWithArray(const std::vector<std::string>& titles, int frameWidth);
  void updateTitleWithArray(const std::vector<std::string>& titles, int frameWidth, bool other);

  // --- selection ---
  void setTitleSelectEnabled(bool enabled) { selectEnabled_ = enabled; }
  void setHideSelectState(bool hide) { hideSelectState_ = hide; }
  void setNoUpDownState(bool noUpDown) { noUpDownState_ = noUpDown; }
  // Title `index` (in the row's order) names values the list cannot be sorted by: a tap on it
  // is not reported and selects nothing.
  void setTitleUnsortable(int index) { unsortable_.push_back(index); }
  void setUpDownSortType(int type) { sortTypeUpdown_ = type; }
  int upDownSortType() const { return sortTypeUpdown_; }
  int selectedIndex() const { return select_; }
  void initSelectLabe(int index, bool change, int type);
  void initSelectLabe(int index, bool change);
  void revertLabelsStatus();
  void revertAllTitle(int tag);
  double getSelectTitleWidth(int index);

  bool drawBackground() const { return drawBackground_; }
  void setDrawBackground(bool draw) { drawBackground_ = draw; }
  gfx::Size titleSize() const { return titleSize_; }
  ui::ImageView* denoteImageView() const { return denoteImageView_.get(); }
  ui::ImageView* menuBarSlideBg() const { return menuBarSlideBg_.get(); }
  // Title i, or null when no label carries its tag.
  ui::Label* titleLabel(int index);
  std::vector<ui::Label*> labels() const;

  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) override;
  ui::Responder* nextResponder() const override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;

 private:
  // The title whose column holds `p` (its sort arrow's room included); 0 when none does.
  int titleIndexAt(gfx::Point p) const;
  // Where the finger on the row came down (none: no touch began here).
  std::optional<gfx::Point> touchStart_;
  void initTitles(double height, gfx::Size titleSize, bool showTitle, int alignment,
                  const std::vector<std::string>& titles, bool sideBySide,
                  const std::vector<int>* indexes, int count);
  void placeLeftToRight(const std::vector<double>& widths, bool stopAtMissing);
  // Puts the sort arrow just right of the text of title `index`, inside that title's column; a
  // title too wide to leave it room gives up the arrow's width at its right end and shrinks.
  void placeArrow(int index);
  // Gives the title that made room for the arrow its whole width back.
  void giveBackArrowRoom();
  // After widths, texts or fonts changed: the arrow again beside its title.
  void replaceArrow();
  static void setShrinking(ui::Label& label, bool withMinimumScale);

  gfx::Size titleSize_;
  int sortTypeUpdown_ = 0;
  bool drawBackground_ = true;
  std::shared_ptr<ui::ImageView> denoteImageView_;
  std::shared_ptr<ui::ImageView> menuBarSlideBg_;
  int select_ = -1;
  // The title that gave the arrow room at its right end (-1: none), its frame while it does and
  // the shrinking it had before.
  int roomIndex_ = -1;
  gfx::Rect roomFrame_;
  bool roomAdjusts_ = false;
  double roomMinimumFont_ = 0;
  bool selectEnabled_ = true;
  bool hideSelectState_ = false;
  bool noUpDownState_ = false;
  std::vector<int> unsortable_;
};
