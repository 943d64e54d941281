#include "shell/MoreController.h"

#include "core/AppHooks.h"
#include "core/CoreState.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/Object.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "shell/ConfigManager.h"
#include "shell/Extend.h"
#include "shell/FunctionRights.h"
#include "shell/TabBarController.h"

namespace {

constexpr char kOneMarketSortClass[] = "OneMarketSortController";
constexpr char kMoreAccountClass[] = "AccountManager";
constexpr char kMessageClass[] = "MyMessage";
// Tab slots of the start-up code: the market lists and the More screen.
constexpr int kMarketListSlot = 1;
constexpr int kMoreSlot = 8;
constexpr double kBarHeight = 54;

// Hint requests of this run.
int g_hintRequests = 0;

}  // namespace

MoreController::MoreController() = default;

MoreController::~MoreController() {
  if (hintTimer_) hintTimer_->invalidate();
  if (showView_) showView_->removeFromSuperview();
}

std::shared_ptr<MoreController> MoreController::create() {
  auto controller = std::make_shared<MoreController>();
  // The overlay exists from the start, shown or not.
  controller->view();
  return controller;
}

void MoreController::registerClass() {
  ui::ClassRegistry::shared().registerClass(
      "MoreController", [] { return std::static_pointer_cast<ui::Object>(create()); });
}

void MoreController::resetHintCount() {
  g_hintRequests = 0;
}

bool MoreController::isGuest() {
  return IsLoginUserNameEmpty() != 0 || IsGuestLogin() != 0;
}

MoreScreenHost* MoreController::host() const {
  if (auto host = host_.lock()) return host.get();
  return dynamic_cast<MoreScreenHost*>(ui::Application::shared().delegate());
}

void MoreController::viewDidLoad() {
  view()->setBackgroundColor(gfx::Color::black());
  Extend::resizeClientViewForiOS7(*this);
  Extend::setNavigationBarColorForiOS7(*this);
  setTitle(kMoreTitle);

  const double screenHeight = ui::Screen::main().bounds().height();
  const double b = static_cast<int>(screenHeight - 109);

  showView_ = ui::View::create(gfx::Rect(0, 20, 320, b + 44));
  showView_->setBackgroundColor(gfx::Color::clear());

  titleBar_ = ui::View::create(gfx::Rect(0, 0, 320, 44));
  // The panel lies over the screen of the current tab: its bar hides that screen's bar whole
  // (an opaque ground under the bar's picture), so no title or button shows through.
  titleBar_->setBackgroundColor(gfx::Color::black());
  auto barPicture = ui::ImageView::create(titleBar_->bounds());
  barPicture->setBackgroundColor(gfx::Color::pattern(gfx::Image::named("bg_navigationbar.png")));
  titleBar_->addSubview(barPicture);
  auto title = ui::Label::create(gfx::Rect(0, 0, 80, 24));
  title->setText(kMoreTitle);
  title->setBackgroundColor(gfx::Color::clear());
  title->setTextAlignment(gfx::TextAlignment::Center);
  title->setFont(gfx::Font::boldSystemFont(18));
  title->setTextColor(gfx::Color::white());
  title->setCenter(gfx::Point(160, 22));
  titleBar_->addSubview(title);

  toolBar_ = ui::Toolbar::create(gfx::Rect(5, 0, 46, 44));
  toolBar_->setBarStyle(ui::BarStyle::Black);
  toolBar_->setBackgroundColor(gfx::Color::clear());
  toolBar_->setDrawsBackground(false);
  std::weak_ptr<MoreController> weakSelf = sharedAs<MoreController>();
  btnEdit_ = ui::BarButtonItem::withTitle(kMoreEditTitle, ui::BarButtonItemStyle::Bordered,
                                          [weakSelf](ui::BarButtonItem&) {
                                            if (auto self = weakSelf.lock())
                                              self->Btn_EditClicked();
                                          });
  toolBar_->setItems({btnEdit_});
  titleBar_->addSubview(toolBar_);
  editEnabled_ = false;
  showView_->addSubview(titleBar_);

  touchView_ = BaseView::create(gfx::Rect(0, 44, 320, b));
  touchView_->setBackgroundColor(gfx::Color::darkGrey());
  // Dark enough to hide the screen under the panel: its texts would show through only as
  // colours nobody could read.
  touchView_->setAlpha(0.9);
  touchView_->setClickDelegate(sharedAs<myBaseViewDelegate>());
  showView_->addSubview(touchView_);

  homeTabBarView_ = HomeTabBarView::create(gfx::Rect(0, 44 + b - kBarHeight, 320, kBarHeight));
  homeTabBarView_->setDelegate(sharedAs<HomeMoveViewDelegate>());
  homeTabBarView_->setTag(kHomeTabBarViewTag);

  homeMoveView_ = HomeMoveView::create(gfx::Rect(0, 44, 320, b - kBarHeight));
  homeMoveView_->setDelegate(sharedAs<HomeMoveViewDelegate>());
  homeMoveView_->setTag(kHomeMoveViewTag);
  homeMoveView_->setHidden(true);

  showView_->addSubview(homeTabBarView_);
  showView_->addSubview(homeMoveView_);
}

void MoreController::Btn_EditClicked() {
  if (editEnabled_)
    endEdit();
  else
    beginEdit();
}

void MoreController::beginEdit() {
  if (editEnabled_) return;
  editEnabled_ = true;
  btnEdit_->setTitle(kMoreDoneTitle);
  showMoveView();
  homeMoveView_->setMoveEnabled(true);
  homeTabBarView_->setMoveEnabled(true);
}

void MoreController::endEdit() {
  if (!editEnabled_) return;
  editEnabled_ = false;
  btnEdit_->setTitle(kMoreEditTitle);
  hideMoveView();
  homeMoveView_->setMoveEnabled(false);
  homeTabBarView_->setMoveEnabled(false);
}

void MoreController::showMoveView() {
  homeMoveView_->setHidden(false);
  showSlideDownFlagImage();
}

void MoreController::hideMoveView() {
  homeMoveView_->setHidden(true);
  handleMoveUpDownFlag();
}

void MoreController::showSlideDownFlagImage() {
  ++g_hintRequests;
  if (g_hintRequests > kHintShows) return;
  if (!slideDownFlagImage_) {
    slideDownFlagImage_ = ui::ImageView::create(gfx::Rect(45, 150, 333, 222));
    slideDownFlagImage_->setImage(gfx::Image::named("info-SlideDown.png"));
    slideDownFlagImage_->setBackgroundColor(gfx::Color::black());
    slideDownFlagImage_->setAlpha(0.8);
    slideDownFlagImage_->setHidden(true);
    showView_->addSubview(slideDownFlagImage_);
  }
  // On top of the bar.
  const double overlayHeight = showView_->bounds().height();
  const double hintHeight = slideDownFlagImage_->bounds().height();
  slideDownFlagImage_->setCenter(gfx::Point(160, overlayHeight - hintHeight / 2 - kBarHeight));
  slideDownFlagImage_->setHidden(false);
  showView_->bringSubviewToFront(slideDownFlagImage_.get());
  // A hint shown again gets its full time.
  if (hintTimer_) hintTimer_->invalidate();
  std::weak_ptr<MoreController> weakSelf = sharedAs<MoreController>();
  hintTimer_ = foundation::Timer::schedule(kHintSeconds, false, [weakSelf](foundation::Timer&) {
    if (auto self = weakSelf.lock()) self->handleMoveUpDownFlag();
  });
}

void MoreController::handleMoveUpDownFlag() {
  if (hintTimer_) {
    hintTimer_->invalidate();
    hintTimer_.reset();
  }
  if (!slideDownFlagImage_) return;
  slideDownFlagImage_->setHidden(true);
  slideDownFlagImage_->removeFromSuperview();
  slideDownFlagImage_.reset();
}

void MoreController::showInWindow() {
  if (showView_->superview()) return;
  const bool guest = isGuest();
  homeTabBarView_->updateItemStatusAfterLogin(guest);
  homeMoveView_->updateItemStatusAfterLogin(guest);
  ui::Window* window = ui::Application::shared().keyWindow();
  if (!window) {
    foundation::logError("MoreController::showInWindow: no key window");
    return;
  }
  window->addSubview(showView_);
  window->bringSubviewToFront(showView_.get());
}

void MoreController::removeFromWindow() {
  if (!showView_->superview()) return;
  endEdit();
  showView_->removeFromSuperview();
}

bool MoreController::beShowingInWindow() const {
  return showView_ && showView_->superview() != nullptr;
}

void MoreController::myBaseViewDidClick(BaseView&) {
  if (editEnabled_) return;
  auto self = sharedAs<MoreController>();
  removeFromWindow();
  if (MoreScreenHost* h = host())
    if (TabBarController* tabs = h->customTabBarController()) tabs->refreshTabBarSelState();
}

void MoreController::HomeMoveViewRefreshInsteadItem(bool over, gfx::Point point) {
  if (over) {
    const int slot = homeTabBarView_->getRectIndexFromPoint(point);
    if (slot >= 0) homeTabBarView_->updateInsteadStatus(true, slot);
  } else {
    homeTabBarView_->updateInsteadStatus(false, 0);
  }
}

bool MoreController::HomeMoveViewItemShouldRemove(HomeMoveView& view, int, gfx::Point point) {
  return view.tag() == kHomeMoveViewTag && homeTabBarView_->getRectIndexFromPoint(point) >= 0;
}

void MoreController::HomeMoveViewItemRemoved(HomeMoveView& view, int functionID, int,
                                             gfx::Point point) {
  if (view.tag() != kHomeMoveViewTag) return;
  const int slot = homeTabBarView_->getRectIndexFromPoint(point);
  // A function already on the bar trades places with the slot's function: one function, one slot.
  int held = -1;
  for (int k = 0; k < homeTabBarView_->itemCount() && held < 0; ++k) {
    const HomeItemView* item = homeTabBarView_->itemAtPosition(k);
    if (k != slot && item && item->functionID() == functionID) held = k;
  }
  const int previous = homeTabBarView_->insteadItemView(slot, functionID);
  if (held >= 0) homeTabBarView_->insteadItemView(held, previous);
  homeTabBarView_->updateItemStatusAfterLogin(isGuest());
}

void MoreController::HomeMoveViewItemClicked(HomeMoveView& view, int functionID, int) {
  if (view.tag() != kHomeTabBarViewTag || editEnabled_) return;
  if (functionID == -1) {
    beginEdit();
    return;
  }
  auto config = ConfigManager::sharedObject();
  if (!config->isValidFunctionID(functionID)) return;
  openFunction(functionID);
}

void MoreController::openFunction(int functionID) {
  auto self = sharedAs<MoreController>();
  removeFromWindow();
  auto config = ConfigManager::sharedObject();
  const foundation::Value param = config->functionAt(functionID);
  const std::string name = config->functionClassName(functionID);
  MoreScreenHost* h = host();
  if (!h) {
    foundation::logError("MoreController: no host to open %s", name.c_str());
    return;
  }
  if (name == kOneMarketSortClass) {
    h->changeTabBarSelController(kMarketListSlot, param);
    return;
  }
  if (name == kMoreAccountClass) {
    h->showAccountManagerOnSelController();
    return;
  }
  // The grid and the bar ask the same table as the tabs: a function the session may not use
  // does not open, and the refusal names what is missing.
  if (name != kMessageClass && !FunctionRights::allows(name)) {
    FunctionRights::refuse(name, h->refusalDelegate(), h->refusalTag());
    return;
  }
  h->changeToDefaultTabBarSelControllerForiOS7();
  if (name != kMessageClass) {
    h->changeTabBarSelController(kMoreSlot, foundation::Value());
    if (ui::NavigationController* navigation = navigationController())
      navigation->popToViewController(this, false);
  } else if (!FunctionRights::allows(name)) {
    CoreAlert alert;
    alert.message = kMoreGuestMessageText;
    alert.buttons = {"确定"};
    ShowCoreAlert(std::move(alert));
    return;
  }
  auto screen = Extend::produceObject<ui::ViewController>(name);
  if (!screen) {
    foundation::logError("MoreController: cannot open %s", name.c_str());
    return;
  }
  FunctionRights::watch(screen, name);
  // No back button: the screen is left through the tab bar.
  auto blank = ui::View::create(gfx::Rect(0, 0, 30, 44));
  blank->setAlpha(0);
  screen->navigationItem().setLeftBarButtonItem(ui::BarButtonItem::withCustomView(blank));
  ui::NavigationController* navigation = navigationController();
  if (name == kMessageClass) {
    // The tab is not changed for the message centre, so it opens over the tab the user is on:
    // pushed on the More tab while another tab shows, nobody would see it.
    if (TabBarController* tabs = h->customTabBarController()) {
      if (auto* selected = dynamic_cast<ui::NavigationController*>(tabs->selectedViewController()))
        navigation = selected;
    }
  }
  if (navigation)
    navigation->pushViewController(screen, true);
  else
    foundation::logError("MoreController: no navigation controller for %s", name.c_str());
}
