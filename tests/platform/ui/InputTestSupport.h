// Shared set-up of the text input, alert and sheet tests: a fresh keyboard and no alerts left
// over from an earlier test, and a recorder of notifications.
#pragma once

#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Keyboard.h"

namespace uitest {

class InputTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ui::Keyboard::shared().reset();
    ui::AlertView::dismissAll();
    ui::ActionSheet::dismissAll();
  }
  void TearDown() override {
    ui::AlertView::dismissAll();
    ui::ActionSheet::dismissAll();
    ui::Keyboard::shared().reset();
    foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
    UiTest::TearDown();
  }

  // Records every post of the names (in order) with its userInfo.
  void record(const std::vector<std::string>& names) {
    for (const auto& name : names)
      foundation::NotificationCenter::defaultCenter().addObserver(
          this, name, [this](const foundation::Notification& n) { posted.push_back(n); });
  }
  std::vector<std::string> postedNames() const {
    std::vector<std::string> out;
    for (const auto& n : posted) out.push_back(n.name);
    return out;
  }

  std::vector<foundation::Notification> posted;
};

}  // namespace uitest
