#include <gtest/gtest.h>

#include <string>

#include "core/MessageTypes.h"
#include "core/PacketHeader.h"
#include "core/PendingRequests.h"
#include "core/ReceiveRecord.h"

namespace {

enum Slot { kList, kContent, kDelete };

TEST(PendingRequests, ARepliesCodeFindsWhatItAnswersOnce) {
  PendingRequests<Slot> pending;
  uint16_t counter = 0;
  const uint16_t list = pending.add(counter, kList);
  const uint16_t content = pending.add(counter, kContent);
  EXPECT_NE(list, content);
  EXPECT_EQ(pending.size(), 2u);
  EXPECT_EQ(pending.codeOf(kContent), content);
  EXPECT_EQ(pending.codeOf(kDelete), 0);

  // A code nobody sent (another screen's, a late one) is not found.
  EXPECT_FALSE(pending.take(static_cast<uint16_t>(content + 5)).has_value());
  auto taken = pending.take(content);
  ASSERT_TRUE(taken.has_value());
  EXPECT_EQ(*taken, kContent);
  // A second reply with the same code (a repeated packet) finds nothing.
  EXPECT_FALSE(pending.take(content).has_value());
  ASSERT_NE(pending.find(list), nullptr);
  EXPECT_EQ(*pending.find(list), kList);
}

TEST(PendingRequests, CodesWrapPastFourteenBitsAndNeverAreZero) {
  PendingRequests<Slot> pending;
  uint16_t counter = 16382;
  EXPECT_EQ(pending.add(counter, kList), 16383);
  EXPECT_EQ(pending.add(counter, kContent), 1);
  // A code drawn elsewhere with push bits set is kept as its 14-bit serial.
  pending.expect(static_cast<uint16_t>(0x8000 | 7), kDelete);
  EXPECT_TRUE(pending.awaits(7));
  // The same code again replaces what it waited for instead of waiting twice.
  pending.expect(7, kList);
  EXPECT_EQ(pending.size(), 3u);
  EXPECT_EQ(*pending.find(7), kList);
  pending.forget(kList);
  EXPECT_EQ(pending.size(), 1u);
  EXPECT_TRUE(pending.awaits(1));
  pending.clear();
  EXPECT_TRUE(pending.empty());
}

TEST(PendingRequests, ARenewedRequestNoLongerTakesTheOldReply) {
  PendingRequests<Slot> pending;
  CDataRequest request;
  const uint16_t first = pending.add(&request, kList);
  const uint16_t other = pending.add(&request, kDelete);
  const uint16_t second = pending.renew(&request, kList);
  EXPECT_NE(first, second);
  EXPECT_FALSE(pending.awaits(first));
  EXPECT_EQ(pending.codeOf(kList), second);
  EXPECT_TRUE(pending.awaits(other));
}

TEST(PendingRequests, AReceiveRecordsSerialIsItsFourteenBitCode) {
  // A pushed reply sets the top bits of the code word; the serial leaves them out.
  uint8_t record[kReceiveRecordSize] = {};
  record[0] = kReceiveStatusPacket;
  PacketHeader h;
  h.MainType = kMainTypeLogin;
  h.ChildType = LoginChild::kMessageList;
  h.RequestCode = 0x1234;
  h.DataFlag = kDataFlagPush;
  h.Write(record + kReceiveRecordHeaderOffset);
  ReceiveRecordView view;
  ASSERT_TRUE(ReceiveRecordView::From(record, kReceiveRecordSize, view));
  EXPECT_EQ(view.requestCode(), 0x1234);
  EXPECT_TRUE(view.isPacket(kMainTypeLogin, LoginChild::kMessageList));
  EXPECT_FALSE(view.isPacket(kMainTypeLogin, LoginChild::kMessageContent));
  record[0] = kReceiveStatusConnectFailed;
  ASSERT_TRUE(ReceiveRecordView::From(record, kReceiveRecordSize, view));
  EXPECT_FALSE(view.isPacket(kMainTypeLogin, LoginChild::kMessageList));
}

}  // namespace
