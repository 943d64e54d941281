#include "core/PacketHeader.h"

#include <cstring>
#include <memory>
#include <vector>

#include "core/ByteOrder.h"
#include "core/DataEncrypt.h"
#include "platform/foundation/Log.h"

bool PacketHeader::Read(const void* data, int len, PacketHeader* out) {
  if (!data || !out || len < kPacketHeaderSize) return false;
  const auto* p = static_cast<const uint8_t*>(data);
  out->magic = p[0];
  out->flags = p[1];
  out->PackageNum = p[2];
  out->PackageNo = p[3];
  out->checksum = ReadLE16(p + 4);
  out->bodyLen = ReadLE16(p + 6);
  out->session = p[8] | (p[9] << 8) | (static_cast<uint32_t>(p[10]) << 16);
  out->PageID = p[11];
  out->MainType = p[12];
  out->ChildType = p[13];
  uint16_t code = ReadLE16(p + 14);
  out->RequestCode = code & 0x3FFF;
  out->DataFlag = static_cast<uint8_t>(code >> 14);
  return true;
}

void PacketHeader::Write(void* out) const {
  auto* p = static_cast<uint8_t*>(out);
  p[0] = magic;
  p[1] = flags;
  p[2] = PackageNum;
  p[3] = PackageNo;
  WriteLE16(p + 4, checksum);
  WriteLE16(p + 6, bodyLen);
  p[8] = static_cast<uint8_t>(session);
  p[9] = static_cast<uint8_t>(session >> 8);
  p[10] = static_cast<uint8_t>(session >> 16);
  p[11] = PageID;
  p[12] = MainType;
  p[13] = ChildType;
  WriteLE16(p + 14, static_cast<uint16_t>((RequestCode & 0x3FFF) | ((DataFlag & 3) << 14)));
}

uint16_t CalcPacketChecksum(const void* body, int len) {
  if (!body || len <= 0) return 0;
  const auto* p = static_cast<const uint8_t*>(body);
  uint32_t sum = 0;
  int i = 0;
  for (; i + 2 <= len; i += 2) sum += ReadLE16(p + i);
  if (i < len) sum += p[i];
  return static_cast<uint16_t>(sum);
}

uint16_t NextRequestCode(uint16_t& counter) {
  counter = static_cast<uint16_t>((counter + 1) % 16384);
  if (counter == 0) counter = 1;
  return counter;
}

int BuildPacket2(uint8_t mainType, uint8_t childType, uint8_t pageId, int32_t session,
                 uint16_t requestCode, void* packet, int bodyLen, uint8_t cipher,
                 uint8_t packageNum, uint8_t packageNo) {
  if (!packet || bodyLen < 0 || bodyLen > kMaxBodyLen) {
    foundation::logError("BuildPacket: bad body length %d", bodyLen);
    return -1;
  }
  auto* p = static_cast<uint8_t*>(packet);
  uint8_t* body = p + kPacketHeaderSize;
  PacketHeader h;
  h.MainType = mainType;
  h.ChildType = childType;
  h.PageID = pageId;
  h.session = static_cast<uint32_t>(session) & 0xFFFFFF;
  h.flags = static_cast<uint8_t>((cipher & 7) << 3);
  h.PackageNum = packageNum;
  h.PackageNo = packageNo;
  h.RequestCode = requestCode & 0x3FFF;

  if (bodyLen > kCompressThreshold) {
    // The work area is large and compression is rare: allocate it only for this packet.
    auto work = std::make_unique<LzwWorkArea>();
    uint8_t scratch[kLzwMaxInput];
    // Bodies over 9000 bytes are refused by the compressor and go as they are.
    uint32_t r =
        LzwCompress(work.get(), body, static_cast<uint16_t>(bodyLen), scratch, sizeof scratch);
    if (!LzwFailed(r) && r < static_cast<uint32_t>(bodyLen)) {
      std::memcpy(body, scratch, r);
      bodyLen = static_cast<int>(r);
      h.flags |= kCompressLzw;
    }
  }
  h.checksum = CalcPacketChecksum(body, bodyLen);
  h.bodyLen = static_cast<uint16_t>(bodyLen);
  h.Write(p);
  return kPacketHeaderSize + bodyLen;
}

int BuildPacket(uint8_t mainType, uint8_t childType, uint8_t pageId, int32_t session,
                uint16_t requestCode, void* packet, int bodyLen, uint8_t cipher) {
  return BuildPacket2(mainType, childType, pageId, session, requestCode, packet, bodyLen, cipher, 1,
                      0);
}

int MakeRequest(uint8_t mainType, uint8_t childType, uint8_t pageId, int32_t session,
                uint16_t requestCode, void* packet, int bodyLen) {
  return BuildPacket(mainType, childType, pageId, session, requestCode, packet, bodyLen,
                     kCipherNone);
}

CutResult CutPacket(const uint8_t* data, int len, int maxPacket, const char* key, LzwWorkArea* work,
                    PacketHeader* header, uint8_t* body, int bodyCap, int* bodyLen, int* consumed) {
  if (!data || len < kPacketHeaderSize) return CutResult::Incomplete;
  PacketHeader h;
  PacketHeader::Read(data, len, &h);
  int total = kPacketHeaderSize + h.bodyLen;
  if (total > maxPacket) {
    foundation::logError("CutPacket: packet of %d bytes exceeds %d", total, maxPacket);
    return CutResult::Bad;
  }
  if (len < total) return CutResult::Incomplete;
  if (h.cipher() > kCipherBody || h.compression() > kCompressLzw) {
    foundation::logError("CutPacket: unknown flags 0x%02x", h.flags);
    return CutResult::Bad;
  }
  if (!header || !body || bodyCap < 0 || (h.compression() == kCompressLzw && !work))
    return CutResult::Bad;

  const uint8_t* src = data + kPacketHeaderSize;
  int srcLen = h.bodyLen;
  // Deciphered text goes to a per-thread scratch so the caller's bytes stay as received.
  thread_local std::vector<uint8_t> plain;
  if (h.cipher() == kCipherBody) {
    if (plain.size() < static_cast<size_t>(srcLen)) plain.resize(kMaxBodyLen + 1);
    int r = CDataEncrypt::Decrypt(src, srcLen, plain.data(), srcLen, key);
    if (r < 0) {
      foundation::logError("CutPacket: body of %d bytes does not decipher (%d)", srcLen, r);
      return CutResult::Bad;
    }
    src = plain.data();
    srcLen = r;
    h.flags &= 0xC7;
  }
  int out;
  if (h.compression() == kCompressLzw) {
    uint16_t cap = static_cast<uint16_t>(bodyCap > kMaxBodyLen ? kMaxBodyLen : bodyCap);
    uint32_t r = LzwDecompress(work, src, static_cast<uint16_t>(srcLen), body, cap);
    if (LzwFailed(r)) {
      foundation::logError("CutPacket: body does not decompress (0x%08x)", r);
      return CutResult::Bad;
    }
    out = static_cast<int>(r);
    h.flags &= 0xF8;
  } else {
    out = srcLen < bodyCap ? srcLen : bodyCap;
    if (out > 0) std::memcpy(body, src, static_cast<size_t>(out));
  }
  h.bodyLen = static_cast<uint16_t>(out);
  *header = h;
  if (bodyLen) *bodyLen = out;
  if (consumed) *consumed = total;
  return CutResult::Complete;
}
