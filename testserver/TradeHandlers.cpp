// The trade server (key exchange, bank information, transfers) and the verification server.
#include "testserver/ServerCore.h"

namespace testserver {

void RegisterTradeHandlers(ServerCore&) {}

}  // namespace testserver
