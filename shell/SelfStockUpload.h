// The watch-list upload to the quote server and its answer: the item text, the request, and the
// joining of the answer's parts (which may replace the local list when the server's is newer).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "core/LineStep.h"
#include "core/StockData.h"

inline constexpr int kSelfStockUploadMaxItems = 1000;
// Items are started only while fewer bytes than this are used (the text stays within 7500).
inline constexpr size_t kSelfStockUploadTextLimit = 7492;

// "01600000,02000001": per key the market as "%02d" of the signed byte (first two characters
// kept) and the code (at most 6 characters).
std::string MakeSelfStockUploadText(const tagCodeItem* items, int count);
// Keys of a server list text: parts split at ",", at most 1000 parts; a part of three or more
// characters is market (two digits) and code (up to 7 characters), type 0; shorter parts are
// skipped. Returns the keys written (at most max).
int ParseSelfStockListText(const std::string& text, tagCodeItem* out, int max);

// Sends the list when it changed since the last upload: clean, upload state 0, then the 145/53
// request on the quote queue. True when a request was queued.
bool UploadSelfStock();
// The serial of the latest upload (0 before any): only its answer is taken. An earlier upload's
// answer, late, would put back the server's list as it was before the newer upload.
uint16_t SelfStockUploadAwaited();
void SetSelfStockUploadAwaited(uint16_t code);

// The whole answer holds at most 1000 keys and a few fields: far below this.
inline constexpr size_t kSelfStockUploadAnswerLimit = 64 * 1024;

// The upload answer's parts, joined. Any thread (the quote connection's thread calls it).
class SelfStockUploadAnswer {
 public:
  // Adds one part (a 9020-byte receive record). 1 when it was the last part: `joined` then holds
  // the whole answer; 0 while parts are missing; -1 for another answer or an error answer
  // (whose text is shown). Parts must come in order 0 .. count-1 under one count, and the whole
  // answer within kSelfStockUploadAnswerLimit; any other part is an impossible sequence: it is
  // logged and the answer so far dropped (-1).
  int join(const uint8_t* record, int size, std::string& joined);

 private:
  void dropLocked(const char* why, int partNo, int partCount);

  std::mutex mutex_;
  CLineStep data_;
  int partCount_ = 0;  // the count of the answer being joined; 0 when none
  int nextPart_ = 0;
};

// Stores what a whole answer says (main thread): upload state 1, the update flag, and with flag
// 2 the server's list and time in place of the local ones; then saves the list.
void ApplySelfStockUploadAnswer(const std::string& joined);
