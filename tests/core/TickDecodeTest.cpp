#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/TickDecode.h"

namespace {

std::vector<uint8_t> Entries(const std::vector<tagLocalDealData>& ticks) {
  std::vector<uint8_t> out(ticks.size() * sizeof(tagLocalDealData));
  if (!ticks.empty()) std::memcpy(out.data(), ticks.data(), out.size());
  return out;
}

TEST(TickDecode, DifferencesAddUpToClockTimesAndScaledPrices) {
  const auto bytes = Entries({{570, 1234, 7, 0}, {1, 1, 8, 1}, {2, -2, 9, 2}});
  tagLocalDealData out[kTickListCapacity];
  ASSERT_EQ(DecodeTickList(bytes.data(), bytes.size(), 3, 100, out, kTickListCapacity), 3);
  EXPECT_EQ(int{out[0].time}, 930);
  EXPECT_EQ(int{out[1].time}, 931);
  EXPECT_EQ(int{out[2].time}, 933);
  EXPECT_EQ(int{out[0].price}, 123400);
  EXPECT_EQ(int{out[1].price}, 123500);
  EXPECT_EQ(int{out[2].price}, 123300);
  EXPECT_EQ(int{out[2].volume}, 9);
  EXPECT_EQ(int{out[1].inoutflag}, 1);
}

TEST(TickDecode, LongListsKeepTheNewestAndNothingReadsPastTheBytes) {
  // 25 ticks a minute apart from 9:30: the sums run over all, the last 20 are kept.
  std::vector<tagLocalDealData> ticks(25, tagLocalDealData{1, 1, 1, 0});
  ticks[0] = {570, 1000, 1, 0};
  for (int i = 0; i < 25; ++i) ticks[static_cast<size_t>(i)].volume = i;
  const auto bytes = Entries(ticks);
  tagLocalDealData out[kTickListCapacity];
  ASSERT_EQ(DecodeTickList(bytes.data(), bytes.size(), 25, 1, out, kTickListCapacity), 20);
  EXPECT_EQ(int{out[0].volume}, 5);
  EXPECT_EQ(int{out[0].time}, 935);
  EXPECT_EQ(int{out[0].price}, 1005);
  EXPECT_EQ(int{out[19].volume}, 24);
  EXPECT_EQ(int{out[19].time}, 954);

  // A count beyond the bytes decodes only the entries present.
  EXPECT_EQ(DecodeTickList(bytes.data(), 3 * sizeof(tagLocalDealData) + 5, 25, 1, out, 20), 3);
  EXPECT_EQ(int{out[2].volume}, 2);
  // Hostile differences saturate instead of wrapping into plausible values.
  const auto huge = Entries({{32767, 2147483647, 0, 0}, {32767, 2147483647, 0, 0}});
  ASSERT_EQ(DecodeTickList(huge.data(), huge.size(), 2, 10000, out, 20), 2);
  EXPECT_EQ(int{out[1].price}, 2147483647);
  EXPECT_EQ(int{out[1].time}, 32767);
  // Nothing to read, or nowhere to write.
  EXPECT_EQ(DecodeTickList(nullptr, 0, 0, 1, out, 20), 0);
  EXPECT_EQ(DecodeTickList(nullptr, 0, 3, 1, out, 20), -1);
  EXPECT_EQ(DecodeTickList(bytes.data(), bytes.size(), 3, 1, nullptr, 20), -1);
  EXPECT_EQ(DecodeTickList(bytes.data(), bytes.size(), -4, 1, out, 20), 0);
}

}  // namespace
