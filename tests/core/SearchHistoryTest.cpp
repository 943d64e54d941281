#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/CoreText.h"
#include "core/SearchHistory.h"
#include "platform/foundation/DurableFile.h"
#include "platform/foundation/Paths.h"
#include "tests/core/ConfigTestSupport.h"

namespace {

tagLocalStockData Stock(int market, const char* code, std::u16string name = u"股票") {
  tagLocalStockData record;
  std::memset(&record, 0, sizeof record);
  record.market = static_cast<uint8_t>(market);
  record.zqlb = 3;
  std::snprintf(record.code, sizeof record.code, "%s", code);
  for (size_t i = 0; i < name.size() && i < 16; ++i) record.name[i] = name[i];
  return record;
}

std::vector<std::string> Codes(const CSearchHistory& history) {
  std::vector<std::string> out;
  for (const SearchHistoryEntry& entry : history.GetArray()) out.push_back(entry.StockCode);
  // The records and the entries stay side by side.
  const TListBuffer& list = history.GetList();
  EXPECT_EQ(list.GetCount(), static_cast<int>(out.size()));
  for (int i = 0; i < list.GetCount() && i < static_cast<int>(out.size()); ++i) {
    EXPECT_STREQ(reinterpret_cast<const tagLocalStockData*>(list.GetAt(i))->code, out[i].c_str());
  }
  return out;
}

using Codes_ = std::vector<std::string>;

class SearchHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setDocumentsDir(m_dir.path());
    InitDocumentPath(nullptr, 0);
  }
  std::string HistoryPath() const { return m_dir.file("seacher_his.dat"); }
  TempFolder m_dir;
};

TEST_F(SearchHistoryTest, AddKeepsTenNewestFirstWithoutMovingRepeats) {
  CSearchHistory history;
  EXPECT_EQ(history.GetCount(), 0);
  history.Add(Stock(1, "600000"));
  history.Add(Stock(2, "000001"));
  history.Add(Stock(1, "600000"));  // already there: stays in its old place
  history.Add(Stock(2, "600000"));  // other market, other stock
  EXPECT_EQ(Codes(history), (Codes_{"600000", "000001", "600000"}));

  for (int i = 0; i < 9; ++i) history.Add(Stock(1, std::to_string(100 + i).c_str()));
  Codes_ codes = Codes(history);
  ASSERT_EQ(codes.size(), 10u);
  EXPECT_EQ(codes.front(), "108");
  EXPECT_EQ(codes.back(), "600000");  // the oldest two went
  EXPECT_EQ(history.GetArray().back().Market, 2);

  SearchHistoryEntry entry = history.GetArray()[0];
  EXPECT_EQ(entry.Market, 1);
  EXPECT_EQ(entry.StockType, 3);
  EXPECT_EQ(entry.StockName, u"股票");
}

TEST_F(SearchHistoryTest, SavedHistoryComesBackNewestFirstWithNineUnitNames) {
  {
    CSearchHistory history;
    history.Add(Stock(1, "600000", u"浦发银行"));
    history.Add(Stock(2, "000001", u"平安银行"));
    history.Add(Stock(1, "601398", u"一二三四五六七八九十十一十二"));  // 14 units
    ASSERT_TRUE(SaveStockFile(kStockFileHistory, history.GetList()));
  }
  EXPECT_EQ(std::filesystem::file_size(HistoryPath()), 24u + 3 * 29);
  CSearchHistory restarted;
  std::vector<SearchHistoryEntry> entries = restarted.GetArray();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].StockCode, "601398");
  EXPECT_EQ(entries[0].StockName, u"一二三四五六七八九");
  EXPECT_EQ(entries[2].StockName, u"浦发银行");
  EXPECT_EQ(entries[1].Market, 2);
  EXPECT_EQ(entries[1].StockType, 3);
}

TEST_F(SearchHistoryTest, DamagedFiles) {
  struct Case {
    const char* what;
    std::string bytes;
    bool loads;
    bool kept;
    Codes_ codes;
  } cases[] = {
      {"wrong format",
       std::string("\x02\x00\x01\x00", 4) + std::string(20 + 29, '\0'),
       false,
       false,
       {}},
      {"empty file", "", false, false, {}},
      {"short header", std::string("\x01\x00", 2), true, true, {}},
      {"shorter than its count",
       std::string("\x01\x00\x03\x00", 4) + std::string(20, '\0') + std::string(18, '\0') +
           std::string("600000\0\0\0\x01\x01", 11) + std::string(18, '\0') + "6000",
       true,
       true,
       {"600000", "6000", ""}},
      {"negative count",
       std::string("\x01\x00\xff\xff", 4) + std::string(20, '\0'),
       true,
       true,
       {}},
      {"huge count", std::string("\x01\x00\xff\x7f", 4) + std::string(20, '\0'), true, true,
       Codes_(10, "")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileBytes(HistoryPath(), c.bytes);
    CSearchHistory history;
    EXPECT_EQ(Codes(history), c.codes);
    EXPECT_EQ(FileExists(HistoryPath()), c.kept);

    WriteFileBytes(HistoryPath(), c.bytes);
    TListBuffer list;
    EXPECT_EQ(LoadStockFile(kStockFileHistory, list, 100), c.loads);
  }
  std::filesystem::remove(HistoryPath());
  TListBuffer list;
  EXPECT_FALSE(LoadStockFile(kStockFileHistory, list));
}

TEST_F(SearchHistoryTest, SaveKeepsTheOldFileWhenItCannotWrite) {
  TListBuffer list(4, sizeof(tagLocalStockData), 4);
  tagLocalStockData one = Stock(1, "600000");
  list.Append(&one, 1);
  ASSERT_TRUE(SaveStockFile(kStockFileSpSv, list));
  std::string before = ReadFileBytes(m_dir.file("sp_sv.dat"));

  list.Append(&one, 1);
  for (auto step : {foundation::AtomicWriteStep::Write, foundation::AtomicWriteStep::Sync,
                    foundation::AtomicWriteStep::Rename}) {
    foundation::setAtomicWriteFault(step, ENOSPC);
    EXPECT_FALSE(SaveStockFile(kStockFileSpSv, list));
    EXPECT_EQ(ReadFileBytes(m_dir.file("sp_sv.dat")), before);
  }
  foundation::setAtomicWriteFault(foundation::AtomicWriteStep::None, 0);

  TListBuffer back;
  EXPECT_TRUE(LoadStockFile(kStockFileSpSv, back));
  ASSERT_EQ(back.GetCount(), 1);
  EXPECT_EQ(back.GetItemSize(), static_cast<int>(sizeof(tagLocalStockData)));
}

TEST_F(SearchHistoryTest, DocumentFileHelpers) {
  EXPECT_EQ(GetDocumentsPath(), m_dir.path() + "/");
  EXPECT_FALSE(IsDocFileExists("x.dat"));
  EXPECT_EQ(GetDocFilePath("x.dat"), m_dir.file("x.dat"));
  EXPECT_TRUE(IsDocFileExists("x.dat"));  // created empty
  EXPECT_EQ(ReadFileBytes(m_dir.file("x.dat")), "");
  EXPECT_TRUE(DeleteDocFile("x.dat"));
  EXPECT_FALSE(DeleteDocFile("x.dat"));
  EXPECT_FALSE(IsDocFileExists(nullptr));
}

}  // namespace
