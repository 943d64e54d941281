#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/CDataIP.h"
#include "core/CoreConfig.h"
#include "core/CoreText.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "tests/core/ConfigTestSupport.h"

namespace {

std::vector<std::string> Addresses(const CDataIP& list) {
  std::vector<std::string> out;
  char text[CDataIP::kAddressSize];
  for (int i = 0; i < list.GetCount(); ++i) {
    list.GetIP(i, text, sizeof text);
    out.push_back(text);
  }
  return out;
}

using List = std::vector<std::string>;

TEST(ServerList, AddDropsCaseInsensitiveDuplicatesAndStopsAtTen) {
  CDataIP list;
  EXPECT_EQ(list.AddIP("Quote.example:80"), 1);
  EXPECT_EQ(list.AddIP("quote.EXAMPLE:80"), 1);
  for (int i = 0; i < 12; ++i) {
    std::string host = "h";
    host += std::to_string(i);
    host += ":1";
    list.AddIP(host.c_str());
  }
  EXPECT_EQ(list.GetCount(), 10);
  EXPECT_EQ(Addresses(list).back(), "h8:1");

  CDataIP longOne;
  longOne.AddIP(std::string(400, 'a').c_str());
  EXPECT_EQ(Addresses(longOne)[0].size(), 255u);

  char out[8] = "x";
  EXPECT_EQ(list.GetIP(10, out, sizeof out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(list.GetIP(0, out, sizeof out), 1);
  EXPECT_STREQ(out, "Quote.e");  // cut to the output size
}

TEST(ServerList, DeleteKeepsOrderAndRestoreBringsBackTheBackup) {
  CDataIP list;
  for (const char* a : {"a:1", "b:2", "c:3"}) list.AddIP(a);
  EXPECT_EQ(list.DeleteIndex(3), 0);
  EXPECT_EQ(list.DeleteIndex(0), 1);
  EXPECT_EQ(Addresses(list), (List{"b:2", "c:3"}));
  list.RestoreList();
  EXPECT_EQ(Addresses(list), (List{"a:1", "b:2", "c:3"}));

  list.DeleteIndex(1);
  list.SaveList();
  list.AddIP("d:4");  // an append refreshes the backup too
  list.DeleteIndex(0);
  list.RestoreList();
  EXPECT_EQ(Addresses(list), (List{"a:1", "c:3", "d:4"}));
}

// A connection removes the address that won its race while the main thread refills the list
// (a new login's server answer, a reset): the removal must take that address and no other.
TEST(ServerList, DeletingTheWinnerByTextRacesARefillAndNeverLosesAnotherAddress) {
  CDataIP list;
  CDataIP orderA, orderB;
  for (const char* a : {"a:1", "b:2", "c:3"}) orderA.AddIP(a);
  for (const char* a : {"b:2", "c:3", "a:1"}) orderB.AddIP(a);
  list = orderA;
  std::atomic<bool> stop{false};
  std::thread refill([&] {
    for (int i = 0; !stop; ++i) list = (i % 2) ? orderA : orderB;
  });
  int lost = 0;
  for (int i = 0; i < 20000; ++i) {
    list = orderA;
    CDataIP copy = list.CopyRestoringIfEmpty();
    char winner[CDataIP::kAddressSize];
    ASSERT_EQ(copy.GetIP(0, winner, sizeof winner), 1);
    list.DeleteIP(winner);
    CDataIP after(list);
    List seen = Addresses(after);
    for (const char* other : {"a:1", "b:2", "c:3"}) {
      if (other == std::string(winner)) continue;
      if (std::find(seen.begin(), seen.end(), other) == seen.end()) ++lost;
    }
  }
  stop = true;
  refill.join();
  EXPECT_EQ(lost, 0);
}

TEST(ServerList, DeleteByTextAndRestoreWhenEmptyAreSingleSteps) {
  CDataIP list;
  for (const char* a : {"a:1", "B:2", "c:3"}) list.AddIP(a);
  EXPECT_EQ(list.DeleteIP("b:2"), 1);  // without regard to case, as adding
  EXPECT_EQ(list.DeleteIP("b:2"), 0);
  EXPECT_EQ(list.DeleteIP(nullptr), 0);
  EXPECT_EQ(Addresses(list), (List{"a:1", "c:3"}));
  EXPECT_EQ(Addresses(list.CopyRestoringIfEmpty()), (List{"a:1", "c:3"}));  // not empty: as is
  list.DeleteIP("a:1");
  list.DeleteIP("c:3");
  EXPECT_EQ(Addresses(list.CopyRestoringIfEmpty()), (List{"a:1", "B:2", "c:3"}));
  EXPECT_EQ(list.GetCount(), 3);
}

TEST(ServerList, NextAndLastCycleThroughTheList) {
  CDataIP list;
  char out[64];
  EXPECT_EQ(list.GetNextIP(out, sizeof out), 0);
  for (const char* a : {"a:1", "b:2", "c:3"}) list.AddIP(a);
  EXPECT_EQ(list.GetLastIP(out, sizeof out), 0);
  EXPECT_STREQ(out, "");

  struct Step {
    int result;
    const char* address;
  } steps[] = {{1, "a:1"}, {1, "b:2"}, {1, "c:3"}, {0, "a:1"}, {0, "b:2"}};
  for (const Step& s : steps) {
    EXPECT_EQ(list.GetNextIP(out, sizeof out), s.result);
    EXPECT_STREQ(out, s.address);
    EXPECT_EQ(list.GetLastIP(out, sizeof out), 1);
    EXPECT_STREQ(out, s.address);
  }
  // A caller that never resets keeps cycling without the counter running away.
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(list.GetNextIP(out, sizeof out), 0);
  EXPECT_STREQ(out, "c:3");  // call 1005 hands out address (1005 - 1) % 3

  list.Reset();
  EXPECT_EQ(list.GetLastIP(out, sizeof out), 0);
  EXPECT_EQ(list.GetNextIP(out, sizeof out), 1);
  EXPECT_STREQ(out, "a:1");
}

TEST(ServerList, KeyValueCountsOnlyTheFirstWholeKey) {
  char out[32];
  struct Case {
    const char* text;
    const char* key;
    const char* value;
  } cases[] = {
      {"type=6,addr1=a:1,addr2=b:2", "addr2", "b:2"},
      {"type=6,addr1=a:1", "type", "6"},
      {"type=6,addr10=x:1,addr1=a:1", "addr1", ""},  // first occurrence is not a whole key
      {"xtype=6", "type", ""},
      {"type6", "type", ""},
      {"type=6,addr1=", "addr1", ""},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(GetKeyValue(c.text, out, sizeof out, c.key), c.value) << c.text;
  }
  EXPECT_EQ(GetKeyValueInt("type=12abc,addr1=a", "type"), 12);
  EXPECT_EQ(GetKeyValueInt("addr1=a", "type"), 0);
}

class ServerAddressStringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setDocumentsDir(m_dir.path());
    InitDocumentPath(nullptr, 0);
    ClearServerLists();
    GetSaveConfig().Load(m_dir.file("save.cfg").c_str());
  }
  void TearDown() override { ClearServerLists(); }
  TempFolder m_dir;
};

TEST_F(ServerAddressStringTest, GroupsRebuildTheirListsAndTheAuthListIsSaved) {
  GetServerList(kServerListMessage)->AddIP("old:1");
  SetServerAddressList(
      "type=6,addr1=auth1:17001,addr2=AUTH1:17001 ; type=1,addr1=q:17002;type=4,addr1=x:1;"
      "type=7,addr1=p:17006,addr2=p2:17006");
  EXPECT_EQ(Addresses(*GetServerList(kServerListAuth)), (List{"auth1:17001"}));
  EXPECT_EQ(Addresses(*GetServerList(kServerListQuote)), (List{"q:17002"}));
  EXPECT_EQ(Addresses(*GetServerList(kServerListPriceAlert)), (List{"p:17006", "p2:17006"}));
  EXPECT_EQ(Addresses(*GetServerList(kServerListMessage)), (List{"old:1"}));  // not named

  // Every address of the group is written, duplicates included, with the count.
  MIniFile saved;
  ASSERT_EQ(saved.Load(m_dir.file("save.cfg").c_str()), 0);
  EXPECT_EQ(saved.GetInt("hq", "num", 0), 2);
  char out[64];
  EXPECT_STREQ(saved.GetStringLocked("hq", "ip2", "", out, sizeof out), "AUTH1:17001");

  // A shorter list later: old higher keys stay in the file beyond "num".
  SetServerAddressList("type=6,addr1=n:1");
  saved.Load(m_dir.file("save.cfg").c_str());
  EXPECT_EQ(saved.GetInt("hq", "num", 0), 1);
  EXPECT_STREQ(saved.GetStringLocked("hq", "ip2", "", out, sizeof out), "AUTH1:17001");
}

TEST_F(ServerAddressStringTest, EmptyGroupsAndGroupsWithoutAddresses) {
  GetServerList(kServerListQuote)->AddIP("q:1");
  GetServerList(kServerListTrade)->AddIP("t:1");
  SetServerAddressList("type=1;;type=2,addr1=new:1");
  EXPECT_EQ(GetServerList(kServerListQuote)->GetCount(), 0);              // emptied: no addresses
  EXPECT_EQ(Addresses(*GetServerList(kServerListTrade)), (List{"t:1"}));  // after the gap

  SetServerAddressList("addr1=a:1;type=9,addr1=b:1");  // no type, unlisted type
  EXPECT_EQ(Addresses(*GetServerList(kServerListTrade)), (List{"t:1"}));
  EXPECT_FALSE(FileExists(m_dir.file("save.cfg")));  // no type 6 group, nothing written
  SetServerAddressList(nullptr);
}

// Readers copy whole lists while the login answer replaces them on another thread.
TEST_F(ServerAddressStringTest, ReadersNeverSeeAHalfBuiltList) {
  foundation::setLogLevel(foundation::LogLevel::Error);  // one line per address string
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; i < 300; ++i) {
      SetServerAddressList(i % 2 ? "type=1,addr1=a:1,addr2=b:2,addr3=c:3"
                                 : "type=1,addr1=x:1,addr2=y:2,addr3=z:3");
    }
    stop = true;
  });
  while (!stop) {
    CDataIP copy = *GetServerList(kServerListQuote);
    List seen = Addresses(copy);
    if (!seen.empty()) {
      ASSERT_EQ(seen.size(), 3u);
      ASSERT_TRUE(seen[0] == "a:1" ? seen[2] == "c:3" : seen[2] == "z:3");
    }
  }
  writer.join();
  foundation::setLogLevel(foundation::LogLevel::Info);
}

}  // namespace
