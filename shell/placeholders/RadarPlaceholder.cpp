#include "shell/placeholders/RadarPlaceholder.h"

#include "core/MDBF.h"
#include "core/ReceiveRecord.h"
#include "platform/graphics/Font.h"
#include "platform/ui/NavigationController.h"

RadarView::RadarView(const gfx::Rect& frame) : ui::View(frame) {
  setBackgroundColor(gfx::Color::black());
  label_ = ui::Label::create(gfx::Rect(10, 20, frame.width() > 20 ? frame.width() - 20 : 0, 40));
  label_->setFont(gfx::Font::systemFont(15));
  label_->setTextColor(gfx::Color::grey(0.75));
  label_->setTextAlignment(gfx::TextAlignment::Center);
  label_->setBackgroundColor(gfx::Color::clear());
}

void RadarView::setCurrentNavigationController(ui::NavigationController* navigation) {
  navigation_ = navigation ? navigation->sharedAs<ui::NavigationController>()
                           : std::shared_ptr<ui::NavigationController>();
}

void RadarView::updateNoItemsLabel(const std::string& text) {
  noItemsText_ = text;
  refresh();
}

void RadarView::SetRadarTitle(const foundation::Data& record) {
  ++updates_;
  ReceiveRecordView view;
  MDBF table;
  records_ = 0;
  if (ReceiveRecordView::From(record.data(), static_cast<int>(record.size()), view) &&
      table.Parse(view.body, view.bodyLen) > 0)
    records_ = table.GetRecordNum();
  refresh();
}

void RadarView::SetRadarTitle(const uint8_t* data, int size) {
  ++updates_;
  records_ = 0;
  if (data && size > 0) {
    MDBF table;
    if (table.Parse(data, size) > 0) records_ = table.GetRecordNum();
  }
  refresh();
}

void RadarView::refresh() {
  if (!label_) return;
  if (!label_->superview()) addSubview(label_);
  label_->setText(records_ > 0 ? std::to_string(records_) + " 条资讯" : noItemsText_);
}
