#include "core/LineStep.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

// atoi without the overflow of the C one.
int SafeAtoi(const char* s) {
  long long v = std::strtoll(s, nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int>(v);
}

}  // namespace

char* CLineStep::GetValue(int field, char* out, int size) const {
  if (!out || size < 1) return out;
  std::memset(out, 0, static_cast<size_t>(size));
  std::string_view text(m_RecData.GetData() ? m_RecData.GetData() : "", m_RecData.GetSize());
  if (text.empty()) return out;

  char key[16];
  int keyLen = std::snprintf(key, sizeof key, "\x02%d\x01", field);
  std::string_view pair(key, static_cast<size_t>(keyLen));
  size_t start;
  if (text.starts_with(pair.substr(1))) {
    start = pair.size() - 1;
  } else {
    size_t at = text.find(pair);
    if (at == std::string_view::npos) return out;
    start = at + pair.size();
  }
  char* p = out;
  for (size_t i = start; i < text.size() && p < out + size - 1; ++i) {
    char c = text[i];
    if (c == 0x00 || c == 0x02 || c == 0x03) break;
    *p++ = c;
  }
  return p;
}

int CLineStep::GetIntValue(int field) const {
  char buf[100];
  GetValue(field, buf, sizeof buf);
  return SafeAtoi(buf);
}

void CLineStep::GetDateTimeValue(int field, int* date, int* time) const {
  char buf[100];
  GetValue(field, buf, sizeof buf);
  if (time) *time = SafeAtoi(buf + 9);  // buf is zeroed, so index 9 is always readable
  buf[8] = 0;
  if (date) *date = SafeAtoi(buf);
}

void AppendStockTimeRecord(CLineStep& body, int field, int date, int time) {
  char text[64];
  int n = std::snprintf(text, sizeof text, "%s%d\x01%08d %06d", body.GetSize() ? "\x02" : "", field,
                        date, time);
  if (n > 0) body.Append(text, static_cast<uint32_t>(n));
}
