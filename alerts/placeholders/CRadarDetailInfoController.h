// Stand-in for the radar detail page until it is built: keeps the list source and the row it
// was opened on.
#pragma once

#include <memory>

#include "alerts/InfoDelegates.h"
#include "platform/ui/ViewController.h"

class CRadarDetailInfoController : public ui::ViewController {
 public:
  void setDelegate(std::weak_ptr<RadarDetailInfoDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  void updateCurrentView(int index) { current_ = index; }

  std::shared_ptr<RadarDetailInfoDelegate> delegate() const { return delegate_.lock(); }
  int currentRecord() const { return current_; }

 private:
  std::weak_ptr<RadarDetailInfoDelegate> delegate_;
  int current_ = -1;
};
