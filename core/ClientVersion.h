// How the client names its own version at the head of logins, registrations, password and
// verification requests and in the watch-list upload. The two blanks are part of the text.
#pragma once

#include <cstdint>

inline constexpr char kClientVersionText[] = "V3.15  B002(20151217--1)";
inline constexpr int32_t kClientVersionNumber = 262144;
