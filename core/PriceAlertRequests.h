// Requests to the price-alert server (main type 150, request key 1,
// "PriceNotification_SendQueue"). Every body begins with field 1 (login user name) and
// field 6 (QSID).
//
// Each takes the request object, a tag the callers pass as 0 (not read), the request code and
// its inputs; returns 0 when queued, or -2 (logged) when the body did not fit (nothing queued).
#pragma once

#include <cstdint>

class CDataRequest;

// stockName: UTF-8, sent as UTF-16.
int MakeRequest_PriceNotificationUploadSetting(CDataRequest* request, int tag, uint16_t code,
                                               int32_t market, const char* stockCode,
                                               const char* stockName, int32_t notify, int32_t kind,
                                               int32_t upper, int32_t lower, int32_t change,
                                               uint8_t pageId);
int MakeRequest_PriceNotificationSettingList(CDataRequest* request, int tag, uint16_t code,
                                             uint8_t pageId);
int MakeRequest_PriceNotificationGetSetting(CDataRequest* request, int tag, uint16_t code,
                                            int32_t market, const char* stockCode, uint8_t pageId);
int MakeRequest_PriceNotificationDeleteSetting(CDataRequest* request, int tag, uint16_t code,
                                               const char* stockCode, uint8_t pageId);
int MakeRequest_PriceNotificationClearSetting(CDataRequest* request, int tag, uint16_t code,
                                              uint8_t pageId);
int MakeRequest_PriceNotificationList(CDataRequest* request, int tag, uint16_t code,
                                      int64_t startId, int32_t count, uint8_t pageId);
int MakeRequest_PriceNotificationDeleteList(CDataRequest* request, int tag, uint16_t code,
                                            uint8_t pageId);
int MakeRequest_PriceNotificationAuthority(CDataRequest* request, int tag, uint16_t code,
                                           uint8_t pageId);
int MakeRequest_PriceNotificationConfirm(CDataRequest* request, int tag, uint16_t code,
                                         uint8_t pageId);
