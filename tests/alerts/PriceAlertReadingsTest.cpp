// The pure readings of the price-alert screens: the editor's check and input filter, the display
// of a stored setting, lists gathered over packets, and the received alerts grouped by day.
#include <gtest/gtest.h>

#include <climits>

#include "core/MDBF.h"
#include "core/PriceAlertReplies.h"
#include "testserver/Table.h"

namespace {

using testserver::TableWriter;

void Parse(const TableWriter& w, MDBF& t) {
  const std::vector<uint8_t> body = w.build();
  EXPECT_GT(t.Parse(body.data(), static_cast<int>(body.size())), 0);
}

TEST(PriceAlertCheck, EveryEdgeCaseOfTheThresholds) {
  const std::string badRise = PriceAlertBadNumberText("涨价", 4);
  const std::string badFall = PriceAlertBadNumberText("跌价", 4);
  const std::string badChange = PriceAlertBadNumberText("涨跌幅", 2);
  struct Case {
    const char* what;
    bool rise, fall, change;
    const char *riseText, *fallText, *changeText;
    int32_t now, yesterday;
    const char* message;  // "" accepted
    int32_t upRise, upFall, upChange;
    bool remove;
  };
  const Case cases[] = {
      {"rise above now", true, false, false, "10.5", "", "", 100000, 90000, "", 105000, 0, 10000,
       false},
      {"rise equal to now", true, false, false, "10", "", "", 100000, 0, kPriceAlertRiseLow, 0, 0,
       0, false},
      {"rise against the previous close when now is 0", true, false, false, "9.5", "", "", 0, 90000,
       "", 95000, 0, 10000, false},
      {"rise equal to the previous close", true, false, false, "9", "", "", 0, 90000,
       kPriceAlertRiseLow, 0, 0, 0, false},
      {"rise with no price known must be above 0", true, false, false, "0", "", "", 0, 0,
       kPriceAlertRiseLow, 0, 0, 0, false},
      {"rise 0.01 with no price known", true, false, false, "0.01", "", "", 0, 0, "", 100, 0, 10000,
       false},
      {"empty rise", true, false, false, "", "", "", 100000, 0, kPriceAlertNoRise, 0, 0, 0, false},
      {"fall below now", false, true, false, "", "9.5", "", 100000, 0, "", 0, 95000, 10000, false},
      {"fall equal to now", false, true, false, "", "10", "", 100000, 0, kPriceAlertFallHigh, 0, 0,
       0, false},
      {"fall with no price known", false, true, false, "", "0.01", "", 0, 0, kPriceAlertFallHigh, 0,
       0, 0, false},
      {"fall against the previous close", false, true, false, "", "8.99", "", 0, 90000, "", 0,
       89900, 10000, false},
      {"empty fall", false, true, false, "", "", "", 100000, 0, kPriceAlertNoFall, 0, 0, 0, false},
      // A fall price of 0 is what the server stores as "no fall alert": refused, never "set".
      {"fall of 0 is refused", false, true, false, "", "0", "", 100000, 0, kPriceAlertFallZero, 0,
       0, 0, false},
      {"fall of 0.00 is refused", false, true, false, "", "0.00", "", 100000, 0,
       kPriceAlertFallZero, 0, 0, 0, false},
      {"fall of 0 against the previous close", false, true, false, "", "0", "", 0, 90000,
       kPriceAlertFallZero, 0, 0, 0, false},
      {"change of 10 is the limit", false, false, true, "", "", "10", 100000, 0, "", 0, 0, 1000,
       false},
      {"change of 10.01 is refused", false, false, true, "", "", "10.01", 100000, 0,
       kPriceAlertChangeHigh, 0, 0, 0, false},
      {"change of 0 is a valid threshold", false, false, true, "", "", "0", 100000, 0, "", 0, 0, 0,
       false},
      {"empty change", false, false, true, "", "", "", 100000, 0, kPriceAlertNoChangeText, 0, 0, 0,
       false},
      {"every alert off deletes", false, false, false, "", "", "", 100000, 0, "", 0, 0, 10000,
       true},
      // Exact decimals: single precision made 104, 209 and 3899 of these.
      {"1.05 percent", false, false, true, "", "", "1.05", 100000, 0, "", 0, 0, 105, false},
      {"2.10 percent", false, false, true, "", "", "2.10", 100000, 0, "", 0, 0, 210, false},
      {"0.39 as a price", true, false, false, "0.39", "", "", 1000, 0, "", 3900, 0, 10000, false},
      {"digits beyond four decimals are refused", true, false, false, "12.345678", "", "", 100000,
       0, badRise.c_str(), 0, 0, 0, false},
      {"digits beyond two decimals of the change are refused", false, false, true, "", "", "1.059",
       0, 0, badChange.c_str(), 0, 0, 0, false},
      {"a second point is refused", true, false, false, "12.5.3", "", "", 100000, 0,
       badRise.c_str(), 0, 0, 0, false},
      // Values beyond the 32-bit field get the field's input message.
      {"rise beyond 32 bits", true, false, false, "214749", "", "", 100000, 0, badRise.c_str(), 0,
       0, 0, false},
      {"rise just within 32 bits", true, false, false, "214748.3647", "", "", 100000, 0, "",
       INT32_MAX, 0, 10000, false},
      {"fall beyond 32 bits", false, true, false, "", "99999999999999999999", "", 100000, 0,
       badFall.c_str(), 0, 0, 0, false},
      {"change beyond 32 bits", false, false, true, "", "", "99999999999", 100000, 0,
       kPriceAlertChangeHigh, 0, 0, 0, false},
      {"the no-value mark is no price", false, true, false, "", "1", "", INT32_MIN, INT32_MIN,
       kPriceAlertFallHigh, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PriceAlertInput in;
    in.riseOn = c.rise;
    in.fallOn = c.fall;
    in.changeOn = c.change;
    in.riseText = c.riseText;
    in.fallText = c.fallText;
    in.changeText = c.changeText;
    in.now = c.now;
    in.yesterday = c.yesterday;
    PriceAlertUpload up;
    up.rise = -7;  // must stay untouched when refused
    EXPECT_EQ(CheckPriceAlertInput(in, &up), c.message);
    if (*c.message) {
      EXPECT_EQ(up.rise, -7);
      continue;
    }
    EXPECT_EQ(up.rise, c.upRise);
    EXPECT_EQ(up.fall, c.upFall);
    EXPECT_EQ(up.change, c.upChange);
    EXPECT_EQ(up.remove, c.remove);
  }
}

TEST(PriceAlertCheck, TyposAreRefusedInEveryFieldAndNothingIsTaken) {
  // A stock priced with two decimals.
  for (const char* typo : {"401..5", "1.2.3", ".", "-1", "40.505", "4 0", "1e3", "+5"}) {
    SCOPED_TRACE(typo);
    for (int field = 0; field < 3; ++field) {
      PriceAlertInput in;
      in.now = 350000;
      in.priceDecimals = 2;
      (field == 0 ? in.riseOn : field == 1 ? in.fallOn : in.changeOn) = true;
      (field == 0 ? in.riseText : field == 1 ? in.fallText : in.changeText) = typo;
      PriceAlertUpload up;
      up.rise = up.fall = up.change = -7;
      const std::string message = CheckPriceAlertInput(in, &up);
      EXPECT_EQ(message, field == 0   ? PriceAlertBadNumberText("涨价", 2)
                         : field == 1 ? PriceAlertBadNumberText("跌价", 2)
                                      : PriceAlertBadNumberText("涨跌幅", 2));
      EXPECT_EQ(up.rise, -7);
      EXPECT_EQ(up.change, -7);
    }
  }
  PriceAlertInput in;
  in.now = 350000;
  in.priceDecimals = 2;
  in.riseOn = true;
  in.riseText = "";
  PriceAlertUpload up;
  EXPECT_EQ(CheckPriceAlertInput(in, &up), kPriceAlertNoRise);
  in.riseText = "40.5";
  in.fallOn = true;
  in.fallText = "0.01";
  in.changeOn = true;
  in.changeText = ".5";
  EXPECT_EQ(CheckPriceAlertInput(in, &up), "");
  EXPECT_EQ(up.rise, 405000);
  EXPECT_EQ(up.fall, 100);
  EXPECT_EQ(up.change, 50);
  // A Hong Kong price with three decimals takes the third.
  in.priceDecimals = 3;
  in.riseText = "40.505";
  EXPECT_EQ(CheckPriceAlertInput(in, &up), "");
  EXPECT_EQ(up.rise, 405050);
}

TEST(PriceAlertCheck, LadderAloneIsUploadedAndCheckedFieldsComeInOrder) {
  PriceAlertInput in;
  in.ladderOn = true;
  PriceAlertUpload up;
  EXPECT_EQ(CheckPriceAlertInput(in, &up), "");
  EXPECT_EQ(up.ladder, 1);
  EXPECT_FALSE(up.remove);
  // Both rise and fall wrong: the rise is reported first.
  in.riseOn = in.fallOn = true;
  in.now = 100000;
  in.riseText = "1";
  in.fallText = "20";
  EXPECT_EQ(CheckPriceAlertInput(in, &up), kPriceAlertRiseLow);
}

TEST(PriceAlertCheck, InputFilterTakesDigitsAndThePointOnly) {
  EXPECT_TRUE(PriceAlertInputAccepted(""));
  EXPECT_TRUE(PriceAlertInputAccepted("7"));
  EXPECT_TRUE(PriceAlertInputAccepted("12.5"));
  EXPECT_FALSE(PriceAlertInputAccepted("a"));
  EXPECT_FALSE(PriceAlertInputAccepted("-"));
  EXPECT_FALSE(PriceAlertInputAccepted("1 2"));
  EXPECT_FALSE(PriceAlertInputAccepted("１"));
}

TEST(PriceAlertDisplay, StoredSettingToSwitchesAndTexts) {
  struct Case {
    const char* what;
    int32_t ladder, rise, fall, change;
    bool withChange;
    PriceAlertShown shown;
  };
  const Case cases[] = {
      {"rise 105000", 0, 105000, 0, 10000, true, {false, true, "10.50", false, "", false, ""}},
      {"change 250", 1, 0, 0, 250, true, {true, false, "", false, "", true, "2.50"}},
      {"change 0", 0, 0, 0, 0, true, {false, false, "", false, "", true, "0"}},
      {"change 10000 is none", 0, 0, 0, 10000, true, {}},
      {"change field missing", 0, 0, 95000, 0, false, {false, false, "", true, "9.50", false, ""}},
      {"negative change", 0, 0, 0, -5, true, {}},
      // 100 x value overflowed 32 bits here.
      {"change beyond 21474836",
       0,
       0,
       0,
       INT32_MAX,
       true,
       {false, false, "", false, "", true, "21474836.47"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TableWriter w;
    w.i32(10, c.ladder);
    w.i32(12, c.rise);
    w.i32(13, c.fall);
    if (c.withChange) w.i32(14, c.change);
    MDBF t;
    Parse(w, t);
    const PriceAlertShown s = ReadPriceAlertSetting(t);
    EXPECT_EQ(s.ladder, c.shown.ladder);
    EXPECT_EQ(s.riseOn, c.shown.riseOn);
    EXPECT_EQ(s.riseText, c.shown.riseText);
    EXPECT_EQ(s.fallOn, c.shown.fallOn);
    EXPECT_EQ(s.fallText, c.shown.fallText);
    EXPECT_EQ(s.changeOn, c.shown.changeOn);
    EXPECT_EQ(s.changeText, c.shown.changeText);
  }
  // A reply without a record: every switch off.
  MDBF empty;
  const PriceAlertShown none = ReadPriceAlertSetting(empty);
  EXPECT_FALSE(none.ladder || none.riseOn || none.fallOn || none.changeOn);
}

PacketHeader Part(int num, int no) {
  PacketHeader h;
  h.PackageNum = static_cast<uint8_t>(num);
  h.PackageNo = static_cast<uint8_t>(no);
  return h;
}

std::vector<uint8_t> Codes(std::initializer_list<const char*> codes) {
  TableWriter w;
  for (const char* code : codes) {
    w.addRow();
    w.text(8, code);
  }
  return w.build();
}

std::vector<std::string> CodesOf(MDBF& t) {
  std::vector<std::string> out;
  for (int i = 0; i < t.GetRecordNum(); ++i) {
    t.Seek(i);
    out.push_back(t.GetNSString(8));
  }
  return out;
}

TEST(PriceAlertGather, PacketsReplaceThenAppendAndTellTheLast) {
  MDBF t;
  auto a = Codes({"600000", "600003"});
  auto b = Codes({"000001"});
  auto c = Codes({"300001", "300005"});
  EXPECT_FALSE(GatherPriceAlertTable(t, Part(3, 0), a.data(), static_cast<int>(a.size()), "t"));
  EXPECT_FALSE(GatherPriceAlertTable(t, Part(3, 1), b.data(), static_cast<int>(b.size()), "t"));
  EXPECT_TRUE(GatherPriceAlertTable(t, Part(3, 2), c.data(), static_cast<int>(c.size()), "t"));
  EXPECT_EQ(CodesOf(t),
            (std::vector<std::string>{"600000", "600003", "000001", "300001", "300005"}));
  // A new first packet replaces; PackageNum 0 or 1 means the first is the last.
  EXPECT_TRUE(GatherPriceAlertTable(t, Part(0, 0), b.data(), static_cast<int>(b.size()), "t"));
  EXPECT_EQ(CodesOf(t), std::vector<std::string>{"000001"});
  EXPECT_TRUE(GatherPriceAlertTable(t, Part(1, 0), a.data(), static_cast<int>(a.size()), "t"));
  EXPECT_EQ(t.GetRecordNum(), 2);
  // A first packet that is no table empties the list; a bad later one changes nothing.
  const uint8_t junk[] = {1, 2, 3};
  EXPECT_FALSE(GatherPriceAlertTable(t, Part(2, 0), junk, 3, "t"));
  EXPECT_EQ(t.GetRecordNum(), 0);
  GatherPriceAlertTable(t, Part(2, 0), a.data(), static_cast<int>(a.size()), "t");
  EXPECT_TRUE(GatherPriceAlertTable(t, Part(2, 1), junk, 3, "t"));
  EXPECT_EQ(t.GetRecordNum(), 2);
}

TEST(PriceAlertGather, KeepsAtMostAThousandRows) {
  TableWriter w;
  for (int i = 0; i < 700; ++i) {
    w.addRow();
    w.i32(18, i);
  }
  const std::vector<uint8_t> body = w.build();
  MDBF t;
  GatherPriceAlertTable(t, Part(2, 0), body.data(), static_cast<int>(body.size()), "t");
  GatherPriceAlertTable(t, Part(2, 1), body.data(), static_cast<int>(body.size()), "t");
  ASSERT_EQ(t.GetRecordNum(), kPriceAlertMaxRows);
  t.Seek(kPriceAlertMaxRows - 1);
  EXPECT_EQ(t.GetInt(18), 299);
}

struct StoredAlert {
  const char* when;
  const char* id = "1";
  const char* type = "0";
  const char* content = "text";
  const char* code = "600000";
  const char* name = "name";
  const char* market = "1";
};

void Alerts(const std::vector<StoredAlert>& alerts, MDBF& t) {
  TableWriter w;
  for (const StoredAlert& a : alerts) {
    w.addRow();
    w.text(88, a.when);
    if (*a.id) w.text(81, a.id);
    if (*a.type) w.text(82, a.type);
    if (*a.content) w.utf16(83, a.content);
    if (*a.code) w.text(8, a.code);
    if (*a.name) w.utf16(9, a.name);
    if (*a.market) w.text(18, a.market);
  }
  Parse(w, t);
}

TEST(PriceAlertDays, GroupsInFirstOccurrenceOrder) {
  MDBF t;
  Alerts({{"2015-12-17 09:31:00", "1"}, {"2015-12-16 15:00:00", "2"}, {"2015-12-17 10:00:00", "3"}},
         t);
  auto days = GroupPriceAlerts(t);
  ASSERT_EQ(days.size(), 2u);
  EXPECT_EQ(days[0].date, "2015-12-17");
  ASSERT_EQ(days[0].list.size(), 2u);
  EXPECT_EQ(days[0].list[0].time, "09:31:00");
  EXPECT_EQ(days[0].list[1].id, "3");
  EXPECT_EQ(days[1].date, "2015-12-16");
  ASSERT_EQ(days[1].list.size(), 1u);
  EXPECT_EQ(days[1].list[0].content, "text");
  EXPECT_EQ(days[1].list[0].market, "1");
  EXPECT_EQ(days[1].list[0].zqlb, "");
}

TEST(PriceAlertDays, DayAloneBlanksAndIncompleteRecords) {
  MDBF t;
  Alerts(
      {
          {"2015-12-17", "1"},            // a day alone: joins the day below with no time
          {"2015-12-15", "2"},            // a day alone that no record makes a group: dropped
          {"2015-12-17  10:00:00", "3"},  // two blanks: an empty time
          {"2015-12-17\t11:00:00", "4"},  // a tab separates too
          {" 12:00:00", "5"},             // no day
          {"2015-12-17 12:00", ""},       // no id
          {"2015-12-17 12:00", "7", ""},  // no type
          {"2015-12-17 12:00", "8", "1", ""},
          {"2015-12-17 12:00", "9", "1", "x", ""},
          {"2015-12-17 12:00", "10", "1", "x", "600000", ""},
          {"2015-12-17 12:01", "11", "2", "x", "600000", "n", ""},  // no market: still shown
      },
      t);
  auto days = GroupPriceAlerts(t);
  ASSERT_EQ(days.size(), 1u);
  std::vector<std::string> ids, times;
  for (const auto& row : days[0].list) {
    ids.push_back(row.id);
    times.push_back(row.time);
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"1", "3", "4", "11"}));
  EXPECT_EQ(times, (std::vector<std::string>{"", "", "11:00:00", "12:01"}));
  EXPECT_EQ(days[0].list[3].market, "");
  // No records: no groups.
  MDBF empty;
  EXPECT_TRUE(GroupPriceAlerts(empty).empty());
}

TEST(PriceAlertDays, TappedAlertStock) {
  PriceAlertRow row;
  row.code = "1234567890AB";
  row.market = "1";
  row.zqlb = "130";
  row.type = "1";
  PriceAlertStock s = ReadPriceAlertStock(row);
  EXPECT_STREQ(s.code, "123456789");
  EXPECT_EQ(s.market, 1);
  EXPECT_EQ(s.type, static_cast<int8_t>(130));
  EXPECT_EQ(s.alertType, 1);
  row.market = "";
  row.zqlb = "-3x";
  row.type = "99999999999";
  s = ReadPriceAlertStock(row);
  EXPECT_EQ(s.market, 0);
  EXPECT_EQ(s.type, -3);
  EXPECT_EQ(s.alertType, INT32_MAX);
}

}  // namespace
