#include "ranking/BkView.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/ByteOrder.h"
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"
#include "ranking/SortRequests.h"
#include "widgets/QuoteColors.h"
#include "watchlist/RowFigures.h"

namespace {

constexpr char kCellIdentifier[] = "cellIdentify";
constexpr char kPageName[] = "SortStock";
constexpr size_t kHeadSize = 55;
// Count byte, then name, code, market, type, decimals and lot, change, previous close, latest,
// shown decimals, change percent, volume, and the records' minute: with the volume it lets the
// quote cache keep newer figures over those of an answer that arrives late.
constexpr uint8_t kFields[] = {12, 30, 10, 9, 11, 19, 17, 1, 5, 31, 23, 6, 21};
constexpr double kStripHeight = 40;

}  // namespace

BkView::BkView(const gfx::Rect& frame) : ui::View(frame) {}

BkView::~BkView() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  stopReqeust();
  if (_tableView) {
    _tableView->setDelegate({});
    _tableView->setDataSource({});
  }
}

std::shared_ptr<BkView> BkView::create(const gfx::Rect& frame) {
  auto view = std::make_shared<BkView>(frame);
  view->build();
  return view;
}

void BkView::build() {
  const double w = bounds().width();
  const double h = bounds().height();
  _tableView = ui::TableView::create({0, kTitleHeight, w, h - kTitleHeight});
  _tableView->setBackgroundColor(gfx::Color::clear());
  _tableView->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
  _tableView->setShowsVerticalScrollIndicator(false);
  _tableView->setShowsHorizontalScrollIndicator(false);
  auto self = sharedAs<BkView>();
  _tableView->setDelegate(std::static_pointer_cast<ui::TableViewDelegate>(self));
  _tableView->setDataSource(std::static_pointer_cast<ui::TableViewDataSource>(self));
  addSubview(_tableView);

  const gfx::Font small = gfx::Font::systemFont(9);
  auto strip = [&](const gfx::Rect& frame) {
    auto view = EGORefreshTableHeaderView::create(frame);
    view->setDelegate(std::static_pointer_cast<EGORefreshTableHeaderDelegate>(self));
    view->setAutoLoading(false);
    view->updateContentFont(small);
    _tableView->addSubview(view);
    return view;
  };
  _preRefreshView = strip({0, -kStripHeight, w, kStripHeight});
  _preRefreshView->updateEGORefreashType(EGORefreshTableHeaderView::TopForm);
  _nextRefreshView = strip({0, _tableView->frame().height(), w, kStripHeight});

  const double c = static_cast<int>(w / 3);
  const char* titles[] = {"名字", "涨跌", "最新"};
  for (int i = 0; i < 3; ++i) {
    auto label = ui::Label::create({c * i, 0, c, kTitleHeight});
    label->setText(titles[i]);
    label->setBackgroundColor(gfx::Color::black());
    label->setTextColor(gfx::Color::white());
    label->setFont(small);
    label->setTextAlignment(gfx::TextAlignment::Center);
    addSubview(label);
  }
}

void BkView::initRequest(const char* code) {
  char wanted[9] = {};
  if (code) std::memcpy(wanted, code, strnlen(code, 8));
  if (std::memcmp(wanted, _code, sizeof _code) == 0) return;
  std::memcpy(_code, wanted, sizeof _code);
  SortType = 1;
  _startIndex = 0;
  StockNum = 0;
  TotalNum = 0;
  request();
}

void BkView::request() {
  // Before a board is chosen there is nothing to ask for.
  if (isHidden() || _code[0] == 0) return;
  RequestStockList(_code, static_cast<uint8_t>(SortType), _startIndex, _requestNumber);
}

void BkView::RequestStockList(const char* code, uint8_t sortType, int start, int number) {
  _startIndex = start;
  CDataRequest* dataRequest = GlobalDataRequest();
  const uint16_t requestCode = NextRequestCode(dataRequest);
  _requestCode[0] = requestCode;
  const int sent = MakeRequest_StockSortList(dataRequest, 0, requestCode, kPageId, code, sortType,
                                             static_cast<uint16_t>(start),
                                             static_cast<uint16_t>(number), kFields);
  if (sent != 0) foundation::logError("!!!!!!!BkView: board request not sent (%d)", sent);
}

void BkView::setHidden(bool hidden) {
  ui::View::setHidden(hidden);
  if (!hidden) startReqeust();
}

void BkView::startReqeust() {
  if (_requestTimer) return;
  // The timer holds the list weakly: a released list is never called.
  std::weak_ptr<BkView> weak = sharedAs<BkView>();
  _requestTimer = foundation::Timer::schedule(kRefreshSeconds, true, [weak](foundation::Timer&) {
    if (auto self = weak.lock()) self->request();
  });
}

void BkView::stopReqeust() {
  if (_requestTimer) _requestTimer->invalidate();
  _requestTimer.reset();
}

void BkView::willMoveToSuperview(ui::View* newSuperview) {
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.removeObserversOf(this);
  observing_ = false;
  if (!newSuperview) return;
  std::weak_ptr<BkView> weak = sharedAs<BkView>();
  center.addObserver(this, kPageName, [weak](const foundation::Notification& notification) {
    if (auto self = weak.lock()) self->recvmsg(notification);
  });
  observing_ = true;
}

void BkView::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView reply;
  if (ReceiveRecordView::From(notification, reply)) takeReply(reply);
}

void BkView::recvRecord(const uint8_t* record, int size) {
  ReceiveRecordView reply;
  if (ReceiveRecordView::From(record, size, reply)) takeReply(reply);
}

void BkView::takeReply(const ReceiveRecordView& reply) {
  if (reply.header.isError()) {
    sortpage::NetworkIndicator(false);
    return;
  }
  if (reply.header.MainType != kMainTypeQuote) return;
  sortpage::NetworkIndicator(false);
  if (reply.header.ChildType != QuoteChild::kBoardSort) return;
  if (reply.requestCode() != static_cast<uint16_t>(_requestCode[0])) return;
  uint8_t head[kHeadSize] = {};
  tagCodeItem keys[kMaxRows] = {};
  // The rows are the codes really parsed (at most 30, never past the body), whatever the head's
  // row count claims: rows past them would show empty records.
  const int parsed = QuoteCache_ParseListReply55(
      reply.body, static_cast<size_t>(std::max(reply.bodyLen, 0)), keys, kMaxRows, head);
  std::memset(SortData, 0, sizeof SortData);
  if (parsed < 0) {
    foundation::logError("!!!!!!!BkView: unreadable board reply (%d bytes)", reply.bodyLen);
    StockNum = 0;
  } else {
    StockNum = std::min(parsed, kMaxRows);
    TotalNum = static_cast<int32_t>(std::min<uint32_t>(ReadLE32(head + 9), 0x7fffffff));
    QuoteCache_GetQuotes(SortData, keys, StockNum);
  }
  ++replies_;
  doneLoadingTableViewData();
  _tableView->reloadData();
  placeFooter();
}

void BkView::loadingData(bool next) {
  _startIndex =
      sortpage::TurnedPageStart(next ? 2 : 1, _startIndex, StockNum, TotalNum, _requestNumber);
  request();
}

void BkView::doneLoadingTableViewData() {
  _preLoading = false;
  _nextLoading = false;
  _preRefreshView->egoRefreshScrollViewDataSourceDidFinishedLoading(*_tableView);
  _nextRefreshView->egoRefreshScrollViewDataSourceDidFinishedLoading(*_tableView);
  if (TotalNum <= 0) return;
  const int n = _requestNumber;
  const int page = _startIndex / n + 1;
  const int pages = (TotalNum + n - 1) / n;
  char text[64];
  std::snprintf(text, sizeof text, "当前%d页/一共%d页", page, pages);
  _preRefreshView->updateContentType(text);
  _nextRefreshView->updateContentType(text);
  // No previous page before the first and no next after the last: the strips stay still there.
  _preRefreshView->setHidden(page == 1);
  if (page == 1) _preLoading = true;
  _nextRefreshView->setHidden(page >= pages);
  if (page >= pages) _nextLoading = true;
}

foundation::Value BkView::currentStockRecord(int row) {
  if (row < 0 || row >= kMaxRows) return {};
  const tagLocalStockData& rec = SortData[row];
  foundation::Value out;
  out["code"] = sortpage::CodeText(rec);
  out["name"] = UnicharsToNSString(rec.name, sizeof rec.name / sizeof rec.name[0]);
  out["market"] = static_cast<int64_t>(rec.market);
  out["type"] = static_cast<int64_t>(rec.zqlb);
  figures::AddRowFigures(out, rec);
  return out;
}

int BkView::tableViewNumberOfRowsInSection(ui::TableView& table, int section) {
  (void)table;
  (void)section;
  return StockNum;
}

double BkView::tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) {
  (void)table;
  (void)path;
  return kRowHeight;
}

void BkView::tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) {
  // No screen places this list, so a row opens nothing.
  (void)table;
  (void)path;
}

std::shared_ptr<ui::TableViewCell> BkView::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
  if (!cell) {
    cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, kCellIdentifier);
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    configCell(*cell);
  }
  updateCell(*cell, path);
  return cell;
}

void BkView::configCell(ui::TableViewCell& cell) {
  const double c = static_cast<int>(_tableView->frame().width() / 3);
  const double H = kRowHeight;
  auto background = ui::ImageView::create({0, 0, _tableView->frame().width(), H});
  background->setImage(gfx::Image::named("list_background.png"));
  cell.setBackgroundView(background);
  struct Place {
    int tag;
    gfx::Rect frame;
  };
  for (const Place& place :
       {Place{kCodeTag, {0, 0, c, H / 2}}, Place{kNameTag, {0, H / 2, c, H / 2}},
        Place{kChangeTag, {c, 0, c, H}}, Place{kPriceTag, {2 * c, 0, c, H}}}) {
    auto label = ui::Label::create(place.frame);
    label->setTag(place.tag);
    label->setFont(gfx::Font::systemFont(9));
    label->setTextAlignment(gfx::TextAlignment::Center);
    label->setBackgroundColor(gfx::Color::clear());
    cell.contentView()->addSubview(label);
  }
}

void BkView::updateCell(ui::TableViewCell& cell, const ui::IndexPath& path) {
  if (path.row < 0 || path.row >= kMaxRows) return;
  const tagLocalStockData& rec = SortData[path.row];
  auto label = [&cell](int tag) { return dynamic_cast<ui::Label*>(cell.viewWithTag(tag)); };
  if (ui::Label* code = label(kCodeTag)) {
    code->setText(sortpage::CodeText(rec));
    code->setTextColor(widgets::PaleYellowColor2());
  }
  if (ui::Label* name = label(kNameTag)) {
    name->setText(UnicharsToNSString(rec.name, 16));
    name->setTextColor(widgets::LightBlueColor2());
  }
  if (ui::Label* change = label(kChangeTag)) {
    change->setText(FormatPercentString(rec.zf, 0));
    change->setTextColor(widgets::UpDownColor(rec.zf));
  }
  if (ui::Label* price = label(kPriceTag)) {
    price->setText(FormatPriceString(rec.now, 8, rec.pricedot, rec.now));
    price->setTextColor(widgets::UpDownColor(rec.zd));
  }
}

void BkView::placeFooter() {
  // The footer follows the end of the content, or the table's bottom when the content is short.
  const double bottom = std::max(_tableView->contentSize().height, _tableView->frame().height());
  const gfx::Rect f = _nextRefreshView->frame();
  _nextRefreshView->setFrame({f.x(), bottom, f.width(), f.height()});
}

void BkView::scrollViewDidScroll(ui::ScrollView& scrollView) {
  placeFooter();
  _preRefreshView->egoRefreshScrollViewDidScroll(scrollView);
  _nextRefreshView->egoRefreshScrollViewDidScroll(scrollView);
}

void BkView::scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) {
  (void)willDecelerate;
  _preRefreshView->egoRefreshScrollViewDidEndDragging(scrollView);
  _nextRefreshView->egoRefreshScrollViewDidEndDragging(scrollView);
}

void BkView::egoRefreshTableHeaderDidTriggerRefresh(EGORefreshTableHeaderView& header) {
  if (&header == _nextRefreshView.get()) {
    _nextLoading = true;
    loadingData(true);
  } else {
    _preLoading = true;
    loadingData(false);
  }
}

bool BkView::egoRefreshTableHeaderDataSourceIsLoading(EGORefreshTableHeaderView& header) {
  return &header == _nextRefreshView.get() ? _nextLoading : _preLoading;
}
