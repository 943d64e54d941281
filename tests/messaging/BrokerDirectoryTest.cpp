#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

#include "messaging/BrokerDirectory.h"
#include "tests/messaging/MessagingTestSupport.h"

using foundation::Array;
using foundation::Value;
using messagingtest::PeopleTable;
using messagingtest::Person;
using messagingtest::TagTable;

namespace {

class BrokerDirectoryTest : public messagingtest::MessagingTest {};

std::vector<std::string> Names(const Array& rows) {
  std::vector<std::string> names;
  for (const auto& row : rows) names.push_back(row["broker_name"].toString());
  return names;
}

// Every row is shown once: a row without a letter sits under "#" after the "#" rows, and a path
// and a position name each other; a path or section outside the table names nothing.
TEST(LetterSections, EveryRowOnceAndPathsAndPositionsAgree) {
  auto row = [](const char* initial) {
    return Value(foundation::Dictionary{{"broker_firstABC", Value(initial)}});
  };
  const Array rows{row("w"), row("7"), row("#"), row(""), row("L"), row("W")};
  const LetterSections sections = LetterSections::Of(rows);
  EXPECT_EQ(sections.keys, (std::vector<std::string>{"#", "L", "W"}));
  EXPECT_EQ(sections.positions, (std::vector<std::vector<int>>{{2, 1, 3}, {4}, {0, 5}}));
  for (int position = 0; position < static_cast<int>(rows.size()); ++position)
    EXPECT_EQ(sections.positionAt(sections.pathOf(position)), position);
  EXPECT_EQ(sections.positionAt(ui::IndexPath::forRow(3, 0)), -1);
  EXPECT_EQ(sections.positionAt(ui::IndexPath::forRow(0, -1)), -1);
  EXPECT_EQ(sections.rowCount(-1), 0);
  EXPECT_EQ(sections.rowCount(2), 2);
  EXPECT_EQ(sections.key(3), "");
  EXPECT_TRUE(LetterSections::Of({}).keys.empty());
}

TEST_F(BrokerDirectoryTest, InvestorRowsComeFromStaffWithInitialsInLetterOrder) {
  MDBF empty;
  PeopleTable(empty, {});
  LoadStaffTable(empty);
  EXPECT_TRUE(BuildBrokerList().empty());
  EXPECT_EQ(AreBrokerTablesLoaded(), 0) << "an empty staff list leaves the flag clear";
  EXPECT_TRUE(GroupBrokersByLetter(BuildBrokerList()).isNull());

  MDBF staff;
  PeopleTable(staff, {{"9001", "王明", "W", 1, "138", "021", "投资顾问", "上海"},
                            {"9002", "李华", "l", 1},
                            {"9003", "无名", "", 2},
                            {"9004", "数字", "7", 2},
                            {"9005", "井号", "#", 1}});
  LoadStaffTable(staff);
  EXPECT_EQ(AreBrokerTablesLoaded(), 1);
  Array rows = BuildBrokerList();
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"井号", "数字", "李华", "王明"}));
  const Value& wang = rows[3];
  EXPECT_EQ(wang["broker_id"].toString(), "9001");
  EXPECT_EQ(wang["broker_mphone"].toString(), "138");
  EXPECT_EQ(wang["broker_phone"].toString(), "021");
  EXPECT_EQ(wang["broker_job"].toString(), "投资顾问");
  EXPECT_EQ(wang["broker_address"].toString(), "上海");
  EXPECT_EQ(wang["broker_index"].toString(), "0");

  Value sections = GroupBrokersByLetter(rows);
  EXPECT_EQ(sections.asDictionary().keys(), (std::vector<std::string>{"#", "L", "W"}))
      << "a lower-case initial joins its letter, a digit joins none";
  EXPECT_EQ(FindBrokerIndex("9001"), 3);
  EXPECT_EQ(FindBrokerIndex(""), -1);
  EXPECT_EQ(FindBrokerIndex("nobody"), -1);
  EXPECT_EQ(FindBrokerName("9003"), "无名") << "lookups read every record";
  EXPECT_EQ(FindBrokerMobile("9001"), "138");
  EXPECT_EQ(FindBrokerPhone("9001"), "021");
  EXPECT_EQ(FindBrokerName(""), "");

  Array kept = {Value(rows[3]), Value(rows[0])};
  KeepSortedBrokerList(kept);
  EXPECT_EQ(Names(BuildBrokerList()), (std::vector<std::string>{"王明", "井号"}));
  LoadStaffTable(staff);
  EXPECT_EQ(BuildBrokerList().size(), 4u) << "a table load drops the kept rows";
}

TEST_F(BrokerDirectoryTest, AdviserGetsGroupsTagsClientsAndStaffOnce) {
  SetMsgUserType(1);
  ASSERT_EQ(IsAdviserLogin(), 1);
  MDBF staff;
  PeopleTable(staff, {{"9001", "王明", "W", 1}, {"c2", "客二", "K", 1},
                            {"9003", "张伟", "Z", 2}, {"9009", "空", "", 1}});
  MDBF clients;
  PeopleTable(clients, {{"c1", "客一", "K", 0}, {"c2", "客二", "K", 1},
                              {"c3", "客三", "", 0}});
  MDBF tags;
  TagTable(tags, {{true, "t1", "重点"}, {false, "c1", ""}, {false, "gone", ""},
                        {false, "c2", ""}, {true, "t0", ""}, {true, "t2", "普通"},
                        {false, "c3", ""}});
  LoadStaffTable(staff);
  LoadClientTable(clients);
  LoadClientTagTable(tags);
  Array rows = BuildBrokerList();
  std::vector<std::string> names = Names(rows);
  EXPECT_EQ(std::count(names.begin(), names.end(), "客二"), 1)
      << "a staff row equal to a client row is listed once";
  std::map<std::string, std::string> indexOf;
  for (const auto& row : rows) indexOf[row["broker_name"].toString()] = row["broker_index"].toString();
  EXPECT_EQ(indexOf["所有投顾"], "-1");
  EXPECT_EQ(indexOf["所有营销"], "-2");
  EXPECT_EQ(indexOf["所有股民"], "-3");
  EXPECT_EQ(indexOf["重点"], "-4");
  EXPECT_EQ(indexOf["普通"], "-9") << "tag at position 5";
  EXPECT_EQ(indexOf.count(""), 0u) << "a tag without a name gives no row";

  auto group = [&](const char* name) {
    for (const auto& row : rows)
      if (row["broker_name"].toString() == name) return GetBrokerRows(row);
    return Array{};
  };
  EXPECT_EQ(Names(group("所有投顾")), (std::vector<std::string>{"空", "客二", "王明"}))
      << "kind 1, unfiltered; an empty initial sorts first";
  EXPECT_EQ(Names(group("所有营销")), (std::vector<std::string>{"张伟"}));
  EXPECT_EQ(Names(group("所有股民")).size(), 2u);
  Array members = group("重点");
  ASSERT_EQ(members.size(), 2u) << "an id missing from the clients is skipped; the next tag ends it";
  EXPECT_EQ(members[0]["broker_index"].toString(), "1");
  EXPECT_EQ(members[1]["broker_index"].toString(), "3");
  EXPECT_EQ(Names(group("普通")), (std::vector<std::string>{"客三"}));
  EXPECT_TRUE(GetBrokerRows(rows.back()).empty() || rows.back()["broker_index"].toInt() < 0);
  EXPECT_EQ(FindBrokerName("c2"), "客二");
  EXPECT_EQ(FindBrokerName("c1"), "客一") << "the client table answers when staff has none";
}

TEST_F(BrokerDirectoryTest, SwitchedOffListEditsAndComparisons) {
  EXPECT_EQ(IsOffMessageBrokersChanged(), 0);
  EXPECT_FALSE(GetOffMessageBrokersUTF8());
  EXPECT_EQ(FindInOffMessageBrokers("1", 1), -1);
  ToggleBrokerOnOff("9001", true);
  EXPECT_EQ(*GetOffMessageBrokersUTF8(), "9001") << "no ';' before the first id";
  EXPECT_EQ(IsOffMessageBrokersChanged(), 1) << "one list absent";

  SetOffMessageBrokers("1;2;3");
  ToggleBrokerOnOff("2", false);
  EXPECT_EQ(*GetOffMessageBrokersUTF8(), "1;3");
  SetOffMessageBrokers("1;2;3");
  ToggleBrokerOnOff("3", false);
  EXPECT_EQ(*GetOffMessageBrokersUTF8(), "1;2");
  ToggleBrokerOnOff("1", true);
  EXPECT_EQ(*GetOffMessageBrokersUTF8(), "1;2") << "an id already in the list is not added";
  SetOffMessageBrokers("7");
  ToggleBrokerOnOff("7", false);
  EXPECT_EQ(*GetOffMessageBrokersUTF8(), "");
  ToggleBrokerOnOff("", true);
  EXPECT_EQ(*GetOffMessageBrokersUTF8(), "");

  SetOffMessageBrokers("1;2");
  ToggleBrokerOnOff("1", false);
  ToggleBrokerOnOff("1", true);
  EXPECT_EQ(*GetOffMessageBrokersUTF8(), "2;1");
  EXPECT_EQ(IsOffMessageBrokersChanged(), 0) << "the same ids in another order";
  ToggleBrokerOnOff("1", false);
  ToggleBrokerOnOff("3", true);
  EXPECT_EQ(IsOffMessageBrokersChanged(), 1);
  EXPECT_EQ(FindInOffMessageBrokers("3", 0), 1);
  EXPECT_EQ(FindInOffMessageBrokers("3", 1), -1);
  EXPECT_EQ(FindInOffMessageBrokers("2", 1), 1);
  ApplyOnOffUploadResult(1);
  EXPECT_EQ(*GetOffMessageBrokersUTF8(), "1;2") << "a failed upload restores the confirmed list";
  ToggleBrokerOnOff("5", true);
  ApplyOnOffUploadResult(0);
  EXPECT_EQ(*GetCurrentOffMessageBrokers(), "1;2;5");
  EXPECT_EQ(IsOffMessageBrokersChanged(), 0);
  SetOffMessageBrokers("12");
  EXPECT_EQ(FindInOffMessageBrokers("1", 1), -1) << "ids match whole, not as text inside";
  EXPECT_EQ(FindInOffMessageBrokers("12", 1), 0);
}

TEST_F(BrokerDirectoryTest, ResetClearsOnMainAndFromAnotherThreadBeforeLaterPosts) {
  InstallBrokerDirectoryResetHandler();
  MDBF staff;
  PeopleTable(staff, {{"9001", "王明", "W", 1}});
  LoadStaffTable(staff);
  ASSERT_EQ(BuildBrokerList().size(), 1u);
  ResetBrokerTables();
  EXPECT_TRUE(BuildBrokerList().empty()) << "on the main thread the clearing is immediate";
  EXPECT_EQ(AreBrokerTablesLoaded(), 0);

  LoadStaffTable(staff);
  ASSERT_EQ(BuildBrokerList().size(), 1u);
  std::atomic<bool> clearedBeforeNextPost{false};
  std::thread network([&] {
    ResetBrokerTables();
    foundation::performOnMain([&] { clearedBeforeNextPost = BuildBrokerList().empty(); });
  });
  // The main thread keeps reading while the other thread resets.
  for (int i = 0; i < 200; ++i) EXPECT_LE(BuildBrokerList().size(), 1u);
  network.join();
  auto loop = foundation::RunLoop::main();
  EXPECT_TRUE(loop->runUntilCondition([&] { return clearedBeforeNextPost.load(); }, 5));
  EXPECT_TRUE(BuildBrokerList().empty());
  SetBrokerTablesResetHandler(nullptr);
}

}  // namespace
