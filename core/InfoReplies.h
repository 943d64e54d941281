// Information replies of the quote server: the news sections (145/85), a section's titles
// (145/86, possibly in several packets) and an article's or radar alert's text (145/87, 145/82).
// The bytes are the server's: only whole tables are read, and a title list keeps at most
// kInfoMaxRecords records (the home page asks for 20).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class MDBF;

inline constexpr int kInfoMaxRecords = 1000;

// One section of the section list.
struct InfoSection {
  std::string additional;  // field 36, passed back to the server verbatim
  std::string title;       // field 33
  int32_t partId = 0;      // field 32
  int64_t partPar = 0;     // field 34
  int64_t time = 0;        // field 20
};

// One row of a title list.
struct InfoTitle {
  int32_t date = 0;        // 21, yyyymmdd
  int32_t time = 0;        // 20, hhmmss
  std::string title;       // 23
  std::string summary;     // 37
  std::string additional;  // 36
  int32_t partId = 0;      // 32
};

// An article's or alert's text: the last record of the reply's table.
struct InfoText {
  bool found = false;  // the body held a record
  int32_t date = 0;    // 21
  int32_t time = 0;    // 20
  std::string text;    // 24
};

// The sections of a section-list body, in reply order (at most maxRecords; the first table).
std::vector<InfoSection> ReadInfoSections(const uint8_t* body, int length,
                                          int maxRecords = kInfoMaxRecords);

// Gathers one packet of a title reply into `list`: the first packet (first = true) replaces it,
// later ones append, until the list holds maxRecords records (later packets are then dropped,
// logged once per list). Returns the records the list holds, or -1 when the packet held no
// whole table (a first packet then leaves the list empty, a later one leaves it as it was).
int GatherInfoTitles(MDBF& list, const uint8_t* body, int length, bool first,
                     int maxRecords = kInfoMaxRecords);
// Rows a gathered list shows: its records, at most maxRecords.
int InfoTitleCount(const MDBF& list, int maxRecords = kInfoMaxRecords);
// Row `row` of the list (a default row outside it).
InfoTitle ReadInfoTitle(MDBF& list, int row);

// The text of an article or alert reply (its first table).
InfoText ReadInfoText(const uint8_t* body, int length);
