#include "core/ListBuffer.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(tagListBuffer, GrowsInKilobyteStepsAndKeepsSpareZero) {
  tagListBuffer b;
  EXPECT_EQ(b.GetData(), nullptr);
  ASSERT_EQ(b.Append("x", 1), 1);
  EXPECT_EQ(b.m_iMaxSize, 1024u);
  char block[1023];
  std::memset(block, 'y', sizeof block);
  ASSERT_EQ(b.Append(block, sizeof block), 1);  // need 1024, reserve 1025
  EXPECT_EQ(b.m_iUseSize, 1024u);
  EXPECT_EQ(b.m_iMaxSize, 2048u);
  EXPECT_EQ(b.GetData()[1024], 0);  // text stays terminated
  ASSERT_EQ(b.Extend(3), 1);
  EXPECT_EQ(b.m_iUseSize, 1027u);
  EXPECT_EQ(b.GetData()[1026], 0);

  b.Clear();
  EXPECT_EQ(b.m_iUseSize, 0u);
  EXPECT_EQ(b.m_iMaxSize, 2048u);
  EXPECT_EQ(b.GetData()[0], 0);
  EXPECT_EQ(b.Reserve(100), 2048u);  // never shrinks
}

TEST(tagListBuffer, DeleteZeroesTheTailAndRefusesBadRanges) {
  tagListBuffer b;
  b.Append("0123456789", 10);
  EXPECT_EQ(b.Delete(7, 3), 1);
  EXPECT_EQ(b.m_iUseSize, 7u);
  EXPECT_STREQ(b.GetData(), "0123456");
  for (int i = 7; i < 10; ++i) EXPECT_EQ(b.GetData()[i], 0);
  EXPECT_EQ(b.Delete(1, 2), 1);
  EXPECT_STREQ(b.GetData(), "03456");

  struct {
    int pos, len;
  } bad[] = {{-1, 1}, {5, 1}, {0, 0}, {3, 3}, {0, 6}, {2, -1}};
  for (auto c : bad) EXPECT_EQ(b.Delete(c.pos, c.len), 0) << c.pos << "," << c.len;
  EXPECT_STREQ(b.GetData(), "03456");
}

TEST(tagListBuffer, RefusesSizesBeyondThirtyTwoBits) {
  tagListBuffer b;
  b.Append("abc", 3);
  EXPECT_EQ(b.Append("x", 0xFFFFFFFFu), 0);
  EXPECT_EQ(b.m_iUseSize, 3u);
  EXPECT_EQ(b.Reserve(uint64_t{1} << 33), 1024u);
}

namespace {
struct Item {
  char text[4];
};
Item Make(char c) {
  return Item{{c, c, c, 0}};
}
std::string Letters(const TListBuffer& l) {
  std::string s;
  for (int i = 0; i < l.GetCount(); ++i) s += l.GetAt(i)[0];
  return s;
}
}  // namespace

TEST(TListBuffer, AppendInsertDelete) {
  TListBuffer l(10, sizeof(Item), 10);
  EXPECT_EQ(l.m_lMaxItemNum, 10);
  Item abc[3] = {Make('a'), Make('b'), Make('c')};
  EXPECT_EQ(l.Append(abc, 3), 3);
  Item x = Make('x');
  EXPECT_EQ(l.InsertAt(5, &x, 1), 4);  // past the count: appended
  EXPECT_EQ(Letters(l), "abcx");
  EXPECT_EQ(l.InsertAt(1, &x, 1), 5);
  EXPECT_EQ(Letters(l), "axbcx");
  EXPECT_EQ(l.InsertAt(l.m_lMaxItemNum, &x, 1), 5);  // not below the capacity
  EXPECT_EQ(l.InsertAt(-1, &x, 1), 5);
  EXPECT_EQ(l.DeleteAt(2, 100), 2);
  EXPECT_EQ(Letters(l), "ax");
  EXPECT_EQ(l.DeleteAt(2, 1), 2);
  EXPECT_EQ(l.DeleteAt(0, 0), 2);
  EXPECT_EQ(l.Append(nullptr, 1), 2);
}

TEST(TListBuffer, GrowsByTheStep) {
  TListBuffer l;
  l.SetItemSize(sizeof(Item));
  l.SetAddNum(4);
  Item a = Make('a');
  l.Append(&a, 1);
  EXPECT_EQ(l.m_lMaxItemNum, 4);
  for (int i = 0; i < 3; ++i) l.Append(&a, 1);  // the 4th append fills up: grows early
  EXPECT_EQ(l.GetCount(), 4);
  EXPECT_EQ(l.m_lMaxItemNum, 7);
  Item many[9];
  for (auto& m : many) m = Make('m');
  l.Append(many, 9);  // a block larger than the step grows by the block
  EXPECT_EQ(l.GetCount(), 13);
  EXPECT_GE(l.m_lMaxItemNum, 13);
  l.SetAddNum(0);
  EXPECT_EQ(l.m_lAddNum, 4);
}

TEST(TListBuffer, CopyOutAssignClear) {
  TListBuffer l(0, sizeof(Item), 10);
  Item items[5] = {Make('a'), Make('b'), Make('c'), Make('d'), Make('e')};
  l.Append(items, 5);
  Item out[3];
  std::memset(out, 'z', sizeof out);
  EXPECT_EQ(l.CopyOut(4, out, 3), out);
  EXPECT_STREQ(out[0].text, "eee");
  EXPECT_EQ(out[1].text[0], 0);
  EXPECT_EQ(out[2].text[0], 0);
  EXPECT_EQ(l.CopyOut(9, out, 1), out);  // nothing to copy, still zeroed
  EXPECT_EQ(out[0].text[0], 0);
  EXPECT_EQ(l.CopyOut(-1, out, 1), nullptr);
  EXPECT_EQ(l.CopyOut(0, nullptr, 1), nullptr);
  EXPECT_EQ(l.CopyOut(0, out, 0), nullptr);

  TListBuffer copy;
  EXPECT_EQ(copy.Assign(l), 5);
  EXPECT_EQ(copy.GetItemSize(), static_cast<int>(sizeof(Item)));
  EXPECT_EQ(Letters(copy), "abcde");
  EXPECT_EQ(copy.Assign(copy), 5);
  copy.Clear();
  EXPECT_EQ(copy.GetCount(), 0);
  EXPECT_EQ(copy.GetAt(0), nullptr);

  l.SetItemSize(2);  // empties the list
  EXPECT_EQ(l.GetCount(), 0);
  EXPECT_EQ(l.m_lMaxItemNum, 20);  // 40 bytes of 2-byte items
}
