// The walk over the record tables of a radar body: tables in order, rows capped, and the walk
// always ends inside the body (the buffers here are exactly as long as the body, so reading past
// it is caught by the address sanitizer).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/MDBF.h"
#include "core/RadarReplies.h"
#include "tests/alerts/RadarTestSupport.h"

using namespace radartest;

namespace {

std::vector<RadarRow> Read(const Bytes& body, int field = kRadarTitleField, int max = 1000) {
  // An exact-size copy on the heap.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[body.size() + (body.empty() ? 1 : 0)]);
  std::copy(body.begin(), body.end(), exact.get());
  return ReadRadarRows(exact.get(), static_cast<int>(body.size()), field, max);
}

TEST(RadarReplies, RowsOfEveryTableInOrderWithSixtyFourBitIds) {
  const Bytes body =
      Join(RadarTable({{20150105, 93005, 4294967297LL, "甲"}}),
           RadarTable({{20150104, 100000, 2147483648LL, "乙"}, {20150103, 110000, 5, "丙"}}));
  const std::vector<RadarRow> rows = Read(body);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].id, 4294967297LL);
  EXPECT_EQ(rows[0].date, 20150105);
  EXPECT_EQ(rows[0].time, 93005);
  EXPECT_EQ(rows[0].text, "甲");
  EXPECT_EQ(rows[1].id, 2147483648LL);
  EXPECT_EQ(rows[2].text, "丙");
  // The other text field reads empty.
  EXPECT_EQ(Read(body, kRadarTextField)[0].text, "");
  EXPECT_EQ(Read(body, kRadarTitleField, 2).size(), 2u);
}

TEST(RadarReplies, HostileBodiesEndTheWalkInsideTheBody) {
  const Bytes good = RadarTable({{20150105, 93005, 1, "甲"}});
  // Every cut of a good two-table body: whole tables only, never past the end.
  const Bytes two = Join(good, good);
  for (size_t cut = 0; cut <= two.size(); ++cut) {
    const auto rows = Read(Bytes(two.begin(), two.begin() + static_cast<long>(cut)));
    EXPECT_EQ(rows.size(), cut == two.size() ? 2u : cut >= good.size() ? 1u : 0u) << cut;
  }
  // Tables without fields use 7 bytes each and hold no rows; the walk still ends.
  Bytes empties(7 * 1200, 0);
  MDBF table;
  int tables = 0;
  EXPECT_EQ(WalkRecordTables(empties.data(), static_cast<int>(empties.size()), table,
                             [&](MDBF&) { return ++tables > 0; }),
            7 * 1200);
  EXPECT_EQ(tables, 1200);
  // Zero-width records: the rows stop at the cap.
  EXPECT_EQ(Read(ZeroWidthTables(800, 65535)).size(), 1000u);
  // A null body walks nothing.
  EXPECT_EQ(WalkRecordTables(nullptr, 100, table, [](MDBF&) { return true; }), 0);
}

}  // namespace
