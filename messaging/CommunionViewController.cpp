#include "messaging/CommunionViewController.h"

#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"
#include "shell/VerdanAppDelegate.h"

void CommunionViewController::viewDidLoad() {
  Extend::resizeClientViewForiOS7(*this);
  const gfx::Rect bounds = view()->bounds();
  view()->setBackgroundColor(gfx::Color::black());
  communionView_ = CommunionView::create(gfx::Rect(0, ui::NavigationBar::kHeight, bounds.width(),
                                                   bounds.height() - ui::NavigationBar::kHeight));
  view()->addSubview(communionView_);
  communionView_->setSuperViewController(this);
  communionView_->setBackgroundColor(gfx::Color::black());
  navigationBar_ =
      ui::NavigationBar::create(gfx::Rect(0, 0, bounds.width(), ui::NavigationBar::kHeight));
  navigationBar_->setBarStyle(ui::BarStyle::Black);
  view()->addSubview(navigationBar_);
  titleNavitaionItem_ = std::make_shared<ui::NavigationItem>("");
  titleNavitaionItem_->setTitle(title());
  navigationBar_->pushNavigationItem(titleNavitaionItem_, false);
  createItemWithNoEdit();
}

CommunionView* CommunionViewController::communionView() {
  view();
  return communionView_.get();
}

void CommunionViewController::createItemWithNoEdit() {
  setBarItems("返回", &CommunionViewController::buttonAction_back, "编辑",
              &CommunionViewController::buttonAction_edit);
}

void CommunionViewController::createItemWithEdit() {
  setBarItems("取消", &CommunionViewController::buttonAction_cancle, "删除",
              &CommunionViewController::buttonAction_done);
}

void CommunionViewController::setBarItems(const char* left, Action leftAction, const char* right,
                                          Action rightAction) {
  if (!titleNavitaionItem_) return;
  auto button = [this](const char* text, Action action) {
    return ui::BarButtonItem::withTitle(text, ui::BarButtonItemStyle::Plain,
                                        ui::WhileAlive(this, action));
  };
  titleNavitaionItem_->setLeftBarButtonItem(button(left, leftAction), true);
  titleNavitaionItem_->setRightBarButtonItem(button(right, rightAction), true);
}

void CommunionViewController::buttonAction_back() {
  dismissModalViewControllerAnimated(true);
}

void CommunionViewController::buttonAction_edit() {
  editing_ = true;
  createItemWithEdit();
  communionView()->setTableEdit(true);
}

void CommunionViewController::buttonAction_cancle() {
  editing_ = false;
  createItemWithNoEdit();
  communionView()->setTableEdit(false);
}

// The marked bubbles leave the view, their messages the stored lists; the conversation is then
// shown as stored, so that the rows' positions in the lists are current again.
void CommunionViewController::buttonAction_done() {
  CommunionView* conversation = communionView();
  const foundation::Array marked = conversation->markedRows();
  conversation->clearDeleteRows();
  std::optional<foundation::Array> stored;
  if (!marked.empty() && deleteHandler_) stored = deleteHandler_(marked);
  buttonAction_cancle();
  if (stored) {
    conversation->clearAllContents();
    conversation->addContents(*stored);
    conversation->updateCommunionView();
  }
}

void CommunionViewController::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  updateCommunionView();
  communionView()->addObservers();
}

void CommunionViewController::viewWillDisappear(bool animated) {
  ui::ViewController::viewWillDisappear(animated);
  if (communionView_) communionView_->removeObservers();
}

void CommunionViewController::clearAllContents() {
  communionView()->clearAllContents();
}

void CommunionViewController::addContents(const foundation::Array& rows) {
  communionView()->addContents(rows);
}

void CommunionViewController::updateCommunionView() {
  communionView()->updateCommunionView();
}

void CommunionViewController::setTitle(const std::string& title) {
  ui::ViewController::setTitle(title);
  if (titleNavitaionItem_) titleNavitaionItem_->setTitle(title);
}
