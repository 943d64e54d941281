// Helpers for the request-builder tests: a recording send-queue sink, a header reader, the
// decipher/decompress steps of a receiver, and an independent reader of one-record tables
// so each field's id, type and bytes can be checked in wire order.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/SendQueues.h"

namespace reqtest {

struct Queued {
  SendQueueKind kind;
  std::vector<uint8_t> bytes;
};

// Installs itself as the send-queue sink for its lifetime.
class RecordingSink {
 public:
  RecordingSink();
  ~RecordingSink();
  std::vector<Queued> packets;
};

struct Header {
  uint8_t magic = 0, flags = 0, packageNum = 0, packageNo = 0;
  uint16_t checksum = 0, bodyLength = 0;
  uint32_t sessionValue = 0;
  uint8_t pageId = 0, mainType = 0, childType = 0;
  uint16_t requestCode = 0;
  int compression() const { return flags & 7; }
  int cipher() const { return (flags >> 3) & 7; }
};

Header ReadHeader(const std::vector<uint8_t>& packet);
uint16_t WordSum(const uint8_t* body, size_t n);

// Checks the header fields that every request shares with what is expected; checks the
// checksum and length against the bytes after the header.
void ExpectHeader(const std::vector<uint8_t>& packet, uint8_t mainType, uint8_t childType,
                  uint8_t pageId, uint32_t sessionValue, uint16_t requestCode, int cipher);

// The body as the server reads it: expanded when compressed, deciphered with key (16 bytes)
// when enciphered. Fails the test (empty result) when a step fails.
std::vector<uint8_t> OpenBody(const std::vector<uint8_t>& packet, const char* key);

struct WireField {
  uint8_t id;
  uint8_t type;
  std::vector<uint8_t> bytes;
  bool operator==(const WireField& o) const {
    return id == o.id && type == o.type && bytes == o.bytes;
  }
};
void PrintTo(const WireField& f, std::ostream* os);

// Reads a table of one record; fails the test when it is not one.
std::vector<WireField> ReadOneRecord(const std::vector<uint8_t>& body);

// Expected fields: integers at their smallest width, texts as bytes, UTF-16 as LE units.
WireField Int(uint8_t id, int64_t value);
WireField Text(uint8_t id, const std::string& bytes);
WireField Utf16(uint8_t id, const std::u16string& units);

inline std::vector<uint8_t> B(std::initializer_list<int> bytes) {
  std::vector<uint8_t> out;
  for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
  return out;
}

}  // namespace reqtest
