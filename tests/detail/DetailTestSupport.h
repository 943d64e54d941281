// The detail pager without a server: every pushed packet is caught, and replies are built here
// and posted as the core posts them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/CoreState.h"
#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/ReceiveRecord.h"
#include "core/SearchHistory.h"
#include "core/SendQueues.h"
#include "detail/TrendlineController.h"
#include "panels/DetailView.h"
#include "panels/F10View.h"
#include "panels/HK10DangView.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Object.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Screen.h"
#include "shell/VerdanAppDelegate.h"
#include "tests/detail/KLinePageRecorder.h"
#include "tests/detail/LandscapeRecorder.h"
#include "tests/detail/TrendPageRecorder.h"

namespace detailtest {

struct Packet {
  PacketHeader header;
  std::vector<uint8_t> body;
};

// One call of a send queue: the packets it carried.
struct Push {
  SendQueueKind kind;
  std::vector<Packet> packets;
};

// A radar page registered for the tests: keeps what it is handed.
class RadarStandIn : public ui::View, public RadarListRole {
 public:
  void setPageId(int id) override { pageId = id; }
  void updateNoItemsLabel(const std::string& text) override { noItems = text; }
  void SetRadarTitle(const foundation::Data& record) override {
    ReceiveRecordView view;
    if (!ReceiveRecordView::From(record.data(), static_cast<int>(record.size()), view)) return;
    SetRadarTitle(view.body, view.bodyLen);
  }
  int pageId = 0;
  std::string noItems;
  void setCurrentNavigationController(ui::NavigationController* navigation) override {
    navigation_ = navigation;
    ++navigations;
  }
  void SetRadarTitle(const uint8_t* body, int length) override {
    content.assign(body, body + (body ? length : 0));
    ++titles;
  }
  std::vector<uint8_t> content{1};
  int titles = 0;
  int navigations = 0;

 private:
  ui::NavigationController* navigation_ = nullptr;
};

// A stock key followed by `rest`.
inline std::vector<uint8_t> Keyed(uint8_t market, const char* code, std::vector<uint8_t> rest) {
  std::vector<uint8_t> out(9, 0);
  out[0] = market;
  std::memcpy(out.data() + 1, code, std::min<size_t>(std::strlen(code), 8));
  for (uint8_t b : rest) out.push_back(b);  // a range insert trips GCC 12 -O2 bounds checks
  return out;
}

// Merges a quote (market, code, now, date) into the cache as a child-10 reply would.
inline void CacheQuote(uint8_t market, const char* code, int32_t now, int date) {
  std::vector<uint8_t> body{4, 9, 10, 5, 21, market};
  char text[8] = {};
  std::memcpy(text, code, std::min<size_t>(std::strlen(code), 8));
  body.insert(body.end(), text, text + 8);
  uint8_t word[4];
  WriteLE32(word, static_cast<uint32_t>(now));
  body.insert(body.end(), word, word + 4);
  tagDateMin stamp{};
  stamp.Year = static_cast<uint32_t>(date / 10000);
  stamp.Month = static_cast<uint32_t>(date / 100 % 100);
  stamp.Day = static_cast<uint32_t>(date % 100);
  stamp.Hour = 10;
  std::memcpy(word, &stamp, 4);
  body.insert(body.end(), word, word + 4);
  ASSERT_GT(QuoteCache_MergeOne(body.data(), body.size()), 0);
}

class DetailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
    foundation::Clock::setManual();
    ui::Screen::main().setHeight(480);
    ui::Device::current().reset();
    QuoteCache_Init();
    ParseRightsList("30,31");
    VerdanAppDelegate::registerClasses();
    RegisterDetailClasses();
    RegisterRecordingTrendPage();
    RegisterRecordingLandscape();
    RegisterRecordingKLinePage();
    ui::ClassRegistry::shared().registerClass<RadarStandIn>("RadarView");
    previous_ = SetSendQueueSink([this](SendQueueKind kind, const uint8_t* data, int length) {
      Push push{kind, {}};
      int at = 0;
      while (data && at + kPacketHeaderSize <= length) {
        Packet packet;
        PacketHeader::Read(data + at, kPacketHeaderSize, &packet.header);
        const int end = at + kPacketHeaderSize + packet.header.bodyLen;
        if (end > length) break;
        packet.body.assign(data + at + kPacketHeaderSize, data + end);
        push.packets.push_back(std::move(packet));
        at = end;
      }
      pushes.push_back(std::move(push));
    });
  }
  void TearDown() override {
    navigation.reset();
    pager.reset();
    SetSendQueueSink(previous_);
    ui::Device::current().reset();
    foundation::Clock::setReal();
  }

  // A pager for the security, loaded inside a navigation controller and on screen.
  void Open(const char* code, uint8_t market, uint8_t type) {
    pager = ui::ClassRegistry::shared().create<TrendlineController>("TrendlineController");
    ASSERT_NE(pager, nullptr);
    pager->SetStockInfo(code, market, type);
    navigation = ui::NavigationController::create(pager);
    pager->view();
    pushes.clear();
    pager->viewWillAppear(false);
    pager->viewDidAppear(false);
  }

  // The quote-connection pushes since the last clear.
  std::vector<Push> CenterPushes() const {
    std::vector<Push> out;
    for (const Push& p : pushes)
      if (p.kind == SendQueueKind::Center) out.push_back(p);
    return out;
  }

  template <class T>
  T* Page(int tag) const {
    return dynamic_cast<T*>(pager->pageView(tag));
  }

  // Posts a record as the quote connection does.
  static void Post(const char* name, uint8_t mainType, uint8_t child, uint16_t code,
                   const std::vector<uint8_t>& body, uint8_t dataFlag = 1, bool error = false,
                   uint8_t packageNo = 0, uint8_t packageCount = 1) {
    foundation::Data record(kReceiveRecordSize, 0);
    const int32_t status = kReceiveStatusPacket;
    std::memcpy(record.data(), &status, 4);
    PacketHeader header;
    header.flags = error ? 0x40 : 0;
    header.PackageNo = packageNo;
    header.PackageNum = packageCount;
    header.bodyLen = static_cast<uint16_t>(body.size());
    header.PageID = 13;
    header.MainType = mainType;
    header.ChildType = child;
    header.RequestCode = code;
    header.DataFlag = dataFlag;
    header.Write(record.data() + kReceiveRecordHeaderOffset);
    if (!body.empty())
      std::memcpy(record.data() + kReceiveRecordBodyOffset, body.data(),
                  std::min<size_t>(body.size(), kReceiveRecordBodyCapacity));
    foundation::NotificationCenter::defaultCenter().post(
        name, nullptr, foundation::Dictionary{{kReceiveRecordKey, foundation::Value(record)}});
  }
  void Quote(uint8_t child, int slot, const std::vector<uint8_t>& body, uint8_t flag = 1,
             bool error = false, uint8_t packageNo = 0, uint8_t packageCount = 1) {
    Post("TrendLine", kMainTypeQuote, child, static_cast<uint16_t>(pager->requestCode(slot)), body,
         flag, error, packageNo, packageCount);
  }

  std::shared_ptr<TrendlineController> pager;
  std::shared_ptr<ui::NavigationController> navigation;
  std::vector<Push> pushes;

 private:
  SendQueueSink previous_;
};

// A field list in wire form.
inline std::vector<uint8_t> Ids(std::initializer_list<uint8_t> ids) {
  std::vector<uint8_t> out{static_cast<uint8_t>(ids.size())};
  for (uint8_t id : ids) out.push_back(id);  // a range insert trips GCC 12 -O2 bounds checks
  return out;
}

}  // namespace detailtest
