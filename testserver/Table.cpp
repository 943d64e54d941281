#include "testserver/Table.h"

#include <algorithm>

#include "core/ByteOrder.h"
#include "core/MDBF.h"
#include "platform/foundation/Text.h"

namespace testserver {

void TableWriter::addRow() {
  rows_.emplace_back();
}

void TableWriter::put(uint8_t id, uint8_t type, std::vector<uint8_t> bytes) {
  if (rows_.empty()) rows_.emplace_back();
  auto col =
      std::find_if(columns_.begin(), columns_.end(), [&](const Column& c) { return c.id == id; });
  uint16_t width = static_cast<uint16_t>(std::min<size_t>(bytes.size(), 0xFFFF));
  if (col == columns_.end()) {
    columns_.push_back({id, type, width});
  } else {
    col->width = std::max(col->width, width);
  }
  auto& row = rows_.back();
  auto cell = std::find_if(row.begin(), row.end(), [&](const Cell& c) { return c.id == id; });
  if (cell != row.end())
    cell->bytes = std::move(bytes);
  else
    row.push_back({id, std::move(bytes)});
}

void TableWriter::text(uint8_t id, std::string_view ascii) {
  put(id, kFieldText, std::vector<uint8_t>(ascii.begin(), ascii.end()));
}

void TableWriter::utf16(uint8_t id, std::string_view utf8) {
  std::u16string u = foundation::utf8ToUtf16(utf8);
  std::vector<uint8_t> b(u.size() * 2);
  for (size_t i = 0; i < u.size(); ++i) WriteLE16(b.data() + 2 * i, u[i]);
  put(id, kFieldUnicode, std::move(b));
}

void TableWriter::i32(uint8_t id, int32_t v) {
  std::vector<uint8_t> b(4);
  WriteLE32(b.data(), static_cast<uint32_t>(v));
  put(id, kFieldInt, std::move(b));
}

void TableWriter::i64(uint8_t id, int64_t v) {
  std::vector<uint8_t> b(8);
  WriteLE64(b.data(), static_cast<uint64_t>(v));
  put(id, kFieldInt, std::move(b));
}

std::vector<uint8_t> TableWriter::build(int total, int start) const {
  std::vector<uint8_t> out(kMdbfHeadSize, 0);
  const int m = static_cast<int>(rows_.size());
  out[0] = static_cast<uint8_t>(std::min<size_t>(columns_.size(), 255));
  WriteLE16(out.data() + 1, static_cast<uint16_t>(total < 0 ? m : total));
  WriteLE16(out.data() + 3, static_cast<uint16_t>(start));
  WriteLE16(out.data() + 5, static_cast<uint16_t>(m));
  if (columns_.empty()) {
    out[5] = out[6] = 0;
    return out;
  }
  for (size_t c = 0; c < columns_.size() && c < 255; ++c) {
    uint8_t d[4];
    d[0] = columns_[c].id;
    WriteLE16(d + 1, columns_[c].width);
    d[3] = columns_[c].type;
    out.insert(out.end(), d, d + 4);
  }
  for (const auto& row : rows_) {
    for (size_t c = 0; c < columns_.size() && c < 255; ++c) {
      const Column& col = columns_[c];
      std::vector<uint8_t> value(col.width, 0);
      for (const Cell& cell : row) {
        if (cell.id != col.id) continue;
        if (col.type == kFieldInt && cell.bytes.size() < col.width) {
          // Sign-extend a narrower integer to the column's width.
          std::copy(cell.bytes.begin(), cell.bytes.end(), value.begin());
          if (!cell.bytes.empty() && (cell.bytes.back() & 0x80))
            std::fill(value.begin() + static_cast<long>(cell.bytes.size()), value.end(), 0xFF);
        } else {
          std::copy_n(cell.bytes.begin(), std::min<size_t>(cell.bytes.size(), col.width),
                      value.begin());
        }
      }
      out.insert(out.end(), value.begin(), value.end());
    }
  }
  return out;
}

}  // namespace testserver
