#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/DurableFile.h"
#include "platform/foundation/Log.h"
#include "tests/platform/foundation/TestDir.h"

using namespace foundation;

namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> folderEntries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  return names;
}

class DurableFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setLogSink([this](LogLevel, const std::string& line) { errors.push_back(line); });
    path = dir.file("selfblk.cfg");
    ASSERT_TRUE(writeFileAtomically(path, "old contents"));
  }
  void TearDown() override {
    setAtomicWriteFault(AtomicWriteStep::None, 0);
    setLogSink({});
  }
  testing_support::TempDir dir;
  std::string path;
  std::vector<std::string> errors;
};

}  // namespace

TEST_F(DurableFileTest, EveryFailedStepReportsFailureAndKeepsTheOldFileWhole) {
  struct Case {
    AtomicWriteStep step;
    int error;
  };
  const Case cases[] = {{AtomicWriteStep::Create, EACCES},
                        {AtomicWriteStep::Write, ENOSPC},  // full disk
                        {AtomicWriteStep::Sync, EIO},
                        {AtomicWriteStep::Close, EDQUOT},
                        {AtomicWriteStep::Rename, EXDEV}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.step));
    errors.clear();
    setAtomicWriteFault(c.step, c.error);
    EXPECT_FALSE(writeFileAtomically(path, std::string(100000, 'n')));
    EXPECT_EQ(readAll(path), "old contents");
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"selfblk.cfg"});
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(errors.back().find(std::strerror(c.error)), std::string::npos) << errors.back();
  }
  setAtomicWriteFault(AtomicWriteStep::None, 0);
  EXPECT_TRUE(writeFileAtomically(path, "new contents"));
  EXPECT_EQ(readAll(path), "new contents");
}

TEST_F(DurableFileTest, UnsyncedFolderIsReportedThoughTheNewFileIsInPlace) {
  setAtomicWriteFault(AtomicWriteStep::SyncFolder, EIO);
  EXPECT_FALSE(writeFileAtomically(path, "new contents"));
  EXPECT_EQ(readAll(path), "new contents");
  EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"selfblk.cfg"});
}

TEST_F(DurableFileTest, SaversOfOneFileNeverShareATemporaryFile) {
  // A leftover of an older scheme (or a crashed save) under the plain temporary name.
  std::filesystem::create_directory(path + ".tmp");
  EXPECT_TRUE(writeFileAtomically(path, "beside the leftover"));
  EXPECT_EQ(readAll(path), "beside the leftover");

  // Two savers at once: every save succeeds and the file is always one of them, whole.
  const std::string a(200000, 'a');
  const std::string b(150000, 'b');
  std::atomic<int> failures{0};
  auto saver = [&](const std::string* text) {
    for (int i = 0; i < 30; ++i)
      if (!writeFileAtomically(path, *text)) ++failures;
  };
  std::thread first(saver, &a), second(saver, &b);
  first.join();
  second.join();
  EXPECT_EQ(failures.load(), 0);
  std::string now = readAll(path);
  EXPECT_TRUE(now == a || now == b);
  std::filesystem::remove(path + ".tmp");
  EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"selfblk.cfg"});
}

TEST_F(DurableFileTest, MissingFolderFailsUnlessAskedToMakeIt) {
  AtomicWriteOptions noFolders;
  noFolders.createFolders = false;
  EXPECT_FALSE(writeFileAtomically(dir.file("no/such/a.cfg"), "x", noFolders));
  EXPECT_FALSE(std::filesystem::exists(dir.file("no")));
  EXPECT_TRUE(writeFileAtomically(dir.file("no/such/a.cfg"), "x"));
  EXPECT_EQ(readAll(dir.file("no/such/a.cfg")), "x");
}
