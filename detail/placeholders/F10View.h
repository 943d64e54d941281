#pragma once

#include "detail/placeholders/PageStandIn.h"

class F10View : public PageStandIn, public F10PageRole {
 public:
  F10View() : PageStandIn("F10View") {}
  void loadAddress(const std::string& address) override {
    ensureLabel();
    addresses.push_back(address);
  }
  std::vector<std::string> addresses;
};
