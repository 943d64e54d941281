#include "core/LoginAnswers.h"

#include <cstring>
#include <string>

#include "core/AppHooks.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/LoginRequests.h"
#include "core/MDBF.h"
#include "core/NetworkThreads.h"
#include "core/QuoteCache.h"
#include "core/ReceiveRecord.h"
#include "core/SelfStock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

namespace {

// Parses the body of a record; false (table empty) when it is not a record table.
bool ParseBody(const ReceiveRecordView& view, MDBF& table) {
  if (table.Parse(view.body, view.bodyLen) < 0) return false;
  table.Seek(0);
  return true;
}

void ShowServerText(const ReceiveRecordView& view) {
  ShowCoreAlert(CoreAlert{"", view.errorText(), {"确定"}, kAlertTagServerText, true});
}

void ShowPlainErrorText(const ReceiveRecordView& view) {
  ShowCoreAlert(CoreAlert{"", view.errorText(), {"确定"}, 0, false});
}

void ShowMessage(const char* text) {
  ShowCoreAlert(CoreAlert{"", text, {"确定"}, 0, false});
}

// The watch-list steps after a quote login; the list lives on the main thread.
void AfterQuoteLoginOnMain(int64_t serverTime, bool full) {
  foundation::RunLoop::main()->perform([serverTime, full] {
    if (full) {
      std::string user = GetLoginUserName();
      SelfStock_SetLoginUser(user.c_str());
      char owner[kSelfStockNameSize + 1] = {0};
      SelfStock_GetUserName(owner, sizeof(owner));
      if (user.compare(0, kSelfStockNameSize, owner) != 0) SelfStock_SetListTime(0, 0);
      // Date YYYYMMDD in the high half, time hhmmss in the low half.
      SetServerTimeOffset(static_cast<int>(serverTime & 0xFFFFFFFF),
                          static_cast<int>(serverTime >> 32));
    }
    SelfStock_SetDirty(1);
  });
  CallAppHooksOnMain([full](AppHooks& hooks) {
    hooks.uploadSelfStock();
    if (full) hooks.startMessageRequestTimer();
  });
}

// The rights a quote login grants, to tell a login that changes them from one that does not.
struct HeldRights {
  int lacks30 = LacksRight30();
  int level = GetQuoteLevelRight();
  int has49 = HasRight49();
  bool operator==(const HeldRights&) const = default;
};

}  // namespace

void doInitAfterRZLogin(MDBF* m) {
  if (!m) return;
  char addresses[2048] = {0};
  m->GetFieldText(36, addresses, sizeof(addresses));
  SetServerAddressList(addresses);
  GetSaveConfig().Save();
  char device[1024] = {0};
  m->GetFieldText(71, device, sizeof(device));
  SetDeviceString(device);
}

void doInitAfterHQLogin(MDBF* m) {
  // Whatever the connection answers from now on is the market as the server holds it now.
  QuoteCache_NewSession();
  if (!m) return;
  char rights[300] = {0};
  m->GetFieldText(35, rights, sizeof(rights));
  foundation::logInfo("user_right=====%s", rights);
  std::string url = m->GetNSString(46);
  if (!url.empty()) {
    std::string text = m->GetNSString(28);
    CallAppHooksOnMain(
        [text, url](AppHooks& hooks) { hooks.applicationReceiveUpgrade(text, url); });
  }
  SetGuestLogin(0);
  ParseRightsList(rights);
  char qsid[10] = {0};
  m->GetFieldText(58, qsid, sizeof(qsid));
  SetQSID(qsid);
  SetMsgUserType(m->GetInt(70));
  foundation::logInfo("Send Request_DP package");
  Request_DP(GlobalDataRequest());
}

bool HandleRZLoginAnswer(const uint8_t* record) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(record, kReceiveRecordSize, view)) return false;
  if (!view.header.isError()) {
    MDBF table;
    bool parsed = ParseBody(view, table);
    foundation::logInfo("TCPServerConnectCallBack doInitAfterRZLogin");
    doInitAfterRZLogin(parsed ? &table : nullptr);
    CallAppHooksOnMain([](AppHooks& hooks) { hooks.CheckEnrollment(1); });
    return false;
  }
  if (view.isServerText()) {
    ShowServerText(view);
    return false;
  }
  return true;
}

bool HandleHQLoginAnswer(const uint8_t* record) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(record, kReceiveRecordSize, view)) return false;
  NoteQuoteLoginAnswered();
  if (!view.header.isError()) {
    MDBF table;
    bool parsed = ParseBody(view, table);
    foundation::logInfo("TCPServerConnectCallBack doInitAfterHQLogin");
    doInitAfterHQLogin(parsed ? &table : nullptr);
    AfterQuoteLoginOnMain(parsed ? table.GetInt64(52) : 0, true);
    return true;
  }
  if (view.isServerText()) {
    ShowServerText(view);
    return false;
  }
  return true;
}

void HandleReloginAnswer(const uint8_t* record) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(record, kReceiveRecordSize, view)) return;
  NoteQuoteLoginAnswered();
  if (view.header.isError()) {
    ResetAllCoreState();
    // The session's rights went with it: the screens hear of it as of any change of login.
    CallAppHooksOnMain([](AppHooks& hooks) { hooks.refreshTabBarStateWhenLoginChanging(1); });
    if (view.isServerText()) {
      ShowServerText(view);
    } else {
      ShowPlainErrorText(view);
    }
    return;
  }
  MDBF table;
  bool parsed = ParseBody(view, table);
  foundation::logInfo("TCPServerConnectCallBack doInitAfterHQLogin 222");
  const HeldRights before;
  doInitAfterHQLogin(parsed ? &table : nullptr);
  AfterQuoteLoginOnMain(0, false);
  // Rights that come back (a refusal took them) or change: the screens shown hear of it as of
  // any change of login, or a tab the rights allow again stays away.
  if (!(HeldRights{} == before))
    CallAppHooksOnMain([](AppHooks& hooks) { hooks.refreshTabBarStateWhenLoginChanging(1); });
}

void HandleForcedLogout(const uint8_t* record) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(record, kReceiveRecordSize, view)) return;
  MDBF table;
  std::string text;
  if (ParseBody(view, table)) text = table.GetNSString(38);
  ResetAllCoreState();
  SetLoggedIn(0);
  CallAppHooksOnMain([](AppHooks& hooks) { hooks.refreshTabBarStateWhenLoginChanging(1); });
  ShowCoreAlert(CoreAlert{"", text, {"重新登录", "游客登录"}, kAlertTagForcedLogout, true});
}

void HandleSmsCodeAnswer(const uint8_t* record) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(record, kReceiveRecordSize, view)) return;
  if (view.header.isError()) {
    ShowPlainErrorText(view);
  } else {
    ShowMessage("短信稍后会发到您的手机！");
  }
}

void HandlePhoneLoginAnswer(const uint8_t* record) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(record, kReceiveRecordSize, view)) return;
  if (view.header.isError()) {
    ShowPlainErrorText(view);
    return;
  }
  // User defaults belong to the main thread, like the tab switch that follows.
  foundation::RunLoop::main()->perform([] {
    foundation::Value stored = GetNewTimeKey();
    const foundation::Value& phone = stored.asDictionary().get("phoneNum");
    if (!phone.isNull()) {
      SetNewTimeKey(foundation::Dictionary{{"phoneNum", phone}, {"isSeccuss", "YES"}});
    }
  });
  CallAppHooksOnMain([](AppHooks& hooks) { hooks.changeTabBarSelController(3); });
  ShowMessage("手机号登陆成功！");
}
