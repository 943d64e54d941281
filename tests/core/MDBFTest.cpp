#include "core/MDBF.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/ByteOrder.h"

namespace {

// Builds a wire table: fields {id, width, type}, then the record bytes as given.
std::vector<uint8_t> Table(const std::vector<std::tuple<int, int, int>>& fields, int records,
                           const std::vector<uint8_t>& data, int total = -1, int start = 0) {
  std::vector<uint8_t> t(7);
  t[0] = static_cast<uint8_t>(fields.size());
  WriteLE16(&t[1], static_cast<uint16_t>(total < 0 ? records : total));
  WriteLE16(&t[3], static_cast<uint16_t>(start));
  WriteLE16(&t[5], static_cast<uint16_t>(records));
  for (auto [id, width, type] : fields) {
    t.push_back(static_cast<uint8_t>(id));
    t.push_back(static_cast<uint8_t>(width));
    t.push_back(static_cast<uint8_t>(width >> 8));
    t.push_back(static_cast<uint8_t>(type));
  }
  t.insert(t.end(), data.begin(), data.end());
  return t;
}

std::vector<uint8_t> Le16(const std::u16string& s) {
  std::vector<uint8_t> b;
  for (char16_t u : s) {
    b.push_back(static_cast<uint8_t>(u));
    b.push_back(static_cast<uint8_t>(u >> 8));
  }
  return b;
}

}  // namespace

TEST(MDBF, ParseHeadsAndTruncation) {
  MDBF t;
  const uint8_t empty[7] = {};
  EXPECT_EQ(t.Parse(empty, 7), 7);
  EXPECT_EQ(t.GetRecordNum(), 0);
  EXPECT_EQ(t.Parse(empty, 6), -1);
  EXPECT_EQ(t.Parse(nullptr, 7), -1);

  // Two fields of 1 + 2 bytes, three records.
  std::vector<uint8_t> body =
      Table({{1, 1, 1}, {2, 2, 1}}, 3, {1, 10, 0, 2, 20, 0, 3, 30, 0}, 40, 6);
  ASSERT_EQ(t.Parse(body.data(), static_cast<int>(body.size())), static_cast<int>(body.size()));
  EXPECT_EQ(t.GetRecordNum(), 3);
  EXPECT_EQ(t.GetTotalRecNum(), 40);
  EXPECT_EQ(t.GetStartRecNum(), 6);
  EXPECT_EQ(t.GetRecno(), 2);  // last record current
  EXPECT_EQ(t.GetInt(2), 30);

  std::vector<uint8_t> extra = body;
  extra.insert(extra.end(), {9, 9, 9});
  EXPECT_EQ(t.Parse(extra.data(), static_cast<int>(extra.size())), static_cast<int>(body.size()));

  for (size_t cut : {body.size() - 1, size_t{7 + 7}, size_t{10}}) {
    EXPECT_EQ(t.Parse(body.data(), static_cast<int>(cut)), -1) << cut;
    EXPECT_EQ(t.GetRecordNum(), 0);
    EXPECT_EQ(t.GetFieldNum(), 0);
  }
}

// Hostile heads: record count x record length must not wrap, nor the room computation.
TEST(MDBF, HostileHeadsNeverReadPastTheBody) {
  MDBF t;
  // 256 fields of width 65535 and 65535 records: the product needs 40 bits.
  std::vector<std::tuple<int, int, int>> wide;
  for (int i = 0; i < 255; ++i) wide.push_back({i, 0xFFFF, 0});
  std::vector<uint8_t> body = Table(wide, 0xFFFF, {1, 2, 3});
  EXPECT_EQ(t.Parse(body.data(), static_cast<int>(body.size())), -1);
  // 2^32 / 65536 records of 65536 bytes would wrap to 0 in 32 bits.
  body = Table({{1, 0x8000, 0}, {2, 0x8000, 0}}, 0xFFFF, {});
  EXPECT_EQ(t.Parse(body.data(), static_cast<int>(body.size())), -1);
  // Descriptor count larger than the body.
  body = {200, 1, 0, 0, 0, 1, 0, 5, 1, 0, 1};
  EXPECT_EQ(t.Parse(body.data(), static_cast<int>(body.size())), -1);
  // Zero-length records: any count is fine and reads as zeros.
  body = Table({{4, 0, 1}}, 5000, {});
  ASSERT_EQ(t.Parse(body.data(), static_cast<int>(body.size())), 11);
  EXPECT_EQ(t.Seek(4999), 4999);
  EXPECT_EQ(t.GetLong(4), 0);
}

TEST(MDBF, TypedReaders) {
  std::vector<uint8_t> rec;
  auto add = [&](std::vector<uint8_t> b) { rec.insert(rec.end(), b.begin(), b.end()); };
  add({'-', '1', '2', 0});        // 1: text "-12"
  add({0xFB});                    // 2: int8 -5
  add({0x2C, 0x01});              // 3: int16 300
  add({0x00, 0x00, 0x00, 0x80});  // 4: int32 min
  add({0, 0, 0, 0, 1, 0, 0, 0});  // 5: int64 2^32
  add(Le16(u"-4x2"));             // 6: unicode "-4x2"
  add({7, 7, 7});                 // 7: int of width 3
  add({'z'});                     // 8: unknown type 9
  add(Le16(u"招商"));             // 9: unicode non-ASCII
  add({'a', 0xC3, 0xA9});         // 10: text with non-ASCII bytes
  std::vector<uint8_t> body = Table({{1, 4, 0},
                                     {2, 1, 1},
                                     {3, 2, 1},
                                     {4, 4, 1},
                                     {5, 8, 1},
                                     {6, 8, 3},
                                     {7, 3, 1},
                                     {8, 1, 9},
                                     {9, 4, 3},
                                     {10, 3, 0},
                                     {11, 0, 1}},
                                    1, rec);
  MDBF t;
  ASSERT_GT(t.Parse(body.data(), static_cast<int>(body.size())), 0);
  struct {
    int id;
    int32_t i, l;
    int64_t i64;
    const char* text;
  } cases[] = {
      {1, -12, -12, 12, "-12"},  // signs are skipped by the 64-bit digit reader
      {2, -5, -5, -5, "-5"},
      {3, 300, 300, 300, "300"},
      {4, INT32_MIN, INT32_MIN, INT32_MIN, "-2147483648"},
      {5, 0, 0, int64_t{1} << 32, "4294967296"},  // reduced to 32 bits
      {6, 42, 42, 42, "-4x2"},
      {7, 0, 0, 0, "0"},
      {8, 0, -1, 0, ""},
      {10, 0, 0, 0, "a\xC3\xA9"},
      {11, 0, 0, 0, "0"},
      {99, 0, -1, 0, ""},  // absent
  };
  for (auto c : cases) {
    EXPECT_EQ(t.GetInt(c.id), c.i) << c.id;
    EXPECT_EQ(t.GetLong(c.id), c.l) << c.id;
    EXPECT_EQ(t.GetInt64(c.id), c.i64) << c.id;
    char out[32];
    EXPECT_STREQ(t.GetFieldText(c.id, out, sizeof out), c.text) << c.id;
  }
  EXPECT_EQ(t.GetNSString(1), "-12");
  EXPECT_EQ(t.GetNSString(5), "4294967296");
  EXPECT_EQ(t.GetNSString(6), "-4x2");
  EXPECT_EQ(t.GetNSString(9), "招商");
  EXPECT_EQ(t.GetNSString(10), "");  // not ASCII
  char out[32];
  EXPECT_STREQ(t.GetFieldText(9, out, sizeof out), "");  // not ASCII either

  t.Seek(-1);
  EXPECT_EQ(t.GetInt(3), 0);
  EXPECT_EQ(t.GetLong(3), -1);
  EXPECT_EQ(t.GetNSString(3), "");
}

// Text of type 3 always ends with a terminator inside the buffer.
TEST(MDBF, FieldTextAlwaysTerminates) {
  MDBF t;
  t.SetNSString(1, std::u16string_view(u"ABCDEFGH"));
  t.AddStringField(2, "abcdefgh");
  t.AddInt64Field(3, 1234567890123);
  for (int size : {1, 2, 4, 8}) {
    char out[16];
    std::memset(out, 'x', sizeof out);
    t.GetFieldText(1, out, size);
    EXPECT_EQ(std::strlen(out), static_cast<size_t>(size - 1)) << size;
    std::memset(out, 'x', sizeof out);
    t.GetFieldText(2, out, size);
    EXPECT_EQ(std::strlen(out), static_cast<size_t>(size - 1)) << size;
    std::memset(out, 'x', sizeof out);
    t.GetFieldText(3, out, size);
    EXPECT_EQ(std::strlen(out), static_cast<size_t>(size - 1)) << size;
    EXPECT_EQ(out[size], 'x');
  }
}

TEST(MDBF, SerialisesIntegersAtTheirSmallestWidth) {
  struct {
    int64_t value;
    bool wide;
    int width;
  } cases[] = {{0, false, 0},    {300, false, 2},  {-5, true, 1},  {int64_t{1} << 31, true, 8},
               {-129, false, 2}, {70000, true, 4}, {-1, false, 1}, {0, true, 0}};
  for (auto c : cases) {
    MDBF t;
    if (c.wide)
      t.AddInt64Field(9, c.value);
    else
      t.AddIntField(9, static_cast<int32_t>(c.value));
    uint8_t out[64] = {};
    int written = -1;
    int n = t.SerializeAll(out, sizeof out, &written);
    int want = 7 + 4 + (c.width ? c.width : 1);
    ASSERT_EQ(n, want) << c.value;
    EXPECT_EQ(written, 1);
    EXPECT_EQ(ReadLE16(out + 8), c.width) << c.value;
    MDBF back;
    EXPECT_EQ(back.Parse(out, n), c.width ? n : n - 1) << c.value;
    EXPECT_EQ(back.GetInt64(9), c.value);
  }
}

TEST(MDBF, RequestTableRoundTrip) {
  MDBF t;
  t.AddStringField(1, "13800138000");
  t.SetString(2, "guest");
  t.SetString(3, "访客");  // not ASCII: dropped
  t.SetNSString(4, std::string_view("平安"));
  t.SetNSString(5, std::u16string_view(u""));  // empty: dropped
  t.AddIntField(6, 262144);
  t.AddIntField(7, 0);
  t.AddStringField(8, nullptr);
  EXPECT_EQ(t.GetFieldNum(), 5);
  EXPECT_EQ(t.GetRecordNum(), 1);

  uint8_t out[128];
  int written = 0;
  int n = t.SerializeAll(out, sizeof out, &written);
  // 5 descriptors; record = 11 + 5 + 4 + 4 (262144 needs 4) + 0.
  const uint8_t head[] = {5, 1, 0, 0, 0, 1, 0};
  ASSERT_EQ(n, 7 + 20 + 24);
  EXPECT_EQ(0, std::memcmp(out, head, 7));
  const uint8_t descriptors[] = {1, 11, 0, 0, 2, 5, 0, 0, 4, 4, 0, 3, 6, 4, 0, 1, 7, 0, 0, 1};
  EXPECT_EQ(0, std::memcmp(out + 7, descriptors, 20));

  MDBF back;
  ASSERT_EQ(back.Parse(out, n), n);
  EXPECT_EQ(back.GetNSString(1), "13800138000");
  EXPECT_EQ(back.GetNSString(2), "guest");
  EXPECT_EQ(back.GetNSString(4), "平安");
  EXPECT_EQ(back.GetInt(6), 262144);
  EXPECT_EQ(back.GetInt(7), 0);
  EXPECT_EQ(back.FindField(3), nullptr);
}

TEST(MDBF, SerializeRefusesWhatDoesNotFit) {
  MDBF t;
  t.AddStringField(1, "0123456789");
  uint8_t out[64];
  int written = -1;
  EXPECT_EQ(t.SerializeAll(out, 7 + 4 + 10, &written), 21);
  EXPECT_EQ(t.SerializeAll(out, 7 + 4 + 9, &written), -2);  // one byte short of the record
  EXPECT_EQ(written, 0);
  EXPECT_EQ(t.SerializeAll(out, 9, &written), -2);  // below head + descriptors: no wrap
  EXPECT_EQ(t.SerializeAll(out, 6, &written), -2);
  EXPECT_EQ(t.Serialize(1, 1, out, sizeof out, &written), -1);  // no record 1
  EXPECT_EQ(t.Serialize(0, 0, out, sizeof out, &written), 7);   // nothing asked
  MDBF empty;
  std::memset(out, 0xFF, 7);
  EXPECT_EQ(empty.SerializeAll(out, sizeof out, &written), 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(out[i], 0);
}

TEST(MDBF, ZeroIntegersKeepOneRecordByte) {
  MDBF t;
  t.AddIntField(1, 0);
  t.AddInt64Field(2, 0);
  uint8_t out[32];
  std::memset(out, 0xEE, sizeof out);
  int n = t.SerializeAll(out, sizeof out, nullptr);
  ASSERT_EQ(n, 7 + 8 + 1);
  EXPECT_EQ(out[15], 0);
  MDBF back;
  EXPECT_EQ(back.Parse(out, n), 15);
  EXPECT_EQ(back.GetRecordNum(), 1);
  EXPECT_EQ(back.GetRecordLen(), 0);
  EXPECT_EQ(back.GetLong(1), 0);
  EXPECT_EQ(back.GetInt64(2), 0);
}

TEST(MDBF, FieldLimitsAndDuplicates) {
  MDBF t;
  t.AddIntField(5, 1);
  t.AddIntField(5, 2);  // both go on the wire; the id points to the second
  EXPECT_EQ(t.GetFieldNum(), 2);
  EXPECT_EQ(t.GetInt(5), 2);
  for (int i = 0; i < 300; ++i) t.AddIntField(i % 256, i);
  EXPECT_EQ(t.GetFieldNum(), 256);
  EXPECT_EQ(t.GetInt(253), 253);  // the id of slot 255 stays reachable
  uint8_t out[4096];
  EXPECT_EQ(t.SerializeAll(out, sizeof out, nullptr), -1);  // 256 does not fit the count byte
  t.SetField(-1, 0, "x", 1);
  t.SetField(1, 0, "x", 70000);
  EXPECT_EQ(t.GetFieldNum(), 256);
}

TEST(MDBF, AppendPacketWidensAndAddsFields) {
  MDBF t;
  std::vector<uint8_t> a = Table({{5, 2, 1}, {6, 1, 1}}, 2, {1, 0, 11, 2, 0, 12}, 30, 0);
  ASSERT_EQ(t.AppendPacket(a.data(), static_cast<int>(a.size())), static_cast<int>(a.size()));
  EXPECT_EQ(t.GetRecordNum(), 2);
  std::vector<uint8_t> same = Table({{5, 2, 1}, {6, 1, 1}}, 1, {3, 0, 13}, 30, 2);
  t.AppendPacket(same.data(), static_cast<int>(same.size()));
  EXPECT_EQ(t.GetRecordNum(), 3);
  // Field 5 arrives 4 bytes wide, field 7 is new, field 6 is missing.
  std::vector<uint8_t> b = Table({{7, 1, 1}, {5, 4, 1}}, 1, {99, 0x70, 0x11, 0x01, 0}, 30, 3);
  ASSERT_EQ(t.AppendPacket(b.data(), static_cast<int>(b.size())), static_cast<int>(b.size()));
  ASSERT_EQ(t.GetRecordNum(), 4);
  EXPECT_EQ(t.FindField(5)->width, 4);
  EXPECT_EQ(t.GetTotalRecNum(), 30);
  int want5[] = {1, 2, 3, 70000}, want6[] = {11, 12, 13, 0}, want7[] = {0, 0, 0, 99};
  for (int r = 0; r < 4; ++r) {
    ASSERT_EQ(t.Seek(r), r);
    EXPECT_EQ(t.GetInt(5), want5[r]) << r;
    EXPECT_EQ(t.GetInt(6), want6[r]) << r;
    EXPECT_EQ(t.GetInt(7), want7[r]) << r;
  }
  std::vector<uint8_t> bad = {1, 0};
  EXPECT_EQ(t.AppendPacket(bad.data(), 2), -1);
  EXPECT_EQ(t.GetRecordNum(), 4);
}

// A part with no records may still declare huge widths: widening every record already held to
// them would take gigabytes, so the part is refused and the table kept.
TEST(MDBF, ContinuationPartsStayWithinLimits) {
  MDBF t;
  std::vector<uint8_t> many = Table({{1, 0, 1}}, 0xFFFF, {});
  ASSERT_EQ(t.AppendPacket(many.data(), static_cast<int>(many.size())), 11);
  std::vector<uint8_t> wide = Table({{2, 0xFFFF, 0}, {3, 0xFFFF, 0}}, 0, {});
  EXPECT_EQ(t.AppendPacket(wide.data(), static_cast<int>(wide.size())), -1);
  EXPECT_EQ(t.GetRecordNum(), 0xFFFF);
  EXPECT_EQ(t.GetFieldNum(), 1);
  // Zero-length records still count: sixteen more parts of 65535 pass the record limit.
  int r = 0;
  for (int i = 0; i < 16 && r >= 0; ++i)
    r = t.AppendPacket(many.data(), static_cast<int>(many.size()));
  EXPECT_EQ(r, -1);
  EXPECT_LE(t.GetRecordNum(), kMdbfMaxRecords);
}

TEST(MDBF, CopyMergeDelete) {
  std::vector<uint8_t> body = Table({{1, 1, 1}}, 5, {10, 11, 12, 13, 14}, 5);
  MDBF src;
  src.Parse(body.data(), static_cast<int>(body.size()));
  MDBF t;
  EXPECT_EQ(t.CopyFrom(src, 3, -1), 2);
  EXPECT_EQ(src.GetRecno(), 3);  // side effect on the source
  EXPECT_EQ(t.CopyFrom(src, -4, 2), 2);
  t.Seek(0);
  EXPECT_EQ(t.GetInt(1), 10);
  EXPECT_EQ(t.CopyFrom(src, 9, 1), 0);
  EXPECT_EQ(t.CopyFrom(t, 0, -1), 0);

  t.CopyFrom(src, 0, -1);
  t.Merge(src);
  EXPECT_EQ(t.GetRecordNum(), 10);
  EXPECT_EQ(t.GetRecno(), 9);
  t.Merge(t);
  EXPECT_EQ(t.GetRecordNum(), 20);

  MDBF d;
  d.CopyFrom(src, 0, -1);
  d.Seek(4);
  EXPECT_EQ(d.DeleteRecord(1), -1);  // current index 4 is now past the end
  EXPECT_EQ(d.GetRecordNum(), 4);
  EXPECT_EQ(d.GetTotalRecNum(), 4);
  d.Seek(1);
  EXPECT_EQ(d.GetInt(1), 12);
  EXPECT_EQ(d.DeleteRecord(0), 1);
  EXPECT_EQ(d.GetInt(1), 13);
  EXPECT_EQ(d.DeleteRecord(7), 1);  // out of range: refused
  EXPECT_EQ(d.GetRecordNum(), 3);
}
