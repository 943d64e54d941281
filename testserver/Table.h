// Writer of record-table reply bodies with any number of records (the wire form MDBF::Parse
// reads): columns are made as values are first given, widths grow to the widest value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testserver {

class TableWriter {
 public:
  // Starts a new record; values given before the first call go into record 0.
  void addRow();
  void text(uint8_t id, std::string_view ascii);  // type 0
  void utf16(uint8_t id, std::string_view utf8);  // type 3
  void i32(uint8_t id, int32_t v);                // type 1, 4 bytes
  void i64(uint8_t id, int64_t v);                // type 1, 8 bytes
  int rows() const { return static_cast<int>(rows_.size()); }

  // The body; total (records of the whole answer) defaults to the records written.
  std::vector<uint8_t> build(int total = -1, int start = 0) const;

 private:
  struct Column {
    uint8_t id;
    uint8_t type;
    uint16_t width;
  };
  struct Cell {
    uint8_t id;
    std::vector<uint8_t> bytes;
  };
  void put(uint8_t id, uint8_t type, std::vector<uint8_t> bytes);

  std::vector<Column> columns_;
  std::vector<std::vector<Cell>> rows_;
};

}  // namespace testserver
