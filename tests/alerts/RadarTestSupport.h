// Shared pieces of the radar and information tests: record tables of radar and information rows,
// receive records posted as the core posts them, and a window fixture that catches what the
// screens push on the quote connection.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "alerts/AlertClasses.h"
#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "core/SendQueues.h"
#include "platform/foundation/Dates.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/Extend.h"
#include "shell/SharedTool.h"
#include "shell/VerdanAppDelegate.h"
#include "tests/widgets/WidgetTestSupport.h"
#include "testserver/Table.h"

namespace radartest {

using Bytes = std::vector<uint8_t>;

struct Alert {
  int32_t date;
  int32_t time;
  int64_t id;
  std::string title;
};

inline Bytes Serialize(MDBF& table) {
  Bytes out(65536);
  int written = 0;
  const int n = table.SerializeAll(out.data(), static_cast<int>(out.size()), &written);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

// One radar table: 20 time, 21 date, 22 id, `textField` title or text (UTF-16).
inline Bytes RadarTable(const std::vector<Alert>& alerts, int textField = 23) {
  testserver::TableWriter w;
  for (const Alert& a : alerts) {
    w.addRow();
    w.i32(20, a.time);
    w.i32(21, a.date);
    w.i64(22, a.id);
    w.utf16(static_cast<uint8_t>(textField), a.title);
  }
  return w.build();
}

// `tables` tables of `records` records whose one field is 0 bytes wide.
inline Bytes ZeroWidthTables(int tables, uint16_t records) {
  Bytes out;
  for (int i = 0; i < tables; ++i) {
    const uint8_t head[] = {1,
                            static_cast<uint8_t>(records),
                            static_cast<uint8_t>(records >> 8),
                            0,
                            0,
                            static_cast<uint8_t>(records),
                            static_cast<uint8_t>(records >> 8),
                            23,
                            0,
                            0,
                            3};
    out.insert(out.end(), head, head + sizeof head);
  }
  return out;
}

inline Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A 9020-byte receive record of a packet.
inline foundation::Data Record(uint8_t child, uint16_t code, const Bytes& body, uint8_t pageId,
                               bool error = false, uint8_t packageNo = 0, uint8_t packageNum = 1,
                               uint8_t mainType = kMainTypeQuote,
                               int32_t status = kReceiveStatusPacket) {
  foundation::Data record(kReceiveRecordSize, 0);
  std::memcpy(record.data(), &status, 4);
  PacketHeader h;
  h.flags = error ? 0x40 : 0;
  h.PackageNum = packageNum;
  h.PackageNo = packageNo;
  h.bodyLen = static_cast<uint16_t>(std::min<size_t>(body.size(), kReceiveRecordBodyCapacity));
  h.PageID = pageId;
  h.MainType = mainType;
  h.ChildType = child;
  h.RequestCode = code;
  h.DataFlag = 1;
  h.Write(record.data() + kReceiveRecordHeaderOffset);
  if (!body.empty()) std::memcpy(record.data() + kReceiveRecordBodyOffset, body.data(), h.bodyLen);
  return record;
}

inline void Post(const std::string& name, const foundation::Data& record) {
  foundation::NotificationCenter::defaultCenter().post(
      name, nullptr, foundation::Dictionary{{kReceiveRecordKey, foundation::Value(record)}});
}

// Today's date as the shell writes it (yyyymmdd of the local calendar).
inline int32_t Today() {
  return foundation::localDateNumber(foundation::currentDate());
}

struct Sent {
  PacketHeader header;
  Bytes body;
};

// A window on the manual clock, the alert classes registered and the quote connection's
// packets caught.
class ScreenTest : public widgettest::WidgetTest {
 protected:
  void SetUp() override {
    widgettest::WidgetTest::SetUp();
    foundation::UserDefaults::resetStandard();
    VerdanAppDelegate::registerClasses();
    RegisterAlertClasses();
    previous_ = SetSendQueueSink([this](SendQueueKind kind, const uint8_t* data, int length) {
      if (kind != SendQueueKind::Center) return;
      int at = 0;
      while (data && at + kPacketHeaderSize <= length) {
        Sent s;
        PacketHeader::Read(data + at, kPacketHeaderSize, &s.header);
        const int end = at + kPacketHeaderSize + s.header.bodyLen;
        if (end > length) break;
        s.body.assign(data + at + kPacketHeaderSize, data + end);
        sent.push_back(std::move(s));
        at = end;
      }
    });
  }
  void TearDown() override {
    SetSendQueueSink(previous_);
    widgettest::WidgetTest::TearDown();
  }
  // Reads the first record of a sent body into t.
  static void SentTable(const Sent& s, MDBF& t) {
    t.Parse(s.body.data(), static_cast<int>(s.body.size()));
    t.Seek(0);
  }

  std::vector<Sent> sent;

 private:
  SendQueueSink previous_;
};

}  // namespace radartest
