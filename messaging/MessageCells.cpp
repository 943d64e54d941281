#include "messaging/MessageCells.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Image.h"
#include "platform/ui/TableView.h"
#include "widgets/ScreenParts.h"

namespace {

gfx::Color Rgb(int r, int g, int b) {
  return gfx::Color::rgb255(r, g, b);
}

std::shared_ptr<ui::Label> MakeLabel(const gfx::Rect& frame, double size, const gfx::Color& color) {
  return MakeClearLabel(frame, gfx::Font::boldSystemFont(size), color);
}

// A new cell with its views built (the builder is the cell's own, private).
template <class Cell>
std::shared_ptr<Cell> Built(std::shared_ptr<Cell> cell, void (Cell::*build)()) {
  ((*cell).*build)();
  return cell;
}

}  // namespace

MyMessageCell::MyMessageCell(const std::string& reuseIdentifier)
    : ui::TableViewCell(ui::TableViewCellStyle::Default, reuseIdentifier) {}

std::shared_ptr<MyMessageCell> MyMessageCell::create(const std::string& reuseIdentifier) {
  return Built(std::make_shared<MyMessageCell>(reuseIdentifier), &MyMessageCell::build);
}

void MyMessageCell::build() {
  const double w = contentView()->bounds().width() - 14;
  setBackgroundColor(gfx::Color::black());
  auto background = ui::ImageView::create(gfx::Rect(0, 0, bounds().width(), kRowHeight));
  background->setImage(gfx::Image::named("BGA.png"));
  setBackgroundView(background);

  unreadFlagImage_ =
      ui::ImageView::create(gfx::Rect(0, kLineHeight + (kLineHeight - 20) / 2, 20, 20));
  unreadFlagImage_->setBackgroundColor(gfx::Color::clear());
  unreadFlagImage_->setImage(gfx::Image::named("iphoneicon_mailopen.png"));
  readMarkImage_ = "iphoneicon_mailopen.png";
  unreadFlagLabel_ = MakeLabel(gfx::Rect(21, kLineHeight, 39, kLineHeight), 13, Rgb(49, 49, 49));
  dateLabel_ = MakeLabel(gfx::Rect(1, 0, w / 2, kLineHeight), 14, Rgb(120, 69, 33));
  senderLabel_ =
      MakeLabel(gfx::Rect(std::floor(1 + dateLabel_->frame().width()), 0, w / 2, kLineHeight), 14,
                Rgb(49, 49, 49));
  senderLabel_->setTextAlignment(gfx::TextAlignment::Right);
  titleLabel_ = MakeLabel(gfx::Rect(60, kLineHeight, w - 60, kLineHeight), 14, Rgb(49, 49, 49));
  contentView()->addSubview(unreadFlagImage_);
  for (const auto& label : {unreadFlagLabel_, dateLabel_, senderLabel_, titleLabel_})
    contentView()->addSubview(label);
}

void MyMessageCell::setReadMark(const char* word, const char* image) {
  unreadFlagLabel_->setText(word);
  unreadFlagImage_->setImage(gfx::Image::named(image));
  readMarkImage_ = image;
}

void MyMessageCell::setMessageUnread(bool unread) {
  if (unread) {
    setReadMark("未读", "iphoneicon_unreadmail.png");
  } else {
    setReadMark("已读", "iphoneicon_mailopen.png");
  }
}

void MyMessageCell::setMessageSended() {
  setReadMark("已发", "iphoneicon_sent.png");
}

void MyMessageCell::setSenderLabelDisabled(bool disabled) {
  senderLabel_->setTextColor(disabled ? gfx::Color::grey(0.5) : Rgb(49, 49, 49));
}

void MyMessageCell::revertCell() {
  if (!senderLabel_) return;
  layoutLines(isShowingDeleteConfirmation());
}

// The sender and title from the content view's width as it is now: the sender's right edge
// lines up in every row, whatever editing the cell went through before (a transition without
// animation comes before the content view has its new width).
void MyMessageCell::layoutLines(bool deleteShowing) {
  const double w = contentView()->bounds().width() - 14;
  const double shift = deleteShowing ? kDeleteShift : 0;
  senderLabel_->setFrame(
      gfx::Rect(deleteShowing ? w / 2 : w / 2 + 1, 0, std::max(0.0, w / 2 - shift), kLineHeight));
  titleLabel_->setFrame(gfx::Rect(60, kLineHeight, std::max(0.0, w - 60 - shift), kLineHeight));
}

void MyMessageCell::layoutSubviews() {
  ui::TableViewCell::layoutSubviews();
  if (!senderLabel_) return;
  if (!isShowingDeleteConfirmation()) {
    layoutLines(false);
    return;
  }
  // While the delete button shows, the labels keep what the transition gave them, but end where
  // the content view now ends, left of the button: the shift was taken from the width the row
  // had before, and the button is wider than the shift.
  const double end = contentView()->bounds().width();
  for (ui::Label* label : {senderLabel_.get(), titleLabel_.get()}) {
    const gfx::Rect f = label->frame();
    if (f.maxX() > end)
      label->setFrame(gfx::Rect(f.x(), f.y(), std::max(0.0, end - f.x()), f.height()));
  }
}

void MyMessageCell::willTransitionToState(unsigned state) {
  ui::TableViewCell::willTransitionToState(state);
  if (state & ui::kTableViewCellStateShowingDeleteConfirmation) layoutLines(true);
}

void MyMessageCell::didTransitionToState(unsigned state) {
  ui::TableViewCell::didTransitionToState(state);
  if (!(state & ui::kTableViewCellStateShowingDeleteConfirmation)) layoutLines(false);
}

MessageSenderCell::MessageSenderCell(const std::string& reuseIdentifier)
    : ui::TableViewCell(ui::TableViewCellStyle::Default, reuseIdentifier) {}

std::shared_ptr<MessageSenderCell> MessageSenderCell::create(const std::string& reuseIdentifier) {
  return Built(std::make_shared<MessageSenderCell>(reuseIdentifier), &MessageSenderCell::build);
}

void MessageSenderCell::build() {
  ui::View* content = contentView();
  const double w = content->bounds().width();
  const double h = content->bounds().height();
  const double q = w / 4 - 5;
  content->setAutoresizesSubviews(true);
  content->setClipsToBounds(true);
  setBackgroundColor(gfx::Color::black());
  auto background = ui::ImageView::create(gfx::Rect(0, 0, bounds().width(), h));
  background->setImage(gfx::Image::named("list_background.png"));
  setBackgroundView(background);

  nameLabel_ = MakeLabel(gfx::Rect(3, 0, q - 23, h), 14, gfx::Color::white());
  nameLabel_->setAdjustsFontSizeToFitWidth(true);
  content->addSubview(nameLabel_);
  auto makeButton = [&](const gfx::Rect& frame, int tag, const char* image, bool shrink) {
    auto button = ui::Button::create(ui::ButtonType::Custom, frame);
    button->setTag(tag);
    button->setBackgroundColor(gfx::Color::clear());
    button->setImage(gfx::Image::named(image));
    button->setImageEdgeInsets(gfx::EdgeInsets{0, -10, 0, 0});
    button->setTitle("");
    button->setFont(gfx::Font::boldSystemFont(14));
    button->setTitleColor(gfx::Color::white());
    button->setTitleColor(Rgb(72, 153, 196), ui::ControlState::Highlighted);
    button->titleLabel()->setAdjustsFontSizeToFitWidth(shrink);
    MessageSenderCell* self = this;
    button->addTarget(
        [self](ui::Control& control) {
          if (auto* tapped = dynamic_cast<ui::Button*>(&control)) self->ButtonAction(*tapped);
        },
        ui::ControlEvent::TouchUpInside);
    content->addSubview(button);
    return button;
  };
  phoneBtn_ = makeButton(gfx::Rect(q - 20, 0, q + 20, h), 1, "iphoneicon_tel.png", true);
  sendSMSBtn_ = makeButton(gfx::Rect(2 * q, 0, q - 10, h), 2, "iphoneicon_newmail.png", false);
  contactBtn_ =
      makeButton(gfx::Rect(3 * q - 10, 0, q + 30, h), 3, "iphoneicon_newcontact.png", true);
}

void MessageSenderCell::updateWithData(const std::string& name, const std::string& phone) {
  nameLabel_->setText(name);
  phoneBtn_->setTitle(phone);
}

void MessageSenderCell::ButtonAction(ui::Button& button) {
  auto delegate = delegate_.lock();
  if (!delegate) return;
  int action = -1;
  if (&button == phoneBtn_.get()) {
    action = 0;
  } else if (&button == sendSMSBtn_.get()) {
    action = 1;
  } else if (button.tag() == 3) {
    action = 2;
  }
  if (action >= 0) delegate->MessageSenderCellClicked(*this, action);
}

// --- IndexedRowCell -----------------------------------------------------------------------------

IndexedRowCell::IndexedRowCell(ui::TableViewCellStyle style, const std::string& reuseIdentifier)
    : ui::TableViewCell(style, reuseIdentifier) {}

std::shared_ptr<IndexedRowCell> IndexedRowCell::create(ui::TableViewCellStyle style,
                                                       const std::string& reuseIdentifier) {
  return std::make_shared<IndexedRowCell>(style, reuseIdentifier);
}

double IndexedRowCell::RowWidth(const ui::TableView& table) {
  const ui::View* strip = table.sectionIndexView();
  const double width = table.bounds().width();
  return strip && !strip->isHidden() ? std::max(0.0, width - strip->frame().width()) : width;
}

void IndexedRowCell::layoutSubviews() {
  ui::TableViewCell::layoutSubviews();
  const ui::TableView* table = tableView();
  if (!table) return;
  const double inset = bounds().width() - RowWidth(*table);
  if (inset <= 0) return;
  // What stands right of the content (the disclosure mark) moves left by the strip's width, and
  // the content gives up as much.
  ui::View* content = contentView();
  const double contentEnd = content->frame().maxX();
  for (const auto& view : subviews()) {
    if (view.get() == content || view->isHidden()) continue;
    const gfx::Rect f = view->frame();
    if (f.x() >= contentEnd - 0.5) view->setFrame(f.offset(-inset, 0));
  }
  gfx::Rect c = content->frame();
  c.size.width = std::max(0.0, c.width() - inset);
  content->setFrame(c);
  // The standard labels were laid out for the wider content: the text ends its margin short of
  // the new edge, the detail moves left with it.
  constexpr double kMargin = 10;
  if (ui::Label* text = textLabel(); text && text->frame().maxX() > c.width() - kMargin) {
    gfx::Rect f = text->frame();
    f.size.width = std::max(0.0, c.width() - kMargin - f.x());
    text->setFrame(f);
  }
  if (ui::Label* detail = detailTextLabel(); detail && detail->frame().maxX() > c.width() - kMargin)
    detail->setFrame(detail->frame().offset(-inset, 0));
}
