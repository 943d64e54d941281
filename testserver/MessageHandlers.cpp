// The message server's answers.
#include "testserver/ServerCore.h"

namespace testserver {

void RegisterMessageHandlers(ServerCore&) {}

}  // namespace testserver
