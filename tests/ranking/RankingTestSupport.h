// Ranking screens without a server: every pushed packet is caught, and replies are made here and
// handed to the screen as the core would post them.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/ReceiveRecord.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "detail/TrendlineController.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "ranking/RankingClasses.h"
#include "ranking/SortControllers.h"
#include "ranking/StockSort.h"
#include "shell/VerdanAppDelegate.h"
#include "tests/widgets/QuoteListFixture.h"
#include "widgets/WidgetClasses.h"

namespace rankingtest {

struct SentPacket {
  PacketHeader header;
  std::vector<uint8_t> body;
};

class RankingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(std::string(VERDAN_SOURCE_DIR) + "/resources");
    gfx::Image::clearNamedCache();
    foundation::Clock::setManual();
    ui::Screen::main().setHeight(480);
    QuoteCache_Init();
    SelfStock_Clear();
    VerdanAppDelegate::registerClasses();
    RegisterWidgetClasses();
    RegisterRankingClasses();
    RegisterDetailClasses();
    StockSort::resetLastShownStartIndex();
    previous_ = SetSendQueueSink([this](SendQueueKind kind, const uint8_t* packet, int length) {
      if (kind != SendQueueKind::Center || !packet || length < 16) return;
      SentPacket sent;
      PacketHeader::Read(packet, 16, &sent.header);
      sent.body.assign(packet + 16, packet + length);
      sent_.push_back(std::move(sent));
    });
  }
  void TearDown() override {
    navigation_.reset();
    SetSendQueueSink(previous_);
    foundation::Clock::setReal();
  }

  // Makes the screen registered as `className` and loads it inside a navigation controller.
  template <class T>
  std::shared_ptr<T> Load(const std::string& className) {
    auto screen = std::dynamic_pointer_cast<T>(ui::createViewController(className));
    EXPECT_NE(screen, nullptr);
    if (!screen) return nullptr;
    navigation_ = ui::NavigationController::create(screen);
    screen->view();
    return screen;
  }

  // The request the screen sent last.
  const SentPacket& Last() const { return sent_.back(); }
  size_t SentCount() const { return sent_.size(); }

  // Hands the screen a reply (or push) of the given child type under `code`.
  static void Deliver(StockSort& screen, uint8_t childType, uint16_t code,
                      const std::vector<uint8_t>& body, bool error = false,
                      uint8_t mainType = kMainTypeQuote) {
    std::vector<uint8_t> record(kReceiveRecordSize, 0);
    const int32_t status = kReceiveStatusPacket;
    std::memcpy(record.data(), &status, 4);
    PacketHeader header;
    header.flags = error ? 0x40 : 0;
    header.bodyLen = static_cast<uint16_t>(body.size());
    header.PageID = 17;
    header.MainType = mainType;
    header.ChildType = childType;
    header.RequestCode = code;
    header.DataFlag = 1;
    header.Write(record.data() + kReceiveRecordHeaderOffset);
    if (!body.empty()) {
      std::memcpy(record.data() + kReceiveRecordBodyOffset, body.data(),
                  std::min<size_t>(body.size(), kReceiveRecordBodyCapacity));
    }
    screen.recvRecord(record.data(), static_cast<int>(record.size()));
  }

  // A sort page of `count` records from `start` that claims `total` stocks.
  static std::vector<uint8_t> SortPage(int start, int count, uint32_t total) {
    std::vector<uint8_t> body = quotelist::SortReply(start, count);
    WriteLE32(body.data() + 3, total);
    return body;
  }

  // The screen's reply to its own last request.
  void Answer(StockSort& screen, int count, uint32_t total) {
    Deliver(screen, 17, screen.lastRequestCode(), SortPage(screen.startIndex(), count, total));
  }

  std::vector<SentPacket> sent_;
  std::shared_ptr<ui::NavigationController> navigation_;

 private:
  SendQueueSink previous_;
};

}  // namespace rankingtest
