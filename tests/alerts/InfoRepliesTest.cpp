// The readers of information and radar replies: fields, the record cap, packets gathered, and the
// fuzz seeds (the test server's real answers) replayed through them under the sanitizers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/InfoReplies.h"
#include "core/MDBF.h"
#include "core/RadarReplies.h"
#include "platform/ui/WebView.h"
#include "tests/alerts/RadarTestSupport.h"

using namespace radartest;

namespace {

std::vector<Bytes> Seeds(const std::string& target) {
  std::vector<Bytes> out;
  const auto dir = std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz" / target;
  if (!std::filesystem::is_directory(dir)) return out;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    std::ifstream f(e.path(), std::ios::binary);
    out.emplace_back(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  return out;
}

Bytes Titles(int first, int count) {
  testserver::TableWriter w;
  for (int i = first; i < first + count; ++i) {
    w.addRow();
    w.i32(21, 20151216);
    w.i32(20, 93000 + i);
    w.utf16(23, "标题" + std::to_string(i));
    w.utf16(37, "摘要");
    w.text(36, std::to_string(i));
    w.i32(32, 3);
  }
  return w.build();
}

TEST(InfoReplies, SectionsTitlesAndTexts) {
  testserver::TableWriter w;
  w.i32(32, 7);
  w.utf16(33, "要闻");
  w.i64(34, 5000000000LL);
  w.text(36, "sec7");
  w.i64(20, 20151217093000LL);
  w.addRow();
  w.i32(32, 8);  // no title: an empty one
  const Bytes sections = w.build();
  const auto read = ReadInfoSections(sections.data(), static_cast<int>(sections.size()));
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].title, "要闻");
  EXPECT_EQ(read[0].partId, 7);
  EXPECT_EQ(read[0].partPar, 5000000000LL);
  EXPECT_EQ(read[0].additional, "sec7");
  EXPECT_EQ(read[0].time, 20151217093000LL);
  EXPECT_EQ(read[1].title, "");
  EXPECT_EQ(ReadInfoSections(sections.data(), 5).size(), 0u);

  // Titles: the first packet replaces, later ones append up to the cap.
  MDBF list;
  const Bytes a = Titles(0, 3), b = Titles(3, 2);
  EXPECT_EQ(GatherInfoTitles(list, a.data(), static_cast<int>(a.size()), true), 3);
  EXPECT_EQ(GatherInfoTitles(list, b.data(), static_cast<int>(b.size()), false), 5);
  EXPECT_EQ(GatherInfoTitles(list, b.data(), static_cast<int>(b.size()), false, 5), 5);
  EXPECT_EQ(InfoTitleCount(list), 5);
  EXPECT_EQ(InfoTitleCount(list, 4), 4);
  const InfoTitle t = ReadInfoTitle(list, 4);
  EXPECT_EQ(t.title, "标题4");
  EXPECT_EQ(t.time, 93004);
  EXPECT_EQ(t.additional, "4");
  EXPECT_EQ(ReadInfoTitle(list, 5).title, "");
  // A first packet that is no table empties the list; a later one leaves it.
  EXPECT_EQ(GatherInfoTitles(list, b.data(), 5, false), -1);
  EXPECT_EQ(InfoTitleCount(list), 5);
  EXPECT_EQ(GatherInfoTitles(list, b.data(), 5, true), -1);
  EXPECT_EQ(InfoTitleCount(list), 0);

  // A text: the last record; none without records.
  const Bytes text = Join(RadarTable({{20151215, 141516, 1, "前"}}, kRadarTextField), {});
  const InfoText one = ReadInfoText(text.data(), static_cast<int>(text.size()));
  EXPECT_TRUE(one.found);
  EXPECT_EQ(one.text, "前");
  EXPECT_EQ(one.date, 20151215);
  const Bytes none = {1, 0, 0, 0, 0, 0, 0, 24, 0, 0, 3};  // field 24, no records
  EXPECT_FALSE(ReadInfoText(none.data(), static_cast<int>(none.size())).found);
  EXPECT_FALSE(ReadInfoText(nullptr, 10).found);
}

TEST(InfoReplies, TheServersAnswersReadBackWhole) {
  // Seeds: one byte of cut, then the body.
  const auto radar = Seeds("radar_replies");
  ASSERT_GE(radar.size(), 5u);
  for (const Bytes& seed : radar) {
    ASSERT_FALSE(seed.empty());
    const int len = static_cast<int>(seed.size()) - 1;
    const auto rows = ReadRadarRows(seed.data() + 1, len, kRadarTitleField);
    const auto texts = ReadRadarRows(seed.data() + 1, len, kRadarTextField);
    EXPECT_FALSE(rows.empty());
    EXPECT_EQ(rows.size(), texts.size());
    MDBF list;
    const int cut = len * seed[0] / 255;
    GatherRadarPacket(list, seed.data() + 1, cut, true);
    GatherRadarPacket(list, seed.data() + 1 + cut, len - cut, false);
    // Packets cut inside a table lose it, never add to it.
    EXPECT_LE(list.GetRecordNum(), static_cast<int>(rows.size()));
  }
  const auto info = Seeds("info_replies");
  ASSERT_GE(info.size(), 5u);
  for (const Bytes& seed : info) {
    const int len = static_cast<int>(seed.size()) - 1;
    MDBF list;
    GatherInfoTitles(list, seed.data() + 1, len, true);
    EXPECT_GT(InfoTitleCount(list), 0);
    (void)ReadInfoSections(seed.data() + 1, len);
    (void)ReadInfoText(seed.data() + 1, len);
  }
  const auto pages = Seeds("web_page");
  ASSERT_GE(pages.size(), 2u);
  for (const Bytes& seed : pages) {
    const ui::WebPage page =
        ui::parseWebPage(std::string(seed.begin() + 1, seed.end()), (seed[0] & 1) != 0);
    EXPECT_FALSE(page.paragraphs.empty());
  }
}

}  // namespace
