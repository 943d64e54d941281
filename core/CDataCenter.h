// The session object: the trade-channel session key, the trade settings of "main.cfg" and the
// texts of the trade and bank screens. One global (GetDataCenter). The texts are written by reply
// handlers and read by request builders on other threads, so they sit behind an inner lock and
// are handed out as copies; Lock/Unlock is the object's own lock, taken by Init.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/COVFeeCal.h"
#include "core/DataEncrypt.h"
#include "core/MCriticalSection.h"
#include "core/MDBF.h"

class CDataCenter {
 public:
  // The start value of the trade session key.
  static constexpr const char* kRequestKey2 = ::kRequestKey2;
  static constexpr int kDefaultRequestTimeout = 30;  // seconds

  CDataCenter();
  virtual ~CDataCenter() = default;
  CDataCenter(const CDataCenter&) = delete;
  CDataCenter& operator=(const CDataCenter&) = delete;

  // Stores mode; mode -1 also closes the trade connection and drops its buffers, puts the
  // session key back to kRequestKey2 and clears the account password and the session text.
  void Init(int mode);
  void Reset() { Init(-1); }
  int GetMode() const { return m_iMode.load(); }

  void Lock() { m_lock.Lock(); }
  void Unlock() { m_lock.Unlock(); }

  // At most 16 characters.
  void SetSessionKey(const char* key);
  std::string GetSessionKey() const;

  // Broker code and branch: the integer and at most 99 characters of the text.
  void SetYYB(int code, const char* branch);
  void SetYYB2(int code, const char* branch);
  void SetTraderCode(int code) { m_iTraderCode.store(code); }
  int GetTraderCode() const { return m_iTraderCode.load(); }
  std::string GetYYB() const;
  int GetTraderCode2() const { return m_iTraderCode2.load(); }
  std::string GetYYB2() const;

  // Account 99, passwords, phone and code 49, session text 159 characters.
  void SetAccount(const char* text);
  std::string GetAccount() const;
  void SetAccountPassword(const char* text);
  std::string GetAccountPassword() const;
  void SetAssetPassword(const char* text);
  std::string GetAssetPassword() const;
  void SetPhoneNumber(const char* text);
  std::string GetPhoneNumber() const;
  void SetVerifyCode(const char* text);
  std::string GetVerifyCode() const;
  void SetSessionText(const char* text);
  std::string GetSessionText() const;

  void SetAppleId(int64_t id) { m_lAppleId.store(id); }
  int64_t GetAppleId() const { return m_lAppleId.load(); }
  void SetDefPriceType(int type) { m_iDefPriceType.store(type); }
  int GetDefPriceType() const { return m_iDefPriceType.load(); }
  void SetSmsSwitch(int value) { m_iSmsSwitch.store(value); }
  int GetSmsSwitch() const { return m_iSmsSwitch.load(); }
  void SetRequestTimeout(int seconds) { m_iRequestTimeout.store(seconds); }
  int GetRequestTimeout() const { return m_iRequestTimeout.load(); }
  void SetStatus(uint8_t status) { m_cStatus.store(status); }
  uint8_t GetStatus() const { return m_cStatus.load(); }

  COVFeeCal& GetFeeCal() { return m_feeCal; }
  // Record tables 1 to 5 of the trade and bank screens (table 4: the bank information reply);
  // tables 1 and 2 are cleared by Init(-1). Null for any other number. Main thread only.
  MDBF* GetTable(int n) { return n >= 1 && n <= 5 ? &m_tables[n - 1] : nullptr; }

 private:
  void SetText(std::string& member, const char* text, size_t width);
  std::string GetText(const std::string& member) const;

  MCriticalSection m_lock;
  std::atomic<int> m_iMode{-1};
  mutable std::mutex m_textLock;
  std::string m_szSessionKey;
  std::string m_szAccount;
  std::string m_szAccountPassword;
  std::string m_szAssetPassword;
  std::string m_szYYB;
  std::string m_szYYB2;
  std::string m_szPhone;
  std::string m_szVerifyCode;
  std::string m_szSessionText;
  std::atomic<int> m_iTraderCode{0};
  std::atomic<int> m_iTraderCode2{0};
  std::atomic<int64_t> m_lAppleId{0};
  std::atomic<int> m_iDefPriceType{0};
  std::atomic<int> m_iSmsSwitch{0};
  std::atomic<int> m_iRequestTimeout{kDefaultRequestTimeout};
  std::atomic<uint8_t> m_cStatus{0};
  COVFeeCal m_feeCal;
  MDBF m_tables[5];
};

CDataCenter& GetDataCenter();
