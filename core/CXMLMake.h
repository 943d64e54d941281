// Writer of the flat XML body of a mail: "<request>", the elements in the order added, each
// "<tag>value</tag>", then "</request>". Values are escaped (XmlEscape), so a text holding
// markup reaches the server as the text it is; an element whose value is absent is left out.
#pragma once

#include <cstdint>

#include "core/LineStep.h"

class CXMLMake {
 public:
  CXMLMake() = default;
  virtual ~CXMLMake() = default;
  CXMLMake(const CXMLMake&) = delete;
  CXMLMake& operator=(const CXMLMake&) = delete;

  // Nothing when either text is null. The tag is written as given, the value escaped.
  void AddElement(const char* tag, const char* value);
  // value: UTF-8 text; nothing when null.
  void AddNSString(const char* tag, const char* value);
  void AddInt(const char* tag, int value);

  // Element bytes (values escaped) + 19 (the two wrapping tags).
  int GetXmlLength() const;
  // Zeroes buf[0, cap); 0 when no element was added, -1 when cap is below the length,
  // else writes the body (no terminator counted) and returns its length.
  int32_t GetXml(char* buf, int cap) const;

 private:
  tagListBuffer m_Buffer;
};

// Key/value text writers for a CLineStep body: "id" 0x01 value, pairs after the first
// preceded by 0x02.
void KVBody_AddInt(CLineStep& body, int id, int value);
// A null text writes the id with an empty value.
void KVBody_AddString(CLineStep& body, int id, const char* text);
// Zeroes buf[0, cap), copies min(used, cap - 1) bytes and returns that count.
int KVBody_CopyText(CLineStep& body, uint8_t* buf, int cap);
