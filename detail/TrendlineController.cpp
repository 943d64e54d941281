#include "detail/TrendlineController.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/ByteOrder.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/MDBF.h"
#include "core/NetworkThreads.h"
#include "core/PacketHeader.h"
#include "core/PriceAlertRequests.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/QuoteRequests.h"
#include "core/ReplyHead.h"
#include "core/SearchHistory.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "detail/TrendlineParts.h"
#include "panels/PublicView.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Object.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Reached.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "shell/Extend.h"
#include "shell/VerdanAppDelegate.h"
#include "watchlist/RowFigures.h"
#include "widgets/StaleCheck.h"

namespace {

using namespace trendline;

constexpr int kPageWidth = 320;
constexpr int kTagSelfStockButton = 180;

}  // namespace

TrendlineController::TrendlineController()
    : KLinedata(kKLineCapacity), _weightData(kWeightCapacity) {
  mRequestFlagCount.fill(0);
  mRequestFlagCount[kSlotPriceAlert] = -1;
}

TrendlineController::~TrendlineController() {
  // The chart keeps a plain pointer to the pager; a page held elsewhere must not call back.
  if (auto* trend = trendPage()) {
    if (auto* chart = dynamic_cast<TrendlineView*>(trend->trendlineView()))
      chart->setDelegate(nullptr);
    trend->setSuperViewController(nullptr);
  }
  if (auto* kline = page<KLinePageRole>(kTagKLinePage)) kline->setDelegate(nullptr);
  if (pageRequestTimer_) pageRequestTimer_->invalidate();
  if (trendCatchUp_) trendCatchUp_->invalidate();
  if (hintTimer_) hintTimer_->invalidate();
  // A flight still running leaves nothing in the window.
  if (cart_) cart_->removeFromSuperview();
  if (flyingSnapshot_) flyingSnapshot_->removeFromSuperview();
  if (observing_) {
    foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
    ui::Device::current().endGeneratingDeviceOrientationNotifications();
  }
}

// --- identity --------------------------------------------------------------------------------

bool TrendlineController::IsStockIndex(uint8_t stockType, uint8_t market) {
  return stockType == 1 || market == 9;
}

bool TrendlineController::IsStockQH(uint8_t stockType, uint8_t market) {
  (void)stockType;
  return IsMarketType467(market);
}

bool TrendlineController::ValidCode(const char* code, const char* caller) {
  if (!code || code[0] == '\0') {
    foundation::logError("%s: no stock code", caller);
    return false;
  }
  size_t n = 0;
  for (; code[n] != '\0'; ++n) {
    if (n >= 9 || static_cast<unsigned char>(code[n]) > 0x7f) {
      foundation::logError("%s: stock code refused (not ASCII or over 9 characters)", caller);
      return false;
    }
  }
  return true;
}

void TrendlineController::copyCode(const char* code) {
  std::memset(StockCode, 0, sizeof StockCode);
  std::strncpy(StockCode, code, sizeof StockCode - 1);
}

void TrendlineController::SetStockInfo(const char* code, uint8_t market, uint8_t stockType) {
  if (!ValidCode(code, "SetStockInfo")) return;
  const bool rebuild = _bDidLoad && (static_cast<uint8_t>(MarketType) != market ||
                                     static_cast<uint8_t>(StockType) != stockType);
  if (rebuild) removeSwitchToolBar();
  copyCode(code);
  MarketType = static_cast<int8_t>(market);
  StockType = static_cast<int8_t>(stockType);
  if (rebuild) SetMenuToolBar(IsSelWhichTab);
}

void TrendlineController::applyFallBack() {
  const auto market = static_cast<uint8_t>(MarketType);
  const auto type = static_cast<uint8_t>(StockType);
  if (IsStockIndex(type, market)) {
    if (IsSelWhichTab == kPageMainForce || IsSelWhichTab == kPageHK10) IsSelWhichTab = kPageTrend;
  } else if (IsStockQH(type, market)) {
    if (IsSelWhichTab >= kPageMainForce) IsSelWhichTab = kPageTrend;
  } else if (market != 3) {
    if (IsSelWhichTab == kPageHK10) IsSelWhichTab = kPageTrend;
  }
}

// The shown security becomes another: everything the page shows of the old one goes at once
// (the panel and the chart take the new one's cached quote, or its code alone), so that no
// answer for the new security is ever drawn beside the old one's figures.
void TrendlineController::switchSecurity(const char* code, uint8_t market, uint8_t stockType) {
  ++updates_;
  // A seat asked on the old security's queues pops up over nobody's.
  mRequestFlagCount[kSlotSeat] = -1;
  removeSwitchToolBar();
  if (auto* trend = trendPage()) trend->refreshMiniDetailViewWithStockType(stockType, market);
  MarketType = static_cast<int8_t>(market);
  StockType = static_cast<int8_t>(stockType);
  applyFallBack();
  copyCode(code);
  IsFirstSelF10_redirect = 1;
  IsFirstShow = 1;
  stockCodeStr = StockCode;
  if (StockCodeLabel) StockCodeLabel->setText(stockCodeStr);
  SetMenuToolBar(IsSelWhichTab);
  onDrawHQ(cachedQuote(), kQuoteFlagNewStock);
}

bool TrendlineController::showsSecurity(const char* code, uint8_t market, uint8_t stockType) const {
  return std::strcmp(code, StockCode) == 0 && static_cast<uint8_t>(MarketType) == market &&
         static_cast<uint8_t>(StockType) == stockType;
}

void TrendlineController::UpdateStockInfo(const char* code, uint8_t market, uint8_t stockType) {
  if (!ValidCode(code, "UpdateStockInfo") || showsSecurity(code, market, stockType)) return;
  switchSecurity(code, market, stockType);
  if (auto* land = IsLandscapeKline ? landscape() : nullptr) {
    requestLandscapeData(*land);
    land->startRefreshKLineView();
    return;
  }
  viewWillAppear(false);
}

void TrendlineController::requestLandscapeData(LandscapeKlineRole& land) {
  if (land.getCurrentPage() == 1) {
    RequestKlineData(static_cast<uint8_t>(land.getTimeCircle()));
  } else {
    RequestDataTrendline();
  }
}

void TrendlineController::SearchDone(const char* code, uint16_t market, const std::string& name,
                                     uint16_t stockType) {
  if (!ValidCode(code, "SearchDone") ||
      showsSecurity(code, static_cast<uint8_t>(market), static_cast<uint8_t>(stockType)))
    return;
  switchSecurity(code, static_cast<uint8_t>(market), static_cast<uint8_t>(stockType));
  if (auto* trend = trendPage()) trend->setSuperViewController(this);
  // The search named it: its name stands until a named quote comes.
  if (IsFirstShow) {
    stockNameStr = name;
    if (StockNameLabel) StockNameLabel->setText(stockNameStr);
  }
  updateDataForSubPage(IsSelWhichTab);
}

void TrendlineController::setInitShowIndexType(int8_t type) {
  initShowIndexType_ = type;
  initShowIndexTypeSet_ = true;
  // A stock opened from the main-force ranking shows the main-force indicator under its trend
  // chart and its K-line screens start on pane 6. The first page stays the trend page.
  if (type == 1 &&
      !IsStockIndex(static_cast<uint8_t>(StockType), static_cast<uint8_t>(MarketType)) &&
      !IsStockQH(static_cast<uint8_t>(StockType), static_cast<uint8_t>(MarketType)))
    SetKLineIndexType(6);
  applyInitShowIndexType();
}

void TrendlineController::applyInitShowIndexType() {
  if (!initShowIndexTypeSet_) return;
  TrendPageRole* trend = trendPage();
  TrendChartRole* chart = trend ? trend->trendlineView() : nullptr;
  if (!chart) return;  // the trend page takes it when it is made
  const auto market = static_cast<uint8_t>(MarketType);
  const auto type = static_cast<uint8_t>(StockType);
  const bool stock = !IsStockIndex(type, market) && !IsStockQH(type, market);
  chart->updateDrawIndexType(initShowIndexType_ == 1 && stock ? 3 : 0);
}

void TrendlineController::setDelegate(std::weak_ptr<TrendlineRecordDelegate> delegate) {
  recordDelegate_ = std::move(delegate);
}

void TrendlineController::updateCurrentView(int row) {
  auto source = recordDelegate_.lock();
  const int total = source ? source->totalStockRecord() : 0;
  if (currentRow_ < 0 || total <= 1) {
    // The list screen names the row it opened the pager on.
    if (currentRow_ < 0) {
      currentRow_ = row;
      if (source) rowRecord_ = source->currentStockRecord(row);
    }
    return;
  }
  if (row >= total) row = 0;
  if (row < 0) row = total - 1;
  if (auto* trend = trendPage())
    trend->refreshMiniDetailViewWithStockType(static_cast<uint8_t>(StockType),
                                              static_cast<uint8_t>(MarketType));
  if (row != currentRow_) {
    currentRow_ = row;
    foundation::Value record = source->currentStockRecord(row);
    rowRecord_ = record;
    if (!record.isNull()) {
      const std::string code = record["code"].asString();
      // An unusable code leaves the labels and the shown security as they are.
      if (ValidCode(code.c_str(), "updateCurrentView")) {
        stockNameStr = record["name"].asString();
        if (StockNameLabel) StockNameLabel->setText(stockNameStr);
        UpdateStockInfo(code.c_str(), static_cast<uint8_t>(record["market"].toInt()),
                        static_cast<uint8_t>(record["type"].toInt()));
      }
    }
  }
  updatePrepNextButtonState();
}

void TrendlineController::updatePrepNextButtonState() {
  if (_nextButton && _nextButton->superview())
    _nextButton->superview()->bringSubviewToFront(_nextButton.get());
  if (_prepButton && _prepButton->superview())
    _prepButton->superview()->bringSubviewToFront(_prepButton.get());
}

void TrendlineController::nextButton() {
  updateCurrentView(currentRow_ + 1);
}

void TrendlineController::preButton() {
  updateCurrentView(currentRow_ - 1);
}

int TrendlineController::StatusBarHeight(const std::string& systemVersion) {
  // Only the major number matters: "10.0" is a later system than "7.0".
  int major = 0;
  size_t i = 0;
  for (; i < systemVersion.size() && systemVersion[i] >= '0' && systemVersion[i] <= '9'; ++i) {
    if (major < 1000) major = major * 10 + (systemVersion[i] - '0');
  }
  if (i == 0) return 0;
  return major >= 7 ? 20 : 0;
}

bool TrendlineController::ScreensUnderStatusBar() {
  return ui::Screen::main().applicationFrame().minY() <
         ui::Application::shared().statusBarFrame().maxY();
}

void TrendlineController::initNav(ui::View* root) {
  const double s = nHeight_StatusBar;
  std::weak_ptr<TrendlineController> weak =
      std::dynamic_pointer_cast<TrendlineController>(shared_from_this());
  auto tap = [weak](void (TrendlineController::*method)()) {
    return [weak, method](ui::Control&) {
      if (auto self = weak.lock()) ((*self).*method)();
    };
  };
  _titleView = ui::View::create({0, 0, 320, s + 44});
  _titleView->setBackgroundColor(gfx::Color::pattern(
      gfx::Image::named(nHeight_StatusBar == 20 ? "bg_title_iOS7.png" : "bg_navigationbar.png")));
  auto barButton = [](const gfx::Rect& frame, const char* title) {
    auto button = ui::Button::create(frame);
    button->setTitle(title);
    button->setTitleColor(gfx::Color::white());
    button->setFont(gfx::Font::boldSystemFont(12));
    button->setBackgroundImage(gfx::Image::named("systemBarButton.png"));
    button->setBackgroundImage(gfx::Image::named("systemBarButton.png"),
                               ui::ControlState::Highlighted);
    return button;
  };
  auto back = barButton({10, s + 7, 47, 32}, "返回");
  back->addTarget(tap(&TrendlineController::returnBtn), ui::ControlEvent::TouchUpInside, this);
  _titleView->addSubview(back);

  _nameCodeView = ui::View::create({100, s, 90, 44});
  _nameCodeView->setBackgroundColor(gfx::Color::clear());
  StockNameLabel = ui::Label::create({0, 0, 90, 23});
  // The title names the security whose figures the pages show: the list's name, else the
  // cached one, and its code, whatever answer has come yet.
  if (stockNameStr.empty()) stockNameStr = UnicharsToNSString(cachedQuote().name, 16);
  if (stockCodeStr.empty()) stockCodeStr = StockCode;
  StockNameLabel->setText(stockNameStr.empty() ? "--" : stockNameStr);
  StockNameLabel->setTextColor(gfx::Color::white());
  StockNameLabel->setFont(gfx::Font::boldSystemFont(17));
  StockNameLabel->setTextAlignment(gfx::TextAlignment::Center);
  StockNameLabel->setAdjustsFontSizeToFitWidth(true);
  StockNameLabel->setClipsToBounds(true);
  StockCodeLabel = ui::Label::create({0, 22, 90, 18});
  StockCodeLabel->setText(stockCodeStr.empty() ? "--" : stockCodeStr);
  StockCodeLabel->setTextColor(gfx::Color::rgb255(238, 236, 129));
  StockCodeLabel->setFont(gfx::Font::systemFont(15));
  StockCodeLabel->setTextAlignment(gfx::TextAlignment::Center);
  _nameCodeView->addSubview(StockNameLabel);
  _nameCodeView->addSubview(StockCodeLabel);
  _titleView->addSubview(_nameCodeView);

  auto arrow = [](const gfx::Rect& frame, const char* image) {
    auto button = ui::Button::create(frame);
    button->setBackgroundColor(gfx::Color::clear());
    button->setImage(gfx::Image::named(image));
    button->setImage(gfx::Image::named(image), ui::ControlState::Highlighted);
    button->setImageEdgeInsets({7, 5, 7, 5});
    return button;
  };
  _nextButton = arrow({190, s + 4, 30, 36}, "arrow_up_right.png");
  _nextButton->addTarget(tap(&TrendlineController::nextButton), ui::ControlEvent::TouchUpInside,
                         this);
  _titleView->addSubview(_nextButton);
  _prepButton = arrow({70, s + 4, 30, 36}, "arrow_up_left.png");
  _prepButton->addTarget(tap(&TrendlineController::preButton), ui::ControlEvent::TouchUpInside,
                         this);
  _titleView->addSubview(_prepButton);

  selfStockButton_ = ui::Button::create(gfx::Rect{228, s + 7, 32, 32});
  selfStockButton_->setTag(kTagSelfStockButton);
  selfStockButton_->setTitleColor(gfx::Color::white());
  selfStockButton_->setFont(gfx::Font::boldSystemFont(12));
  selfStockButton_->setAdjustsImageWhenHighlighted(false);
  selfStockButton_->addTarget(tap(&TrendlineController::addSelfStock),
                              ui::ControlEvent::TouchUpInside, this);
  _titleView->addSubview(selfStockButton_);

  auto search = barButton({269, s + 7, 47, 32}, "查询");
  search->addTarget(tap(&TrendlineController::searchStock), ui::ControlEvent::TouchUpInside, this);
  _titleView->addSubview(search);
  // Screens pushed over the pager lead back with the same word.
  navigationItem().setBackBarButtonItem(
      ui::BarButtonItem::withTitle("返回", ui::BarButtonItemStyle::Bordered));
  (void)root;
}

namespace {
// Shared by every pager of the process: 1 counts the trend page's hint, 10 the K-line page's.
int g_orientalFlagCount = 0;
}  // namespace

void TrendlineController::ResetOrientalFlagCounter() {
  g_orientalFlagCount = 0;
}

void TrendlineController::showOrientalFlagImage() {
  if (IsSelWhichTab == kPageTrend && g_orientalFlagCount % 10 == 0) {
    g_orientalFlagCount += 1;
  } else if (IsSelWhichTab == kPageKLine && g_orientalFlagCount <= 9) {
    g_orientalFlagCount += 10;
  } else {
    return;
  }
  if (!orientalFlagImage_) return;
  const double height = std::max(0.0, ui::Screen::main().bounds().size.height - 166);
  gfx::Rect frame = orientalFlagImage_->frame();
  frame.origin.x = IsSelWhichTab * kPageWidth + 160 - frame.size.width / 2;
  frame.origin.y = height / 2 - frame.size.height / 2;
  orientalFlagImage_->setFrame(frame);
  orientalFlagImage_->setHidden(false);
  if (hintTimer_) hintTimer_->invalidate();
  std::weak_ptr<TrendlineController> weak =
      std::dynamic_pointer_cast<TrendlineController>(shared_from_this());
  hintTimer_ = foundation::performAfter(3.0, [weak] {
    if (auto self = weak.lock()) self->handleOrientalFlag();
  });
}

void TrendlineController::handleOrientalFlag() {
  if (orientalFlagImage_) orientalFlagImage_->setHidden(true);
}

void TrendlineController::HKJJPWViewClicked(const std::string& seat) {
  if (seat.empty()) return;
  tagHKSeat found{};
  if (FindHKJJSName(seat.c_str(), &found)) {
    if (auto* hk = page<HK10PageRole>(kTagHK10Page))
      hk->refreshDetailView("(" + seat + ")" + found.shortName, found.fullName);
    return;
  }
  RequestHKJJSInfo(seat);
}

void TrendlineController::returnBtn() {
  if (auto* navigation = navigationController()) navigation->popViewControllerAnimated(true);
}

void TrendlineController::searchStock() {
  auto search = SearchStocks::create();
  search->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
  search->setDelegate(std::dynamic_pointer_cast<TrendlineController>(shared_from_this()));
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  if (auto* navigation = navigationController()) {
    navigation->presentModalViewController(search, true);
  } else {
    presentModalViewController(search, true);
  }
}

void TrendlineController::refreshSelfStockButtonState() {
  systemBarAddIsSelected_ = SelfStock_Contains(MarketType, StockCode);
  if (!selfStockButton_) return;
  selfStockButton_->setBackgroundImage(
      gfx::Image::named(systemBarAddIsSelected_ ? "systemBarDelete.png" : "systemBarAdd.png"));
  selfStockButton_->setSelected(systemBarAddIsSelected_);
}

void TrendlineController::addSelfStock() {
  if (selfStockButton_)
    selfStockButton_->setBackgroundImage(
        gfx::Image::named(systemBarAddIsSelected_ ? "systemBarAdd.png" : "systemBarDelete.png"));
  systemBarAddIsSelected_ = !systemBarAddIsSelected_;
  addStockToSelfStock();
}

void TrendlineController::addStockToSelfStock() {
  // While the cart flies the list stays as it is; the button is set right at the end.
  if (StockCode[0] == '\0' || isFlying()) return;
  if (!SelfStock_Contains(MarketType, StockCode)) {
    // A full list adds nothing; the button shows the list as it is after the flight.
    SelfStock_Add(MarketType, StockCode, StockType);
    flyToCart();
  } else {
    SelfStock_Remove(MarketType, StockCode);
    refreshSelfStockButtonState();
  }
  SelfStock_StampNow();
  SelfStock_SetDirty(1);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->startTimerForUpload();
}

void TrendlineController::flyToCart() {
  ui::Window* window = ui::Application::shared().keyWindow();
  if (!window) {
    refreshSelfStockButtonState();
    return;
  }
  const double h = ui::Screen::main().bounds().size.height;
  if (!cart_) cart_ = ui::ImageView::create(gfx::Image::named("shopping_cart.png"));
  cart_->setFrame({20, h - 36, 24, 24});
  window->addSubview(cart_);
  std::weak_ptr<TrendlineController> weak =
      std::dynamic_pointer_cast<TrendlineController>(shared_from_this());
  auto step3 = [weak, h](bool) {
    auto self = weak.lock();
    if (!self) return;
    if (self->flyingSnapshot_) self->flyingSnapshot_->removeFromSuperview();
    self->cart_->setFrame({2, h - 100, 56, 56});
    ui::View::animate(
        0.3, 0, ui::AnimationOption::CurveEaseIn,
        [weak, h] {
          if (auto me = weak.lock()) me->cart_->setFrame({20, h - 36, 24, 24});
        },
        [weak](bool) {
          auto me = weak.lock();
          if (!me) return;
          me->cart_->removeFromSuperview();
          me->refreshSelfStockButtonState();
        });
  };
  std::weak_ptr<ui::Object> windowRef = window->shared_from_this();
  auto step2 = [weak, windowRef, step3](bool) {
    auto self = weak.lock();
    auto host = std::dynamic_pointer_cast<ui::View>(windowRef.lock());
    if (!self) return;
    if (!self->_nameCodeView || !host) {
      step3(true);
      return;
    }
    const gfx::Rect from = self->_nameCodeView->frame();
    if (!self->flyingSnapshot_) self->flyingSnapshot_ = ui::ImageView::create(from);
    self->flyingSnapshot_->setImage(ui::snapshotView(*self->_nameCodeView));
    self->flyingSnapshot_->setBackgroundColor(
        gfx::Color::pattern(gfx::Image::named("bg_titleview.png")));
    self->flyingSnapshot_->setFrame(from);
    host->addSubview(self->flyingSnapshot_);
    const gfx::Rect cart = self->cart_->frame();
    ui::View::animate(
        0.8, 0, ui::AnimationOption::CurveEaseIn,
        [weak, from, cart] {
          if (auto me = weak.lock())
            me->flyingSnapshot_->setFrame({cart.origin.x + 5, cart.origin.y + cart.size.height / 2,
                                           from.size.width / 2, from.size.height / 2});
        },
        step3);
  };
  ui::View::animate(
      0.3, 0, ui::AnimationOption::CurveEaseIn,
      [weak, h] {
        if (auto self = weak.lock()) self->cart_->setFrame({2, h - 100, 56, 56});
      },
      step2);
}

// --- view ------------------------------------------------------------------------------------

void TrendlineController::loadView() {
  const double height = ui::Screen::main().bounds().size.height;
  // The title bar leaves room for the status bar only where the screen reaches under it.
  nHeight_StatusBar =
      ScreensUnderStatusBar() ? StatusBarHeight(ui::Device::current().systemVersion()) : 0;
  const double s = nHeight_StatusBar;
  auto root = ui::View::create({0, 0, 320, height});
  root->setBackgroundColor(gfx::Color::black());
  setView(root);
  initNav(root.get());
  menuBar_ = ui::View::create({0, s + 44, 320, 30});
  menuBar_->setBackgroundColor(gfx::Color::clear());
  auto menuBg = ui::ImageView::create(gfx::Rect{0, 0, 320, 30});
  menuBg->setImage(gfx::Image::named("bg_titleview.png"));
  menuBar_->addSubview(menuBg);
  auto slide = ui::ImageView::create(gfx::Rect{0, 1, 53, 28});
  slide->setImage(gfx::Image::named("menubtn_disabled.png"));
  slide->setAlpha(0.8);
  slide->setClipsToBounds(true);
  _menuBarSlideBg = slide;
  menuBar_->addSubview(_menuBarSlideBg);
  root->addSubview(menuBar_);
  _scrollView = CustomScrollView::create({0, s + 74, 320, std::max(0.0, height - 166)});
  _scrollView->setPagingEnabled(true);
  _scrollView->setBackgroundColor(gfx::Color::clear());
  _scrollView->setShowsHorizontalScrollIndicator(false);
  _scrollView->setShowsVerticalScrollIndicator(false);
  root->addSubview(_scrollView);
  createSubViewsOnScrollView(true);
  // The title bar goes on top of everything.
  root->addSubview(_titleView);
}

void TrendlineController::createSubViewsOnScrollView(bool trendPageOnly) {
  if (!_scrollView) return;
  if (!trendPageOnly && !IsFirstCreateSubView) return;
  auto& registry = ui::ClassRegistry::shared();
  const gfx::Size size = _scrollView->bounds().size;
  _scrollView->setContentSize({6.0 * kPageWidth, 0});
  // A page made by class name, placed at its x with its tag, or null when the class is missing.
  auto make = [&](const char* name, int tag, double x) -> std::shared_ptr<ui::View> {
    auto view = std::dynamic_pointer_cast<ui::View>(registry.create(name));
    if (!view) {
      foundation::logError("TrendlineController: no page class %s", name);
      return nullptr;
    }
    view->setTag(tag);
    view->setFrame({x, 0, size.width, size.height});
    return view;
  };
  if (trendPageOnly) {
    if (auto trend = make("TrendFrameView", kTagTrendPage, 0)) {
      trend->setBackgroundColor(gfx::Color::black());
      _scrollView->addSubview(trend);
      if (auto* role = trendPage()) {
        role->setSuperViewController(this);
        if (auto* chart = dynamic_cast<TrendlineView*>(role->trendlineView()))
          chart->setDelegate(this);
      }
      applyInitShowIndexType();
    }
    if (!_label_Delay15Min) {
      _label_Delay15Min = ui::Label::create({(size.width - 150) / 2, 50, 150, 12});
      _label_Delay15Min->setText("走势图-延时15分钟");
      _label_Delay15Min->setFont(gfx::Font::named("Helvetica-Bold", 12));
      _label_Delay15Min->setTextColor(gfx::Color::grey(0.5));
      _label_Delay15Min->setBackgroundColor(gfx::Color::clear());
      _label_Delay15Min->setHidden(true);
    }
    _scrollView->addSubview(_label_Delay15Min);
    return;
  }
  IsFirstCreateSubView = 0;
  if (auto kline = make("AnalysisView", kTagKLinePage, kPageWidth)) {
    _scrollView->addSubview(kline);
    if (auto* role = page<KLinePageRole>(kTagKLinePage)) role->setDelegate(this);
  }
  auto hint = ui::ImageView::create(gfx::Rect{50, 150, 200, 130});
  hint->setImage(gfx::Image::named("orientalflag.png"));
  hint->setBackgroundColor(gfx::Color::clear());
  hint->setHidden(true);
  orientalFlagImage_ = hint;
  _scrollView->addSubview(orientalFlagImage_);
  if (auto detail = make("DetailView", kTagDetailPage, 2.0 * kPageWidth))
    _scrollView->addSubview(detail);
  if (auto f10 = make("F10View", kTagF10Page, 3.0 * kPageWidth)) {
    f10->setBackgroundColor(gfx::Color::black());
    _scrollView->addSubview(f10);
    // Made with its address and asked for it again at once, as the information server expects.
    if (auto* role = page<F10PageRole>(kTagF10Page)) {
      const std::string address = getRequestPageAddr(StockCode, MarketType);
      role->loadAddress(address);
      role->loadAddress(address);
    }
  }
  if (auto radar = CreateRadarPage()) {
    radar->setTag(kTagRadarPage);
    radar->setFrame({4.0 * kPageWidth, 0, size.width, size.height});
    if (auto* role = RadarRoleOf(radar.get())) {
      role->setPageId(kDetailPageId);
      role->setCurrentNavigationController(navigationController());
    }
    _scrollView->addSubview(radar);
  }
  if (auto hk = make("HK10DangView", kTagHK10Page, 5.0 * kPageWidth)) {
    _scrollView->addSubview(hk);
    if (auto* role = page<HK10PageRole>(kTagHK10Page))
      role->setJJPWDelegate(std::dynamic_pointer_cast<TrendlineController>(shared_from_this()));
  }
  updateScrollView(static_cast<int>(menuPages().size()));
  refreshSelfStockButtonState();
}

void TrendlineController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  IsFirstShow = 1;
  IsSelWhichTab = std::max<int16_t>(IsSelWhichTab, 0);
  IsLandscapeKline = 0;
  IsFirstSelF10_redirect = 0;
  _bDidLoad = 1;
  if (_scrollView) {
    auto self = std::dynamic_pointer_cast<TrendlineController>(shared_from_this());
    _scrollView->setDelegate(self);
    if (auto* custom = dynamic_cast<CustomScrollView*>(_scrollView.get()))
      custom->setCustomDelegate(self);
  }
  initNotification();
  SetMenuToolBar(IsSelWhichTab);
  // The menu marks the page on screen: the runner and the monkey ask after each step.
  std::weak_ptr<TrendlineController> weak =
      std::dynamic_pointer_cast<TrendlineController>(shared_from_this());
  if (view())
    ui::addScreenInvariant(*view(), "detail pager", [weak] {
      auto self = weak.lock();
      return self ? self->markedPageFailure() : std::string();
    });
  // The row of the list it was opened from and the screen agree at the same minute.
  if (view())
    ui::addScreenInvariant(*view(), "list row and detail", [weak] {
      auto self = weak.lock();
      return self ? figures::RowAgreesWithDetail(self->rowRecord_, self->shownQuote_)
                  : std::string();
    });
  if (view()) DeclareStaleCheck(*view(), "detail pager", weak, &TrendlineController::pageRequest_);
}

std::string TrendlineController::markedPageFailure() const {
  if (!menuBar_ || !_scrollView) return {};
  ui::ScrollView& pager = *_scrollView;
  if (pager.isDragging() || pager.isDecelerating() || pager.isTracking() ||
      pager.isScrollAnimating())
    return {};
  const double w = pager.bounds().width();
  if (w <= 0) return {};
  std::vector<ui::Button*> buttons;
  for (int i = 0; i < 6; ++i)
    if (auto* b = dynamic_cast<ui::Button*>(menuBar_->viewWithTag(menuBase() + i)))
      buttons.push_back(b);
  if (buttons.empty()) return {};
  const double x = pager.contentOffset().x;
  const int shown = static_cast<int>(std::lround(x / w));
  auto titleAt = [&](int position) {
    return position >= 0 && position < static_cast<int>(buttons.size())
               ? "'" + buttons[static_cast<size_t>(position)]->currentTitle() + "'"
               : "position " + std::to_string(position);
  };
  if (std::fabs(x - shown * w) > 0.5)
    return "the pager rests between pages at x " + std::to_string(x);
  std::vector<int> marked;
  for (size_t i = 0; i < buttons.size(); ++i)
    if (!buttons[i]->isEnabled()) marked.push_back(static_cast<int>(i));
  if (marked.size() != 1) {
    std::string list;
    for (int m : marked) list += (list.empty() ? "" : ", ") + titleAt(m);
    return "the menu marks " + std::to_string(marked.size()) + " buttons (" + list + ") while " +
           titleAt(shown) + " is on screen";
  }
  if (marked[0] != shown)
    return "the menu marks " + titleAt(marked[0]) + " but " + titleAt(shown) + " is on screen";
  if (_menuBarSlideBg) {
    const gfx::Rect b = buttons[static_cast<size_t>(shown)]->frame();
    if (std::fabs(_menuBarSlideBg->frame().midX() - b.midX()) > 0.5)
      return "the marker is not behind " + titleAt(shown) + ", the page on screen";
  }
  return {};
}

void TrendlineController::initNotification() {
  auto& center = foundation::NotificationCenter::defaultCenter();
  ui::Device::current().beginGeneratingDeviceOrientationNotifications();
  observing_ = true;
  std::weak_ptr<TrendlineController> weak =
      std::dynamic_pointer_cast<TrendlineController>(shared_from_this());
  auto bind = [weak](void (TrendlineController::*method)(const foundation::Notification&)) {
    return [weak, method](const foundation::Notification& notification) {
      if (auto self = weak.lock()) ((*self).*method)(notification);
    };
  };
  center.addObserver(this, ui::kDeviceOrientationDidChangeNotification,
                     bind(&TrendlineController::receivedRotate));
  center.addObserver(this, "PriceNotification",
                     bind(&TrendlineController::recvmsg_PriceNotification));
  center.addObserver(this, "TrendLine", bind(&TrendlineController::recvmsg));
  center.addObserver(this, "TrendCommand", bind(&TrendlineController::commandmsg));
  center.addObserver(this, "relogin", bind(&TrendlineController::UserReloginSuccess));
  center.addObserver(this, "login", bind(&TrendlineController::connectionFailed));
  setTrendTitle();
}

void TrendlineController::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  onScreen_ = true;
  // The pager's own title bar replaces the navigation bar.
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(true);
  createSubViewsOnScrollView(false);
  refreshSelfStockButtonState();
  updatePrepNextButtonState();
  requestPriceNotificationSetting();
  // Over a connection opened again, a round asked while it was down went out with the turn that
  // connected: asking once more would only send the page's requests twice.
  if (roundWhileDropped_ && pageRequest_.active() && !pageRequest_.current() &&
      !IsQuoteConnectionDropped())
    return;
  // Coming back (to the foreground, or over a connection opened again) with the landscape chart
  // up: what it shows is asked again, its period's bars and their pushes, not the pager's page.
  if (auto* land = IsLandscapeKline ? landscape() : nullptr) {
    requestLandscapeData(*land);
    return;
  }
  requestPageData(IsSelWhichTab);
}

void TrendlineController::noteRoundBegun() {
  roundWhileDropped_ = IsQuoteConnectionDropped();
  barsAwaitQuote_ = false;
  trendAwaitsQuote_ = false;
}

bool TrendlineController::quoteOfRoundAwaited() const {
  return pageRequest_.active() && pageRequest_.awaits(mRequestFlagCount[kSlotQuote]);
}

KLineFeedRole* TrendlineController::klineChart() const {
  if (auto* land = IsLandscapeKline ? landscape() : nullptr) return land;
  return page<KLinePageRole>(kTagKLinePage);
}

// What a page shows comes from the server (the F10 page loads its own address).
void TrendlineController::requestPageData(int pageNumber) {
  ui::noteReached("detail page", std::string(IsStockIndex(StockType, MarketType) ? "指数"
                                             : IsStockQH(StockType, MarketType)  ? "期货"
                                             : MarketType == 3                   ? "港股"
                                             : MarketType == 16                  ? "美股"
                                                                                 : "沪深") +
                                     " " + kPageTitles[std::clamp(pageNumber, 0, 5)]);
  switch (pageNumber) {
    case kPageTrend:
      RequestDataTrendline();
      break;
    case kPageKLine:
      RequestKlineData(1);
      break;
    case kPageMainForce:
      if (IsStockQH(static_cast<uint8_t>(StockType), static_cast<uint8_t>(MarketType))) {
        RequestFenBiDataDetail();
      } else {
        RequestDataDetail();
      }
      break;
    case kPageF10:
      if (auto* f10 = page<F10PageRole>(kTagF10Page))
        f10->loadAddress(getRequestPageAddr(StockCode, MarketType));
      break;
    case kPageRadar:
      RequestRadar();
      break;
    case kPageHK10:
      RequestHK10Dang();
      break;
    default:
      break;
  }
}

void TrendlineController::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  IsShow = 1;
  showOrientalFlagImage();
  receivedRotate({});
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->showBottomHurricaneLamp();
}

void TrendlineController::viewWillDisappear(bool animated) {
  ui::ViewController::viewWillDisappear(animated);
  IsShow = 0;
  onScreen_ = false;
  pageRequest_.stop();
  ui::Application::shared().setNetworkActivityIndicatorVisible(false);
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(false);
}

bool TrendlineController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
  return orientation == ui::InterfaceOrientation::Portrait;
}

ui::View* TrendlineController::pageView(int tag) const {
  return _scrollView ? _scrollView->viewWithTag(tag) : nullptr;
}

TrendPageRole* TrendlineController::trendPage() const {
  return page<TrendPageRole>(kTagTrendPage);
}

LandscapeKlineRole* TrendlineController::landscape() const {
  return dynamic_cast<LandscapeKlineRole*>(landscapeKline.get());
}

// --- menu and titles -------------------------------------------------------------------------

void TrendlineController::setTrendTitle() {
  const bool delayed = MarketType == 3 && GetQuoteLevelRight() == 1;
  if (_label_Delay15Min) _label_Delay15Min->setHidden(!delayed);
  setTitle(delayed ? "走势图-延时15分钟" : "走势图");
}

void TrendlineController::updateTrendTitle(int pageNumber) {
  switch (pageNumber) {
    case 0:
      setTrendTitle();
      break;
    case 1:
      setTitle("技术分析");
      break;
    case 2:
      setTitle(IsStockQH(static_cast<uint8_t>(StockType), static_cast<uint8_t>(MarketType))
                   ? "分笔"
                   : "主力龙虎");
      break;
    case 3:
      setTitle("个股资料");
      break;
    case 4:
      setTitle("雷达信息");
      break;
    default:
      break;
  }
}

std::vector<int> TrendlineController::menuPages() const {
  const auto market = static_cast<uint8_t>(MarketType);
  const auto type = static_cast<uint8_t>(StockType);
  if (IsStockIndex(type, market) || IsStockQH(type, market)) return {0, 1, 3, 4};
  std::vector<int> pages{0, 1};
  const bool right30 = HoldsRight30();
  if (right30 && market != 16) pages.push_back(2);
  pages.push_back(3);
  pages.push_back(4);
  if (market == 3 && GetQuoteLevelRight() == 2) pages.push_back(5);
  return pages;
}

bool TrendlineController::hasPage(int pageNumber) const {
  const std::vector<int> pages = menuPages();
  return std::find(pages.begin(), pages.end(), pageNumber) != pages.end();
}

const std::string& TrendlineController::menuTitleOf(int pageNumber) const {
  static const std::string empty;
  for (size_t i = 0; i < menuShown_.size() && i < menuTitles_.size(); ++i)
    if (menuShown_[i] == pageNumber) return menuTitles_[i];
  return empty;
}

void TrendlineController::removeSwitchToolBar() {
  if (!menuBar_) return;
  const bool stock =
      !IsStockIndex(static_cast<uint8_t>(StockType), static_cast<uint8_t>(MarketType)) &&
      !IsStockQH(static_cast<uint8_t>(StockType), static_cast<uint8_t>(MarketType));
  const int base = stock ? kStockMenuBase : kIndexMenuBase;
  for (int tag = base; tag < base + 6; ++tag) {
    if (auto view = menuBar_->viewWithTagShared(tag)) view->removeFromSuperview();
  }
  menuTitles_.clear();
  menuShown_.clear();
}

void TrendlineController::keepMenuWithRights() {
  if (!menuBar_ || menuShown_ == menuPages()) return;
  removeSwitchToolBar();
  SetMenuToolBar(IsSelWhichTab);
}

void TrendlineController::SetMenuToolBar(int pageNumber) {
  if (!menuBar_) return;
  const auto market = static_cast<uint8_t>(MarketType);
  const auto type = static_cast<uint8_t>(StockType);
  const bool stock = !IsStockIndex(type, market) && !IsStockQH(type, market);
  if (stock) _bShowZLLH = HoldsRight30() && market != 16;
  const int base = stock ? kStockMenuBase : kIndexMenuBase;
  for (int tag = base; tag < base + 6; ++tag) {
    if (auto view = menuBar_->viewWithTagShared(tag)) view->removeFromSuperview();
  }
  const std::vector<int> pages = menuPages();
  if (std::find(pages.begin(), pages.end(), pageNumber) == pages.end()) pageNumber = 0;
  menuTitles_.clear();
  menuShown_ = pages;
  const int width = kPageWidth / static_cast<int>(pages.size());
  int position = 0;
  std::weak_ptr<TrendlineController> weak =
      std::dynamic_pointer_cast<TrendlineController>(shared_from_this());
  for (size_t i = 0; i < pages.size(); ++i) {
    auto button = ui::Button::create(gfx::Rect{static_cast<double>(static_cast<int>(i) * width), 0,
                                               static_cast<double>(width), 30});
    button->setTag(base + pages[i]);
    button->setTitle(kPageTitles[pages[i]]);
    button->setFont(gfx::Font::boldSystemFont(12));
    button->setTitleColor(gfx::Color::white());
    button->setTitleColor(gfx::Color::black(), ui::ControlState::Disabled);
    button->setEnabled(pages[i] != pageNumber);
    const int target = pages[i];
    button->addTarget(
        [weak, target](ui::Control&) {
          auto self = weak.lock();
          if (!self) return;
          self->selectMenuPage(target);
        },
        ui::ControlEvent::TouchUpInside, this);
    menuBar_->addSubview(button);
    menuTitles_.push_back(kPageTitles[pages[i]]);
    if (pages[i] == pageNumber) position = static_cast<int>(i);
  }
  // The pager's move below marks the button at the current position: that is the new menu's
  // position already, not the old menu's (another button there).
  _nScrollCurrentPage = position;
  if (_scrollView) {
    _scrollView->stopScrolling();
    _scrollView->setContentOffset({static_cast<double>(position * kPageWidth), 0}, false);
  }
  updateScrollView(static_cast<int>(pages.size()));
  if (_menuBarSlideBg) {
    gfx::Rect frame = _menuBarSlideBg->frame();
    frame.origin.x = position * width + (width - frame.size.width) / 2.0;
    _menuBarSlideBg->setFrame(frame);
  }
  IsSelWhichTab = static_cast<int16_t>(pageNumber);
  _nScrollCurrentPage = position;
  updateTrendTitle(pageNumber);
}

void TrendlineController::changeUIToSubPage(int pageNumber) {
  keepMenuWithRights();
  const std::vector<int> pages = menuPages();
  auto at = std::find(pages.begin(), pages.end(), pageNumber);
  if (at == pages.end()) return;
  const int position = static_cast<int>(at - pages.begin());
  if (_scrollView) {
    // A glide under way would carry the pager past the page asked for.
    _scrollView->stopScrolling();
    _scrollView->setContentOffset({static_cast<double>(position * kPageWidth), 0}, false);
  }
  _nScrollCurrentPage = position;
  IsSelWhichTab = static_cast<int16_t>(pageNumber);
  markMenuPosition(position, false);
}

void TrendlineController::showSubPage(int pageNumber) {
  if (!hasPage(pageNumber)) return;
  changeUIToSubPage(pageNumber);
  updateDataForSubPage(pageNumber);
}

int TrendlineController::menuBase() const {
  return IsStockIndex(static_cast<uint8_t>(StockType), static_cast<uint8_t>(MarketType)) ||
                 IsStockQH(static_cast<uint8_t>(StockType), static_cast<uint8_t>(MarketType))
             ? kIndexMenuBase
             : kStockMenuBase;
}

void TrendlineController::updateScrollView(int count) {
  if (!_scrollView) return;
  _scrollView->setContentSize({static_cast<double>(count * kPageWidth), 0});
  const std::vector<int> pages = menuPages();
  static constexpr int kTags[6] = {kTagTrendPage, kTagKLinePage, kTagDetailPage,
                                   kTagF10Page,   kTagRadarPage, kTagHK10Page};
  for (int p = 0; p < 6; ++p) {
    ui::View* view = pageView(kTags[p]);
    if (!view) continue;
    auto at = std::find(pages.begin(), pages.end(), p);
    view->setHidden(at == pages.end());
    if (at != pages.end()) {
      gfx::Rect frame = view->frame();
      frame.origin.x = static_cast<double>((at - pages.begin()) * kPageWidth);
      view->setFrame(frame);
    }
  }
}

void TrendlineController::markMenuPosition(int position, bool request) {
  const int base = menuBase();
  int count = 0;
  for (int i = 0; i < 6; ++i) {
    auto* button = dynamic_cast<ui::Button*>(menuBar_ ? menuBar_->viewWithTag(base + i) : nullptr);
    if (!button) continue;
    if (count == position) {
      button->setEnabled(false);
      if (_menuBarSlideBg) {
        gfx::Rect frame = _menuBarSlideBg->frame();
        frame.origin.x =
            button->frame().origin.x + (button->frame().size.width - frame.size.width) / 2.0;
        _menuBarSlideBg->setFrame(frame);
      }
      if (request) {
        if (pageRequestTimer_) pageRequestTimer_->invalidate();
        std::weak_ptr<TrendlineController> weak =
            std::dynamic_pointer_cast<TrendlineController>(shared_from_this());
        pageRequestTimer_ = foundation::performAfter(0.05, [weak, i] {
          if (auto self = weak.lock()) self->updateDataForSubPage(i);
        });
      }
    } else {
      button->setEnabled(true);
    }
    ++count;
  }
}

void TrendlineController::selectMenuPage(int pageNumber) {
  // A page is placed by the rights now: a menu built under others (rights refused, then granted
  // again, and the pager not yet told) would leave it past the last button, none marked.
  keepMenuWithRights();
  const std::vector<int> pages = menuPages();
  auto at = std::find(pages.begin(), pages.end(), pageNumber);
  if (at == pages.end()) return;
  const int position = static_cast<int>(at - pages.begin());
  // A glide still under way would carry the pager on past the chosen page.
  if (_scrollView) _scrollView->stopScrolling();
  _nScrollCurrentPage = position;
  markMenuPosition(position, false);
  if (_scrollView)
    _scrollView->setContentOffset({static_cast<double>(position * kPageWidth), 0}, false);
  refreshMarkedButton();
  updateDataForSubPage(pageNumber);
  updatePrepNextButtonState();
}

void TrendlineController::settleMenuOnShownPage(ui::ScrollView& scrollView) {
  const double w = scrollView.bounds().size.width;
  const int count = static_cast<int>(menuPages().size());
  if (w <= 0 || count <= 0) return;
  const int position = std::clamp(
      static_cast<int>(std::floor((scrollView.contentOffset().x + w / 2) / w)), 0, count - 1);
  // The menu is marked again even on the same position: whatever moved the pager, the marked
  // button is the page on screen.
  const bool changed = position != _nScrollCurrentPage;
  _nScrollCurrentPage = position;
  markMenuPosition(position, changed);
  refreshMarkedButton();
}

void TrendlineController::scrollViewDidEndDecelerating(ui::ScrollView& scrollView) {
  settleMenuOnShownPage(scrollView);
}

void TrendlineController::scrollViewDidEndDragging(ui::ScrollView& scrollView,
                                                   bool willDecelerate) {
  // Released where it rests: no deceleration follows to end the swipe.
  if (!willDecelerate) settleMenuOnShownPage(scrollView);
}

void TrendlineController::scrollViewDidScroll(ui::ScrollView& scrollView) {
  (void)scrollView;
  refreshMarkedButton();
}

void TrendlineController::refreshMarkedButton() {
  if (!menuBar_ || !_scrollView) return;
  int count = 0;
  for (int i = 0; i < 6; ++i) {
    auto* button = dynamic_cast<ui::Button*>(menuBar_->viewWithTag(menuBase() + i));
    if (!button) continue;
    if (count++ != _nScrollCurrentPage) continue;
    // Off its page while the pager moves (or a finger holds it between pages): a tap brings
    // the page back.
    const bool moving =
        _scrollView->isDragging() || _scrollView->isDecelerating() || _scrollView->isTracking();
    button->setEnabled(moving &&
                       _scrollView->contentOffset().x != _nScrollCurrentPage * kPageWidth);
    return;
  }
}

namespace {

bool ClaimsTouch(ui::View* pageView, const ui::TouchSet& touches) {
  if (auto* owner = dynamic_cast<ScrollRectOwner*>(pageView))
    return owner->isPointInScrollRect(touches);
  if (auto* panel = dynamic_cast<PublicView*>(pageView)) return panel->isPointInScrollRect(touches);
  return false;
}

}  // namespace

std::optional<bool> TrendlineController::touchesShouldHandleBySubView(const ui::TouchSet& touches,
                                                                      const ui::Event& event,
                                                                      ui::View* contentView) {
  (void)event;
  (void)contentView;
  switch (IsSelWhichTab) {
    case kPageTrend:
      return ClaimsTouch(pageView(kTagTrendPage), touches);
    case kPageKLine:
      return ClaimsTouch(pageView(kTagKLinePage), touches);
    case kPageMainForce:
    case kPageF10:
    case kPageRadar:
      return true;
    case kPageHK10:
      return ClaimsTouch(pageView(kTagHK10Page), touches);
    default:
      return false;
  }
}

std::optional<bool> TrendlineController::touchesShouldCancelByScrollView(ui::View* contentView) {
  (void)contentView;
  return IsSelWhichTab == kPageMainForce || IsSelWhichTab == kPageF10 ||
         IsSelWhichTab == kPageRadar;
}

void TrendlineController::updateDataForSubPage(int pageNumber) {
  ui::noteReached("detail page", std::string(IsStockIndex(StockType, MarketType) ? "指数"
                                             : IsStockQH(StockType, MarketType)  ? "期货"
                                             : MarketType == 3                   ? "港股"
                                             : MarketType == 16                  ? "美股"
                                                                                 : "沪深") +
                                     " " + kPageTitles[std::clamp(pageNumber, 0, 5)]);
  updateTrendTitle(pageNumber);
  IsSelWhichTab = static_cast<int16_t>(pageNumber);
  if (pageNumber == kPageKLine) showOrientalFlagImage();
  // The F10 page loads its own address: nothing of another page's is asked again over it.
  if (pageNumber == kPageF10) pageRequest_.stop();
  // F10 loads once per security; turning back to it keeps the page shown.
  if (pageNumber != kPageF10 || IsFirstSelF10_redirect) {
    if (pageNumber == kPageF10) IsFirstSelF10_redirect = 0;
    requestPageData(pageNumber);
  }
  if (pageNumber != kPageHK10) {
    if (auto* hk = page<HK10PageRole>(kTagHK10Page)) hk->refreshDetailView({}, {});
  }
}

// --- rotation --------------------------------------------------------------------------------

void TrendlineController::receivedRotate(const foundation::Notification& notification) {
  (void)notification;
  const ui::DeviceOrientation orientation = ui::Device::current().orientation();
  auto* app = VerdanAppDelegate::sharedAppDelegate();
  switch (orientation) {
    case ui::DeviceOrientation::LandscapeLeft:
    case ui::DeviceOrientation::LandscapeRight:
      if (IsShow && (IsSelWhichTab == kPageTrend || IsSelWhichTab == kPageKLine))
        presentLandscape();
      return;
    case ui::DeviceOrientation::Portrait:
    case ui::DeviceOrientation::PortraitUpsideDown:
      // A pager covered by another screen (and not by its own landscape one) has nothing to
      // turn back from: the ticker is that screen's to show or hide.
      if (!IsShow && !IsLandscapeKline) return;
      if (IsSelWhichTab != kPageTrend && IsSelWhichTab != kPageKLine) {
        if (app) app->showBottomHurricaneLamp();
        return;
      }
      leaveLandscape();
      return;
    default:
      return;
  }
}

void TrendlineController::presentLandscape() {
  if (!landscapeKline) {
    landscapeKline = Extend::produceObject<ui::ViewController>("LandscapeKline");
    if (!landscapeKline) {
      foundation::logError("TrendlineController: no landscape K-line screen");
      return;
    }
    const double side = view()->bounds().size.height;
    landscapeKline->view()->setFrame({0, 0, side, side});
    landscapeKline->setModalTransitionStyle(ui::ModalTransitionStyle::CrossDissolve);
  }
  auto* land = landscape();
  if (!land) return;
  if (!stockNameStr.empty() && !stockCodeStr.empty())
    land->SetStockInfo(stockNameStr, stockCodeStr);
  land->setDelegate(this);
  land->setTagLocalWeightData(_weightData.data(), _weightDays);
  ui::Application::shared().setStatusBarHidden(true);
  if (!IsLandscapeKline) {
    IsLandscapeKline = 1;
    presentModalViewController(landscapeKline, true);
  }
  land->changeToPage(IsSelWhichTab);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
}

void TrendlineController::leaveLandscape() {
  auto* land = landscape();
  if (IsLandscapeKline && land && land->getCurrentPage() != IsSelWhichTab)
    changeUIToSubPage(land->getCurrentPage());
  ui::Application::shared().setStatusBarHidden(false);
  if (landscapeKline && IsLandscapeKline) {
    dismissModalViewControllerAnimated(true);
  }
  if (land) land->resetWeight();
  IsLandscapeKline = 0;
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->showBottomHurricaneLamp();
}
