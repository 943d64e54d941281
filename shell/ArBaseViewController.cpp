#include "shell/ArBaseViewController.h"

#include "shell/Extend.h"

void ArBaseViewController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  view()->setBackgroundColor(gfx::Color::green());
  setTitle("ArBaseViewController");
}

void ArBaseViewController::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  Extend::setNavigationBarColorForiOS7(*this);
}
