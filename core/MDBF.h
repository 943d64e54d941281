// Field-tagged record table: the body of most requests and replies.
//
// Wire form (little-endian, unaligned):
//   u8 n | u16 total records | u16 start record | u16 m | n x {u8 id, u16 width, u8 type} |
//   m records of sum(width) bytes, fields in descriptor order.
// Types: 0 single-byte text, 1 signed integer (width 0, 1, 2, 4 or 8), 3 UTF-16LE text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/ListBuffer.h"

constexpr int kMdbfHeadSize = 7;
constexpr int kMdbfMaxFields = 256;
constexpr uint8_t kFieldText = 0;
constexpr uint8_t kFieldInt = 1;
constexpr uint8_t kFieldUnicode = 3;
// Limits on what one table may hold. Replies arrive in bodies of at most 9000 bytes; the limits
// stop a hostile run of continuation parts (or a layout of huge widths) from taking the memory.
constexpr uint32_t kMdbfMaxRecordBytes = 8u << 20;
constexpr int kMdbfMaxRecords = 1 << 20;

struct tagFieldInfo {
  uint8_t no;  // field id
  uint8_t type;
  uint32_t start;  // byte offset inside a record
  uint16_t width;
  uint16_t maxlen;  // width on the wire when serialised; 0 for parsed fields
};

class MDBF {
 public:
  MDBF();
  virtual ~MDBF() = default;

  void Clear();

  // Parses one table; returns the bytes it used (bytes after it are left for the caller), or -1
  // with an empty table when the head, descriptors or records are cut short.
  int Parse(const void* buf, int len);
  // Clears and installs min(n, 256) wire descriptors (4 bytes each). Returns the field count.
  int SetFields(const uint8_t* descriptors, int n);
  // Parses a continuation part and appends its records, widening or adding fields as needed.
  // Returns what the parse returned, or -1 (nothing changed) when the result would pass the
  // limits.
  int AppendPacket(const void* buf, int len);
  // Becomes a copy of the layout and of records start..start+count-1 of src (count -1 = all).
  // Makes src's record `start` current. Returns the new record count.
  int CopyFrom(MDBF& src, int start, int count);
  // Appends src's records, field by field by id when the layouts differ. Last record current.
  // Returns the record count, or -1 (nothing changed) when the result would pass the limits.
  int Merge(const MDBF& src);

  // Makes record i current and returns i; otherwise no current record and -1.
  int Seek(int i);
  int GetRecno() const { return m_iRecno; }
  int GetRecordNum() const { return m_iRecordNum; }
  int GetTotalRecNum() const { return m_iTotalRecNum; }
  int GetStartRecNum() const { return m_iStartRecNum; }
  int GetFieldNum() const { return m_iFieldNum; }
  int GetRecordLen() const { return m_iRecordLen; }
  const tagFieldInfo* FindField(int id) const;
  const tagFieldInfo* GetFieldInfo(int slot) const;

  // Readers of the current record. Absent field or no current record: 0 (GetInt, GetInt64),
  // -1 (GetLong), "" (text).
  int32_t GetInt(int id) const;
  int32_t GetLong(int id) const;
  int64_t GetInt64(int id) const;
  // UTF-8 text of the field (text fields are ASCII: other bytes give "").
  std::string GetNSString(int id) const;
  // Text into out, always terminated within size; returns out.
  char* GetFieldText(int id, char* out, int size) const;
  // Raw bytes of the field in the current record, or null.
  const uint8_t* GetFieldData(int id, int* width = nullptr) const;

  // Builders of one-record request tables.
  void SetField(int id, int type, const void* data, int width);
  void AddStringField(int id, const char* text);
  void AddIntField(int id, int32_t value);
  void AddInt64Field(int id, int64_t value);
  // ASCII text as type 0; nothing when the text holds any other character.
  void SetString(int id, std::string_view utf8);
  // UTF-16 text (at most 2048 units) as type 3; nothing for an empty text.
  void SetNSString(int id, std::u16string_view text);
  void SetNSString(int id, std::string_view utf8);

  // Writes records start..start+count-1 with each field at its wire width. Returns the bytes
  // written and sets *written to the records written. No records or count < 1: the 7-byte empty
  // head. -2 when the head and descriptors or the asked records do not fit in size; -1 for a
  // range outside the records held.
  int Serialize(int start, int count, void* out, int size, int* written);
  int SerializeAll(void* out, int size, int* written);

  // Removes record i (0 <= i < record count); returns the current index afterwards, -1 for none.
  int DeleteRecord(int i);

 protected:
  const uint8_t* FieldPtr(const tagFieldInfo* f) const;
  bool AddRecord();  // appends a zeroed record and makes it current
  // Whether `records` records of `recordLen` bytes stay within the limits.
  static bool Fits(int64_t records, int64_t recordLen);
  static void SetFieldData(uint8_t* dst, int dstWidth, const uint8_t* src, int srcWidth);
  bool SameLayout(const MDBF& other) const;

  int32_t m_iRecordLen;
  int32_t m_iRecordNum;
  int32_t m_iTotalRecNum;
  int32_t m_iStartRecNum;
  int32_t m_iFieldNum;
  int32_t m_iRecno;
  uint8_t* m_pszCurrRec;
  tagFieldInfo m_FieldInfo_Tail[kMdbfMaxFields];
  // Slot index + 1 per field id, 0 when absent (16 bits so that slot 255 is reachable).
  uint16_t m_iFieldSerno[kMdbfMaxFields];
  tagListBuffer m_RecData;
};
