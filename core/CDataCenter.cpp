#include "core/CDataCenter.h"

#include <cstring>

#include "core/CoreConnectionControl.h"

CDataCenter::CDataCenter() : m_szSessionKey(kRequestKey2) {}

CDataCenter& GetDataCenter() {
  static CDataCenter center;
  return center;
}

void CDataCenter::SetText(std::string& member, const char* text, size_t width) {
  std::string value = text ? std::string(text, strnlen(text, width)) : std::string();
  std::lock_guard<std::mutex> hold(m_textLock);
  member = std::move(value);
}

std::string CDataCenter::GetText(const std::string& member) const {
  std::lock_guard<std::mutex> hold(m_textLock);
  return member;
}

void CDataCenter::Init(int mode) {
  MAutoLock hold(m_lock);
  m_iMode.store(mode);
  if (mode != -1) return;
  if (CoreConnectionControl* control = GetCoreConnectionControl()) {
    control->CloseConnection(CoreConnection::Trade);
    control->ClearConnectionBuffers(CoreConnection::Trade);
  }
  m_tables[0].Clear();
  m_tables[1].Clear();
  std::lock_guard<std::mutex> texts(m_textLock);
  m_szSessionKey = kRequestKey2;
  m_szAccountPassword.clear();
  m_szSessionText.clear();
}

void CDataCenter::SetSessionKey(const char* key) {
  SetText(m_szSessionKey, key, 16);
}
std::string CDataCenter::GetSessionKey() const {
  return GetText(m_szSessionKey);
}

namespace {
// At most `width` bytes of UTF-8 text, cut before a character that would not fit whole, so the
// name reads back as UTF-8.
std::string CutUtf8(const char* text, size_t width) {
  if (!text) return {};
  size_t n = strnlen(text, width);
  if (n == width && text[n] != '\0') {
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  }
  return std::string(text, n);
}
}  // namespace

void CDataCenter::SetYYB(int code, const char* branch) {
  m_iTraderCode.store(code);
  const std::string name = CutUtf8(branch, 99);
  SetText(m_szYYB, name.c_str(), 99);
}
void CDataCenter::SetYYB2(int code, const char* branch) {
  m_iTraderCode2.store(code);
  const std::string name = CutUtf8(branch, 99);
  SetText(m_szYYB2, name.c_str(), 99);
}
std::string CDataCenter::GetYYB() const {
  return GetText(m_szYYB);
}
std::string CDataCenter::GetYYB2() const {
  return GetText(m_szYYB2);
}

void CDataCenter::SetAccount(const char* text) {
  SetText(m_szAccount, text, 99);
}
std::string CDataCenter::GetAccount() const {
  return GetText(m_szAccount);
}
void CDataCenter::SetAccountPassword(const char* text) {
  SetText(m_szAccountPassword, text, 49);
}
std::string CDataCenter::GetAccountPassword() const {
  return GetText(m_szAccountPassword);
}
void CDataCenter::SetAssetPassword(const char* text) {
  SetText(m_szAssetPassword, text, 49);
}
std::string CDataCenter::GetAssetPassword() const {
  return GetText(m_szAssetPassword);
}
void CDataCenter::SetPhoneNumber(const char* text) {
  SetText(m_szPhone, text, 49);
}
std::string CDataCenter::GetPhoneNumber() const {
  return GetText(m_szPhone);
}
void CDataCenter::SetVerifyCode(const char* text) {
  SetText(m_szVerifyCode, text, 49);
}
std::string CDataCenter::GetVerifyCode() const {
  return GetText(m_szVerifyCode);
}
void CDataCenter::SetSessionText(const char* text) {
  SetText(m_szSessionText, text, 159);
}
std::string CDataCenter::GetSessionText() const {
  return GetText(m_szSessionText);
}
