// The bank-securities transfer screen (type 0 bank to securities, 1 securities to bank, 2 bank
// balance) with its paged asset table, and the transfer notes screen. Trade answers arrive as
// "money"; each kind is taken only under the request code kept for it.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "account/AccountUi.h"
#include "account/BankAnswers.h"
#include "core/MDBF.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewController.h"
#include "widgets/AlertView.h"
#include "widgets/ArPickerView.h"
#include "widgets/RequestWaiter.h"
#include "widgets/ScreenParts.h"
#include "widgets/UICustomTableBaseController.h"

inline constexpr char kTransferConfigFile[] = "transfer_query.ini";
inline constexpr int kTransferConfigSection = 46;
inline constexpr int kTransferConfirmTag = 101;
inline constexpr char kTransferNotesTitle[] = "转账业务说明";

class UIHKTransferViewController : public UICustomTableBaseController,
                                   public DropDownListDelegate,
                                   public ::AlertViewDelegate,
                                   public ui::AlertViewDelegate,
                                   public ReturnClosesKeyboard {
 public:
  enum Request { kBankInfo = 0, kTransfer, kBalance, kAssets, kCanTransfer };

  UIHKTransferViewController();
  ~UIHKTransferViewController() override;

  void setTransferType(int type) { m_transferType = type; }
  int transferType() const { return m_transferType; }
  // Reads the asset table's layout (section "f_46" of the bundle's "transfer_query.ini").
  bool readTransferTableConfig();

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  void DataRefresh();
  void requestAssetInfo(int start = 0);
  void requestBankInfo();
  void requestCanTransferInfo();
  void transferButton();
  void doTransfer();
  void resetButton() { resetContent(); }
  void resetContent();
  void recvmsg(const foundation::Notification& notification);
  void parseBankInfo(MDBF& table);
  void adjustPosition(int32_t flag);

  void listSelValueChanged(int index, UIDropDownList& list) override;
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
  void handleTimeoutRequest() override;
  bool textFieldShouldChangeCharactersInRange(ui::TextField& field, ui::TextRange range,
                                              const std::string& text) override;
  void textFieldDidBeginEditing(ui::TextField& field) override;
  void tableTableViewReloadDataWithStatus(Table_TableView& view, int status) override;
  void updateTableViewStatus() override;

  // --- For tests ---
  UIDropDownList* bankList() const { return m_pCtrlBankSel.get(); }
  UIDropDownList* currencyList() const { return m_pCtrlMoneySel.get(); }
  UIDropDownList* accountList() const { return m_pCtrlBankAccountSel.get(); }
  ui::TextField* amountField() const { return m_pEditMoney.get(); }
  ui::TextField* bankPasswordField() const { return m_pEditBankPWD.get(); }
  ui::TextField* assetPasswordField() const { return m_pEditAssetPWD.get(); }
  ui::Label* bankPasswordCaption() const { return m_pLabelBankPWD.get(); }
  ui::Label* assetPasswordCaption() const { return m_pLabelAssetPWD.get(); }
  ui::Label* amountCaption() const { return m_pLabelMoney.get(); }
  ui::Label* transferableLabel() const { return m_pKZZJLabel.get(); }
  ui::Button* actionButton() const { return m_pBtnTransfer.get(); }
  ui::Button* resetButtonView() const { return m_pBtnReset.get(); }
  Table_TableView* assetTable() const { return _tableTableView.get(); }
  AlertView* waitingBox() const { return waiter_.box(); }
  const std::vector<BankEntry>& banks() const { return m_arrayBank; }
  int requestCode(Request which) const { return m_RequestCode[which]; }
  int32_t currentPwdFlag() const { return m_nCurrentPwdFlag; }
  const std::string& pageText() const { return pageText_; }
  ui::ScrollView* form() const { return form_.get(); }
  ui::View* separator(int i) const { return separators_[static_cast<size_t>(i)].get(); }

 private:
  void showWaiting();
  void hideWaiting();
  // Adds a packet of a gathered answer: true once the answer is whole. One that came broken
  // fails the request, which asks again.
  bool gatheredWhole(accountui::PacketGather& gather, const ReceiveRecordView& view,
                     const char* what, int code);
  // The box waits for the answer with that code (none for a code the builder did not give).
  void expectAnswer(int code);
  void closeKeyboard();
  void fillListsFromBank(int index);
  void fitAssetTable();
  // The reply's record table for one-packet answers; false (and the text shown) for an error.
  bool takeAnswer(const ReceiveRecordView& view, MDBF& table);

  RequestWaiter waiter_;
  std::vector<BankEntry> m_arrayBank;
  std::shared_ptr<UIDropDownList> m_pCtrlBankSel;
  std::shared_ptr<UIDropDownList> m_pCtrlMoneySel;
  std::shared_ptr<UIDropDownList> m_pCtrlBankAccountSel;
  std::shared_ptr<ui::Label> m_bgLabel;
  std::shared_ptr<ui::Label> m_pLabelMoney;
  std::shared_ptr<ui::Label> m_pLabelBankPWD;
  std::shared_ptr<ui::Label> m_pLabelAssetPWD;
  std::shared_ptr<ui::TextField> m_pEditMoney;
  std::shared_ptr<ui::TextField> m_pEditBankPWD;
  std::shared_ptr<ui::TextField> m_pEditAssetPWD;
  std::shared_ptr<ui::Button> m_pBtnTransfer;
  std::shared_ptr<ui::Button> m_pBtnReset;
  int m_transferType = 0;
  // The bank information and the asset pages come in several packets: each gathers apart and is
  // taken only whole.
  accountui::PacketGather banksIncoming_;
  accountui::PacketGather assetsIncoming_;
  // The banks are asked once a refresh, after its assets; a page of the asset table leaves the
  // chosen bank and currency.
  bool banksAfterAssets_ = false;
  std::array<int, 5> m_RequestCode{-1, -1, -1, -1, -1};
  int32_t m_nCurrentPwdFlag = 0xFFFFF;
  std::shared_ptr<Table_TableView> _tableTableView;
  std::shared_ptr<ui::Label> m_pKZZJLabel;
  std::shared_ptr<ui::Label> kzzjCaption_;
  std::shared_ptr<ui::ScrollView> form_;
  accountui::FormKeyboard keyboard_;
  std::shared_ptr<ui::GestureRecognizerDelegate> alongsideOthers_;
  std::array<std::shared_ptr<ui::View>, 2> separators_;
  int lastPage_ = 0;
  double tableTop_ = 0;
  std::string pageText_;
  // Owner of the "tradelogin" observer, apart from "money", which stays for the screen's life.
  char tradeLoginObserver_ = 0;
};

class UIHKTransferSMViewController : public ui::ViewController {
 public:
  void loadView() override;
  void viewDidLoad() override;
  void viewDidAppear(bool animated) override;
  ui::TextView* txtWebView() const { return txtWebView_.get(); }

 private:
  std::shared_ptr<ui::TextView> txtWebView_;
};
