// Radar replies of the quote server (145/96 a watch list's alerts, 145/81 one stock's, 145/82 an
// alert's text): bodies of one or more record tables one after another, each record one alert
// (21 date yyyymmdd, 20 time hhmmss, 22 id, 23 title or 24 text).
//
// The bytes are the server's: the walk ends at the first table that does not parse, never reads
// past the body and always moves forward, and the rows read are capped, since a 9000-byte body
// of zero-width records can claim hundreds of tables of 65535 records each.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class MDBF;

// Rows a radar list keeps (the hosts ask for 50).
inline constexpr int kRadarMaxRows = 1000;
inline constexpr int kRadarTitleField = 23;
inline constexpr int kRadarTextField = 24;

struct RadarRow {
  int32_t date = 0;  // yyyymmdd
  int32_t time = 0;  // hhmmss
  int64_t id = 0;
  std::string text;  // UTF-8; empty when the record has no such field
};

// Parses the tables of the body one after another and hands each to `table` (the same object,
// refilled); `table` answers false to stop. Returns the bytes walked (the tables parsed).
int WalkRecordTables(const uint8_t* body, int length, MDBF& table,
                     const std::function<bool(MDBF&)>& each);

// Appends the rows of the table's records in order while `rows` holds fewer than maxRows;
// leaves the last record read current. Returns the rows appended.
int AppendRadarRows(MDBF& table, int textField, std::vector<RadarRow>& rows,
                    int maxRows = kRadarMaxRows);

// Gathers the packets of one reply into `list`: the first packet (first = true) replaces it,
// later ones append; every table of a body is taken, until the list holds maxRows records.
// Returns the bytes of the body taken.
int GatherRadarPacket(MDBF& list, const uint8_t* body, int length, bool first,
                      int maxRows = kRadarMaxRows);

// The rows of every table of the body, in order, at most maxRows.
std::vector<RadarRow> ReadRadarRows(const uint8_t* body, int length, int textField,
                                    int maxRows = kRadarMaxRows);
