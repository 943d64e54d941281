#include <set>
#include <string>

#include "ShellTestSupport.h"
#include "platform/foundation/PropertyList.h"
#include "shell/ConfigFileReader.h"

namespace {

using shelltest::ShellTest;

foundation::Value Column(foundation::Value name, foundation::Value index, foundation::Value sort,
                         foundation::Value field) {
  foundation::Value column;
  if (!name.isNull()) column["Name"] = name;
  if (!index.isNull()) column["Index"] = index;
  if (!sort.isNull()) column["SortType"] = sort;
  if (!field.isNull()) column["FieldNo"] = field;
  return column;
}

class ConfigFileReaderTest : public ShellTest {
 protected:
  std::string writeConfig(const foundation::Value& config) {
    std::string path = documents() + "/Config.plist";
    EXPECT_TRUE(foundation::PropertyList::writeFile(path, config));
    return path;
  }
};

TEST_F(ConfigFileReaderTest, ListsAppendOneColumnPerEntryAndKeepWhatTheCallerHeld) {
  foundation::Value config;
  config["RankParams"].append(Column("涨幅", 0, 23, 23));
  // Integers may be stored as numeric text.
  config["RankParams"].append(Column("成交量", "1", "6", "6"));
  // Without "FieldNo" (and without a name) the column reads as field 0.
  config["RankParams"].append(Column(nullptr, 2, 7, nullptr));
  config["DPParams"].append(Column("最新", 0, 5, 5));
  config["TabarControllers"].append(foundation::Dictionary{
      {"ViewController", "SelfStockController"}, {"Icon", "tab.png"}, {"Title", "自选"}});
  config["CertificateTypes"] = foundation::Array{"身份证", "护照"};
  config["FXPGWT"] = "风险";
  ConfigFileReader reader(writeConfig(config));
  ASSERT_TRUE(reader.isLoaded());

  RankParams columns(2);
  reader.rankParams(columns);
  ASSERT_EQ(columns.size(), 5u);
  EXPECT_EQ(columns[2].rankParamName(), "涨幅");
  EXPECT_EQ(columns[2].sorkType(), 23);
  EXPECT_EQ(columns[2].fieldNo(), 23);
  EXPECT_EQ(columns[3].rankParamIndex(), 1);
  EXPECT_EQ(columns[3].sorkType(), 6);
  EXPECT_EQ(columns[3].fieldNo(), 6);
  EXPECT_EQ(columns[4].rankParamName(), "");
  EXPECT_EQ(columns[4].fieldNo(), 0);
  EXPECT_EQ(columns[4].sorkType(), 7);

  RankParams index;
  reader.DPParams(index);
  ASSERT_EQ(index.size(), 1u);
  EXPECT_EQ(index[0].rankParamName(), "最新");

  // Missing keys append nothing.
  RankParams none;
  reader.mainSortParams(none);
  reader.boardParams(none);
  reader.GZQHParams(none);
  reader.GWQHParams(none);
  reader.GJWHParams(none);
  reader.QQZSParams(none);
  EXPECT_TRUE(none.empty());

  EXPECT_EQ(reader.tabBarControllers().size(), 1u);
  EXPECT_EQ(reader.tabBarControllers().at(0)["Title"].asString(), "自选");
  EXPECT_EQ(reader.certificateTypes().size(), 2u);
  EXPECT_EQ(reader.fengXianCePingContent().asString(), "风险");

  // A column written back as a dictionary holds its numbers as text.
  foundation::Value written;
  columns[2].objectToDictionary(written);
  EXPECT_EQ(written["Name"].asString(), "涨幅");
  EXPECT_EQ(written["SortType"].asString(), "23");
  RankParam again;
  again.dictionaryToObject(written);
  EXPECT_EQ(again.fieldNo(), 23);
}

TEST_F(ConfigFileReaderTest, MissingOrDamagedFileGivesNoTabsAndNoColumns) {
  for (const std::string& path : {documents() + "/absent.plist", [&] {
                                    std::string p = documents() + "/broken.plist";
                                    foundation::writeFileAtomically(p, "<plist><dict><key>x");
                                    return p;
                                  }()}) {
    ConfigFileReader reader(path);
    EXPECT_FALSE(reader.isLoaded());
    EXPECT_TRUE(reader.tabBarControllers().isNull());
    RankParams columns;
    reader.rankParams(columns);
    EXPECT_TRUE(columns.empty());
  }
}

TEST_F(ConfigFileReaderTest, TheBundleConfigurationHoldsTabsFunctionsAndColumnLists) {
  ConfigFileReader& reader = ConfigFileReader::defaultConfigFileReader();
  ASSERT_TRUE(reader.isLoaded());
  const foundation::Value& tabs = reader.tabBarControllers();
  ASSERT_GE(tabs.size(), 2u);
  ASSERT_LE(tabs.size(), 6u);
  EXPECT_EQ(tabs.at(0)["ViewController"].asString(), "SelfStockController");
  bool messageTab = false;
  for (const auto& tab : tabs.asArray()) {
    EXPECT_FALSE(tab["Icon"].asString().empty());
    if (tab["ViewController"].asString() == "MyMessage") {
      messageTab = true;
      EXPECT_EQ(tab["Title"].asString(), "服务");
    }
    // Every icon the configuration names is in the bundle.
    EXPECT_FALSE(gfx::Image::named(tab["Icon"].asString()).isEmpty()) << tab["Icon"].asString();
  }
  EXPECT_TRUE(messageTab);

  const foundation::Value& functions = reader.configFileData()["MoreControllers"];
  ASSERT_GE(functions.size(), 5u);
  EXPECT_LE(functions.size(), 31u);
  for (const auto& function : functions.asArray()) {
    EXPECT_FALSE(function["ViewController"].asString().empty());
    EXPECT_FALSE(function["Title"].asString().empty());
    EXPECT_FALSE(gfx::Image::named(function["Icon"].asString()).isEmpty())
        << function["Icon"].asString();
    if (function["ViewController"].asString() == "OneMarketSortController") {
      EXPECT_TRUE(function["MarketType"].isInteger());
      EXPECT_TRUE(function["StockType"].isInteger());
    }
  }
  for (const auto& id : reader.configFileData()["MoreDefaultShow"].asArray()) {
    EXPECT_LT(id.toInt(), static_cast<int64_t>(functions.size()));
  }

  // The ranking list matches its fifteen values to "RankParams" by position.
  RankParams rank;
  reader.rankParams(rank);
  ASSERT_EQ(rank.size(), 15u);
  EXPECT_EQ(rank[0].fieldNo(), 23);
  EXPECT_EQ(rank[8].fieldNo(), 72);
  EXPECT_EQ(rank[14].fieldNo(), 25);
  // The main-force list matches eight values by position.
  RankParams mainForce;
  reader.mainSortParams(mainForce);
  ASSERT_EQ(mainForce.size(), 8u);
  EXPECT_EQ(mainForce[1].fieldNo(), 102);

  using Loader = void (ConfigFileReader::*)(RankParams&) const;
  for (Loader load : {&ConfigFileReader::boardParams, &ConfigFileReader::DPParams,
                      &ConfigFileReader::GZQHParams, &ConfigFileReader::GWQHParams,
                      &ConfigFileReader::GJWHParams, &ConfigFileReader::QQZSParams}) {
    RankParams columns;
    (reader.*load)(columns);
    ASSERT_FALSE(columns.empty());
    std::set<int> indexes;
    for (size_t i = 0; i < columns.size(); ++i) {
      EXPECT_EQ(columns[i].rankParamIndex(), static_cast<int>(i));
      EXPECT_FALSE(columns[i].rankParamName().empty());
      // Sort codes leave bit 7 free for the direction.
      EXPECT_LT(columns[i].sorkType(), 128);
      EXPECT_GT(columns[i].fieldNo(), 0);
    }
  }
}

TEST_F(ConfigFileReaderTest, KLineIndexesRoundTripThroughTheUserDefaults) {
  const int saved[5] = {5, 10, 20, 30, 60};
  ConfigFileReader::saveKLineIndexs(saved, 5, "MA");
  EXPECT_EQ(foundation::UserDefaults::standard().string("MA"), "5,10,20,30,60");
  int four[4] = {};
  EXPECT_TRUE(ConfigFileReader::readKLineIndexs(four, 4, "MA"));
  EXPECT_EQ(four[0], 5);
  EXPECT_EQ(four[3], 30);

  int six[6] = {};
  EXPECT_FALSE(ConfigFileReader::readKLineIndexs(six, 6, "MA"));
  EXPECT_FALSE(ConfigFileReader::readKLineIndexs(four, 4, "absent"));

  ConfigFileReader::saveKLineIndexs(saved, 0, "Empty");
  EXPECT_TRUE(foundation::UserDefaults::standard().contains("Empty"));
  EXPECT_EQ(foundation::UserDefaults::standard().string("Empty", "x"), "");
}

}  // namespace
