// The stock search reply: a u16 hit count (little-endian), then 42-byte hits as they travel.
// Decoding trusts neither the count nor the body length: only whole hits that the body holds
// are taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#pragma pack(push, 1)
struct tagSearchCode {
  uint8_t market;
  char code[8];  // not NUL-terminated when 8 long
};
struct tagSearchHit {
  tagSearchCode codeinfo;
  uint8_t style;      // stock type
  char16_t name[16];  // UTF-16, NUL-padded (little-endian on the wire)
};
#pragma pack(pop)
static_assert(sizeof(tagSearchHit) == 42);

inline constexpr int kSearchHitSize = 42;
inline constexpr int kSearchMaxHits = 100;

// Decodes at most maxHits hits into hits (zeroed first): the smallest of the count, maxHits and
// the whole hits the body holds ((len - 2) / 42). A body shorter than 2 bytes gives 0.
// Returns the hits taken.
int DecodeSearchReply(const uint8_t* body, size_t len, tagSearchHit* hits, int maxHits);

// The hit's code as text: at most 8 characters, cut at the first NUL.
std::string SearchHitCode(const tagSearchHit& hit);
// Copies the code into a 9-byte buffer, always NUL-terminated.
void SearchHitCodeText(const tagSearchHit& hit, char out[9]);
// The name's units before the first NUL (at most 16).
std::u16string SearchHitName(const tagSearchHit& hit);
// Builds a hit from its parts: code cut to 8 characters, name to maxNameUnits units.
tagSearchHit MakeSearchHit(uint8_t market, const char* code, uint8_t style,
                           const std::u16string& name, int maxNameUnits = 16);
