// Records the test server's K-line answers as seeds of fuzz_kline_chart, in its input layout:
// period, weight type, pane, three pane parameters, gesture, ruler, scroll, pricedot, event
// count, events, then answers
// (data flag, u16 length, body). Runs only when VERDAN_FUZZ_SEED_DIR names the seed folder.
#include <cstdlib>
#include <fstream>

#include "kline/TechIndexParams.h"
#include "tests/kline/KLineTestSupport.h"

namespace {

using FuzzSeeds = klinetest::ServerTest;

std::vector<uint8_t> Input(std::initializer_list<uint8_t> settings, const tagLocalStockData& q,
                           const klinetest::KLineAnswer& answer) {
  std::vector<uint8_t> out(settings);
  out.push_back(q.pricedot);
  const size_t n = std::min<size_t>(answer.events.size(), 255);
  out.push_back(static_cast<uint8_t>(n));
  const auto* events = reinterpret_cast<const uint8_t*>(answer.events.data());
  out.insert(out.end(), events, events + n * sizeof(tagLocalWeightData));
  for (const auto& part : answer.parts) {
    out.push_back(static_cast<uint8_t>(part.isPush));
    out.push_back(static_cast<uint8_t>(part.body.size() & 0xff));
    out.push_back(static_cast<uint8_t>(part.body.size() >> 8));
    out.insert(out.end(), part.body.begin(), part.body.end());
  }
  return out;
}

TEST_F(FuzzSeeds, KLineChartAnswers) {
  const char* dir = std::getenv("VERDAN_FUZZ_SEED_DIR");
  if (!dir) GTEST_SKIP() << "VERDAN_FUZZ_SEED_DIR not set";
  const std::filesystem::path out = std::filesystem::path(dir) / "kline_chart";
  std::filesystem::create_directories(out);
  auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
    std::ofstream file(out / name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  };
  const tagLocalStockData q = Quote(1, "600000");
  write("day-events", Input({1, 1, 0, 0, 0, 0, 0, 0, 0}, q, KLines(q, 1)));
  write("day-forward-ruler", Input({1, 2, 1, 12, 26, 9, 1, 5, 250}, q, KLines(q, 1)));
  write("week", Input({2, 3, 3, 6, 12, 24, 0, 0, 0}, q, KLines(q, 2)));
  write("five-minutes", Input({4, 1, 8, 0, 0, 0, 0, 20, 0}, q, KLines(q, 4)));
  write("day-kdj", Input({1, 1, 2, 9, 3, 3, 0, 3, 0}, q, KLines(q, 1)));
  write("day-holding", Input({1, 1, 6, 0, 0, 0, 0, 0, 0}, q, KLines(q, 1)));
  write("day-cci-bias", Input({1, 0, 5, 14, 0, 0, 0, 0, 0}, q, KLines(q, 1)));
  server_->setKLineInParts(true);
  write("day-in-parts", Input({1, 3, 7, 0, 0, 0, 0, 0, 0}, q, KLines(q, 1, 400)));
  const tagLocalStockData second = Quote(1, "600036");
  server_->setKLineInParts(false);
  write("second-share", Input({1, 1, 4, 6, 12, 24, 0, 0, 0}, second, KLines(second, 1)));
}

}  // namespace

namespace {

// The bundle's parameter list and a file written by "应用", as seeds of fuzz_kline_params.
TEST(FuzzSeedsParams, KLineParamFiles) {
  const char* dir = std::getenv("VERDAN_FUZZ_SEED_DIR");
  if (!dir) GTEST_SKIP() << "VERDAN_FUZZ_SEED_DIR not set";
  const std::filesystem::path out = std::filesystem::path(dir) / "kline_params";
  std::filesystem::create_directories(out);
  const std::filesystem::path docs = std::filesystem::temp_directory_path() / "verdan-kline-seeds";
  std::filesystem::create_directories(docs);
  foundation::setDocumentsDir(docs.string());
  foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
  std::filesystem::copy_file(VERDAN_SOURCE_DIR "/resources/TechIndexParamList.plist",
                             out / "bundle-list",
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::remove(kline::ParamStore::savedPath());
  kline::ParamStore store;
  store.load();
  const int32_t rsi[3] = {5, 10, 20};
  ASSERT_TRUE(store.apply(2, rsi, 3));
  std::filesystem::copy_file(kline::ParamStore::savedPath(), out / "applied-rsi",
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::remove_all(docs);
}

}  // namespace
