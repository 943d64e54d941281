#include "core/SearchReply.h"

#include <algorithm>
#include <cstring>

int DecodeSearchReply(const uint8_t* body, size_t len, tagSearchHit* hits, int maxHits) {
  if (!hits || maxHits <= 0) return 0;
  std::memset(static_cast<void*>(hits), 0, sizeof(tagSearchHit) * static_cast<size_t>(maxHits));
  if (!body || len < 2) return 0;
  const size_t held = (len - 2) / kSearchHitSize;
  size_t count = static_cast<size_t>(body[0]) | (static_cast<size_t>(body[1]) << 8);
  count = std::min({count, held, static_cast<size_t>(maxHits)});
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* src = body + 2 + i * kSearchHitSize;
    tagSearchHit& hit = hits[i];
    hit.codeinfo.market = src[0];
    std::memcpy(hit.codeinfo.code, src + 1, sizeof hit.codeinfo.code);
    hit.style = src[9];
    // The name sits unaligned in the packed hit: it is built aside and copied in.
    char16_t name[16];
    for (int k = 0; k < 16; ++k)
      name[k] = static_cast<char16_t>(src[10 + 2 * k] | (src[11 + 2 * k] << 8));
    std::memcpy(hit.name, name, sizeof name);
  }
  return static_cast<int>(count);
}

void SearchHitCodeText(const tagSearchHit& hit, char out[9]) {
  std::memset(out, 0, 9);
  std::memcpy(out, hit.codeinfo.code, sizeof hit.codeinfo.code);
}

std::string SearchHitCode(const tagSearchHit& hit) {
  char text[9];
  SearchHitCodeText(hit, text);
  return text;
}

std::u16string SearchHitName(const tagSearchHit& hit) {
  char16_t name[16];
  std::memcpy(name, hit.name, sizeof name);
  std::u16string out;
  for (char16_t u : name) {
    if (u == 0) break;
    out.push_back(u);
  }
  return out;
}

tagSearchHit MakeSearchHit(uint8_t market, const char* code, uint8_t style,
                           const std::u16string& name, int maxNameUnits) {
  tagSearchHit hit;
  std::memset(static_cast<void*>(&hit), 0, sizeof hit);
  hit.codeinfo.market = market;
  if (code) std::memcpy(hit.codeinfo.code, code, strnlen(code, sizeof hit.codeinfo.code));
  hit.style = style;
  const size_t units = std::min(name.size(), static_cast<size_t>(std::clamp(maxNameUnits, 0, 16)));
  char16_t units16[16] = {};
  for (size_t k = 0; k < units; ++k) units16[k] = name[k];
  std::memcpy(hit.name, units16, sizeof units16);
  return hit;
}
