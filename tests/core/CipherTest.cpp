#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/DataEncrypt.h"
#include "core/RC5.h"
#include "core/RequestBody.h"
#include "platform/foundation/Log.h"

namespace {

std::vector<uint8_t> Hex(const std::string& s) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < s.size(); i += 2)
    out.push_back(static_cast<uint8_t>(std::stoi(s.substr(i, 2), nullptr, 16)));
  return out;
}

std::string ToHex(const uint8_t* p, size_t n) {
  static const char* d = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    s += d[p[i] >> 4];
    s += d[p[i] & 15];
  }
  return s;
}

RC5KeySchedule KeySchedule(const std::string& keyHex, int rounds) {
  std::vector<uint8_t> k = Hex(keyHex);
  RC5KeySchedule ks;
  RC5SetKey(&ks, static_cast<int>(k.size()), k.data(), rounds);
  return ks;
}

// One block through the block primitive (the test host is little-endian like the wire).
void DecipherOneBlock(const uint8_t* in, const RC5KeySchedule& ks, uint8_t* out) {
  uint32_t block[2];
  std::memcpy(block, in, 8);
  RC5DecryptBlock(block, &ks);
  std::memcpy(out, block, 8);
}

// A CBC vector: key, round count, IV and one plain and one cipher block, in hex.
struct CbcVector {
  const char* key;
  int rounds;
  const char* iv;
  const char* plain;
  const char* cipher;
};

std::string EncryptBlock(const std::string& key, int rounds, const std::string& plain) {
  std::vector<uint8_t> p = Hex(plain);
  RC5KeySchedule ks = KeySchedule(key, rounds);
  uint8_t iv[8] = {};
  uint8_t out[8];
  RC5CbcEncrypt(p.data(), out, 8, &ks, iv, 1);
  return ToHex(out, 8);
}

}  // namespace

// Published single-block vectors (a zero IV makes CBC one plain block encryption).
TEST(RC5, PublishedBlockVectors) {
  struct {
    const char* key;
    int rounds;
    const char* plain;
    const char* cipher;
  } cases[] = {
      // Rivest's paper, RC5-32/12/16, each plaintext the previous ciphertext.
      {"00000000000000000000000000000000", 12, "0000000000000000", "21a5dbee154b8f6d"},
      {"915f4619be41b2516355a50110a9ce91", 12, "21a5dbee154b8f6d", "f7c013ac5b2b8952"},
      {"783348e75aeb0f2fd7b169bb8dc16787", 12, "f7c013ac5b2b8952", "2f42b3b70369fc92"},
      {"dc49db1375a5584f6485b413b5f12baf", 12, "2f42b3b70369fc92", "65c178b284d197cc"},
      {"5269f149d41ba0152497574d7f153125", 12, "65c178b284d197cc", "eb44e415da319824"},
      // RC5 test-vector draft (key 00..0f, plaintext 00..07).
      {"000102030405060708090a0b0c0d0e0f", 12, "0001020304050607", "c8d3b3c486700cfa"},
      {"000102030405060708090a0b0c0d0e0f", 16, "0001020304050607", "3e2e95357027d896"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncryptBlock(c.key, c.rounds, c.plain), c.cipher) << c.key << " r" << c.rounds;
    std::vector<uint8_t> ct = Hex(c.cipher);
    uint8_t plain[8];
    DecipherOneBlock(ct.data(), KeySchedule(c.key, c.rounds), plain);
    EXPECT_EQ(ToHex(plain, 8), c.plain);
  }
}

// The RFC 2040 test program's RC5-CBC vectors for 8, 12 and 16 rounds.
TEST(RC5, Rfc2040CbcVectors) {
  const CbcVector cases[] = {
      {"00000000", 8, "0000000000000000", "0000000000000000", "dcfe098577eca5ff"},
      {"00", 8, "0102030405060708", "1020304050607080", "9646fb77638f9ca8"},
      {"00", 12, "0102030405060708", "1020304050607080", "b2b3209db6594da4"},
      {"00", 16, "0102030405060708", "1020304050607080", "545f7f32a5fc3836"},
      {"01020304", 8, "0000000000000000", "ffffffffffffffff", "8285e7c1b5bc7402"},
      {"01020304", 12, "0000000000000000", "ffffffffffffffff", "fc586f92f7080934"},
      {"01020304", 16, "0000000000000000", "ffffffffffffffff", "cf270ef9717ff7c4"},
      {"0102030405060708", 12, "0000000000000000", "ffffffffffffffff", "e493f1c1bb4d6e8c"},
      {"0102030405060708", 8, "0102030405060708", "1020304050607080", "5c4c041e0f217ac3"},
      {"0102030405060708", 12, "0102030405060708", "1020304050607080", "921f12485373b4f7"},
      {"0102030405060708", 16, "0102030405060708", "1020304050607080", "5ba0ca6bbe7f5fad"},
      {"01020304050607081020304050607080", 8, "0102030405060708", "1020304050607080",
       "c533771cd0110e63"},
      {"01020304050607081020304050607080", 12, "0102030405060708", "1020304050607080",
       "294ddb46b3278d60"},
      {"01020304050607081020304050607080", 16, "0102030405060708", "1020304050607080",
       "dad6bda9dfe8f7e8"},
      {"0102030405", 12, "0000000000000000", "ffffffffffffffff", "97e0787837ed317f"},
      {"0102030405", 8, "0000000000000000", "ffffffffffffffff", "7875dbf6738c6478"},
      {"0102030405", 8, "7875dbf6738c6478", "0808080808080808", "8f34c3c681c99695"},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> iv = Hex(c.iv), p = Hex(c.plain);
    RC5KeySchedule ks = KeySchedule(c.key, c.rounds);
    uint8_t chain[8];
    std::memcpy(chain, iv.data(), 8);
    uint8_t out[8];
    ASSERT_EQ(RC5CbcEncrypt(p.data(), out, 8, &ks, chain, 1), 1);
    EXPECT_EQ(ToHex(out, 8), c.cipher) << c.key << " r" << c.rounds;
    EXPECT_EQ(ToHex(chain, 8), c.cipher);  // the IV buffer ends as the last chaining block
    std::memcpy(chain, iv.data(), 8);
    uint8_t back[8];
    ASSERT_EQ(RC5CbcEncrypt(out, back, 8, &ks, chain, 0), 1);
    EXPECT_EQ(ToHex(back, 8), c.plain);
  }
}

TEST(RC5, CbcArgumentsAndPartialBlocks) {
  RC5KeySchedule ks;
  RC5SetKey(&ks, 16, reinterpret_cast<const uint8_t*>(kRequestKey1), 7);
  EXPECT_EQ(ks.rounds, 16);  // unknown round counts become 16
  uint8_t iv[8] = {};
  uint8_t buf[16] = {1, 2, 3};
  EXPECT_EQ(RC5CbcEncrypt(nullptr, buf, 8, &ks, iv, 1), -1);
  EXPECT_EQ(RC5CbcEncrypt(buf, buf, 0, &ks, iv, 1), -1);
  EXPECT_EQ(RC5CbcEncrypt(buf, buf, 5, &ks, iv, 0), -1);  // deciphering needs whole blocks
  // Enciphering a partial block pads it with zeros to a whole one.
  uint8_t padded[8] = {1, 2, 3, 0, 0, 0, 0, 0};
  uint8_t a[8], b[8];
  uint8_t iv1[8] = {}, iv2[8] = {};
  RC5CbcEncrypt(buf, a, 3, &ks, iv1, 1);
  RC5CbcEncrypt(padded, b, 8, &ks, iv2, 1);
  EXPECT_EQ(0, std::memcmp(a, b, 8));
}

TEST(CDataEncrypt, FrameLayoutAndSizes) {
  struct {
    int len, frame;
  } sizes[] = {{0, 8}, {2, 8}, {3, 16}, {10, 16}, {11, 24}, {9000, 9008}};
  for (auto s : sizes) {
    std::vector<uint8_t> src(static_cast<size_t>(s.len), 0x5A), dst(static_cast<size_t>(s.frame));
    EXPECT_EQ(CDataEncrypt::Encrypt(src.data(), static_cast<uint16_t>(s.len), dst.data(), s.frame,
                                    kRequestKey1),
              s.frame)
        << s.len;
    std::vector<uint8_t> back(static_cast<size_t>(s.frame), 0xEE);
    EXPECT_EQ(CDataEncrypt::Decrypt(dst.data(), s.frame, back.data(), s.frame, kRequestKey1),
              s.len);
    EXPECT_TRUE(std::equal(src.begin(), src.end(), back.begin()));
    for (int i = s.len; i < s.frame; ++i) ASSERT_EQ(back[static_cast<size_t>(i)], 0) << i;
  }

  // Deciphered by hand with the block primitives: sum, length, data, zero padding.
  uint8_t frame[8] = {};
  const uint8_t data[2] = {0x34, 0x12};
  ASSERT_EQ(CDataEncrypt::Encrypt(data, 2, frame, 8, kRequestKey1), 8);
  RC5KeySchedule ks;
  RC5SetKey(&ks, 16, reinterpret_cast<const uint8_t*>(kRequestKey1), 16);
  uint8_t iv[8];
  std::memcpy(iv, kCipherIV, 8);
  uint8_t plain[8];
  RC5CbcEncrypt(frame, plain, 8, &ks, iv, 0);
  // sum = word(02 00 34 12) = 0x12340002; then L = 2; then the data.
  const uint8_t want[8] = {0x02, 0x00, 0x34, 0x12, 0x02, 0x00, 0x34, 0x12};
  EXPECT_EQ(0, std::memcmp(plain, want, 8));
}

TEST(CDataEncrypt, InPlaceDeterministicAndCapacity) {
  std::string body = "login body 123";
  uint8_t a[32] = {}, b[32] = {};
  std::memcpy(a, body.data(), body.size());
  std::memcpy(b, body.data(), body.size());
  int n = CDataEncrypt::Encrypt(a, static_cast<uint16_t>(body.size()), a, sizeof a, kRequestKey1);
  ASSERT_EQ(n, 24);
  CDataEncrypt::Encrypt(b, static_cast<uint16_t>(body.size()), b, sizeof b, kRequestKey1);
  EXPECT_EQ(0, std::memcmp(a, b, 24));  // fixed IV, nothing chained across calls
  uint8_t c[32] = {};
  std::memcpy(c, body.data(), body.size());
  CDataEncrypt::Encrypt(c, static_cast<uint16_t>(body.size()), c, sizeof c, kRequestKey2);
  EXPECT_NE(0, std::memcmp(a, c, 24));

  std::vector<std::string> logged;
  foundation::setLogSink([&](foundation::LogLevel, const std::string& l) { logged.push_back(l); });
  uint8_t small[23] = {};
  EXPECT_EQ(CDataEncrypt::Encrypt(body.data(), static_cast<uint16_t>(body.size()), small,
                                  sizeof small, kRequestKey1),
            -2);
  foundation::setLogSink(nullptr);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].find("ERROR: CDataEncrypt::Encrypt return -2"), std::string::npos);
  for (uint8_t v : small) EXPECT_EQ(v, 0);

  // Deciphering into the place 16 bytes in front of the body, as the packet cutter does.
  uint8_t packet[16 + 24];
  std::memcpy(packet + 16, a, 24);
  EXPECT_EQ(CDataEncrypt::Decrypt(packet + 16, 24, packet, sizeof packet, kRequestKey1),
            static_cast<int>(body.size()));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(packet), body.size()), body);
  EXPECT_EQ(CDataEncrypt::Decrypt(a, 24, b, 23, kRequestKey1), -2);
}

TEST(CDataEncrypt, RejectsBadFrames) {
  uint8_t frame[24] = {};
  const char text[] = "0123456789abcdef";
  ASSERT_EQ(CDataEncrypt::Encrypt(text, 16, frame, sizeof frame, kRequestKey1), 24);
  uint8_t out[64];
  // Any flipped bit in the last block breaks the sum or the length.
  for (int bit = 0; bit < 64; ++bit) {
    uint8_t bad[24];
    std::memcpy(bad, frame, sizeof bad);
    bad[16 + bit / 8] ^= static_cast<uint8_t>(1 << (bit % 8));
    EXPECT_EQ(CDataEncrypt::Decrypt(bad, 24, out, sizeof out, kRequestKey1), -1) << bit;
  }
  EXPECT_EQ(CDataEncrypt::Decrypt(frame, 24, out, sizeof out, kRequestKey2), -1);  // wrong key
  // Lengths that are not whole blocks would read past the body.
  for (int len : {0, 5, 7, 12, 23})
    EXPECT_EQ(CDataEncrypt::Decrypt(frame, len, out, 64, kRequestKey1), -1) << len;
  EXPECT_EQ(CDataEncrypt::Decrypt(frame, 24, out, sizeof out, kRequestKey1), 16);
}

TEST(CDataEncrypt, WordSums) {
  const uint8_t b[] = {1, 0, 0, 0, 2, 0, 0, 0, 0xFF, 0x01};
  EXPECT_EQ(CDataEncrypt::Checksum(b, 8), 3u);
  EXPECT_EQ(CDataEncrypt::Checksum(b, 10), 3u + 0x1FF);  // a trailing pair counts as a word
  EXPECT_EQ(SumWordsNonZero(b, 10), 3u);                 // ...but not here
  const uint8_t zeros[6] = {};
  EXPECT_EQ(SumWordsNonZero(zeros, 6), 1u);
  const uint8_t wrap[8] = {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0};
  EXPECT_EQ(CDataEncrypt::Checksum(wrap, 8), 1u);
}

TEST(CDataEncrypt, KeyPickAndRandomText) {
  uint8_t out[4] = {9, 9, 9, 9};
  PickKeyBytes("abc", 0, out, 4);
  EXPECT_EQ(out[0], 9);  // size 0 writes nothing

  // Whole words 0x00000001 + 0xFFFFFFFF sum to 0, taken as 1: index 1, then 19 % 9 = 1 ...
  const uint8_t cancel[9] = {0x01, 0x2A, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'z'};
  const uint8_t cancelWords[9] = {0x01, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'z'};
  EXPECT_EQ(SumWordsNonZero(cancelWords, 9), 1u);
  EXPECT_NE(SumWordsNonZero(cancel, 9), 1u);
  uint8_t picked[3];
  PickKeyBytes(cancelWords, 9, picked, 3);
  EXPECT_EQ(picked[0], 0);
  EXPECT_EQ(picked[2], 0);
  // Sum 0x6201 over 5 bytes: indexes 0x6201 % 5 = 4, 76 % 5 = 1, 19 % 5 = 4.
  const uint8_t t[5] = {1, 'b', 0, 0, 'e'};
  PickKeyBytes(t, 5, picked, 3);
  EXPECT_EQ(picked[0], 'e');
  EXPECT_EQ(picked[1], 'b');
  EXPECT_EQ(picked[2], 'e');

  char r[1024];
  MakeRandomString(r, sizeof r);
  for (char c : r) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')) << int(c);
}

namespace {

// CBC deciphering one block after another with the block primitive: the plain reference for the
// interleaved loop. Returns the last chaining block in iv, as RC5CbcEncrypt does.
std::vector<uint8_t> DecipherBlockByBlock(const std::vector<uint8_t>& in, const RC5KeySchedule& ks,
                                          uint8_t iv[8]) {
  std::vector<uint8_t> out(in.size());
  uint8_t chain[8];
  std::memcpy(chain, iv, 8);
  for (size_t pos = 0; pos < in.size(); pos += 8) {
    uint8_t plain[8];
    DecipherOneBlock(in.data() + pos, ks, plain);
    for (int k = 0; k < 8; ++k) out[pos + static_cast<size_t>(k)] = plain[k] ^ chain[k];
    std::memcpy(chain, in.data() + pos, 8);
  }
  std::memcpy(iv, chain, 8);
  return out;
}

std::vector<uint8_t> XorBytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::vector<uint8_t> out(a.size());
  for (size_t i = 0; i < a.size(); ++i) out[i] = a[i] ^ b[i];
  return out;
}

}  // namespace

// The published vectors through the multi-block deciphering path: the cipher block repeated n
// times deciphers to the plain block first and to plain ^ iv ^ cipher after it.
TEST(RC5, PublishedVectorsThroughEveryDecipherLane) {
  const CbcVector cases[] = {
      {"00000000000000000000000000000000", 12, "0000000000000000", "0000000000000000",
       "21a5dbee154b8f6d"},
      {"000102030405060708090a0b0c0d0e0f", 16, "0000000000000000", "0001020304050607",
       "3e2e95357027d896"},
      {"00", 8, "0102030405060708", "1020304050607080", "9646fb77638f9ca8"},
      {"01020304", 12, "0000000000000000", "ffffffffffffffff", "fc586f92f7080934"},
      {"01020304050607081020304050607080", 16, "0102030405060708", "1020304050607080",
       "dad6bda9dfe8f7e8"},
      {"0102030405", 8, "7875dbf6738c6478", "0808080808080808", "8f34c3c681c99695"},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> iv = Hex(c.iv), p = Hex(c.plain), ct = Hex(c.cipher);
    RC5KeySchedule ks = KeySchedule(c.key, c.rounds);
    std::vector<uint8_t> later = XorBytes(XorBytes(p, iv), ct);
    for (int blocks = 1; blocks <= 9; ++blocks) {
      std::vector<uint8_t> in, want = p;
      for (int b = 0; b < blocks; ++b) in.insert(in.end(), ct.begin(), ct.end());
      for (int b = 1; b < blocks; ++b) want.insert(want.end(), later.begin(), later.end());
      std::vector<uint8_t> out(in.size());
      uint8_t chain[8];
      std::memcpy(chain, iv.data(), 8);
      ASSERT_EQ(
          RC5CbcEncrypt(in.data(), out.data(), static_cast<int32_t>(in.size()), &ks, chain, 0), 1);
      EXPECT_EQ(ToHex(out.data(), out.size()), ToHex(want.data(), want.size()))
          << c.key << " r" << c.rounds << " blocks " << blocks;
      EXPECT_EQ(ToHex(chain, 8), c.cipher);
    }
  }
}

// Every length from one block to a full body, with keys and IVs of every round count, in a separate
// buffer, in place and into the place 16 bytes in front (as the packet cutter deciphers).
TEST(RC5, InterleavedDecipherMatchesBlockByBlock) {
  std::mt19937 rng(2026);
  std::vector<uint8_t> in(9000);
  for (auto& b : in) b = static_cast<uint8_t>(rng());
  for (int len = 8; len <= 9000; len += 8) {
    const int rounds = len % 24 == 0 ? 8 : len % 24 == 8 ? 12 : 16;
    uint8_t key[16], iv[8];
    for (auto& b : key) b = static_cast<uint8_t>(rng());
    for (auto& b : iv) b = static_cast<uint8_t>(rng());
    RC5KeySchedule ks;
    RC5SetKey(&ks, 16, key, rounds);
    std::vector<uint8_t> body(in.begin(), in.begin() + len);
    uint8_t refIv[8], gotIv[8];
    std::memcpy(refIv, iv, 8);
    std::vector<uint8_t> want = DecipherBlockByBlock(body, ks, refIv);

    std::vector<uint8_t> out(body.size());
    std::memcpy(gotIv, iv, 8);
    RC5CbcEncrypt(body.data(), out.data(), len, &ks, gotIv, 0);
    ASSERT_EQ(out, want) << "length " << len << " rounds " << rounds;
    ASSERT_EQ(0, std::memcmp(gotIv, refIv, 8)) << len;

    if (len % 200 == 0 || len < 80) {
      std::vector<uint8_t> same = body;
      std::memcpy(gotIv, iv, 8);
      RC5CbcEncrypt(same.data(), same.data(), len, &ks, gotIv, 0);
      ASSERT_EQ(same, want) << "in place, length " << len;
      std::vector<uint8_t> shifted(16 + body.size());
      std::memcpy(shifted.data() + 16, body.data(), body.size());
      std::memcpy(gotIv, iv, 8);
      RC5CbcEncrypt(shifted.data() + 16, shifted.data(), len, &ks, gotIv, 0);
      ASSERT_TRUE(std::equal(want.begin(), want.end(), shifted.begin())) << "shifted " << len;
    }
  }
}

// The padding is enciphered and sent, so it must be zero whatever the buffer held: a short body
// enciphered in place over an earlier request's password must not carry any of it.
TEST(CDataEncrypt, PaddingIsZeroWhateverTheBufferHeld) {
  std::mt19937 rng(39);
  std::vector<int> lengths;
  for (int len = 0; len <= 24; ++len) lengths.push_back(len);
  for (int len : {251, 1000, 4093, 8999, 9000}) lengths.push_back(len);
  for (int len : lengths) {
    std::vector<uint8_t> data(static_cast<size_t>(len));
    for (auto& b : data) b = static_cast<uint8_t>(rng());
    const int frame = CDataEncrypt::FrameLength(static_cast<uint16_t>(len));
    std::vector<uint8_t> results[4];
    for (int run = 0; run < 4; ++run) {
      const uint8_t fill = run % 2 ? 0xEE : 0x00;
      std::vector<uint8_t> buf(static_cast<size_t>(frame) + 8, fill);
      int n;
      if (run < 2) {  // into another buffer
        n = CDataEncrypt::Encrypt(data.data(), static_cast<uint16_t>(len), buf.data(),
                                  static_cast<int32_t>(buf.size()), kRequestKey1);
      } else {  // in place, the body at the start of the buffer
        std::copy(data.begin(), data.end(), buf.begin());
        n = CDataEncrypt::Encrypt(buf.data(), static_cast<uint16_t>(len), buf.data(),
                                  static_cast<int32_t>(buf.size()), kRequestKey1);
      }
      ASSERT_EQ(n, frame) << len;
      results[run].assign(buf.begin(), buf.begin() + frame);
    }
    for (int run = 1; run < 4; ++run) EXPECT_EQ(results[run], results[0]) << len << " run " << run;
  }

  // A 3-byte body over a buffer that held a password: nothing of it is in the deciphered frame.
  uint8_t packet[16 + 64];
  std::memcpy(packet + 16, "secret-password!", 16);
  std::memcpy(packet + 16, "abc", 3);
  ASSERT_EQ(EncipherRequestBody(packet + 16, 3, 64, kRequestKey1, "test"), 16);
  RC5KeySchedule ks;
  RC5SetKey(&ks, 16, reinterpret_cast<const uint8_t*>(kRequestKey1), 16);
  uint8_t iv[8], plain[16];
  std::memcpy(iv, kCipherIV, 8);
  RC5CbcEncrypt(packet + 16, plain, 16, &ks, iv, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(plain) + 6, 3), "abc");
  for (int i = 9; i < 16; ++i) EXPECT_EQ(plain[i], 0) << i;
}
