#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "core/CoreText.h"
#include "core/MIniFile.h"
#include "core/SelfStock.h"
#include "platform/foundation/DurableFile.h"
#include "platform/foundation/Paths.h"
#include "tests/core/ConfigTestSupport.h"

namespace {

tagCodeItem CodeItem(int market, int type, const char* code) {
  tagCodeItem item{};
  item.market = static_cast<uint8_t>(market);
  item.zqlb = static_cast<uint8_t>(type);
  std::snprintf(item.code, sizeof item.code, "%s", code);
  return item;
}

std::vector<std::string> Listed() {
  std::vector<std::string> out;
  for (int i = 0; i < SelfStock_GetCount(); ++i) {
    const tagCodeItem* item = SelfStock_GetItem(i);
    out.push_back(std::to_string(item->market) + "," + std::to_string(item->zqlb) + "," +
                  item->code);
  }
  return out;
}

using List = std::vector<std::string>;

class StoredWatchListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setDocumentsDir(m_dir.path());
    InitDocumentPath(nullptr, 0);
    SelfStock_Clear();
    SelfStock_SetLoginUser("");
    SelfStock_SetUserName("");
    SelfStock_SetListTime(0, 0);
    SelfStock_SetUploadState(0);
    SelfStock_SetDirty(0);
  }
  void TearDown() override {
    SelfStock_SetClock(nullptr);
    SelfStock_Clear();
  }
  std::string FilePath() const { return m_dir.file("selfblk.cfg"); }
  TempFolder m_dir;
};

// Mended: the load reads as many items as may be added, so a full list survives a restart.
TEST_F(StoredWatchListTest, ThousandItemsRoundTripAndTheLimitHolds) {
  std::vector<tagCodeItem> items;
  for (int i = 0; i < kSelfStockMaxItems; ++i) {
    char code[9];
    std::snprintf(code, sizeof code, "%06d", 600000 + i);
    items.push_back(CodeItem(1 + i % 2, i % 3, code));
  }
  ASSERT_TRUE(SelfStock_ReplaceAll(items.data(), static_cast<int>(items.size())));
  EXPECT_FALSE(SelfStock_Add(1, "999999", 1));  // the 1001st
  List saved = Listed();

  SelfStock_Clear();
  EXPECT_EQ(SelfStock_Load(), kSelfStockMaxItems);
  EXPECT_EQ(Listed(), saved);
  EXPECT_EQ(saved.back(), "2,0,600999");

  MIniFile ini;
  ASSERT_EQ(ini.Load(FilePath().c_str()), 0);
  char out[64];
  EXPECT_STREQ(ini.GetStringLocked("main", "1000", "", out, sizeof out), "2,0,600999");
  EXPECT_STREQ(ini.GetStringLocked("main", "1001", "x", out, sizeof out), "");
}

TEST_F(StoredWatchListTest, ChangesSaveTheWholeListAndLoadStopsAtTheEmptyKey) {
  WriteFileBytes(FilePath(),
                 "[other]\nkeep=1\n[main]\n1=1,1,000001\n2=2,1,399001\n3=1,1,600000\n"
                 "4=1,1,600001\n5=1,1,600002\n");
  ASSERT_EQ(SelfStock_Load(), 5);
  tagCodeItem three[] = {CodeItem(1, 1, "600000"), CodeItem(2, 1, "399001"),
                         CodeItem(1, 1, "000001")};
  SelfStock_ReplaceAll(three, 3);
  EXPECT_EQ(ReadFileBytes(FilePath()),
            "[other]\nkeep=1\n[main]\n1=1,1,600000\n2=2,1,399001\n3=1,1,000001\n4=\n"
            "5=1,1,600002\n[info]\nusername=\nserverdate=00\n");
  EXPECT_EQ(SelfStock_Load(), 3);  // the stale key 5 lies beyond the empty 4
  EXPECT_EQ(Listed(), (List{"1,1,600000", "2,1,399001", "1,1,000001"}));

  EXPECT_TRUE(SelfStock_Remove(2, "399001"));
  EXPECT_EQ(SelfStock_Load(), 2);
  std::filesystem::remove(FilePath());
  EXPECT_FALSE(SelfStock_Remove(1, "600001"));  // absent: nothing written
  EXPECT_FALSE(SelfStock_FileExists());
}

TEST_F(StoredWatchListTest, AddRulesAndItemLists) {
  EXPECT_FALSE(SelfStock_Add(0, "600000", 1));  // market 0
  EXPECT_TRUE(SelfStock_Add(1, "600000", 1));
  EXPECT_TRUE(SelfStock_Add(1, "600000", 1));     // no duplicate check: callers ask Contains
  EXPECT_TRUE(SelfStock_Add(2, "123456789", 3));  // code cut to 8
  EXPECT_TRUE(SelfStock_FileExists());
  EXPECT_EQ(Listed(), (List{"1,1,600000", "1,1,600000", "2,3,12345678"}));
  EXPECT_TRUE(SelfStock_Contains(2, "12345678"));
  EXPECT_FALSE(SelfStock_Contains(1, "60000"));
  EXPECT_FALSE(SelfStock_Contains(2, "600000"));

  tagCodeItem more[] = {CodeItem(1, 1, "600000"), CodeItem(1, 2, "000001"),
                        CodeItem(1, 2, "000001")};
  more[1].code[8] = 'X';  // an unterminated code stays bounded
  SelfStock_AddItems(more, 3);
  EXPECT_EQ(Listed().back(), "1,2,000001");
  EXPECT_EQ(SelfStock_GetCount(), 4);

  SelfStock_ReplaceAll(more, 3);
  EXPECT_EQ(Listed(), (List{"1,1,600000", "1,2,000001"}));
  TListBuffer copy;
  EXPECT_EQ(SelfStock_CopyList(copy), 2);
  EXPECT_EQ(copy.GetItemSize(), 16);

  SelfStock_Clear();  // memory only
  EXPECT_EQ(SelfStock_GetCount(), 0);
  EXPECT_EQ(SelfStock_Load(), 2);
}

TEST_F(StoredWatchListTest, DamagedFileLoadsWhatItCan) {
  WriteFileBytes(FilePath(), "[info]\nserverdate=abc\n[main]\n1=garbage\n2=1,,\n3=,,7\n4=\n");
  EXPECT_EQ(SelfStock_Load(), 3);
  EXPECT_EQ(Listed(), (List{"0,0,", "1,0,", "0,0,7"}));
  EXPECT_EQ(SelfStock_GetListTime(), 0);

  std::filesystem::remove(FilePath());
  SelfStock_SetListTime(5, 6);
  EXPECT_EQ(SelfStock_Load(), 0);
  EXPECT_EQ(SelfStock_GetListTime(), 0);
  char name[40] = "x";
  EXPECT_EQ(SelfStock_GetUserName(name, sizeof name), 0);
  EXPECT_STREQ(name, "");
}

TEST_F(StoredWatchListTest, ListTimeIsSavedAsDateThenTimeAndReadBack) {
  struct Case {
    int date, time;
    const char* stored;
  } cases[] = {{20150102, 93000, "2015010293000"},
               {20151231, 235959, "20151231235959"},
               {20150102, 5, "201501025"}};
  for (const Case& c : cases) {
    SelfStock_SetListTime(c.time, c.date);
    SelfStock_Save();
    MIniFile ini;
    ini.Load(FilePath().c_str());
    char out[32];
    EXPECT_STREQ(ini.GetStringLocked("info", "serverdate", "", out, sizeof out), c.stored);
    SelfStock_SetListTime(0, 0);
    SelfStock_Load();
    EXPECT_EQ(SelfStock_GetListTime(), (int64_t{c.date} << 32) + c.time) << c.stored;
  }
}

// Mended: the owner is kept terminated at 30 characters and compared within them.
TEST_F(StoredWatchListTest, OwnerIsTheLoginUserOfTheLastSaveCutToThirty) {
  std::string longName(40, 'u');
  SelfStock_SetLoginUser(longName.c_str());
  EXPECT_FALSE(SelfStock_IsOwner(longName.c_str()));
  SelfStock_Save();
  char name[64];
  EXPECT_EQ(SelfStock_GetUserName(name, sizeof name), 30);
  EXPECT_EQ(std::string(name), longName.substr(0, 30));
  EXPECT_TRUE(SelfStock_IsOwner(longName.c_str()));
  EXPECT_FALSE(SelfStock_IsOwner("someone"));
  EXPECT_FALSE(SelfStock_IsOwner(nullptr));

  SelfStock_SetUserName("");
  SelfStock_SetLoginUser("");
  SelfStock_Load();
  EXPECT_EQ(SelfStock_GetUserName(name, 5), 4);  // cut to the caller's buffer
  EXPECT_TRUE(SelfStock_IsOwner(longName.substr(0, 30).c_str()));
}

TEST_F(StoredWatchListTest, ClearingTheUploadStateClearsTheUpdateFlag) {
  SelfStock_SetUploadState(1);
  SelfStock_SetUpdateFlag(1);
  SelfStock_SetDirty(1);
  SelfStock_Add(1, "600000", 1);  // changes leave the flags to the callers
  EXPECT_EQ(SelfStock_GetUpdateFlag(), 1);
  EXPECT_EQ(SelfStock_IsDirty(), 1);
  SelfStock_SetUploadState(0);
  EXPECT_EQ(SelfStock_GetUploadState(), 0);
  EXPECT_EQ(SelfStock_GetUpdateFlag(), 0);
}

// A fixed clock and time zone: the server clock is read as local (China, UTC+8) time.
class ServerTimeOffsetTest : public StoredWatchListTest {
 protected:
  void SetUp() override {
    StoredWatchListTest::SetUp();
    const char* tz = std::getenv("TZ");
    m_hadTz = tz != nullptr;
    if (tz) m_oldTz = tz;
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
    SelfStock_SetClock([this] { return m_now; });
  }
  void TearDown() override {
    if (m_hadTz) {
      setenv("TZ", m_oldTz.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
    StoredWatchListTest::TearDown();
  }
  static constexpr double kDeviceNow = 1420160400.25;  // 2015-01-02 01:00:00.25 UTC
  double m_now = kDeviceNow;
  bool m_hadTz = false;
  std::string m_oldTz;
};

TEST_F(ServerTimeOffsetTest, StampFollowsTheServerClock) {
  SetServerTimeOffset(93000, 20150102);  // device reads 09:00:00.25 local
  EXPECT_DOUBLE_EQ(SelfStock_GetServerTimeOffset(), 1799.75);
  EXPECT_EQ(SelfStock_StampNow(), (int64_t{20150102} << 32) + 93000);

  m_now += 53999;  // server clock 00:29:59 next day
  EXPECT_EQ(SelfStock_StampNow(), (int64_t{20150103} << 32) + 2959);
  EXPECT_EQ(SelfStock_GetListTime(), (int64_t{20150103} << 32) + 2959);

  m_now = kDeviceNow;
  SetServerTimeOffset(235959, 20141231);  // server a day behind, on a list never stamped
  SelfStock_SetListTime(0, 0);
  EXPECT_EQ(SelfStock_StampNow(), (int64_t{20141231} << 32) + 235959);
}

// The server keeps the newer of its list and an upload: an edit stamped older than the list it
// changes (a clock put back, a market clock behind the one that stamped the stored list) would be
// reverted. Each edit's stamp comes after the list's, also across a restart with the stored list.
TEST_F(ServerTimeOffsetTest, AnEditIsNeverStampedOlderThanTheListItChanges) {
  SetServerTimeOffset(103015, 20261209);
  SelfStock_SetListTime(103501, 20261209);  // the stored list, stamped five minutes later
  ASSERT_TRUE(SelfStock_Add(1, "600000", 0));
  EXPECT_EQ(SelfStock_StampNow(), (int64_t{20261209} << 32) + 103502);
  EXPECT_EQ(SelfStock_StampNow(), (int64_t{20261209} << 32) + 103503) << "a second edit";
  // Stored and read back after a restart, the next edit still comes after it.
  ASSERT_GE(SelfStock_Save(), 1);
  SelfStock_SetListTime(0, 0);
  SelfStock_Load();
  ASSERT_EQ(SelfStock_GetListTime(), (int64_t{20261209} << 32) + 103503);
  EXPECT_EQ(SelfStock_StampNow(), (int64_t{20261209} << 32) + 103504);
  // The second after the end of a day, a month and a year carries into the next.
  SelfStock_SetListTime(235959, 20261231);
  EXPECT_EQ(SelfStock_StampNow(), (int64_t{20270101} << 32) + 0);
  SelfStock_SetListTime(235959, 20280228);
  EXPECT_EQ(SelfStock_StampNow(), (int64_t{20280229} << 32) + 0);
  // Once the clock passes the list's stamp, the stamp is the clock's again.
  SelfStock_SetListTime(103000, 20261209);
  EXPECT_EQ(SelfStock_StampNow(), (int64_t{20261209} << 32) + 103015);
}

}  // namespace

// Mended: a save that cannot be written says so, and the list stored before stays whole.
TEST_F(StoredWatchListTest, FailedSaveIsReportedAndTheStoredListSurvives) {
  ASSERT_TRUE(SelfStock_Add(1, "600000", 0));
  std::string before = ReadFileBytes(FilePath());
  ASSERT_FALSE(before.empty());
  for (auto step : {foundation::AtomicWriteStep::Write, foundation::AtomicWriteStep::Rename}) {
    foundation::setAtomicWriteFault(step,
                                    step == foundation::AtomicWriteStep::Write ? ENOSPC : EIO);
    SelfStock_Add(2, "000001", 0);
    EXPECT_EQ(SelfStock_Save(), -1);
    EXPECT_EQ(ReadFileBytes(FilePath()), before);
  }
  foundation::setAtomicWriteFault(foundation::AtomicWriteStep::None, 0);
  EXPECT_EQ(SelfStock_Save(), 3);
  SelfStock_Clear();
  SelfStock_Load();
  EXPECT_EQ(Listed(), (List{"1,0,600000", "2,0,000001", "2,0,000001"}));
}
