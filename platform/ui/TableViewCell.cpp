#include "platform/ui/TableViewCell.h"

#include <algorithm>
#include <functional>

#include "platform/graphics/Context.h"
#include "platform/ui/TableView.h"

namespace ui {

namespace {

constexpr double kEditControlWidth = 32;
constexpr double kReorderWidth = 32;
constexpr double kAccessoryWidth = 20;
constexpr double kCellMargin = 10;

// A view that draws with a function (accessories, controls, grouped backgrounds).
class PaintedView : public View {
 public:
  using Painter = std::function<void(gfx::Context&, const gfx::Rect&)>;
  PaintedView(const gfx::Rect& frame, Painter painter) : View(frame), painter_(std::move(painter)) {
    setOpaque(false);
  }
  void drawRect(gfx::Context& ctx, const gfx::Rect&) override {
    if (painter_) painter_(ctx, bounds());
  }

 private:
  Painter painter_;
};

std::shared_ptr<View> painted(const gfx::Rect& frame, PaintedView::Painter painter) {
  return std::make_shared<PaintedView>(frame, std::move(painter));
}

void drawChevron(gfx::Context& ctx, const gfx::Rect& b, const gfx::Color& color) {
  double cx = b.midX(), cy = b.midY();
  ctx.setStrokeColor(color);
  ctx.setLineWidth(3);
  ctx.setLineCap(gfx::LineCap::Square);
  ctx.beginPath();
  ctx.moveTo(cx - 3, cy - 5);
  ctx.lineTo(cx + 2, cy);
  ctx.lineTo(cx - 3, cy + 5);
  ctx.strokePath();
}

void drawCheckmark(gfx::Context& ctx, const gfx::Rect& b, const gfx::Color& color) {
  double cx = b.midX(), cy = b.midY();
  ctx.setStrokeColor(color);
  ctx.setLineWidth(2.5);
  ctx.beginPath();
  ctx.moveTo(cx - 6, cy);
  ctx.lineTo(cx - 2, cy + 5);
  ctx.lineTo(cx + 7, cy - 6);
  ctx.strokePath();
}

// A round red (delete) or green (insert) badge with a white bar or cross.
void drawEditBadge(gfx::Context& ctx, const gfx::Rect& b, bool insert, bool rotated) {
  gfx::Rect circle(b.midX() - 10, b.midY() - 10, 20, 20);
  ctx.setFillColor(insert ? gfx::Color::rgb255(76, 190, 60) : gfx::Color::rgb255(220, 40, 40));
  ctx.fillEllipse(circle);
  ctx.setStrokeColor(gfx::Color::white());
  ctx.setLineWidth(1.5);
  ctx.strokeEllipse(circle.inset(0.75, 0.75));
  ctx.setFillColor(gfx::Color::white());
  if (rotated)
    ctx.fillRect(gfx::Rect(b.midX() - 2, b.midY() - 6, 4, 12));
  else
    ctx.fillRect(gfx::Rect(b.midX() - 6, b.midY() - 2, 12, 4));
  if (insert) ctx.fillRect(gfx::Rect(b.midX() - 2, b.midY() - 6, 4, 12));
}

// The mark circle of multiple-selection editing: empty, or filled with a tick when marked.
void drawMarkCircle(gfx::Context& ctx, const gfx::Rect& b, bool marked) {
  gfx::Rect circle(b.midX() - 10, b.midY() - 10, 20, 20);
  if (marked) {
    ctx.setFillColor(gfx::Color::rgb255(30, 120, 220));
    ctx.fillEllipse(circle);
    ctx.setStrokeColor(gfx::Color::white());
    ctx.setLineWidth(2);
    ctx.strokePolyline({gfx::Point(b.midX() - 5, b.midY()), gfx::Point(b.midX() - 1, b.midY() + 4),
                        gfx::Point(b.midX() + 5, b.midY() - 4)});
  } else {
    ctx.setStrokeColor(gfx::Color::grey(0.6));
    ctx.setLineWidth(1.5);
    ctx.strokeEllipse(circle.inset(0.75, 0.75));
  }
}

}  // namespace

TableViewCell::TableViewCell(TableViewCellStyle style, const std::string& reuseIdentifier)
    : View(gfx::Rect(0, 0, 320, 44)), style_(style), reuseIdentifier_(reuseIdentifier) {
  setBackgroundColor(gfx::Color::white());
  setAutoresizingMask(Autoresizing::FlexibleWidth);
  contentView_ = View::create(bounds());
  contentView_->setOpaque(false);
  addSubview(contentView_);
  imageView_ = ImageView::create();
  imageView_->setContentMode(ContentMode::Center);
  contentView_->addSubview(imageView_);
  textLabel_ = Label::create();
  textLabel_->setFont(gfx::Font::boldSystemFont(style == TableViewCellStyle::Value2 ? 12 : 18));
  textLabel_->setHighlightedTextColor(gfx::Color::white());
  contentView_->addSubview(textLabel_);
  if (style != TableViewCellStyle::Default) {
    detailTextLabel_ = Label::create();
    detailTextLabel_->setHighlightedTextColor(gfx::Color::white());
    switch (style) {
      case TableViewCellStyle::Value1:
        detailTextLabel_->setFont(gfx::Font::systemFont(17));
        detailTextLabel_->setTextColor(gfx::Color::detailText());
        detailTextLabel_->setTextAlignment(gfx::TextAlignment::Right);
        break;
      case TableViewCellStyle::Value2:
        textLabel_->setTextColor(gfx::Color::detailText());
        textLabel_->setTextAlignment(gfx::TextAlignment::Right);
        detailTextLabel_->setFont(gfx::Font::boldSystemFont(15));
        break;
      default:
        detailTextLabel_->setFont(gfx::Font::systemFont(14));
        detailTextLabel_->setTextColor(gfx::Color::grey(0.5));
        break;
    }
    contentView_->addSubview(detailTextLabel_);
  }
  separator_ = View::create();
  separator_->setBackgroundColor(gfx::Color::grey(0.88));
  separator_->setUserInteractionEnabled(false);
  addSubview(separator_);
}

std::shared_ptr<TableViewCell> TableViewCell::create(TableViewCellStyle style,
                                                     const std::string& reuseIdentifier) {
  return std::make_shared<TableViewCell>(style, reuseIdentifier);
}

TableView* TableViewCell::tableView() const {
  return dynamic_cast<TableView*>(superview());
}

void TableViewCell::setBackgroundView(std::shared_ptr<View> view) {
  if (backgroundView_) backgroundView_->removeFromSuperview();
  backgroundView_ = std::move(view);
  if (backgroundView_) insertSubview(backgroundView_, 0);
  setNeedsLayout();
}

View* TableViewCell::selectedBackgroundView() const {
  if (!selectedBackgroundView_) {
    auto self = const_cast<TableViewCell*>(this);
    selectedBackgroundView_ = painted(bounds(), [self](gfx::Context& ctx, const gfx::Rect& b) {
      bool gray = self->selectionStyle_ == TableViewCellSelectionStyle::Gray;
      gfx::Color top = gray ? gfx::Color::grey(0.75) : gfx::Color::rgb255(5, 140, 245);
      gfx::Color bottom = gray ? gfx::Color::grey(0.55) : gfx::Color::rgb255(1, 93, 230);
      // A vertical band in two tones (cheap stand-in for the gradient).
      ctx.setFillColor(top);
      ctx.fillRect(gfx::Rect(b.x(), b.y(), b.width(), b.height() / 2));
      ctx.setFillColor(bottom);
      ctx.fillRect(gfx::Rect(b.x(), b.midY(), b.width(), b.height() / 2));
    });
    selectedBackgroundView_->setHidden(true);
    selectedBackgroundView_->setUserInteractionEnabled(false);
  }
  return selectedBackgroundView_.get();
}

void TableViewCell::setSelectedBackgroundView(std::shared_ptr<View> view) {
  if (selectedBackgroundView_) selectedBackgroundView_->removeFromSuperview();
  selectedBackgroundView_ = std::move(view);
  updateHighlight();
}

void TableViewCell::setAccessoryType(TableViewCellAccessoryType type) {
  accessoryType_ = type;
  rebuildAccessory();
}

void TableViewCell::setAccessoryView(std::shared_ptr<View> view) {
  customAccessory_ = std::move(view);
  rebuildAccessory();
}

void TableViewCell::setSelectionStyle(TableViewCellSelectionStyle style) {
  selectionStyle_ = style;
  updateHighlight();
}

void TableViewCell::rebuildAccessory() {
  if (accessory_) accessory_->removeFromSuperview();
  accessory_.reset();
  if (customAccessory_) {
    accessory_ = customAccessory_;
  } else {
    switch (accessoryType_) {
      case TableViewCellAccessoryType::None:
        break;
      case TableViewCellAccessoryType::DisclosureIndicator:
        accessory_ = painted(gfx::Rect(0, 0, kAccessoryWidth, 20),
                             [](gfx::Context& ctx, const gfx::Rect& b) {
                               drawChevron(ctx, b, gfx::Color::grey(0.5));
                             });
        break;
      case TableViewCellAccessoryType::Checkmark:
        accessory_ = painted(gfx::Rect(0, 0, kAccessoryWidth, 20),
                             [](gfx::Context& ctx, const gfx::Rect& b) {
                               drawCheckmark(ctx, b, gfx::Color::detailText());
                             });
        break;
      case TableViewCellAccessoryType::DetailDisclosureButton: {
        auto button = Button::create(ButtonType::DetailDisclosure, gfx::Rect(0, 0, 29, 31));
        TableViewCell* self = this;
        button->addTarget(
            [self](Control&) {
              if (TableView* table = self->tableView()) table->accessoryButtonTapped(*self);
            },
            ControlEvent::TouchUpInside);
        accessory_ = button;
        break;
      }
    }
  }
  if (accessory_) addSubview(accessory_);
  setNeedsLayout();
}

void TableViewCell::setSelected(bool selected, bool) {
  if (selected_ == selected) return;
  selected_ = selected;
  updateHighlight();
}

void TableViewCell::setHighlighted(bool highlighted, bool) {
  if (highlighted_ == highlighted) return;
  highlighted_ = highlighted;
  updateHighlight();
}

void TableViewCell::updateHighlight() {
  bool on = (selected_ || highlighted_) && selectionStyle_ != TableViewCellSelectionStyle::None;
  if (on) {
    View* sel = selectedBackgroundView();
    if (sel->superview() != this) {
      size_t index = 0;
      if (backgroundView_ && backgroundView_->superview() == this) ++index;
      if (groupBackground_ && groupBackground_->superview() == this) ++index;
      insertSubview(selectedBackgroundView_, index);
    }
    sel->setFrame(bounds());
    sel->setHidden(false);
  } else if (selectedBackgroundView_) {
    selectedBackgroundView_->setHidden(true);
  }
  textLabel_->setHighlighted(on);
  if (detailTextLabel_) detailTextLabel_->setHighlighted(on);
  imageView_->setHighlighted(on);
  setNeedsDisplay();
}

unsigned TableViewCell::stateMask() const {
  unsigned mask = kTableViewCellStateDefault;
  if (editing_ && editingStyle_ != TableViewCellEditingStyle::None)
    mask |= kTableViewCellStateShowingEditControl;
  if (showingDelete_) mask |= kTableViewCellStateShowingDeleteConfirmation;
  return mask;
}

void TableViewCell::setEditing(bool editing, bool animated) {
  if (editing_ == editing) return;
  const unsigned before = stateMask();
  unsigned after = before & ~static_cast<unsigned>(kTableViewCellStateShowingEditControl);
  if (editing && editingStyle_ != TableViewCellEditingStyle::None)
    after |= kTableViewCellStateShowingEditControl;
  if (!editing) after &= ~static_cast<unsigned>(kTableViewCellStateShowingDeleteConfirmation);
  const bool changes = after != before;
  if (changes) willTransitionToState(after);
  editing_ = editing;
  if (!editing) showingDelete_ = false;
  rebuildEditingControls();
  if (animated && window()) {
    std::weak_ptr<View> weak = sharedView();
    View::animate(0.3, [this] { layoutIfNeeded(); }, [weak, changes, after](bool) {
      auto self = std::static_pointer_cast<TableViewCell>(weak.lock());
      if (self && changes) self->didTransitionToState(after);
    });
  } else if (changes) {
    didTransitionToState(after);
  }
}

void TableViewCell::setMarked(bool marked) {
  if (marked_ == marked) return;
  marked_ = marked;
  if (editControl_)
    for (auto& sub : editControl_->subviews()) sub->setNeedsDisplay();
}

void TableViewCell::setEditingStyle(TableViewCellEditingStyle style) {
  editingStyle_ = style;
  rebuildEditingControls();
}

void TableViewCell::setShowsReorderControl(bool shows) {
  showsReorder_ = shows;
  rebuildEditingControls();
}

void TableViewCell::setShowingDeleteConfirmation(bool showing, const std::string& title) {
  if (showingDelete_ == showing) return;
  unsigned after = stateMask();
  if (showing) {
    after |= kTableViewCellStateShowingDeleteConfirmation;
  } else {
    after &= ~static_cast<unsigned>(kTableViewCellStateShowingDeleteConfirmation);
  }
  willTransitionToState(after);
  showingDelete_ = showing;
  if (showing) {
    deleteButton_ = Button::create(ButtonType::Custom, gfx::Rect(0, 0, 64, 30));
    deleteButton_->setTitle(title);
    deleteButton_->setTitleColor(gfx::Color::white());
    deleteButton_->setFont(gfx::Font::boldSystemFont(14));
    deleteButton_->setBackgroundColor(gfx::Color::rgb255(210, 30, 30));
    deleteButton_->layer().setCornerRadius(5);
    TableViewCell* self = this;
    deleteButton_->addTarget(
        [self](Control&) {
          if (TableView* table = self->tableView())
            table->commitEditing(*self, TableViewCellEditingStyle::Delete);
        },
        ControlEvent::TouchUpInside);
    addSubview(deleteButton_);
  } else if (deleteButton_) {
    deleteButton_->removeFromSuperview();
    deleteButton_.reset();
  }
  if (editControl_) editControl_->setNeedsDisplay();
  setNeedsLayout();
  didTransitionToState(after);
}

void TableViewCell::rebuildEditingControls() {
  if (editControl_) editControl_->removeFromSuperview();
  editControl_.reset();
  if (reorderControl_) reorderControl_->removeFromSuperview();
  reorderControl_.reset();
  if (!editing_ && deleteButton_ && !showingDelete_) {
    deleteButton_->removeFromSuperview();
    deleteButton_.reset();
  }
  if (editing_ && editingStyle_ != TableViewCellEditingStyle::None) {
    bool insert = editingStyle_ == TableViewCellEditingStyle::Insert;
    bool marks = editingStyle_ == TableViewCellEditingStyle::MultipleSelect;
    editControl_ = Button::create(ButtonType::Custom, gfx::Rect(0, 0, kEditControlWidth, 44));
    TableViewCell* self = this;
    auto badge = painted(gfx::Rect(0, 0, kEditControlWidth, 44),
                         [self, insert, marks](gfx::Context& ctx, const gfx::Rect& b) {
                           if (marks) {
                             drawMarkCircle(ctx, b, self->marked_);
                           } else {
                             drawEditBadge(ctx, b, insert, self->showingDelete_);
                           }
                         });
    badge->setUserInteractionEnabled(false);
    badge->setAutoresizingMask(Autoresizing::FlexibleHeight);
    editControl_->addSubview(badge);
    editControl_->addTarget(
        [self, insert, marks](Control&) {
          TableView* table = self->tableView();
          if (!table) return;
          if (marks)
            table->toggleMarkByUser(*self);
          else if (insert)
            table->commitEditing(*self, TableViewCellEditingStyle::Insert);
          else
            table->toggleDeleteConfirmation(*self);
        },
        ControlEvent::TouchUpInside);
    addSubview(editControl_);
  }
  if (editing_ && showsReorder_) {
    reorderControl_ =
        painted(gfx::Rect(0, 0, kReorderWidth, 44), [](gfx::Context& ctx, const gfx::Rect& b) {
          ctx.setFillColor(gfx::Color::grey(0.6));
          for (int i = -1; i <= 1; ++i)
            ctx.fillRect(gfx::Rect(b.midX() - 8, b.midY() + i * 5 - 1, 16, 2));
        });
    addSubview(reorderControl_);
  }
  setNeedsLayout();
}

void TableViewCell::prepareForReuse() {
  setSelected(false);
  setHighlighted(false);
  setShowingDeleteConfirmation(false);
  setAlpha(1);
}

void TableViewCell::applyTableStyle(TableViewCellSeparatorStyle separator,
                                    const gfx::Color& separatorColor, int groupPosition) {
  separator_->setHidden(separator == TableViewCellSeparatorStyle::None || groupPosition >= 0);
  separator_->setBackgroundColor(separatorColor);
  if (groupPosition != groupPosition_) {
    groupPosition_ = groupPosition;
    if (groupBackground_) groupBackground_->removeFromSuperview();
    groupBackground_.reset();
    if (groupPosition >= 0) {
      // Grouped rows: a white rounded panel per section; inner rows draw a line below.
      setBackgroundColor(gfx::Color::clear());
      gfx::Color line = separatorColor;
      groupBackground_ =
          painted(bounds(), [groupPosition, line](gfx::Context& ctx, const gfx::Rect& b) {
            const double r = 8;
            gfx::Rect box = b.inset(0.5, 0.5);
            bool roundTop = groupPosition == 0 || groupPosition == 1;
            bool roundBottom = groupPosition == 0 || groupPosition == 3;
            ctx.beginPath();
            ctx.moveTo(box.minX(), box.minY() + (roundTop ? r : 0));
            if (roundTop) ctx.arcTo(box.minX(), box.minY(), box.minX() + r, box.minY(), r);
            ctx.lineTo(box.maxX() - (roundTop ? r : 0), box.minY());
            if (roundTop) ctx.arcTo(box.maxX(), box.minY(), box.maxX(), box.minY() + r, r);
            ctx.lineTo(box.maxX(), box.maxY() - (roundBottom ? r : 0));
            if (roundBottom) ctx.arcTo(box.maxX(), box.maxY(), box.maxX() - r, box.maxY(), r);
            ctx.lineTo(box.minX() + (roundBottom ? r : 0), box.maxY());
            if (roundBottom) ctx.arcTo(box.minX(), box.maxY(), box.minX(), box.maxY() - r, r);
            ctx.closePath();
            ctx.setFillColor(gfx::Color::white());
            ctx.setStrokeColor(gfx::Color::grey(0.67));
            ctx.setLineWidth(1);
            ctx.drawPath(gfx::PathDrawingMode::FillStroke);
          });
      groupBackground_->setUserInteractionEnabled(false);
      insertSubview(groupBackground_, backgroundView_ ? 1 : 0);
    } else {
      setBackgroundColor(gfx::Color::white());
    }
  }
  setNeedsLayout();
}

void TableViewCell::layoutSubviews() {
  gfx::Rect b = bounds();
  if (backgroundView_) backgroundView_->setFrame(b);
  if (groupBackground_) groupBackground_->setFrame(b);
  if (selectedBackgroundView_) selectedBackgroundView_->setFrame(b);
  separator_->setFrame(gfx::Rect(groupPosition_ >= 0 ? 0 : kCellMargin, b.height() - 1,
                                 b.width() - (groupPosition_ >= 0 ? 0 : kCellMargin), 1));
  bringSubviewToFront(separator_.get());

  double left = 0, right = b.width();
  if (editControl_) {
    editControl_->setFrame(gfx::Rect(0, 0, kEditControlWidth, b.height()));
    left = kEditControlWidth;
  }
  if (reorderControl_) {
    right -= kReorderWidth;
    reorderControl_->setFrame(gfx::Rect(right, 0, kReorderWidth, b.height()));
  }
  if (deleteButton_) {
    gfx::Size s = deleteButton_->bounds().size;
    right -= s.width + 8;
    deleteButton_->setFrame(gfx::Rect(right, (b.height() - s.height) / 2, s.width, s.height));
    right -= 2;
  }
  if (accessory_ && !editing_ && !showingDelete_) {
    accessory_->setHidden(false);
    gfx::Size s = accessory_->bounds().size;
    right -= s.width + kCellMargin;
    accessory_->setFrame(gfx::Rect(right, (b.height() - s.height) / 2, s.width, s.height));
  } else if (accessory_) {
    accessory_->setHidden(true);
  }
  contentView_->setFrame(gfx::Rect(left, 0, std::max(0.0, right - left), b.height()));

  // Standard layouts of the labels and image.
  gfx::Rect c = contentView_->bounds();
  double x = kCellMargin;
  if (!imageView_->image().isEmpty()) {
    gfx::Size is = imageView_->image().size();
    imageView_->setFrame(gfx::Rect(x, (c.height() - is.height) / 2, is.width, is.height));
    x += is.width + kCellMargin;
  } else {
    imageView_->setFrame(gfx::Rect(x, 0, 0, 0));
  }
  double w = std::max(0.0, c.width() - x - kCellMargin);
  switch (style_) {
    case TableViewCellStyle::Default:
      textLabel_->setFrame(gfx::Rect(x, 0, w, c.height()));
      break;
    case TableViewCellStyle::Value1: {
      // Each label takes the width its text needs; only when both do not fit is the row
      // shared, the text keeping at least 55 % and ending in an ellipsis where it is cut.
      const gfx::Size big(1e6, c.height());
      const double needText = textLabel_->text().empty() ? 0 : textLabel_->sizeThatFits(big).width;
      const double needDetail =
          detailTextLabel_->text().empty() ? 0 : detailTextLabel_->sizeThatFits(big).width;
      const double gap = needText > 0 && needDetail > 0 ? kCellMargin : 0;
      double textWidth = w - needDetail - gap;
      if (textWidth < needText) textWidth = std::min(needText, std::max(w * 0.55, textWidth));
      textWidth = std::max(0.0, textWidth);
      const double detailX = x + textWidth + gap;
      textLabel_->setFrame(gfx::Rect(x, 0, textWidth, c.height()));
      detailTextLabel_->setFrame(gfx::Rect(detailX, 0, std::max(0.0, x + w - detailX), c.height()));
      break;
    }
    case TableViewCellStyle::Value2:
      textLabel_->setFrame(gfx::Rect(x, 0, 67, c.height()));
      detailTextLabel_->setFrame(gfx::Rect(x + 73, 0, std::max(0.0, w - 73), c.height()));
      break;
    case TableViewCellStyle::Subtitle:
      // Without a subtitle the title stands in the middle of the row, level with its switch.
      if (detailTextLabel_->text().empty()) {
        textLabel_->setFrame(gfx::Rect(x, 0, w, c.height()));
        detailTextLabel_->setFrame(gfx::Rect(x, c.height(), w, 0));
        break;
      }
      textLabel_->setFrame(gfx::Rect(x, c.height() / 2 - 20, w, 22));
      detailTextLabel_->setFrame(gfx::Rect(x, c.height() / 2 + 2, w, 18));
      break;
  }
}

}  // namespace ui
