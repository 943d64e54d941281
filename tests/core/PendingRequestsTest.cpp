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
  EXPECT_NE(pending.find(7), nullptr);
  // The same code again replaces what it waited for instead of waiting twice.
  pending.expect(7, kList);
  EXPECT_EQ(pending.size(), 3u);
  EXPECT_EQ(*pending.find(7), kList);
  pending.forget(kList);
  EXPECT_EQ(pending.size(), 1u);
  EXPECT_NE(pending.find(1), nullptr);
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
  EXPECT_EQ(pending.find(first), nullptr);
  EXPECT_EQ(pending.codeOf(kList), second);
  EXPECT_NE(pending.find(other), nullptr);
}

TEST(PendingRequests, CodesAreFourteenBitSerialsEverywhereAndZeroIsNone) {
  PendingRequests<Slot> pending;
  // A code word with the push bits set finds, and takes, what its serial was sent for.
  pending.expect(9, kList);
  ASSERT_NE(pending.find(static_cast<uint16_t>(0xC000 | 9)), nullptr);
  EXPECT_EQ(*pending.find(static_cast<uint16_t>(0x4000 | 9)), kList);
  EXPECT_EQ(pending.take(static_cast<uint16_t>(0x8000 | 9)), kList);
  EXPECT_TRUE(pending.empty());

  // No code is 0: neither a code without serial bits nor a request without its object is waited
  // for, so a reply carrying code 0 (the quote login's answer) is nobody's.
  pending.expect(0, kList);
  pending.expect(0x4000, kContent);
  EXPECT_EQ(pending.add(static_cast<CDataRequest*>(nullptr), kDelete), 0);
  EXPECT_TRUE(pending.empty());
  EXPECT_EQ(pending.codeOf(kDelete), 0);
  EXPECT_EQ(pending.find(0), nullptr);
  EXPECT_FALSE(pending.take(0).has_value());
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
