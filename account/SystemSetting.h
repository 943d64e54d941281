// The settings area: the menu ("系统": account, registration, rating, feedback, about), the about
// page and the feedback screen, each pushed on the current navigation controller.
#pragma once

#include <memory>
#include <string>

#include "account/AccountUi.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewController.h"
#include "widgets/AlertView.h"
#include "widgets/RequestWaiter.h"

inline constexpr char kSettingsTitle[] = "系统";
inline constexpr char kAboutTitle[] = "关于我们";
inline constexpr char kSuggestionTitle[] = "意见反馈";
inline constexpr int kRatingAlertTag = 103;
inline constexpr int kSettingsLoginAlertTag = 102;
inline constexpr char kRatingQuestion[] =
    "点击“确定”会进入App store软件评价界面，暂时不评价请点击“取消”";
// The store's review page; the host is the store's web service.
inline constexpr char kStoreReviewHost[] = "store.verdan.example";
inline constexpr char kSuggestionEmptyText[] = "请输入您的意见或建议";
inline constexpr char kSuggestionTooLongText[] = "意见或建议太长，请删减后再提交";
inline constexpr char kProductLine[] = "Verdan for iPhone";

std::string StoreReviewURL(int64_t storeId);

class SystemSetting : public ui::ViewController,
                      public ui::TableViewDataSource,
                      public ui::TableViewDelegate,
                      public ::AlertViewDelegate,
                      public ui::AlertViewDelegate {
 public:
  SystemSetting();

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  int numberOfSectionsInTableView(ui::TableView& table) override;
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForHeaderInSection(ui::TableView& table, int section) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;

  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
  void handleTimeoutRequest() override;
  void addLoginObserver();
  void removeLoginObserver();
  void recvmsg(const foundation::Notification& notification);
  void returnBtn() {}

  ui::TableView* tableView() const { return tableView_.get(); }
  AlertView* waitingBox() const { return waiter_.box(); }
  // The account row's detail text as shown now.
  static std::string AccountDetailText();

 private:
  std::shared_ptr<ui::TableView> tableView_;
  RequestWaiter waiter_;
  foundation::ObserversOf observers_{this};
};

class AboutUS : public ui::ViewController {
 public:
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  ui::Label* productLabel();
  ui::Label* versionLabel();
};

class YourSuggestion : public ui::ViewController,
                       public ui::TextViewDelegate,
                       public ui::TextFieldDelegate,
                       public ::AlertViewDelegate {
 public:
  YourSuggestion();

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  void ButtonAction();
  void recvmsg(const foundation::Notification& notification);
  void handleTimeoutRequest() override;
  bool textFieldShouldReturn(ui::TextField& field) override;
  void textFieldDidBeginEditing(ui::TextField& field) override;
  void textViewDidBeginEditing(ui::TextView& view) override;
  // Lays the form out for its height now: the suggestion's box gives up height to the keyboard,
  // so that both captions and both fields stand whole above it.
  void layoutForm();

  ui::TextView* textView() const { return textView_.get(); }
  ui::ScrollView* form() const { return form_.get(); }
  ui::TextField* contactText() const { return contactText_.get(); }
  ui::Label* contactCaption() const { return contactCaption_.get(); }
  ui::Button* submitButton() const { return submit_.get(); }
  AlertView* waitingBox() const { return waiter_.box(); }

 private:
  std::shared_ptr<ui::ScrollView> form_;
  accountui::FormKeyboard keyboard_;
  std::shared_ptr<ui::TextView> textView_;
  RequestWaiter waiter_;
  std::shared_ptr<ui::Label> contactCaption_;
  std::shared_ptr<ui::TextField> contactText_;
  std::shared_ptr<ui::Button> submit_;
  foundation::ObserversOf observers_{this};
};
