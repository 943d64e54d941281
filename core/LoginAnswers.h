// What the receive callbacks do with the answers of the login chain (main type 144): the
// authentication and quote login answers, the relogin answer and forced logout of the quote
// server, the SMS-code and phone-login answers. They run on the network thread; whatever
// touches the stored watch list, screens or timers is queued on the main thread in order, ahead
// of any post that follows.
#pragma once

#include <cstdint>

class MDBF;

// Server lists (field 36) rebuilt and "save.cfg" saved; device string (field 71).
void doInitAfterRZLogin(MDBF* m);
// Upgrade prompt (28, 46), rights (35), QSID (58), message user type (70), then the index
// snapshot request.
void doInitAfterHQLogin(MDBF* m);

// Each takes a 9020-byte receive record and returns true when the record is still to be posted
// as "login".
bool HandleRZLoginAnswer(const uint8_t* record);
bool HandleHQLoginAnswer(const uint8_t* record);
void HandleReloginAnswer(const uint8_t* record);
void HandleForcedLogout(const uint8_t* record);
void HandleSmsCodeAnswer(const uint8_t* record);
void HandlePhoneLoginAnswer(const uint8_t* record);
