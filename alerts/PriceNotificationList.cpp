#include "alerts/PriceNotificationList.h"

#include "core/DataRequest.h"
#include "core/NetworkThreads.h"
#include "core/PriceAlertRequests.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "shell/Extend.h"
#include "shell/ScreenRoles.h"
#include "shell/ShellAlerts.h"
#include "widgets/ScreenParts.h"
#include "widgets/TableCell.h"

namespace {

constexpr char kCellId[] = "priceNotificationListCell";
constexpr double kRowHeight = 48;
constexpr double kLine = 16;

std::shared_ptr<ui::Label> CellLabel(const gfx::Color& colour) {
  return MakeClearLabel({}, gfx::Font::boldSystemFont(12), colour);
}

}  // namespace

PriceNotificationListCell::PriceNotificationListCell(ui::TableViewCellStyle style,
                                                     const std::string& identifier)
    : ui::TableViewCell(style, identifier) {
  const double w = bounds().width() > 0 ? bounds().width() : 320;
  setBackgroundColor(gfx::Color::black());
  auto background = ui::ImageView::create(gfx::Rect(0, 0, w, kRowHeight));
  background->setImage(gfx::Image::named("list_background.png"));
  setBackgroundView(background);
  auto arrow = ui::ImageView::create(gfx::Rect(w - 12, 16, 10, 15));
  arrow->setImage(gfx::Image::named("arrow.png").stretchable(0, 0));
  arrow->setBackgroundColor(gfx::Color::clear());
  contentView()->addSubview(arrow);
  nameLabel_ = CellLabel(gfx::Color::white());
  nameLabel_->setFrame(gfx::Rect(2, 0, w / 3, kLine));
  timeLabel_ = CellLabel(gfx::Color::white());
  timeLabel_->setFrame(gfx::Rect(w - 80, 0, w - 14, kLine));
  contentLabel_ = CellLabel(gfx::Color::grey(0.6));
  contentLabel_->setFrame(gfx::Rect(2, kLine, w - 14, 2 * kLine));
  contentLabel_->setNumberOfLines(0);
  contentLabel_->setLineBreakMode(gfx::LineBreakMode::TruncateTail);
  contentView()->addSubview(nameLabel_);
  contentView()->addSubview(timeLabel_);
  contentView()->addSubview(contentLabel_);
}

void PriceNotificationListCell::setCellHeight(double h) {
  const double w = bounds().width();
  nameLabel_->setFrame(gfx::Rect(2, 0, w / 3, h / 2));
  timeLabel_->setFrame(gfx::Rect(w - 80, 0, w - 14, h / 2));
  contentLabel_->setFrame(gfx::Rect(2, h / 2, w - 14, h));
}

void PriceNotificationList::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle("提醒消息");
  view()->setBackgroundColor(gfx::Color::black());
  navigationItem().setRightBarButtonItem(barItem("清空", &PriceNotificationList::clearMessages));

  addTableAndWaitingBox();
}

// --- Requests ---------------------------------------------------------------------------------

void PriceNotificationList::requestList() {
  if (!beginRequest()) return;
  const uint16_t code = sendFor(kSlotList);
  MakeRequest_PriceNotificationList(GlobalDataRequest(), 0, code, 0, 200, kPageId);
}

void PriceNotificationList::deleteList() {
  if (!beginRequest()) return;
  const uint16_t code = sendFor(kSlotClear);
  MakeRequest_PriceNotificationDeleteList(GlobalDataRequest(), 0, code, kPageId);
}

void PriceNotificationList::clearMessages() {
  ShowAlert("将清空所有提醒消息 \n确定继续吗？", "", {"继续", "取消"}, kClearAlertTag,
            sharedAs<ui::AlertViewDelegate>());
}

void PriceNotificationList::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  if (alert.tag() == kClearAlertTag && buttonIndex == 0) deleteList();
}

// --- Replies ----------------------------------------------------------------------------------

void PriceNotificationList::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView reply;
  if (!takeReply(notification, kPageId, reply)) return;
  auto matches = [&](Slot slot) { return answers(reply, slot); };
  if (reply.header.ChildType == PriceAlertChild::kList && matches(kSlotList)) {
    // A list in several packets: the code stays awaited until the last one.
    if (GatherPriceAlertTable(_messageInfo, reply.header, reply.body, reply.bodyLen,
                              "PriceNotificationList"))
      answered(kSlotList);
    parsePriceNotificationList();
    _tableView->reloadData();
    return;
  }
  if (reply.header.ChildType == PriceAlertChild::kDeleteList && matches(kSlotClear)) {
    answered(kSlotClear);
    requestList();
    showAnswer(reply);
  }
}

void PriceNotificationList::parsePriceNotificationList() {
  _listArray = GroupPriceAlerts(_messageInfo);
}

// --- Table ------------------------------------------------------------------------------------

const PriceAlertRow* PriceNotificationList::rowAt(const ui::IndexPath& path) const {
  if (path.section < 0 || path.section >= static_cast<int>(_listArray.size())) return nullptr;
  const auto& list = _listArray[static_cast<size_t>(path.section)].list;
  if (path.row < 0 || path.row >= static_cast<int>(list.size())) return nullptr;
  return &list[static_cast<size_t>(path.row)];
}

int PriceNotificationList::numberOfSectionsInTableView(ui::TableView&) {
  return static_cast<int>(_listArray.size());
}

int PriceNotificationList::tableViewNumberOfRowsInSection(ui::TableView&, int section) {
  if (section < 0 || section >= static_cast<int>(_listArray.size())) return 0;
  return static_cast<int>(_listArray[static_cast<size_t>(section)].list.size());
}

std::string PriceNotificationList::tableViewTitleForHeaderInSection(ui::TableView&, int section) {
  if (section < 0 || section >= static_cast<int>(_listArray.size())) return {};
  return _listArray[static_cast<size_t>(section)].date;
}

std::shared_ptr<ui::TableViewCell> PriceNotificationList::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = std::dynamic_pointer_cast<PriceNotificationListCell>(
      table.dequeueReusableCellWithIdentifier(kCellId));
  if (!cell)
    cell = std::make_shared<PriceNotificationListCell>(ui::TableViewCellStyle::Default, kCellId);
  const PriceAlertRow* row = rowAt(path);
  cell->nameLabel()->setText(row ? row->name : "");
  cell->timeLabel()->setText(row ? row->time : "");
  cell->contentLabel()->setText(row ? row->content : "");
  return cell;
}

double PriceNotificationList::tableViewHeightForHeaderInSection(ui::TableView&, int) {
  return 20;
}

double PriceNotificationList::tableViewHeightForRowAtIndexPath(ui::TableView&,
                                                               const ui::IndexPath&) {
  return kRowHeight;
}

void PriceNotificationList::tableViewDidSelectRowAtIndexPath(ui::TableView& table,
                                                             const ui::IndexPath& path) {
  table.deselectRowAtIndexPath(path, true);
  const PriceAlertRow* row = rowAt(path);
  if (!row) return;
  const PriceAlertStock stock = ReadPriceAlertStock(*row);
  // A price alert opens on the K-line page.
  const bool kline = stock.alertType == 0 || stock.alertType == 1;
  OpenStockDetail(*this, stock.code, static_cast<uint8_t>(stock.market),
                  static_cast<uint8_t>(stock.type), kline ? kStockDetailKLinePage : -1);
}
