#include "core/LZW.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// Packs (code, width) pairs most-significant bit first, independently of PutBits.
std::vector<uint8_t> Pack(const std::vector<std::pair<int, int>>& codes) {
  std::string bits;
  for (auto [code, width] : codes)
    for (int b = width - 1; b >= 0; --b) bits += ((code >> b) & 1) ? '1' : '0';
  while (bits.size() % 8) bits += '0';
  std::vector<uint8_t> out;
  for (size_t i = 0; i < bits.size(); i += 8)
    out.push_back(static_cast<uint8_t>(std::stoi(bits.substr(i, 8), nullptr, 2)));
  return out;
}

struct Lzw : ::testing::Test {
  std::unique_ptr<LzwWorkArea> work = std::make_unique<LzwWorkArea>();

  uint32_t Compress(const std::vector<uint8_t>& in, std::vector<uint8_t>& out, int cap = 9000) {
    out.assign(static_cast<size_t>(cap), 0xAA);
    uint32_t r = LzwCompress(work.get(), in.data(), static_cast<uint16_t>(in.size()), out.data(),
                             static_cast<uint16_t>(cap));
    if (!LzwFailed(r)) out.resize(r);
    return r;
  }
  uint32_t Expand(const std::vector<uint8_t>& in, std::vector<uint8_t>& out, int cap = 65535) {
    out.assign(static_cast<size_t>(cap), 0);
    uint32_t r = LzwDecompress(work.get(), in.data(), static_cast<uint16_t>(in.size()), out.data(),
                               static_cast<uint16_t>(cap));
    if (!LzwFailed(r)) out.resize(r);
    return r;
  }
};

std::vector<uint8_t> BytesOf(const std::string& s) {
  return {s.begin(), s.end()};
}

// 600 x 'a': "a", then strings of 2..34 a's (codes 258..290), 595 bytes; the last 5 are 261.
std::vector<std::pair<int, int>> RunOfA(int first) {
  std::vector<std::pair<int, int>> codes = {{'a', 9}};
  for (int c = first; c <= first + 32; ++c) codes.push_back({c, 9});
  codes.push_back({first + 3, 9});
  codes.push_back({256, 9});
  return codes;
}

}  // namespace

TEST_F(Lzw, DecodesTheStringDefinedByTheSameStep) {
  // a, b, 258 = "ab", 260 = "aba" (defined by this very step), end.
  std::vector<uint8_t> stream = {0x30, 0x98, 0xA0, 0x50, 0x48, 0x00};
  EXPECT_EQ(stream, Pack({{'a', 9}, {'b', 9}, {258, 9}, {260, 9}, {256, 9}}));
  std::vector<uint8_t> out;
  ASSERT_EQ(Expand(stream, out), 7u);
  EXPECT_EQ(std::string(out.begin(), out.end()), "abababa");
}

TEST_F(Lzw, ShortInputsCannotMeetTheOutputLimit) {
  // "abababa" codes to 6 bytes, but the writer keeps 4 bytes of slack below the input length.
  std::vector<uint8_t> out;
  EXPECT_EQ(Compress(BytesOf("abababa"), out), kLzwErrNoRoom);
}

TEST_F(Lzw, RunOfOneByte) {
  std::vector<uint8_t> in(600, 'a'), out, back;
  std::vector<uint8_t> want = Pack(RunOfA(258));
  ASSERT_EQ(want.size(), 41u);
  ASSERT_EQ(Compress(in, out), 41u);
  EXPECT_EQ(out, want);
  ASSERT_EQ(Expand(want, back), 600u);
  EXPECT_EQ(back, in);
}

TEST_F(Lzw, WidthGrowsAfter254NewCodes) {
  // Bytes 0..255 give 255 new pairs: 254 codes at 9 bits, then 257, then 10-bit codes.
  std::vector<uint8_t> in;
  for (int i = 0; i < 256; ++i) in.push_back(static_cast<uint8_t>(i));
  in.insert(in.end(), 600, 'a');
  std::vector<std::pair<int, int>> codes;
  for (int i = 0; i < 254; ++i) codes.push_back({i, 9});
  codes.push_back({257, 9});
  codes.push_back({254, 10});
  codes.push_back({255, 10});
  for (auto [c, w] : RunOfA(514)) codes.push_back({c, 10});
  std::vector<uint8_t> want = Pack(codes), out, back;
  ASSERT_EQ(want.size(), 335u);
  ASSERT_EQ(Compress(in, out), 335u);
  EXPECT_EQ(out, want);
  ASSERT_EQ(Expand(want, back), in.size());
  EXPECT_EQ(back, in);
}

TEST_F(Lzw, EncoderLimits) {
  std::vector<uint8_t> out;
  EXPECT_EQ(Compress(std::vector<uint8_t>(9001, 'a'), out), kLzwErrBadArg);
  for (uint8_t b : out) ASSERT_EQ(b, 0xAA);  // refused before anything was written
  EXPECT_EQ(Compress(std::vector<uint8_t>(9000, 'a'), out) < 9000u, true);
  // Bytes that do not repeat run into the output limit.
  std::vector<uint8_t> noise(400);
  uint32_t x = 12345;
  for (auto& b : noise) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 24);
  EXPECT_EQ(Compress(noise, out), kLzwErrNoRoom);
  uint8_t one = 'a';
  EXPECT_EQ(LzwCompress(work.get(), &one, 0, out.data(), 10), kLzwErrNoRoom);
  EXPECT_EQ(LzwCompress(work.get(), nullptr, 5, out.data(), 10), kLzwErrBadArg);
}

TEST_F(Lzw, DecoderFailures) {
  std::vector<uint8_t> stream = Pack(RunOfA(258)), out;
  // Cut before the end code.
  std::vector<uint8_t> cut(stream.begin(), stream.end() - 2);
  EXPECT_EQ(Expand(cut, out), kLzwErrEndOfBits);
  EXPECT_EQ(LzwDecompress(work.get(), cut.data(), 0, out.data(), 10), kLzwErrEndOfBits);
  // One byte too little room.
  EXPECT_EQ(Expand(stream, out, 599), kLzwErrNoGain);
  EXPECT_EQ(Expand(stream, out, 600), 600u);
  // A code far beyond the table.
  std::vector<std::pair<int, int>> far = {{'a', 9}};
  for (int w = 9; w <= 13; ++w) far.push_back({257, w});
  far.push_back({9999, 14});
  far.push_back({256, 14});
  EXPECT_EQ(Expand(Pack(far), out), kLzwErrBadCode);
  // Endless widening.
  std::vector<std::pair<int, int>> widen = {{'a', 9}};
  for (int w = 9; w <= 17; ++w) widen.push_back({257, w});
  EXPECT_EQ(Expand(Pack(widen), out), kLzwErrBadCode);
}

// A first code that is not a byte, or a code past the one being defined by this very step, is
// never written by the encoder: such a stream is corrupt and must not decode into wrong bytes.
TEST_F(Lzw, RefusesCodesNotYetDefined) {
  std::vector<uint8_t> out;
  for (int first : {256, 257, 258, 300, 511})
    EXPECT_EQ(Expand(Pack({{first, 9}, {'a', 9}, {256, 9}}), out), kLzwErrBadCode) << first;
  // After "a" the next free code is 258: 258 itself is "aa", 259 is not defined.
  ASSERT_EQ(Expand(Pack({{'a', 9}, {258, 9}, {256, 9}}), out), 3u);
  EXPECT_EQ(std::string(out.begin(), out.end()), "aaa");
  EXPECT_EQ(Expand(Pack({{'a', 9}, {259, 9}, {256, 9}}), out), kLzwErrBadCode);
  // The same at 10 bits: after a, b, c the next free code is 260.
  ASSERT_EQ(Expand(Pack({{'a', 9}, {'b', 9}, {'c', 9}, {257, 9}, {260, 10}, {256, 10}}), out), 5u);
  EXPECT_EQ(std::string(out.begin(), out.end()), "abccc");
  EXPECT_EQ(Expand(Pack({{'a', 9}, {'b', 9}, {'c', 9}, {257, 9}, {261, 10}, {256, 10}}), out),
            kLzwErrBadCode);
}

// Whatever the encoder writes still decodes: bodies of many lengths over alphabets from two
// symbols (long runs, codes up to 13 bits) to all 256.
TEST_F(Lzw, EveryEncodedBodyDecodes) {
  std::mt19937 rng(107);
  int compressed = 0;
  for (unsigned alphabet : {2u, 3u, 16u, 40u, 256u}) {
    for (int len : {300, 1000, 2047, 4096, 7777, 9000}) {
      std::vector<uint8_t> in(static_cast<size_t>(len)), packed, back;
      // Runs of a few symbols, so that even the large alphabets repeat strings.
      for (size_t i = 0; i < in.size();) {
        uint8_t c = static_cast<uint8_t>(rng() % alphabet);
        for (unsigned n = 1 + rng() % 4; n > 0 && i < in.size(); --n) in[i++] = c;
      }
      uint32_t r = Compress(in, packed);
      if (LzwFailed(r)) {
        EXPECT_EQ(r, kLzwErrNoRoom) << alphabet << " " << len;
        continue;
      }
      ++compressed;
      ASSERT_EQ(Expand(packed, back), in.size()) << alphabet << " " << len;
      ASSERT_EQ(back, in) << alphabet << " " << len;
    }
  }
  EXPECT_GE(compressed, 24);

  // The fuzz seeds are encoder output too.
  std::filesystem::path dir = std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz/lzw";
  for (const char* seed : {"text", "widening"}) {
    std::ifstream f(dir / seed, std::ios::binary);
    std::vector<uint8_t> stream{std::istreambuf_iterator<char>(f),
                                std::istreambuf_iterator<char>()},
        back;
    ASSERT_FALSE(stream.empty()) << seed;
    EXPECT_FALSE(LzwFailed(Expand(stream, back))) << seed;
  }
}

TEST_F(Lzw, RoundTripsTextAndIsReusable) {
  std::string text;
  for (int i = 0; text.size() < 9000; ++i)
    text += "600036 招商银行 " + std::to_string(i * 37 % 1000) + " 成交量 ";
  text.resize(9000);
  std::vector<uint8_t> in = BytesOf(text), out, back;
  for (int round = 0; round < 3; ++round) {
    uint32_t r = Compress(in, out);
    ASSERT_FALSE(LzwFailed(r));
    EXPECT_LT(r, 4000u);
    ASSERT_EQ(Expand(out, back), in.size());
    EXPECT_EQ(back, in);
  }
}

TEST(LzwBits, PutAndGet) {
  uint8_t buf[8] = {};
  EXPECT_EQ(PutBits(buf, 8, 3, 0x1FF, 9), 1u);
  EXPECT_EQ(buf[0], 0x1F);
  EXPECT_EQ(buf[1], 0xF0);
  uint32_t v = 0;
  EXPECT_EQ(GetBits(buf, 64, 3, &v, 9), 1u);
  EXPECT_EQ(v, 0x1FFu);
  EXPECT_EQ(GetBits(buf, 64, 2, &v, 3), 1u);
  EXPECT_EQ(v, 0b011u);
  EXPECT_EQ(GetBits(buf, 11, 3, &v, 9), kLzwErrEndOfBits);
  EXPECT_EQ(PutBits(buf, 8, 32, 1, 9), kLzwErrNoRoom);  // byte 4 + 4 slack reaches the end
  EXPECT_EQ(PutBits(buf, 8, 0, 1, 0), kLzwErrBadArg);
  EXPECT_EQ(PutBits(buf, 8, 0, 1, 33), kLzwErrBadArg);
  EXPECT_EQ(PutBits(nullptr, 8, 0, 1, 9), kLzwErrBadArg);
  EXPECT_EQ(GetBits(buf, 64, 0, nullptr, 9), kLzwErrBadArg);
}
