#include "core/CXMLMake.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/XmlText.h"

namespace {

constexpr char kOpen[] = "<request>";
constexpr char kClose[] = "</request>";
constexpr int kWrapLength = 19;  // strlen(kOpen) + strlen(kClose)

void AppendPairHead(CLineStep& body, int id) {
  char head[16];
  int n =
      std::snprintf(head, sizeof(head), "%s%d\x01", body.m_RecData.m_iUseSize ? "\x02" : "", id);
  body.Append(head, n);
}

}  // namespace

void CXMLMake::AddElement(const char* tag, const char* value) {
  if (!tag || !value) return;
  const std::string escaped = XmlEscape(value);
  std::string element;
  element.reserve(2 * std::strlen(tag) + escaped.size() + 5);
  element.append("<").append(tag).append(">").append(escaped);
  element.append("</").append(tag).append(">");
  m_Buffer.Append(element.data(), static_cast<uint32_t>(element.size()));
}

void CXMLMake::AddNSString(const char* tag, const char* value) {
  AddElement(tag, value);
}

void CXMLMake::AddInt(const char* tag, int value) {
  char text[16];
  std::snprintf(text, sizeof(text), "%d", value);
  AddElement(tag, text);
}

int CXMLMake::GetXmlLength() const {
  return static_cast<int>(m_Buffer.m_iUseSize) + kWrapLength;
}

int32_t CXMLMake::GetXml(char* buf, int cap) const {
  if (buf && cap > 0) std::memset(buf, 0, static_cast<size_t>(cap));
  if (m_Buffer.m_iUseSize == 0) return 0;
  const int length = GetXmlLength();
  if (!buf || cap < length) return -1;
  int at = 0;
  std::memcpy(buf, kOpen, sizeof(kOpen) - 1);
  at += sizeof(kOpen) - 1;
  std::memcpy(buf + at, m_Buffer.m_pszData, m_Buffer.m_iUseSize);
  at += static_cast<int>(m_Buffer.m_iUseSize);
  std::memcpy(buf + at, kClose, sizeof(kClose) - 1);
  return length;
}

void KVBody_AddInt(CLineStep& body, int id, int value) {
  AppendPairHead(body, id);
  char text[16];
  int n = std::snprintf(text, sizeof(text), "%d", value);
  body.Append(text, n);
}

void KVBody_AddString(CLineStep& body, int id, const char* text) {
  AppendPairHead(body, id);
  if (text && *text) body.Append(text, static_cast<int>(std::strlen(text)));
}

int KVBody_CopyText(CLineStep& body, uint8_t* buf, int cap) {
  if (!buf || cap < 1) return 0;
  std::memset(buf, 0, static_cast<size_t>(cap));
  int used = static_cast<int>(body.m_RecData.m_iUseSize);
  int n = std::min(used, cap - 1);
  if (n > 0) std::memcpy(buf, body.m_RecData.m_pszData, static_cast<size_t>(n));
  return std::max(n, 0);
}
