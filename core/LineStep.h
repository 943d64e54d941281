// Text body of numbered field/value pairs: "<field>\x01<value>", pairs joined by \x02.
// Values hold none of 0x00-0x03; a reader also ends a value at 0x03.
#pragma once

#include <cstdint>

#include "core/ListBuffer.h"

class CLineStep {
 public:
  CLineStep() = default;
  virtual ~CLineStep() = default;
  CLineStep(CLineStep&&) = default;
  CLineStep& operator=(CLineStep&&) = default;

  void Clear() { m_RecData.Clear(); }
  // 1 when appended, 0 when there was no room.
  int Append(const void* data, uint32_t len) { return m_RecData.Append(data, len); }

  // Copies the value of `field` into out (zeroed first, at most size - 1 characters, always
  // terminated) and returns the position just after the copy (out when nothing was found).
  char* GetValue(int field, char* out, int size) const;
  // atoi of the value; 0 when absent.
  int GetIntValue(int field) const;
  // Value "YYYYMMDD hhmmss": date from the first 8 characters, time from index 9.
  void GetDateTimeValue(int field, int* date, int* time) const;

  const char* GetData() const { return m_RecData.GetData(); }
  uint32_t GetSize() const { return m_RecData.GetSize(); }

  tagListBuffer m_RecData;
};

// Appends a pair whose value is "%08d %06d" (date, time), after a \x02 when the body holds text.
void AppendStockTimeRecord(CLineStep& body, int field, int date, int time);
