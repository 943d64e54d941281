#include "alerts/RadarView.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>

#include "alerts/InfoArticlePage.h"
#include "alerts/InfoTime.h"
#include "core/DataRequest.h"
#include "core/PacketHeader.h"
#include "core/RadarReplies.h"
#include "core/ReceiveRecord.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "shell/Extend.h"
#include "widgets/ScreenParts.h"

// --- RadarCell ---

RadarCell::RadarCell(const std::string& reuseIdentifier)
    : ui::TableViewCell(ui::TableViewCellStyle::Default, reuseIdentifier) {
  const double w = frame().width();
  const double h = frame().height();
  const double line = h / 3;
  setBackgroundColor(gfx::Color::black());

  auto separator = ui::ImageView::create(gfx::Rect(0, h - 2, w, 2));
  separator->setImage(gfx::Image::named("line.png").stretchable(0, 0));
  separator->setBackgroundColor(gfx::Color::clear());
  contentView()->addSubview(separator);
  separator_ = separator;

  titleLabel_ = MakeClearLabel(gfx::Rect(10, 0, w, 2 * line), gfx::Font::boldSystemFont(14),
                               gfx::Color::white());
  contentView()->addSubview(titleLabel_);

  timeLabel_ = MakeClearLabel(gfx::Rect(25, 2 * line, w, line), gfx::Font::boldSystemFont(12),
                              gfx::Color::orange());
  contentView()->addSubview(timeLabel_);

  auto icon = ui::ImageView::create(gfx::Rect(10, 2 * line, 10, 10));
  icon->setImage(gfx::Image::named("file.png").stretchable(0, 0));
  icon->setBackgroundColor(gfx::Color::clear());
  contentView()->addSubview(icon);
}

void RadarCell::layoutSubviews() {
  ui::TableViewCell::layoutSubviews();
  // Laid out for the height a new cell has, the line would cross the date's "(今)" in the taller
  // rows of the list.
  const gfx::Rect row = contentView()->bounds();
  separator_->setFrame(gfx::Rect(0, row.height() - 2, row.width(), 2));
}

std::shared_ptr<RadarCell> RadarCell::create(const std::string& reuseIdentifier) {
  return std::make_shared<RadarCell>(reuseIdentifier);
}

// --- RadarContentView ---

RadarContentView::RadarContentView(const gfx::Rect& frame) : ui::View(frame) {
  setBackgroundColor(gfx::Color::black());
  contentTextView_ = ui::TextView::create(frame);
  contentTextView_->setBackgroundColor(gfx::Color::clear());
  contentTextView_->setTextColor(gfx::Color::white());
  contentTextView_->setFont(gfx::Font::systemFont(15));
  contentTextView_->setEditable(false);
  addSubview(contentTextView_);

  backButton_ = ui::Button::create(gfx::Rect(0, 0, 50, 50));
  backButton_->setAlpha(0.5);
  backButton_->setBackgroundImage(gfx::Image::named("arrow_left.png").stretchable(0, 0));
  backButton_->setTitleColor(gfx::Color::grey(0.5), ui::ControlState::Normal);
  backButton_->setTitleColor(gfx::Color::grey(0.5), ui::ControlState::Highlighted);
  backButton_->setFont(gfx::Font::boldSystemFont(15));
  if (auto* label = backButton_->titleLabel()) {
    label->setTextAlignment(gfx::TextAlignment::Center);
    label->setLineBreakMode(gfx::LineBreakMode::WordWrap);
  }
  backButton_->addTarget([this](ui::Control&) { toggleButton(); }, ui::ControlEvent::TouchUpInside,
                         this);
  addSubview(backButton_);
}

std::shared_ptr<RadarContentView> RadarContentView::create(const gfx::Rect& frame) {
  return std::make_shared<RadarContentView>(frame);
}

void RadarContentView::toggleButton() {
  if (auto delegate = delegate_.lock()) delegate->Back();
}

// --- RadarView ---

RadarView::RadarView(const gfx::Rect& frame) : ui::View(frame) {
  setBackgroundColor(gfx::Color::black());
  mTableView_ = ui::TableView::create(bounds());
  mTableView_->setRowHeight(kRowHeight);
  mTableView_->setBackgroundColor(gfx::Color::clear());
  mTableView_->setSeparatorColor(gfx::Color::clear());
  addSubview(mTableView_);

  const double w = bounds().width();
  noItemsLabel_ = ui::Label::create(gfx::Rect((w - 200) / 2, 20, 200, 28));
  noItemsLabel_->setTag(kNoItemsLabelTag);
  noItemsLabel_->setBackgroundColor(gfx::Color::clear());
  noItemsLabel_->layer().setCornerRadius(8);
  noItemsLabel_->layer().setBorderColor(gfx::Color::darkGrey());
  noItemsLabel_->layer().setBorderWidth(1);
  noItemsLabel_->setFont(gfx::Font::named("Helvetica-Bold", 13));
  noItemsLabel_->setTextColor(gfx::Color::white());
  noItemsLabel_->setTextAlignment(gfx::TextAlignment::Center);
  noItemsLabel_->setText("没有相关信息");
  noItemsLabel_->setHidden(true);
  addSubview(noItemsLabel_);
}

std::shared_ptr<RadarView> RadarView::create(const gfx::Rect& frame) {
  auto view = std::make_shared<RadarView>(frame);
  view->wire();
  return view;
}

void RadarView::wire() {
  ServeTable(*mTableView_, *this);
}

void RadarView::layoutSubviews() {
  // The hosts make the view with an empty frame and size it later.
  mTableView_->setFrame(bounds());
  noItemsLabel_->setFrame(gfx::Rect((bounds().width() - 200) / 2, 20, 200, 28));
  if (auto* content = viewWithTag(kContentViewTag)) content->setFrame(bounds());
}

void RadarView::setCurrentNavigationController(ui::NavigationController* navigation) {
  navigation_ = navigation ? navigation->sharedAs<ui::NavigationController>()
                           : std::shared_ptr<ui::NavigationController>();
}

void RadarView::updateNoItemsLabel(const std::string& text) {
  auto* label = dynamic_cast<ui::Label*>(viewWithTag(kNoItemsLabelTag));
  if (!label) return;
  if (!text.empty()) label->setText(text);
  label->setHidden(!radarArray_.empty());
}

void RadarView::appendRows(const std::vector<RadarRow>& rows) {
  for (const RadarRow& row : rows) {
    if (static_cast<int>(radarArray_.size()) >= kRadarMaxRows) break;
    radarArray_.push_back(foundation::Dictionary{
        {"date", InfoDateText(row.date)},
        {"time", InfoTimeText(row.time)},
        {"Node", foundation::format("%" PRId64, row.id)},
        {"title", row.text},
    });
  }
}

void RadarView::listChanged() {
  updateNoItemsLabel("");
  mTableView_->reloadData();
  if (IsShowContent_) Back();
}

void RadarView::SetRadarTitle(const uint8_t* data, int size) {
  radarArray_.clear();
  if (data && size > 0) appendRows(ReadRadarRows(data, size, kRadarTitleField));
  listChanged();
}

void RadarView::SetRadarTitle(const foundation::Data& record) {
  if (record.empty()) return;
  std::vector<uint8_t> copy(kReceiveRecordSize, 0);
  std::memcpy(copy.data(), record.data(), std::min<size_t>(record.size(), copy.size()));
  ReceiveRecordView reply;
  if (!ReceiveRecordView::From(copy.data(), kReceiveRecordSize, reply)) return;

  // A reply's later packets add to the table of its first; a body may hold several tables.
  GatherRadarPacket(m_listdbf, reply.body, reply.bodyLen, reply.header.PackageNo == 0);

  radarArray_.clear();
  std::vector<RadarRow> rows;
  AppendRadarRows(m_listdbf, kRadarTitleField, rows, kRadarMaxRows);
  appendRows(rows);
  listChanged();
}

foundation::Value RadarView::currentInfoRecord(int index) {
  if (index < 0 || index >= static_cast<int>(radarArray_.size())) return {};
  return radarArray_[static_cast<size_t>(index)];
}

void RadarView::Back() {
  IsShowContent_ = false;
  if (auto* content = viewWithTag(kContentViewTag)) content->removeFromSuperview();
}

bool SendRadarTextRequest(int64_t alertId, uint8_t pageId, uint16_t code, const char* sender) {
  // The alert id needs 64 bits; it goes on the wire at its smallest width.
  MDBF table;
  table.AddInt64Field(22, alertId);
  uint8_t buffer[kPacketHeaderSize + 1008] = {0};
  int records = 0;
  const int body = table.SerializeAll(buffer + kPacketHeaderSize, 1008, &records);
  if (body <= 0) {
    foundation::logError("!!!!!!!%s: content request not built (%d)", sender, body);
    return false;
  }
  const int n =
      BuildPacket(kMainTypeQuote, QuoteChild::kRadar, pageId, 0, code, buffer, body, kCipherNone);
  if (n <= 0) return false;
  PushCenterSendQueue(buffer, n);
  return true;
}

void RadarView::RequestRadarContent(int64_t alertId) {
  SendRadarTextRequest(alertId, static_cast<uint8_t>(_nPageId), 0, "RadarView");
}

void RadarView::SetRadarContent(const uint8_t* data, int size) {
  std::string text;
  MDBF table;
  WalkRecordTables(data, size, table, [&](MDBF& t) {
    if (t.GetRecordNum() > 0 && t.Seek(t.GetRecordNum() - 1) >= 0)
      text = t.GetNSString(kRadarTextField);
    return true;
  });
  // One content view at a time: Back removes it.
  if (auto* old = viewWithTag(kContentViewTag)) old->removeFromSuperview();
  auto content = RadarContentView::create(bounds());
  content->setDelegate(weakAs<RadarContentDelegate>());
  content->setTag(kContentViewTag);
  content->ContentTextView()->setText(text);
  addSubview(content);
  IsShowContent_ = true;
}

std::string RadarView::ChangeTimeFormat(int yyyymmdd) {
  return foundation::format("%d-%d-%d(今)", yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
}

int RadarView::tableViewNumberOfRowsInSection(ui::TableView&, int) {
  return static_cast<int>(radarArray_.size());
}

std::shared_ptr<ui::TableViewCell> RadarView::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = std::dynamic_pointer_cast<RadarCell>(
      table.dequeueReusableCellWithIdentifier(kCellIdentifier));
  if (!cell) cell = RadarCell::create(kCellIdentifier);
  const foundation::Value row = currentInfoRecord(path.row);
  cell->TimeLabel()->setText(row["date"].asString());
  cell->TitleLabel()->setText(row["title"].asString());
  return cell;
}

void RadarView::tableViewDidSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& path) {
  auto navigation = navigation_.lock();
  if (!navigation) return;
  auto detail = Extend::produceObject<CRadarDetailInfoController>("CRadarDetailInfoController");
  if (!detail) return;
  navigation->pushViewController(detail, true);
  detail->setDelegate(weakAs<RadarDetailInfoDelegate>());
  detail->updateCurrentView(path.row);
}
