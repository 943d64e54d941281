// An independent statement of the K-line formulas for the tests: plain loops over doubles and
// 64-bit integers, written per output value (window sums recomputed, events composed per bar)
// rather than in the calculator's running, in-place form.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "core/ChartData.h"

namespace ref {

struct Bar {
  uint32_t date = 0;
  int64_t open = 0, high = 0, low = 0, close = 0;
};

inline tagLocalKData ToK(const Bar& b) {
  tagLocalKData k{};
  k.Date = b.date;
  k.open = static_cast<int32_t>(b.open);
  k.high = static_cast<int32_t>(b.high);
  k.low = static_cast<int32_t>(b.low);
  k.close = static_cast<int32_t>(b.close);
  return k;
}

inline std::vector<tagLocalKData> ToK(const std::vector<Bar>& bars) {
  std::vector<tagLocalKData> out;
  for (const Bar& b : bars) out.push_back(ToK(b));
  return out;
}

// Moving average: truncated mean of everything so far up to the first full window, then the
// window mean rounded half up.
inline std::vector<int64_t> MA(const std::vector<int64_t>& x, int p) {
  const int n = static_cast<int>(x.size());
  if (n < 2 || p < 2) return x;
  std::vector<int64_t> out(x.size());
  for (int i = 0; i < n; ++i) {
    if (i < p) {
      int64_t s = 0;
      for (int k = 0; k <= i; ++k) s += x[k];
      out[i] = s / (i + 1);
    } else {
      int64_t s = 0;
      for (int k = i - p + 1; k <= i; ++k) s += x[k];
      out[i] = (s + p / 2) / p;
    }
  }
  return out;
}

inline int64_t Forward(int64_t p, const tagLocalWeightData& e) {
  const int64_t div = 100000 + int64_t{e.sgs} + e.zgs + e.pgs;
  if (div == 0) return 0;
  return (p * 100000 + int64_t{e.pgs} * e.pgj - int64_t{e.hl} * 10000) / div;
}

inline int64_t Backward(int64_t p, const tagLocalWeightData& e) {
  const int64_t shares = int64_t{e.sgs} + e.zgs + e.pgs;
  return p + (p * shares - int64_t{e.pgs} * e.pgj + int64_t{e.hl} * 10000) / 100000;
}

inline bool Changes(const tagLocalWeightData& e) {
  return e.sgs > 0 || (e.pgs > 0 && e.pgj > 0) || e.hl > 0 || e.zgs > 0;
}

struct Weighted {
  std::vector<Bar> bars;
  std::vector<int> qxflag;
  std::vector<std::vector<int64_t>> ma;  // three series of bar count entries
};

// Events must have distinct dates, oldest first. Marks, adjustment and averages per bar:
// forward restates a bar across every later event oldest first, backward across every earlier
// (or same-day) event newest first.
inline Weighted Weight(const std::vector<Bar>& in, const std::vector<tagLocalWeightData>& events,
                       int type, const int periods[3]) {
  Weighted w;
  w.bars = in;
  const int n = static_cast<int>(in.size());
  w.qxflag.assign(in.size(), 0);
  std::map<uint32_t, int> byDate;
  for (int i = 0; i < static_cast<int>(events.size()); ++i) {
    byDate.emplace(static_cast<uint32_t>(events[i].date), i);
  }
  std::vector<int> eventBars;  // ascending
  for (int b = 0; b < n; ++b) {
    auto it = byDate.find(in[b].date);
    if (it != byDate.end() && Changes(events[it->second])) {
      w.qxflag[b] = it->second + 1;
      eventBars.push_back(b);
    }
  }
  auto forwardAll = [&](int64_t p, int j) {
    for (int b : eventBars)
      if (b > j) p = Forward(p, events[w.qxflag[b] - 1]);
    return p;
  };
  auto backwardLater = [&](int64_t p, int j) {  // across events after bar j, newest first
    for (auto it = eventBars.rbegin(); it != eventBars.rend(); ++it)
      if (*it > j) p = Backward(p, events[w.qxflag[*it] - 1]);
    return p;
  };
  const bool any = !eventBars.empty();
  for (int j = 0; j < n && any; ++j) {
    Bar& b = w.bars[j];
    if (type == 2) {
      b.open = forwardAll(b.open, j);
      b.high = forwardAll(b.high, j);
      b.low = forwardAll(b.low, j);
      b.close = forwardAll(b.close, j);
    } else if (type == 3) {
      for (auto it = eventBars.rbegin(); it != eventBars.rend(); ++it) {
        if (*it > j) continue;
        const tagLocalWeightData& e = events[w.qxflag[*it] - 1];
        b.open = Backward(b.open, e);
        b.high = Backward(b.high, e);
        b.low = Backward(b.low, e);
        b.close = Backward(b.close, e);
      }
    }
  }
  std::vector<int64_t> closes;
  for (int j = 0; j < n; ++j) {
    closes.push_back(type == 1 && any ? forwardAll(w.bars[j].close, j) : w.bars[j].close);
  }
  for (int k = 0; k < 3; ++k) {
    std::vector<int64_t> avg = MA(closes, periods[k]);
    if (type == 1 && any) {
      for (int j = 0; j < n; ++j) avg[j] = backwardLater(avg[j], j);
    }
    w.ma.push_back(avg);
  }
  return w;
}

// ---- indicators over the window endID..startID (index 0 = endID) ----

struct Macd {
  double s, l, dif, dea, bar;
};
inline std::vector<Macd> MACD(const std::vector<Bar>& bars, int startID, int endID, int p1, int p2,
                              int p3) {
  std::vector<Macd> out;
  double s = 0, l = 0, dea = 0;
  for (int i = endID; i <= startID; ++i) {
    const double c = static_cast<double>(bars[i].close) / 10000.0;
    if (i == endID) {
      s = l = c;
      out.push_back({s, l, 0, 0, 0});
      continue;
    }
    s = 2 * c / (p1 + 1) + s * (p1 - 1) / (p1 + 1);
    l = 2 * c / (p2 + 1) + l * (p2 - 1) / (p2 + 1);
    const double dif = s - l;
    dea = dea * (p3 - 1) / (p3 + 1) + 2 * dif / (p3 + 1);
    out.push_back({s, l, dif, dea, dif - dea});
  }
  return out;
}

struct Kdj {
  double k, d, j;
};
inline std::vector<Kdj> KDJ(const std::vector<Bar>& bars, int startID, int endID, int n, int m1,
                            int m2) {
  std::vector<Kdj> out;
  double k = 50, d = 50;
  for (int i = endID; i <= startID; ++i) {
    const int first = std::max(endID, i - n + 1);
    double hh = 0, ll = 1e300;
    for (int b = first; b <= i; ++b) {
      hh = std::max(hh, bars[b].high / 10000.0);
      ll = std::min(ll, bars[b].low / 10000.0);
    }
    const double rsv = hh - ll < 0.0001 ? 100 : (bars[i].close / 10000.0 - ll) * 100 / (hh - ll);
    k = (m1 - 1) * k / m1 + rsv / m1;
    d = (m2 - 1) * d / m2 + k / m2;
    out.push_back({k, d, 3 * k - 2 * d});
  }
  return out;
}

// RSI over all bars, in 1/10000 percent.
inline std::vector<int64_t> RSI(const std::vector<Bar>& bars, int period) {
  const int n = static_cast<int>(bars.size());
  std::vector<int64_t> up(n, 0), mv(n, 0), r(n, 0);
  for (int k = 1; k < n; ++k) {
    const int64_t d = (bars[k].close - bars[k - 1].close) * 10000;
    up[k] = std::max<int64_t>(d, 0);
    mv[k] = d < 0 ? -d : d;
  }
  if (period > 1) {
    for (int k = 1; k < n; ++k) {
      up[k] = (up[k - 1] * (period - 1) + up[k] + period / 2) / period;
      mv[k] = (mv[k - 1] * (period - 1) + mv[k] + period / 2) / period;
    }
  }
  for (int k = 1; k < n; ++k) {
    const __int128 num = static_cast<__int128>(up[k]) * 1000000 + mv[k] / 2;
    r[k] = mv[k] > 0 ? static_cast<int64_t>(num / mv[k]) : r[k - 1];
  }
  return r;
}

inline std::vector<double> CCI(const std::vector<Bar>& bars, int startID, int endID, int n) {
  std::vector<double> out;
  auto tp = [&](int b) {
    return static_cast<double>((bars[b].high + bars[b].low + bars[b].close) / 3);
  };
  for (int i = endID; i <= startID; ++i) {
    const int first = std::max(endID, i - n + 1);
    double sum = 0;
    for (int b = first; b <= i; ++b) sum += tp(b);
    const double ma = sum / (i - first + 1);
    double md = 0;
    for (int b = first; b <= i; ++b) md += std::fabs(std::trunc(tp(b) - ma));
    md /= (i - first + 1);
    const double d = 0.015 * md;
    out.push_back(std::fabs(d) >= 0.0001 ? (tp(i) - ma) / d : 0.0);
  }
  return out;
}

inline std::vector<double> BIAS(const std::vector<Bar>& bars, int startID, int endID, int p) {
  std::vector<double> out;
  for (int i = endID; i <= startID; ++i) {
    const int first = std::max(endID, i - p + 1);
    double sum = 0;
    for (int b = first; b <= i; ++b) sum += static_cast<double>(bars[b].close);
    const double ma = sum / (i - first + 1);
    const double c = static_cast<double>(bars[i].close);
    out.push_back(std::fabs(ma) >= 0.0001 ? (c - ma) / ma * 100 : 0.0);
  }
  return out;
}

}  // namespace ref
