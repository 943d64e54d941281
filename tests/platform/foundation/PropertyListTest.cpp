#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "platform/foundation/PropertyList.h"
#include "tests/platform/foundation/TestDir.h"

using namespace foundation;

namespace {

Value everyType(bool subSecondDates) {
  Dictionary d;
  d.set("zeta-first", "order is kept");
  d.set("bools", Array{true, false});
  d.set("integers", Array{0, -1, 7709, INT64_MAX, INT64_MIN, int64_t{1} << 40});
  d.set("reals", Array{3.141592653589793, -0.5, 1e-300, 0.0});
  d.set("strings", Array{"", "上证指数", "a<b>&\"c\" 'd'", "line\nbreak"});
  d.set("data", Array{Value(Data{}), Value(Data{0, 1, 0xff, 0, 0x80})});
  d.set("dates", Array{Value::date(1700000000), Value::date(subSecondDates ? 1700000000.25 : 0)});
  d.set("empty-array", Array{});
  d.set("empty-dict", Dictionary{});
  d.set("nested", Array{Dictionary{{"b", 1}, {"a", Array{Array{"deep"}}}}});
  d.set("alpha-last", 1.5);
  return Value(std::move(d));
}

struct FormatCase {
  PropertyListFormat format;
  const char* name;
  bool subSecondDates;
};

class PropertyListFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(PropertyListFormats, EveryValueTypeRoundTrips) {
  Value original = everyType(GetParam().subSecondDates);
  std::string bytes;
  ASSERT_TRUE(PropertyList::serialize(original, GetParam().format, bytes));
  auto r = PropertyList::parse(bytes);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.value, original);
  EXPECT_EQ(r.value.asDictionary().keys().front(), "zeta-first");
}

TEST_P(PropertyListFormats, FilesAreWrittenWholeIntoNewFolders) {
  testing_support::TempDir dir;
  std::string path = dir.file("a/b/Config.plist");
  ASSERT_TRUE(PropertyList::writeFile(path, everyType(false), GetParam().format));
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  auto r = PropertyList::readFile(path);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.value, everyType(false));
}

INSTANTIATE_TEST_SUITE_P(Formats, PropertyListFormats,
                         ::testing::Values(FormatCase{PropertyListFormat::Xml, "Xml", false},
                                           FormatCase{PropertyListFormat::Binary, "Binary", true}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(PropertyList, NullsAreLeftOutAndANullDocumentIsRefused) {
  Value v;
  v["kept"] = 1;
  v["dropped"] = Value();
  v["list"] = Array{1, Value(), 2};
  std::string bytes;
  ASSERT_TRUE(PropertyList::serialize(v, PropertyListFormat::Xml, bytes));
  Value back = PropertyList::parse(bytes).value;
  EXPECT_EQ(back.asDictionary().keys(), (std::vector<std::string>{"kept", "list"}));
  EXPECT_EQ(back["list"], Value(Array{1, 2}));
  EXPECT_FALSE(PropertyList::serialize(Value(), PropertyListFormat::Binary, bytes));
}

TEST(PropertyList, DamagedXmlGivesAnError) {
  const char* cases[] = {
      "",
      "garbage",
      "<?xml version=\"1.0\"?><plist><dict><key>a</key>",
      "<plist><dict><key>a</key><integer>1</integer></plist>",
      "<plist><array><string>unterminated</array></plist>",
      "<plist><date>not a date</date></plist>",
      "<plist><data>@@@@</data><plist>",
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    auto r = PropertyList::parse(text);
    if (r.ok()) continue;  // a lenient parse is acceptable; a crash is not
    EXPECT_TRUE(r.value.isNull());
    EXPECT_FALSE(r.error.empty());
  }
  EXPECT_FALSE(PropertyList::parse("").ok());
  EXPECT_FALSE(PropertyList::parse("garbage").ok());
  EXPECT_FALSE(PropertyList::parse("<?xml version=\"1.0\"?><plist><dict><key>a</key>").ok());
}

TEST(PropertyList, EveryTruncationOrFlippedByteOfABinaryFileIsSafe) {
  std::string bytes;
  ASSERT_TRUE(PropertyList::serialize(everyType(true), PropertyListFormat::Binary, bytes));
  // The trailer sits at the end: every shorter prefix must be refused.
  for (size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_FALSE(PropertyList::parse(std::string_view(bytes).substr(0, n)).ok()) << n;
  }
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::string damaged = bytes;
    damaged[i] = static_cast<char>(damaged[i] ^ 0xA5);
    PropertyList::parse(damaged);  // outcome may vary; must not crash or leak
  }
}

TEST(PropertyList, NestingBeyondTheLimitIsRefused) {
  std::string deep = "<plist>";
  for (int i = 0; i < PropertyList::kMaxDepth + 10; ++i) deep += "<array>";
  for (int i = 0; i < PropertyList::kMaxDepth + 10; ++i) deep += "</array>";
  deep += "</plist>";
  EXPECT_FALSE(PropertyList::parse(deep).ok());

  Value v = Array{};
  for (int i = 0; i < PropertyList::kMaxDepth + 10; ++i) v = Array{v};
  std::string out;
  EXPECT_FALSE(PropertyList::serialize(v, PropertyListFormat::Xml, out));
}

TEST(PropertyList, MissingFileIsAnError) {
  auto r = PropertyList::readFile("/nonexistent/verdan/none.plist");
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find("cannot read"), std::string::npos);
}

}  // namespace

namespace {

// Inputs kept from fuzzing: each must parse or fail cleanly, and what parses must survive a
// binary save unchanged.
TEST(PropertyList, KeptFuzzFindsStaySafeAndRoundTrip) {
  const std::filesystem::path dir =
      std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz/plist";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    SCOPED_TRACE(entry.path().string());
    ++files;
    auto r = PropertyList::readFile(entry.path().string());
    if (!r.ok()) continue;
    std::string bytes;
    ASSERT_TRUE(PropertyList::serialize(r.value, PropertyListFormat::Binary, bytes));
    auto again = PropertyList::parse(bytes);
    ASSERT_TRUE(again.ok()) << again.error;
    EXPECT_EQ(again.value, r.value);
  }
  EXPECT_GT(files, 0);
}

TEST(PropertyList, InvalidUtf8BecomesReplacementCharacters) {
  Value v = Dictionary{{std::string("k\xff"), "v\xc3"}};
  std::string bytes;
  ASSERT_TRUE(PropertyList::serialize(v, PropertyListFormat::Binary, bytes));
  auto r = PropertyList::parse(bytes);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.value, Value(Dictionary{{"k\xEF\xBF\xBD", "v\xEF\xBF\xBD"}}));
}

}  // namespace

namespace {

// libplist truncates the microseconds it stores; reading must not drift a date down by a
// microsecond on every save.
TEST(PropertyList, BinaryDatesKeepMillisecondsAcrossRepeatedSaves) {
  const double cases[] = {1700000000.492187, 980576123.4921870, 1700000000.9996, 978307199.75};
  const double expected[] = {1700000000.492, 980576123.492, 1700000001.0, 978307200.0};
  for (size_t i = 0; i < std::size(cases); ++i) {
    Value v = Array{Value::date(cases[i])};
    for (int round = 0; round < 3; ++round) {
      std::string bytes;
      ASSERT_TRUE(PropertyList::serialize(v, PropertyListFormat::Binary, bytes));
      v = PropertyList::parse(bytes).value;
      EXPECT_NEAR(v.at(0).asDate().secondsSince1970, expected[i], 1e-6) << cases[i];
    }
  }
}

}  // namespace

namespace {

// libplist aborts the process on such a key; the file must be refused before it gets there.
TEST(PropertyList, BinaryDictionaryKeyWithANulIsRefused) {
  auto r = PropertyList::readFile(std::string(VERDAN_SOURCE_DIR) +
                                  "/tests/data/fuzz/plist/nul-in-key.bplist");
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find("NUL"), std::string::npos) << r.error;
}

}  // namespace
