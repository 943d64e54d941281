// Pasteboard and edit menu, text views, mail, contacts and orientation.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "InputTestSupport.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Label.h"
#include "platform/ui/MailComposer.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TextView.h"

namespace {

using uitest::InputTest;

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ServicesTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    oldDocuments = foundation::documentsDir();
    docs = std::filesystem::temp_directory_path() /
           ("verdan-uiinput-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(docs);
    std::filesystem::create_directories(docs);
    foundation::setDocumentsDir(docs.string());
    ui::MenuController::shared().reset();
    ui::Device::current().reset();
  }
  void TearDown() override {
    ui::MenuController::shared().reset();
    ui::Device::current().reset();
    ui::MailComposer::setCanSendMail(true);
    foundation::setDocumentsDir(oldDocuments);
    std::filesystem::remove_all(docs);
    InputTest::TearDown();
  }
  std::string oldDocuments;
  std::filesystem::path docs;
};

TEST_F(ServicesTest, PasteboardKeepsOneItemAndCountsChanges) {
  auto& board = ui::Pasteboard::general();
  int start = board.changeCount();
  board.setString("600000 浦发银行");
  EXPECT_EQ(board.string(), "600000 浦发银行");
  board.setData("OV_Stock", {'a', 'b'});
  EXPECT_EQ(board.dataForType("OV_Stock"), (std::vector<std::uint8_t>{'a', 'b'}));
  EXPECT_FALSE(board.hasString());  // setting replaces what was there
  EXPECT_EQ(board.types(), std::vector<std::string>{"OV_Stock"});
  EXPECT_EQ(board.changeCount(), start + 2);
}

TEST_F(ServicesTest, EditMenuCopiesAndRunsCustomItems) {
  auto label = ui::Label::create(gfx::Rect(20, 200, 200, 30));
  label->setText("消息正文");
  window->addSubview(label);
  auto& menu = ui::MenuController::shared();
  menu.setTargetRect(gfx::Rect(160, 20, 60, 60), label.get());
  menu.setMenuVisible(true, true);
  EXPECT_EQ(menu.visibleTitles(), std::vector<std::string>{"拷贝"});
  // The bubble sits above the target, on the screen.
  gfx::Rect bubble = menu.menuFrame();
  EXPECT_LT(bubble.maxY(), 220);
  EXPECT_GE(bubble.x(), 0);
  EXPECT_LE(bubble.maxX(), 320);
  // A tap on "拷贝" copies and hides the menu.
  tap(bubble.midX(), bubble.midY());
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_EQ(ui::Pasteboard::general().string(), "消息正文");

  std::vector<std::string> ran;
  menu.setMenuItems({{"复制", [&] { ran.push_back("copy"); }},
                     {"分享", [&] { ran.push_back("share"); }},
                     {"回复", [&] { ran.push_back("reply"); }}});
  menu.setMenuVisible(true);
  EXPECT_EQ(menu.visibleTitles().size(), 3u);
  EXPECT_TRUE(menu.performItem("分享"));
  EXPECT_FALSE(menu.performItem("回复"));  // hidden by then
  EXPECT_EQ(ran, std::vector<std::string>{"share"});
  // A tap outside the bubble closes the menu without running anything.
  menu.setMenuVisible(true);
  tap(10, 450);
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_EQ(ran.size(), 1u);
}

TEST_F(ServicesTest, EditMenuFlipsBelowWhenThereIsNoRoomAboveItsTarget) {
  // A list under a 44-point title bar: the list clips, so its first row is seen from y 64 on.
  auto title = ui::Label::create(gfx::Rect(0, 20, 320, 44));
  title->setText("消息标题");
  window->addSubview(title);
  auto list = ui::View::create(gfx::Rect(0, 64, 320, 300));
  list->setClipsToBounds(true);
  window->addSubview(list);
  auto first = ui::Label::create(gfx::Rect(0, 0, 320, 45));
  first->setText("第一条");
  list->addSubview(first);
  auto& menu = ui::MenuController::shared();
  menu.setTargetRect(gfx::Rect(160, 20, 60, 60), first.get());
  menu.setMenuVisible(true);
  // The target reaches from y 84 down to 144; above it the title bar lies: the menu goes under it.
  gfx::Rect bubble = menu.menuFrame();
  EXPECT_GE(bubble.minY(), 144) << bubble.minY();
  EXPECT_FALSE(bubble.intersects(title->frame()));
  menu.setMenuVisible(false);

  // A row lower down has room above, inside the list: the menu stays above it.
  auto lower = ui::Label::create(gfx::Rect(0, 150, 320, 45));
  lower->setText("第五条");
  list->addSubview(lower);
  menu.setTargetRect(gfx::Rect(160, 20, 60, 60), lower.get());
  menu.setMenuVisible(true);
  bubble = menu.menuFrame();
  EXPECT_LE(bubble.maxY(), 64 + 150 + 20);
  EXPECT_GE(bubble.minY(), 64);
}

class TextViewRecorder : public ui::TextViewDelegate {
 public:
  int changes = 0;
  bool allow = true;
  bool textViewShouldChangeTextInRange(ui::TextView&, ui::TextRange, const std::string&) override {
    return allow;
  }
  void textViewDidChange(ui::TextView&) override { ++changes; }
};

TEST_F(ServicesTest, TextViewTakesLinesAndScrollsToTheEnd) {
  auto view = ui::TextView::create(gfx::Rect(10, 30, 300, 80));
  auto delegate = std::make_shared<TextViewRecorder>();
  view->setDelegate(delegate);
  window->addSubview(view);
  tap(100, 60);
  EXPECT_TRUE(view->isEditing());
  EXPECT_TRUE(ui::Keyboard::shared().isVisible());
  ui::Application::shared().sendText("第一行");
  ui::Application::shared().sendKey("Return");
  for (int i = 0; i < 5; ++i) ui::Application::shared().sendText("很长的建议内容 ");
  EXPECT_EQ(view->text().substr(0, 10), "第一行\n");
  EXPECT_GT(view->contentSize().height, 80);
  EXPECT_NEAR(view->contentOffset().y, view->contentSize().height - 80, 1);
  ui::Application::shared().sendKey("BackSpace");
  EXPECT_TRUE(view->text().ends_with("内容")) << view->text();
  delegate->allow = false;
  ui::Application::shared().sendText("x");
  EXPECT_EQ(view->text().find('x'), std::string::npos);
  EXPECT_EQ(delegate->changes, 8);
  // A read-only view takes no text.
  view->setEditable(false);
  EXPECT_FALSE(view->isEditing());
  EXPECT_FALSE(view->becomeFirstResponder());
}

class MailRecorder : public ui::MailComposeDelegate {
 public:
  std::vector<std::pair<ui::MailComposeResult, int>> results;
  void mailComposeControllerDidFinishWithResult(ui::MailComposer&, ui::MailComposeResult r,
                                                int e) override {
    results.emplace_back(r, e);
  }
};

TEST_F(ServicesTest, MailComposerWritesTheMailIntoTheOutbox) {
  ASSERT_TRUE(ui::MailComposer::canSendMail());
  auto composer = ui::MailComposer::create();
  auto recorder = std::make_shared<MailRecorder>();
  composer->setMailComposeDelegate(recorder);
  composer->setToRecipients({"adviser@example.com"});
  composer->setCcRecipients({"a@example.com", "b@example.com"});
  composer->setSubject("转发: 今日\n策略");
  composer->setMessageBody("<p>正文</p>", true);
  // Presented as a sheet: the user edits the subject and presses "发送".
  window->addSubview(composer->viewShared());
  auto* subject =
      dynamic_cast<ui::TextField*>(composer->view()->viewWithTag(ui::MailComposer::kSubjectTag));
  ASSERT_NE(subject, nullptr);
  subject->becomeFirstResponder();
  ui::Application::shared().sendText("!");
  auto* send = composer->view()->subviews()[0]->viewWithTag(2);
  gfx::Point p = send->convertPointToView(send->bounds().center(), nullptr);
  tap(p.x, p.y);
  ASSERT_EQ(recorder->results.size(), 1u);
  EXPECT_EQ(recorder->results[0].first, ui::MailComposeResult::Sent);
  std::string file = composer->lastFile();
  EXPECT_EQ(std::filesystem::path(file).parent_path(), docs / "Outbox");
  std::string mail = readAll(file);
  EXPECT_NE(mail.find("To: adviser@example.com\r\n"), std::string::npos);
  EXPECT_NE(mail.find("Cc: a@example.com, b@example.com\r\n"), std::string::npos);
  EXPECT_NE(mail.find("Subject: 转发: 今日 策略!\r\n"), std::string::npos);
  EXPECT_NE(mail.find("Content-Type: text/html; charset=UTF-8\r\n\r\n<p>正文</p>"),
            std::string::npos);
  // Finished composers answer once.
  composer->cancel();
  EXPECT_EQ(recorder->results.size(), 1u);

  auto second = ui::MailComposer::create();
  second->setMailComposeDelegate(recorder);
  second->cancel();
  ui::MailComposer::setCanSendMail(false);
  auto third = ui::MailComposer::create();
  third->setMailComposeDelegate(recorder);
  third->send();
  ASSERT_EQ(recorder->results.size(), 3u);
  EXPECT_EQ(recorder->results[1].first, ui::MailComposeResult::Cancelled);
  EXPECT_EQ(recorder->results[2], std::make_pair(ui::MailComposeResult::Failed, -1));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(docs / "Outbox"),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(ServicesTest, AddressBookWritesVCards) {
  ui::Contact adviser;
  adviser.lastName = "王";
  adviser.firstName = "小明";
  adviser.jobTitle = "投资顾问";
  adviser.phones = {{"mobile", "13800000000"}, {"work", "021-5555;1"}};
  adviser.emails = {"wang@example.com"};
  std::string path;
  ASSERT_EQ(ui::AddressBook::shared().addContact(adviser, &path), 0);
  std::string card = readAll(path);
  EXPECT_EQ(card.rfind("BEGIN:VCARD\r\nVERSION:3.0\r\nN:王;小明;;;\r\nFN:王小明\r\n", 0), 0u);
  EXPECT_NE(card.find("TEL;TYPE=CELL:13800000000\r\n"), std::string::npos);
  EXPECT_NE(card.find("TEL;TYPE=WORK:021-5555\\;1\r\n"), std::string::npos);
  EXPECT_NE(card.find("EMAIL;TYPE=INTERNET:wang@example.com\r\n"), std::string::npos);
  EXPECT_TRUE(card.ends_with("END:VCARD\r\n"));
  EXPECT_EQ(ui::AddressBook::shared().addContact(ui::Contact{}), -1);

  // The new-contact screen saves through the address book.
  auto screen = ui::NewContactController::create(adviser);
  const ui::Contact* saved = nullptr;
  int calls = 0;
  screen->setCompletion([&](ui::NewContactController&, const ui::Contact* c) {
    saved = c;
    ++calls;
  });
  EXPECT_EQ(screen->save(), 0);
  EXPECT_EQ(calls, 1);
  EXPECT_NE(saved, nullptr);
  EXPECT_EQ(ui::AddressBook::shared().contactFiles().size(), 2u);
  screen->cancel();
  EXPECT_EQ(saved, nullptr);
}

TEST_F(ServicesTest, OrientationNotificationsFlowOnlyWhenAskedFor) {
  record({ui::kDeviceOrientationDidChangeNotification,
          ui::kApplicationWillChangeStatusBarOrientationNotification,
          ui::kApplicationDidChangeStatusBarOrientationNotification});
  auto& device = ui::Device::current();
  device.setOrientation(ui::DeviceOrientation::LandscapeLeft);
  EXPECT_TRUE(posted.empty());
  device.beginGeneratingDeviceOrientationNotifications();
  device.setOrientation(ui::DeviceOrientation::Portrait);
  device.setOrientation(ui::DeviceOrientation::Portrait);  // no change, no post
  EXPECT_EQ(posted.size(), 1u);

  EXPECT_EQ(ui::statusBarOrientation(), ui::InterfaceOrientation::Portrait);
  ui::setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
  EXPECT_TRUE(ui::isLandscape(ui::statusBarOrientation()));
  ASSERT_EQ(posted.size(), 3u);
  EXPECT_EQ(posted[1].userInfo[ui::kStatusBarOrientationUserInfoKey].toInt(), 3);
  EXPECT_EQ(posted[2].userInfo[ui::kStatusBarOrientationUserInfoKey].toInt(), 1);
}

}  // namespace
