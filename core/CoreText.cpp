#include "core/CoreText.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/foundation/Paths.h"

namespace {

char g_documentPath[1024];
std::atomic<uint32_t> g_generation{1};  // use stamps are taken from more than one thread

bool IsDigit(unsigned c) {
  return c >= '0' && c <= '9';
}

// Leading integer like atoi, but saturating instead of overflowing.
int LeadingInt(const char* s) {
  while (*s == ' ' || *s == '\t') ++s;
  bool negative = false;
  if (*s == '-' || *s == '+') negative = (*s++ == '-');
  int64_t v = 0;
  for (; IsDigit(static_cast<unsigned char>(*s)); ++s) {
    v = v * 10 + (*s - '0');
    if (v > static_cast<int64_t>(INT_MAX) + 1) v = static_cast<int64_t>(INT_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  return static_cast<int>(v);
}

template <typename Unit>
int64_t DigitsToInt64(const Unit* text) {
  if (!text) return 0;
  uint64_t v = 0;  // unsigned so that very long digit runs wrap instead of overflowing
  bool negative = false;
  for (; *text; ++text) {
    unsigned c = static_cast<unsigned>(*text);
    if (IsDigit(c))
      v = v * 10 + (c - '0');
    else if (c == '-')
      negative = true;
  }
  if (negative) v = 0 - v;
  return static_cast<int64_t>(v);
}

}  // namespace

void TrimLeft(char* text) {
  if (!text) return;
  size_t skip = 0;
  while (text[skip] == ' ') ++skip;
  if (skip) std::memmove(text, text + skip, std::strlen(text + skip) + 1);
}

void TrimRight(char* text) {
  if (!text) return;
  size_t n = std::strlen(text);
  while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\n')) --n;
  text[n] = 0;
}

void Trim(char* text) {
  TrimLeft(text);
  TrimRight(text);
}

void StripNewline(char* text) {
  if (!text) return;
  if (char* lf = std::strchr(text, '\n')) *lf = 0;
  if (char* cr = std::strchr(text, '\r')) *cr = 0;
}

int StrCopyUntil(char* dest, const char* src, int size, char stop) {
  if (!dest || size < 1) return 0;
  int n = 0;
  if (src)
    while (n < size - 1 && src[n] && src[n] != stop) {
      dest[n] = src[n];
      ++n;
    }
  dest[n] = 0;
  return n;
}

int CopyToken(char* dest, const char* src, int size, char delim) {
  if (!dest || size < 1) return 0;
  dest[0] = 0;
  if (!src) return 0;
  while (*src == ' ') ++src;
  size_t len = 0;
  while (src[len] && src[len] != delim) ++len;
  while (len > 0 && src[len - 1] == ' ') --len;
  if (len > static_cast<size_t>(size - 1)) len = static_cast<size_t>(size - 1);
  std::memcpy(dest, src, len);
  dest[len] = 0;
  return static_cast<int>(len);
}

void GetField(const char* src, char* dest, int size, int n, char sep, char end) {
  if (!dest || size < 1) return;
  std::memset(dest, 0, static_cast<size_t>(size));
  if (!src || n < 1) return;
  auto endsLine = [end](char c) { return c == 0 || c == '\n' || (end != 0 && c == end); };
  const char* p = src;
  int passed = 0;
  while (!endsLine(*p) && passed < n - 1) {
    if (*p == sep) ++passed;
    ++p;
  }
  if (passed < n - 1) return;  // the line has no field n
  int k = 0;
  while (k < size - 1 && !endsLine(*p) && *p != sep) dest[k++] = *p++;
  Trim(dest);
}

int GetFieldInt(const char* src, int n, char sep, char end) {
  char buf[30];
  GetField(src, buf, sizeof buf, n, sep, end);
  return LeadingInt(buf);
}

int ParseVersion(const char* text) {
  if (!text) return 0;
  char major[30];
  char minor[30];
  GetField(text, major, sizeof major, 1, '.', 0);
  GetField(text, minor, sizeof minor, 2, '.', 0);
  minor[4] = 0;
  for (int i = static_cast<int>(std::strlen(minor)); i < 4; ++i) minor[i] = '0';
  return LeadingInt(major) * 10000 + LeadingInt(minor);
}

int WideToCString(char* dest, int size, const char16_t* text, int len) {
  if (!dest || size < 1) return 0;
  std::memset(dest, 0, static_cast<size_t>(size));
  if (!text) return 0;
  if (len < 0) len = UniStrLen(text);
  for (int i = 0; i < len; ++i)
    if (text[i] > 0x7F) return 0;
  int n = 0;
  for (; n < len && n < size - 1 && text[n] != 0; ++n) dest[n] = static_cast<char>(text[n]);
  return n;
}

int UniStrLen(const char16_t* text) {
  if (!text) return 0;
  int n = 0;
  while (text[n]) ++n;
  return n;
}

int BytesToNSString(char16_t* dest, int size, const char* bytes, int len) {
  if (!dest || size < 1) return 0;
  std::memset(dest, 0, static_cast<size_t>(size) * sizeof(char16_t));
  if (!bytes) return 0;
  if (len < 0) len = static_cast<int>(std::strlen(bytes));
  for (int i = 0; i < len; ++i)
    if (static_cast<unsigned char>(bytes[i]) > 0x7F) return 0;
  int n = 0;
  for (; n < len && n < size - 1; ++n) dest[n] = static_cast<char16_t>(bytes[n]);
  return n;
}

int RoundScaled(double value, int factor) {
  double v = value * factor;
  v = value < -0.0001 ? v - 0.5 : v + 0.5;
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<int>(v);  // truncates toward zero
}

int64_t WideToInt64(const char16_t* text) {
  return DigitsToInt64(text);
}
int64_t StrToInt64(const char* text) {
  return DigitsToInt64(text);
}

void InitDocumentPath(char* dest, int size) {
  std::string dir = foundation::documentsDir();
  if (dir.empty() || (dir.back() != '/' && dir.back() != '\\')) dir += '/';
  StrCopyUntil(g_documentPath, dir.c_str(), sizeof g_documentPath, 0);
  if (dest) StrCopyUntil(dest, g_documentPath, size, 0);
}

const char* GetDocumentPath() {
  return g_documentPath;
}

int MakeFullPath(char* dest, int size, const char* name) {
  if (!dest || size < 1) return 0;
  dest[0] = 0;
  if (!name) return 0;
  if (name[0] == '/' || name[0] == '\\') return StrCopyUntil(dest, name, size, 0);
  int n = std::snprintf(dest, static_cast<size_t>(size), "%s%s", g_documentPath, name);
  return n < 0 ? 0 : (n < size ? n : size - 1);
}

uint32_t NextGeneration() {
  return g_generation.fetch_add(1, std::memory_order_relaxed);
}

int HKPriceStep(int price, bool up) {
  // Upper bound of each band and its step, both in 1/10000.
  static const int kBound[] = {0,       2500,    5000,     100000,   200000,   1000000,
                               2000000, 5000000, 10000000, 20000000, 50000000, 99950000};
  static const int kStep[] = {0, 10, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000};
  constexpr int kBands = sizeof kBound / sizeof kBound[0];
  int i = 0;
  // Moving up from a band edge uses the step above it; moving down uses the one below.
  while (i < kBands && (up ? kBound[i] <= price : kBound[i] < price)) ++i;
  if (i == kBands) return price;
  int step = kStep[i];
  int result = up ? price + step : price - step;
  if (step >= 1) result -= result % step;
  return result;
}

bool ReadTypedDecimal(std::string_view text, int decimals, int scale, int64_t* out) {
  if (decimals < 0 || scale < decimals || scale > 8) return false;
  constexpr int64_t kLimit = 1000000000000;  // whole units; far beyond any price or amount
  int64_t whole = 0;
  int64_t fraction = 0;
  int intDigits = 0, fracDigits = 0, points = 0;
  for (char c : text) {
    if (c == '.') {
      if (++points > 1) return false;
    } else if (c >= '0' && c <= '9') {
      if (points == 0) {
        whole = whole * 10 + (c - '0');
        if (whole > kLimit) return false;
        ++intDigits;
      } else {
        if (++fracDigits > decimals) return false;
        fraction = fraction * 10 + (c - '0');
      }
    } else {
      return false;
    }
  }
  if (intDigits + fracDigits == 0) return false;
  int64_t unit = 1;
  for (int k = 0; k < scale; ++k) unit *= 10;
  for (int k = fracDigits; k < scale; ++k) fraction *= 10;
  if (out) *out = whole * unit + fraction;
  return true;
}
