#include "messaging/MessagingClasses.h"

#include "messaging/BrokerDirectory.h"
#include "platform/ui/Object.h"

void RegisterMessagingClasses() {
  [[maybe_unused]] auto& registry = ui::ClassRegistry::shared();
  InstallBrokerDirectoryResetHandler();
}
