// The settings list and the editor against the test server: the list in server order (also in
// several packets), the editor's header, stored setting, upload, delete, errors and time-out,
// edit mode with swipe delete and "清空", and the keyboard.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "alerts/PriceNotificationModifySetting.h"
#include "alerts/PriceNotificationSetting.h"
#include "core/DataRequest.h"
#include "core/PriceAlertRequests.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/ui/Application.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Label.h"
#include "shell/SharedTool.h"
#include "tests/alerts/ClientTestSupport.h"
#include "testserver/Table.h"

namespace alerttest {
namespace {

class PriceAlertSettings : public PriceAlertClientTest {
 protected:
  std::shared_ptr<PriceNotificationModifySetting> OpenList() {
    return OpenPage<PriceNotificationModifySetting>();
  }
  static std::vector<std::string> Rows(PriceNotificationModifySetting& list) {
    std::vector<std::string> codes;
    MDBF& t = const_cast<MDBF&>(list.settings());
    for (int i = 0; i < t.GetRecordNum(); ++i) {
      t.Seek(i);
      codes.push_back(t.GetNSString(8) + " " + t.GetNSString(9));
    }
    return codes;
  }
  // Stores a setting for the guest through the client's own connection (a page nobody reads).
  void Store(int market, const char* code, int32_t rise, int32_t change = 10000) {
    const size_t before = Sent(1).size();
    MakeRequest_PriceNotificationUploadSetting(GlobalDataRequest(), 0,
                                               NextRequestCode(GlobalDataRequest()), market, code,
                                               "股票", 0, 3, rise, 0, change, 99);
    ASSERT_TRUE(WaitFor([&] { return Sent(1).size() > before; }));
  }
  PriceNotificationSetting* OpenEditor(PriceNotificationModifySetting& list, int row) {
    server->clearReceivedRequests();
    list.tableViewDidSelectRowAtIndexPath(*list.tableView(), ui::IndexPath::forRow(row, 0));
    advance(0.4);
    auto* editor = dynamic_cast<PriceNotificationSetting*>(Top());
    if (!editor) return nullptr;
    WaitFor([&] {
      return editor->waitingBox()->isHidden() &&
             editor->requestCode(PriceNotificationSetting::kSlotGet) == -1;
    });
    return editor;
  }
  static std::string Header(PriceNotificationSetting& editor, int tag) {
    auto* label = dynamic_cast<ui::Label*>(editor.codeView()->viewWithTag(tag));
    return label ? label->text() : "?";
  }
  static void Flip(PriceNotificationSetting& editor, int i, bool on) {
    editor.switchAt(i)->setOn(on);
    editor.swtichValueChanged(*editor.switchAt(i));
  }
};

TEST_F(PriceAlertSettings, ListShowsTheSettingsInServerOrderAlsoFromThreePackets) {
  LoggedIn();
  auto list = OpenList();
  ASSERT_EQ(list->tableView()->numberOfRowsInSection(0), 2);
  auto rows = Rows(*list);
  EXPECT_EQ(rows[0].substr(0, 6), "600000");
  EXPECT_EQ(rows[1].substr(0, 6), "000001");
  EXPECT_GT(rows[0].size(), 7u);  // and the name
  auto* cell = dynamic_cast<PriceNotificationModifySettingCell*>(
      list->tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(1, 0)));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->codeLabel()->text(), "000001");

  for (const char* code : {"600003", "600006", "600009", "600012"}) Store(1, code, 990000);
  server->splitReplies(150, 2, 3);
  server->clearReceivedRequests();
  list->requestList();
  ASSERT_TRUE(WaitFor([&] { return Idle(*list); }));
  EXPECT_EQ(Sent(2).size(), 1u);
  rows = Rows(*list);
  ASSERT_EQ(rows.size(), 6u);
  const char* order[] = {"600000", "000001", "600003", "600006", "600009", "600012"};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(rows[i].substr(0, 6), order[i]) << i;
  EXPECT_EQ(list->tableView()->numberOfRowsInSection(0), 6);
}

TEST_F(PriceAlertSettings, EditorShowsQuoteAndStoredSettingAndUploadsTheChange) {
  LoggedIn();
  auto list = OpenList();
  PriceNotificationSetting* editor = OpenEditor(*list, 0);
  ASSERT_NE(editor, nullptr);
  // The quote request (145/10 on page 52) and the stored-setting query went out.
  ASSERT_TRUE(WaitFor([&] {
    for (auto& r : server->receivedRequests(Role::Quote))
      if (r.header.ChildType == 10 && r.header.PageID == 52) return true;
    return false;
  }));
  ASSERT_EQ(Sent(3).size(), 1u);
  EXPECT_EQ(Sent(3)[0].header.PageID, 52);
  // The quote reply refreshes the header from the cache.
  tagLocalStockData quote{};
  ASSERT_TRUE(WaitFor([&] {
    QuoteCache_GetQuote(quote, 1, "600000");
    return quote.now != 0 && Header(*editor, 302) != "----";
  }));
  EXPECT_EQ(Header(*editor, 301), foundation::utf16ToUtf8(std::u16string(quote.name)));
  EXPECT_EQ(Header(*editor, 302), FormatPriceString(quote.now, 0, quote.pricedot, 0));
  EXPECT_EQ(Header(*editor, 303), FormatValueString(quote.zd, quote.yesterday, quote.now));
  auto* change = dynamic_cast<ui::Label*>(editor->codeView()->viewWithTag(303));
  EXPECT_EQ(change->textColor(), SharedTool::CheckPriceColor(quote.zd));
  // The stored default: the ladder alert and a rise price.
  EXPECT_TRUE(editor->switchAt(1)->isOn());
  EXPECT_TRUE(editor->switchAt(2)->isOn());
  EXPECT_TRUE(editor->field(511)->isEnabled());
  EXPECT_FALSE(editor->field(511)->text().empty());
  EXPECT_FALSE(editor->switchAt(3)->isOn());
  EXPECT_FALSE(editor->switchAt(4)->isOn());
  EXPECT_FALSE(editor->field(513)->isEnabled());
  // Every switch sits in its own row's cell, also after further answers reload the table and
  // the reused cells hand the switches round.
  for (int round = 0; round < 3; ++round) {
    advance(0.1);
    for (int i = 1; i <= 4; ++i) {
      const ui::IndexPath path =
          i == 1 ? ui::IndexPath::forRow(0, 0) : ui::IndexPath::forRow(i - 2, 1);
      ui::TableViewCell* cell = editor->tableView()->cellForRowAtIndexPath(path);
      ASSERT_NE(cell, nullptr) << round << " " << i;
      EXPECT_EQ(editor->switchAt(i)->superview(), cell) << round << " " << i;
    }
    editor->tableView()->reloadData();
  }

  // Rise off, a change of 2.5 %.
  Flip(*editor, 2, false);
  EXPECT_EQ(editor->field(511)->text(), "");
  Flip(*editor, 4, true);
  editor->field(513)->setText("2.5");
  server->clearReceivedRequests();
  editor->settingDone();
  ASSERT_TRUE(
      WaitFor([&] { return AlertWithTag(PriceNotificationSetting::kAnswerAlertTag) != nullptr; }));
  const auto uploads = Sent(1);
  ASSERT_EQ(uploads.size(), 1u);
  const auto& up = uploads[0];
  EXPECT_EQ(up.header.PageID, 52);
  MDBF t;
  Body(up, t);
  EXPECT_EQ(t.GetInt(18), 1);
  EXPECT_EQ(t.GetNSString(8), "600000");
  EXPECT_EQ(t.GetNSString(9), foundation::utf16ToUtf8(std::u16string(quote.name)));
  EXPECT_EQ(t.FindField(9)->type, 3);  // UTF-16
  EXPECT_EQ(t.GetInt(10), 1);
  EXPECT_EQ(t.GetInt(11), 3);
  EXPECT_EQ(t.GetInt(12), 0);
  EXPECT_EQ(t.GetInt(13), 0);
  EXPECT_EQ(t.GetInt(14), 250);
  EXPECT_EQ(AlertText(), "价格提醒设置成功");
  // "确定" pops the editor; the list asks again and the server kept the change.
  ASSERT_TRUE(PressAlert(PriceNotificationSetting::kAnswerAlertTag, 0));
  advance(0.5);
  EXPECT_EQ(Top(), list.get());
  ASSERT_TRUE(WaitFor([&] { return Idle(*list) && Sent(2).size() == 1; }));
  EXPECT_EQ(Rows(*list)[1].substr(0, 6), "600000");  // re-stored settings go last
  editor = OpenEditor(*list, 1);
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(editor->switchAt(2)->isOn());
  EXPECT_TRUE(editor->switchAt(4)->isOn());
  EXPECT_EQ(editor->field(513)->text(), "2.50");
}

TEST_F(PriceAlertSettings, LongCodesAreCutBeforeTheEditorAsksWithThem) {
  LoggedIn();
  Store(1, "600000ABCDEF", 990000);
  auto list = OpenList();
  ASSERT_EQ(list->tableView()->numberOfRowsInSection(0), 3);
  PriceNotificationSetting* editor = OpenEditor(*list, 2);
  ASSERT_NE(editor, nullptr);
  // The record holds 8 characters; the header shows no price for a stock the cache lacks.
  EXPECT_STREQ(editor->stockData().code, "600000AB");
  EXPECT_EQ(editor->stockData().market, 1);
  EXPECT_EQ(Header(*editor, 302), "----");
  ASSERT_EQ(Sent(3).size(), 1u);
  MDBF t;
  Body(Sent(3)[0], t);
  EXPECT_EQ(t.GetNSString(8), "600000AB");
  EXPECT_EQ(t.GetInt(18), 1);
}

TEST_F(PriceAlertSettings, EveryAlertOffDeletesAndErrorsKeepTheEditorOpen) {
  LoggedIn();
  auto list = OpenList();
  PriceNotificationSetting* editor = OpenEditor(*list, 1);  // 000001: change 0
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->switchAt(4)->isOn());
  EXPECT_EQ(editor->field(513)->text(), "0");

  // The server refuses once: its text shows and the editor stays.
  server->setFault(Role::PriceAlert, Fault::ErrorReply, 1, "服务暂停");
  server->clearReceivedRequests();
  editor->settingDone();
  ASSERT_TRUE(WaitFor([&] { return AlertText() == "服务暂停"; }));
  EXPECT_EQ(Sent(1).size(), 1u);
  EXPECT_TRUE(editor->waitingBox()->isHidden());
  ui::AlertView::dismissAll();
  advance(0.5);
  EXPECT_EQ(Top(), editor);

  Flip(*editor, 4, false);
  server->clearReceivedRequests();
  editor->settingDone();
  ASSERT_TRUE(
      WaitFor([&] { return AlertWithTag(PriceNotificationSetting::kAnswerAlertTag) != nullptr; }));
  EXPECT_EQ(Sent(1).size(), 0u);
  ASSERT_EQ(Sent(4).size(), 1u);
  MDBF t;
  Body(Sent(4)[0], t);
  EXPECT_EQ(t.GetNSString(8), "000001");
  EXPECT_EQ(AlertText(), "价格提醒已删除");
  ASSERT_TRUE(PressAlert(PriceNotificationSetting::kAnswerAlertTag, 0));
  advance(0.5);
  ASSERT_TRUE(WaitFor([&] { return Idle(*list); }));
  EXPECT_EQ(Rows(*list).size(), 1u);
}

TEST_F(PriceAlertSettings, ForeignRepliesOnThePageChangeNothing) {
  LoggedIn();
  auto list = OpenList();
  PriceNotificationSetting* editor = OpenEditor(*list, 0);
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(editor->switchAt(1)->isOn());
  Flip(*editor, 1, false);
  // The detail pager's own query on page 52 with a code the editor does not keep.
  server->clearReceivedRequests();
  MakeRequest_PriceNotificationGetSetting(GlobalDataRequest(), 0,
                                          NextRequestCode(GlobalDataRequest()), 1, "600000", 52);
  ASSERT_TRUE(WaitFor([&] { return Sent(3).size() == 1; }));
  pump([] { return false; }, 0.3);
  EXPECT_FALSE(editor->switchAt(1)->isOn());
  // A quote reply of another code does not refresh the header either.
  const std::string shown = Header(*editor, 302);
  tagLocalStockData other{};
  other.market = 1;
  std::strcpy(other.code, "600000");
  editor->setStockData(&other);
  EXPECT_EQ(Header(*editor, 302), "----");
  EXPECT_EQ(Header(*editor, 303), "----");
  editor->requestHQData("600000", 1);
  ASSERT_TRUE(WaitFor([&] { return Header(*editor, 302) == shown; }));
}

TEST_F(PriceAlertSettings, StalledServerTimesOutAndTheNextRequestReconnects) {
  LoggedIn();
  auto list = OpenList();
  server->setFault(Role::PriceAlert, Fault::Stall);
  PriceNotificationSetting* editor = nullptr;
  server->clearReceivedRequests();
  list->tableViewDidSelectRowAtIndexPath(*list->tableView(), ui::IndexPath::forRow(0, 0));
  advance(0.4);
  editor = dynamic_cast<PriceNotificationSetting*>(Top());
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(WaitFor([&] { return Sent(3).size() == 1; }));
  EXPECT_FALSE(editor->waitingBox()->isHidden());
  // "完成" while the query is outstanding sends nothing.
  editor->field(512)->setText("");
  editor->settingDone();
  pump([] { return false; }, 0.3);
  EXPECT_TRUE(Sent(1).empty());
  EXPECT_TRUE(Sent(4).empty());

  advance(29);
  EXPECT_FALSE(editor->waitingBox()->isHidden());
  advance(1.5);
  EXPECT_TRUE(editor->waitingBox()->isHidden());
  EXPECT_EQ(AlertText(), "请求超时，请确认网络通讯是否正常！");
  ASSERT_TRUE(WaitFor([&] { return server->connectionCount(Role::PriceAlert) == 0; }));
  ui::AlertView::dismissAll();

  server->clearFaults();
  editor->requestSetting();
  ASSERT_TRUE(
      WaitFor([&] { return editor->requestCode(PriceNotificationSetting::kSlotGet) == -1; }));
  EXPECT_EQ(server->connectionCount(Role::PriceAlert), 1);
  EXPECT_TRUE(editor->switchAt(1)->isOn());
}

// The fault mended: a setting whose save had timed out was reported saved ("价格提醒设置成功")
// when its answer came after all. Once the time-out was shown, the answer changes nothing.
TEST_F(PriceAlertSettings, ASaveWhoseTimeOutWasShownIsNotReportedSavedLater) {
  LoggedIn();
  auto list = OpenList();
  PriceNotificationSetting* editor = OpenEditor(*list, 0);
  ASSERT_NE(editor, nullptr);
  server->setFault(Role::PriceAlert, Fault::Stall);
  server->clearReceivedRequests();
  Flip(*editor, 1, false);
  editor->settingDone();
  ASSERT_TRUE(WaitFor([&] { return Sent(1).size() == 1; }));
  const uint16_t code = Sent(1)[0].header.RequestCode;
  advance(30.5);
  ASSERT_EQ(AlertText(), "请求超时，请确认网络通讯是否正常！");
  ui::AlertView::dismissAll();
  server->clearFaults();
  // The server's answer to that save, late.
  testserver::TableWriter w;
  w.addRow();
  w.utf16(15, "价格提醒设置成功");
  const std::vector<uint8_t> body = w.build();
  std::vector<uint8_t> record(kReceiveRecordSize);
  const int32_t status = kReceiveStatusPacket;
  std::memcpy(record.data(), &status, 4);
  PacketHeader h;
  h.MainType = 150;
  h.ChildType = Sent(1)[0].header.ChildType;
  h.PageID = Sent(1)[0].header.PageID;
  h.RequestCode = code;
  h.DataFlag = 1;
  h.bodyLen = static_cast<uint16_t>(body.size());
  h.Write(record.data() + kReceiveRecordHeaderOffset);
  std::memcpy(record.data() + kReceiveRecordBodyOffset, body.data(), body.size());
  PostReceiveRecord("PriceNotification", record.data());
  pump([] { return false; }, 0.3);
  EXPECT_EQ(AlertWithTag(PriceNotificationSetting::kAnswerAlertTag), nullptr)
      << "the late answer was shown";
  EXPECT_EQ(Top(), editor) << "the editor went";
}

// The server drops a price-alert connection that stays idle (ten minutes): that is no error,
// and the next request opens it again.
TEST_F(PriceAlertSettings, AnIdleConnectionTheServerDropsIsNoErrorAndReopens) {
  LoggedIn();
  auto list = OpenList();
  ASSERT_EQ(server->connectionCount(Role::PriceAlert), 1);
  struct Lines {
    std::mutex mutex;
    std::vector<std::string> all;
    bool has(const std::string& text) {
      std::lock_guard<std::mutex> hold(mutex);
      for (const std::string& line : all)
        if (line.find(text) != std::string::npos) return true;
      return false;
    }
  };
  auto lines = std::make_shared<Lines>();
  foundation::setLogSink([lines](foundation::LogLevel, const std::string& line) {
    std::lock_guard<std::mutex> hold(lines->mutex);
    lines->all.push_back(line);
  });
  // Ten idle minutes and the server closes the connection. Should anything have reached it as
  // the clock moved (the last of the list's answers on a busy machine), the next ten count.
  for (int round = 0; round < 3 && server->connectionCount(Role::PriceAlert) > 0; ++round) {
    advance(601);
    WaitFor([&] { return server->connectionCount(Role::PriceAlert) == 0; });
  }
  const bool told =
      WaitFor([&] { return lines->has("PriceNotificationSocket: closed by the server"); });
  foundation::setLogSink({});
  EXPECT_TRUE(told);
  for (const std::string& line : lines->all) {
    EXPECT_EQ(line.find("RecvData error"), std::string::npos) << line;
    EXPECT_NE(line.rfind("!!!!!!!", 0), 0u) << line;
  }

  auto* editor = OpenEditor(*list, 0);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->requestCode(PriceNotificationSetting::kSlotGet), -1);
  EXPECT_EQ(server->connectionCount(Role::PriceAlert), 1);
  EXPECT_TRUE(AlertText().empty());
}

TEST_F(PriceAlertSettings, EditModeSwipeDeleteAndClearAll) {
  LoggedIn();
  auto list = OpenList();
  EXPECT_EQ(list->editItem()->title(), "编辑");
  EXPECT_EQ(list->returnItem()->title(), "返回");
  list->editItem()->trigger();
  EXPECT_TRUE(list->isEditMode());
  EXPECT_TRUE(list->tableView()->isEditing());
  EXPECT_EQ(list->editItem()->title(), "取消");
  EXPECT_EQ(list->returnItem()->title(), "清空");

  // Swipe delete: the row goes at once and 150/4 names its code.
  server->clearReceivedRequests();
  advance(0.4);
  auto* cell = list->tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  ASSERT_NE(cell, nullptr);
  list->tableView()->commitEditing(*cell, ui::TableViewCellEditingStyle::Delete);
  EXPECT_EQ(list->tableView()->numberOfRowsInSection(0), 1);
  EXPECT_EQ(Rows(*list)[0].substr(0, 6), "000001");
  ASSERT_TRUE(WaitFor([&] { return Sent(4).size() == 1; }));
  MDBF t;
  Body(Sent(4)[0], t);
  EXPECT_EQ(t.GetNSString(8), "600000");
  EXPECT_EQ(Sent(4)[0].header.PageID, 53);
  advance(0.4);
  cell = list->tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  ASSERT_NE(cell, nullptr);
  list->tableView()->commitEditing(*cell, ui::TableViewCellEditingStyle::Delete);
  EXPECT_EQ(list->tableView()->numberOfRowsInSection(0), 0);
  ASSERT_TRUE(WaitFor([&] { return Sent(4).size() == 2; }));

  // "清空" while the list request is outstanding asks but sends nothing.
  for (const char* code : {"600003", "600006"}) {
    MakeRequest_PriceNotificationUploadSetting(GlobalDataRequest(), 0,
                                               NextRequestCode(GlobalDataRequest()), 1, code,
                                               "股票", 1, 3, 0, 0, 10000, 99);
  }
  ASSERT_TRUE(WaitFor([&] { return Sent(1).size() == 2; }));
  server->setFault(Role::PriceAlert, Fault::Stall);
  list->requestList();
  list->returnItem()->trigger();
  ASSERT_TRUE(PressAlert(PriceNotificationModifySetting::kClearAlertTag, 0));
  pump([] { return false; }, 0.3);
  EXPECT_TRUE(Sent(5).empty());
  advance(31);
  ui::AlertView::dismissAll();
  server->clearFaults();
  list->requestList();
  ASSERT_TRUE(WaitFor([&] { return Idle(*list); }));
  ASSERT_EQ(list->tableView()->numberOfRowsInSection(0), 2);

  // "清空", "继续": the table is empty before the server's text shows.
  list->returnItem()->trigger();
  ASSERT_TRUE(AlertWithTag(PriceNotificationModifySetting::kClearAlertTag));
  EXPECT_EQ(AlertText(), "将清空所有设置 \n确定继续吗？");
  ASSERT_TRUE(PressAlert(PriceNotificationModifySetting::kClearAlertTag, 0));
  int rowsWhenShown = -1;
  ASSERT_TRUE(WaitFor([&] {
    if (AlertText() != "价格提醒已全部清除") return false;
    rowsWhenShown = list->tableView()->numberOfRowsInSection(0);
    return true;
  }));
  EXPECT_EQ(rowsWhenShown, 0);
  EXPECT_EQ(Sent(5).size(), 1u);

  // Leaving edit mode.
  list->editItem()->trigger();
  EXPECT_FALSE(list->tableView()->isEditing());
  EXPECT_EQ(list->editItem()->title(), "编辑");
  EXPECT_EQ(list->returnItem()->title(), "返回");
}

TEST_F(PriceAlertSettings, KeyboardScrollsTheEditedFieldIntoViewAndRestores) {
  LoggedIn();
  auto list = OpenList();
  PriceNotificationSetting* editor = OpenEditor(*list, 1);
  ASSERT_NE(editor, nullptr);
  ui::ScrollView* scroll = editor->mView();
  const gfx::Rect before = scroll->frame();
  ui::TextField* field = editor->field(513);
  ASSERT_TRUE(field->isEnabled());
  ASSERT_TRUE(field->becomeFirstResponder());
  advance(0.6);
  EXPECT_TRUE(editor->keyboardIsShowing());
  EXPECT_LT(scroll->frame().height(), before.height());
  // The field (row 2 of the thresholds) lies inside the visible part of the scroll view.
  const gfx::Rect inScroll = field->convertRectToView(field->bounds(), scroll);
  EXPECT_GE(inScroll.y(), scroll->contentOffset().y);
  EXPECT_LE(inScroll.y() + inScroll.height(),
            scroll->contentOffset().y + scroll->bounds().height() + 30);
  EXPECT_GT(scroll->contentOffset().y, 0);
  // A typed letter is refused, digits pass.
  field->insertText("a");
  EXPECT_EQ(field->text(), "0");
  field->insertText("5");
  EXPECT_EQ(field->text(), "05");
  field->setText("");
  field->insertText("-");
  EXPECT_EQ(field->text(), "");
  field->insertText("12.5");  // pasted
  EXPECT_EQ(field->text(), "12.5");
  field->resignFirstResponder();
  advance(0.6);
  EXPECT_FALSE(editor->keyboardIsShowing());
  EXPECT_EQ(scroll->frame(), before);
}

// The pad leaves the whole field above it, and the page scrolls back once the pad closes (the
// stock's row would otherwise stay under the navigation bar).
TEST_F(PriceAlertSettings, PadKeepsTheWholeFieldAboveItAndThePageReturns) {
  LoggedIn();
  auto list = OpenList();
  PriceNotificationSetting* editor = OpenEditor(*list, 1);
  ASSERT_NE(editor, nullptr);
  ui::ScrollView* scroll = editor->mView();
  ui::TextField* field = editor->field(513);
  ASSERT_TRUE(field->isEnabled());
  ASSERT_TRUE(field->becomeFirstResponder());
  advance(0.6);
  ASSERT_TRUE(editor->keyboardIsShowing());
  const gfx::Rect inScroll = field->convertRectToView(field->bounds(), scroll);
  EXPECT_GE(inScroll.y(), scroll->contentOffset().y);
  EXPECT_LE(field->convertRectToView(field->bounds(), nullptr).maxY(),
            ui::Keyboard::shared().frame().y())
      << "the field's bottom edge is under the pad";
  ASSERT_GT(scroll->contentOffset().y, 0);
  field->insertText("5");
  field->resignFirstResponder();
  advance(0.6);
  EXPECT_FALSE(editor->keyboardIsShowing());
  EXPECT_EQ(scroll->contentOffset().y, 0) << "the page stays scrolled up";
}

// Moving from one field to the next with the pad up brings the next field whole above the pad.
TEST_F(PriceAlertSettings, NextFieldWithThePadUpComesWholeAboveIt) {
  LoggedIn();
  auto list = OpenList();
  PriceNotificationSetting* editor = OpenEditor(*list, 1);
  ASSERT_NE(editor, nullptr);
  ui::ScrollView* scroll = editor->mView();
  ui::TextField* rise = editor->field(512);
  ui::TextField* change = editor->field(513);
  for (int i : {3, 4}) {
    ui::Switch* onOff = editor->switchAt(i);
    if (onOff->isOn()) continue;
    onOff->setOn(true);
    onOff->sendActionsForControlEvents(ui::ControlEvent::ValueChanged);
  }
  ASSERT_TRUE(rise->isEnabled() && change->isEnabled());
  ASSERT_TRUE(rise->becomeFirstResponder());
  advance(0.6);
  ASSERT_TRUE(editor->keyboardIsShowing());
  ASSERT_TRUE(change->becomeFirstResponder());
  advance(0.6);
  const gfx::Rect inScroll = change->convertRectToView(change->bounds(), scroll);
  EXPECT_GE(inScroll.y(), scroll->contentOffset().y);
  EXPECT_LE(change->convertRectToView(change->bounds(), nullptr).maxY(),
            ui::Keyboard::shared().frame().y())
      << "the field's bottom edge is under the pad";
  change->resignFirstResponder();
  advance(0.6);
  EXPECT_EQ(scroll->contentOffset().y, 0);
}

// The server went away while the editor was open: "完成" shows the waiting box until the request
// fails, and no success.
TEST_F(PriceAlertSettings, SavingWhileTheServerIsGoneShowsTheWaitingBox) {
  LoggedIn();
  auto list = OpenList();
  PriceNotificationSetting* editor = OpenEditor(*list, 1);
  ASSERT_NE(editor, nullptr);
  server->setFault(Role::PriceAlert, Fault::Refuse);
  server->dropConnections(Role::PriceAlert);
  ASSERT_TRUE(WaitFor([&] { return server->connectionCount(Role::PriceAlert) == 0; }));
  ASSERT_TRUE(editor->field(513)->isEnabled());
  ASSERT_TRUE(editor->field(513)->becomeFirstResponder());
  advance(0.6);
  ASSERT_TRUE(editor->keyboardIsShowing());
  editor->settingDone();
  advance(0.5);
  // Nothing covers the box: the keypad is down.
  const gfx::Rect box = editor->waitingBox()->convertRectToView(editor->waitingBox()->bounds(), nullptr);
  EXPECT_FALSE(ui::Keyboard::shared().isVisible() &&
               ui::Keyboard::shared().frame().intersects(box));
  for (int i = 0; i < 20; ++i) {
    advance(0.25);
    if (!AlertText().empty()) break;
    EXPECT_FALSE(editor->waitingBox()->isHidden()) << i * 0.25 << " s";
  }
  EXPECT_NE(AlertText().find("成功"), 0u) << AlertText();
}

}  // namespace
// The digits pad has no return key and hides the change row and the notice: a tap beside the
// fields (the stock's row, a caption, the page) puts it away without saving; a tap in an active
// field keeps it.
TEST_F(PriceAlertSettings, ATapBesideTheFieldsPutsThePadAwayWithoutSaving) {
  LoggedIn();
  auto list = OpenList();
  PriceNotificationSetting* editor = OpenEditor(*list, 1);
  ASSERT_NE(editor, nullptr);
  auto tapAt = [&](ui::View& v, gfx::Point p) {
    const gfx::Point at = v.convertPointToView(p, nullptr);
    ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, at);
    ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, at);
    advance(0.6);
  };
  Flip(*editor, 3, true);
  ui::TextField* fall = editor->field(PriceNotificationSetting::kFallFieldTag);
  ui::TextField* change = editor->field(PriceNotificationSetting::kChangeFieldTag);
  ASSERT_TRUE(fall->isEnabled() && change->isEnabled());
  const size_t uploads = Sent(1).size() + Sent(4).size();
  tapAt(*fall, fall->bounds().center());
  ASSERT_TRUE(fall->isFirstResponder());
  ASSERT_TRUE(ui::Keyboard::shared().isVisible());
  fall->setText("");
  fall->insertText("1");
  tapAt(*change, change->bounds().center());
  EXPECT_TRUE(change->isFirstResponder());
  EXPECT_TRUE(ui::Keyboard::shared().isVisible()) << "a tap in the next field keeps the pad";

  ui::View* rise = editor->editView(1);
  ui::View* riseCaption = rise->subviews().front().get();
  const struct {
    const char* what;
    ui::View* view;
    gfx::Point at;
  } beside[] = {
      {"the stock's row", editor->codeView(), gfx::Point(200, 20)},
      {"the rise caption", riseCaption, riseCaption->bounds().center()},
      {"the fall row right of its unit", editor->editView(2), gfx::Point(209, 20)},
  };
  for (const auto& b : beside) {
    fall->becomeFirstResponder();
    advance(0.6);
    ASSERT_TRUE(ui::Keyboard::shared().isVisible()) << b.what;
    tapAt(*b.view, b.at);
    EXPECT_FALSE(ui::Keyboard::shared().isVisible()) << b.what;
    EXPECT_FALSE(fall->isFirstResponder()) << b.what;
    EXPECT_FALSE(editor->keyboardIsShowing()) << b.what;
  }
  EXPECT_EQ(fall->text(), "1") << "what was typed stays until 完成";
  EXPECT_EQ(Sent(1).size() + Sent(4).size(), uploads) << "nothing is saved";
  EXPECT_EQ(Top(), editor);
}

}  // namespace alerttest
