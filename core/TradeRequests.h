// The trade channel (main type 146, "Trade_SendQueue") and the phone verification requests
// (144/20 and 144/21, "Verify_SendQueue"). Bodies are enciphered with the session key held by
// the session object; a key exchange replaces it by a key both sides pick from random text.
//
// Every builder takes the trade request object, draws the request code from it, queues the
// packet and returns that code; 0 (never a valid code) means nothing was queued (logged).
// Texts are zero-terminated; a null optional text leaves its field out.
#pragma once

#include <cstdint>

class CDataRequest;
class MDBF;

// Serialise, encipher with the session key, frame with the object's session value and queue.
uint16_t SendRequest146(CDataRequest* request, uint8_t mainType, uint8_t childType, MDBF& table);
uint16_t SendRequest144(CDataRequest* request, uint8_t mainType, uint8_t childType, MDBF& table);

// The key exchange (146/0): resets the object's session value and counter, sends 1024 random
// characters under request key 2 and takes 16 picked bytes of them as the session key.
// Returns 0 and the code through outCode; -1 when nothing could be sent (the key is then
// request key 2).
int MakeRequest_SessionKey(CDataRequest* request, int tag, uint16_t* outCode, const char* version);
// The server's answer to the exchange: the session key becomes 16 bytes picked from its
// field 21. Returns 0; -1 (logged, previous key kept) when the body is unreadable or the field
// is missing or empty.
int ApplySessionKeyReply(CDataRequest* request, const uint8_t* body, int length);

// The trade login (146/1): field 1 the fund account, field 16 the trade password, as the bank
// information request carries them. The server serves the trade account's requests only on a
// connection logged in to it.
uint16_t MakeRequest_TradeLogin(CDataRequest* request, const char* account, const char* password);

// extra: up to 10 items "field:value" separated by '|'; wanted: one byte per wanted field id.
uint16_t MakeRequest_BankInfo(CDataRequest* request, int tag, uint8_t childType, int32_t start,
                              int32_t count, const char* extra, const char* wanted,
                              uint8_t mainType);
uint16_t MakeRequest_146_253(CDataRequest* request, const char* text);
uint16_t MakeRequest_Transfer(CDataRequest* request, int tag, const char* account,
                              const char* assetPassword, const char* bankValue20,
                              const char* bankValue22, const char* bankPassword, int32_t currency,
                              const char* amount, int32_t direction);
uint16_t MakeRequest_Transfer43(CDataRequest* request, int tag, const char* account,
                                const char* bankValue20, const char* bankValue22,
                                const char* bankPassword, int32_t currency);
uint16_t MakeRequest_CanTransfer(CDataRequest* request, int tag, const char* account,
                                 const char* assetPassword, int32_t currency);
// Both set the session key to request key 1 first.
uint16_t MakeRequest_Verify(CDataRequest* request, const char* phone, const char* verifyCode,
                            const char* version);
uint16_t MakeRequest_VerifyCode(CDataRequest* request, const char* phone, const char* version);
