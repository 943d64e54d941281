// What the market seeds with a time lies in a session, whenever it is looked at; an article
// tells of what its title names; an order class that traded did so in orders; only a company has
// a profile page.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testserver/Market.h"
#include "testserver/ServerCore.h"

namespace {

using testserver::Market;

bool InShanghaiSession(int32_t hhmmss) {
  const int minute = hhmmss / 10000 * 60 + hhmmss / 100 % 100;
  return (minute >= 9 * 60 + 30 && minute <= 11 * 60 + 30) ||
         (minute >= 13 * 60 && minute <= 15 * 60);
}

// The clock's hours a person looks at: before the open, the first minutes, the break, the
// afternoon, after the close and at night; a Wednesday and a Saturday (a weekend shows Friday).
struct Clock {
  int32_t date;
  int minute;
  bool closed;
};
const Clock kClocks[] = {{20261209, 90, false},      {20261209, 7 * 60 + 20, false},
                         {20261209, 9 * 60 + 31, false}, {20261209, 10 * 60 + 30, false},
                         {20261209, 12 * 60, false},     {20261209, 14 * 60 + 10, false},
                         {20261209, 23 * 60, false},     {20261212, 11 * 60, true}};

TEST(InfoTimes, RadarSignalsAndNewsLieInsideSessionsInTheirOrderAtEveryHour) {
  for (const Clock& c : kClocks) {
    SCOPED_TRACE(testing::Message() << c.date << " " << c.minute);
    Market m(7, c.date, c.minute, c.closed);
    const int32_t clock = c.minute / 60 * 10000 + c.minute % 60 * 100;
    ASSERT_FALSE(m.radar().empty());
    int64_t before = 0;
    for (const auto& r : m.radar()) {
      EXPECT_TRUE(InShanghaiSession(r.time)) << r.title << " " << r.time;
      // Nothing is listed later than the clock on its own day.
      if (r.date == c.date) {
        EXPECT_LE(r.time, clock + 59) << r.title;
      }
      const int64_t at = int64_t{r.date} * 1000000 + r.time;
      EXPECT_GE(at, before) << r.title;  // the signals keep their order
      before = at;
    }
    for (const auto& n : m.news()) {
      EXPECT_TRUE(InShanghaiSession(n.time)) << n.title << " " << n.time;
      if (n.date == c.date) {
        EXPECT_LE(n.time, clock + 59) << n.title;
      }
    }
  }
}

TEST(InfoTimes, AnItemKeepsItsTimeWhenTheClockMovesOnAndIsListedOnceItComes) {
  // The same day looked at in the morning, the afternoon and the night: every item listed in
  // the morning is listed later with the same date and time; nothing listed lies after the clock.
  const int minutes[] = {9 * 60 + 31, 10 * 60 + 30, 14 * 60 + 10, 22 * 60 + 30};
  std::vector<testserver::NewsItem> before;
  for (int minute : minutes) {
    SCOPED_TRACE(minute);
    Market m(7, 20261209, minute);
    const int32_t clock = minute / 60 * 10000 + minute % 60 * 100;
    int today = 0;
    for (const auto& n : m.news()) {
      if (n.date == 20261209) {
        ++today;
        EXPECT_LE(n.time, clock + 59) << n.title;
      }
    }
    for (const auto& was : before) {
      const auto it = std::find_if(m.news().begin(), m.news().end(),
                                   [&](const testserver::NewsItem& n) { return n.id == was.id; });
      ASSERT_NE(it, m.news().end()) << was.title;
      EXPECT_EQ(it->date, was.date) << was.title;
      EXPECT_EQ(it->time, was.time) << was.title;
    }
    // Later looks list at least as much of the day.
    EXPECT_GE(m.news().size(), before.size());
    EXPECT_GT(today, 0);
    before = m.news();
  }
  // Looked at the next morning before the open, the day's items keep their times too.
  Market morning(7, 20261210, 8 * 60);
  for (const auto& was : before) {
    const auto it = std::find_if(morning.news().begin(), morning.news().end(),
                                 [&](const testserver::NewsItem& n) { return n.id == was.id; });
    if (it == morning.news().end() || it->date != was.date) continue;
    EXPECT_EQ(it->time, was.time) << was.title;
  }
}

TEST(InfoTimes, EveryArticleTellsOfWhatItsTitleNames) {
  for (uint64_t seed : {1ull, 7ull, 20151217ull}) {
    Market m(seed, 20261209, 10 * 60 + 30);
    ASSERT_FALSE(m.news().empty());
    for (const auto& n : m.news()) {
      // The title is the name and the topic; the body's announcement is the same topic.
      static const char* kTopics[] = {"业绩预告",   "重大合同",   "股东增持",   "分红方案",
                                      "董事会决议", "投资者关系", "新产品发布", "季度报告"};
      int told = 0;
      for (const char* topic : kTopics) {
        const bool inTitle = n.title.find(topic) != std::string::npos;
        const bool announced = n.body.find(std::string("今日发布") + topic) != std::string::npos;
        EXPECT_EQ(inTitle, announced) << n.title << " / " << n.body;
        told += announced;
      }
      EXPECT_EQ(told, 1) << n.body;
    }
  }
}

TEST(QuoteFigures, AnOrderClassThatTradedDidSoInOrders) {
  for (const Clock& c : {kClocks[1], kClocks[3], kClocks[6]}) {
    Market m(11, c.date, c.minute, c.closed);
    for (const auto& s : m.securities()) {
      for (int i = 0; i < 8; ++i) {
        if (s.q.VolumeGold[i] > 0) {
          EXPECT_GT(s.q.BuySellGold[i], 0) << s.q.code << " class " << i;
        } else {
          EXPECT_EQ(s.q.BuySellGold[i], 0) << s.q.code << " class " << i;
        }
      }
    }
  }
}

TEST(F10Pages, OnlyACompanyHasAProfileAnIndexAnswersAsABoardDoes) {
  Market m(3, 20261209, 10 * 60 + 30);
  const std::string none = "没有找到该证券的资料。";
  for (const char* key : {"000001,sh", "399001,sz", "999999,hk"}) {
    const std::string page = testserver::HttpAnswer(m, std::string("/f10?key=") + key);
    EXPECT_NE(page.find(none), std::string::npos) << key;
    EXPECT_EQ(page.find("总股本"), std::string::npos) << key;
  }
  const std::string company = testserver::HttpAnswer(m, "/f10?key=600000,sh");
  EXPECT_EQ(company.find(none), std::string::npos);
  EXPECT_NE(company.find("总股本"), std::string::npos);
  // A heading stands over something: no empty notice list.
  EXPECT_EQ(company.find("最新公告</h3><ul></ul>"), std::string::npos);
  int withNotices = 0, without = 0;
  for (const auto& s : m.securities()) {
    if (s.q.zgb <= 0 || s.q.market != 1) continue;
    const std::string page = testserver::HttpAnswer(m, "/f10?key=" + std::string(s.q.code) + ",sh");
    EXPECT_EQ(page.find("<ul></ul>"), std::string::npos) << s.q.code;
    (page.find("最新公告") != std::string::npos ? withNotices : without)++;
  }
  EXPECT_GT(withNotices + without, 0);
}

TEST(F10Pages, TheCashDividendReadsAsTheOnePercentTheAdjustmentTakes) {
  // Cash is stored per ten shares in 1/10000 yuan, about 1 % of the price a share: the page's
  // "每10股派" must read about ten times 1 % of the close before the event, in yuan.
  Market m(3, 20261209, 10 * 60 + 30);
  int checked = 0;
  for (const auto& s : m.securities()) {
    if (s.q.zgb <= 0 || s.history.empty()) continue;
    const std::string code(s.q.code);
    const std::string key = code + "," + (s.q.market == 1 ? "sh" : s.q.market == 2 ? "sz" : "hk");
    const std::string page = testserver::HttpAnswer(m, "/f10?key=" + key);
    for (const tagLocalWeightData& w : s.weights) {
      if (w.hl <= 0) continue;
      const std::string date = std::to_string(w.date) + "：";
      const size_t at = page.find(date);
      ASSERT_NE(at, std::string::npos) << key << " " << w.date;
      const size_t cash = page.find("每10股派", at);
      ASSERT_NE(cash, std::string::npos) << key << " " << w.date;
      const double perTen = std::stod(page.substr(cash + std::string("每10股派").size()));
      int32_t before = 0;
      for (const testserver::DayBar& d : s.history)
        if (static_cast<int32_t>(d.date) < w.date) before = d.close;
      if (before <= 0) continue;
      const double percent = perTen / 10 / (before / 10000.0) * 100;
      EXPECT_GT(percent, 0.5) << key << " " << w.date << " " << perTen;
      EXPECT_LT(percent, 2) << key << " " << w.date << " " << perTen;
      ++checked;
    }
    if (checked > 20) break;
  }
  EXPECT_GT(checked, 0);
}

TEST(F10Pages, EveryDividendEntrySaysWhatItIs) {
  // Each listed event names a bonus, a conversion, a rights issue or cash, and every kind of
  // event a history carries is listed.
  Market m(3, 20261209, 10 * 60 + 30);
  int entries = 0;
  bool kinds[4] = {};
  for (const auto& s : m.securities()) {
    if (s.q.zgb <= 0 || s.weights.empty()) continue;
    const std::string code(s.q.code);
    const std::string key = code + "," + (s.q.market == 1 ? "sh" : s.q.market == 2 ? "sz" : "hk");
    const std::string page = testserver::HttpAnswer(m, "/f10?key=" + key);
    const size_t from = page.find("<h3>分红送配</h3>");
    ASSERT_NE(from, std::string::npos) << key;
    const size_t to = page.find("</ul>", from);
    for (size_t at = page.find("<li>", from); at < to; at = page.find("<li>", at + 1)) {
      const size_t colon = page.find("：", at);
      const size_t end = page.find("</li>", at);
      ASSERT_LT(colon, end) << key;
      const std::string what = page.substr(colon + std::string("：").size(),
                                           end - colon - std::string("：").size());
      EXPECT_FALSE(what.empty()) << key << " " << page.substr(at, end - at);
      EXPECT_NE(what.find("每10股"), std::string::npos) << key << " " << what;
      ++entries;
    }
    for (const tagLocalWeightData& w : s.weights) {
      kinds[0] |= w.sgs > 0;
      kinds[1] |= w.zgs > 0;
      kinds[2] |= w.pgs > 0;
      kinds[3] |= w.hl > 0;
      const std::string date = std::to_string(w.date) + "：";
      EXPECT_NE(page.find(date, from), std::string::npos) << key << " " << w.date;
    }
  }
  EXPECT_GT(entries, 0);
  EXPECT_TRUE(kinds[0] && kinds[1] && kinds[2] && kinds[3]);
}

TEST(QuoteFigures, PriceToBookIsThePriceOverTheNetAssetsAShareF10Shows) {
  for (int minute : {10 * 60 + 30, 22 * 60 + 30}) {
    Market m(3, 20261209, minute);
    int checked = 0;
    for (const auto& s : m.securities()) {
      if (s.q.zgb <= 0 || s.q.market > 2 || s.q.now <= 0) continue;
      const std::string code(s.q.code);
      const std::string page =
          testserver::HttpAnswer(m, "/f10?key=" + code + (s.q.market == 1 ? ",sh" : ",sz"));
      const std::string label = "<td>每股净资产</td><td>";
      const size_t at = page.find(label);
      ASSERT_NE(at, std::string::npos) << code;
      const double perShare = std::stod(page.substr(at + label.size()));
      ASSERT_GT(perShare, 0) << code;
      // As the list shows it (two places) against the price over F10's figure.
      const double expected = s.q.now / 10000.0 / perShare;
      EXPECT_NEAR(s.q.sjl / 10000.0, expected, 0.01) << code << " at " << minute;
      ++checked;
    }
    EXPECT_GT(checked, 10);
  }
}

}  // namespace
