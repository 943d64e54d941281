#include "shell/BaseView.h"

void BaseView::touchesEnded(const ui::TouchSet&, const ui::Event&) {
  if (auto delegate = clickDelegate_.lock()) delegate->myBaseViewDidClick(*this);
}
