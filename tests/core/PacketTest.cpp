#include "core/PacketHeader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/DataEncrypt.h"

TEST(Packet, ChecksumIsAPlainWordSum) {
  const uint8_t odd[] = {0x01, 0x02, 0x03};
  EXPECT_EQ(CalcPacketChecksum(odd, 3), 0x0204);
  const uint8_t wrap[] = {0xFF, 0xFF, 0x02, 0x00};
  EXPECT_EQ(CalcPacketChecksum(wrap, 4), 0x0001);
  // An Internet checksum would fold the carry and complement: this one does neither.
  const uint8_t carry[] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(CalcPacketChecksum(carry, 4), 0xFFFE);
  EXPECT_EQ(CalcPacketChecksum(odd, 0), 0);
  EXPECT_EQ(CalcPacketChecksum(nullptr, 3), 0);
}

TEST(Packet, RequestCodesSkipZero) {
  uint16_t counter = 0;
  EXPECT_EQ(NextRequestCode(counter), 1);
  counter = 16382;
  EXPECT_EQ(NextRequestCode(counter), 16383);
  EXPECT_EQ(NextRequestCode(counter), 1);
  counter = 0xFFFF;  // any stored value stays in range
  EXPECT_EQ(NextRequestCode(counter), 1);
}

TEST(Packet, HeaderBytes) {
  uint8_t p[16 + 3] = {};
  std::memcpy(p + 16, "\x01\x02\x03", 3);
  ASSERT_EQ(BuildPacket(145, 17, 12, 0x7F123456, 0xC005, p, 3, 1), 19);
  const uint8_t want[16] = {0x23, 0x08, 1,    0,  0x04, 0x02, 3,    0,
                            0x56, 0x34, 0x12, 12, 145,  17,   0x05, 0x00};
  EXPECT_EQ(0, std::memcmp(p, want, 16));

  PacketHeader h;
  ASSERT_TRUE(PacketHeader::Read(p, 16, &h));
  EXPECT_EQ(h.session, 0x123456u);
  EXPECT_EQ(h.PageID, 12);
  EXPECT_EQ(h.RequestCode, 5);
  EXPECT_EQ(h.cipher(), 1);
  EXPECT_EQ(h.compression(), 0);
  EXPECT_FALSE(PacketHeader::Read(p, 15, &h));
  uint8_t again[16];
  h.Write(again);
  EXPECT_EQ(0, std::memcmp(p, again, 16));

  // Replies: DataFlag 2 marks a push, bit 6 an error text.
  uint8_t reply[16] = {0x23, 0x40};
  WriteLE16(reply + 14, (2 << 14) | 77);
  PacketHeader::Read(reply, 16, &h);
  EXPECT_TRUE(h.isPush());
  EXPECT_TRUE(h.isError());
  EXPECT_EQ(h.RequestCode, 77);

  uint8_t part[16] = {};
  BuildPacket2(144, 106, 24, 0, 9, part, 0, 1, 3, 2);
  EXPECT_EQ(part[2], 3);
  EXPECT_EQ(part[3], 2);

  uint8_t beat[16];
  std::memset(beat, 0xEE, sizeof beat);
  ASSERT_EQ(MakeRequest(0, 0, 0, 0, 0, beat, 0), 16);
  const uint8_t heartbeat[16] = {0x23, 0, 1, 0};
  EXPECT_EQ(0, std::memcmp(beat, heartbeat, 16));
  EXPECT_EQ(BuildPacket(145, 1, 1, 0, 1, beat, -1, 0), -1);
  EXPECT_EQ(BuildPacket(145, 1, 1, 0, 1, beat, 65536, 0), -1);
}

TEST(Packet, CompressesOnlyLongBodiesThatShrink) {
  struct {
    int len;
    bool repeat;
    bool compressed;
  } cases[] = {{256, true, false},
               {257, true, true},
               {257, false, false},
               {9000, true, true},
               {9001, true, false}};
  for (auto c : cases) {
    std::vector<uint8_t> p(16 + static_cast<size_t>(c.len) + 8, 0xCC);
    uint32_t x = 99;
    for (int i = 0; i < c.len; ++i)
      p[16 + static_cast<size_t>(i)] =
          c.repeat ? 'r' : static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 24);
    std::vector<uint8_t> body(p.begin() + 16, p.begin() + 16 + c.len);
    int n = BuildPacket(145, 17, 12, 0, 3, p.data(), c.len, 0);
    PacketHeader h;
    PacketHeader::Read(p.data(), n, &h);
    EXPECT_EQ(h.compression() == kCompressLzw, c.compressed) << c.len;
    EXPECT_EQ(n, 16 + h.bodyLen);
    EXPECT_EQ(h.checksum, CalcPacketChecksum(p.data() + 16, h.bodyLen));
    EXPECT_EQ(p[16 + static_cast<size_t>(c.len)], 0xCC) << "wrote past the body";
    if (!c.compressed) {
      EXPECT_EQ(h.bodyLen, c.len);
      continue;
    }
    EXPECT_LT(h.bodyLen, c.len);
    auto work = std::make_unique<LzwWorkArea>();
    std::vector<uint8_t> back(static_cast<size_t>(c.len));
    EXPECT_EQ(LzwDecompress(work.get(), p.data() + 16, h.bodyLen, back.data(),
                            static_cast<uint16_t>(c.len)),
              static_cast<uint32_t>(c.len));
    EXPECT_EQ(back, body);
  }
}

namespace {

std::vector<uint8_t> Frame(const std::string& body, uint8_t cipher, uint16_t code) {
  std::vector<uint8_t> p(16 + body.size() + 16, 0);
  std::memcpy(p.data() + 16, body.data(), body.size());
  int len = static_cast<int>(body.size());
  if (cipher)
    len = CDataEncrypt::Encrypt(p.data() + 16, static_cast<uint16_t>(len), p.data() + 16, len + 16,
                                kRequestKey1);
  int n = BuildPacket(144, 1, 7, 0, code, p.data(), len, cipher);
  p.resize(static_cast<size_t>(n));
  return p;
}

struct Cutter {
  std::unique_ptr<LzwWorkArea> work = std::make_unique<LzwWorkArea>();
  PacketHeader header;
  uint8_t body[9000];
  int bodyLen = -1;
  int consumed = -1;
  CutResult Cut(const std::vector<uint8_t>& data, int max = 9000) {
    return CutPacket(data.data(), static_cast<int>(data.size()), max, kRequestKey1, work.get(),
                     &header, body, sizeof body, &bodyLen, &consumed);
  }
  std::string Body() const { return std::string(reinterpret_cast<const char*>(body), bodyLen); }
};

}  // namespace

// A reply body is compressed first and enciphered after, so the cutter deciphers first.
static std::vector<uint8_t> CompressedAndEnciphered(const std::string& body) {
  auto work = std::make_unique<LzwWorkArea>();
  std::vector<uint8_t> packed(9000);
  uint32_t r = LzwCompress(work.get(), reinterpret_cast<const uint8_t*>(body.data()),
                           static_cast<uint16_t>(body.size()), packed.data(), 9000);
  EXPECT_FALSE(LzwFailed(r));
  std::vector<uint8_t> p(16 + r + 16, 0);
  int len = CDataEncrypt::Encrypt(packed.data(), static_cast<uint16_t>(r), p.data() + 16,
                                  static_cast<int>(r) + 16, kRequestKey1);
  PacketHeader h;
  h.flags = (kCipherBody << 3) | kCompressLzw;
  h.bodyLen = static_cast<uint16_t>(len);
  h.checksum = CalcPacketChecksum(p.data() + 16, len);
  h.RequestCode = 2;
  h.Write(p.data());
  p.resize(16 + static_cast<size_t>(len));
  return p;
}

TEST(CutPacket, WaitsForWholePacketsAndCutsThemInOrder) {
  std::string big(400, 'z');
  std::vector<uint8_t> a = Frame("first", 0, 1), b = CompressedAndEnciphered(big);
  std::vector<uint8_t> stream = a;
  stream.insert(stream.end(), b.begin(), b.end());
  Cutter c;
  for (size_t n : {size_t{0}, size_t{15}, a.size() - 1}) {
    std::vector<uint8_t> part(stream.begin(), stream.begin() + static_cast<long>(n));
    EXPECT_EQ(c.Cut(part), CutResult::Incomplete) << n;
  }
  ASSERT_EQ(c.Cut(stream), CutResult::Complete);
  EXPECT_EQ(c.consumed, static_cast<int>(a.size()));
  EXPECT_EQ(c.Body(), "first");
  EXPECT_EQ(c.header.RequestCode, 1);

  std::vector<uint8_t> rest(stream.begin() + c.consumed, stream.end());
  ASSERT_EQ(c.Cut(rest), CutResult::Complete);
  EXPECT_EQ(c.Body(), big);
  EXPECT_EQ(c.header.bodyLen, 400);
  EXPECT_EQ(c.header.flags, 0);  // cipher and compression bits cleared
  EXPECT_EQ(c.header.RequestCode, 2);

  std::vector<uint8_t> enciphered = Frame("secret", 1, 3);
  ASSERT_EQ(c.Cut(enciphered), CutResult::Complete);
  EXPECT_EQ(c.Body(), "secret");
}

TEST(CutPacket, RejectsWhatCanNeverBeRead) {
  Cutter c;
  std::vector<uint8_t> good = Frame("hello there", 1, 3);

  std::vector<uint8_t> flipped = good;
  ASSERT_FALSE(flipped.empty());
  flipped.back() ^= 1;
  std::vector<uint8_t> before = flipped;
  EXPECT_EQ(c.Cut(flipped), CutResult::Bad);
  EXPECT_EQ(flipped, before);  // the input is left as it was

  std::vector<uint8_t> ragged = good;  // body length no longer a whole number of blocks
  ragged.pop_back();
  WriteLE16(ragged.data() + 6, static_cast<uint16_t>(ragged.size() - 16));
  EXPECT_EQ(c.Cut(ragged), CutResult::Bad);

  std::vector<uint8_t> flags = Frame("x", 0, 4);
  flags[1] = 0x02;  // compression 2
  EXPECT_EQ(c.Cut(flags), CutResult::Bad);
  flags[1] = 0x10;  // cipher 2
  EXPECT_EQ(c.Cut(flags), CutResult::Bad);

  std::vector<uint8_t> badLzw = Frame("abc", 0, 5);
  badLzw[1] = 0x01;  // claims LZW but holds plain text
  EXPECT_EQ(c.Cut(badLzw), CutResult::Bad);

  std::vector<uint8_t> huge(16, 0);
  huge[0] = 0x23;
  WriteLE16(huge.data() + 6, 9000);
  EXPECT_EQ(c.Cut(huge), CutResult::Bad);  // 9016 bytes can never fit a 9000-byte buffer
  EXPECT_EQ(c.Cut(huge, 9016), CutResult::Incomplete);
}

TEST(CutPacket, CutsAnOversizedPlainBodyToTheCapacity) {
  std::vector<uint8_t> p = Frame(std::string(50, 'q'), 0, 6);
  auto work = std::make_unique<LzwWorkArea>();
  PacketHeader h;
  uint8_t body[10];
  int len = 0, used = 0;
  ASSERT_EQ(CutPacket(p.data(), static_cast<int>(p.size()), 9000, kRequestKey1, work.get(), &h,
                      body, sizeof body, &len, &used),
            CutResult::Complete);
  EXPECT_EQ(len, 10);
  EXPECT_EQ(h.bodyLen, 10);
  EXPECT_EQ(used, 66);
}
