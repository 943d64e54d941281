#include "alerts/PriceNotificationModifySetting.h"

#include <cstring>

#include "alerts/PriceNotificationSetting.h"
#include "core/DataRequest.h"
#include "core/NetworkThreads.h"
#include "core/PriceAlertReplies.h"
#include "core/PriceAlertRequests.h"
#include "core/QuoteCache.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "shell/Extend.h"
#include "shell/ShellAlerts.h"
#include "widgets/ScreenParts.h"
#include "widgets/TableCell.h"

namespace {

constexpr char kModifyCellId[] = "priceNotificationModifySettingCell";

std::shared_ptr<ui::Label> CellLabel(const gfx::Rect& frame, const gfx::Color& colour) {
  return MakeClearLabel(frame, gfx::Font::boldSystemFont(16), colour);
}

}  // namespace

PriceNotificationModifySettingCell::PriceNotificationModifySettingCell(
    ui::TableViewCellStyle style, const std::string& identifier)
    : ui::TableViewCell(style, identifier) {
  setBackgroundColor(gfx::Color::black());
  auto arrow = ui::ImageView::create(gfx::Rect(300, 12, 10, 15));
  arrow->setImage(gfx::Image::named("arrow.png").stretchable(0, 0));
  arrow->setBackgroundColor(gfx::Color::clear());
  contentView()->addSubview(arrow);
  nameLabel_ = CellLabel(gfx::Rect(140, 8, 155, 22), gfx::Color::white());
  codeLabel_ = CellLabel(gfx::Rect(40, 8, 100, 22), gfx::Color::grey(0.6));
  contentView()->addSubview(nameLabel_);
  contentView()->addSubview(codeLabel_);
}

void PriceNotificationModifySetting::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle("设置更改");
  view()->setBackgroundColor(gfx::Color::black());
  navigationItem().setLeftBarButtonItem(
      barItem("返回", &PriceNotificationModifySetting::Btn_ReturnClicked, &_btnReturn));
  navigationItem().setRightBarButtonItem(
      barItem("编辑", &PriceNotificationModifySetting::Btn_EditClicked, &_btnEdit));
  _EditEnabled = false;

  addTableAndWaitingBox();
}

// --- Requests ---------------------------------------------------------------------------------

void PriceNotificationModifySetting::requestList() {
  if (!beginRequest()) return;
  const uint16_t code = sendFor(kSlotList);
  MakeRequest_PriceNotificationSettingList(GlobalDataRequest(), 0, code, kPageId);
}

void PriceNotificationModifySetting::clearAllList() {
  if (!beginRequest()) return;
  const uint16_t code = sendFor(kSlotClear);
  MakeRequest_PriceNotificationClearSetting(GlobalDataRequest(), 0, code, kPageId);
}

void PriceNotificationModifySetting::deleteListItem(int row) {
  if (_messageInfo.Seek(row) < 0) return;
  const std::string stock = _messageInfo.GetNSString(8);
  const uint16_t code = sendFor(kSlotDelete);
  MakeRequest_PriceNotificationDeleteSetting(GlobalDataRequest(), 0, code, stock.c_str(), kPageId);
}

// --- Bar buttons ------------------------------------------------------------------------------

void PriceNotificationModifySetting::Btn_ReturnClicked() {
  if (!_EditEnabled) {
    if (auto* navigation = navigationController()) navigation->popViewControllerAnimated(true);
    return;
  }
  ShowAlert("将清空所有设置 \n确定继续吗？", "", {"继续", "取消"}, kClearAlertTag,
            sharedAs<ui::AlertViewDelegate>());
}

void PriceNotificationModifySetting::Btn_EditClicked() {
  _EditEnabled = !_EditEnabled;
  _btnEdit->setTitle(_EditEnabled ? "取消" : "编辑");
  _btnReturn->setTitle(_EditEnabled ? "清空" : "返回");
  _tableView->setEditing(_EditEnabled, true);
}

void PriceNotificationModifySetting::alertViewClickedButtonAtIndex(ui::AlertView& alert,
                                                                   int buttonIndex) {
  if (alert.tag() == kClearAlertTag && buttonIndex == 0) clearAllList();
}

// --- Replies ----------------------------------------------------------------------------------

void PriceNotificationModifySetting::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView reply;
  // A swipe delete goes without the waiting box (its row went at once): its answer only ends
  // the wait for it, and an error is shown.
  if (ReadPriceAlertReply(notification, kPageId, reply) &&
      reply.header.ChildType == PriceAlertChild::kDeleteSetting && answers(reply, kSlotDelete)) {
    answered(kSlotDelete);
    if (reply.header.isError()) ShowReplyError(reply);
    return;
  }
  if (!takeReply(notification, kPageId, reply)) return;
  auto matches = [&](Slot slot) { return answers(reply, slot); };
  switch (reply.header.ChildType) {
    case PriceAlertChild::kSettingList:
      if (!matches(kSlotList)) return;
      // A list in several packets: the code stays awaited until the last one.
      if (GatherPriceAlertTable(_messageInfo, reply.header, reply.body, reply.bodyLen,
                                "PriceNotificationModifySetting"))
        answered(kSlotList);
      _tableView->reloadData();
      return;
    case PriceAlertChild::kClearSetting:
      if (!matches(kSlotClear)) return;
      _messageInfo.Clear();
      _tableView->reloadData();
      answered(kSlotClear);
      showAnswer(reply);
      return;
    case PriceAlertChild::kDeleteSetting:
      if (matches(kSlotDelete)) answered(kSlotDelete);
      return;
    default:
      return;
  }
}

// --- Table ------------------------------------------------------------------------------------

int PriceNotificationModifySetting::tableViewNumberOfRowsInSection(ui::TableView&, int section) {
  return section == 0 ? _messageInfo.GetRecordNum() : 0;
}

std::shared_ptr<ui::TableViewCell> PriceNotificationModifySetting::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto reused = table.dequeueReusableCellWithIdentifier(kModifyCellId);
  auto cell = std::dynamic_pointer_cast<PriceNotificationModifySettingCell>(reused);
  if (!cell)
    cell = std::make_shared<PriceNotificationModifySettingCell>(ui::TableViewCellStyle::Value1,
                                                                kModifyCellId);
  if (_messageInfo.Seek(path.row) >= 0) {
    cell->nameLabel()->setText(_messageInfo.GetNSString(9));
    cell->codeLabel()->setText(_messageInfo.GetNSString(8));
  } else {
    cell->nameLabel()->setText("");
    cell->codeLabel()->setText("");
  }
  return cell;
}

double PriceNotificationModifySetting::tableViewHeightForRowAtIndexPath(ui::TableView&,
                                                                        const ui::IndexPath&) {
  return 40;
}

void PriceNotificationModifySetting::tableViewDidSelectRowAtIndexPath(ui::TableView& table,
                                                                      const ui::IndexPath& path) {
  table.deselectRowAtIndexPath(path, true);
  if (_messageInfo.Seek(path.row) < 0) return;
  char code[10] = {};
  const std::string text = _messageInfo.GetNSString(8);
  std::memcpy(code, text.data(), std::min<size_t>(text.size(), 9));
  const int32_t market = _messageInfo.GetInt(18);
  auto editor = std::make_shared<PriceNotificationSetting>();
  tagLocalStockData quote{};
  QuoteCache_GetQuote(quote, static_cast<uint8_t>(market), code);
  editor->setStockData(&quote);
  if (auto* navigation = navigationController()) navigation->pushViewController(editor, true);
  editor->requestHQData(code, market);
}

void PriceNotificationModifySetting::tableViewCommitEditingStyle(
    ui::TableView& table, ui::TableViewCellEditingStyle style, const ui::IndexPath& path) {
  if (style != ui::TableViewCellEditingStyle::Delete) return;
  if (path.row < 0 || path.row >= _messageInfo.GetRecordNum()) return;
  deleteListItem(path.row);
  // The row goes at once, whatever the server answers.
  _messageInfo.DeleteRecord(path.row);
  table.deleteRowsAtIndexPaths({path}, ui::TableViewRowAnimation::Right);
}
