// The 16-byte packet header that starts every request, reply and push, and the framing around it:
//
//   0 u8 magic 0x23 | 1 u8 flags | 2 u8 PackageNum | 3 u8 PackageNo | 4 u16 checksum |
//   6 u16 body length | 8 u24 session value | 11 u8 PageID | 12 u8 MainType | 13 u8 ChildType |
//   14 u16 RequestCode (bits 0-13) + DataFlag (bits 14-15)
//
// flags: bits 0-2 compression (1 = LZW), bits 3-5 cipher (1 = CDataEncrypt), bit 6 error text.
#pragma once

#include <cstdint>

#include "core/LZW.h"
#include "core/MessageTypes.h"

constexpr int kPacketHeaderSize = 16;
constexpr uint8_t kPacketMagic = 0x23;
constexpr int kMaxBodyLen = 65535;
// Bodies longer than this are offered to the compressor.
constexpr int kCompressThreshold = 256;

constexpr uint8_t kCompressNone = 0;
constexpr uint8_t kCompressLzw = 1;
constexpr uint8_t kCipherNone = 0;
constexpr uint8_t kCipherBody = 1;

// DataFlag value that marks a pushed packet.
constexpr uint8_t kDataFlagPush = 2;

struct PacketHeader {
  uint8_t magic = kPacketMagic;
  uint8_t flags = 0;
  uint8_t PackageNum = 1;
  uint8_t PackageNo = 0;
  uint16_t checksum = 0;
  uint16_t bodyLen = 0;
  uint32_t session = 0;  // low 24 bits
  uint8_t PageID = 0;
  uint8_t MainType = 0;
  uint8_t ChildType = 0;
  uint16_t RequestCode = 0;  // low 14 bits
  uint8_t DataFlag = 0;      // 2 bits

  uint8_t compression() const { return flags & 0x07; }
  uint8_t cipher() const { return (flags >> 3) & 0x07; }
  bool isError() const { return (flags & 0x40) != 0; }
  bool isPush() const { return DataFlag == kDataFlagPush; }
  // The answer is whole with this packet: it is the last of its numbered parts, or the only one.
  bool isLastPart() const { return PackageNo + 1 >= PackageNum; }

  // Reads 16 bytes; false when fewer than 16 are given.
  static bool Read(const void* data, int len, PacketHeader* out);
  // Writes exactly 16 bytes.
  void Write(void* out) const;
};

// 16-bit little-endian word sum of the body (an odd last byte counts as a low byte).
uint16_t CalcPacketChecksum(const void* body, int len);

// Advances a request-code counter: 1, 2, ..., 16383, 1, ...; 0 is never returned.
uint16_t NextRequestCode(uint16_t& counter);

// Frames the body the caller wrote at packet + 16 (already enciphered when cipher is 1): writes
// the header and compresses the body in place when it is over 256 bytes and LZW makes it
// shorter. Returns 16 + final body length, or -1 when bodyLen is not within 0..65535.
// REQUIRES: packet holds 16 + bodyLen bytes; nothing past them is written.
int BuildPacket(uint8_t mainType, uint8_t childType, uint8_t pageId, int32_t session,
                uint16_t requestCode, void* packet, int bodyLen, uint8_t cipher);
// As BuildPacket, with the part count and part index of a multi-part message.
int BuildPacket2(uint8_t mainType, uint8_t childType, uint8_t pageId, int32_t session,
                 uint16_t requestCode, void* packet, int bodyLen, uint8_t cipher,
                 uint8_t packageNum, uint8_t packageNo);
// BuildPacket with cipher 0.
int MakeRequest(uint8_t mainType, uint8_t childType, uint8_t pageId, int32_t session,
                uint16_t requestCode, void* packet, int bodyLen);

// Result of cutting one packet off the front of received bytes.
enum class CutResult {
  Complete = 1,    // header and body delivered; `consumed` bytes may be dropped
  Incomplete = 0,  // wait for more bytes; nothing consumed
  Bad = -1,        // the stream cannot be trusted any more: close the connection
};

// Cuts the first packet of data[0..len): copies its header to *header, deciphers (key: 16 bytes)
// and decompresses the body into body[0..bodyCap). On Complete, header->bodyLen and *bodyLen
// hold the final body length, the compression and cipher bits are cleared and *consumed is the
// packet's wire length. A packet longer than maxPacket can never fit the caller's buffer and is
// Bad, as are undecipherable or undecodable bodies and unknown cipher or compression codes.
// An uncompressed body longer than bodyCap is cut to bodyCap. The input is never modified.
CutResult CutPacket(const uint8_t* data, int len, int maxPacket, const char* key, LzwWorkArea* work,
                    PacketHeader* header, uint8_t* body, int bodyCap, int* bodyLen, int* consumed);
