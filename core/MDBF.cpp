#include "core/MDBF.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/ByteOrder.h"
#include "core/CoreText.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"

namespace {

int64_t ReadSigned(const uint8_t* p, int width) {
  switch (width) {
    case 1:
      return static_cast<int8_t>(p[0]);
    case 2:
      return static_cast<int16_t>(ReadLE16(p));
    case 4:
      return static_cast<int32_t>(ReadLE32(p));
    case 8:
      return static_cast<int64_t>(ReadLE64(p));
    default:  // width 0 is the value 0; other widths are not integers
      return 0;
  }
}

// atoi of at most n characters (stopping at NUL).
int64_t AtoiText(const uint8_t* p, int n) {
  char buf[100];
  if (n > 99) n = 99;
  std::memcpy(buf, p, static_cast<size_t>(n));
  buf[n] = 0;
  return std::strtoll(buf, nullptr, 10);
}

// Decimal digits of at most n characters or UTF-16 units, in order; every other character
// (signs too) is skipped. Stops at a 0.
int64_t DigitsOnly(const uint8_t* p, int n, bool wide) {
  if (n > 99) n = 99;
  uint64_t v = 0;
  for (int i = 0; i < n; ++i) {
    unsigned c = wide ? ReadLE16(p + 2 * i) : p[i];
    if (c == 0) break;
    if (c >= '0' && c <= '9') v = v * 10 + (c - '0');
  }
  return static_cast<int64_t>(v);
}

// UTF-16 units of a type-3 field up to the first 0 unit.
std::u16string Units(const uint8_t* p, int width) {
  std::u16string s;
  for (int i = 0; i + 1 < width; i += 2) {
    char16_t u = ReadLE16(p + i);
    if (u == 0) break;
    s.push_back(u);
  }
  return s;
}

// Bytes a type-1 value needs on the wire, judged at the field's own width.
uint16_t SmallestIntWidth(const uint8_t* p, int width) {
  if (width == 1) return p[0] != 0 ? 1 : 0;
  if (width != 2 && width != 4 && width != 8) return 0;
  int64_t v = ReadSigned(p, width);
  if (v == 0) return 0;
  if (v >= INT8_MIN && v <= INT8_MAX) return 1;
  if (v >= INT16_MIN && v <= INT16_MAX) return 2;
  if (width == 2) return 2;
  if (v >= INT32_MIN && v <= INT32_MAX) return 4;
  return static_cast<uint16_t>(width);
}

}  // namespace

MDBF::MDBF() {
  Clear();
}

void MDBF::Clear() {
  m_iRecordLen = 0;
  m_iRecordNum = 0;
  m_iTotalRecNum = 0;
  m_iStartRecNum = 0;
  m_iFieldNum = 0;
  m_iRecno = 0;
  m_pszCurrRec = nullptr;
  std::memset(m_FieldInfo_Tail, 0, sizeof m_FieldInfo_Tail);
  std::memset(m_iFieldSerno, 0, sizeof m_iFieldSerno);
  m_RecData.Clear();
}

int MDBF::SetFields(const uint8_t* descriptors, int n) {
  Clear();
  if (!descriptors || n < 0) return 0;
  if (n > kMdbfMaxFields) n = kMdbfMaxFields;
  for (int i = 0; i < n; ++i) {
    const uint8_t* d = descriptors + 4 * i;
    tagFieldInfo& f = m_FieldInfo_Tail[i];
    f.no = d[0];
    f.width = ReadLE16(d + 1);
    f.type = d[3];
    f.start = static_cast<uint32_t>(m_iRecordLen);
    f.maxlen = 0;
    m_iFieldSerno[f.no] = static_cast<uint16_t>(i + 1);
    m_iRecordLen += f.width;
  }
  m_iFieldNum = n;
  return n;
}

int MDBF::Parse(const void* buf, int len) {
  Clear();
  if (!buf || len < kMdbfHeadSize) return -1;
  const auto* p = static_cast<const uint8_t*>(buf);
  int n = p[0];
  if (n == 0) return kMdbfHeadSize;
  int head = kMdbfHeadSize + 4 * n;
  if (len < head) return -1;
  SetFields(p + kMdbfHeadSize, n);
  m_iTotalRecNum = ReadLE16(p + 1);
  m_iStartRecNum = ReadLE16(p + 3);
  int m = ReadLE16(p + 5);
  // 64 bits: up to 65535 records of up to 256 x 65535 bytes.
  int64_t need = static_cast<int64_t>(m) * m_iRecordLen;
  if (need > len - head || !Fits(m, m_iRecordLen) ||
      !m_RecData.Append(p + head, static_cast<uint32_t>(need))) {
    Clear();
    return -1;
  }
  m_iRecordNum = m;
  Seek(m - 1);
  return head + static_cast<int>(need);
}

int MDBF::Seek(int i) {
  if (i < 0 || i >= m_iRecordNum) {
    m_iRecno = -1;
    m_pszCurrRec = nullptr;
    return -1;
  }
  // Records of length 0 still need a non-null current record.
  if (!m_RecData.GetData()) m_RecData.Reserve(1);
  if (!m_RecData.GetData()) {
    m_iRecno = -1;
    m_pszCurrRec = nullptr;
    return -1;
  }
  m_iRecno = i;
  m_pszCurrRec =
      reinterpret_cast<uint8_t*>(m_RecData.GetData()) + static_cast<size_t>(i) * m_iRecordLen;
  return i;
}

const tagFieldInfo* MDBF::FindField(int id) const {
  if (id < 0 || id >= kMdbfMaxFields || m_iFieldSerno[id] == 0) return nullptr;
  return &m_FieldInfo_Tail[m_iFieldSerno[id] - 1];
}

const tagFieldInfo* MDBF::GetFieldInfo(int slot) const {
  return slot >= 0 && slot < m_iFieldNum ? &m_FieldInfo_Tail[slot] : nullptr;
}

const uint8_t* MDBF::FieldPtr(const tagFieldInfo* f) const {
  return f && m_pszCurrRec ? m_pszCurrRec + f->start : nullptr;
}

const uint8_t* MDBF::GetFieldData(int id, int* width) const {
  const tagFieldInfo* f = FindField(id);
  const uint8_t* p = FieldPtr(f);
  if (width) *width = p ? f->width : 0;
  return p;
}

int32_t MDBF::GetLong(int id) const {
  const tagFieldInfo* f = FindField(id);
  const uint8_t* p = FieldPtr(f);
  if (!p) return -1;
  switch (f->type) {
    case kFieldText:
      return static_cast<int32_t>(AtoiText(p, f->width));
    case kFieldInt:
      return static_cast<int32_t>(ReadSigned(p, f->width));
    case kFieldUnicode:
      return static_cast<int32_t>(DigitsOnly(p, f->width / 2, true));
    default:
      return -1;
  }
}

int32_t MDBF::GetInt(int id) const {
  const tagFieldInfo* f = FindField(id);
  if (!FieldPtr(f) || (f->type != kFieldText && f->type != kFieldInt && f->type != kFieldUnicode))
    return 0;
  return GetLong(id);
}

int64_t MDBF::GetInt64(int id) const {
  const tagFieldInfo* f = FindField(id);
  const uint8_t* p = FieldPtr(f);
  if (!p) return 0;
  switch (f->type) {
    case kFieldText:
      return DigitsOnly(p, f->width, false);
    case kFieldInt:
      return ReadSigned(p, f->width);
    case kFieldUnicode:
      return DigitsOnly(p, f->width / 2, true);
    default:
      return 0;
  }
}

std::string MDBF::GetNSString(int id) const {
  const tagFieldInfo* f = FindField(id);
  const uint8_t* p = FieldPtr(f);
  if (!p) return {};
  switch (f->type) {
    case kFieldText: {
      size_t n = f->width < 4095 ? f->width : 4095;
      const auto* text = reinterpret_cast<const char*>(p);
      auto ascii = foundation::toStrictAscii(std::string_view(text, strnlen(text, n)));
      return ascii ? *ascii : std::string();
    }
    case kFieldInt:
      return foundation::format("%" PRId64, ReadSigned(p, f->width));
    case kFieldUnicode:
      return foundation::utf16ToUtf8(Units(p, f->width));
    default:
      return {};
  }
}

char* MDBF::GetFieldText(int id, char* out, int size) const {
  if (!out || size < 1) return out;
  out[0] = 0;
  const tagFieldInfo* f = FindField(id);
  const uint8_t* p = FieldPtr(f);
  if (!p) return out;
  switch (f->type) {
    case kFieldText: {
      int n = size - 1 < f->width ? size - 1 : f->width;
      int k = 0;
      for (; k < n && p[k]; ++k) out[k] = static_cast<char>(p[k]);
      out[k] = 0;
      break;
    }
    case kFieldInt:
      std::snprintf(out, static_cast<size_t>(size), "%" PRId64, ReadSigned(p, f->width));
      break;
    case kFieldUnicode: {
      std::u16string units = Units(p, f->width);
      WideToCString(out, size, units.c_str(), static_cast<int>(units.size()));
      break;
    }
    default:
      break;
  }
  return out;
}

bool MDBF::Fits(int64_t records, int64_t recordLen) {
  return records <= kMdbfMaxRecords && records * recordLen <= kMdbfMaxRecordBytes;
}

bool MDBF::AddRecord() {
  if (!Fits(int64_t{m_iRecordNum} + 1, m_iRecordLen) ||
      !m_RecData.Extend(static_cast<uint32_t>(m_iRecordLen))) {
    foundation::logError("MDBF::AddRecord: no room for record %d of %d bytes", m_iRecordNum + 1,
                         m_iRecordLen);
    return false;
  }
  ++m_iRecordNum;
  Seek(m_iRecordNum - 1);
  return true;
}

void MDBF::SetField(int id, int type, const void* data, int width) {
  if (m_iFieldNum >= kMdbfMaxFields) return;
  if (id < 0 || id >= kMdbfMaxFields || type < 0 || type > 255 || width < 0 || width > 0xFFFF) {
    foundation::logError("MDBF::SetField: bad field id %d type %d width %d", id, type, width);
    return;
  }
  int oldLen = m_iRecordLen;
  if (!Fits(m_iRecordNum < 1 ? 1 : m_iRecordNum, int64_t{oldLen} + width)) {
    foundation::logError("MDBF::SetField: field %d of %d bytes passes the table limits", id, width);
    return;
  }
  if (m_iRecordNum > 1) {
    // Several records (not a request table): widen every record, not only the first.
    tagListBuffer grown;
    for (int r = 0; r < m_iRecordNum; ++r)
      if (!grown.Append(m_RecData.GetData() + static_cast<size_t>(r) * oldLen,
                        static_cast<uint32_t>(oldLen)) ||
          !grown.Extend(static_cast<uint32_t>(width)))
        return;
    m_RecData = std::move(grown);
  } else if (m_iRecordNum == 1 && !m_RecData.Extend(static_cast<uint32_t>(width))) {
    return;
  }
  int slot = m_iFieldNum++;
  tagFieldInfo& f = m_FieldInfo_Tail[slot];
  f.no = static_cast<uint8_t>(id);
  f.type = static_cast<uint8_t>(type);
  f.start = static_cast<uint32_t>(oldLen);
  f.width = static_cast<uint16_t>(width);
  m_iFieldSerno[id] = static_cast<uint16_t>(slot + 1);
  m_iRecordLen += width;
  if (m_iRecordNum == 0)
    AddRecord();
  else
    Seek(0);
  uint8_t* dst = m_pszCurrRec ? m_pszCurrRec + f.start : nullptr;
  if (dst && data && width > 0) std::memcpy(dst, data, static_cast<size_t>(width));
  if (type == kFieldText || type == kFieldUnicode)
    f.maxlen = static_cast<uint16_t>(width);
  else if (type == kFieldInt && dst)
    f.maxlen = SmallestIntWidth(dst, width);
  else
    f.maxlen = 0;
}

void MDBF::AddStringField(int id, const char* text) {
  if (text) SetField(id, kFieldText, text, static_cast<int>(strnlen(text, 0x10000)));
}

void MDBF::AddIntField(int id, int32_t value) {
  uint8_t b[4];
  WriteLE32(b, static_cast<uint32_t>(value));
  SetField(id, kFieldInt, b, 4);
}

void MDBF::AddInt64Field(int id, int64_t value) {
  uint8_t b[8];
  WriteLE64(b, static_cast<uint64_t>(value));
  SetField(id, kFieldInt, b, 8);
}

void MDBF::SetString(int id, std::string_view utf8) {
  auto ascii = foundation::toStrictAscii(utf8);
  if (ascii) SetField(id, kFieldText, ascii->data(), static_cast<int>(ascii->size()));
}

void MDBF::SetNSString(int id, std::u16string_view text) {
  if (text.empty() || text[0] == 0) return;
  size_t n = text.size() < 2048 ? text.size() : 2048;
  std::vector<uint8_t> bytes(2 * n);
  for (size_t i = 0; i < n; ++i) WriteLE16(&bytes[2 * i], text[i]);
  SetField(id, kFieldUnicode, bytes.data(), static_cast<int>(bytes.size()));
}

void MDBF::SetNSString(int id, std::string_view utf8) {
  SetNSString(id, std::u16string_view(foundation::utf8ToUtf16(utf8)));
}

int MDBF::Serialize(int start, int count, void* out, int size, int* written) {
  if (written) *written = 0;
  if (!out || size < kMdbfHeadSize) {
    foundation::logError("MDBF::Serialize: no room for the head (%d bytes)", size);
    return -2;
  }
  auto* o = static_cast<uint8_t*>(out);
  std::memset(o, 0, kMdbfHeadSize);
  if (m_iRecordNum < 1 || count < 1) return kMdbfHeadSize;
  if (m_iFieldNum >= kMdbfMaxFields) {
    // The field count is one byte on the wire: 256 would read as an empty table.
    foundation::logError("MDBF::Serialize: %d fields do not fit the head", m_iFieldNum);
    return -1;
  }
  if (start < 0 || start >= m_iRecordNum || count > m_iRecordNum - start) {
    foundation::logError("MDBF::Serialize: records %d+%d outside 0..%d", start, count,
                         m_iRecordNum);
    return -1;
  }
  int n = m_iFieldNum;
  uint16_t wire[kMdbfMaxFields];
  int64_t L = 0;
  for (int i = 0; i < n; ++i) {
    const tagFieldInfo& f = m_FieldInfo_Tail[i];
    wire[i] = f.width < f.maxlen ? f.width : f.maxlen;
    L += wire[i];
  }
  bool emptyRecords = L == 0;
  if (emptyRecords) L = 1;  // each record still takes one (zero) byte
  int64_t head = kMdbfHeadSize + 4 * n;
  int64_t need = head + L * count;
  if (need > size) {
    // A table cut short would look valid to the server: refuse it instead.
    foundation::logError("MDBF::Serialize: %d records need %lld bytes, room for %d", count,
                         static_cast<long long>(need), size);
    return -2;
  }
  o[0] = static_cast<uint8_t>(n);
  WriteLE16(o + 1, static_cast<uint16_t>(m_iRecordNum));
  WriteLE16(o + 3, static_cast<uint16_t>(start));
  WriteLE16(o + 5, static_cast<uint16_t>(count));
  uint8_t* d = o + kMdbfHeadSize;
  for (int i = 0; i < n; ++i, d += 4) {
    d[0] = m_FieldInfo_Tail[i].no;
    WriteLE16(d + 1, wire[i]);
    d[3] = m_FieldInfo_Tail[i].type;
  }
  for (int r = start; r < start + count; ++r) {
    const uint8_t* rec = reinterpret_cast<const uint8_t*>(m_RecData.GetData()) +
                         static_cast<size_t>(r) * m_iRecordLen;
    if (emptyRecords) *d++ = 0;
    for (int i = 0; i < n; ++i) {
      if (wire[i]) std::memcpy(d, rec + m_FieldInfo_Tail[i].start, wire[i]);
      d += wire[i];
    }
  }
  if (written) *written = count;
  return static_cast<int>(need);
}

int MDBF::SerializeAll(void* out, int size, int* written) {
  return Serialize(0, m_iRecordNum, out, size, written);
}

int MDBF::DeleteRecord(int i) {
  if (m_iRecordNum < 1) return m_iRecno;
  if (i < 0 || i >= m_iRecordNum) {
    foundation::logError("MDBF::DeleteRecord: no record %d of %d", i, m_iRecordNum);
    return m_iRecno;
  }
  if (m_iRecordLen > 0) m_RecData.Delete(i * m_iRecordLen, m_iRecordLen);
  --m_iRecordNum;
  --m_iTotalRecNum;
  return Seek(m_iRecno);
}

int MDBF::CopyFrom(MDBF& src, int start, int count) {
  if (start < 0) start = 0;
  int avail = src.m_iRecordNum - start;
  if (count == -1 || count > avail) count = avail;
  if (count < 0) count = 0;
  // Take what is needed from src first: src may be this table.
  tagListBuffer records;
  if (count > 0 &&
      !records.Append(src.m_RecData.GetData() + static_cast<size_t>(start) * src.m_iRecordLen,
                      static_cast<uint32_t>(static_cast<int64_t>(count) * src.m_iRecordLen))) {
    foundation::logError("MDBF::CopyFrom: no memory for %d records", count);
    count = 0;
  }
  src.Seek(start);
  if (&src != this) {
    Clear();
    m_iRecordLen = src.m_iRecordLen;
    m_iTotalRecNum = src.m_iTotalRecNum;
    m_iStartRecNum = src.m_iStartRecNum;
    m_iFieldNum = src.m_iFieldNum;
    std::memcpy(m_FieldInfo_Tail, src.m_FieldInfo_Tail, sizeof m_FieldInfo_Tail);
    std::memcpy(m_iFieldSerno, src.m_iFieldSerno, sizeof m_iFieldSerno);
  }
  m_RecData = std::move(records);
  m_iRecordNum = count;
  Seek(count - 1);
  return m_iRecordNum;
}

bool MDBF::SameLayout(const MDBF& other) const {
  if (m_iFieldNum != other.m_iFieldNum) return false;
  for (int i = 0; i < m_iFieldNum; ++i) {
    const tagFieldInfo& a = m_FieldInfo_Tail[i];
    const tagFieldInfo& b = other.m_FieldInfo_Tail[i];
    if (a.no != b.no || a.type != b.type || a.start != b.start || a.width != b.width ||
        a.maxlen != b.maxlen)
      return false;
  }
  return true;
}

void MDBF::SetFieldData(uint8_t* dst, int dstWidth, const uint8_t* src, int srcWidth) {
  if (dstWidth <= 0) return;
  std::memset(dst, 0, static_cast<size_t>(dstWidth));
  int n = dstWidth < srcWidth ? dstWidth : srcWidth;
  if (n > 0) std::memcpy(dst, src, static_cast<size_t>(n));
}

int MDBF::Merge(const MDBF& src) {
  if (!Fits(int64_t{m_iRecordNum} + src.m_iRecordNum, m_iRecordLen)) {
    foundation::logError("MDBF::Merge: %d + %d records of %d bytes pass the table limits",
                         m_iRecordNum, src.m_iRecordNum, m_iRecordLen);
    return -1;
  }
  if (&src == this) {
    tagListBuffer copy;
    copy.Append(m_RecData.GetData(), m_RecData.GetSize());
    if (m_RecData.Append(copy.GetData(), copy.GetSize())) m_iRecordNum *= 2;
  } else if (SameLayout(src)) {
    uint64_t bytes = static_cast<uint64_t>(src.m_iRecordNum) * src.m_iRecordLen;
    if (!m_RecData.Append(src.m_RecData.GetData(), static_cast<uint32_t>(bytes))) {
      foundation::logError("MDBF::Merge: no memory for %d records", src.m_iRecordNum);
      return -1;
    }
    m_iRecordNum += src.m_iRecordNum;
  } else {
    for (int r = 0; r < src.m_iRecordNum; ++r) {
      if (!AddRecord()) break;
      const uint8_t* rec = reinterpret_cast<const uint8_t*>(src.m_RecData.GetData()) +
                           static_cast<size_t>(r) * src.m_iRecordLen;
      for (int i = 0; i < src.m_iFieldNum; ++i) {
        const tagFieldInfo& s = src.m_FieldInfo_Tail[i];
        const tagFieldInfo* d = FindField(s.no);
        if (d) SetFieldData(m_pszCurrRec + d->start, d->width, rec + s.start, s.width);
      }
    }
  }
  Seek(m_iRecordNum - 1);
  return m_iRecordNum;
}

int MDBF::AppendPacket(const void* buf, int len) {
  MDBF part;
  int r = part.Parse(buf, len);
  if (r < 1) return r;
  if (m_iRecordNum == 0) {
    CopyFrom(part, 0, -1);
    return r;
  }
  if (!SameLayout(part)) {
    // Union of the two layouts: ours in order, then new ids; shared ids take the wider width.
    uint8_t desc[kMdbfMaxFields * 4];
    int n = 0;
    for (int i = 0; i < m_iFieldNum; ++i, ++n) {
      desc[4 * n] = m_FieldInfo_Tail[i].no;
      WriteLE16(desc + 4 * n + 1, m_FieldInfo_Tail[i].width);
      desc[4 * n + 3] = m_FieldInfo_Tail[i].type;
    }
    bool changed = false;
    for (int i = 0; i < part.m_iFieldNum; ++i) {
      const tagFieldInfo& f = part.m_FieldInfo_Tail[i];
      int k = 0;
      while (k < n && desc[4 * k] != f.no) ++k;
      if (k == n) {
        if (n >= kMdbfMaxFields) continue;
        desc[4 * n] = f.no;
        WriteLE16(desc + 4 * n + 1, f.width);
        desc[4 * n + 3] = f.type;
        ++n;
        changed = true;
      } else if (ReadLE16(desc + 4 * k + 1) < f.width) {
        WriteLE16(desc + 4 * k + 1, f.width);
        changed = true;
      }
    }
    if (changed) {
      int total = m_iTotalRecNum, startRec = m_iStartRecNum;
      MDBF wide;
      wide.SetFields(desc, n);
      if (!Fits(int64_t{m_iRecordNum} + part.m_iRecordNum, wide.m_iRecordLen) ||
          wide.Merge(*this) < 0) {
        foundation::logError("MDBF::AppendPacket: widened table passes the limits");
        return -1;
      }
      CopyFrom(wide, 0, -1);
      // The re-laid table keeps the counts of the answer it belongs to.
      m_iTotalRecNum = total;
      m_iStartRecNum = startRec;
    }
  }
  return Merge(part) < 0 ? -1 : r;
}
