// The message store's work per fetched message (serialising both files of 1000 entries; the
// durable save with its syncs apart) and the ordering of 200 adviser rows over 1000 received and
// 1000 sent messages.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/CoreState.h"
#include "messaging/MessageStore.h"
#include "messaging/MessagingSession.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

namespace {

class Owner : public MessageStoreOwner {
 public:
  int selectedMenuItem() const override { return 2; }
};

std::string Stamp(int i) {
  char text[32];
  std::snprintf(text, sizeof text, "2026-%02d-%02d %02d:%02d:%02d", 1 + i % 12, 1 + i % 28,
                i % 24, i % 60, (i * 7) % 60);
  return text;
}

struct Fixture {
  Owner owner;
  MyMessageStore store{&owner};
  Fixture() {
    static bool once = [] {
      foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
      std::string dir = std::filesystem::temp_directory_path() / "verdan-bench-messaging-XXXXXX";
      const char* made = mkdtemp(dir.data());
      foundation::setDocumentsDir(made ? made : "/tmp");
      foundation::UserDefaults::resetStandard();
      SetLoginInfo("bench", "");
      return true;
    }();
    (void)once;
    MessagingSession::shared().reset();
    store.initMessageFromFile();
    Array& total = store.totalMessages();
    Array& sent = store.sentMessages();
    for (int i = 0; i < 1000; ++i) {
      std::string broker = std::to_string(9000 + i % 200);
      total.push_back(Value(Dictionary{{"id", Value(int64_t{100000 - i})},
                                       {"unread", Value(i % 3 == 0 ? 1 : 0)},
                                       {"title", Value("今日策略")},
                                       {"date", Value(Stamp(i))},
                                       {"brokerID", Value(broker)},
                                       {"sender", Value("王明")},
                                       {"content", Value(std::string(300, 'x'))},
                                       {"typeid", Value("1")},
                                       {"messagesource", Value("1,1")}}));
      sent.push_back(Value(Dictionary{{"sendMessageKey_recivers", Value(broker + ";9001")},
                                      {"sendMessageKey_showRecivers", Value("王明")},
                                      {"sendMessageKey_date", Value(Stamp(i + 5))},
                                      {"sendMessageKey_title", Value("回复")},
                                      {"sendMessageKey_content", Value(std::string(200, 'y'))}}));
    }
    Array rows;
    for (int i = 0; i < 200; ++i) {
      rows.push_back(Value(Dictionary{{"broker_name", Value("顾问")},
                                      {"broker_id", Value(std::to_string(9000 + i))},
                                      {"broker_firstABC", Value("W")},
                                      {"broker_index", Value(std::to_string(i))}}));
    }
    store.brokerListArray() = rows;
  }
};

void BM_SerialiseBothFiles(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) {
    std::string received;
    std::string sent;
    foundation::PropertyList::serialize(Value(f.store.totalMessages()),
                                        foundation::PropertyListFormat::Xml, received);
    foundation::PropertyList::serialize(Value(f.store.sentMessages()),
                                        foundation::PropertyListFormat::Xml, sent);
    benchmark::DoNotOptimize(received.size() + sent.size());
  }
}
BENCHMARK(BM_SerialiseBothFiles)->Unit(benchmark::kMillisecond);

// The whole save: serialising plus the two synced replacements.
void BM_SaveBothFilesDurably(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) benchmark::DoNotOptimize(f.store.saveMessageToFile());
}
BENCHMARK(BM_SaveBothFilesDurably)->Unit(benchmark::kMillisecond);

void BM_OrderAdviserRows(benchmark::State& state) {
  Fixture f;
  Array rows = f.store.brokerListArray();
  for (auto _ : state) {
    f.store.brokerListArray() = rows;
    f.store.sortBrokerList();
  }
}
BENCHMARK(BM_OrderAdviserRows)->Unit(benchmark::kMillisecond);

}  // namespace
