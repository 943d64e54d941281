#include "widgets/CustomLabels.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Touch.h"

namespace {

gfx::Font& ClassFont() {
  static gfx::Font font = gfx::Font::systemFont(20);
  return font;
}

int& ClassOrientation() {
  static int orientation = CustomLabels::kSideBySide;
  return orientation;
}

gfx::TextAlignment AlignmentOf(int value) {
  switch (value) {
    case 1:
      return gfx::TextAlignment::Center;
    case 2:
      return gfx::TextAlignment::Right;
    default:
      return gfx::TextAlignment::Left;
  }
}

// The entry of `values` named by indexes[k], or null when either index is out of range.
template <class T>
const T* Pick(const std::vector<int>& indexes, size_t k, const std::vector<T>& values) {
  if (k >= indexes.size()) return nullptr;
  const int i = indexes[k];
  if (i < 0 || static_cast<size_t>(i) >= values.size()) return nullptr;
  return &values[static_cast<size_t>(i)];
}

// How many entries an index list and a value list allow together (count bounded by both).
template <class T>
size_t PickCount(const std::vector<int>& indexes, int count, const std::vector<T>& values) {
  if (count <= 0) return 0;
  return std::min({static_cast<size_t>(count), values.size(), indexes.size()});
}

}  // namespace

CustomLabels::CustomLabels(const gfx::Rect& frame) : TableCell(frame) {
  denoteImageView_ = ui::ImageView::create(gfx::Rect(0, 0, 13, 18));
  setClipsToBounds(true);
}

// --- class-wide state ---------------------------------------------------------------------------

void CustomLabels::customLabelsFont(const gfx::Font& font) {
  ClassFont() = font;
}
gfx::Font CustomLabels::getCustomLabelsFont() {
  return ClassFont();
}
void CustomLabels::customLabelsOrientation(int orientation) {
  ClassOrientation() = orientation;
}
int CustomLabels::getCustomLabelsOrientation() {
  return ClassOrientation();
}
void CustomLabels::resetClassState() {
  ClassFont() = gfx::Font::systemFont(20);
  ClassOrientation() = kSideBySide;
}

void CustomLabels::createLabelInView(const std::string& text, gfx::Size size, gfx::Point center,
                                     const gfx::Font& font, ui::View& view, bool show, int tag,
                                     int alignment) {
  if (view.viewWithTag(tag)) return;
  auto label = ui::Label::create(gfx::Rect(0, 0, size.width, size.height));
  label->setCenter(center);
  label->setTextColor(gfx::Color::white());
  label->setBackgroundColor(gfx::Color::clear());
  label->setFont(font);
  label->setTextAlignment(AlignmentOf(alignment));
  label->setUserInteractionEnabled(false);
  label->setTag(tag);
  if (show) label->setText(text);
  view.addSubview(label);
}

// --- title rows ---------------------------------------------------------------------------------

void CustomLabels::initTitles(double height, gfx::Size titleSize, bool showTitle, int alignment,
                              const std::vector<std::string>& titles, bool sideBySide,
                              const std::vector<int>* indexes, int count) {
  drawBackground_ = true;
  titleSize_ = titleSize;
  sortTypeUpdown_ = 0;
  size_t n = titles.size();
  if (indexes) n = std::min({n, indexes->size(), static_cast<size_t>(std::max(count, 0))});
  const double w = titleSize.width, h = titleSize.height;
  for (size_t i = 0; i < n; ++i) {
    const double k = 2.0 * static_cast<double>(i) + 1;
    const gfx::Point center =
        sideBySide ? gfx::Point(w / 2 * k, h / 2 + height) : gfx::Point(w / 2, h / 2 * k + height);
    const int tag = kTitleTagBase + (indexes ? (*indexes)[i] : static_cast<int>(i));
    createLabelInView(titles[i], titleSize, center, ClassFont(), *this, showTitle, tag, alignment);
  }
}

std::shared_ptr<CustomLabels> CustomLabels::create(const gfx::Rect& frame, double height,
                                                   gfx::Size titleSize, bool showTitle,
                                                   int alignment,
                                                   const std::vector<std::string>& titles) {
  auto view = std::make_shared<CustomLabels>(frame);
  view->initTitles(height, titleSize, showTitle, alignment, titles,
                   ClassOrientation() == kSideBySide, nullptr, 0);
  return view;
}

std::shared_ptr<CustomLabels> CustomLabels::create(const gfx::Rect& frame, gfx::Size titleSize,
                                                   bool showTitle, int alignment,
                                                   const std::vector<std::string>& titles) {
  return create(frame, 0, titleSize, showTitle, alignment, titles);
}

std::shared_ptr<CustomLabels> CustomLabels::createWithOrientation(
    const gfx::Rect& frame, gfx::Size titleSize, bool showTitle, int alignment,
    const std::vector<std::string>& titles, bool sideBySide) {
  auto view = std::make_shared<CustomLabels>(frame);
  view->initTitles(0, titleSize, showTitle, alignment, titles, sideBySide, nullptr, 0);
  return view;
}

std::shared_ptr<CustomLabels> CustomLabels::createWithIndexes(
    const gfx::Rect& frame, gfx::Size titleSize, bool showTitle, int alignment,
    const std::vector<int>& indexes, int count, const std::vector<std::string>& titles) {
  auto view = std::make_shared<CustomLabels>(frame);
  view->initTitles(0, titleSize, showTitle, alignment, titles, ClassOrientation() == kSideBySide,
                   &indexes, count);
  return view;
}

// --- lookups ------------------------------------------------------------------------------------

ui::Label* CustomLabels::titleLabel(int index) {
  return dynamic_cast<ui::Label*>(viewWithTag(kTitleTagBase + index));
}

std::vector<ui::Label*> CustomLabels::labels() const {
  std::vector<ui::Label*> result;
  for (const auto& view : subviews())
    if (auto* label = dynamic_cast<ui::Label*>(view.get())) result.push_back(label);
  return result;
}

// --- texts, colours, fonts, alignment -----------------------------------------------------------

void CustomLabels::updateTitleContent(const std::vector<std::string>& titles) {
  updateTitleContentWithArray(titles);
}

void CustomLabels::updateTitleContentWithArray(const std::vector<std::string>& titles) {
  for (size_t i = 0; i < titles.size(); ++i)
    if (ui::Label* label = titleLabel(static_cast<int>(i))) label->setText(titles[i]);
}

void CustomLabels::updateTitleAllContent(const std::string& text) {
  for (ui::Label* label : labels()) label->setText(text);
}

void CustomLabels::updateTitleWithIndex(const std::vector<int>& indexes, int count,
                                        const std::vector<std::string>& titles) {
  const size_t n = PickCount(indexes, count, titles);
  for (size_t k = 0; k < n; ++k) {
    const std::string* title = Pick(indexes, k, titles);
    ui::Label* label = titleLabel(static_cast<int>(k));
    if (title && label) label->setText(*title);
  }
}

void CustomLabels::updateTitleTextColor(const std::optional<gfx::Color>& color) {
  if (!color) return;
  for (ui::Label* label : labels()) label->setTextColor(*color);
}

void CustomLabels::updateTitleColorWithIndex(int index, const gfx::Color& color) {
  if (ui::Label* label = titleLabel(index)) label->setTextColor(color);
}

void CustomLabels::updateTitleColorWithIndex(const std::vector<int>& indexes, int count,
                                             const std::vector<gfx::Color>& colors) {
  const size_t n = PickCount(indexes, count, colors);
  for (size_t k = 0; k < n; ++k) {
    const gfx::Color* color = Pick(indexes, k, colors);
    ui::Label* label = titleLabel(static_cast<int>(k));
    if (color && label) label->setTextColor(*color);
  }
}

void CustomLabels::updateTitleAllToFont(const gfx::Font& font) {
  for (ui::Label* label : labels()) label->setFont(font);
  replaceArrow();
}

void CustomLabels::updateTitleFontWithIndex(const std::vector<int>& indexes, int count,
                                            const std::vector<gfx::Font>& fonts) {
  const size_t n = PickCount(indexes, count, fonts);
  for (size_t k = 0; k < n; ++k) {
    const gfx::Font* font = Pick(indexes, k, fonts);
    ui::Label* label = titleLabel(static_cast<int>(k));
    if (!font || !label) continue;
    label->setFont(*font);
    label->setLineBreakMode(gfx::LineBreakMode::Clip);
  }
}

void CustomLabels::updateTitleTextAlignment(const std::vector<int>& alignments) {
  for (size_t i = 0; i < alignments.size(); ++i)
    if (ui::Label* label = titleLabel(static_cast<int>(i)))
      label->setTextAlignment(AlignmentOf(alignments[i]));
}

void CustomLabels::updateTitleAllAlignment(const std::vector<int>& alignments) {
  // One entry per label is expected; labels past the list keep their alignment.
  const size_t n = std::min(labels().size(), alignments.size());
  for (size_t i = 0; i < n; ++i)
    if (ui::Label* label = titleLabel(static_cast<int>(i)))
      label->setTextAlignment(AlignmentOf(alignments[i]));
}

void CustomLabels::setCanShowTwoLines() {
  for (ui::Label* label : labels()) {
    const gfx::Size size = gfx::measureText(label->text(), label->font());
    if (size.width > label->bounds().width()) {
      label->setFont(gfx::Font::systemFont(13));
      label->setNumberOfLines(2);
    }
  }
}

// --- widths -------------------------------------------------------------------------------------

void CustomLabels::setShrinking(ui::Label& label, bool withMinimumScale) {
  label.setAdjustsFontSizeToFitWidth(true);
  // A minimum scale factor of 11 never lets the text shrink below its own size.
  if (withMinimumScale) label.setMinimumFontSize(label.font().pointSize());
}

void CustomLabels::placeLeftToRight(const std::vector<double>& widths, bool stopAtMissing) {
  giveBackArrowRoom();
  const size_t n = labels().size();
  double x = 0;
  for (size_t i = 0; i < n; ++i) {
    if (stopAtMissing && i >= widths.size()) break;
    ui::Label* label = titleLabel(static_cast<int>(i));
    if (!label) continue;
    const gfx::Rect f = label->frame();
    const double w = i < widths.size() ? widths[i] : f.width();
    label->setFrame(gfx::Rect(x, f.y(), w, f.height()));
    x += w;
  }
  const gfx::Rect f = frame();
  setFrame(gfx::Rect(f.x(), f.y(), x + 4, f.height()));
  replaceArrow();
}

void CustomLabels::updateTitleAllWidth(const std::vector<double>& widths) {
  placeLeftToRight(widths, false);
}

void CustomLabels::updateTitleAllWidth(const std::vector<double>& widths, bool allSubView) {
  placeLeftToRight(widths, allSubView);
}

void CustomLabels::updateTitleAllWidth2(int width) {
  giveBackArrowRoom();
  const size_t n = labels().size();
  double x = 0;
  for (size_t i = 0; i < n; ++i) {
    ui::Label* label = titleLabel(static_cast<int>(i));
    if (!label) continue;
    const gfx::Rect f = label->frame();
    label->setFrame(gfx::Rect(x, 0, width, f.height()));
    x += width;
  }
  const gfx::Rect f = frame();
  setFrame(gfx::Rect(f.x(), f.y(), x, f.height()));
  replaceArrow();
}

void CustomLabels::updateTitleWithArray(const std::vector<std::string>& titles,
                                        const std::vector<double>& widths, int start, int count) {
  for (size_t i = 0; i < titles.size(); ++i) {
    ui::Label* label = titleLabel(static_cast<int>(i));
    if (!label) continue;
    label->setText(titles[i]);
    setShrinking(*label, true);
  }
  // Widths are taken from `start` on, never past the end of the list.
  std::vector<double> taken;
  const size_t m = std::min(static_cast<size_t>(std::max(count, 0)), widths.size());
  for (size_t i = 0; i < m; ++i) {
    if (start < 0 || static_cast<size_t>(start) + i >= widths.size()) break;
    taken.push_back(widths[static_cast<size_t>(start) + i]);
  }
  placeLeftToRight(taken, false);
}

void CustomLabels::updateTitleWithArray(const std::vector<std::string>& titles, int frameWidth) {
  if (titles.empty()) return;  // no titles: no columns to share the width
  for (size_t i = 0; i < titles.size(); ++i) {
    ui::Label* label = titleLabel(static_cast<int>(i));
    if (!label) continue;
    label->setText(titles[i]);
    setShrinking(*label, false);
  }
  const gfx::Rect f = frame();
  if (f.width() == frameWidth) return;
  setFrame(gfx::Rect(f.x(), f.y(), frameWidth, f.height()));
  const int q = frameWidth / static_cast<int>(titles.size());
  const size_t n = labels().size();
  for (size_t i = 0; i < n; ++i) {
    ui::Label* label = titleLabel(static_cast<int>(i));
    if (!label) continue;
    const gfx::Rect lf = label->frame();
    label->setFrame(gfx::Rect(static_cast<double>(i) * q, lf.y(), q, lf.height()));
  }
}

void CustomLabels::updateTitleWithArray(const std::vector<std::string>& titles, int frameWidth,
                                        bool other) {
  if (titles.empty()) return;  // no titles: no width to share
  if (!other || titles.size() >= 3) {
    updateTitleWithArray(titles, frameWidth);
    return;
  }
  const size_t n = labels().size();
  for (size_t i = 0; i < n; ++i) {
    ui::Label* label = titleLabel(static_cast<int>(i));
    if (!label) continue;
    label->setText(i < titles.size() ? titles[i] : std::string());
    setShrinking(*label, true);
  }
  const gfx::Rect f = frame();
  setFrame(gfx::Rect(f.x(), f.y(), frameWidth, f.height()));
  const double viewHeight = bounds().height();
  for (size_t i = 0; i < n; ++i) {
    ui::Label* label = titleLabel(static_cast<int>(i));
    if (!label) continue;
    const gfx::Rect lf = label->frame();
    if (ClassOrientation() != kSideBySide) {
      label->setFrame(gfx::Rect(lf.x(), 2 + (viewHeight * static_cast<double>(i)) / 2, lf.width(),
                                lf.height()));
    } else {
      const double w = static_cast<double>(frameWidth / static_cast<int>(titles.size()));
      label->setFrame(gfx::Rect(0, (viewHeight - lf.height()) / 2, w, lf.height()));
    }
  }
}

// --- selection ----------------------------------------------------------------------------------

void CustomLabels::initSelectLabe(int index, bool change, int type) {
  if (!selectEnabled_ || hideSelectState_ || index < 0 || !change || noUpDownState_) return;
  giveBackArrowRoom();
  if (!menuBarSlideBg_) {
    menuBarSlideBg_ = ui::ImageView::create(gfx::Rect(-100, 3, 80, 25));
    menuBarSlideBg_->setImage(gfx::Image::named("menubar_sel.png"));
    menuBarSlideBg_->setAlpha(0.8);
    menuBarSlideBg_->layer().setMasksToBounds(true);
    menuBarSlideBg_->layer().setCornerRadius(8);
    menuBarSlideBg_->layer().setBorderWidth(1);
    menuBarSlideBg_->layer().setBorderColor(gfx::Color::clear());
    insertSubview(menuBarSlideBg_, 0);
  }
  revertAllTitle(index + kTitleTagBase);
  select_ = index;
  if (!denoteImageView_->superview()) addSubview(denoteImageView_);
  sortTypeUpdown_ = type;
  denoteImageView_->setImage(
      gfx::Image::named(sortTypeUpdown_ == 1 ? "xiashang.png" : "xiajiang.png"));
  placeArrow(index);
}

namespace {
constexpr double kSortArrowWidth = 13;
constexpr double kSortArrowGap = 2;
// The arrow, the gap before it and a point before the column's edge.
constexpr double kSortArrowRoom = kSortArrowWidth + kSortArrowGap + 1;
constexpr double kSmallestSortTitleFont = 10;
}  // namespace

void CustomLabels::placeArrow(int index) {
  giveBackArrowRoom();
  ui::Label* label = titleLabel(index);
  if (!label) {
    denoteImageView_->setCenter(gfx::Point(bounds().width(), titleSize_.height / 2));
    return;
  }
  // The arrow stands beside the text, never over it, and inside the title's own column (so
  // inside the screen wherever the column is shown whole).
  const gfx::Rect column = label->frame();
  double textWidth = label->sizeThatFits(gfx::Size(1e6, column.height())).width;
  const bool centred = label->textAlignment() == gfx::TextAlignment::Center;
  const double rightSpace = centred ? (column.width() - textWidth) / 2 : column.width() - textWidth;
  if (rightSpace < kSortArrowRoom && column.width() > kSortArrowRoom) {
    roomIndex_ = index;
    roomAdjusts_ = label->adjustsFontSizeToFitWidth();
    roomMinimumFont_ = label->minimumFontSize();
    roomFrame_ =
        gfx::Rect(column.x(), column.y(), column.width() - kSortArrowRoom, column.height());
    label->setFrame(roomFrame_);
    label->setAdjustsFontSizeToFitWidth(true);
    label->setMinimumFontSize(std::min(label->font().pointSize(), kSmallestSortTitleFont));
    textWidth = std::min(textWidth, roomFrame_.width());
  }
  const gfx::Rect shown = label->frame();
  double textRight = shown.x() + textWidth;
  if (label->textAlignment() == gfx::TextAlignment::Center)
    textRight = shown.x() + (shown.width() + textWidth) / 2;
  else if (label->textAlignment() == gfx::TextAlignment::Right)
    textRight = shown.maxX();
  const double half = kSortArrowWidth / 2;
  double x = std::min(textRight + kSortArrowGap + half, column.maxX() - 1 - half);
  x = std::min(x, bounds().width() - 1 - half);
  denoteImageView_->setCenter(gfx::Point(x, titleSize_.height / 2));
}

void CustomLabels::giveBackArrowRoom() {
  if (roomIndex_ < 0) return;
  ui::Label* label = titleLabel(roomIndex_);
  roomIndex_ = -1;
  if (!label || label->frame() != roomFrame_) return;
  label->setFrame(gfx::Rect(roomFrame_.x(), roomFrame_.y(), roomFrame_.width() + kSortArrowRoom,
                            roomFrame_.height()));
  label->setAdjustsFontSizeToFitWidth(roomAdjusts_);
  label->setMinimumFontSize(roomMinimumFont_);
}

void CustomLabels::replaceArrow() {
  if (select_ >= 0 && denoteImageView_->superview() && !denoteImageView_->image().isEmpty())
    placeArrow(select_);
}

void CustomLabels::initSelectLabe(int index, bool change) {
  initSelectLabe(index, change, sortTypeUpdown_);
}

void CustomLabels::revertLabelsStatus() {
  giveBackArrowRoom();
  if (menuBarSlideBg_) {
    menuBarSlideBg_->removeFromSuperview();
    menuBarSlideBg_.reset();
  }
  denoteImageView_->setImage(gfx::Image());
  select_ = -1;
  for (ui::Label* label : labels()) label->setTextColor(gfx::Color::white());
}

void CustomLabels::revertAllTitle(int tag) {
  for (ui::Label* label : labels()) {
    if (label->tag() == tag) {
      label->setTextColor(gfx::Color::yellow());
      if (menuBarSlideBg_) {
        const gfx::Rect f = label->frame();
        menuBarSlideBg_->setFrame(gfx::Rect(f.x() + 2, f.y() + 3, f.width(), f.height() - 6));
      }
    } else {
      label->setTextColor(gfx::Color::white());
    }
  }
}

double CustomLabels::getSelectTitleWidth(int index) {
  ui::Label* label = titleLabel(index);
  if (!label) return bounds().width();
  const gfx::Rect f = label->frame();
  const double r = f.x() + f.width();
  const size_t length = foundation::utf8ToUtf16(label->text()).size();
  double x;
  if (length < 3) {
    x = f.width() >= 90 ? r - 23 : r - 10;
  } else if (length == 3) {
    x = r - 6;
  } else {
    x = r - 4;
  }
  return x == 0 ? bounds().width() : x;
}

// --- touches and drawing ------------------------------------------------------------------------

void CustomLabels::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
  (void)event;
  touchStart_.reset();
  if (!touches.empty()) touchStart_ = touches.front()->locationInView(this);
}

int CustomLabels::titleIndexAt(gfx::Point p) const {
  int index = 0, number = 0;
  for (ui::Label* label : labels()) {
    gfx::Rect column = label->frame();
    // The arrow's room still belongs to the title that gave it.
    if (label->tag() == roomIndex_ + kTitleTagBase && roomIndex_ >= 0)
      column = gfx::Rect(column.x(), column.y(), column.width() + kSortArrowRoom, column.height());
    if (column.contains(p)) index = number;
    ++number;
  }
  return index;
}

void CustomLabels::touchesEnded(const ui::TouchSet& touches, const ui::Event& event) {
  auto keep = sharedView();
  const std::optional<gfx::Point> start = touchStart_;
  touchStart_.reset();
  if (!touches.empty()) {
    const gfx::Point p = touches.front()->locationInView(this);
    const int index = titleIndexAt(start.value_or(p));
    // A finger dragged along the row is no tap: only one that lifts within a tap's reach of
    // where it came down chooses the title it came down on.
    const bool tap = !start || std::hypot(p.x - start->x, p.y - start->y) <=
                                   ui::TapGestureRecognizer::kAllowableMovement;
    auto hold = delegateShared();
    auto* target = dynamic_cast<CustomLabelsDelegate*>(hold.get());
    // A title over values the list cannot be sorted by takes no tap: the order stays as shown.
    const bool sortable =
        std::find(unsortable_.begin(), unsortable_.end(), index) == unsortable_.end();
    if (tap && selectEnabled_ && target && sortable) {
      if (index == select_) sortTypeUpdown_ ^= 1;
      select_ = index;
      target->customLabelDidSelectIndex(*this, index, sortTypeUpdown_);
      initSelectLabe(index, true);
    }
  }
  if (ui::Responder* next = nextResponder()) next->touchesEnded(touches, event);
}

void CustomLabels::touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) {
  touchStart_.reset();
  TableCell::touchesCancelled(touches, event);
}

ui::Responder* CustomLabels::nextResponder() const {
  return superview();
}

void CustomLabels::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  if (drawBackground_) TableCell::drawRect(ctx, rect);
}
