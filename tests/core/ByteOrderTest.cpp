#include "core/ByteOrder.h"

#include <gtest/gtest.h>

TEST(ByteOrder, FixedWidthRoundTrip) {
  uint8_t b[8];
  WriteLE16(b, 0xBEEF);
  EXPECT_EQ(b[0], 0xEF);
  EXPECT_EQ(b[1], 0xBE);
  EXPECT_EQ(ReadLE16(b), 0xBEEF);
  WriteLE32(b, 0x89ABCDEFu);
  EXPECT_EQ(b[0], 0xEF);
  EXPECT_EQ(b[3], 0x89);
  EXPECT_EQ(ReadLE32(b), 0x89ABCDEFu);
  WriteLE64(b, 0x0123456789ABCDEFull);
  EXPECT_EQ(b[7], 0x01);
  EXPECT_EQ(ReadLE64(b), 0x0123456789ABCDEFull);
}

TEST(ByteOrder, BoundedReadsStopAtLimit) {
  const uint8_t data[] = {1, 2, 3, 4, 5};
  const uint8_t* p = data;
  const uint8_t* limit = data + sizeof data;
  uint32_t v32 = 0;
  uint16_t v16 = 0;
  ASSERT_TRUE(GetLE32(p, limit, v32));
  EXPECT_EQ(v32, 0x04030201u);
  EXPECT_FALSE(GetLE16(p, limit, v16));  // one byte left: pointer must not move
  EXPECT_EQ(p, data + 4);
  uint8_t v8 = 0;
  EXPECT_TRUE(GetU8(p, limit, v8));
  EXPECT_EQ(v8, 5);
  EXPECT_FALSE(GetU8(p, limit, v8));
  EXPECT_EQ(BytesLeft(limit, data + 4), 0u);  // past the limit counts as empty

  uint8_t out[3];
  uint8_t* w = out;
  EXPECT_TRUE(PutLE16(w, out + 3, 0x0102));
  EXPECT_FALSE(PutLE16(w, out + 3, 0x0304));
  EXPECT_EQ(w, out + 2);
}

TEST(ByteOrder, ReaderFailsStickily) {
  const uint8_t data[] = {0xFF, 0xFF, 0xFF, 0xFF, 7};
  ByteReader r(data, sizeof data);
  EXPECT_EQ(r.i32(), -1);
  EXPECT_EQ(r.u16(), 0);  // short
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.u8(), 0);  // even though one byte remains
  EXPECT_EQ(r.take(1), nullptr);
  ByteReader empty(nullptr, 10);
  EXPECT_EQ(empty.left(), 0u);
  EXPECT_EQ(empty.u8(), 0);
  EXPECT_FALSE(empty.ok());
}
