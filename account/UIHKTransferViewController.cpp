#include "account/UIHKTransferViewController.h"

#include <fstream>
#include <sstream>

#include "account/AccountUi.h"
#include "account/TradeLoginViewController.h"
#include "core/CDataCenter.h"
#include "core/DataRequest.h"
#include "core/MIniFile.h"
#include "core/TradeRequests.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/SmallBoxes.h"

namespace {

// The bank information's wanted fields: account, currency, currency name, bank code, bank name,
// bank account and the five password fields.
constexpr char kBankFields[] = {1, 6, 15, 20, 21, 22, 23, 24, 25, 26, 27, 0};
constexpr int kBankInfoCount = 50;
constexpr double kRowStep = 40;
constexpr double kBankRowY = 140;
constexpr double kFieldX = 100;

bool Within(int index, size_t size) {
  return index >= 0 && static_cast<size_t>(index) < size;
}

// A recognizer that lets the others on its touches recognize too.
class AlongsideOthers : public ui::GestureRecognizerDelegate {
 public:
  bool gestureRecognizerShouldRecognizeSimultaneously(ui::GestureRecognizer&,
                                                      ui::GestureRecognizer&) override {
    return true;
  }
};

bool SessionHoldsTradingPassword() {
  return !GetDataCenter().GetAssetPassword().empty();
}

}  // namespace

UIHKTransferViewController::UIHKTransferViewController() {
  setHidesBottomBarWhenPushed(true);
}

UIHKTransferViewController::~UIHKTransferViewController() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  foundation::NotificationCenter::defaultCenter().removeObserversOf(&tradeLoginObserver_);
}

bool UIHKTransferViewController::readTransferTableConfig() {
  MIniFile ini;
  if (ini.Load(foundation::bundlePath(kTransferConfigFile).c_str()) != 0) {
    foundation::logError("!!!!!!!transfer: no %s in the bundle", kTransferConfigFile);
  }
  if (!readQueryTableConfig(kTransferConfigSection, &ini)) return false;
  // The columns fill the screen less a margin, so that the right-aligned amounts of the last
  // column do not run into the screen's edge and read as cut.
  constexpr double kRightMargin = 8;
  double sum = 0;
  for (double w : _tableItemWidthArray) sum += w;
  if (sum > kScreenWidth - kRightMargin && sum < kScreenWidth + 1)
    for (double& w : _tableItemWidthArray) w *= (kScreenWidth - kRightMargin) / sum;
  return true;
}

void UIHKTransferViewController::loadView() {
  const gfx::Rect frame = ui::Screen::main().applicationFrame();
  const double w = frame.width();
  auto root = ui::View::create(gfx::Rect(0, 0, w, frame.height()));
  root->setBackgroundColor(gfx::Color::rgb255(30, 34, 44));
  setView(root);
  // The screen's views lie on one scroll view, which ends at the keyboard's top while a field
  // is being filled and scrolls that field into sight.
  form_ = ui::ScrollView::create(root->bounds());
  form_->setBackgroundColor(gfx::Color::clear());
  form_->setShowsVerticalScrollIndicator(false);
  form_->setShowsHorizontalScrollIndicator(false);
  form_->setContentSize(root->bounds().size);
  root->addSubview(form_);
  ui::View* view = form_.get();
  m_bgLabel = ui::Label::create(gfx::Rect(5, 4, w - 10, 228));
  view->addSubview(m_bgLabel);
  const char* const kPrompts[] = {"银行：", "币种：", "账户："};
  for (int i = 0; i < 3; ++i) {
    auto placeholder = ui::View::create(gfx::Rect(kFieldX, 8 + 33 * i, w - kFieldX - 12, 30));
    placeholder->setTag(51 + i);
    view->addSubview(placeholder);
    view->addSubview(accountui::MakeLabel(kPrompts[i], gfx::Rect(10, 8 + 33 * i, 92, 30), 13,
                                          gfx::Color::darkGrey()));
  }
  auto caption = [&](double y) {
    auto label = accountui::MakeLabel("", gfx::Rect(10, y, 92, 32), 13, gfx::Color::darkGrey());
    view->addSubview(label);
    return label;
  };
  auto field = [&](double y, bool secure) {
    auto f = accountui::MakeField(gfx::Rect(kFieldX, y, w - kFieldX - 12, 32), "", secure);
    f->setBackgroundColor(gfx::Color::rgb255(245, 245, 245));
    view->addSubview(f);
    return f;
  };
  m_pLabelMoney = caption(106);
  m_pEditMoney = field(106, false);
  m_pEditMoney->setFrame(gfx::Rect(kFieldX, 106, 110, 32));
  m_pEditMoney->setKeyboardType(ui::KeyboardType::DecimalPad);
  m_pLabelBankPWD = caption(kBankRowY);
  m_pEditBankPWD = field(kBankRowY, true);
  m_pEditBankPWD->setKeyboardType(ui::KeyboardType::NumberPad);
  m_pLabelAssetPWD = caption(kBankRowY + kRowStep);
  m_pEditAssetPWD = field(kBankRowY + kRowStep, true);
  m_pEditAssetPWD->setKeyboardType(ui::KeyboardType::NumberPad);
  m_pBtnTransfer = accountui::MakeButton("确定", gfx::Rect(20, kBankRowY, (w - 60) / 2, 32));
  view->addSubview(m_pBtnTransfer);
  m_pBtnReset = accountui::MakeButton("重填", gfx::Rect(40 + (w - 60) / 2, kBankRowY, (w - 60) / 2, 32),
                                      gfx::Color::darkGrey());
  view->addSubview(m_pBtnReset);
  kzzjCaption_ = accountui::MakeLabel("可转：", gfx::Rect(kFieldX + 114, 106, 36, 32), 12,
                                      gfx::Color::darkGrey());
  view->addSubview(kzzjCaption_);
  m_pKZZJLabel = accountui::MakeLabel("", gfx::Rect(kFieldX + 146, 106, w - kFieldX - 152, 32),
                                      12, gfx::Color::rgb255(200, 40, 40));
  m_pKZZJLabel->setAdjustsFontSizeToFitWidth(true);
  view->addSubview(m_pKZZJLabel);
}

void UIHKTransferViewController::viewDidLoad() {
  UICustomTableBaseController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  alongsideOthers_ = std::make_shared<AlongsideOthers>();
  form_->setFrame(view()->bounds());
  form_->setContentSize(view()->bounds().size);
  const double w = view()->bounds().width();
  // The action and reset buttons keep their background when pressed and act on a tap.
  m_pBtnTransfer->setAdjustsImageWhenHighlighted(false);
  m_pBtnReset->setAdjustsImageWhenHighlighted(false);
  m_pBtnTransfer->addGestureRecognizer(ui::TapGestureRecognizer::create(
      ui::WhileAlive(this, &UIHKTransferViewController::transferButton)));
  m_pBtnReset->addGestureRecognizer(ui::TapGestureRecognizer::create(
      ui::WhileAlive(this, &UIHKTransferViewController::resetButton)));

  auto refresh = ui::Button::create(gfx::Rect(0, 0, 57, 40));
  refresh->setImage(gfx::Image::named("右侧刷新Button.png"));
  refresh->setImageEdgeInsets(gfx::EdgeInsets(0, 13, 0, -13));
  refresh->addGestureRecognizer(ui::TapGestureRecognizer::create(
      ui::WhileAlive(this, &UIHKTransferViewController::DataRefresh)));
  navigationItem().setRightBarButtonItem(ui::BarButtonItem::withCustomView(refresh));

  const char* const kListPrompts[] = {"请选择银行", "请选择币种", "请选择银行账户"};
  std::shared_ptr<UIDropDownList>* lists[] = {&m_pCtrlBankSel, &m_pCtrlMoneySel,
                                              &m_pCtrlBankAccountSel};
  for (int i = 0; i < 3; ++i) {
    ui::View* placeholder = view()->viewWithTag(51 + i);
    *lists[i] = UIDropDownList::create(placeholder->frame());
    placeholder->setHidden(true);
    (*lists[i])->setPickTitle(kListPrompts[i]);
    (*lists[i])->setListItemArray({});
    (*lists[i])->setDelegate(sharedAs<DropDownListDelegate>());
    // A list opens its choices in a sheet from the bottom, where the digits pad would cover
    // them: a tap on the list puts the pad away first (its recognizer goes before the list's
    // own, alongside it).
    ui::Button* button = (*lists[i])->button();
    const auto theirs = button->gestureRecognizers();
    for (const auto& r : theirs) button->removeGestureRecognizer(r.get());
    auto closes = ui::TapGestureRecognizer::create(
        ui::WhileAlive(this, &UIHKTransferViewController::closeKeyboard));
    closes->setDelegate(alongsideOthers_);
    button->addGestureRecognizer(closes);
    for (const auto& r : theirs) button->addGestureRecognizer(r);
    form_->addSubview(*lists[i]);
  }

  m_arrayBank.clear();
  switch (m_transferType) {
    case 2:
      m_pLabelMoney->setText("资金金额：");
      m_pEditMoney->setEnabled(false);
      m_pLabelBankPWD->setText("银行密码：");
      m_pLabelAssetPWD->setHidden(true);
      m_pEditAssetPWD->setHidden(true);
      m_pBtnTransfer->setTitle("查询");
      break;
    case 1:
      m_pLabelMoney->setText("转出金额：");
      m_pLabelBankPWD->setText("资金密码：");
      m_pBtnTransfer->setTitle("转出");
      m_pBtnTransfer->setBackgroundImage(gfx::Image::named("trade_button_n_green.png"));
      break;
    default:
      m_pLabelMoney->setText("转入金额：");
      m_pLabelBankPWD->setText("银行密码：");
      m_pBtnTransfer->setTitle("转入");
      m_pBtnTransfer->setBackgroundImage(gfx::Image::named("trade_button_d.png"));
      break;
  }
  m_pEditMoney->setDelegate(sharedAs<ui::TextFieldDelegate>());
  m_pEditBankPWD->setDelegate(sharedAs<ui::TextFieldDelegate>());
  m_pEditAssetPWD->setDelegate(sharedAs<ui::TextFieldDelegate>());

  ui::Observe(this, "money", &UIHKTransferViewController::recvmsg);

  for (auto& line : separators_) {
    line = ui::View::create(gfx::Rect(0, 0, w, 1));
    line->setBackgroundColor(gfx::Color::midGrey());
    form_->addSubview(line);
  }
  m_bgLabel->setBackgroundColor(gfx::Color::white());
  m_bgLabel->setTextColor(gfx::Color::white());
  m_bgLabel->layer().setCornerRadius(8);
  m_bgLabel->setText("");

  _tableTableView = Table_TableView::create(gfx::Rect(0, 260, w, view()->bounds().height() - 260));
  _tableTableView->setViewCornerRadius(true);
  _tableTableView->setTableTableViewDelegate(sharedAs<TableTableViewDelegate>());
  _tableTableView->updateView();
  _tableTableView->pullRefurbish(false);
  _tableTableView->setAutoReloding(false);
  _tableTableView->updateRefreshStatus(3);
  _tableTableView->setRefreshStatusTextColor(gfx::Color::grey(0.8, 0.8));
  form_->addSubview(_tableTableView);

  waiter_.attach(*view(), gfx::Rect(kWaitBoxX, 150, kWaitBoxW, kWaitBoxH),
                 weakAs<::AlertViewDelegate>(),
                 static_cast<int>(GetDataCenter().GetRequestTimeout()), kRequestWaitingText);
  adjustPosition(m_nCurrentPwdFlag);
}

void UIHKTransferViewController::viewDidAppear(bool animated) {
  UICustomTableBaseController::viewDidAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->showBottomHurricaneLamp();
  fitAssetTable();
  // Trade error texts (among them this screen's own time-out) show while it is visible.
  foundation::NotificationCenter::defaultCenter().addObserver(
      &tradeLoginObserver_, "tradelogin", [](const foundation::Notification& n) {
        const foundation::Data& data = n.userInfo[kReceiveRecordKey].asData();
        const std::string text = TradeErrorText(data.data(), data.size());
        if (!text.empty()) ShowMessageAlert(text);
      });
  showWaiting();
  banksAfterAssets_ = true;
  requestAssetInfo();
}

void UIHKTransferViewController::viewWillAppear(bool animated) {
  UICustomTableBaseController::viewWillAppear(animated);
  // With the pad away the whole form fits again: it stands at its top.
  keyboard_.attach(form_, [this] {
    if (!keyboard_.fitted()) form_->setContentOffset(gfx::Point(0, 0), false);
  });
}

void UIHKTransferViewController::viewWillDisappear(bool animated) {
  keyboard_.detach();
  waiter_.hide();
  foundation::NotificationCenter::defaultCenter().removeObserversOf(&tradeLoginObserver_);
  UICustomTableBaseController::viewWillDisappear(animated);
}

void UIHKTransferViewController::closeKeyboard() {
  if (isViewLoaded()) view()->endEditing(true);
}

void UIHKTransferViewController::textFieldDidBeginEditing(ui::TextField&) {
  // The focus may move between fields with the pad up: the new field comes into sight too.
  keyboard_.reveal();
}

void UIHKTransferViewController::showWaiting() {
  waiter_.show();
}

bool UIHKTransferViewController::gatheredWhole(accountui::PacketGather& gather,
                                               const ReceiveRecordView& view, const char* what,
                                               int code) {
  switch (gather.add(view)) {
    case accountui::PacketGather::Step::More:
    case accountui::PacketGather::Step::Stray:
      return false;
    case accountui::PacketGather::Step::Broken:
      foundation::logError("!!!!!!!transfer: %s %d came incomplete", what, code);
      waiter_.failed();
      return false;
    case accountui::PacketGather::Step::Whole:
      return true;
  }
  return false;
}

void UIHKTransferViewController::hideWaiting() {
  waiter_.end();
}

void UIHKTransferViewController::DataRefresh() {
  if (waiter_.busy()) return;
  showWaiting();
  banksAfterAssets_ = true;
  requestAssetInfo();
}

void UIHKTransferViewController::requestAssetInfo(int start) {
  assetsIncoming_.reset();
  m_RequestCode[kAssets] = MakeRequest_BankInfo(
      GlobalTradeRequest(), 0, static_cast<uint8_t>(m_cols.func), start, m_cols.pagerecnum, "",
      m_cols.field, static_cast<uint8_t>(m_cols.bigFunc));
  expectAnswer(m_RequestCode[kAssets]);
}

void UIHKTransferViewController::expectAnswer(int code) {
  if (code > 0) waiter_.expect(static_cast<uint16_t>(code));
}

void UIHKTransferViewController::requestBankInfo() {
  banksAfterAssets_ = false;
  banksIncoming_.reset();
  m_RequestCode[kBankInfo] = MakeRequest_BankInfo(GlobalTradeRequest(), 0, TradeChild::kBankInfo, 0,
                                                  kBankInfoCount, "", kBankFields, kMainTypeTrade);
  expectAnswer(m_RequestCode[kBankInfo]);
}

void UIHKTransferViewController::requestCanTransferInfo() {
  const int bank = m_pCtrlBankSel->currentIndex();
  const int currency = m_pCtrlMoneySel->currentIndex();
  if (!Within(bank, m_arrayBank.size())) return;
  const BankEntry& entry = m_arrayBank[static_cast<size_t>(bank)];
  if (!Within(currency, entry.currencies.size())) return;
  const std::string account = GetDataCenter().GetAccount();
  // Field 13 carries the trade-login password, the slot that field 16 of the trade requests
  // carries too; the other slot holds the login's second text.
  const std::string password = GetDataCenter().GetAssetPassword();
  m_RequestCode[kCanTransfer] = MakeRequest_CanTransfer(
      GlobalTradeRequest(), 0, account.c_str(), password.c_str(),
      std::atoi(entry.currencies[static_cast<size_t>(currency)].c_str()));
}

void UIHKTransferViewController::resetContent() {
  m_pEditBankPWD->setText("");
  m_pEditAssetPWD->setText("");
  m_pEditMoney->setText("");
}

void UIHKTransferViewController::transferButton() {
  if (waiter_.busy()) return;
  const int bankSide = BankSideValue(m_nCurrentPwdFlag, m_transferType);
  if (m_transferType == 2) {
    if (bankSide == 3) {
      ShowMessageAlert("无法查询银行资金");
      return;
    }
    m_pEditMoney->setText("");
    doTransfer();
    return;
  }
  const int fundSide = FundSideValue(m_nCurrentPwdFlag, m_transferType);
  if (bankSide != 0 && !m_pEditBankPWD->isHidden() && m_pEditBankPWD->text().empty()) {
    ShowMessageAlert(bankSide == 1 ? "请输入银行查询密码" : "请输入银行资金密码");
    return;
  }
  if (fundSide != 0 && !m_pEditAssetPWD->isHidden() && m_pEditAssetPWD->text().empty()) {
    ShowMessageAlert(fundSide == 1 ? "请输入资金密码" : "请输入交易密码");
    return;
  }
  const std::string amount = m_pEditMoney->text();
  if (amount.empty() || amount == "0") {
    ShowMessageAlert("请输入金额");
    return;
  }
  // The confirmation shows the amount the text holds; a text that is not one number is refused
  // rather than shown as something else than what would be sent.
  double value = 0;
  if (!ParseAmountText(amount, &value)) {
    ShowMessageAlert("请输入正确的金额");
    return;
  }
  const std::string message = foundation::format(
      "银行：%s\r\n币种：%s\r\n金额：%0.2f\r\n交易类别：%s\r\n\r\n您确认要转账吗？",
      m_pCtrlBankSel->currentText().c_str(), m_pCtrlMoneySel->currentText().c_str(), value,
      m_transferType == 0 ? "转入" : "转出");
  auto alert = myUIAlertView::create("转账确认", message, sharedAs<ui::AlertViewDelegate>(), "取消",
                                     {"确认"});
  alert->setTag(kTransferConfirmTag);
  alert->setAlignLeft();
  alert->show();
}

void UIHKTransferViewController::alertViewClickedButtonAtIndex(ui::AlertView& alert,
                                                               int buttonIndex) {
  if (alert.tag() == kTransferConfirmTag && buttonIndex == 1) doTransfer();
}

void UIHKTransferViewController::doTransfer() {
  const int bankIndex = m_pCtrlBankSel->currentIndex();
  if (!Within(bankIndex, m_arrayBank.size())) return;
  const BankEntry& bank = m_arrayBank[static_cast<size_t>(bankIndex)];
  const int accountIndex = m_pCtrlBankAccountSel->currentIndex();
  const std::string bankAccount = Within(accountIndex, bank.accounts.size())
                                      ? bank.accounts[static_cast<size_t>(accountIndex)]
                                      : bank.account;
  const int currencyIndex = m_pCtrlMoneySel->currentIndex();
  if (!Within(currencyIndex, bank.currencies.size())) return;
  const int currency = std::atoi(bank.currencies[static_cast<size_t>(currencyIndex)].c_str());
  std::string fundAccount = GetDataCenter().GetAccount();
  for (int i = 0; i < m_listdbf.GetRecordNum(); ++i) {
    m_listdbf.Seek(i);
    if (m_listdbf.GetNSString(20) == bank.code) {
      fundAccount = m_listdbf.GetNSString(1);
      break;
    }
  }
  showWaiting();
  const std::string bankPassword = m_pEditBankPWD->text();
  if (m_transferType == 2) {
    m_RequestCode[kBalance] =
        MakeRequest_Transfer43(GlobalTradeRequest(), 0, fundAccount.c_str(), bank.code.c_str(),
                               bankAccount.c_str(), bankPassword.c_str(), currency);
    expectAnswer(m_RequestCode[kBalance]);
    return;
  }
  const std::string amount = m_pEditMoney->text();
  // A hidden trading-password row stands for the trade login's password, which the session holds.
  const bool loginPassword =
      FundSideValue(m_nCurrentPwdFlag, m_transferType) == 2 && m_pEditAssetPWD->isHidden();
  const std::string assetPassword =
      loginPassword ? GetDataCenter().GetAssetPassword() : m_pEditAssetPWD->text();
  m_RequestCode[kTransfer] = MakeRequest_Transfer(
      GlobalTradeRequest(), 0, fundAccount.c_str(), assetPassword.c_str(), bank.code.c_str(),
      bankAccount.c_str(), bankPassword.c_str(), currency, amount.c_str(),
      m_transferType == 0 ? 1 : 0);
  expectAnswer(m_RequestCode[kTransfer]);
}

bool UIHKTransferViewController::takeAnswer(const ReceiveRecordView& view, MDBF& table) {
  if (view.header.isError()) {
    ShowErrorText(view);
    return false;
  }
  if (table.Parse(view.body, view.bodyLen) >= 0 && table.GetRecordNum() > 0) table.Seek(0);
  return true;
}

void UIHKTransferViewController::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  if (view.status != kReceiveStatusPacket || view.header.MainType != kMainTypeTrade) return;
  const int child = view.header.ChildType;
  const int code = view.requestCode();
  const bool last = view.header.isLastPart();
  // The answers the box waits for are taken only while it waits: once a time-out or a failure
  // was shown, a late one changes nothing (no "sent" for a transfer the user believes failed).
  if (child == TradeChild::kBankInfo && code == m_RequestCode[kBankInfo]) {
    if (!waiter_.takes(static_cast<uint16_t>(code))) return;
    if (view.header.isError()) {
      waiter_.failed();
      ShowErrorText(view);
      return;
    }
    if (!gatheredWhole(banksIncoming_, view, "bank information", code)) return;
    hideWaiting();
    parseBankInfo(banksIncoming_.table());
    return;
  }
  const int slot = child == TradeChild::kTransfer  ? kTransfer
                   : child == TradeChild::kBalance ? kBalance
                                                   : kCanTransfer;
  if ((child == TradeChild::kTransfer || child == TradeChild::kBalance ||
       child == TradeChild::kCanTransfer) &&
      code == m_RequestCode[slot]) {
    // The transferable amount is asked without the waiting box (also when a currency is chosen
    // while a transfer is outstanding): its answer leaves the box to the transfer's.
    if (child != TradeChild::kCanTransfer) {
      if (!waiter_.takes(static_cast<uint16_t>(code))) return;
      if (view.header.isError())
        waiter_.failed();
      else
        hideWaiting();
    }
    m_RequestCode[slot] = -1;
    MDBF table;
    if (!takeAnswer(view, table) || !last) return;
    if (child == TradeChild::kTransfer) {
      ShowAlertMessage(foundation::format("您的请求已送出, 流水号：%s", table.GetNSString(35).c_str()),
                       "提示");
      resetContent();
      DataRefresh();
    } else if (child == TradeChild::kBalance) {
      ShowAlertMessage(foundation::format(" 余额：%s", table.GetNSString(40).c_str()), "查询成功");
      resetContent();
    } else {
      m_pKZZJLabel->setText(table.GetNSString(73));
    }
    return;
  }
  if (child == m_cols.func && code == m_RequestCode[kAssets]) {
    if (!waiter_.takes(static_cast<uint16_t>(code))) return;
    if (view.header.isError()) {
      waiter_.failed();
      ShowErrorText(view);
      return;
    }
    if (!gatheredWhole(assetsIncoming_, view, "asset page", code)) return;
    m_listdbf.CopyFrom(assetsIncoming_.table(), 0, -1);
    updateTableViewStatus();
    if (banksAfterAssets_)
      requestBankInfo();
    else
      hideWaiting();
  }
}

void UIHKTransferViewController::parseBankInfo(MDBF& table) {
  m_arrayBank = ParseBankEntries(table);
  if (!m_arrayBank.empty()) {
    std::vector<std::string> names;
    for (const auto& bank : m_arrayBank) names.push_back(bank.name);
    m_pCtrlBankSel->setListItemArray(names);
    fillListsFromBank(0);
  }
  requestCanTransferInfo();
}

void UIHKTransferViewController::fillListsFromBank(int index) {
  if (!Within(index, m_arrayBank.size())) return;
  const BankEntry& bank = m_arrayBank[static_cast<size_t>(index)];
  if (!bank.currencyNames.empty()) m_pCtrlMoneySel->setListItemArray(bank.currencyNames);
  if (!bank.accounts.empty()) m_pCtrlBankAccountSel->setListItemArray(bank.accounts);
  if (!bank.flags.empty()) adjustPosition(bank.flags[0]);
}

void UIHKTransferViewController::listSelValueChanged(int index, UIDropDownList& list) {
  if (&list == m_pCtrlBankSel.get()) {
    fillListsFromBank(index);
  } else if (&list == m_pCtrlMoneySel.get()) {
    const int bank = m_pCtrlBankSel->currentIndex();
    if (!Within(bank, m_arrayBank.size())) return;
    const BankEntry& entry = m_arrayBank[static_cast<size_t>(bank)];
    if (Within(index, entry.flags.size())) adjustPosition(entry.flags[static_cast<size_t>(index)]);
    // A bank's accounts come one a currency, in the currencies' order: the card of the chosen
    // currency goes with it (another may still be chosen after).
    if (Within(index, entry.accounts.size())) m_pCtrlBankAccountSel->setCurrentSelIndex(index);
  } else {
    return;
  }
  // What may go out is the chosen bank's and currency's: the figure of another currency goes
  // while the new one is asked for.
  m_pKZZJLabel->setText("");
  requestCanTransferInfo();
}

void UIHKTransferViewController::adjustPosition(int32_t flag) {
  m_nCurrentPwdFlag = flag;
  const int bankSide = BankSideValue(flag, m_transferType);
  const int fundSide = FundSideValue(flag, m_transferType);
  int shown = 0;
  auto showRow = [&](ui::Label& caption, ui::TextField& field, const char* text) {
    caption.setText(text);
    caption.setHidden(false);
    field.setHidden(false);
    ++shown;
  };
  auto hideRow = [](ui::Label& caption, ui::TextField& field, bool empty) {
    caption.setHidden(true);
    field.setHidden(true);
    if (empty) field.setText("");
  };
  if (bankSide == 1)
    showRow(*m_pLabelBankPWD, *m_pEditBankPWD, "银行查询密码：");
  else if (bankSide == 2)
    showRow(*m_pLabelBankPWD, *m_pEditBankPWD, "银行资金密码：");
  else
    hideRow(*m_pLabelBankPWD, *m_pEditBankPWD, true);
  if (m_transferType == 2 || fundSide < 0) {
    hideRow(*m_pLabelAssetPWD, *m_pEditAssetPWD, true);
  } else if (fundSide == 1) {
    showRow(*m_pLabelAssetPWD, *m_pEditAssetPWD, "资金密码：");
  } else if (fundSide == 2 && (m_transferType == 0 || !SessionHoldsTradingPassword())) {
    // A transfer out takes the trading password of the trade login; without one in the session
    // the broker would refuse the transfer for a password no row asks for, so the row asks.
    showRow(*m_pLabelAssetPWD, *m_pEditAssetPWD, "交易密码：");
  } else if (fundSide == 2) {
    m_pLabelAssetPWD->setText("交易密码：");
    hideRow(*m_pLabelAssetPWD, *m_pEditAssetPWD, false);
  } else {
    hideRow(*m_pLabelAssetPWD, *m_pEditAssetPWD, true);
  }

  // The fund row sits where the bank row is, or one row below it when that shows.
  const double bankCentre = m_pLabelBankPWD->center().y;
  const double fundCentre = m_pEditBankPWD->isHidden() ? bankCentre : bankCentre + kRowStep;
  m_pLabelAssetPWD->setCenter(gfx::Point(m_pLabelAssetPWD->center().x, fundCentre));
  m_pEditAssetPWD->setCenter(gfx::Point(m_pEditAssetPWD->center().x, fundCentre));

  const double buttonsY = m_pLabelBankPWD->frame().y() + kRowStep * shown;
  for (ui::Button* button : {m_pBtnTransfer.get(), m_pBtnReset.get()}) {
    gfx::Rect r = button->frame();
    button->setFrame(gfx::Rect(r.x(), buttonsY, r.width(), r.height()));
  }
  const double w = view()->bounds().width();
  m_bgLabel->setFrame(gfx::Rect(5, 4, w - 10, buttonsY - 6));
  const double tableY = buttonsY + 40;
  if (separators_[0]) separators_[0]->setFrame(gfx::Rect(0, buttonsY - 4, w, 1));
  if (separators_[1]) separators_[1]->setFrame(gfx::Rect(0, tableY - 2, w, 1));
  tableTop_ = tableY;
  fitAssetTable();
}

void UIHKTransferViewController::fitAssetTable() {
  if (!_tableTableView || !isViewLoaded()) return;
  // The table ends above the index ticker, so its last rows and its paging strip can be
  // scrolled into sight.
  double bottom = view()->bounds().height();
  if (auto* app = VerdanAppDelegate::sharedAppDelegate())
    bottom = app->contentBottomAboveTicker(*view());
  const gfx::Rect wanted(0, tableTop_, view()->bounds().width(), std::max(0.0, bottom - tableTop_));
  if (_tableTableView->frame() == wanted) return;
  _tableTableView->setFrame(wanted);
  _tableTableView->updateView();
}

void UIHKTransferViewController::handleTimeoutRequest() {
  waiter_.failed();
  GetDataCenter().Reset();
  VerdanAppDelegate::PostTradeErrorMsgMessage(kTimeoutText);
}

bool UIHKTransferViewController::textFieldShouldChangeCharactersInRange(ui::TextField& field,
                                                                        ui::TextRange,
                                                                        const std::string& text) {
  if (&field != m_pEditMoney.get()) return true;
  return text.find_first_not_of("0123456789.") == std::string::npos;
}

void UIHKTransferViewController::tableTableViewReloadDataWithStatus(Table_TableView&, int status) {
  const AssetPaging paging =
      AssetPages(m_listdbf.GetStartRecNum(), m_listdbf.GetRecordNum(), m_listdbf.GetTotalRecNum(),
                 m_cols.pagerecnum);
  const int32_t start = status == 2 ? paging.next : paging.previous;
  if (start < 0) return;
  showWaiting();
  requestAssetInfo(start);
}

void UIHKTransferViewController::updateTableViewStatus() {
  _tableTableView->setShowNoDataMsg(m_listdbf.GetRecordNum() == 0);
  _tableTableView->reloadView();
  _tableTableView->pullRefurbishLoadingDidEnd();
  const int size = m_cols.pagerecnum;
  if (size == 0) return;
  for (int status : {1, 2}) {
    _tableTableView->updateRefreshLoading(false, status);
    _tableTableView->reloadDataDidEnd(status);
  }
  const AssetPaging paging = AssetPages(m_listdbf.GetStartRecNum(), m_listdbf.GetRecordNum(),
                                        m_listdbf.GetTotalRecNum(), size);
  const int page = paging.page;
  const int pages = paging.pages;
  if (page != lastPage_) _tableTableView->scrollToTopRow();
  lastPage_ = page;
  pageText_ = foundation::format("当前%d页/一共%d页", page, pages);
  for (int status : {1, 2}) _tableTableView->updateRefreshContent(pageText_, status);
  _tableTableView->hiddenRefreashHeaderView(1, page <= 1);
  _tableTableView->hiddenRefreashHeaderView(2, page >= pages);
}

// ---------------------------------------------------------------------------------------------
// The notes screen

void UIHKTransferSMViewController::loadView() {
  const gfx::Rect frame = ui::Screen::main().applicationFrame();
  auto view = ui::View::create(gfx::Rect(0, 0, frame.width(), frame.height()));
  setView(view);
  txtWebView_ = ui::TextView::create(gfx::Rect(0, 0, frame.width(), frame.height()));
  txtWebView_->setEditable(false);
  txtWebView_->setFont(gfx::Font::systemFont(14));
  view->addSubview(txtWebView_);
}

void UIHKTransferSMViewController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle(kTransferNotesTitle);
  view()->setBackgroundColor(gfx::Color::white());
  txtWebView_->setBackgroundColor(gfx::Color::white());
  std::ifstream file(foundation::bundlePath("zzywsm.txt"));
  std::stringstream text;
  text << file.rdbuf();
  txtWebView_->setText(text.str());
}

void UIHKTransferSMViewController::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  // The notes end above the index ticker, so that their last lines can be scrolled into sight.
  double bottom = view()->bounds().height();
  if (auto* app = VerdanAppDelegate::sharedAppDelegate())
    bottom = app->contentBottomAboveTicker(*view());
  txtWebView_->setFrame(gfx::Rect(0, 0, view()->bounds().width(), std::max(0.0, bottom)));
}
