// The head check of the chart and tick replies: bodies shorter than their head are refused and
// the counts handed on never pass the stores or the records the body holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/ByteOrder.h"
#include "core/ReceiveRecord.h"
#include "core/ReplyHead.h"

namespace {

std::vector<uint8_t> Head(int size, int countOffset, uint16_t count) {
  std::vector<uint8_t> body(static_cast<size_t>(size), 0);
  WriteLE16(body.data() + countOffset, count);
  return body;
}

TEST(ReplyHead, ShortBodiesAreRefusedAndCountsBounded) {
  ReplyHeadCheck check;
  const struct {
    ReplyHeadKind kind;
    int head, offset, capacity;
  } kinds[] = {{ReplyHeadKind::Trend, 13, 11, 1450},
               {ReplyHeadKind::HistTrend, 29, 27, 1450},
               {ReplyHeadKind::KLine, 21, 11, 400},
               {ReplyHeadKind::Weight, 11, 9, 200}};
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.head);
    std::vector<uint8_t> body = Head(k.head, k.offset, 9999);
    EXPECT_FALSE(CheckReplyHead(k.kind, body.data(), k.head - 1, &check));
    ASSERT_TRUE(CheckReplyHead(k.kind, body.data(), k.head, &check));
    EXPECT_EQ(check.headSize, k.head);
    EXPECT_EQ(check.count, k.capacity);
    SetReplyHeadCount(k.kind, body.data(), 7);
    EXPECT_EQ(ReadLE16(body.data() + k.offset), 7);
  }
  EXPECT_FALSE(CheckReplyHead(ReplyHeadKind::Trend, nullptr, 100, &check));

  // A negative event count is none.
  std::vector<uint8_t> weights = Head(11, 9, 0xfff0);
  ASSERT_TRUE(CheckReplyHead(ReplyHeadKind::Weight, weights.data(), 11, &check));
  EXPECT_EQ(check.count, 0);

  // Ticks: as many whole records as the body holds.
  std::vector<uint8_t> ticks = Head(11 + 3 * 11 + 10, 9, 20);
  ASSERT_TRUE(
      CheckReplyHead(ReplyHeadKind::Ticks, ticks.data(), static_cast<int>(ticks.size()), &check));
  EXPECT_EQ(check.count, 3);
  ASSERT_TRUE(CheckReplyHead(ReplyHeadKind::FuturesTicks, ticks.data(),
                             static_cast<int>(ticks.size()), &check));
  EXPECT_EQ(check.count, 2);
}

TEST(ReplyHead, ServerAnswersAndFuzzFindsStayWithinTheirBodies) {
  std::filesystem::path dir =
      std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz/reply_head";
  int seen = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    std::ifstream f(e.path(), std::ios::binary);
    std::vector<uint8_t> in((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<uint8_t> record(kReceiveRecordSize, 0);
    std::copy_n(in.begin(), std::min(in.size(), record.size()), record.begin());
    ReceiveRecordView view;
    ASSERT_TRUE(ReceiveRecordView::From(record.data(), kReceiveRecordSize, view));
    const ReplyHeadKind kind = view.header.ChildType == 33   ? ReplyHeadKind::Trend
                               : view.header.ChildType == 32 ? ReplyHeadKind::KLine
                                                             : ReplyHeadKind::Ticks;
    ReplyHeadCheck check;
    ASSERT_TRUE(CheckReplyHead(kind, view.body, view.bodyLen, &check)) << e.path();
    EXPECT_GT(check.count, 0) << e.path();
    if (kind == ReplyHeadKind::Ticks) {
      EXPECT_LE(11 + check.count * 11, view.bodyLen);
    }
    ++seen;
  }
  EXPECT_GE(seen, 3);
}

}  // namespace
