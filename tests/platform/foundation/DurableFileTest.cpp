#include <gtest/gtest.h>
#include <sys/stat.h>

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

namespace {

unsigned modeOf(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 01000;
}

}  // namespace

TEST_F(DurableFileTest, ASaveIsItsOwnersOnlyWhateverTheUmaskAndTheFileItReplaces) {
  // A folder others may read, a umask that lets them, and an old file they could read.
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  const mode_t before = ::umask(022);
  const bool saved = writeFileAtomically(path, "new contents");
  const bool nested = writeFileAtomically(dir.file("Outbox/mail.eml"), "text");
  AtomicWriteOptions shared;
  shared.mode = 0644;
  const bool open = writeFileAtomically(dir.file("Shared/readme.txt"), "text", shared);
  ::umask(before);
  ASSERT_TRUE(saved && nested && open);
  EXPECT_EQ(modeOf(path), 0600u);
  EXPECT_EQ(modeOf(dir.file("Outbox")), 0700u);
  EXPECT_EQ(modeOf(dir.file("Outbox/mail.eml")), 0600u);
  // A file asked to be readable by others is, in a folder made as the umask says.
  EXPECT_EQ(modeOf(dir.file("Shared")), 0755u);
  EXPECT_EQ(modeOf(dir.file("Shared/readme.txt")), 0644u);
}
