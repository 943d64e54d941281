#include "tests/core/RequestTestSupport.h"

#include <ostream>

#include "core/DataEncrypt.h"
#include "core/LZW.h"

namespace reqtest {

RecordingSink::RecordingSink() {
  SetSendQueueSink([this](SendQueueKind kind, const uint8_t* p, int n) {
    packets.push_back({kind, std::vector<uint8_t>(p, p + n)});
  });
}

RecordingSink::~RecordingSink() {
  SetSendQueueSink(nullptr);
}

Header ReadHeader(const std::vector<uint8_t>& p) {
  Header h;
  if (p.size() < 16) {
    ADD_FAILURE() << "packet of " << p.size() << " bytes";
    return h;
  }
  h.magic = p[0];
  h.flags = p[1];
  h.packageNum = p[2];
  h.packageNo = p[3];
  h.checksum = static_cast<uint16_t>(p[4] | p[5] << 8);
  h.bodyLength = static_cast<uint16_t>(p[6] | p[7] << 8);
  h.sessionValue = static_cast<uint32_t>(p[8] | p[9] << 8 | p[10] << 16);
  h.pageId = p[11];
  h.mainType = p[12];
  h.childType = p[13];
  h.requestCode = static_cast<uint16_t>(p[14] | p[15] << 8);
  return h;
}

uint16_t WordSum(const uint8_t* body, size_t n) {
  uint32_t sum = 0;
  size_t i = 0;
  for (; i + 1 < n; i += 2) sum += body[i] | body[i + 1] << 8;
  if (i < n) sum += body[i];
  return static_cast<uint16_t>(sum);
}

void ExpectHeader(const std::vector<uint8_t>& packet, uint8_t mainType, uint8_t childType,
                  uint8_t pageId, uint32_t sessionValue, uint16_t requestCode, int cipher) {
  Header h = ReadHeader(packet);
  EXPECT_EQ(h.magic, 0x23);
  EXPECT_EQ(h.mainType, mainType);
  EXPECT_EQ(h.childType, childType);
  EXPECT_EQ(h.pageId, pageId);
  EXPECT_EQ(h.sessionValue, sessionValue & 0xFFFFFF);
  EXPECT_EQ(h.requestCode, requestCode & 0x3FFF);
  EXPECT_EQ(h.cipher(), cipher);
  EXPECT_EQ(h.flags & 0xC0, 0);
  EXPECT_EQ(h.bodyLength + 16u, packet.size());
  if (packet.size() >= 16) {
    EXPECT_EQ(h.checksum, WordSum(packet.data() + 16, packet.size() - 16));
  }
}

std::vector<uint8_t> OpenBody(const std::vector<uint8_t>& packet, const char* key) {
  Header h = ReadHeader(packet);
  std::vector<uint8_t> body(packet.begin() + 16, packet.end());
  if (h.compression() == 1) {
    std::vector<uint8_t> out(65536);
    LzwWorkArea work;
    uint32_t n = LzwDecompress(&work, body.data(), static_cast<uint16_t>(body.size()), out.data(),
                               static_cast<uint16_t>(65535));
    if (static_cast<int32_t>(n) < 0) {
      ADD_FAILURE() << "body does not expand";
      return {};
    }
    // Compression is kept only for bodies over 256 bytes that it made shorter.
    EXPECT_GT(n, 256u);
    EXPECT_LT(body.size(), n);
    out.resize(n);
    body = out;
  } else if (h.compression() != 0) {
    ADD_FAILURE() << "unknown compression " << h.compression();
    return {};
  }
  if (h.cipher() == 1) {
    std::vector<uint8_t> out(body.size() + 8);
    int n = CDataEncrypt::Decrypt(body.data(), static_cast<int>(body.size()), out.data(),
                                  static_cast<int>(out.size()), key);
    if (n < 0) {
      ADD_FAILURE() << "body does not decipher with the expected key";
      return {};
    }
    out.resize(static_cast<size_t>(n));
    body = out;
  }
  return body;
}

void PrintTo(const WireField& f, std::ostream* os) {
  *os << "{id " << int(f.id) << ", type " << int(f.type) << ", bytes";
  for (uint8_t b : f.bytes) *os << ' ' << std::hex << int(b) << std::dec;
  *os << "}";
}

std::vector<WireField> ReadOneRecord(const std::vector<uint8_t>& body) {
  std::vector<WireField> fields;
  if (body.size() < 7) {
    ADD_FAILURE() << "table head missing (" << body.size() << " bytes)";
    return fields;
  }
  int n = body[0];
  int records = body[5] | body[6] << 8;
  EXPECT_EQ(body[1] | body[2] << 8, 1) << "total records";
  EXPECT_EQ(records, 1) << "records carried";
  if (body.size() < 7u + 4u * n) {
    ADD_FAILURE() << "descriptors cut";
    return fields;
  }
  size_t at = 7 + 4 * static_cast<size_t>(n);
  for (int i = 0; i < n; ++i) {
    const uint8_t* d = body.data() + 7 + 4 * i;
    WireField f{d[0], d[3], {}};
    size_t width = d[1] | d[2] << 8;
    if (at + width > body.size()) {
      ADD_FAILURE() << "record cut at field " << int(f.id);
      return fields;
    }
    f.bytes.assign(body.begin() + at, body.begin() + at + width);
    at += width;
    fields.push_back(f);
  }
  return fields;
}

WireField Int(uint8_t id, int64_t value) {
  int width = 8;
  if (value == 0) {
    width = 0;
  } else if (value >= -128 && value <= 127) {
    width = 1;
  } else if (value >= -32768 && value <= 32767) {
    width = 2;
  } else if (value >= INT32_MIN && value <= INT32_MAX) {
    width = 4;
  }
  WireField f{id, 1, {}};
  for (int i = 0; i < width; ++i) f.bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return f;
}

WireField Text(uint8_t id, const std::string& bytes) {
  return {id, 0, std::vector<uint8_t>(bytes.begin(), bytes.end())};
}

WireField Utf16(uint8_t id, const std::u16string& units) {
  WireField f{id, 3, {}};
  for (char16_t u : units) {
    f.bytes.push_back(static_cast<uint8_t>(u));
    f.bytes.push_back(static_cast<uint8_t>(u >> 8));
  }
  return f;
}

}  // namespace reqtest
