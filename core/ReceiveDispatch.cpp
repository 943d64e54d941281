// The readable callbacks: read, cut packets, merge quote pushes into the stores, hand login
// answers to their handlers and post the rest on the main thread by page name.
#include <cstring>
#include <ctime>
#include <string>

#include "core/AppHooks.h"
#include "core/CDataCenter.h"
#include "core/CoreState.h"
#include "core/DataEncrypt.h"
#include "core/LoginAnswers.h"
#include "core/MDBF.h"
#include "core/MessageTypes.h"
#include "core/NetworkThreads.h"
#include "core/QuoteCache.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

bool ReceiveRecordView::From(const uint8_t* record, int size, ReceiveRecordView& out) {
  if (!record || size < kReceiveRecordSize) return false;
  std::memcpy(&out.status, record, 4);
  PacketHeader::Read(record + kReceiveRecordHeaderOffset, kPacketHeaderSize, &out.header);
  out.body = record + kReceiveRecordBodyOffset;
  out.bodyLen = std::min<int>(out.header.bodyLen, kReceiveRecordBodyCapacity);
  return true;
}

bool ReceiveRecordView::From(const foundation::Notification& notification, ReceiveRecordView& out) {
  const foundation::Data& data = notification.userInfo[kReceiveRecordKey].asData();
  return From(data.data(), static_cast<int>(data.size()), out);
}

bool ReceiveRecordView::isServerText() const {
  return header.isError() && header.PackageNum == 0x02 && header.PackageNo == 0xFF;
}

std::string ReceiveRecordView::errorText() const {
  std::u16string text = foundation::utf16FromLittleEndian(body, static_cast<size_t>(bodyLen / 2));
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return foundation::utf16ToUtf8(text);
}

namespace {

// The connection whose read event is being handled on this thread: its posts are counted
// against its hand-off bound.
thread_local CSocket* t_reading = nullptr;

class ReadingScope {
 public:
  explicit ReadingScope(CSocket& connection) : saved_(t_reading) { t_reading = &connection; }
  ~ReadingScope() { t_reading = saved_; }
  ReadingScope(const ReadingScope&) = delete;
  ReadingScope& operator=(const ReadingScope&) = delete;

 private:
  CSocket* saved_;
};

}  // namespace

void PostReceiveRecord(const std::string& name, const uint8_t* record) {
  foundation::Value data = foundation::Value::data(record, kReceiveRecordSize);
  foundation::Notification notification{
      name, GetAppHooks().get(), foundation::Dictionary{{kReceiveRecordKey, std::move(data)}}};
  if (!t_reading) {
    foundation::NotificationCenter::defaultCenter().postOnMain(std::move(notification));
    return;
  }
  // The record counts as waiting until the main loop takes it; a task dropped with a dead loop
  // lets go of its ticket too.
  std::shared_ptr<void> ticket = t_reading->TakeHandOffTicket();
  foundation::RunLoop::main()->perform(
      [ticket = std::move(ticket), n = std::move(notification)]() mutable {
        ticket.reset();
        foundation::NotificationCenter::defaultCenter().post(n);
      });
}

void PostReceiveStatus(const std::string& name, int32_t status) {
  uint8_t record[kReceiveRecordSize] = {0};
  std::memcpy(record, &status, 4);
  PostReceiveRecord(name, record);
}

namespace {

// What a dispatch step decided for one packet: the name to post under, or none.
using Dispatch = std::string (*)(uint8_t* record, const ReceiveRecordView& view);

void LogPacket(const char* prefix, const ReceiveRecordView& v) {
  foundation::logVerbose("%srecv package [%d,%d], RequestCode:%d, size:%d", prefix,
                         v.header.MainType, v.header.ChildType, v.header.RequestCode, v.bodyLen);
}

// The callback skeleton shared by all connections. Every complete packet of a read is handled
// before returning, also after a step that keeps its packet from the screens; only a step that
// closed the connection ends the event (the rest is gone with the receive buffer).
void ReadAndDispatch(CoreConnection which, const net::SocketPtr& socket, const char* identityLine,
                     const std::string& key, Dispatch dispatch) {
  CSocket& connection = GetCoreSocket(which);
  if (!socket || socket != connection.GetCFSocket()) {
    foundation::logVerbose("%s", identityLine);
    return;
  }
  if (which == CoreConnection::Quote)
    SetLastSendRecvTime(static_cast<int64_t>(foundation::Clock::wallNow()));
  const int read = connection.RecvData();
  if (read < 0) NoteConnectionDropped(which);
  if (read < 1) return;
  NoteBytesReceived();

  // One record per event, zeroed once and reused; each post copies it.
  static thread_local uint8_t record[kReceiveRecordSize];
  std::memset(record, 0, sizeof(record));
  ReadingScope reading(connection);
  for (;;) {
    // A packet queues at most two records (the trade connection's). While the main loop is
    // behind, the bytes wait in the socket; a close ends the wait and the event.
    if (!connection.WaitForHandOffRoom(socket, 2)) return;
    int result =
        connection.GetPacket(record + kReceiveRecordHeaderOffset, record + kReceiveRecordBodyOffset,
                             kReceiveRecordBodyCapacity, key.c_str());
    if (result < 0) {
      connection.Close();
      NoteConnectionDropped(which);
      return;
    }
    if (result == 0) return;
    const int32_t status = kReceiveStatusPacket;
    std::memcpy(record, &status, 4);
    ReceiveRecordView view;
    ReceiveRecordView::From(record, kReceiveRecordSize, view);
    std::string name = dispatch(record, view);
    if (!name.empty()) PostReceiveRecord(name, record);
    // The network is quiet only a moment after what the packet handed on (see IsNetworkQuiet).
    NoteBytesReceived();
    connection.AnswerArrived(view.header);
    if (connection.GetCFSocket() != socket) return;
  }
}

std::string DispatchRenZheng(uint8_t* record, const ReceiveRecordView& v) {
  LogPacket("RenZhengConnectCallBack ", v);
  if (v.header.MainType != kMainTypeLogin) return {};
  uint8_t child = v.header.ChildType;
  if (child == LoginChild::kLoginRZ || child == LoginChild::kLoginRZFlagged)
    return HandleRZLoginAnswer(record) ? "login" : "";
  if (v.header.PageID == 2) return "register";
  if (child == LoginChild::kLogoutYYB) {
    foundation::logInfo("Received responds of user's logout ");
    return "login";
  }
  if (child == LoginChild::kTraderList || child == LoginChild::kTraderBranches ||
      child == LoginChild::kTraderInfo)
    return "TraderTypeSelect";
  if (child == LoginChild::kPhoneCode) HandleSmsCodeAnswer(record);
  if (child == LoginChild::kPhoneLogin) HandlePhoneLoginAnswer(record);
  return {};
}

std::string DispatchQuote(uint8_t* record, const ReceiveRecordView& v) {
  const PacketHeader& h = v.header;
  foundation::logVerbose("MainType==%d,ChildType%d,PageID==%d", h.MainType, h.ChildType, h.PageID);
  if (!(h.MainType == kMainTypeQuote &&
        (h.ChildType == QuoteChild::kStockItems || h.ChildType == QuoteChild::kSort))) {
    LogPacket("", v);
  }
  if (h.MainType == kMainTypeLogin) {
    if (h.ChildType == LoginChild::kLoginHQ && h.PageID == 1)
      return HandleHQLoginAnswer(record) ? "login" : "";
    if (h.ChildType == LoginChild::kLoginHQ && h.PageID != 24) HandleReloginAnswer(record);
    if (h.ChildType == LoginChild::kForcedLogout && h.PageID != 24) HandleForcedLogout(record);
    return {};
  }
  if (h.MainType != kMainTypeQuote) return {};
  const auto len = static_cast<size_t>(v.bodyLen);
  std::string name;
  switch (h.ChildType) {
    case QuoteChild::kStockData:
      // An error answer carries the server's text, no quote: the screens show it; the store
      // has nothing to merge (reading it as a quote only logged it as broken).
      if (h.isError()) break;
      if (h.isPush()) {
        PushQuote(v.body, len);
      } else {
        QuoteCache_MergeOne(v.body, len);
      }
      break;
    case QuoteChild::kStockList:
      if (!h.isError()) UpdateQuotes(v.body, len);
      break;
    case QuoteChild::kIndexTicker:
      QuoteCache_PushBrief(v.body, len);
      name = "notification_receiveIndex";
      break;
    case QuoteChild::kStockItems:
      QuoteCache_PushIndexBrief(v.body, len);
      name = "notification_receiveIndex";
      break;
    case QuoteChild::kSuggestion:
      name = "notification_UploadNote";
      break;
    case QuoteChild::kSelfStockUpload: {
      std::shared_ptr<AppHooks> hooks = GetAppHooks();
      if (hooks && !hooks->repondsToUploadSelfStock(record, kReceiveRecordSize)) return {};
      break;
    }
    case QuoteChild::kRadar:
      name = "RadarCellContent";
      break;
    default:
      break;
  }
  // An alert's text is the radar pages' whatever page asked it, the information pages' aside.
  if (h.ChildType == QuoteChild::kRadar && h.PageID != 22) return name;
  switch (h.PageID) {
    case 22:
      name = h.ChildType == QuoteChild::kInfoContent ? "MainPageCellContent" : "MainPage";
      break;
    case 23:
      if (h.ChildType == QuoteChild::kOneStockData) name = "wtStockData";
      break;
    case 11:
      name = "SearchStocks";
      break;
    case 15:
      name = "SettingStocks";
      break;
    case 12:
      name = "SelfStock";
      break;
    case 13:
      name = "TrendLine";
      break;
    case 17:
      name = "SortStock";
      break;
    case 18:
      name = "IndexStock";
      break;
    case 52:
      // The price-alert editor's quote; merged above, then posted under a name of its own.
      if (h.ChildType == QuoteChild::kStockData) name = "NotificationName_UpdateStock";
      break;
    default:
      break;
  }
  return name;
}

std::string DispatchVerify(uint8_t*, const ReceiveRecordView& v) {
  LogPacket("UserVerify ", v);
  if (v.header.MainType == kMainTypeLogin && (v.header.ChildType == LoginChild::kSmsVerify ||
                                              v.header.ChildType == LoginChild::kSmsVerifyCode)) {
    return "verify";
  }
  return {};
}

std::string DispatchMessage(uint8_t*, const ReceiveRecordView& v) {
  LogPacket("UserMessageConnectCallBack ", v);
  return v.header.MainType == kMainTypeLogin ? "MyMessage" : "";
}

std::string DispatchPriceNotification(uint8_t* record, const ReceiveRecordView& v) {
  LogPacket("PriceNotificationConnectCallBack ", v);
  const PacketHeader& h = v.header;
  std::string name = h.MainType == kMainTypePriceAlert ? "PriceNotification" : "";
  if (h.ChildType == PriceAlertChild::kAuthority && h.PageID == 0) {
    MDBF table;
    if (table.Parse(v.body, v.bodyLen) >= 0) table.Seek(0);
    SetPriceNotifyRight(static_cast<int8_t>(table.GetInt(16)));
    StorePriceNotifyText(foundation::utf8ToUtf16(table.GetNSString(28)));
    CallAppHooksOnMain([](AppHooks& hooks) { hooks.QueryPriceNotificationList(); });
    return {};
  }
  if (h.ChildType == PriceAlertChild::kList) {
    foundation::Data copy(record, record + kReceiveRecordSize);
    CallAppHooksOnMain(
        [copy = std::move(copy)](AppHooks& hooks) { hooks.repondsToPriceNotificationList(copy); });
    if (h.PageID == 0) return {};
  }
  return name;
}

// Trade replies go to the bank and trade screens, which filter by type and request code.
std::string DispatchTrade(uint8_t* record, const ReceiveRecordView& v) {
  LogPacket("TradeConnectCallBack ", v);
  PostReceiveRecord("money", record);
  return "tradelogin";
}

}  // namespace

std::string DispatchReceiveRecord(CoreConnection which, uint8_t* record) {
  ReceiveRecordView view;
  if (!record || !ReceiveRecordView::From(record, kReceiveRecordSize, view)) return {};
  switch (which) {
    case CoreConnection::Authentication:
      return DispatchRenZheng(record, view);
    case CoreConnection::Quote:
      if (view.status == kReceiveStatusPacket && !view.header.isError()) NoteQuoteAnswered();
      return DispatchQuote(record, view);
    case CoreConnection::Trade:
      return DispatchTrade(record, view);
    case CoreConnection::Verification:
      return DispatchVerify(record, view);
    case CoreConnection::Message:
      return DispatchMessage(record, view);
    case CoreConnection::PriceAlert:
      return DispatchPriceNotification(record, view);
  }
  return {};
}

void RenZhengConnectCallBack(const net::SocketPtr& socket) {
  ReadAndDispatch(CoreConnection::Authentication, socket,
                  "rzSocket socket is not the active socket", kRequestKey1, DispatchRenZheng);
}

void TCPServerConnectCallBack(const net::SocketPtr& socket) {
  ReadAndDispatch(CoreConnection::Quote, socket, "hqsocket socket is not the active socket",
                  kRequestKey1, DispatchQuote);
}

void TradeConnectCallBack(const net::SocketPtr& socket) {
  ReadAndDispatch(CoreConnection::Trade, socket, "tradeSocket socket is not the active socket",
                  GetDataCenter().GetSessionKey(), DispatchTrade);
}

void UserVerifyConnectCallBack(const net::SocketPtr& socket) {
  ReadAndDispatch(CoreConnection::Verification, socket,
                  "verifySocket socket is not the active socket", kRequestKey1, DispatchVerify);
}

void UserMessageConnectCallBack(const net::SocketPtr& socket) {
  ReadAndDispatch(CoreConnection::Message, socket, "messageSocket socket is not the active socket",
                  kRequestKey1, DispatchMessage);
}

void PriceNotificationConnectCallBack(const net::SocketPtr& socket) {
  ReadAndDispatch(CoreConnection::PriceAlert, socket,
                  "PriceNotificationSocket socket is not the active socket", kRequestKey1,
                  DispatchPriceNotification);
}
