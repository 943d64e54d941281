// What the market tells of its days besides the figures: the news of each trading day and the
// radar's signals, found in the trades that gave them. Both are functions of the seed and the
// date alone, so an item keeps its day and time whenever it is seen; an item of today is listed
// once its minute has come.
#include <algorithm>
#include <cmath>

#include "platform/foundation/Text.h"
#include "testserver/Market.h"
#include "testserver/PriceGrid.h"
#include "testserver/TradeTape.h"

namespace testserver {

namespace {

constexpr int kNewsDays = 6;
constexpr int kNewsPerDay = 5;
constexpr size_t kSignalsPerDay = 8;

const char* const kTopics[] = {"业绩预告",   "重大合同",   "股东增持",   "分红方案",
                               "董事会决议", "投资者关系", "新产品发布", "季度报告"};

int32_t Hhmmss(int minuteOfDay) {
  const int m = minuteOfDay % 1440;
  return m / 60 * 10000 + m % 60 * 100;
}

bool InShanghaiHours(int minuteOfDay) {
  const int m = minuteOfDay % 1440;
  return (m >= 9 * 60 + 30 && m <= 11 * 60 + 30) || (m >= 13 * 60 && m <= 15 * 60);
}

}  // namespace

std::vector<NewsItem> Market::newsOf(int32_t date) const {
  std::vector<NewsItem> out;
  const int64_t day = TradingOrdinal(date);
  // News tells of companies: the A shares and Hong Kong's shares.
  std::vector<const Security*> companies;
  for (size_t i = 0; i < seeded_ && i < secs_.size(); ++i) {
    const uint8_t type = secs_[i].q.zqlb;
    if (type == kTypeAShare || type == kTypeSme || type == kTypeChiNext || type == kTypeHkMain ||
        type == kTypeHkGem)
      companies.push_back(&secs_[i]);
  }
  if (companies.empty()) return out;
  for (const auto& [part, source] : sections_) {
    for (int j = 0; j < kNewsPerDay; ++j) {
      const uint64_t pick =
          Mix(seed_, 0x5E55 + static_cast<uint64_t>(day) * 64 + static_cast<uint64_t>(part) * 8 +
                         static_cast<uint64_t>(j));
      const Security& s = *companies[pick % companies.size()];
      const std::string name = foundation::utf16ToUtf8(std::u16string(s.q.name));
      const char* topic = kTopics[(pick >> 20) % 8];
      NewsItem n;
      // Ids of a day follow each other; no two days share one.
      n.id = static_cast<int32_t>((day % 100000) * 100 + part * 10 + j + 1);
      n.partId = part;
      n.title = name + topic;
      // The body tells of what the title names.
      n.body = n.title + "。" + name + "（" + s.q.code + "）今日发布" + topic +
               "公告，公司经营情况正常，请投资者注意风险。";
      n.date = date;
      // Published during the day's trading, a few an hour.
      n.time = SessionMinuteTime(j * 50 + (j > 0 ? static_cast<int>((day + j) % 7) * 3 : 0));
      n.source = source;
      out.push_back(std::move(n));
    }
  }
  return out;
}

void Market::stampNews() {
  newsDue_.clear();
  for (int back = 0; back < kNewsDays; ++back) {
    const SeedStamp day = stampSeed(back, 0);
    std::vector<NewsItem> items = newsOf(day.date);
    for (NewsItem& n : items)
      if (stampSeed(back, n.time).due) newsDue_.push_back(std::move(n));
  }
  radarMade_ = false;
}

const std::vector<RadarItem>& Market::radar() const {
  if (radarMade_) return radarDue_;
  // The day before's signals, then the newest day's that have come.
  radarDue_ = radarOf(stampSeed(1, 0).date);
  for (const RadarItem& r : radarOf(stampSeed(0, 0).date))
    if (stampSeed(0, r.time).due) radarDue_.push_back(r);
  radarMade_ = true;
  return radarDue_;
}

int32_t Market::signalTime(const Security& s, int32_t date, int signal, int from) const {
  DayBar bar;
  const std::vector<tagLocalTrendData> pts = pointsOn(s, date, &bar);
  const int n = static_cast<int>(pts.size());
  if (n < 12) return -1;
  const tagLocalStockData& q = s.q;
  const double limit = DailyLimit(q);
  const int32_t up = limit > 0 ? RoundTo(bar.ref * (1 + limit), PriceStep(q)) : 0;
  // The day's range: a quick move is a quarter of it, and at least two steps.
  int32_t dayLow = pts[0].now, dayHigh = pts[0].now;
  int64_t volume = 0;
  for (const tagLocalTrendData& p : pts) {
    dayLow = std::min(dayLow, p.now);
    dayHigh = std::max(dayHigh, p.now);
    volume += p.volume;
  }
  const int32_t quick = std::max((dayHigh - dayLow) / 4, 2 * PriceStep(q));
  const double usual = static_cast<double>(volume) / n;
  // A day sealed at its limit: from the first minute after which it never left it.
  int sealedFrom = n;
  if (up > 0 && bar.close >= up)
    while (sealedFrom > 0 && pts[sealedFrom - 1].now >= up) --sealedFrom;
  std::vector<TapeTrade> trades;
  int32_t low = pts[0].now, high = pts[0].now;
  for (int i = 0; i < n; ++i) {
    const tagLocalTrendData& p = pts[i];
    low = std::min(low, p.now);
    high = std::max(high, p.now);
    if (i < from || !InShanghaiHours(p.time)) continue;
    const int32_t previous = i > 0 ? pts[i - 1].now : bar.ref;
    bool gives = false;
    switch (signal) {
      case kSignalLargeBuy:
      case kSignalLargeSell: {
        TapeMinute m;
        m.price = p.now;
        m.previous = previous;
        m.low = low;
        m.high = high;
        m.volume = p.volume;
        m.amount = p.amount;
        MinuteTrades(q, s.key, date, i, m, trades);
        const uint8_t side = signal == kSignalLargeBuy ? 0 : 1;
        for (const TapeTrade& t : trades) gives |= t.size == kSizeHuge && t.side == side;
        break;
      }
      case kSignalSurge:
        gives = i >= 5 && p.now - pts[i - 5].now >= quick && p.now > previous;
        break;
      case kSignalPlunge:
        gives = i >= 5 && pts[i - 5].now - p.now >= quick && p.now < previous;
        break;
      case kSignalSealed:
        gives = i >= sealedFrom;
        break;
      case kSignalUnsealed:
        gives = up > 0 && i > 0 && previous >= up && p.now < up;
        break;
      case kSignalVolumeRise:
        gives = static_cast<double>(p.volume) >= 3 * usual && p.now > previous;
        break;
      case kSignalRebound: {
        int32_t recent = p.now;
        for (int k = std::max(0, i - 10); k < i; ++k) recent = std::min(recent, pts[k].now);
        gives = i >= 10 && recent == low && p.now - recent >= quick;
        break;
      }
      default:
        return -1;
    }
    if (gives) return Hhmmss(p.time);
  }
  return -1;
}

const std::vector<RadarItem>& Market::radarOf(int32_t date) const {
  auto at = radarDays_.find(date);
  if (at != radarDays_.end()) return at->second;
  std::vector<RadarItem> out;
  const int64_t day = TradingOrdinal(date);
  const size_t shares = std::max<size_t>(seeded_, 1);
  // Shares picked by the day's own numbers, each asked for one signal; those whose trades never
  // gave it make no item.
  for (int c = 0; c < 48 && out.size() < kSignalsPerDay; ++c) {
    const uint64_t pick =
        Mix(seed_, 0x12AD + static_cast<uint64_t>(day) * 64 + static_cast<uint64_t>(c));
    const Security& s = secs_[pick % shares];
    // Signals of the shares the radar watches: the A shares and Hong Kong's main and growth boards.
    const uint8_t type = s.q.zqlb;
    if (type != kTypeAShare && type != kTypeSme && type != kTypeChiNext && type != kTypeHkMain &&
        type != kTypeHkGem)
      continue;
    const int signal = static_cast<int>((pick >> 24) % 8);
    const int from =
        5 + static_cast<int>((pick >> 32) % static_cast<uint64_t>(std::max(1, s.points / 2)));
    const int32_t time = signalTime(s, date, signal, from);
    if (time < 0) continue;
    RadarItem r;
    r.id = 100000 + (day % 10000) * 100 + c;
    r.market = s.q.market;
    r.code = std::string(s.q.code, strnlen(s.q.code, sizeof s.q.code));
    r.date = date;
    r.time = time;
    r.name = foundation::utf16ToUtf8(std::u16string(s.q.name));
    r.signal = kRadarSignals[signal];
    r.title = r.name + r.signal;
    out.push_back(std::move(r));
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const RadarItem& a, const RadarItem& b) { return a.time < b.time; });
  return radarDays_.emplace(date, std::move(out)).first->second;
}

}  // namespace testserver
