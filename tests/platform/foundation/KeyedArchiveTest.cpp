#include <gtest/gtest.h>

#include <fstream>

#include "platform/foundation/KeyedArchive.h"
#include "tests/platform/foundation/TestDir.h"

using namespace foundation;

namespace {

struct ServerEntry : Archivable {
  std::string address;
  int64_t milliseconds = -1;
  std::string archiveClassName() const override { return "ServerEntry"; }
  void encode(KeyedArchiver& a) const override {
    a.encode("address", address);
    a.encode("ms", milliseconds);
  }
  bool decode(const KeyedUnarchiver& u) override {
    if (!u.decode("address").isString()) return false;
    address = u.decode("address").asString();
    milliseconds = u.decode("ms").toInt(-1);
    return true;
  }
};

struct ServerList : Archivable {
  std::string name;
  int current = 0;
  std::vector<std::shared_ptr<ServerEntry>> entries;
  std::shared_ptr<ServerEntry> backup;
  std::string archiveClassName() const override { return "ServerList"; }
  void encode(KeyedArchiver& a) const override {
    a.encode("name", name);
    a.encode("current", current);
    a.encodeObjects("entries", entries);
    a.encodeObject("backup", backup);
  }
  bool decode(const KeyedUnarchiver& u) override {
    name = u.decode("name").asString();
    current = static_cast<int>(u.decode("current").toInt());
    entries = u.decodeObjects<ServerEntry>("entries");
    backup = u.decodeObject<ServerEntry>("backup");
    return true;
  }
};

class KeyedArchiveTest : public ::testing::TestWithParam<PropertyListFormat> {
 protected:
  void SetUp() override {
    KeyedArchive::registerClass<ServerEntry>("ServerEntry");
    KeyedArchive::registerClass<ServerList>("ServerList");
    list.name = "行情";
    list.current = 1;
    for (const char* a : {"127.0.0.1:7709", "127.0.0.1:7710"}) {
      auto e = std::make_shared<ServerEntry>();
      e->address = a;
      e->milliseconds = 35;
      list.entries.push_back(e);
    }
  }
  testing_support::TempDir dir;
  ServerList list;
};

TEST_P(KeyedArchiveTest, ObjectsRoundTripThroughAFile) {
  const std::string path = dir.file("IPContainer.archive");
  ASSERT_TRUE(KeyedArchive::archiveToFile(path, list, GetParam()));
  auto back = KeyedArchive::unarchiveFromFileAs<ServerList>(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->name, "行情");
  EXPECT_EQ(back->current, 1);
  ASSERT_EQ(back->entries.size(), 2u);
  EXPECT_EQ(back->entries[1]->address, "127.0.0.1:7710");
  EXPECT_EQ(back->entries[1]->milliseconds, 35);
  EXPECT_EQ(back->backup, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Formats, KeyedArchiveTest,
                         ::testing::Values(PropertyListFormat::Xml, PropertyListFormat::Binary));

TEST_F(KeyedArchiveTest, StoredFormIsClassNamePlusFields) {
  Value doc = KeyedArchive::archive(list);
  const Value& root = doc["$top"]["root"];
  EXPECT_EQ(root["$class"].asString(), "ServerList");
  EXPECT_EQ(root["entries"].at(0)["$class"].asString(), "ServerEntry");
  EXPECT_EQ(root["entries"].at(0)["address"].asString(), "127.0.0.1:7709");
}

TEST_F(KeyedArchiveTest, UnreadableObjectsBecomeNullNotCrashes) {
  Value doc = KeyedArchive::archive(list);
  // An element of unknown class and one whose fields are unusable are left out.
  Value& entries = doc["$top"]["root"]["entries"];
  entries.append(Dictionary{{"$class", "Unknown"}});
  entries.append(Dictionary{{"$class", "ServerEntry"}, {"address", 5}});
  entries.append("not an object");
  auto back = KeyedArchive::unarchiveAs<ServerList>(doc);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->entries.size(), 2u);

  EXPECT_EQ(KeyedArchive::unarchive(Value(Dictionary{{"$top", 1}})), nullptr);
  Value wrongRoot = KeyedArchive::archive(list);
  wrongRoot["$top"]["root"]["$class"] = "Nope";
  EXPECT_EQ(KeyedArchive::unarchive(wrongRoot), nullptr);
  // The right archive read as another class.
  EXPECT_EQ(KeyedArchive::unarchiveAs<ServerEntry>(KeyedArchive::archive(list)), nullptr);

  const std::string path = dir.file("broken.archive");
  std::ofstream(path) << "bplist00 broken";
  EXPECT_EQ(KeyedArchive::unarchiveFromFile(path), nullptr);
  EXPECT_EQ(KeyedArchive::unarchiveFromFile(dir.file("missing.archive")), nullptr);
}

TEST_F(KeyedArchiveTest, ReservedKeysAreNotStored) {
  KeyedArchiver a;
  a.encode("$class", "Forged");
  a.encode("ok", 1);
  EXPECT_EQ(a.fields().keys(), (std::vector<std::string>{"ok"}));
}

}  // namespace
