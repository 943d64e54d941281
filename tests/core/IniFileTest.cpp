#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>
#include <thread>

#include "core/MIniFile.h"
#include "platform/foundation/DurableFile.h"
#include "tests/core/ConfigTestSupport.h"

namespace {

std::string Get(MIniFile& ini, const char* section, const char* key, const char* def = "DEF") {
  char out[256];
  return ini.GetStringLocked(section, key, def, out, sizeof out);
}

class IniFileTest : public ::testing::Test {
 protected:
  std::string Fixture(const std::string& bytes, const char* name = "a.cfg") {
    std::string path = m_dir.file(name);
    WriteFileBytes(path, bytes);
    return path;
  }
  TempFolder m_dir;
};

const char* const kSample =
    "; settings\r\n"
    "[HQ]\r\n"
    "  Num = 5 ; five servers  \r\n"
    "ip1=127.0.0.1:17001\r\n"
    "\r\n"
    "[trade]\r\n"
    "num=7\r\n"
    "tabbed\t=x\r\n"
    "[hq]\r\n"
    "extra=later\r\n";

TEST_F(IniFileTest, LookupsFollowSectionKeyAndCaseRules) {
  MIniFile ini;
  ASSERT_EQ(ini.Load(Fixture(kSample).c_str()), 0);
  EXPECT_FALSE(ini.IsDirty());

  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"hq", "num", "5"},                // [HQ] answers hq; spaces and ';' comment dropped
      {"HQ", "IP1", "127.0.0.1:17001"},  // keys compare without case
      {"trade", "num", "7"},             // same key, other section
      {"trade", "ip1", "DEF"},           // absent key
      {"info", "num", "DEF"},            // absent section
      {"hq", "extra", "DEF"},            // only the first [hq] is searched
      {"trade", "tabbed", "DEF"},        // tabs are not trimmed
      {"trade", "tabbed\t", "x"},
      {"", "num", ""},  // empty section or key: empty, never the default
      {"hq", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Get(ini, c.section, c.key), c.expected) << c.section << "/" << c.key;
  }
  EXPECT_EQ(ini.GetStringLocked("hq", "num", "x", nullptr, 10), nullptr);

  char small[4];
  EXPECT_STREQ(ini.GetStringLocked("hq", "ip1", "", small, sizeof small), "127");
  EXPECT_EQ(ini.GetInt("hq", "num", 9), 5);
  EXPECT_EQ(ini.GetInt("hq", "missing", -3), -3);
}

TEST_F(IniFileTest, GetIntParsesTheLeadingInteger) {
  MIniFile ini;
  ASSERT_EQ(ini.Load(Fixture("[a]\na=  -12abc\nb=abc\nc=+7\nd=99999999999\n").c_str()), 0);
  EXPECT_EQ(ini.GetInt("a", "a", 1), -12);
  EXPECT_EQ(ini.GetInt("a", "b", 1), 0);
  EXPECT_EQ(ini.GetInt("a", "c", 1), 7);
  EXPECT_EQ(ini.GetInt("a", "d", 1), INT32_MAX);
}

TEST_F(IniFileTest, WritesReplaceInPlaceOrInsertBeforeTheNextSection) {
  std::string path = Fixture("[a]\nx=1 ; old\n[b]\ny=2\n");
  MIniFile ini;
  ASSERT_EQ(ini.Load(path.c_str()), 0);

  EXPECT_EQ(ini.WriteStringLocked("A", "X", "9"), 1);  // replaced in place, comment lost
  EXPECT_EQ(ini.WriteStringLocked("a", "z", "3"), 1);  // new key just before [b]
  EXPECT_EQ(ini.WriteInt("b", "w", -4), 1);            // last section: at the end
  EXPECT_EQ(ini.WriteStringLocked("c", "k", "v"), 1);  // missing section appended
  EXPECT_EQ(ini.WriteStringLocked("", "k", "v"), 0);
  EXPECT_EQ(ini.WriteStringLocked("c", nullptr, "v"), 0);
  EXPECT_EQ(ini.WriteStringLocked("c", "k", "v\n[hq]\nip1=elsewhere"), 1);  // first line only
  ASSERT_EQ(ini.Save(), 0);
  EXPECT_FALSE(ini.IsDirty());
  EXPECT_EQ(ReadFileBytes(path), "[a]\nX=9\nz=3\n[b]\ny=2\nw=-4\n[c]\nk=v\n");

  // The same line again: reported done, nothing changes.
  EXPECT_EQ(ini.WriteStringLocked("a", "X", "9"), 1);
  EXPECT_FALSE(ini.IsDirty());
  EXPECT_EQ(ini.WriteStringLocked("a", "x", "9"), 1);  // the line's text changes case
  EXPECT_TRUE(ini.IsDirty());
}

TEST_F(IniFileTest, SaveWritesTrimmedLinesWithoutCarriageReturns) {
  std::string path = Fixture(kSample);
  MIniFile ini;
  ASSERT_EQ(ini.Load(path.c_str()), 0);
  ASSERT_EQ(ini.WriteStringLocked("trade", "num", "8"), 1);
  ASSERT_EQ(ini.Save(), 0);
  EXPECT_EQ(ReadFileBytes(path),
            "; settings\n[HQ]\nNum = 5 ; five servers\nip1=127.0.0.1:17001\n\n[trade]\nnum=8\n"
            "tabbed\t=x\n[hq]\nextra=later\n");
}

TEST_F(IniFileTest, UnchangedObjectNeverTouchesTheFile) {
  std::string path = Fixture("[a]\nx=1\n");
  MIniFile ini;
  ASSERT_EQ(ini.Load(path.c_str()), 0);
  std::filesystem::remove(path);
  EXPECT_EQ(ini.Save(), 0);
  EXPECT_FALSE(FileExists(path));
}

TEST_F(IniFileTest, MissingFileAnswersDefaultsAndSaveCreatesIt) {
  std::string path = m_dir.file("new.cfg");
  MIniFile ini;
  EXPECT_EQ(ini.Load(path.c_str()), -1);
  EXPECT_STREQ(ini.GetPath(), path.c_str());
  EXPECT_EQ(Get(ini, "hq", "num", "10"), "10");
  ASSERT_EQ(ini.WriteStringLocked("hq", "num", "2"), 1);
  ASSERT_EQ(ini.Save(), 0);
  EXPECT_EQ(ReadFileBytes(path), "[hq]\nnum=2\n");
}

TEST_F(IniFileTest, SizeLimitIsOneMebibyte) {
  for (size_t size : {size_t{1048576}, size_t{1048577}}) {
    std::string bytes = "[a]\nk=v\n";
    bytes += std::string(size - bytes.size() - 1, ';') + "\n";
    MIniFile ini;
    int loaded = ini.Load(Fixture(bytes, "big.cfg").c_str());
    EXPECT_EQ(loaded, size == 1048576 ? 0 : -1) << size;
    EXPECT_EQ(Get(ini, "a", "k"), size == 1048576 ? "v" : "DEF") << size;
  }
}

// Mended: a line longer than the old 1023-character read chunk comes back whole.
TEST_F(IniFileTest, LongLinesRoundTripAsOneLine) {
  std::string path = Fixture("[a]\n");
  std::string value(1500, 'v');
  {
    MIniFile ini;
    ini.Load(path.c_str());
    ASSERT_EQ(ini.WriteStringLocked("a", "k", value.c_str()), 1);
    ASSERT_EQ(ini.WriteStringLocked("a", "cut", std::string(3000, 'c').c_str()), 1);
    ASSERT_EQ(ini.Save(), 0);
  }
  MIniFile ini;
  ASSERT_EQ(ini.Load(path.c_str()), 0);
  EXPECT_EQ(ini.GetLineCount(), 3);
  char out[4096];
  EXPECT_EQ(std::string(ini.GetStringLocked("a", "k", "", out, sizeof out)), value);
  // Written lines stop at 2047 characters, "cut=" included.
  EXPECT_EQ(std::string(ini.GetStringLocked("a", "cut", "", out, sizeof out)).size(), 2043u);
}

// Mended: a refused insert is reported as a failure, not as success.
TEST_F(IniFileTest, LineLimitDropsExtraLinesAndRefusesWrites) {
  std::string bytes = "[a]\n";
  for (int i = 0; i < MIniFile::kMaxLines + 100; ++i) {
    bytes += 'k';
    bytes += std::to_string(i);
    bytes += "=1\n";
  }
  MIniFile ini;
  ASSERT_EQ(ini.Load(Fixture(bytes).c_str()), 0);
  EXPECT_EQ(ini.GetLineCount(), MIniFile::kMaxLines);
  EXPECT_EQ(ini.WriteStringLocked("a", "new", "1"), 0);
  EXPECT_EQ(ini.WriteStringLocked("b", "new", "1"), 0);
  EXPECT_EQ(ini.GetLineCount(), MIniFile::kMaxLines);
  EXPECT_EQ(ini.WriteStringLocked("a", "k5", "2"), 1);  // in-place replace still works
  EXPECT_EQ(Get(ini, "a", "k5"), "2");
}

// Mended: a failed save keeps the change dirty, and the old file survives whole.
TEST_F(IniFileTest, FailedSaveKeepsTheChangeAndTheOldFile) {
  std::string path = Fixture("[a]\nx=1\n");
  MIniFile ini;
  ASSERT_EQ(ini.Load(path.c_str()), 0);
  ASSERT_EQ(ini.WriteStringLocked("a", "x", "2"), 1);

  foundation::setAtomicWriteFault(foundation::AtomicWriteStep::Write, ENOSPC);  // disk full
  EXPECT_EQ(ini.Save(), -5);
  EXPECT_TRUE(ini.IsDirty());
  EXPECT_EQ(ReadFileBytes(path), "[a]\nx=1\n");
  foundation::setAtomicWriteFault(foundation::AtomicWriteStep::Rename, EACCES);
  EXPECT_EQ(ini.Save(), -5);
  EXPECT_TRUE(ini.IsDirty());
  EXPECT_EQ(ReadFileBytes(path), "[a]\nx=1\n");

  foundation::setAtomicWriteFault(foundation::AtomicWriteStep::None, 0);
  EXPECT_EQ(ini.Save(), 0);
  EXPECT_FALSE(ini.IsDirty());
  EXPECT_EQ(ReadFileBytes(path), "[a]\nx=2\n");
  EXPECT_FALSE(FileExists(path + ".tmp"));

  MIniFile lost;
  lost.Load(m_dir.file("no/such/folder.cfg").c_str());
  lost.WriteStringLocked("a", "x", "1");
  EXPECT_EQ(lost.Save(), -5);
  EXPECT_TRUE(lost.IsDirty());
}

TEST_F(IniFileTest, ConcurrentWritersBothReachTheFile) {
  std::string path = m_dir.file("shared.cfg");
  MIniFileExt ini;
  ini.Load(path.c_str());
  auto writer = [&](const char* section) {
    for (int i = 0; i < 200; ++i) {
      ini.WriteInt(section, "n", i);
      ini.Save();
      ini.GetInt(section, "n", 0);
    }
  };
  std::thread a(writer, "a"), b(writer, "b");
  a.join();
  b.join();
  MIniFile back;
  ASSERT_EQ(back.Load(path.c_str()), 0);
  EXPECT_EQ(back.GetInt("a", "n", 0), 199);
  EXPECT_EQ(back.GetInt("b", "n", 0), 199);
}

}  // namespace
