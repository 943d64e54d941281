// The settings menu, the about page and the feedback screen against the test server.
#include <gtest/gtest.h>

#include "account/AccountManager.h"
#include "account/AccountUi.h"
#include "account/RegisterViewController.h"
#include "account/SystemSetting.h"
#include "core/CDataCenter.h"
#include "core/MDBF.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/TableViewCell.h"
#include "tests/account/AccountScreenSupport.h"

namespace {

using testserver::Fault;
using testserver::Role;

class SettingsTest : public accounttest::AccountScreenTest {
 protected:
  void TearDown() override {
    GetDataCenter().SetAppleId(0);
    GetDataCenter().SetTraderCode(0);
    AccountScreenTest::TearDown();
  }
  SystemSetting* OpenSettings() {
    auto* bar = app->marqueeView();
    EXPECT_NE(bar, nullptr);
    ui::Button dummy;
    app->MarqueeViewClicked(*bar->barView(), dummy);
    pump([] { return false; }, 0.05);
    return dynamic_cast<SystemSetting*>(Navigation()->topViewController());
  }
  std::string Text(SystemSetting& s, int section, int row) {
    s.tableView()->layoutIfNeeded();
    auto* cell = s.tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(row, section));
    return cell ? cell->textLabel()->text() : "(none)";
  }
  std::string Detail(SystemSetting& s) {
    s.tableView()->layoutIfNeeded();
    auto* cell = s.tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
    return cell ? cell->detailTextLabel()->text() : "(none)";
  }
};

TEST_F(SettingsTest, MenuRowsFollowTheStoreIdentifierAndTheLogin) {
  LaunchAndLogIn();
  auto* settings = OpenSettings();
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(settings->title(), kSettingsTitle);
  EXPECT_EQ(settings->tableView()->numberOfRowsInSection(0), 2);
  EXPECT_EQ(settings->tableView()->numberOfRowsInSection(1), 2);
  EXPECT_EQ(Text(*settings, 0, 1), "用户注册/密码获取");
  EXPECT_EQ(Text(*settings, 1, 0), "意见反馈");
  EXPECT_EQ(Detail(*settings), "游客");
  SetLoggedIn(0);
  settings->tableView()->reloadData();
  EXPECT_EQ(Detail(*settings), "未登录");
  SetLoggedIn(1);
  SetLoginInfo("zhang3", "123456");
  settings->tableView()->reloadData();
  EXPECT_EQ(Detail(*settings), "zhang3");

  GetDataCenter().SetAppleId(123456789);
  settings->tableView()->reloadData();
  ASSERT_EQ(settings->tableView()->numberOfRowsInSection(0), 3);
  EXPECT_EQ(Text(*settings, 0, 2), "我要评价");
  ui::Application::shared().clearOpenedURLs();
  settings->tableViewDidSelectRowAtIndexPath(*settings->tableView(), ui::IndexPath::forRow(2, 0));
  auto rating = AlertWithTag(kRatingAlertTag);
  ASSERT_TRUE(rating);
  EXPECT_EQ(rating->message(), kRatingQuestion);
  rating->pressButtonAtIndex(1);
  EXPECT_TRUE(ui::Application::shared().openedURLs().empty());
  settings->tableViewDidSelectRowAtIndexPath(*settings->tableView(), ui::IndexPath::forRow(2, 0));
  AlertWithTag(kRatingAlertTag)->pressButtonAtIndex(0);
  ASSERT_EQ(ui::Application::shared().openedURLs().size(), 1u);
  EXPECT_EQ(ui::Application::shared().openedURLs()[0], StoreReviewURL(123456789));
  EXPECT_NE(StoreReviewURL(123456789).find("itms-apps://"), std::string::npos);
  EXPECT_NE(StoreReviewURL(123456789).find("&id=123456789"), std::string::npos);
}

// A row label takes the row's width and is cut only when the row cannot hold it and its detail.
TEST_F(SettingsTest, RowLabelsAreWholeWhereTheRowHoldsThem) {
  LaunchAndLogIn();
  auto* settings = OpenSettings();
  ASSERT_NE(settings, nullptr);
  auto cellAt = [&](int section, int row) {
    settings->tableView()->layoutIfNeeded();
    auto* cell = settings->tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(row, section));
    if (cell) cell->layoutIfNeeded();
    return cell;
  };
  auto needs = [](ui::Label& label) { return label.sizeThatFits(gfx::Size(1e6, 40)).width; };
  for (int row : {0, 1}) {
    auto* cell = cellAt(0, row);
    ASSERT_NE(cell, nullptr);
    EXPECT_GE(cell->textLabel()->frame().width(), needs(*cell->textLabel()))
        << cell->textLabel()->text();
  }
  // A long user name in the detail: the row's own text stays whole, the detail is cut inside.
  SetLoginInfo(std::string(49, 'u').c_str(), "pw");
  settings->tableView()->reloadData();
  auto* cell = cellAt(0, 0);
  ASSERT_NE(cell, nullptr);
  EXPECT_GE(cell->textLabel()->frame().width(), needs(*cell->textLabel()));
  const gfx::Rect detail = cell->detailTextLabel()->frame();
  EXPECT_GT(detail.width(), 0);
  EXPECT_LT(detail.width(), needs(*cell->detailTextLabel()));
  EXPECT_LE(detail.maxX(), cell->contentView()->bounds().width());
}

TEST_F(SettingsTest, RowsPushTheirScreens) {
  LaunchAndLogIn();
  auto* settings = OpenSettings();
  ASSERT_NE(settings, nullptr);
  auto* navigation = Navigation();
  auto select = [&](int section, int row) {
    settings->tableViewDidSelectRowAtIndexPath(*settings->tableView(),
                                               ui::IndexPath::forRow(row, section));
    pump([] { return false; }, 0.05);
    return navigation->topViewController();
  };
  auto* account = dynamic_cast<AccountManager*>(select(0, 0));
  ASSERT_NE(account, nullptr);
  EXPECT_TRUE(account->closeAfterLogin());
  navigation->popViewControllerAnimated(false);
  EXPECT_NE(dynamic_cast<RegisterViewController*>(select(0, 1)), nullptr);
  navigation->popViewControllerAnimated(false);
  EXPECT_NE(dynamic_cast<YourSuggestion*>(select(1, 0)), nullptr);
  navigation->popViewControllerAnimated(false);
  GetDataCenter().SetTraderCode(12);
  auto* about = dynamic_cast<AboutUS*>(select(1, 1));
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->title(), kAboutTitle);
  EXPECT_EQ(about->productLabel()->text(), kProductLine);
  EXPECT_EQ(about->versionLabel()->text(), "内部版本号: V3.15  B002(20151217--1) 12.4.0");
}

TEST_F(SettingsTest, LoginAnswersAfterAddLoginObserver) {
  LaunchAndLogIn();
  auto* settings = OpenSettings();
  ASSERT_NE(settings, nullptr);
  settings->addLoginObserver();
  settings->waitingBox()->showAlertMsg();
  PostAnswer("login", 144, 7, 1, false);  // no field 40: not accepted, keep waiting
  EXPECT_FALSE(settings->waitingBox()->isHidden());
  server->setLoginNotice("公告");
  SetLoginInfo("", "");
  app->DoRenZhengLogin(false);
  auto alert = WaitForAlert([](ui::AlertView& a) { return a.tag() == kSettingsLoginAlertTag; });
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->title(), kNoticeTitle);
  EXPECT_EQ(alert->message(), "公告");
  EXPECT_TRUE(settings->waitingBox()->isHidden());
}

class SuggestionTest : public accounttest::AccountScreenTest {
 protected:
  std::shared_ptr<YourSuggestion> Open() {
    auto screen = std::make_shared<YourSuggestion>();
    Navigation()->pushViewController(screen, false);
    pump([] { return false; }, 0.05);
    return screen;
  }
  std::vector<testserver::ReceivedRequest> Sent() { return Requests(Role::Quote, 145, 94); }
};

TEST_F(SuggestionTest, SendsTheFieldsShowsTheAnswerAndEmptiesBothTexts) {
  LaunchAndLogIn();
  auto screen = Open();
  EXPECT_EQ(screen->title(), kSuggestionTitle);
  screen->ButtonAction();
  EXPECT_TRUE(AlertWithMessage(kSuggestionEmptyText));
  ui::AlertView::dismissAll();
  // Spaces alone are no suggestion: nothing goes out.
  screen->textView()->setText("    ");
  screen->ButtonAction();
  EXPECT_TRUE(AlertWithMessage(kSuggestionEmptyText));
  ui::AlertView::dismissAll();

  screen->textView()->setText("行情刷新再快一点");
  screen->ButtonAction();
  screen->ButtonAction();  // the box shows: one request
  auto answer = WaitForAlert([](ui::AlertView& a) { return a.message() == "感谢您的宝贵意见！"; });
  ASSERT_TRUE(answer);
  pump([] { return false; }, 0.1);
  auto sent = Sent();
  ASSERT_EQ(sent.size(), 1u);
  MDBF table;
  ASSERT_GE(table.Parse(sent[0].body.data(), static_cast<int>(sent[0].body.size())), 0);
  table.Seek(0);
  std::vector<int> ids;
  for (int i = 0; i < table.GetFieldNum(); ++i) ids.push_back(table.GetFieldInfo(i)->no);
  EXPECT_EQ(ids, (std::vector<int>{20, 23, 21, 22, 24, 26}));
  EXPECT_EQ(table.GetInt(21), 4);
  EXPECT_EQ(table.GetInt(22), 0);
  EXPECT_EQ(table.GetNSString(26), "行情刷新再快一点");
  EXPECT_EQ(screen->textView()->text(), "");
  EXPECT_TRUE(screen->waitingBox()->isHidden());
  ui::AlertView::dismissAll();

  // Return in the contact field submits, with the contact in field 25.
  server->clearReceivedRequests();
  screen->textView()->setText("第二条");
  screen->contactText()->setText("13800000000");
  screen->textFieldShouldReturn(*screen->contactText());
  ASSERT_TRUE(WaitForRequests(Role::Quote, 145, 94, 1));
  EXPECT_EQ(accounttest::RequestField(Sent()[0], 25), "13800000000");
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.message() == "感谢您的宝贵意见！"; }));
  EXPECT_EQ(screen->contactText()->text(), "");
}

// The fault mended: the keyboard came up over the contact field and no touch closed it.
TEST_F(SuggestionTest, TheFieldBeingFilledStaysAboveTheKeyboardAndATapBesideClosesIt) {
  LaunchAndLogIn();
  auto screen = Open();
  pump([] { return false; }, 0.6);
  ASSERT_TRUE(screen->textView()->isFirstResponder());
  ASSERT_TRUE(ui::Keyboard::shared().isVisible());
  const double keyboardTop = ui::Keyboard::shared().frame().y();
  auto bottomOnScreen = [](const ui::View& v) {
    return v.convertRectToView(v.bounds(), nullptr).maxY();
  };
  EXPECT_LE(bottomOnScreen(*screen->form()), keyboardTop + 0.5) << "the form ends at the keyboard";
  screen->contactText()->becomeFirstResponder();
  pump([] { return false; }, 0.4);
  ASSERT_TRUE(screen->contactText()->isFirstResponder());
  EXPECT_LE(bottomOnScreen(*screen->contactText()), keyboardTop) << "the contact field is seen";
  EXPECT_GE(screen->contactText()->convertRectToView(screen->contactText()->bounds(), nullptr).y(),
            screen->form()->convertRectToView(screen->form()->bounds(), nullptr).y());

  // A tap in a field keeps the keyboard; one beside the fields closes it and the form is whole.
  const gfx::Point inField = screen->contactText()->convertPointToView(
      screen->contactText()->bounds().center(), nullptr);
  ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, inField);
  ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, inField);
  pump([] { return false; }, 0.4);
  EXPECT_TRUE(ui::Keyboard::shared().isVisible());
  screen->form()->setContentOffset(gfx::Point(0, 0));
  const gfx::Point beside = screen->form()->convertPointToView(gfx::Point(200, 12), nullptr);
  ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, beside);
  ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, beside);
  pump([] { return false; }, 0.6);
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());
  EXPECT_FALSE(screen->contactText()->isFirstResponder());
  EXPECT_GE(bottomOnScreen(*screen->contactText()), 0);
  EXPECT_EQ(screen->form()->frame().height(), screen->view()->bounds().height());
}

// The faults mended: the form opened with the keyboard over the contact caption, and with the
// contact field active the form was scrolled up so far that a tap near its top landed in the
// suggestion box (the focus moved) instead of closing the keyboard.
TEST_F(SuggestionTest, BothCaptionsAndFieldsStandWholeAboveTheKeyboardAndATapAtTheTopClosesIt) {
  LaunchAndLogIn();
  auto screen = Open();
  pump([] { return false; }, 0.6);
  ASSERT_TRUE(ui::Keyboard::shared().isVisible());
  const double keyboardTop = ui::Keyboard::shared().frame().y();
  ui::ScrollView& form = *screen->form();
  ASSERT_NE(screen->contactCaption(), nullptr);
  std::vector<ui::View*> parts = {screen->textView(), screen->contactCaption(),
                                  screen->contactText()};
  for (const auto& sub : form.subviews())
    if (auto* label = dynamic_cast<ui::Label*>(sub.get());
        label && label->text() == "您的意见或建议:")
      parts.push_back(label);
  ASSERT_EQ(parts.size(), 4u);
  auto seenWhole = [&](ui::View& v) {
    const gfx::Rect shown = form.convertRectToView(form.bounds(), nullptr);
    const gfx::Rect r = v.convertRectToView(v.bounds(), nullptr);
    return r.y() >= shown.y() - 0.5 && r.maxY() <= std::min(shown.maxY(), keyboardTop) + 0.5;
  };
  for (ui::Responder* focus :
       std::vector<ui::Responder*>{screen->textView(), screen->contactText()}) {
    focus->becomeFirstResponder();
    pump([] { return false; }, 0.4);
    ASSERT_TRUE(focus->isFirstResponder());
    ASSERT_TRUE(ui::Keyboard::shared().isVisible());
    for (ui::View* part : parts) {
      const gfx::Rect r = part->convertRectToView(part->bounds(), nullptr);
      EXPECT_TRUE(seenWhole(*part)) << "a part at y " << r.y() << " to " << r.maxY()
                                    << " with the keyboard at " << keyboardTop;
    }
  }
  // The contact field is being filled: a tap near the top of the form, beside the fields.
  const gfx::Point nearTop =
      form.convertPointToView(gfx::Point(250, form.contentOffset().y + 16), nullptr);
  ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, nearTop);
  ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, nearTop);
  pump([] { return false; }, 0.6);
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());
  EXPECT_FALSE(screen->textView()->isFirstResponder()) << "the tap moved the focus";
  EXPECT_FALSE(screen->contactText()->isFirstResponder());
}

TEST_F(SuggestionTest, ErrorsTimeOutsAndTooLongKeepTheTexts) {
  LaunchAndLogIn();
  auto screen = Open();
  screen->textView()->setText("意见");
  screen->contactText()->setText("me");
  server->setFault(Role::Quote, Fault::ErrorReply, 1, "服务器忙", false);
  screen->ButtonAction();
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.message() == "服务器忙"; }));
  EXPECT_EQ(screen->textView()->text(), "意见");
  EXPECT_TRUE(screen->waitingBox()->isHidden());
  ui::AlertView::dismissAll();

  server->setFault(Role::Quote, Fault::Stall);
  screen->ButtonAction();
  ASSERT_TRUE(WaitForRequests(Role::Quote, 145, 94, 2));
  advance(30.5);
  EXPECT_TRUE(AlertWithMessage(kTimeoutText));
  EXPECT_EQ(screen->contactText()->text(), "me");
  ui::AlertView::dismissAll();
  server->clearFaults();

  screen->textView()->setText(std::string(3000, 'x'));
  screen->ButtonAction();
  EXPECT_TRUE(AlertWithMessage(kSuggestionTooLongText));
  EXPECT_TRUE(screen->waitingBox()->isHidden());
  EXPECT_EQ(screen->textView()->text().size(), 3000u);
}

// The fault mended: a suggestion that had timed out was answered once the server came back,
// and the screen thanked the user and emptied the texts with no further tap (a user who
// believed the time-out and sent again sent twice). Only the answer to the request the box
// waits for counts; a second send is answered as usual.
TEST_F(SuggestionTest, AnAnswerAfterTheTimeOutChangesNothingTheUserSees) {
  LaunchAndLogIn();
  auto screen = Open();
  screen->textView()->setText("意见");
  screen->contactText()->setText("me");
  server->setFault(Role::Quote, Fault::Hold);
  screen->ButtonAction();
  ASSERT_TRUE(WaitForRequests(Role::Quote, 145, 94, 1));
  advance(30.5);
  ASSERT_TRUE(AlertWithMessage(kTimeoutText));
  ui::AlertView::dismissAll();
  server->clearFaults();
  server->releaseHeld(Role::Quote);
  pump([] { return false; }, 0.5);
  EXPECT_FALSE(AlertWithMessage("感谢您的宝贵意见！")) << "the late answer was shown";
  EXPECT_EQ(screen->textView()->text(), "意见");
  EXPECT_EQ(screen->contactText()->text(), "me");

  // Sent again, then the first answer comes while the second is awaited: only the second's
  // counts, once.
  server->setFault(Role::Quote, Fault::Hold);
  screen->ButtonAction();
  ASSERT_TRUE(WaitForRequests(Role::Quote, 145, 94, 2));
  advance(30.5);
  ui::AlertView::dismissAll();
  screen->ButtonAction();
  ASSERT_TRUE(WaitForRequests(Role::Quote, 145, 94, 3));
  server->clearFaults();
  server->releaseHeld(Role::Quote);
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.message() == "感谢您的宝贵意见！"; }));
  pump([] { return false; }, 0.3);
  int thanks = 0;
  for (const auto& alert : ui::AlertView::visibleAlerts())
    if (alert->message() == "感谢您的宝贵意见！") ++thanks;
  EXPECT_EQ(thanks, 1);
  EXPECT_EQ(screen->textView()->text(), "");
  EXPECT_TRUE(screen->waitingBox()->isHidden());
}

}  // namespace
