// A row of dots, one per page, with the current page's dot brighter. A tap on the left half
// goes back one page, on the right half forward one, and sends value-changed; setting the page
// in code sends nothing. The page is always within 0..numberOfPages-1 (0 when there are none).
//
// Like the phone platform, a control with hidesForSinglePage on draws nothing (and takes no
// taps) while there is one page or none; it is off by default, so a single dot shows.
#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/Control.h"

namespace ui {

class PageControl : public Control {
 public:
  explicit PageControl(const gfx::Rect& frame = {});
  static std::shared_ptr<PageControl> create(const gfx::Rect& frame = {});

  int numberOfPages() const { return pages_; }
  // Negative counts are taken as none; the current page moves back into range.
  void setNumberOfPages(int pages);
  int currentPage() const { return current_; }
  // Clamped to the pages there are.
  void setCurrentPage(int page);
  bool hidesForSinglePage() const { return hidesForSinglePage_; }
  void setHidesForSinglePage(bool hides);

  gfx::Color pageIndicatorTintColor() const { return dotColor_; }
  void setPageIndicatorTintColor(const gfx::Color& color);
  gfx::Color currentPageIndicatorTintColor() const { return currentDotColor_; }
  void setCurrentPageIndicatorTintColor(const gfx::Color& color);

  // The least size that shows `pages` dots.
  static gfx::Size sizeForNumberOfPages(int pages);
  // Where the dot of `page` is drawn (bounds coordinates): the row is centred in the bounds.
  gfx::Rect dotRect(int page) const;

  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  gfx::Size sizeThatFits(gfx::Size) const override { return sizeForNumberOfPages(pages_); }

  static constexpr double kDotDiameter = 7;
  static constexpr double kDotSpacing = 9;  // between neighbouring dots
  static constexpr double kHeight = 36;

 private:
  bool showsDots() const { return pages_ > 1 || (pages_ == 1 && !hidesForSinglePage_); }

  int pages_ = 0;
  int current_ = 0;
  bool hidesForSinglePage_ = false;
  gfx::Color dotColor_ = gfx::Color(1, 1, 1, 0.3);
  gfx::Color currentDotColor_ = gfx::Color::white();
};

}  // namespace ui
