// Requests of the login and account family (main type 144) to the authentication server:
// registration, password recovery, the three logins, the broker logout, the broker and branch
// lists and the phone login with an SMS code. Each builds a one-record table, enciphers it
// with request key 1 where the family requires it, frames it and copies the packet into the
// caller's buffer.
//
// Every builder takes the session value, the request code and the page id first and returns
// the number of bytes copied into the caller's buffer (at most size), or -2 when the body
// did not fit its area (nothing is to be queued then).
#pragma once

#include <cstdint>
#include <string>

#include "platform/foundation/Value.h"

// Shown in log lines instead of a password or an SMS code: stars, or "" when there is none.
std::string MaskSecret(const char* secret);

// flag 1 selects child type 6 instead of 5.
int MakeRequest_RZLogin(int16_t value, uint16_t code, uint8_t pageId, const char* userName,
                        const char* password, uint8_t* buffer, int size, int flag);
int MakeRequest_HQLogin(int16_t value, uint16_t code, uint8_t pageId, const char* userName,
                        const char* password, uint8_t* buffer, int size);
int MakeRequest_MsgLogin(int16_t value, uint16_t code, uint8_t pageId, const char* userName,
                         const char* password, uint8_t* buffer, int size);
int MakeRequest_Register(int16_t value, uint16_t code, uint8_t pageId, const char* text,
                         uint8_t* buffer, int size);
int MakeRequest_GetPwd(int16_t value, uint16_t code, uint8_t pageId, const char* text,
                       uint8_t* buffer, int size);
int MakeRequest_LogoutYYB(int16_t value, uint16_t code, uint8_t pageId, const char* userName,
                          int32_t brokerCode, int32_t branchCode, uint8_t* buffer, int size);

int MakeRequest_TraderList(int32_t value, uint16_t code, uint8_t pageId, uint8_t* buffer, int size);
int MakeRequest_41(int32_t value, uint16_t code, uint8_t pageId, int32_t brokerCode,
                   uint8_t* buffer, int size);
// wanted: field 0, the ids of the fields wanted in the reply, one byte each.
int MakeRequest_42(int32_t value, uint16_t code, uint8_t pageId, int32_t brokerCode,
                   int32_t branchCode, uint8_t* buffer, int size, const char* wanted);
int MakeRequest_GetCode(int32_t value, uint16_t code, uint8_t pageId, const char* phone,
                        uint8_t* buffer, int size);
int MakeRequest_PwdLogin(int32_t value, uint16_t code, uint8_t pageId, const char* phone,
                         const char* smsCode, uint8_t* buffer, int size);

// The user default that the phone login and the authentication answer share: a dictionary
// with "phoneNum" and "isSeccuss" ("NO" before the answer, "YES" after a successful one).
inline constexpr char kNewTimeKey[] = "Key_New_Time_Key";
// Replaces the stored value and writes the defaults through; a null value changes nothing.
void SetNewTimeKey(const foundation::Value& object);
// The stored value (null when none).
foundation::Value GetNewTimeKey();
