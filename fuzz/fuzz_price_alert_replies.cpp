// Readings of price-alert replies: the permission answer, a stored setting, lists gathered over
// packets (settings and received alerts) with their day groups and tapped stocks, and the editor's
// input check. Nothing may crash; lists stay within their row limit, codes within 9 bytes, groups
// non-empty.
//
// Input: a mode byte, then packets, each a 16-byte header whose length field gives the body that
// follows (cut to what is left). Mode 3 reads the bytes after the mode as the editor's input:
// now and previous close (4 bytes each), then three texts separated by line feeds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/CoreText.h"
#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "core/PriceAlertReplies.h"
#include "fuzz/FuzzSupport.h"

namespace {

struct Packet {
  PacketHeader header;
  const uint8_t* body;
  int len;
};

std::vector<Packet> Packets(const uint8_t* data, size_t size) {
  std::vector<Packet> out;
  while (size >= static_cast<size_t>(kPacketHeaderSize)) {
    Packet p{};
    PacketHeader::Read(data, kPacketHeaderSize, &p.header);
    data += kPacketHeaderSize;
    size -= kPacketHeaderSize;
    const size_t len = std::min<size_t>(p.header.bodyLen, size);
    p.body = data;
    p.len = static_cast<int>(len);
    out.push_back(p);
    data += len;
    size -= len;
  }
  return out;
}

void Gather(MDBF& table, const std::vector<Packet>& packets) {
  for (const Packet& p : packets) {
    GatherPriceAlertTable(table, p.header, p.body, p.len, "fuzz");
    if (table.GetRecordNum() > kPriceAlertMaxRows) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0] % 4;
  ++data;
  --size;
  switch (mode) {
    case 0: {
      for (const Packet& p : Packets(data, size)) {
        MDBF table;
        table.Parse(p.body, p.len);
        const PriceAlertShown shown = ReadPriceAlertSetting(table);
        if (!shown.changeOn && !shown.changeText.empty()) std::abort();
        PriceAlertChangeText(table.GetLong(14));
        PriceAlertChangeText(table.GetInt64(14));
        const PriceAlertPermission right = ReadPriceAlertPermission(p.body, p.len);
        if (right.held() != (right.value == 1)) std::abort();
      }
      break;
    }
    case 1: {
      MDBF table;
      Gather(table, Packets(data, size));
      for (int i = 0; i < table.GetRecordNum(); ++i) {
        table.Seek(i);
        table.GetNSString(8);
        table.GetNSString(9);
        table.GetInt(18);
      }
      break;
    }
    case 2: {
      MDBF table;
      Gather(table, Packets(data, size));
      for (const PriceAlertDay& day : GroupPriceAlerts(table)) {
        if (day.list.empty() || day.date.empty()) std::abort();
        for (const PriceAlertRow& row : day.list) {
          const PriceAlertStock stock = ReadPriceAlertStock(row);
          if (std::strlen(stock.code) > 9) std::abort();
        }
      }
      break;
    }
    default: {
      if (size < 8) return 0;
      PriceAlertInput in;
      in.now = static_cast<int32_t>(ReadLE32(data));
      in.yesterday = static_cast<int32_t>(ReadLE32(data + 4));
      const std::string rest(reinterpret_cast<const char*>(data + 8), size - 8);
      std::string* texts[] = {&in.riseText, &in.fallText, &in.changeText};
      size_t start = 0;
      for (int k = 0; k < 3 && start <= rest.size(); ++k) {
        const size_t end = std::min(rest.find('\n', start), rest.size());
        *texts[k] = rest.substr(start, end - start);
        start = end + 1;
      }
      in.riseOn = !in.riseText.empty();
      in.fallOn = !in.fallText.empty();
      in.changeOn = !in.changeText.empty();
      in.ladderOn = (data[0] & 1) != 0;
      PriceAlertUpload up;
      if (CheckPriceAlertInput(in, &up).empty()) {
        if (up.change > kPriceAlertMaxChange && up.change != kPriceAlertNoChange) std::abort();
        if (up.rise != 0 && up.rise <= in.now && in.now != 0 && in.now != INT32_MIN) std::abort();
      }
      for (const std::string* t : texts) {
        int64_t v = 0;
        if (ReadTypedDecimal(*t, 4, 4, &v) && v < 0) std::abort();
        PriceAlertInputAccepted(*t);
      }
      break;
    }
  }
  return 0;
}
