// The list sources of the two article pages: the home page serves the information article page,
// the radar list the radar detail page. The pages keep no list of their own; they ask their
// source for a row by index and for the row count, so stepping follows the source's current
// rows.
#pragma once

#include "platform/foundation/Value.h"

// Rows: {"title", "date", "time", "partID", "additional", "content"} (texts).
class DetailInfoDelegate {
 public:
  virtual ~DetailInfoDelegate() = default;
  // The row dictionary, or null outside 0 .. total - 1.
  virtual foundation::Value currentInfoRecord(int index) = 0;
  virtual int totalInfoRecord() = 0;
};

// Rows: {"title", "date", "time", "Node"} (texts; "Node" the alert id in decimal).
class RadarDetailInfoDelegate {
 public:
  virtual ~RadarDetailInfoDelegate() = default;
  virtual foundation::Value currentInfoRecord(int index) = 0;
  virtual int totalInfoRecord() = 0;
};

struct tagLocalStockData;

// Takes the scrolling bar's stocks chosen on the information settings screen (sent to the root
// screen of the settings screen's navigation stack when it has this role).
class MainStockRole {
 public:
  virtual ~MainStockRole() = default;
  virtual void FinishMainStock(const tagLocalStockData* stocks, int num) = 0;
};
