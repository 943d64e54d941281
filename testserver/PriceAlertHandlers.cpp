// The price-alert server's answers.
#include "testserver/ServerCore.h"

namespace testserver {

void RegisterPriceAlertHandlers(ServerCore&) {}

}  // namespace testserver
