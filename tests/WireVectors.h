// Reply bytes written out by hand from the wire layouts, one reply of each kind the client reads.
// The client's tests decode them; the test server's tests check that it writes exactly them.
// Neither side's code produced these bytes: a fault shared by the client's reader and the
// server's writer shows up here. (The market's replies were taken from the test server once its
// market was remade and read back field by field from the layouts into the comments below.)
//
// The quote-server replies from the market (index snapshot, trend, ticks, K-line, ex-rights)
// are those of the test server's market for seed 20151217, trading day 20151217, 09:31.
#pragma once

#include <cstdint>
#include <vector>

namespace wirevec {

using Bytes = std::vector<uint8_t>;

// --- Record tables: head {u8 fields, u16 total, u16 start, u16 records}, 4-byte descriptors
// {id, u16 width, type}, then the records.

// Authentication login answer (144/5): server list, device string, rights, QSID, user type.
inline const Bytes kAuthLoginAnswer = {
    0x05, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00,  // 5 fields, total 1, start 0, 1 record
    0x24, 0x11, 0x00, 0x00,                    // 36: 17 bytes, text
    0x47, 0x04, 0x00, 0x00,                    // 71: 4 bytes, text
    0x23, 0x05, 0x00, 0x00,                    // 35: 5 bytes, text
    0x3A, 0x09, 0x00, 0x00,                    // 58: 9 bytes, text
    0x46, 0x04, 0x00, 0x01,                    // 70: 4 bytes, integer
                                               // clang-format off
    'H', 'Q', ':', '1', '2', '7', '.', '0', '.', '0', '.', '1', ':', '7', '7', '0', '8',
    'D', 'E', 'V', '1',
    '3', '0', ',', '3', '1',
    '1', '2', '3', '4', '5', '6', '7', '8', '9',
    0x01, 0x00, 0x00, 0x00,
                                               // clang-format on
};
inline constexpr const char* kAuthServerList = "HQ:127.0.0.1:7708";
inline constexpr const char* kAuthDevice = "DEV1";
inline constexpr const char* kRights = "30,31";
inline constexpr const char* kQsid = "123456789";

// Quote login answer (144/7 from the quote server, page 1): rights, QSID, user type, server time,
// upgrade text (UTF-16) and upgrade address.
inline const Bytes kQuoteLoginAnswer = {
    0x06, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00,             // 6 fields, total 1, start 0, 1 record
    0x23, 0x05, 0x00, 0x00,                               // 35: 5 bytes, text
    0x3A, 0x09, 0x00, 0x00,                               // 58: 9 bytes, text
    0x46, 0x04, 0x00, 0x01,                               // 70: 4 bytes, integer
    0x34, 0x08, 0x00, 0x01,                               // 52: 8 bytes, integer
    0x1C, 0x06, 0x00, 0x03,                               // 28: 6 bytes, UTF-16
    0x2E, 0x08, 0x00, 0x00,                               // 46: 8 bytes, text
    '3',  '0',  ',',  '3',  '1',                          //
    '1',  '2',  '3',  '4',  '5',  '6',  '7',  '8',  '9',  //
    0x01, 0x00, 0x00, 0x00,                               // 1
    0xEC, 0xF9, 0x22, 0xD2, 0x53, 0x12, 0x00, 0x00,       // 20151217093100
    0xF7, 0x8B, 0x47, 0x53, 0xA7, 0x7E,                   // 请升级
    'h',  't',  't',  'p',  ':',  '/',  '/',  'u',        //
};
inline constexpr int64_t kServerTime = 20151217093100;
inline constexpr const char* kUpgradeText = "请升级";
inline constexpr const char* kUpgradeUrl = "http://u";

// --- Quote records: a field-id list, then per record the fields in list order.

// The twenty ids of a sorted list (145/17).
inline const Bytes kListIds = {9, 10, 11, 12, 19, 1,  2,  3,  4,  5,
                               6, 7,  17, 23, 14, 15, 18, 21, 72, 73};

// One record of the list as the quote server holds it (prices in 1/10000).
struct ListRecord {
  uint8_t market;
  const char* code;
  uint8_t zqlb;
  char16_t name[4];
  uint8_t pricedot;
  uint16_t unit;
  int32_t yesterday, open, high, low, now;
  int64_t volume, amount;
  int32_t zd, zf, lb, hsl, average;
  uint32_t datetime;
  int32_t bid1, ask1;
};

inline constexpr uint32_t kAt0931 = 0x7DFC8A5F;  // 2015-12-17 09:31 packed from the minute up
inline constexpr uint32_t kAt0932 = 0x7DFC8A60;

// clang-format off
inline const ListRecord kListRecords[2] = {
    // market, code, category, name, decimals, lot,
    // previous close, open, high, low, now, volume, amount,
    // change, change %, volume ratio, turnover, average, time, bid, ask
    {1, "600000", 2, {u'浦', u'发', u'银', u'行'}, 2, 100,
     326000, 325500, 328000, 325000, 326300, 35309500, 1152000000,
     300, 9, 12345, 56, 326200, kAt0931, 326200, 326300},
    {2, "000001", 2, {u'平', u'安', u'银', u'行'}, 2, 100,
     115000, 114800, 116000, 114500, 115200, 50000000, 576000000,
     200, 17, 9800, 34, 115100, kAt0931, 115100, 115200},
};
// clang-format on

// Sorted list reply (145/17): 9-byte head {3 bytes of the screen, u32 total, u16 records},
// the id list, two records of 97 bytes.
inline const Bytes kSortedList = {
    0x00, 0x00, 0x00,        // the screen's bytes
    0xB8, 0x0B, 0x00, 0x00,  // 3000 stocks in the list
    0x02, 0x00,              // 2 records here
    0x14,                    // 20 ids
    9, 10, 11, 12, 19, 1, 2, 3, 4, 5, 6, 7, 17, 23, 14, 15, 18, 21, 72, 73,
    // 600000
    0x01,                                            // 9 market
    '6', '0', '0', '0', '0', '0', 0x00, 0x00,        // 10 code
    0x02,                                            // 11 category
    0x66, 0x6D, 0xD1, 0x53, 0xF6, 0x94, 0x4C, 0x88,  // 12 浦发银行
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //    and 4 empty units
    0x02, 0x64, 0x00,                                // 19 2 decimals, 100 a lot
    0xBC, 0x0C, 0x00, 0x00,                          // 1 32.60
    0xB7, 0x0C, 0x00, 0x00,                          // 2 32.55
    0xD0, 0x0C, 0x00, 0x00,                          // 3 32.80
    0xB2, 0x0C, 0x00, 0x00,                          // 4 32.50
    0xBF, 0x0C, 0x00, 0x00,                          // 5 32.63
    0xBC, 0xC7, 0x1A, 0x02, 0x00, 0x00, 0x00, 0x00,  // 6 35309500
    0x00, 0x20, 0xAA, 0x44, 0x00, 0x00, 0x00, 0x00,  // 7 1152000000
    0x03, 0x00, 0x00, 0x00,                          // 17 0.03
    0x09, 0x00, 0x00, 0x00,                          // 23 0.09%
    0x39, 0x30, 0x00, 0x00,                          // 14 12345
    0x38, 0x00, 0x00, 0x00,                          // 15 56
    0x38, 0xFA, 0x04, 0x00,                          // 18 32.62, sent in 1/10000
    0x5F, 0x8A, 0xFC, 0x7D,                          // 21 09:31
    0xBE, 0x0C, 0x00, 0x00,                          // 72 32.62
    0xBF, 0x0C, 0x00, 0x00,                          // 73 32.63
    // 000001
    0x02,                                            // 9
    '0', '0', '0', '0', '0', '1', 0x00, 0x00,        // 10
    0x02,                                            // 11
    0x73, 0x5E, 0x89, 0x5B, 0xF6, 0x94, 0x4C, 0x88,  // 12 平安银行
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //
    0x02, 0x64, 0x00,                                // 19
    0x7E, 0x04, 0x00, 0x00,                          // 1 11.50
    0x7C, 0x04, 0x00, 0x00,                          // 2 11.48
    0x88, 0x04, 0x00, 0x00,                          // 3 11.60
    0x79, 0x04, 0x00, 0x00,                          // 4 11.45
    0x80, 0x04, 0x00, 0x00,                          // 5 11.52
    0x80, 0xF0, 0xFA, 0x02, 0x00, 0x00, 0x00, 0x00,  // 6 50000000
    0x00, 0x10, 0x55, 0x22, 0x00, 0x00, 0x00, 0x00,  // 7 576000000
    0x02, 0x00, 0x00, 0x00,                          // 17 0.02
    0x11, 0x00, 0x00, 0x00,                          // 23 0.17%
    0x48, 0x26, 0x00, 0x00,                          // 14 9800
    0x22, 0x00, 0x00, 0x00,                          // 15 34
    0x9C, 0xC1, 0x01, 0x00,                          // 18 11.51, sent in 1/10000
    0x5F, 0x8A, 0xFC, 0x7D,                          // 21 09:31
    0x7F, 0x04, 0x00, 0x00,                          // 72 11.51
    0x80, 0x04, 0x00, 0x00,                          // 73 11.52
};
inline constexpr size_t kSortedListHead = 9 + 1 + 20;
inline constexpr size_t kListRecordSize = 97;

// Pushed quote (145/10, data flag 2): id count, ids, one record with the order queue.
inline const Bytes kPushIds = {9, 10, 5, 6, 7, 21, 72, 73, 78};
inline const Bytes kPushQuote = {
    0x09, 9, 10, 5, 6, 7, 21, 72, 73, 78,            // 9 ids
    0x01,                                            // 9 market
    '6', '0', '0', '0', '0', '0', 0x00, 0x00,        // 10 code
    0xC0, 0x0C, 0x00, 0x00,                          // 5 32.64
    0xB0, 0xC9, 0x1A, 0x02, 0x00, 0x00, 0x00, 0x00,  // 6 35310000
    0x40, 0x2D, 0xAD, 0x44, 0x00, 0x00, 0x00, 0x00,  // 7 1152200000
    0x60, 0x8A, 0xFC, 0x7D,                          // 21 09:32
    0xBF, 0x0C, 0x00, 0x00,                          // 72 32.63
    0xC0, 0x0C, 0x00, 0x00,                          // 73 32.64
    // 78 bid queue: price, total, orders, 2 entries
    0xBF, 0x0C, 0x00, 0x00, 0xB0, 0x04, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x00, 0xF4, 0x01,
    0xBC, 0x02,  // 500, 700
    // 78 ask queue: 1 entry
    0xC0, 0x0C, 0x00, 0x00, 0x20, 0x03, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x20,
    0x03,  // 800
};

// --- Replies of the market.

// Index snapshot (145/23): a lead byte, u16 items, 33-byte items {market, code[8], category,
// decimals, now, previous close, amount, rising, unchanged, falling}.
inline const Bytes kIndexSnapshot = {
    0x00, 0x03, 0x00,                                      // lead, 3 items
    0x01, '0',  '0',  '0',  '0',  '0',  '1',  0x00, 0x00,  // 1 000001
    0x01, 0x02,                                            // category 1, 2 decimals
    0xFB, 0x76, 0x06, 0x00,                                // now 4236.75
    0x0B, 0x7A, 0x06, 0x00,                                // previous close 4244.59
    0x60, 0x22, 0x29, 0x29, 0x08, 0x00, 0x00, 0x00,        // amount 35050300000 (1/100)
    0x14, 0x00, 0x06, 0x00, 0x1E, 0x00,                    // 20 up, 6 same, 30 down
    0x02, '3',  '9',  '9',  '0',  '0',  '1',  0x00, 0x00,  // 2 399001
    0x01, 0x02,                                            //
    0xD4, 0x6C, 0x15, 0x00,                                // now 14041.16
    0xB9, 0x6A, 0x15, 0x00,                                // previous close 14035.77
    0xA0, 0x2F, 0x14, 0x98, 0x0B, 0x00, 0x00, 0x00,        // amount 49796100000
    0x24, 0x00, 0x05, 0x00, 0x28, 0x00,                    // 36 up, 5 same, 40 down
    0x03, '9',  '9',  '9',  '9',  '9',  '9',  0x00, 0x00,  // 3 999999
    0x01, 0x02,                                            //
    0xBD, 0xE2, 0x2B, 0x00,                                // now 28760.93
    0x25, 0xDA, 0x2B, 0x00,                                // previous close 28738.93
    0xC0, 0xDD, 0xD9, 0x24, 0x0E, 0x00, 0x00, 0x00,        // amount 60747800000
    0x0C, 0x00, 0x04, 0x00, 0x0C, 0x00,                    // 12 up, 4 same, 12 down
};

// Trend of 600000 asked with the ids 6 (price change), 20 (minute change) and 9 (lots):
// 13-byte head {market, code[8], u16 echoed, u16 points}, the id list, 10 bytes a point.
inline const Bytes kTrendIds = {6, 20, 9};
inline const Bytes kTrend = {
    0x01, '6',  '0',  '0',  '0',  '0',  '0',  0x00, 0x00,        // 1 600000
    0x00, 0x00,                                                  // the request's value
    0x02, 0x00,                                                  // 2 points
    0x03, 6,    20,   9,                                         // ids
    0x26, 0x0C, 0x00, 0x00, 0x3A, 0x02, 0xBE, 0x0E, 0x00, 0x00,  // +31.10, 09:30, 3774 lots
    0x0A, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x11, 0x00, 0x00,  // +0.10, +1 minute, 4354 lots
};
inline constexpr size_t kTrendHead = 13;

// The last four trades of 600000, oldest first: 11-byte head {market, code[8], u16 count},
// 11-byte trades {i16 time, i32 price, i32 lots, side: 0 ask, 1 bid, 2 mid}; the first trade
// holds its minute of the day and its price in units of 10^-pricedot, each later one the
// differences from the trade before. No trade leaves the day's range (31.10 to 31.20 by then).
inline const Bytes kTicks = {
    0x01, '6',  '0',  '0',  '0',  '0',  '0',  0x00, 0x00,              // 1 600000
    0x04, 0x00,                                                        // 4 trades
    0x3B, 0x02, 0x30, 0x0C, 0x00, 0x00, 0x2D, 0x00, 0x00, 0x00, 0x00,  // 571 (09:31) 3120 45 ask
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5A, 0x00, 0x00, 0x00, 0x01,  // +0 +0 90 bid
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x01,  // +0 +0 32 bid
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x95, 0x01, 0x00, 0x00, 0x00,  // +0 +0 405 ask
};
inline constexpr int kTickCount = 4;

// Day K-line of 600000, two bars asked with the ids 1 (date), 5 (close), 16 (lots) and 15
// (close change; the later of the two close ids wins): 21-byte head {market, code[8],
// period, flag, u16 bars, u32 first date, u32 last date}, the id list, 20 bytes a bar.
inline const Bytes kKLineIds = {1, 5, 16, 15};
inline const Bytes kKLine = {
    0x01, '6',  '0',  '0',  '0',  '0',  '0',  0x00, 0x00,  // 1 600000
    0x01, 0x01,                                            // day bars, the request's flag
    0x02, 0x00,                                            // 2 bars
    0xB0, 0x7B, 0x33, 0x01, 0xB1, 0x7B, 0x33, 0x01,        // 20151216 .. 20151217
    0x04, 1,    5,    16,   15,                            // ids
    0xB0, 0x7B, 0x33, 0x01,                                // 20151216
    0x22, 0x0C, 0x00, 0x00,                                // close 31.06
    0x92, 0x13, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00,        // 463762 lots
    0x22, 0x0C, 0x00, 0x00,                                // close +31.06
    0xB1, 0x7B, 0x33, 0x01,                                // 20151217
    0x30, 0x0C, 0x00, 0x00,                                // close 31.20
    0xC0, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // 8128 lots
    0x0E, 0x00, 0x00, 0x00,                                // close +0.14
};
inline constexpr size_t kKLineHead = 21;

// Ex-rights events of 600000 following that K-line (145/16), asked with the ids 1-7 and 10:
// 11-byte head {market, code[8], i16 events}, 40 bytes an event.
inline const Bytes kWeightIds = {1, 2, 3, 4, 5, 6, 7, 10};
inline const Bytes kWeights = {
    0x01, '6',  '0',  '0',  '0',  '0',  '0',  0x00, 0x00,  // 1 600000
    0x08, 0x00,                                            // 8 events
    0x52, 0x52, 0x33, 0x01,                                // 20140626
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // sgs pgs: dividend 39440
    0x00, 0x00, 0x00, 0x00, 0x10, 0x9A, 0x00, 0x00,        // pgj hl
    0x00, 0x00, 0x00, 0x00,                                // zgs
    0x1F, 0x96, 0x21, 0x34, 0x00, 0x00, 0x00, 0x00,        // total shares 874616351
    0x15, 0xE9, 0x7D, 0x24, 0x00, 0x00, 0x00, 0x00,        // floating shares 612231445
    0x1C, 0x53, 0x33, 0x01,                                // 20140828
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // sgs pgs: conversion 20000
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // pgj hl
    0x20, 0x4E, 0x00, 0x00,                                // zgs
    0x26, 0xB4, 0x8E, 0x3E, 0x00, 0x00, 0x00, 0x00,        // total shares 1049539622
    0xE7, 0x4A, 0xCA, 0x2B, 0x00, 0x00, 0x00, 0x00,        // floating shares 734677735
    0x33, 0x54, 0x33, 0x01,                                // 20141107
    0x50, 0xC3, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // sgs pgs: bonus shares 50000
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // pgj hl
    0x00, 0x00, 0x00, 0x00,                                // zgs
    0x39, 0x0E, 0xD6, 0x5D, 0x00, 0x00, 0x00, 0x00,        // total shares 1574309433
    0x5B, 0x70, 0xAF, 0x41, 0x00, 0x00, 0x00, 0x00,        // floating shares 1102016603
    0x64, 0x77, 0x33, 0x01,                                // 20150116
    0x00, 0x00, 0x00, 0x00, 0x30, 0x75, 0x00, 0x00,        // sgs pgs: rights 30000 at 23.50
    0xF8, 0x95, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00,        // pgj hl
    0x00, 0x00, 0x00, 0x00,                                // zgs
    0x18, 0xAC, 0xFC, 0x79, 0x00, 0x00, 0x00, 0x00,        // total shares 2046602264
    0x11, 0x12, 0x64, 0x55, 0x00, 0x00, 0x00, 0x00,        // floating shares 1432621585
    0x37, 0x78, 0x33, 0x01,                                // 20150327
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // sgs pgs: dividend 35510
    0x00, 0x00, 0x00, 0x00, 0xB6, 0x8A, 0x00, 0x00,        // pgj hl
    0x00, 0x00, 0x00, 0x00,                                // zgs
    0x18, 0xAC, 0xFC, 0x79, 0x00, 0x00, 0x00, 0x00,        // total shares 2046602264
    0x11, 0x12, 0x64, 0x55, 0x00, 0x00, 0x00, 0x00,        // floating shares 1432621585
    0x01, 0x79, 0x33, 0x01,                                // 20150529
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // sgs pgs: conversion 20000
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // pgj hl
    0x20, 0x4E, 0x00, 0x00,                                // zgs
    0x1D, 0x68, 0x62, 0x92, 0x00, 0x00, 0x00, 0x00,        // total shares 2455922717
    0xAE, 0x15, 0x78, 0x66, 0x00, 0x00, 0x00, 0x00,        // floating shares 1719145902
    0x1A, 0x7A, 0x33, 0x01,                                // 20150810
    0x50, 0xC3, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // sgs pgs: bonus shares 50000
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // pgj hl
    0x00, 0x00, 0x00, 0x00,                                // zgs
    0x2C, 0x9C, 0x93, 0xDB, 0x00, 0x00, 0x00, 0x00,        // total shares 3683884076
    0x85, 0x20, 0xB4, 0x99, 0x00, 0x00, 0x00, 0x00,        // floating shares 2578718853
    0xEB, 0x7A, 0x33, 0x01,                                // 20151019
    0x00, 0x00, 0x00, 0x00, 0x30, 0x75, 0x00, 0x00,        // sgs pgs: rights 30000 at 25.64
    0x90, 0xE9, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00,        // pgj hl
    0x00, 0x00, 0x00, 0x00,                                // zgs
    0xD4, 0x17, 0x73, 0x1D, 0x01, 0x00, 0x00, 0x00,        // total shares 4789049300
    0xAE, 0x90, 0xD0, 0xC7, 0x00, 0x00, 0x00, 0x00,        // floating shares 3352334510
};

// --- Whole packets (16-byte header and body as sent).

// One-stock quote of 600000 asked on page 12 with request code 90 and the ids 9, 10, 19, 5, 6
// (145/10), then the quote pushed for that request when the market moves to 09:32: the same
// header but for the data flag 2 in the top bits of the request code.
inline constexpr uint8_t kQuotePage = 12;
inline constexpr uint16_t kQuoteCode = 90;
inline const Bytes kQuoteReplyPacket = {
    0x23, 0x00, 0x01, 0x00,                                // magic, plain, one part
    0x45, 0x2E,                                            // checksum
    0x1E, 0x00,                                            // 30 body bytes
    0x00, 0x00, 0x00,                                      // session value
    0x0C, 0x91, 0x0A,                                      // page 12, 145/10
    0x5A, 0x40,                                            // request code 90, a reply
    0x05, 9,    10,   19,   5,    6,                       // 5 ids
    0x01, '6',  '0',  '0',  '0',  '0',  '0',  0x00, 0x00,  // 1 600000
    0x02, 0x64, 0x00,                                      // 2 decimals, 100 a lot
    0x30, 0x0C, 0x00, 0x00,                                // now 31.20
    0x00, 0x67, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00,        // volume 812800
};
inline const Bytes kQuotePushPacket = {
    0x23, 0x00, 0x01, 0x00,                                // magic, plain, one part
    0x89, 0x0E,                                            // checksum
    0x1E, 0x00,                                            // 30 body bytes
    0x00, 0x00, 0x00,                                      // session value
    0x0C, 0x91, 0x0A,                                      // page 12, 145/10
    0x5A, 0x80,                                            // request code 90, a push
    0x05, 9,    10,   19,   5,    6,                       // 5 ids
    0x01, '6',  '0',  '0',  '0',  '0',  '0',  0x00, 0x00,  // 1 600000
    0x02, 0x64, 0x00,                                      // 2 decimals, 100 a lot
    0x45, 0x0C, 0x00, 0x00,                                // now 31.41
    0x28, 0x47, 0x13, 0x00, 0x00, 0x00, 0x00, 0x00,        // volume 1263400
};

// The request both error replies answer: a trend request of page 13 with request code 77.
inline constexpr uint8_t kErrorPage = 13;
inline constexpr uint16_t kErrorCode = 77;

// Error reply with a UTF-16 text "密码错误", no server-text marker.
inline const Bytes kErrorReply = {
    0x23,                    // magic
    0x40,                    // error text, no cipher, no compression
    0x01, 0x00,              // one part, part 0
    0xCF, 0xF4,              // checksum
    0x08, 0x00,              // 8 body bytes
    0x00, 0x00, 0x00,        // session value
    0x0D, 0x91, 0x21,        // page 13, 145/33
    0x4D, 0x40,              // request code 77, a reply
    0xC6, 0x5B, 0x01, 0x78,  // 密码
    0x19, 0x95, 0xEF, 0x8B,  // 错误
};
inline constexpr const char* kErrorText = "密码错误";

// Error reply with the server-text marker whose 300-byte text (150 "A") is sent compressed:
// codes of 9 bits, most significant bit first: 65, 0, 258, 260, 259, 262, 261, ..., 287,
// 278, then the end code 256.
inline const Bytes kCompressedErrorReply = {
    0x23,              // magic
    0x41,              // error text, compressed
    0x02, 0xFF,        // the server-text marker
    0x33, 0x45,        // checksum of the compressed body
    0x28, 0x00,        // 40 body bytes
    0x00, 0x00, 0x00,  // session value
    0x0D, 0x91, 0x21,  // page 13, 145/33
    0x4D, 0x40,        // request code 77, a reply
    0x20, 0x80, 0x20, 0x50, 0x48, 0x1C, 0x1A, 0x0B, 0x08, 0x83, 0xC2, 0xA1, 0x30, 0xC8,
    0x5C, 0x3A, 0x1B, 0x10, 0x87, 0xC4, 0xA2, 0x31, 0x48, 0x9C, 0x5A, 0x2B, 0x18, 0x8B,
    0xC6, 0xA3, 0x31, 0xC8, 0xDC, 0x7A, 0x3B, 0x20, 0x8F, 0xC5, 0xA0, 0x00,
};
inline constexpr size_t kCompressedTextUnits = 150;

}  // namespace wirevec
