// Throughput of the packet codecs on bodies of the size the connections carry.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/DataEncrypt.h"
#include "core/LZW.h"
#include "core/MDBF.h"
#include "core/RC5.h"

namespace {

constexpr size_t kBody = 9000;
constexpr int kBodiesPerKind = 32;

// Every codec benchmark cycles through a set of distinct bodies: timing one body over and over lets
// the branch predictor learn it and reports figures the codec never reaches on real traffic.
using BodySet = std::vector<std::vector<uint8_t>>;

int64_t SetBytes(const BodySet& set) {
  int64_t n = 0;
  for (const auto& b : set) n += static_cast<int64_t>(b.size());
  return n;
}

// A quote list page as rows of code, name, last price, change, volume and amount, codes in order
// and prices close to the previous close.
std::vector<uint8_t> QuoteListBody(std::mt19937& rng) {
  const char* names[] = {"浦发银行", "招商银行", "工商银行", "中国平安", "万科A",  "贵州茅台",
                         "格力电器", "中信证券", "腾讯控股", "长江电力", "比亚迪", "宁德时代"};
  std::string s;
  unsigned code = rng() % 900;
  const char* market = rng() % 2 ? "600" : "000";
  while (s.size() < kBody) {
    code += 1 + rng() % 3;
    unsigned prev = 300 + rng() % 6000;  // 1/100 yuan
    int change = static_cast<int>(rng() % (prev / 10 + 1)) - static_cast<int>(prev / 20);
    unsigned last = static_cast<unsigned>(static_cast<int>(prev) + change);
    unsigned lots = rng() % 200000;
    char row[160];
    std::snprintf(row, sizeof row, "%s%03u,%s,%u.%02u,%+d.%02u,%u,%u;", market, code % 1000,
                  names[rng() % std::size(names)], last / 100, last % 100, change / 100,
                  static_cast<unsigned>(std::abs(change) % 100), lots * 100,
                  static_cast<unsigned>(static_cast<uint64_t>(lots) * last / 1000));
    s += row;
  }
  s.resize(kBody);
  return {s.begin(), s.end()};
}

// Information and mail text: words of a 1500-word vocabulary (one to four of 400 common Chinese
// characters each) drawn with Zipf frequencies, with punctuation, dates and figures between them.
std::vector<uint8_t> TextBody(std::mt19937& rng) {
  static const std::vector<std::string> vocabulary = [] {
    const std::string chars =
        "的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之过"
        "家学对可她里后小么心多天而能好都然没日于起还发成事只作当想看文无开手十用主行方又如前所本"
        "见经头面公同三已老从动两长知民样现分将外但身些与高意进把法此实回二理美点月明其种声全工己"
        "话儿者向情部正名定女问力机给等几很业最间新什打便位因重被走电四第门相次东政海口使教西再平"
        "真听世气信北少关并内加化由却代军产入先山五太水万市眼体别处总才场师书比住员九笑性通目华报"
        "立马命张活难神数件安表原车白应路期叫死常提感金何更反合放做系计或司利受光王果亲界及今京务"
        "制解各任至清物台象记边共风战干接它许八特觉望直服毛林题建南度统色字请交爱让认算论百吗视证"
        "股票价格涨跌幅成交量额银行证券基金指数板块资本融券沪深港通盘收开盘最高低换手率净流入出买"
        "卖";
    std::vector<std::string> glyphs;
    for (size_t i = 0; i + 3 <= chars.size(); i += 3) glyphs.push_back(chars.substr(i, 3));
    std::mt19937 wordRng(5);
    std::vector<std::string> words;
    for (int i = 0; i < 1500; ++i) {
      std::string w;
      for (unsigned n = 1 + wordRng() % 4; n > 0; --n) w += glyphs[wordRng() % glyphs.size()];
      words.push_back(w);
    }
    return words;
  }();
  // Zipf: the word of rank r is drawn with weight 1 / (r + 1).
  static const std::vector<double> weights = [] {
    std::vector<double> w;
    for (size_t r = 0; r < vocabulary.size(); ++r) w.push_back(1.0 / static_cast<double>(r + 1));
    return w;
  }();
  std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
  const char* marks[] = {"，", "。", "、", "：", "；", "！", "“", "”", "\n", " "};
  std::string s;
  char num[32];
  while (s.size() < kBody) {
    s += vocabulary[pick(rng)];
    unsigned roll = rng() % 16;
    if (roll < 5) {
      s += marks[rng() % std::size(marks)];
    } else if (roll == 5) {
      std::snprintf(num, sizeof num, "%u.%02u", static_cast<unsigned>(rng() % 5000),
                    static_cast<unsigned>(rng() % 100));
      s += num;
    } else if (roll == 6) {
      std::snprintf(num, sizeof num, "2026年%u月%u日", static_cast<unsigned>(1 + rng() % 12),
                    static_cast<unsigned>(1 + rng() % 28));
      s += num;
    }
  }
  s.resize(kBody);
  return {s.begin(), s.end()};
}

std::vector<uint8_t> RandomBody(std::mt19937& rng, unsigned alphabet) {
  std::vector<uint8_t> b(kBody);
  for (auto& c : b) c = static_cast<uint8_t>(rng() % alphabet);
  return b;
}

const BodySet& QuoteLists() {
  static const BodySet set = [] {
    std::mt19937 rng(7);
    BodySet s;
    for (int i = 0; i < kBodiesPerKind; ++i) s.push_back(QuoteListBody(rng));
    return s;
  }();
  return set;
}

const BodySet& Texts() {
  static const BodySet set = [] {
    std::mt19937 rng(11);
    BodySet s;
    for (int i = 0; i < kBodiesPerKind; ++i) s.push_back(TextBody(rng));
    return s;
  }();
  return set;
}

const BodySet& Randoms(unsigned alphabet) {
  static BodySet sets[257];
  BodySet& s = sets[alphabet];
  if (s.empty()) {
    std::mt19937 rng(13 + alphabet);
    for (int i = 0; i < kBodiesPerKind; ++i) s.push_back(RandomBody(rng, alphabet));
  }
  return s;
}

// Quote lists and texts taken in turn, the mix the cipher sees.
const BodySet& Mixed() {
  static const BodySet set = [] {
    BodySet s;
    for (int i = 0; i < kBodiesPerKind; ++i) {
      s.push_back(QuoteLists()[static_cast<size_t>(i)]);
      s.push_back(Texts()[static_cast<size_t>(i)]);
    }
    return s;
  }();
  return set;
}

void Compress(benchmark::State& state, const BodySet& set) {
  auto work = std::make_unique<LzwWorkArea>();
  std::vector<uint8_t> out(kBody);
  int64_t packed = 0;
  for (const auto& b : set) {
    uint32_t r = LzwCompress(work.get(), b.data(), static_cast<uint16_t>(b.size()), out.data(),
                             static_cast<uint16_t>(out.size()));
    if (LzwFailed(r)) {
      state.SkipWithError("a body does not compress");
      return;
    }
    packed += r;
  }
  for (auto _ : state) {
    for (const auto& b : set) {
      uint32_t r = LzwCompress(work.get(), b.data(), static_cast<uint16_t>(b.size()), out.data(),
                               static_cast<uint16_t>(out.size()));
      benchmark::DoNotOptimize(r);
    }
  }
  state.counters["bodies"] = static_cast<double>(set.size());
  state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(SetBytes(set));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * SetBytes(set));
}

void Decompress(benchmark::State& state, const BodySet& set) {
  auto work = std::make_unique<LzwWorkArea>();
  BodySet packed;
  for (const auto& b : set) {
    std::vector<uint8_t> p(kBody);
    uint32_t n = LzwCompress(work.get(), b.data(), static_cast<uint16_t>(b.size()), p.data(),
                             static_cast<uint16_t>(p.size()));
    if (LzwFailed(n)) {
      state.SkipWithError("a body does not compress");
      return;
    }
    p.resize(n);
    packed.push_back(std::move(p));
  }
  std::vector<uint8_t> out(kBody);
  for (auto _ : state) {
    for (const auto& p : packed) {
      uint32_t r = LzwDecompress(work.get(), p.data(), static_cast<uint16_t>(p.size()), out.data(),
                                 static_cast<uint16_t>(out.size()));
      benchmark::DoNotOptimize(r);
    }
  }
  state.counters["bodies"] = static_cast<double>(set.size());
  state.counters["ratio"] =
      static_cast<double>(SetBytes(packed)) / static_cast<double>(SetBytes(set));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * SetBytes(set));
}

void BM_LzwCompressQuoteList(benchmark::State& s) {
  Compress(s, QuoteLists());
}
void BM_LzwCompressText(benchmark::State& s) {
  Compress(s, Texts());
}
void BM_LzwCompressRandom16(benchmark::State& s) {
  Compress(s, Randoms(16));
}
void BM_LzwDecompressQuoteList(benchmark::State& s) {
  Decompress(s, QuoteLists());
}
void BM_LzwDecompressText(benchmark::State& s) {
  Decompress(s, Texts());
}
void BM_LzwDecompressRandom16(benchmark::State& s) {
  Decompress(s, Randoms(16));
}
BENCHMARK(BM_LzwCompressQuoteList);
BENCHMARK(BM_LzwCompressText);
BENCHMARK(BM_LzwCompressRandom16);
BENCHMARK(BM_LzwDecompressQuoteList);
BENCHMARK(BM_LzwDecompressText);
BENCHMARK(BM_LzwDecompressRandom16);

// The cost of offering an incompressible body (an enciphered one, say) to the compressor: the
// encoder gives up part way, when its output reaches the input length, so this is time per
// refused body and not a throughput.
void BM_LzwRefuseIncompressible(benchmark::State& state) {
  const BodySet& set = Randoms(256);
  auto work = std::make_unique<LzwWorkArea>();
  std::vector<uint8_t> out(kBody);
  for (auto _ : state) {
    for (const auto& b : set) {
      uint32_t r = LzwCompress(work.get(), b.data(), static_cast<uint16_t>(b.size()), out.data(),
                               static_cast<uint16_t>(out.size()));
      if (!LzwFailed(r)) state.SkipWithError("a random body compressed");
      benchmark::DoNotOptimize(r);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(set.size()));
  state.SetLabel("refused bodies");
}
BENCHMARK(BM_LzwRefuseIncompressible);

void BM_Rc5Encrypt(benchmark::State& state) {
  const BodySet& set = Mixed();
  std::vector<uint8_t> out(kBody + 16);
  for (auto _ : state) {
    for (const auto& b : set) {
      int n = CDataEncrypt::Encrypt(b.data(), static_cast<uint16_t>(b.size()), out.data(),
                                    static_cast<int>(out.size()), kRequestKey1);
      benchmark::DoNotOptimize(n);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * SetBytes(set));
}
BENCHMARK(BM_Rc5Encrypt);

// The serial CBC deciphering loop, one block after another, as the yardstick for Decrypt: the same
// key expansion, checks and moves around it.
int32_t DecryptOneBlockAtATime(const uint8_t* src, int32_t srcLen, uint8_t* out, int32_t dstCap) {
  if (dstCap < srcLen) return -2;
  if (srcLen < 8 || srcLen % 8 != 0) return -1;
  RC5KeySchedule schedule;
  RC5SetKey(&schedule, kRequestKeyLen, reinterpret_cast<const uint8_t*>(kRequestKey1), 16);
  uint32_t S[34];
  std::memcpy(S, schedule.S, sizeof S);
  uint32_t c0 = ReadLE32(reinterpret_cast<const uint8_t*>(kCipherIV));
  uint32_t c1 = ReadLE32(reinterpret_cast<const uint8_t*>(kCipherIV) + 4);
  for (int32_t pos = 0; pos < srcLen; pos += 8) {
    uint32_t x0 = ReadLE32(src + pos), x1 = ReadLE32(src + pos + 4);
    uint32_t A = x0, B = x1;
    for (int i = 16; i >= 1; --i) {
      B = std::rotr(B - S[2 * i + 1], static_cast<int>(A & 31)) ^ A;
      A = std::rotr(A - S[2 * i], static_cast<int>(B & 31)) ^ B;
    }
    WriteLE32(out + pos, (A - S[0]) ^ c0);
    WriteLE32(out + pos + 4, (B - S[1]) ^ c1);
    c0 = x0;
    c1 = x1;
  }
  int32_t len = ReadLE16(out + 4);
  if (len > srcLen - 6) return -1;
  if (CDataEncrypt::Checksum(out + 4, len + 2) != ReadLE32(out)) return -1;
  std::memmove(out, out + 6, static_cast<size_t>(len));
  std::memset(out + len, 0, static_cast<size_t>(dstCap - len));
  return len;
}

BodySet Frames() {
  BodySet frames;
  for (const auto& b : Mixed()) {
    std::vector<uint8_t> f(b.size() + 16);
    int n = CDataEncrypt::Encrypt(b.data(), static_cast<uint16_t>(b.size()), f.data(),
                                  static_cast<int>(f.size()), kRequestKey1);
    f.resize(static_cast<size_t>(n));
    frames.push_back(std::move(f));
  }
  return frames;
}

template <bool kSerial>
void Decrypt(benchmark::State& state) {
  const BodySet frames = Frames();
  std::vector<uint8_t> out(kBody + 16), check(kBody + 16);
  for (const auto& f : frames) {
    int n = static_cast<int>(f.size());
    if (CDataEncrypt::Decrypt(f.data(), n, out.data(), n, kRequestKey1) !=
            DecryptOneBlockAtATime(f.data(), n, check.data(), n) ||
        out != check) {
      state.SkipWithError("Decrypt and the one-block loop differ");
      return;
    }
  }
  for (auto _ : state) {
    for (const auto& f : frames) {
      int n = static_cast<int>(f.size());
      int r = kSerial ? DecryptOneBlockAtATime(f.data(), n, out.data(), n)
                      : CDataEncrypt::Decrypt(f.data(), n, out.data(), n, kRequestKey1);
      benchmark::DoNotOptimize(r);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * SetBytes(Mixed()));
}
void BM_Rc5Decrypt(benchmark::State& s) {
  Decrypt<false>(s);
}
void BM_Rc5DecryptOneBlockLoop(benchmark::State& s) {
  Decrypt<true>(s);
}
BENCHMARK(BM_Rc5Decrypt);
BENCHMARK(BM_Rc5DecryptOneBlockLoop);

// A 30-record quote-list-like table: code text, name in UTF-16, and 18 integers.
void FillRecord(MDBF& t, int i) {
  char code[16];
  std::snprintf(code, sizeof code, "%06d", 600000 + i);
  t.AddStringField(1, code);
  t.SetNSString(2, std::u16string_view(u"招商银行"));
  for (int f = 0; f < 18; ++f) t.AddIntField(10 + f, 100000 + i * 1000 + f * 70000);
}

std::vector<uint8_t> Serialized(int records, int* size) {
  MDBF all;
  for (int i = 0; i < records; ++i) {
    MDBF one;
    FillRecord(one, i);
    if (i == 0)
      all.CopyFrom(one, 0, -1);
    else
      all.Merge(one);
  }
  std::vector<uint8_t> out(16384);
  *size = all.SerializeAll(out.data(), static_cast<int>(out.size()), nullptr);
  out.resize(static_cast<size_t>(*size));
  return out;
}

void BM_MdbfBuildSerialize(benchmark::State& state) {
  int size = 0;
  for (auto _ : state) {
    std::vector<uint8_t> out = Serialized(30, &size);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_MdbfBuildSerialize);

void BM_MdbfParse(benchmark::State& state) {
  int size = 0;
  std::vector<uint8_t> body = Serialized(30, &size);
  state.counters["bytes"] = size;
  for (auto _ : state) {
    MDBF t;
    int r = t.Parse(body.data(), size);
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_MdbfParse);

void BM_MdbfParseAndRead(benchmark::State& state) {
  int size = 0;
  std::vector<uint8_t> body = Serialized(30, &size);
  for (auto _ : state) {
    MDBF t;
    t.Parse(body.data(), size);
    int64_t sum = 0;
    for (int r = 0; r < t.GetRecordNum(); ++r) {
      t.Seek(r);
      for (int f = 10; f < 28; ++f) sum += t.GetInt(f);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_MdbfParseAndRead);

}  // namespace
